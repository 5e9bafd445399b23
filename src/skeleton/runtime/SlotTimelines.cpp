#include "skeleton/runtime/Skeleton.h"
#include "skeleton/runtime/Timeline.h"
#include "skeleton/runtime/VertexAttachment.h"

namespace spine {

namespace {
void lerpColor(Color& color, const Color& target, float alpha) {
  color.r += (target.r - color.r) * alpha;
  color.g += (target.g - color.g) * alpha;
  color.b += (target.b - color.b) * alpha;
  color.a += (target.a - color.a) * alpha;
}

// Interpolates the kChannels values that follow the time of frame `prev` towards the next frame; a negative
// percent takes frame `prev` as it is.
template <size_t kChannels>
std::array<float, kChannels> sampleFrames(const std::vector<float>& frames, size_t prev, float percent) {
  std::array<float, kChannels> values{};
  const size_t step = kChannels + 1;
  for (size_t i = 0; i < kChannels; ++i) {
    float from = frames[prev + 1 + i];
    values[i] = percent < 0 ? from : from + (frames[prev + step + 1 + i] - from) * percent;
  }
  return values;
}
}  // namespace

void ColorTimeline::setFrame(size_t frame, float time, float r, float g, float b, float a) {
  float* f = &frames[frame * 5];
  f[0] = time;
  f[1] = r;
  f[2] = g;
  f[3] = b;
  f[4] = a;
}

void ColorTimeline::apply(Skeleton& skeleton, float, float time, std::vector<const Event*>*, float alpha,
                          MixBlend blend, MixDirection) const {
  Slot& slot = *skeleton.slots[static_cast<size_t>(slotIndex)];
  if (!slot.bone.active || frames.empty()) return;
  if (time < frames[0]) {
    if (blend == MixBlend::Setup)
      slot.color = slot.data.color;
    else if (blend == MixBlend::First)
      lerpColor(slot.color, slot.data.color, alpha);
    return;
  }
  std::array<float, 4> v;
  if (!(time < frames[frames.size() - 5])) {
    v = sampleFrames<4>(frames, frames.size() - 5, -1);
  } else {
    float percent;
    size_t prev = interpolate(time, percent);
    v = sampleFrames<4>(frames, prev, percent);
  }
  Color keyed{v[0], v[1], v[2], v[3]};
  if (alpha == 1) {
    slot.color = keyed;
    return;
  }
  if (blend == MixBlend::Setup) slot.color = slot.data.color;
  lerpColor(slot.color, keyed, alpha);
}

void TwoColorTimeline::setFrame(size_t frame, float time, float r, float g, float b, float a, float r2, float g2,
                                float b2) {
  float* f = &frames[frame * 8];
  f[0] = time;
  f[1] = r;
  f[2] = g;
  f[3] = b;
  f[4] = a;
  f[5] = r2;
  f[6] = g2;
  f[7] = b2;
}

void TwoColorTimeline::apply(Skeleton& skeleton, float, float time, std::vector<const Event*>*, float alpha,
                             MixBlend blend, MixDirection) const {
  Slot& slot = *skeleton.slots[static_cast<size_t>(slotIndex)];
  if (!slot.bone.active || frames.empty()) return;
  const Color setupDark = slot.data.darkColor.value_or(Color{0, 0, 0, 1});
  if (time < frames[0]) {
    if (blend == MixBlend::Setup) {
      slot.color = slot.data.color;
      slot.darkColor = setupDark;
    } else if (blend == MixBlend::First) {
      lerpColor(slot.color, slot.data.color, alpha);
      lerpColor(slot.darkColor, setupDark, alpha);
    }
    return;
  }
  std::array<float, 7> v;
  if (!(time < frames[frames.size() - 8])) {
    v = sampleFrames<7>(frames, frames.size() - 8, -1);
  } else {
    float percent;
    size_t prev = interpolate(time, percent);
    v = sampleFrames<7>(frames, prev, percent);
  }
  Color light{v[0], v[1], v[2], v[3]};
  Color dark{v[4], v[5], v[6], 1};
  if (alpha == 1) {
    slot.color = light;
    slot.darkColor = dark;
    return;
  }
  if (blend == MixBlend::Setup) {
    slot.color = slot.data.color;
    slot.darkColor = setupDark;
  }
  lerpColor(slot.color, light, alpha);
  lerpColor(slot.darkColor, dark, alpha);
}

void DeformTimeline::setFrame(size_t frame, float time, std::vector<float> vertices) {
  frames[frame] = time;
  frameVertices[frame] = std::move(vertices);
}

PropertyId DeformTimeline::propertyId() const {
  return makeId(type(), (static_cast<uint64_t>(static_cast<uint32_t>(attachment->id)) << 24) |
                            static_cast<uint64_t>(static_cast<uint32_t>(slotIndex) & 0xffffff));
}

void DeformTimeline::apply(Skeleton& skeleton, float, float time, std::vector<const Event*>*, float alpha,
                           MixBlend blend, MixDirection) const {
  Slot& slot = *skeleton.slots[static_cast<size_t>(slotIndex)];
  if (!slot.bone.active || frames.empty() || !slot.attachment) return;
  const AttachmentType kind = slot.attachment->type();
  if (kind != AttachmentType::Mesh && kind != AttachmentType::BoundingBox && kind != AttachmentType::Path &&
      kind != AttachmentType::Clipping)
    return;
  const auto& vertexAttachment = static_cast<const VertexAttachment&>(*slot.attachment);
  if (vertexAttachment.deformAttachment != attachment) return;

  const size_t vertexCount = frameVertices[0].size();
  if (vertexCount != vertexAttachment.deformLength()) return;
  std::vector<float>& deform = slot.deform;
  if (deform.empty()) blend = MixBlend::Setup;
  const bool weighted = vertexAttachment.isWeighted();
  const std::vector<float>& setup = vertexAttachment.vertices;

  if (time < frames[0]) {
    if (blend == MixBlend::Setup) {
      deform.clear();
    } else if (blend == MixBlend::First) {
      if (alpha == 1) {
        deform.clear();
        return;
      }
      deform.resize(vertexCount);
      if (!weighted) {
        for (size_t i = 0; i < vertexCount; ++i) deform[i] += (setup[i] - deform[i]) * alpha;
      } else {
        for (size_t i = 0; i < vertexCount; ++i) deform[i] *= 1 - alpha;
      }
    }
    return;
  }

  deform.resize(vertexCount);
  const float* prevVertices;
  const float* nextVertices = nullptr;
  float percent = 0;
  if (!(time < frames.back())) {
    prevVertices = frameVertices.back().data();
  } else {
    size_t prev = interpolate(time, percent);
    prevVertices = frameVertices[prev].data();
    nextVertices = frameVertices[prev + 1].data();
  }
  auto keyed = [&](size_t i) {
    return nextVertices ? prevVertices[i] + (nextVertices[i] - prevVertices[i]) * percent : prevVertices[i];
  };

  if (alpha == 1 && blend != MixBlend::Add) {
    for (size_t i = 0; i < vertexCount; ++i) deform[i] = keyed(i);
    return;
  }
  switch (blend) {
    case MixBlend::Setup:
      if (!weighted) {
        for (size_t i = 0; i < vertexCount; ++i) deform[i] = setup[i] + (keyed(i) - setup[i]) * alpha;
      } else {
        for (size_t i = 0; i < vertexCount; ++i) deform[i] = keyed(i) * alpha;
      }
      break;
    case MixBlend::First:
    case MixBlend::Replace:
      for (size_t i = 0; i < vertexCount; ++i) deform[i] += (keyed(i) - deform[i]) * alpha;
      break;
    case MixBlend::Add:
      if (!weighted) {
        for (size_t i = 0; i < vertexCount; ++i) deform[i] += (keyed(i) - setup[i]) * alpha;
      } else {
        for (size_t i = 0; i < vertexCount; ++i) deform[i] += keyed(i) * alpha;
      }
      break;
  }
}

}  // namespace spine
