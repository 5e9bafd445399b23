#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "audio/Audio.h"
#include "audio/AudioMath.h"
#include "audio/AudioSystem.h"
#include "audio/ConvolutionFilter.h"
#include "audio/PlayerTask.h"
#include "audio/SourceCache.h"
#include "audio/mixer/Mixer.h"
#include "bindings/Binding.h"

namespace audio {

// Audio_Slot's record: only the channel id; the player lives in the AudioSystem.
struct AudioSlot {
  int id = -1;
};

namespace {

using bindings::Args;
using bindings::Value;

// Members in creation order: they are destroyed players first, then the caches, then the output.
struct Runtime {
  std::unique_ptr<mixer::Mixer> mixer;
  std::unique_ptr<SourceCache> sources;
  ThreadTaskRunner runner;
  std::unique_ptr<AudioSystem> system;

  ~Runtime() { shutdown(); }
  void shutdown() {
    system.reset();
    sources.reset();
    mixer.reset();
  }
};

Runtime& runtime() {
  static Runtime instance;
  return instance;
}

// Names pass through 260-character buffers (MAX_PATH) on the way to the file layer, so longer ones are refused.
constexpr std::size_t kMaxNameBytes = 259;

std::string soundName(Value name) {
  std::string_view bytes = bindings::stringView(name);
  if (bytes.size() > kMaxNameBytes) {
    std::size_t cut = kMaxNameBytes;
    // Cut at a character boundary: never leave half of a UTF-8 sequence.
    while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80) --cut;
    bytes = bytes.substr(0, cut);
  }
  return std::string(bytes);
}

AudioSystem* system() { return runtime().system.get(); }

int scriptVolume(Args args, int index) { return args.count > index ? volumeCurve(bindings::toInt(args[index])) : volumeCurve(100); }
int scriptPitch(Args args, int index) { return args.count > index ? bindings::toInt(args[index]) : 100; }

// The name is converted last: converting the numbers may run script code, which must not see a C++ string
// alive in this frame.
void audioBgmPlay(Value, Args args) {
  args.require(1, 4);
  const int volume = scriptVolume(args, 1);
  const int pitch = scriptPitch(args, 2);
  const long position = args.count > 3 ? bindings::api().num2long(args[3]) : 0;
  bindings::api().check_type(args[0], engine::kTypeString);
  if (AudioSystem* audio = system()) audio->bgmPlay(soundName(args[0]), volume, pitch, position);
}

void audioBgmStop(Value) {
  if (AudioSystem* audio = system()) audio->bgmStop();
}

void audioBgmFade(Value, int durationMs) {
  if (AudioSystem* audio = system()) audio->bgmFade(durationMs);
}

long audioBgmPos(Value) {
  AudioSystem* audio = system();
  return audio ? static_cast<long>(audio->bgmPosition()) : 0;
}

void audioBgsPlay(Value, Args args) {
  args.require(1, 4);
  const int volume = scriptVolume(args, 1);
  const int pitch = scriptPitch(args, 2);
  const long position = args.count > 3 ? bindings::api().num2long(args[3]) : 0;
  bindings::api().check_type(args[0], engine::kTypeString);
  if (AudioSystem* audio = system()) audio->bgsPlay(soundName(args[0]), volume, pitch, position);
}

void audioBgsStop(Value) {
  if (AudioSystem* audio = system()) audio->bgsStop();
}

void audioBgsFade(Value, int durationMs) {
  if (AudioSystem* audio = system()) audio->bgsFade(durationMs);
}

long audioBgsPos(Value) {
  AudioSystem* audio = system();
  return audio ? static_cast<long>(audio->bgsPosition()) : 0;
}

void audioMePlay(Value, Args args) {
  args.require(1, 3);
  const int volume = scriptVolume(args, 1);
  const int pitch = scriptPitch(args, 2);
  bindings::api().check_type(args[0], engine::kTypeString);
  if (AudioSystem* audio = system()) audio->mePlay(soundName(args[0]), volume, pitch);
}

void audioMeStop(Value) {
  if (AudioSystem* audio = system()) audio->meStop();
}

void audioMeFade(Value, int durationMs) {
  if (AudioSystem* audio = system()) audio->meFade(durationMs);
}

void audioSePlay(Value, Args args) {
  args.require(1, 3);
  const int volume = scriptVolume(args, 1);
  const int pitch = scriptPitch(args, 2);
  bindings::api().check_type(args[0], engine::kTypeString);
  // An empty name takes a channel like any other SE and plays nothing on it.
  if (AudioSystem* audio = system()) audio->sePlay(soundName(args[0]), volume, pitch);
}

void audioSeStop(Value) {
  if (AudioSystem* audio = system()) audio->seStop();
}

// Games call it before their first MIDI music, so that the SoundFont is not loaded in the middle of a scene.
void audioSetupMidi(Value) {
  if (AudioSystem* audio = system()) audio->midiPlayer().prepareSynth();
}

Value audioSlotFor(Value, int id) {
  if (bindings::ScriptClass<AudioSlot>::value == 0) return bindings::api().nil;
  Value slot = bindings::newRecordObject<AudioSlot>();
  bindings::liveRecord<AudioSlot>(slot).id = id;
  return slot;
}

void audioReset(Value) {
  Runtime& state = runtime();
  if (!state.system) return;
  // The replaced players are stopped and their tasks joined: a reset game starts in silence, and nothing
  // of the old system keeps running unreachable.
  auto fresh = std::make_unique<AudioSystem>(*state.mixer, *state.sources, state.runner);
  fresh->carryOverFrom(*state.system);
  state.system = std::move(fresh);
}

Audio_WavePlayer* slotPlayer(const AudioSlot& slot) {
  AudioSystem* audio = system();
  return audio ? audio->player(slot.id) : nullptr;
}

void slotInitialize(AudioSlot& slot, int id) { slot.id = id; }

void slotDispose(Value) {}

int slotVolume(const AudioSlot& slot) {
  Audio_WavePlayer* player = slotPlayer(slot);
  return player ? player->volume() : 0;
}

void slotSetVolume(AudioSlot& slot, int volume) {
  if (Audio_WavePlayer* player = slotPlayer(slot)) player->setVolume(clampPercent(volume));
}

int slotPitch(const AudioSlot& slot) {
  Audio_WavePlayer* player = slotPlayer(slot);
  return player ? player->pitch() : 0;
}

void slotSetPitch(AudioSlot& slot, int pitch) {
  if (Audio_WavePlayer* player = slotPlayer(slot)) player->setPitch(clampPercent(pitch));
}

int slotPan(const AudioSlot& slot) {
  Audio_WavePlayer* player = slotPlayer(slot);
  return player ? player->pan() : 0;
}

void slotSetPan(AudioSlot& slot, int pan) {
  if (Audio_WavePlayer* player = slotPlayer(slot)) player->setPan(clampPan(pan));
}

long slotPos(const AudioSlot& slot) {
  Audio_WavePlayer* player = slotPlayer(slot);
  return player ? static_cast<long>(player->position()) : 0;
}

void slotSetPos(AudioSlot& slot, long position) {
  if (Audio_WavePlayer* player = slotPlayer(slot)) player->setPosition(position);
}

bool slotLoop(const AudioSlot& slot) {
  Audio_WavePlayer* player = slotPlayer(slot);
  return player != nullptr && player->loop();
}

void slotSetLoop(AudioSlot& slot, bool loop) {
  if (Audio_WavePlayer* player = slotPlayer(slot)) player->setLoop(loop);
}

void slotPlay(AudioSlot& slot, Args args) {
  args.require(1, 3);
  // Without a volume the slot plays at the internal volume 100 (gain 1.0), not through the curve.
  const int volume = args.count > 1 ? volumeCurve(bindings::toInt(args[1])) : 100;
  const int pitch = scriptPitch(args, 2);
  bindings::api().check_type(args[0], engine::kTypeString);
  if (AudioSystem* audio = system()) audio->slotPlay(slot.id, soundName(args[0]), volume, pitch);
}

void slotStop(AudioSlot& slot) {
  if (Audio_WavePlayer* player = slotPlayer(slot)) player->stop();
}

void slotClearFilter(AudioSlot& slot, int index) {
  if (index < 0 || index >= static_cast<int>(mixer::SubMixer::kFilterSlots)) return;
  if (Audio_WavePlayer* player = slotPlayer(slot)) player->engine().setGlobalFilter(static_cast<unsigned>(index), nullptr);
}

void slotSetFilter(AudioSlot& slot, int index, int kind, Value samples) {
  engine::ScriptApi& api = bindings::api();
  if (samples == api.nil) {
    slotClearFilter(slot, index);
    return;
  }
  api.check_type(samples, engine::kTypeArray);
  // Every element is converted once before anything with a destructor exists here: a non-number raises
  // straight through this frame.
  const long count = api.ary_length(samples);
  for (long i = 0; i < count; ++i) api.num2dbl(api.ary_entry(samples, i));
  if (index < 0 || index >= static_cast<int>(mixer::SubMixer::kFilterSlots)) return;
  Audio_WavePlayer* player = slotPlayer(slot);
  if (!player) return;
  std::vector<float> values;
  values.reserve(static_cast<std::size_t>(count));
  for (long i = 0; i < count && i < api.ary_length(samples); ++i) {
    const double value = api.num2dbl(api.ary_entry(samples, i));
    // A NaN or infinity would poison every later block of the convolution.
    values.push_back(std::isfinite(value) ? static_cast<float>(value) : 0.0f);
  }
  player->engine().setGlobalFilter(static_cast<unsigned>(index), std::make_shared<Audio_Filter>(kind, std::move(values)));
}

int slotGetFilterIntensity(const AudioSlot& slot, int index) {
  if (index < 0 || index >= static_cast<int>(mixer::SubMixer::kFilterSlots)) return 0;
  Audio_WavePlayer* player = slotPlayer(slot);
  if (!player) return 0;
  const float wet = player->engine().filterParameter(static_cast<unsigned>(index), mixer::FilterInstance::kWet);
  return static_cast<int>(std::trunc(static_cast<double>(wet) * 100.0));
}

void slotSetFilterIntensity(AudioSlot& slot, int index, int value) {
  if (index < 0 || index >= static_cast<int>(mixer::SubMixer::kFilterSlots)) return;
  if (Audio_WavePlayer* player = slotPlayer(slot))
    player->engine().setFilterParameter(static_cast<unsigned>(index), mixer::FilterInstance::kWet,
                                        static_cast<float>(std::clamp(value, 0, 100)) / 100.0f);
}

}  // namespace

