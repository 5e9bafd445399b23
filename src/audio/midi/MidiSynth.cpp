#include "audio/midi/MidiSynth.h"

#include <fluidsynth.h>

#include <cstdlib>
#include <mutex>

namespace audio::midi {
namespace {

constexpr const char* kDebianSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

void quietFluidLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
  });
}

}  // namespace

std::optional<std::string> findSoundFont() {
  quietFluidLog();
  if (const char* configured = std::getenv("QUILLON_SOUNDFONT"); configured && *configured) {
    if (fluid_is_soundfont(configured)) return std::string(configured);
  }
  if (fluid_is_soundfont(kDebianSoundFont)) return std::string(kDebianSoundFont);
  return std::nullopt;
}

struct MidiSynth::State {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;

  State() = default;
  State(const State&) = delete;
  State& operator=(const State&) = delete;
  ~State() {
    if (synth) delete_fluid_synth(synth);
    if (settings) delete_fluid_settings(settings);
  }
};

std::unique_ptr<MidiSynth> MidiSynth::create(unsigned sampleRate, std::string* error,
                                             std::optional<std::string> soundFont, float gain) {
  quietFluidLog();
  if (!soundFont) soundFont = findSoundFont();
  if (!soundFont || !fluid_is_soundfont(soundFont->c_str())) {
    if (error) *error = "no SoundFont (set QUILLON_SOUNDFONT or install timgm6mb-soundfont)";
    return nullptr;
  }
  std::unique_ptr<MidiSynth> result(new MidiSynth);
  result->m_sampleRate = sampleRate;
  result->m_state = std::make_unique<State>();
  State& s = *result->m_state;
  s.settings = new_fluid_settings();
  if (!s.settings) return nullptr;
  fluid_settings_setnum(s.settings, "synth.sample-rate", static_cast<double>(sampleRate));
  fluid_settings_setnum(s.settings, "synth.gain", static_cast<double>(gain));
  // Only the rendering thread ever calls in; FluidSynth's own lock would let a control thread stall it.
  fluid_settings_setint(s.settings, "synth.threadsafe-api", 0);
  s.synth = new_fluid_synth(s.settings);
  if (!s.synth) {
    if (error) *error = "FluidSynth could not start";
    return nullptr;
  }
  if (fluid_synth_sfload(s.synth, soundFont->c_str(), 1) == FLUID_FAILED) {
    if (error) *error = "cannot load SoundFont " + *soundFont;
    return nullptr;
  }
  return result;
}

MidiSynth::~MidiSynth() = default;

void MidiSynth::send(std::uint32_t message) {
  fluid_synth_t* synth = m_state->synth;
  const int status = static_cast<int>(message & 0xf0);
  const int channel = static_cast<int>(message & 0x0f);
  const int data1 = static_cast<int>((message >> 8) & 0x7f);
  const int data2 = static_cast<int>((message >> 16) & 0x7f);
  switch (status) {
    case 0x80: fluid_synth_noteoff(synth, channel, data1); break;
    case 0x90:
      if (data2 == 0) fluid_synth_noteoff(synth, channel, data1);
      else fluid_synth_noteon(synth, channel, data1, data2);
      break;
    case 0xA0: fluid_synth_key_pressure(synth, channel, data1, data2); break;
    case 0xB0: fluid_synth_cc(synth, channel, data1, data2); break;
    case 0xC0: fluid_synth_program_change(synth, channel, data1); break;
    case 0xD0: fluid_synth_channel_pressure(synth, channel, data1); break;
    case 0xE0: fluid_synth_pitch_bend(synth, channel, data1 | data2 << 7); break;
    default: break;
  }
}

void MidiSynth::render(float* out, std::size_t frames) {
  fluid_synth_write_float(m_state->synth, static_cast<int>(frames), out, 0, 2, out, 1, 2);
}

void MidiSynth::reset() {
  // In this order: a system reset issued after the sounds-off lets the killed voices sound on.
  fluid_synth_system_reset(m_state->synth);
  fluid_synth_all_sounds_off(m_state->synth, -1);
  // FluidSynth renders in blocks of 64 frames and hands out the rest of a block on the next call: drop what
  // is left of the sound that was playing.
  float discard[2 * 64];
  fluid_synth_write_float(m_state->synth, 64, discard, 0, 2, discard, 1, 2);
}

}  // namespace audio::midi
