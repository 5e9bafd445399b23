#include "skeleton/runtime/AnimationState.h"

#include <algorithm>
#include <cmath>

#include "skeleton/runtime/Animation.h"
#include "skeleton/runtime/AnimationStateData.h"
#include "skeleton/runtime/Skeleton.h"
#include "skeleton/runtime/SkeletonData.h"
#include "skeleton/runtime/private/MathUtil.h"

namespace spine {

namespace {
// How a timeline of an entry is blended, decided from what the other tracks and entries key.
enum TimelineMode : int { kSubsequent = 0, kFirst, kHoldSubsequent, kHoldFirst, kHoldMix };

// Slot attachment bookkeeping relative to the state's unkeyed counter.
constexpr int kSetup = 1;    // restore the setup attachment after apply
constexpr int kCurrent = 2;  // an attachment timeline keyed the slot this apply
}  // namespace

float TrackEntry::animationTime() const {
  if (loop) {
    float duration = animationEnd - animationStart;
    if (duration == 0) return animationStart;
    return std::fmod(trackTime, duration) + animationStart;
  }
  return std::min(trackTime + animationStart, animationEnd);
}

const Animation& AnimationState::emptyAnimation() {
  static const Animation empty("<empty>", {}, 0);
  return empty;
}

AnimationState::AnimationState(const AnimationStateData& data) : m_data(data) {}

AnimationState::~AnimationState() = default;

TrackEntry* AnimationState::newEntry(int trackIndex, const Animation* animation, bool loop, TrackEntry* last) {
  TrackEntry* entry;
  if (!m_freeEntries.empty()) {
    entry = m_freeEntries.back();
    m_freeEntries.pop_back();
    *entry = TrackEntry();
  } else {
    m_entries.push_back(std::make_unique<TrackEntry>());
    entry = m_entries.back().get();
  }
  entry->trackIndex = trackIndex;
  entry->animation = animation;
  entry->loop = loop;
  entry->animationEnd = animation->duration();
  entry->mixDuration = last ? m_data.getMix(last->animation, animation) : 0;
  return entry;
}

void AnimationState::freeEntry(TrackEntry* entry) {
  if (std::find(m_freeEntries.begin(), m_freeEntries.end(), entry) != m_freeEntries.end()) return;
  entry->listener = nullptr;
  entry->next = entry->mixingFrom = entry->mixingTo = nullptr;
  m_freeEntries.push_back(entry);
}

TrackEntry* AnimationState::expandToIndex(int trackIndex) {
  size_t index = static_cast<size_t>(trackIndex);
  if (index < m_tracks.size()) return m_tracks[index];
  m_tracks.resize(index + 1, nullptr);
  return nullptr;
}

TrackEntry* AnimationState::getCurrent(int trackIndex) const {
  if (trackIndex < 0 || static_cast<size_t>(trackIndex) >= m_tracks.size()) return nullptr;
  return m_tracks[static_cast<size_t>(trackIndex)];
}

void AnimationState::setListener(AnimationStateListener listener) {
  m_listeners.clear();
  if (listener) m_listeners.push_back(std::move(listener));
}

void AnimationState::addListener(AnimationStateListener listener) {
  if (listener) m_listeners.push_back(std::move(listener));
}

void AnimationState::update(float delta) {
  delta *= timeScale;
  for (size_t i = 0; i < m_tracks.size(); ++i) {
    TrackEntry* current = m_tracks[i];
    if (!current) continue;
    current->animationLast = current->nextAnimationLast;
    current->trackLast = current->nextTrackLast;

    float currentDelta = delta * current->timeScale;
    if (current->delay > 0) {
      current->delay -= currentDelta;
      if (current->delay > 0) continue;
      currentDelta = -current->delay;
      current->delay = 0;
    }

    TrackEntry* next = current->next;
    if (next) {
      // The queued entry starts once the current one has played past its delay; the overshoot carries over.
      float nextTime = current->trackLast - next->delay;
      if (nextTime >= 0) {
        next->delay = 0;
        next->trackTime += current->timeScale == 0 ? 0 : (nextTime / current->timeScale + delta) * next->timeScale;
        current->trackTime += currentDelta;
        setCurrent(static_cast<int>(i), next, true);
        while (next->mixingFrom) {
          next->mixTime += delta;
          next = next->mixingFrom;
        }
        continue;
      }
    } else if (current->trackLast >= current->trackEnd && !current->mixingFrom) {
      m_tracks[i] = nullptr;
      notify(EventType::End, current);
      disposeNext(current);
      continue;
    }
    if (current->mixingFrom && updateMixingFrom(current, delta)) {
      TrackEntry* from = current->mixingFrom;
      current->mixingFrom = nullptr;
      if (from) from->mixingTo = nullptr;
      while (from) {
        notify(EventType::End, from);
        from = from->mixingFrom;
      }
    }
    current->trackTime += currentDelta;
  }
  drain();
}

bool AnimationState::updateMixingFrom(TrackEntry* to, float delta) {
  TrackEntry* from = to->mixingFrom;
  if (!from) return true;
  bool finished = updateMixingFrom(from, delta);
  from->animationLast = from->nextAnimationLast;
  from->trackLast = from->nextTrackLast;

  // A mix lasts at least one applied frame, so the outgoing entry poses at least once.
  if (to->mixTime > 0 && to->mixTime >= to->mixDuration) {
    if (from->totalAlpha == 0 || to->mixDuration == 0) {
      to->mixingFrom = from->mixingFrom;
      if (from->mixingFrom) from->mixingFrom->mixingTo = to;
      to->interruptAlpha = from->interruptAlpha;
      notify(EventType::End, from);
    }
    return finished;
  }
  from->trackTime += delta * from->timeScale;
  to->mixTime += delta;
  return false;
}

bool AnimationState::apply(Skeleton& skeleton) {
  if (m_animationsChanged) computeTimelineModes();
  bool applied = false;
  for (size_t i = 0; i < m_tracks.size(); ++i) {
    TrackEntry* current = m_tracks[i];
    if (!current || current->delay > 0) continue;
    applied = true;
    MixBlend blend = i == 0 ? MixBlend::First : current->mixBlend;

    float mix = current->alpha;
    if (current->mixingFrom)
      mix *= applyMixingFrom(current, skeleton, blend);
    else if (current->trackTime >= current->trackEnd && !current->next)
      mix = 0;  // the last application of an ending entry poses the setup values

    const float animationLast = current->animationLast, animationTime = current->animationTime();
    const auto& timelines = current->animation->timelines();
    if ((i == 0 && mix == 1) || blend == MixBlend::Add) {
      for (const auto& timeline : timelines) {
        if (timeline->type() == TimelineType::Attachment)
          applyAttachmentTimeline(static_cast<const AttachmentTimeline&>(*timeline), skeleton, animationTime, blend,
                                  true);
        else
          timeline->apply(skeleton, animationLast, animationTime, &m_events, mix, blend, MixDirection::In);
      }
    } else {
      const bool firstFrame = current->m_timelinesRotation.empty();
      if (firstFrame) current->m_timelinesRotation.assign(timelines.size() * 2, 0.0f);
      for (size_t ii = 0; ii < timelines.size(); ++ii) {
        const Timeline& timeline = *timelines[ii];
        const int mode = ii < current->m_timelineMode.size() ? current->m_timelineMode[ii] : kFirst;
        MixBlend timelineBlend = mode == kSubsequent ? blend : MixBlend::Setup;
        if (timeline.type() == TimelineType::Rotate)
          applyRotateTimeline(static_cast<const RotateTimeline&>(timeline), skeleton, animationTime, mix, timelineBlend,
                              current->m_timelinesRotation, ii * 2, firstFrame);
        else if (timeline.type() == TimelineType::Attachment)
          applyAttachmentTimeline(static_cast<const AttachmentTimeline&>(timeline), skeleton, animationTime, blend,
                                  true);
        else
          timeline.apply(skeleton, animationLast, animationTime, &m_events, mix, timelineBlend, MixDirection::In);
      }
    }
    queueEvents(current, animationTime);
    m_events.clear();
    current->nextAnimationLast = animationTime;
    current->nextTrackLast = current->trackTime;
  }

  // Slots that no attachment timeline keyed this frame go back to their setup attachment.
  const int setupState = m_unkeyedState + kSetup;
  for (auto& slot : skeleton.slots) {
    if (slot->attachmentState != setupState) continue;
    const auto& name = slot->data.attachmentName;
    slot->setAttachment(name ? skeleton.getAttachment(slot->data.index, *name) : nullptr);
  }
  m_unkeyedState += 2;
  drain();
  return applied;
}

float AnimationState::applyMixingFrom(TrackEntry* to, Skeleton& skeleton, MixBlend blend) {
  TrackEntry* from = to->mixingFrom;
  if (from->mixingFrom) applyMixingFrom(from, skeleton, blend);

  float mix;
  if (to->mixDuration == 0) {
    mix = 1;
    if (blend == MixBlend::First) blend = MixBlend::Setup;
  } else {
    mix = std::min(1.0f, to->mixTime / to->mixDuration);
    if (blend != MixBlend::First) blend = from->mixBlend;
  }

  std::vector<const Event*>* events = mix < from->eventThreshold ? &m_events : nullptr;
  const bool attachments = mix < from->attachmentThreshold;
  const bool drawOrder = mix < from->drawOrderThreshold;
  const float animationLast = from->animationLast, animationTime = from->animationTime();
  const auto& timelines = from->animation->timelines();
  const float alphaHold = from->alpha * to->interruptAlpha, alphaMix = alphaHold * (1 - mix);

  if (blend == MixBlend::Add) {
    for (const auto& timeline : timelines)
      timeline->apply(skeleton, animationLast, animationTime, events, alphaMix, blend, MixDirection::Out);
  } else {
    const bool firstFrame = from->m_timelinesRotation.empty();
    if (firstFrame) from->m_timelinesRotation.assign(timelines.size() * 2, 0.0f);
    from->totalAlpha = 0;
    for (size_t i = 0; i < timelines.size(); ++i) {
      const Timeline& timeline = *timelines[i];
      MixBlend timelineBlend;
      float alpha;
      const int mode = i < from->m_timelineMode.size() ? from->m_timelineMode[i] : kFirst;
      switch (mode) {
        case kSubsequent:
          if (!drawOrder && timeline.type() == TimelineType::DrawOrder) continue;
          timelineBlend = blend;
          alpha = alphaMix;
          break;
        case kFirst:
          timelineBlend = MixBlend::Setup;
          alpha = alphaMix;
          break;
        case kHoldSubsequent:
          timelineBlend = blend;
          alpha = alphaHold;
          break;
        case kHoldFirst:
          timelineBlend = MixBlend::Setup;
          alpha = alphaHold;
          break;
        default: {
          timelineBlend = MixBlend::Setup;
          const TrackEntry* holdMix = from->m_timelineHoldMix[i];
          alpha = alphaHold * std::max(0.0f, 1 - holdMix->mixTime / holdMix->mixDuration);
          break;
        }
      }
      from->totalAlpha += alpha;
      if (timeline.type() == TimelineType::Rotate) {
        applyRotateTimeline(static_cast<const RotateTimeline&>(timeline), skeleton, animationTime, alpha, timelineBlend,
                            from->m_timelinesRotation, i * 2, firstFrame);
      } else if (timeline.type() == TimelineType::Attachment) {
        applyAttachmentTimeline(static_cast<const AttachmentTimeline&>(timeline), skeleton, animationTime,
                                timelineBlend, attachments);
      } else {
        MixDirection direction = MixDirection::Out;
        if (drawOrder && timeline.type() == TimelineType::DrawOrder && timelineBlend == MixBlend::Setup)
          direction = MixDirection::In;
        timeline.apply(skeleton, animationLast, animationTime, events, alpha, timelineBlend, direction);
      }
    }
  }

  if (to->mixDuration > 0) queueEvents(from, animationTime);
  m_events.clear();
  from->nextAnimationLast = animationTime;
  from->nextTrackLast = from->trackTime;
  return mix;
}

void AnimationState::setAttachment(Skeleton& skeleton, int slotIndex, const std::optional<std::string>& name,
                                   bool attachments) {
  Slot& slot = *skeleton.slots[static_cast<size_t>(slotIndex)];
  slot.setAttachment(name ? skeleton.getAttachment(slotIndex, *name) : nullptr);
  if (attachments) slot.attachmentState = m_unkeyedState + kCurrent;
}

void AnimationState::applyAttachmentTimeline(const AttachmentTimeline& timeline, Skeleton& skeleton, float time,
                                             MixBlend blend, bool attachments) {
  Slot& slot = *skeleton.slots[static_cast<size_t>(timeline.slotIndex)];
  if (!slot.bone.active) return;
  if (time < timeline.frames[0]) {
    if (blend == MixBlend::Setup || blend == MixBlend::First)
      setAttachment(skeleton, timeline.slotIndex, slot.data.attachmentName, attachments);
  } else {
    setAttachment(skeleton, timeline.slotIndex, timeline.attachmentNames[timeline.frameAt(time)], attachments);
  }
  // An attachment set only by an outgoing entry is temporary: the setup attachment returns after apply.
  if (slot.attachmentState <= m_unkeyedState) slot.attachmentState = m_unkeyedState + kSetup;
}

void AnimationState::applyRotateTimeline(const RotateTimeline& timeline, Skeleton& skeleton, float time, float alpha,
                                         MixBlend blend, std::vector<float>& timelinesRotation, size_t i,
                                         bool firstFrame) {
  if (firstFrame) timelinesRotation[i] = timelinesRotation[i + 1] = 0;
  if (alpha == 1) {
    timeline.apply(skeleton, 0, time, nullptr, 1, blend, MixDirection::In);
    return;
  }
  Bone& bone = *skeleton.bones[static_cast<size_t>(timeline.boneIndex)];
  if (!bone.active) return;
  const std::vector<float>& frames = timeline.frames;
  float r1, r2;
  if (time < frames[0]) {
    switch (blend) {
      case MixBlend::Setup:
        bone.rotation = bone.data.rotation;
        return;
      case MixBlend::First:
        r1 = bone.rotation;
        r2 = bone.data.rotation;
        break;
      default:
        return;
    }
  } else {
    r1 = blend == MixBlend::Setup ? bone.data.rotation : bone.rotation;
    r2 = bone.data.rotation + timeline.valueAt(time);
  }

  // Keep turning the way this crossfade started, instead of jumping when the shortest way flips sides.
  float total, diff = math::wrapDegrees(r2 - r1);
  if (diff == 0) {
    total = timelinesRotation[i];
  } else {
    float lastTotal, lastDiff;
    if (firstFrame) {
      lastTotal = 0;
      lastDiff = diff;
    } else {
      lastTotal = timelinesRotation[i];
      lastDiff = timelinesRotation[i + 1];
    }
    const bool current = diff > 0;
    bool dir = lastTotal >= 0;
    if (math::signum(lastDiff) != math::signum(diff) && std::abs(lastDiff) <= 90) {
      if (std::abs(lastTotal) > 180) lastTotal += 360 * math::signum(lastTotal);
      dir = current;
    }
    total = diff + lastTotal - std::fmod(lastTotal, 360.0f);
    if (dir != current) total += 360 * math::signum(lastTotal);
    timelinesRotation[i] = total;
  }
  timelinesRotation[i + 1] = diff;
  bone.rotation = math::wrapDegrees(r1 + total * alpha);
}

void AnimationState::queueEvents(TrackEntry* entry, float animationTime) {
  const float animationStart = entry->animationStart, animationEnd = entry->animationEnd;
  const float duration = animationEnd - animationStart;
  const float trackLastWrapped = std::fmod(entry->trackLast, duration);

  // Events before the loop boundary, then complete, then the events after it.
  size_t i = 0;
  const size_t n = m_events.size();
  for (; i < n; ++i) {
    const Event* event = m_events[i];
    if (event->time < trackLastWrapped) break;
    if (event->time > animationEnd) continue;
    notify(EventType::Event, entry, event);
  }
  bool complete;
  if (entry->loop)
    complete = duration == 0 || trackLastWrapped > std::fmod(entry->trackTime, duration);
  else
    complete = animationTime >= animationEnd && entry->animationLast < animationEnd;
  if (complete) notify(EventType::Complete, entry);
  for (; i < n; ++i) {
    const Event* event = m_events[i];
    if (event->time < animationStart) continue;
    notify(EventType::Event, entry, event);
  }
}

void AnimationState::clearTracks() {
  const bool oldDrainDisabled = m_drainDisabled;
  m_drainDisabled = true;
  for (size_t i = 0; i < m_tracks.size(); ++i) clearTrack(static_cast<int>(i));
  m_tracks.clear();
  m_drainDisabled = oldDrainDisabled;
  drain();
}

void AnimationState::clearTrack(int trackIndex) {
  TrackEntry* current = getCurrent(trackIndex);
  if (!current) return;
  notify(EventType::End, current);
  disposeNext(current);
  TrackEntry* entry = current;
  while (TrackEntry* from = entry->mixingFrom) {
    notify(EventType::End, from);
    entry->mixingFrom = nullptr;
    entry->mixingTo = nullptr;
    entry = from;
  }
  m_tracks[static_cast<size_t>(trackIndex)] = nullptr;
  drain();
}

void AnimationState::setCurrent(int trackIndex, TrackEntry* current, bool interrupt) {
  TrackEntry* from = expandToIndex(trackIndex);
  m_tracks[static_cast<size_t>(trackIndex)] = current;
  if (from) {
    if (interrupt) notify(EventType::Interrupt, from);
    current->mixingFrom = from;
    from->mixingTo = current;
    current->mixTime = 0;
    // Interrupting a mix part way through fades from where that mix had got to.
    if (from->mixingFrom && from->mixDuration > 0)
      current->interruptAlpha *= std::min(1.0f, from->mixTime / from->mixDuration);
    from->m_timelinesRotation.clear();
  }
  notify(EventType::Start, current);
}

TrackEntry* AnimationState::setAnimation(int trackIndex, std::string_view animationName, bool loop) {
  const Animation* animation = m_data.skeletonData().findAnimation(animationName);
  return animation ? setAnimation(trackIndex, animation, loop) : nullptr;
}

TrackEntry* AnimationState::setAnimation(int trackIndex, const Animation* animation, bool loop) {
  if (!animation || trackIndex < 0 || trackIndex >= kMaxTracks) return nullptr;
  bool interrupt = true;
  TrackEntry* current = expandToIndex(trackIndex);
  if (current) {
    if (current->nextTrackLast == -1) {
      // Never applied: replace it outright instead of mixing from a pose that was never shown.
      m_tracks[static_cast<size_t>(trackIndex)] = current->mixingFrom;
      notify(EventType::Interrupt, current);
      notify(EventType::End, current);
      disposeNext(current);
      current = current->mixingFrom;
      interrupt = false;
    } else {
      disposeNext(current);
    }
  }
  TrackEntry* entry = newEntry(trackIndex, animation, loop, current);
  setCurrent(trackIndex, entry, interrupt);
  drain();
  return entry;
}

TrackEntry* AnimationState::addAnimation(int trackIndex, std::string_view animationName, bool loop, float delay) {
  const Animation* animation = m_data.skeletonData().findAnimation(animationName);
  return animation ? addAnimation(trackIndex, animation, loop, delay) : nullptr;
}

TrackEntry* AnimationState::addAnimation(int trackIndex, const Animation* animation, bool loop, float delay) {
  return queueAnimation(trackIndex, animation, loop, delay, std::nullopt);
}

TrackEntry* AnimationState::queueAnimation(int trackIndex, const Animation* animation, bool loop, float delay,
                                           std::optional<float> mixDuration) {
  if (!animation || trackIndex < 0 || trackIndex >= kMaxTracks) return nullptr;
  TrackEntry* last = expandToIndex(trackIndex);
  if (last)
    while (last->next) last = last->next;
  TrackEntry* entry = newEntry(trackIndex, animation, loop, last);
  if (!last) {
    setCurrent(trackIndex, entry, true);
    drain();
  } else {
    last->next = entry;
    if (delay <= 0) {
      float duration = last->animationEnd - last->animationStart;
      if (duration != 0) {
        if (last->loop)
          delay += duration * (1 + std::floor(last->trackTime / duration));
        else
          delay += std::max(duration, last->trackTime);
        delay -= mixDuration ? *mixDuration : m_data.getMix(last->animation, animation);
      } else {
        delay = last->trackTime;
      }
    }
  }
  entry->delay = delay;
  return entry;
}

TrackEntry* AnimationState::setEmptyAnimation(int trackIndex, float mixDuration) {
  TrackEntry* entry = setAnimation(trackIndex, &emptyAnimation(), false);
  if (!entry) return nullptr;
  entry->mixDuration = mixDuration;
  entry->trackEnd = mixDuration;
  return entry;
}

TrackEntry* AnimationState::addEmptyAnimation(int trackIndex, float mixDuration, float delay) {
  // The automatic delay makes this entry's own mix, not the default one, end where the previous entry ends; so a
  // non-looping entry plays to its last frame (and completes) while it fades out.
  TrackEntry* entry = queueAnimation(trackIndex, &emptyAnimation(), false, delay, mixDuration);
  if (!entry) return nullptr;
  entry->mixDuration = mixDuration;
  entry->trackEnd = mixDuration;
  return entry;
}

void AnimationState::setEmptyAnimations(float mixDuration) {
  const bool oldDrainDisabled = m_drainDisabled;
  m_drainDisabled = true;
  for (size_t i = 0; i < m_tracks.size(); ++i)
    if (m_tracks[i]) setEmptyAnimation(static_cast<int>(i), mixDuration);
  m_drainDisabled = oldDrainDisabled;
  drain();
}

void AnimationState::disposeNext(TrackEntry* entry) {
  for (TrackEntry* next = entry->next; next; next = next->next) notify(EventType::Dispose, next);
  entry->next = nullptr;
}

void AnimationState::computeTimelineModes() {
  m_animationsChanged = false;
  m_propertyIds.clear();
  for (TrackEntry* entry : m_tracks) {
    if (!entry) continue;
    while (entry->mixingFrom) entry = entry->mixingFrom;
    do {
      if (!entry->mixingTo || entry->mixBlend != MixBlend::Add) computeHold(entry);
      entry = entry->mixingTo;
    } while (entry);
  }
}

void AnimationState::computeHold(TrackEntry* entry) {
  TrackEntry* to = entry->mixingTo;
  const auto& timelines = entry->animation->timelines();
  const size_t count = timelines.size();
  entry->m_timelineMode.assign(count, kFirst);
  entry->m_timelineHoldMix.assign(count, nullptr);

  if (to && to->holdPrevious) {
    for (size_t i = 0; i < count; ++i)
      entry->m_timelineMode[i] = m_propertyIds.insert(timelines[i]->propertyId()).second ? kHoldFirst : kHoldSubsequent;
    return;
  }
  for (size_t i = 0; i < count; ++i) {
    const Timeline& timeline = *timelines[i];
    const PropertyId id = timeline.propertyId();
    const TimelineType type = timeline.type();
    if (!m_propertyIds.insert(id).second) {
      entry->m_timelineMode[i] = kSubsequent;
    } else if (!to || type == TimelineType::Attachment || type == TimelineType::DrawOrder ||
               type == TimelineType::Event || !to->animation->hasTimeline(id)) {
      entry->m_timelineMode[i] = kFirst;
    } else {
      // A newer entry keys this too: hold our value so the crossfade does not dip towards setup.
      int mode = kHoldFirst;
      for (TrackEntry* next = to->mixingTo; next; next = next->mixingTo) {
        if (next->animation->hasTimeline(id)) continue;
        if (next->mixDuration > 0) {
          mode = kHoldMix;
          entry->m_timelineHoldMix[i] = next;
        }
        break;
      }
      entry->m_timelineMode[i] = mode;
    }
  }
}

void AnimationState::notify(EventType type, TrackEntry* entry, const Event* event) {
  m_queue.push_back({type, entry, event});
  if (type == EventType::Start || type == EventType::End) m_animationsChanged = true;
}

void AnimationState::drain() {
  if (m_draining || m_drainDisabled) return;
  m_draining = true;
  // Listeners may queue more notifications (e.g. by setting animations); they are delivered in this same pass.
  // Disposed entries are recycled only afterwards, so no queued notification can see an entry reused.
  std::vector<TrackEntry*> disposed;
  for (size_t i = 0; i < m_queue.size(); ++i) {
    const Notification notification = m_queue[i];
    TrackEntry& entry = *notification.entry;
    auto deliver = [&](EventType type) {
      // Copies, so a listener that replaces listeners does not destroy the one running.
      if (AnimationStateListener own = entry.listener) own(*this, type, entry, notification.event);
      std::vector<AnimationStateListener> listeners = m_listeners;
      for (const auto& listener : listeners) listener(*this, type, entry, notification.event);
    };
    switch (notification.type) {
      case EventType::End:
        deliver(EventType::End);
        deliver(EventType::Dispose);
        disposed.push_back(&entry);
        break;
      case EventType::Dispose:
        deliver(EventType::Dispose);
        disposed.push_back(&entry);
        break;
      default:
        deliver(notification.type);
        break;
    }
  }
  m_queue.clear();
  for (TrackEntry* entry : disposed) freeEntry(entry);
  m_draining = false;
}

}  // namespace spine
