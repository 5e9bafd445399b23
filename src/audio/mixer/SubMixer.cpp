#include "audio/mixer/SubMixer.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "audio/mixer/Mixer.h"
#include "audio/mixer/private/Voice.h"

namespace audio::mixer {
namespace {

constexpr std::uint32_t kSlotBits = 8;
constexpr std::uint32_t kSlotMask = (1u << kSlotBits) - 1;

float roundOff(float x) {
  constexpr float kKnee = 0.5f;
  const float magnitude = std::fabs(x);
  if (magnitude <= kKnee) return x;
  const float bent = kKnee + (1.0f - kKnee) * std::tanh((magnitude - kKnee) / (1.0f - kKnee));
  return x < 0.0f ? -bent : bent;
}

}  // namespace

SubMixer::SubMixer(Mixer& mixer, Clipping clipping)
    : m_mixer(mixer), m_clipping(clipping), m_scratch(new float[2 * Mixer::kBlockFrames]) {
  m_mixer.attach(this);
}

SubMixer::~SubMixer() {
  m_mixer.detach(this);
  // Detached: no render can reach the voices or filters any more, so the members go as they are.
}

Voice* SubMixer::find(VoiceHandle handle) const {
  const std::uint32_t slot = (handle & kSlotMask) - 1;
  if (handle == 0 || slot >= kMaxVoices) return nullptr;
  Voice* voice = m_ownedVoices[slot].get();
  if (!voice || voice->handle() != handle || voice->finished.load(std::memory_order_acquire)) return nullptr;
  return voice;
}

void SubMixer::releaseSlot(unsigned slot) {
  if (!m_ownedVoices[slot]) return;
  m_liveVoices[slot].store(nullptr);
  m_mixer.synchronize();
  m_ownedVoices[slot].reset();
}

void SubMixer::reclaimFinished() {
  bool any = false;
  for (unsigned slot = 0; slot < kMaxVoices; ++slot) {
    if (m_ownedVoices[slot] && m_ownedVoices[slot]->finished.load(std::memory_order_acquire)) {
      m_liveVoices[slot].store(nullptr);
      any = true;
    }
  }
  if (!any) return;
  m_mixer.synchronize();
  for (unsigned slot = 0; slot < kMaxVoices; ++slot)
    if (m_ownedVoices[slot] && !m_liveVoices[slot].load()) m_ownedVoices[slot].reset();
}

VoiceHandle SubMixer::play(const std::shared_ptr<AudioSource>& source, float volume, float pan, bool paused) {
  if (!source) return 0;
  std::lock_guard lock(m_controlMutex);
  reclaimFinished();
  unsigned slot = kMaxVoices;
  for (unsigned i = 0; i < kMaxVoices; ++i) {
    if (!m_ownedVoices[i]) {
      slot = i;
      break;
    }
  }
  if (slot == kMaxVoices) {
    slot = static_cast<unsigned>(std::min_element(m_startOrder.begin(), m_startOrder.end()) - m_startOrder.begin());
    releaseSlot(slot);
  }
  m_generation = (m_generation + 1) & 0xffffffu;
  if (m_generation == 0) m_generation = 1;
  const VoiceHandle handle = (m_generation << kSlotBits) | (slot + 1);
  auto voice = std::make_unique<Voice>(source, m_mixer.sampleRate(), m_mixer.offline(), handle);
  voice->volume.store(volume < 0.0f ? source->volume() : volume);
  voice->pan.store(pan);
  voice->paused.store(paused);
  m_startOrder[slot] = ++m_playCounter;
  m_liveVoices[slot].store(voice.get());
  m_ownedVoices[slot] = std::move(voice);
  return handle;
}

void SubMixer::stop(VoiceHandle handle) {
  std::lock_guard lock(m_controlMutex);
  const std::uint32_t slot = (handle & kSlotMask) - 1;
  if (handle == 0 || slot >= kMaxVoices || !m_ownedVoices[slot] || m_ownedVoices[slot]->handle() != handle) return;
  releaseSlot(slot);
}

void SubMixer::stopAll() {
  std::lock_guard lock(m_controlMutex);
  for (auto& live : m_liveVoices) live.store(nullptr);
  m_mixer.synchronize();
  for (auto& owned : m_ownedVoices) owned.reset();
}

bool SubMixer::isValidVoiceHandle(VoiceHandle handle) const {
  std::lock_guard lock(m_controlMutex);
  return find(handle) != nullptr;
}

void SubMixer::setPause(VoiceHandle handle, bool paused) {
  std::lock_guard lock(m_controlMutex);
  if (Voice* voice = find(handle)) voice->paused.store(paused);
}

bool SubMixer::pause(VoiceHandle handle) const {
  std::lock_guard lock(m_controlMutex);
  const Voice* voice = find(handle);
  return voice && voice->paused.load();
}

void SubMixer::setVolume(VoiceHandle handle, float volume) {
  std::lock_guard lock(m_controlMutex);
  if (Voice* voice = find(handle)) voice->volume.store(volume);
}

float SubMixer::volume(VoiceHandle handle) const {
  std::lock_guard lock(m_controlMutex);
  const Voice* voice = find(handle);
  return voice ? voice->volume.load() : 0.0f;
}

void SubMixer::setPan(VoiceHandle handle, float pan) {
  std::lock_guard lock(m_controlMutex);
  if (Voice* voice = find(handle)) voice->pan.store(std::clamp(pan, -1.0f, 1.0f));
}

float SubMixer::pan(VoiceHandle handle) const {
  std::lock_guard lock(m_controlMutex);
  const Voice* voice = find(handle);
  return voice ? voice->pan.load() : 0.0f;
}

void SubMixer::setRelativePlaySpeed(VoiceHandle handle, float speed) {
  std::lock_guard lock(m_controlMutex);
  if (Voice* voice = find(handle)) voice->setSpeed(speed);
}

float SubMixer::relativePlaySpeed(VoiceHandle handle) const {
  std::lock_guard lock(m_controlMutex);
  const Voice* voice = find(handle);
  return voice ? voice->speed() : 0.0f;
}

void SubMixer::setLooping(VoiceHandle handle, bool looping) {
  std::lock_guard lock(m_controlMutex);
  if (Voice* voice = find(handle)) voice->setLooping(looping);
}

bool SubMixer::looping(VoiceHandle handle) const {
  std::lock_guard lock(m_controlMutex);
  const Voice* voice = find(handle);
  return voice && voice->looping();
}

void SubMixer::setLoopPoint(VoiceHandle handle, std::int64_t frames) {
  std::lock_guard lock(m_controlMutex);
  if (Voice* voice = find(handle)) voice->setLoopPoint(frames);
}

std::int64_t SubMixer::loopPoint(VoiceHandle handle) const {
  std::lock_guard lock(m_controlMutex);
  const Voice* voice = find(handle);
  return voice ? voice->loopPoint() : 0;
}

std::int64_t SubMixer::positionFrames(VoiceHandle handle) const {
  std::lock_guard lock(m_controlMutex);
  const Voice* voice = find(handle);
  return voice ? voice->position() : 0;
}

void SubMixer::seekFrames(VoiceHandle handle, std::int64_t frames) {
  std::lock_guard lock(m_controlMutex);
  if (Voice* voice = find(handle)) voice->requestSeek(frames);
}

unsigned SubMixer::voiceSampleRate(VoiceHandle handle) const {
  std::lock_guard lock(m_controlMutex);
  const Voice* voice = find(handle);
  return voice ? voice->source().sampleRate() : 0;
}

void SubMixer::setGlobalFilter(unsigned index, const std::shared_ptr<Filter>& filter) {
  if (index >= kFilterSlots) return;
  std::unique_ptr<FilterInstance> instance = filter ? filter->createInstance() : nullptr;
  std::lock_guard lock(m_controlMutex);
  m_liveFilters[index].store(instance.get());
  m_mixer.synchronize();
  m_ownedFilters[index] = std::move(instance);
  m_filters[index] = m_ownedFilters[index] ? filter : nullptr;
}

bool SubMixer::hasGlobalFilter(unsigned index) const {
  std::lock_guard lock(m_controlMutex);
  return index < kFilterSlots && m_ownedFilters[index] != nullptr;
}

float SubMixer::filterParameter(unsigned index, unsigned parameter) const {
  std::lock_guard lock(m_controlMutex);
  if (index >= kFilterSlots || !m_ownedFilters[index]) return 0.0f;
  return m_ownedFilters[index]->parameter(parameter);
}

void SubMixer::setFilterParameter(unsigned index, unsigned parameter, float value) {
  std::lock_guard lock(m_controlMutex);
  if (index < kFilterSlots && m_ownedFilters[index]) m_ownedFilters[index]->setParameter(parameter, value);
}

void SubMixer::renderAdd(float* left, float* right, unsigned frames) {
  float* mixLeft = m_scratch.get();
  float* mixRight = mixLeft + Mixer::kBlockFrames;
  std::fill_n(mixLeft, 2 * Mixer::kBlockFrames, 0.0f);
  for (auto& live : m_liveVoices) {
    Voice* voice = live.load();
    if (voice && !voice->finished.load(std::memory_order_acquire)) voice->renderAdd(mixLeft, mixRight, frames);
  }
  for (auto& live : m_liveFilters) {
    if (FilterInstance* filter = live.load())
      filter->filter(mixLeft, frames, Mixer::kBlockFrames, 2, static_cast<float>(m_mixer.sampleRate()));
  }
  if (m_clipping == Clipping::RoundOff) {
    for (unsigned i = 0; i < frames; ++i) {
      left[i] += roundOff(mixLeft[i]);
      right[i] += roundOff(mixRight[i]);
    }
  } else {
    for (unsigned i = 0; i < frames; ++i) {
      left[i] += mixLeft[i];
      right[i] += mixRight[i];
    }
  }
}

}  // namespace audio::mixer
