#include "skeleton/runtime/Timeline.h"

#include <limits>

#include "skeleton/runtime/Skeleton.h"
#include "skeleton/runtime/SkeletonData.h"
#include "skeleton/runtime/private/MathUtil.h"

namespace spine {

size_t Timeline::search(const std::vector<float>& frames, float time, size_t step) {
  size_t count = frames.size() / step;
  if (count < 2) return 0;
  // Invariant: the answer lies in (low, high]. NaN comparisons fall through to the last frame, never outside.
  size_t low = 0, high = count - 1;
  while (high - low > 1) {
    size_t mid = (low + high) / 2;
    if (frames[mid * step] > time)
      high = mid;
    else
      low = mid;
  }
  return high * step;
}

CurveTimeline::CurveTimeline(TimelineType type, size_t entries, size_t frameCount)
    : Timeline(type, entries, frameCount), m_curves((frameCount > 0 ? frameCount - 1 : 0) * kCurveSize, 0) {}

void CurveTimeline::setLinear(size_t frame) {
  if (frame * kCurveSize < m_curves.size()) m_curves[frame * kCurveSize] = 0;
}

void CurveTimeline::setStepped(size_t frame) {
  if (frame * kCurveSize < m_curves.size()) m_curves[frame * kCurveSize] = 1;
}

void CurveTimeline::setBezier(size_t frame, float cx1, float cy1, float cx2, float cy2) {
  if (frame * kCurveSize >= m_curves.size()) return;
  // Samples the curve at t = 0.1 .. 0.9 by forward differencing; lookups interpolate along that polyline,
  // which is how the editor's runtime evaluates curves.
  const float step = 0.1f, step2 = step * step, step3 = step2 * step;
  const float pre1 = 3 * step, pre2 = 3 * step2, pre4 = 6 * step2, pre5 = 6 * step3;
  float tmp1x = -cx1 * 2 + cx2, tmp1y = -cy1 * 2 + cy2;
  float tmp2x = (cx1 - cx2) * 3 + 1, tmp2y = (cy1 - cy2) * 3 + 1;
  float dfx = cx1 * pre1 + tmp1x * pre2 + tmp2x * step3;
  float dfy = cy1 * pre1 + tmp1y * pre2 + tmp2y * step3;
  float ddfx = tmp1x * pre4 + tmp2x * pre5, ddfy = tmp1y * pre4 + tmp2y * pre5;
  float dddfx = tmp2x * pre5, dddfy = tmp2y * pre5;

  size_t i = frame * kCurveSize;
  m_curves[i++] = 2;
  float x = dfx, y = dfy;
  for (size_t n = i + kCurveSize - 1; i < n; i += 2) {
    m_curves[i] = x;
    m_curves[i + 1] = y;
    dfx += ddfx;
    dfy += ddfy;
    ddfx += dddfx;
    ddfy += dddfy;
    x += dfx;
    y += dfy;
  }
}

CurveTimeline::CurveType CurveTimeline::curveType(size_t frame) const {
  if (frame * kCurveSize >= m_curves.size()) return CurveType::Linear;
  float type = m_curves[frame * kCurveSize];
  return type == 1 ? CurveType::Stepped : (type == 2 ? CurveType::Bezier : CurveType::Linear);
}

float CurveTimeline::curvePercent(size_t frame, float percent) const {
  percent = math::clamp(percent, 0, 1);
  size_t i = frame * kCurveSize;
  if (i >= m_curves.size()) return percent;
  float type = m_curves[i];
  if (type == 0) return percent;
  if (type == 1) return 0;
  ++i;
  float x = 0;
  for (size_t start = i, n = i + kCurveSize - 1; i < n; i += 2) {
    x = m_curves[i];
    if (x >= percent) {
      float prevX = 0, prevY = 0;
      if (i != start) {
        prevX = m_curves[i - 2];
        prevY = m_curves[i - 1];
      }
      float span = x - prevX;
      return span > 0 ? prevY + (m_curves[i + 1] - prevY) * (percent - prevX) / span : m_curves[i + 1];
    }
  }
  float y = m_curves[i - 1];
  return x < 1 ? y + (1 - y) * (percent - x) / (1 - x) : y;
}

size_t CurveTimeline::interpolate(float time, float& percent) const {
  const size_t step = entries();
  size_t next = search(frames, time, step);
  size_t prev = next - step;
  float prevTime = frames[prev], nextTime = frames[next];
  percent = curvePercent(prev / step, (time - prevTime) / (nextTime - prevTime));
  return prev;
}

void AttachmentTimeline::setFrame(size_t frame, float time, std::optional<std::string> attachmentName) {
  frames[frame] = time;
  attachmentNames[frame] = std::move(attachmentName);
}

size_t AttachmentTimeline::frameAt(float time) const {
  if (!(time < frames.back())) return frames.size() - 1;
  return search(frames, time, 1) - 1;
}

void AttachmentTimeline::setAttachment(Skeleton& skeleton, int slotIndex, const std::optional<std::string>& name) {
  Slot& slot = *skeleton.slots[static_cast<size_t>(slotIndex)];
  slot.setAttachment(name ? skeleton.getAttachment(slotIndex, *name) : nullptr);
}

void AttachmentTimeline::apply(Skeleton& skeleton, float, float time, std::vector<const Event*>*, float, MixBlend blend,
                               MixDirection direction) const {
  const Slot& slot = *skeleton.slots[static_cast<size_t>(slotIndex)];
  if (!slot.bone.active || frames.empty()) return;
  if (direction == MixDirection::Out) {
    if (blend == MixBlend::Setup) setAttachment(skeleton, slotIndex, slot.data.attachmentName);
    return;
  }
  if (time < frames[0]) {
    if (blend == MixBlend::Setup || blend == MixBlend::First)
      setAttachment(skeleton, slotIndex, slot.data.attachmentName);
    return;
  }
  setAttachment(skeleton, slotIndex, attachmentNames[frameAt(time)]);
}

void EventTimeline::setFrame(size_t frame, Event event) {
  frames[frame] = event.time;
  events[frame] = std::move(event);
}

void EventTimeline::apply(Skeleton& skeleton, float lastTime, float time, std::vector<const Event*>* firedEvents,
                          float alpha, MixBlend blend, MixDirection direction) const {
  if (!firedEvents || frames.empty()) return;
  const size_t count = frames.size();
  if (lastTime > time) {
    // The animation looped: the keys after lastTime belong to the pass that just ended.
    apply(skeleton, lastTime, std::numeric_limits<float>::max(), firedEvents, alpha, blend, direction);
    lastTime = -1;
  } else if (lastTime >= frames[count - 1]) {
    return;
  }
  if (time < frames[0]) return;

  size_t frame;
  if (lastTime < frames[0]) {
    frame = 0;
  } else {
    frame = search(frames, lastTime, 1);
    float frameTime = frames[frame];
    while (frame > 0 && frames[frame - 1] == frameTime) --frame;
  }
  for (; frame < count && time >= frames[frame]; ++frame) firedEvents->push_back(&events[frame]);
}

void DrawOrderTimeline::setFrame(size_t frame, float time, std::vector<int> drawOrder) {
  frames[frame] = time;
  drawOrders[frame] = std::move(drawOrder);
}

void DrawOrderTimeline::apply(Skeleton& skeleton, float, float time, std::vector<const Event*>*, float, MixBlend blend,
                              MixDirection direction) const {
  if (frames.empty()) return;
  auto setupOrder = [&] {
    skeleton.drawOrder.clear();
    for (auto& slot : skeleton.slots) skeleton.drawOrder.push_back(slot.get());
  };
  if (direction == MixDirection::Out) {
    if (blend == MixBlend::Setup) setupOrder();
    return;
  }
  if (time < frames[0]) {
    if (blend == MixBlend::Setup || blend == MixBlend::First) setupOrder();
    return;
  }
  size_t frame = !(time < frames.back()) ? frames.size() - 1 : search(frames, time, 1) - 1;
  const std::vector<int>& order = drawOrders[frame];
  if (order.empty()) {
    setupOrder();
    return;
  }
  skeleton.drawOrder.resize(order.size());
  for (size_t i = 0; i < order.size(); ++i) skeleton.drawOrder[i] = skeleton.slots[static_cast<size_t>(order[i])].get();
}

}  // namespace spine
