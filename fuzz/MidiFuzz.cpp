// Standard MIDI Files: the merged event stream, played once through and then looped.
#include <memory>
#include <vector>

#include "audio/midi/MidiSequence.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto bytes = std::make_shared<const std::vector<std::uint8_t>>(data, data + size);
  std::unique_ptr<audio::midi::MidiSequence> sequence = audio::midi::MidiSequence::open(bytes);
  if (!sequence) return 0;
  // A file is at most a few events per byte; more means the reader is going round in circles.
  const std::size_t limit = 16 * size + 64;
  for (bool looping : {false, true}) {
    sequence->restart();
    sequence->setLooping(looping);
    for (std::size_t events = 0; events < limit && sequence->next(); ++events) {
    }
  }
  return 0;
}
