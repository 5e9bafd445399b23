#pragma once

// The audio subsystem as the host sees it: the script module `Audio` (defined from the engine's early hook),
// the class `Audio_Slot`, and the process-wide sound output, caches and AudioSystem.

namespace audio {

class AudioSystem;

// The `Audio` module; its `__reset__` replaces the AudioSystem.
void defineAudioModule();
// The `Audio_Slot` class.
void defineAudioSlotClass();
// Opens the sound output (SDL's dummy driver when no device opens), starts the loader thread and creates
// the AudioSystem. Calling it again does nothing.
void startAudio();
// Stops every sound and joins every audio thread; the sound output closes. Safe to call more than once.
void shutdownAudio();

// The current AudioSystem; null before startAudio.
AudioSystem* audioSystem();

}  // namespace audio
