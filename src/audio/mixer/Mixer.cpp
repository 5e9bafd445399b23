#include "audio/mixer/Mixer.h"

#include <algorithm>
#include <cassert>
#include <thread>

#include "audio/mixer/SubMixer.h"
#include "audio/mixer/private/SdlDevice.h"

namespace audio::mixer {

Mixer::Mixer(Output output, unsigned offlineSampleRate) {
  m_block.assign(static_cast<std::size_t>(kBlockFrames) * kChannels, 0.0f);
  auto empty = std::make_unique<std::vector<SubMixer*>>();
  m_engines.store(empty.get());
  m_engineLists.push_back(std::move(empty));
  if (output == Output::Offline) {
    m_sampleRate = offlineSampleRate == 0 ? 44100 : offlineSampleRate;
    return;
  }
  m_device = SdlDevice::open(*this, 44100);
  if (!m_device) {
    // Not even the dummy driver: behave as an output nobody listens to.
    m_driverName = "none";
    return;
  }
  m_offline = false;
  m_sampleRate = m_device->sampleRate();
  m_driverName = m_device->driverName();
  m_device->start();
}

Mixer::~Mixer() {
  m_device.reset();
  assert(m_engines.load()->empty() && "every SubMixer must be destroyed before its Mixer");
}

void Mixer::attach(SubMixer* engine) {
  std::lock_guard lock(m_engineMutex);
  auto list = std::make_unique<std::vector<SubMixer*>>(*m_engines.load());
  list->push_back(engine);
  m_engines.store(list.get());
  m_engineLists.push_back(std::move(list));
  synchronize();
  m_engineLists.erase(m_engineLists.begin(), m_engineLists.end() - 1);
}

void Mixer::detach(SubMixer* engine) {
  std::lock_guard lock(m_engineMutex);
  auto list = std::make_unique<std::vector<SubMixer*>>(*m_engines.load());
  list->erase(std::remove(list->begin(), list->end(), engine), list->end());
  m_engines.store(list.get());
  m_engineLists.push_back(std::move(list));
  synchronize();
  m_engineLists.erase(m_engineLists.begin(), m_engineLists.end() - 1);
}

void Mixer::synchronize() const {
  // Sequentially consistent on both sides: a render that saw the old pointer set m_rendering before it read
  // the pointer, so either it is over or m_rendering shows it is still running.
  const std::uint64_t count = m_renderCount.load();
  if (!m_rendering.load()) return;
  while (m_renderCount.load() == count) std::this_thread::yield();
}

void Mixer::renderBlock() {
  std::fill(m_block.begin(), m_block.end(), 0.0f);
  float* left = m_block.data();
  float* right = left + kBlockFrames;
  m_rendering.store(true);
  for (SubMixer* engine : *m_engines.load()) engine->renderAdd(left, right, kBlockFrames);
  m_rendering.store(false);
  m_renderCount.fetch_add(1);
  m_blockOffset = 0;
}

void Mixer::mixInterleaved(float* out, std::size_t frames) {
  const float* left = m_block.data();
  const float* right = left + kBlockFrames;
  std::size_t done = 0;
  while (done < frames) {
    if (m_blockOffset == kBlockFrames) renderBlock();
    const std::size_t count = std::min<std::size_t>(kBlockFrames - m_blockOffset, frames - done);
    for (std::size_t i = 0; i < count; ++i) {
      out[2 * (done + i)] = std::clamp(left[m_blockOffset + i], -1.0f, 1.0f);
      out[2 * (done + i) + 1] = std::clamp(right[m_blockOffset + i], -1.0f, 1.0f);
    }
    m_blockOffset += static_cast<unsigned>(count);
    done += count;
  }
}

void Mixer::render(float* interleaved, std::size_t frames) {
  assert(m_offline && "render is for offline mixers; a device pulls its own");
  mixInterleaved(interleaved, frames);
}

}  // namespace audio::mixer
