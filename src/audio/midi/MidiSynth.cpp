#include "audio/midi/MidiSynth.h"

#include <fluidsynth.h>

#include <cstdlib>

#include "platform/LateLibrary.h"

namespace audio::midi {
namespace {

constexpr const char* kDebianSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// Every FluidSynth function the player calls.
#define QUILLON_FLUID_FUNCTIONS(X) \
  X(delete_fluid_settings)         \
  X(delete_fluid_synth)            \
  X(fluid_is_soundfont)            \
  X(fluid_set_log_function)        \
  X(fluid_settings_setint)         \
  X(fluid_settings_setnum)         \
  X(fluid_synth_all_sounds_off)    \
  X(fluid_synth_cc)                \
  X(fluid_synth_channel_pressure)  \
  X(fluid_synth_key_pressure)      \
  X(fluid_synth_noteoff)           \
  X(fluid_synth_noteon)            \
  X(fluid_synth_pitch_bend)        \
  X(fluid_synth_program_change)    \
  X(fluid_synth_sfload)            \
  X(fluid_synth_system_reset)      \
  X(fluid_synth_write_float)       \
  X(new_fluid_settings)            \
  X(new_fluid_synth)

// FluidSynth, opened when the first MIDI file plays: with the sound servers and file formats it links, loading it
// with the player cost more start-up time than the interpreter does.
QUILLON_LATE_TABLE(Fluid, QUILLON_FLUID_FUNCTIONS, QUILLON_FLUIDSYNTH_LIBRARY)

Fluid load() {
  Fluid fluid = loadFluid();
  if (fluid.error.empty()) {
    // Its warnings about SoundFonts and files say nothing a player's user can act on.
    fluid.fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid.fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    fluid.fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
  }
  return fluid;
}

// The library, opened by the first call from any thread; null (with `error`) when it cannot be used.
const Fluid* fluidSynth(std::string* error = nullptr) { return platform::loadedTable<Fluid, load>(error); }

// For code that runs only once `fluidSynth()` has returned the library.
const Fluid& fluid() { return *fluidSynth(); }

}  // namespace

std::optional<std::string> findSoundFont() {
  if (!fluidSynth()) return std::nullopt;
  if (const char* configured = std::getenv("QUILLON_SOUNDFONT"); configured && *configured) {
    if (fluid().fluid_is_soundfont(configured)) return std::string(configured);
  }
  if (fluid().fluid_is_soundfont(kDebianSoundFont)) return std::string(kDebianSoundFont);
  return std::nullopt;
}

struct MidiSynth::State {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;

  State() = default;
  State(const State&) = delete;
  State& operator=(const State&) = delete;
  ~State() {
    if (synth) fluid().delete_fluid_synth(synth);
    if (settings) fluid().delete_fluid_settings(settings);
  }
};

std::unique_ptr<MidiSynth> MidiSynth::create(unsigned sampleRate, std::string* error,
                                             std::optional<std::string> soundFont, float gain) {
  std::string missing;
  if (!fluidSynth(&missing)) {
    if (error) *error = "cannot load FluidSynth (" + missing + ")";
    return nullptr;
  }
  if (!soundFont) soundFont = findSoundFont();
  if (!soundFont || !fluid().fluid_is_soundfont(soundFont->c_str())) {
    if (error) *error = "no SoundFont (set QUILLON_SOUNDFONT or install timgm6mb-soundfont)";
    return nullptr;
  }
  std::unique_ptr<MidiSynth> result(new MidiSynth);
  result->m_sampleRate = sampleRate;
  result->m_state = std::make_unique<State>();
  State& s = *result->m_state;
  s.settings = fluid().new_fluid_settings();
  if (!s.settings) return nullptr;
  fluid().fluid_settings_setnum(s.settings, "synth.sample-rate", static_cast<double>(sampleRate));
  fluid().fluid_settings_setnum(s.settings, "synth.gain", static_cast<double>(gain));
  // Only the rendering thread ever calls in; FluidSynth's own lock would let a control thread stall it.
  fluid().fluid_settings_setint(s.settings, "synth.threadsafe-api", 0);
  s.synth = fluid().new_fluid_synth(s.settings);
  if (!s.synth) {
    if (error) *error = "FluidSynth could not start";
    return nullptr;
  }
  if (fluid().fluid_synth_sfload(s.synth, soundFont->c_str(), 1) == FLUID_FAILED) {
    if (error) *error = "cannot load SoundFont " + *soundFont;
    return nullptr;
  }
  return result;
}

MidiSynth::~MidiSynth() = default;

void MidiSynth::send(std::uint32_t message) {
  const Fluid& f = fluid();
  fluid_synth_t* synth = m_state->synth;
  const int status = static_cast<int>(message & 0xf0);
  const int channel = static_cast<int>(message & 0x0f);
  const int data1 = static_cast<int>((message >> 8) & 0x7f);
  const int data2 = static_cast<int>((message >> 16) & 0x7f);
  switch (status) {
    case 0x80: f.fluid_synth_noteoff(synth, channel, data1); break;
    case 0x90:
      if (data2 == 0) f.fluid_synth_noteoff(synth, channel, data1);
      else f.fluid_synth_noteon(synth, channel, data1, data2);
      break;
    case 0xA0: f.fluid_synth_key_pressure(synth, channel, data1, data2); break;
    case 0xB0: f.fluid_synth_cc(synth, channel, data1, data2); break;
    case 0xC0: f.fluid_synth_program_change(synth, channel, data1); break;
    case 0xD0: f.fluid_synth_channel_pressure(synth, channel, data1); break;
    case 0xE0: f.fluid_synth_pitch_bend(synth, channel, data1 | data2 << 7); break;
    default: break;
  }
}

void MidiSynth::render(float* out, std::size_t frames) {
  fluid().fluid_synth_write_float(m_state->synth, static_cast<int>(frames), out, 0, 2, out, 1, 2);
}

void MidiSynth::reset() {
  // In this order: a system reset issued after the sounds-off lets the killed voices sound on.
  fluid().fluid_synth_system_reset(m_state->synth);
  fluid().fluid_synth_all_sounds_off(m_state->synth, -1);
  // FluidSynth renders in blocks of 64 frames and hands out the rest of a block on the next call: drop what
  // is left of the sound that was playing.
  float discard[2 * 64];
  fluid().fluid_synth_write_float(m_state->synth, 64, discard, 0, 2, discard, 1, 2);
}

}  // namespace audio::midi
