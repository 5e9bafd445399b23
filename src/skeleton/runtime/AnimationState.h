#pragma once

#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "skeleton/runtime/Timeline.h"

namespace spine {

class Animation;
class AnimationState;
class AnimationStateData;
class AttachmentTimeline;
class RotateTimeline;
class Skeleton;
class TrackEntry;

enum class EventType { Start, Interrupt, End, Complete, Dispose, Event };

// Called when notifications are delivered (at the end of update, apply, setAnimation, ...). `event` is set only
// for EventType::Event. After Dispose the entry is recycled: do not keep pointers to it.
using AnimationStateListener = std::function<void(AnimationState&, EventType, TrackEntry&, const Event*)>;

// One animation playing (or queued) on a track, with its timing and mixing state.
class TrackEntry {
 public:
  // Time fed to the timelines: wrapped for looping entries, clamped to animationEnd otherwise.
  float animationTime() const;
  // True once the animation has played through at least once.
  bool isComplete() const { return trackTime >= animationEnd - animationStart; }
  // Forgets which way a crossfaded rotation was turning.
  void resetRotationDirections() { m_timelinesRotation.clear(); }

  const Animation* animation = nullptr;
  int trackIndex = 0;
  bool loop = false;
  bool holdPrevious = false;
  float delay = 0;
  float trackTime = 0, trackLast = -1, nextTrackLast = -1, trackEnd = std::numeric_limits<float>::max();
  float animationStart = 0, animationEnd = 0, animationLast = -1, nextAnimationLast = -1;
  float timeScale = 1;
  float alpha = 1;
  float mixTime = 0, mixDuration = 0, interruptAlpha = 1, totalAlpha = 0;
  float eventThreshold = 0, attachmentThreshold = 0, drawOrderThreshold = 0;
  MixBlend mixBlend = MixBlend::Replace;
  TrackEntry* next = nullptr;        // queued after this one
  TrackEntry* mixingFrom = nullptr;  // being faded out under this one
  TrackEntry* mixingTo = nullptr;
  AnimationStateListener listener;

 private:
  friend class AnimationState;
  std::vector<int> m_timelineMode;
  std::vector<TrackEntry*> m_timelineHoldMix;
  std::vector<float> m_timelinesRotation;  // per timeline: last total rotation, last difference
};

// Plays animations on numbered tracks over a skeleton: queueing, crossfades, events and notifications.
class AnimationState {
 public:
  explicit AnimationState(const AnimationStateData& data);
  ~AnimationState();
  AnimationState(const AnimationState&) = delete;
  AnimationState& operator=(const AnimationState&) = delete;

  // Advances every track by delta seconds (times timeScale), switching to queued entries and ending mixes.
  void update(float delta);
  // Poses the skeleton from every track; returns true if any track was applied.
  bool apply(Skeleton& skeleton);

  // Track indices run from 0 to kMaxTracks - 1; other indices and unknown names return null.
  TrackEntry* setAnimation(int trackIndex, std::string_view animationName, bool loop);
  TrackEntry* setAnimation(int trackIndex, const Animation* animation, bool loop);
  // Queues after the track's last entry; delay <= 0 counts from the end of that entry, minus the mix.
  TrackEntry* addAnimation(int trackIndex, std::string_view animationName, bool loop, float delay);
  TrackEntry* addAnimation(int trackIndex, const Animation* animation, bool loop, float delay);
  // Fades the track out to the setup pose over mixDuration.
  TrackEntry* setEmptyAnimation(int trackIndex, float mixDuration);
  // Queued: with delay <= 0 the fade ends where the previous entry ends.
  TrackEntry* addEmptyAnimation(int trackIndex, float mixDuration, float delay);
  void setEmptyAnimations(float mixDuration);
  void clearTrack(int trackIndex);
  void clearTracks();

  TrackEntry* getCurrent(int trackIndex) const;
  const std::vector<TrackEntry*>& tracks() const { return m_tracks; }
  const AnimationStateData& data() const { return m_data; }

  // Replaces all state listeners with this one (null removes them).
  void setListener(AnimationStateListener listener);
  void addListener(AnimationStateListener listener);

  float timeScale = 1;

  static constexpr int kMaxTracks = 1024;
  // The animation with no timelines that empty entries play.
  static const Animation& emptyAnimation();

 private:
  struct Notification {
    EventType type;
    TrackEntry* entry;
    const Event* event;
  };

  // addAnimation, with the mix an automatic delay allows for: `mixDuration`, or the state data's mix when empty.
  TrackEntry* queueAnimation(int trackIndex, const Animation* animation, bool loop, float delay,
                             std::optional<float> mixDuration);
  TrackEntry* newEntry(int trackIndex, const Animation* animation, bool loop, TrackEntry* last);
  void freeEntry(TrackEntry* entry);
  TrackEntry* expandToIndex(int trackIndex);
  void setCurrent(int trackIndex, TrackEntry* current, bool interrupt);
  bool updateMixingFrom(TrackEntry* to, float delta);
  float applyMixingFrom(TrackEntry* to, Skeleton& skeleton, MixBlend blend);
  void applyAttachmentTimeline(const AttachmentTimeline& timeline, Skeleton& skeleton, float time, MixBlend blend,
                               bool attachments);
  void setAttachment(Skeleton& skeleton, int slotIndex, const std::optional<std::string>& name, bool attachments);
  void applyRotateTimeline(const RotateTimeline& timeline, Skeleton& skeleton, float time, float alpha, MixBlend blend,
                           std::vector<float>& timelinesRotation, size_t i, bool firstFrame);
  void queueEvents(TrackEntry* entry, float animationTime);
  void disposeNext(TrackEntry* entry);
  void computeTimelineModes();
  void computeHold(TrackEntry* entry);

  void notify(EventType type, TrackEntry* entry, const Event* event = nullptr);
  void drain();

  const AnimationStateData& m_data;
  std::vector<TrackEntry*> m_tracks;
  std::vector<const Event*> m_events;  // scratch: events fired by the timelines being applied
  std::vector<Notification> m_queue;
  std::vector<AnimationStateListener> m_listeners;
  std::unordered_set<PropertyId> m_propertyIds;
  bool m_animationsChanged = false;
  bool m_draining = false;
  bool m_drainDisabled = false;
  int m_unkeyedState = 0;
  std::vector<std::unique_ptr<TrackEntry>> m_entries;  // every entry ever made; freed ones are reused
  std::vector<TrackEntry*> m_freeEntries;
};

}  // namespace spine