void defineAudioModule() {
  bindings::adoptEngineClasses();
  bindings::ModuleDef("Audio")
      .function<&audioReset>("__reset__")
      .function<&audioBgmPlay>("bgm_play")
      .function<&audioBgmStop>("bgm_stop")
      .function<&audioBgmFade>("bgm_fade")
      .function<&audioBgmPos>("bgm_pos")
      .function<&audioBgsPlay>("bgs_play")
      .function<&audioBgsStop>("bgs_stop")
      .function<&audioBgsFade>("bgs_fade")
      .function<&audioBgsPos>("bgs_pos")
      .function<&audioMePlay>("me_play")
      .function<&audioMeStop>("me_stop")
      .function<&audioMeFade>("me_fade")
      .function<&audioSePlay>("se_play")
      .function<&audioSeStop>("se_stop")
      .function<&audioSetupMidi>("setup_midi")
      .function<&audioSlotFor>("[]");
}

void defineAudioSlotClass() {
  bindings::adoptEngineClasses();
  bindings::ClassDef<AudioSlot>("Audio_Slot")
      .refuseCopy("Audio Slot")
      .method<&slotInitialize>("initialize")
      .method<&slotDispose>("dispose")
      .method<&slotVolume>("volume")
      .setter<&slotSetVolume>("volume=")
      .method<&slotPitch>("pitch")
      .setter<&slotSetPitch>("pitch=")
      .method<&slotPan>("pan")
      .setter<&slotSetPan>("pan=")
      .method<&slotPos>("pos")
      .setter<&slotSetPos>("pos=")
      .method<&slotLoop>("loop")
      .setter<&slotSetLoop>("loop=")
      .method<&slotPlay>("play")
      .method<&slotStop>("stop")
      .method<&slotSetFilter>("set_filter")
      .method<&slotClearFilter>("clear_filter")
      .method<&slotGetFilterIntensity>("get_filter_intensity")
      .method<&slotSetFilterIntensity>("set_filter_intensity");
}

void startAudio() {
  Runtime& state = runtime();
  if (state.system) return;
  state.mixer = std::make_unique<mixer::Mixer>(mixer::Mixer::Output::Device);
  state.sources = std::make_unique<SourceCache>(fileLayerResolver());
  state.system = std::make_unique<AudioSystem>(*state.mixer, *state.sources, state.runner);
}

void shutdownAudio() { runtime().shutdown(); }

AudioSystem* audioSystem() { return runtime().system.get(); }

}  // namespace audio
