// The game archive: its index, every member's data, and name folding.
#include "engine/private/Archive.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::MemoryFile file(data, size);
  std::string error;
  std::unique_ptr<engine::Archive> archive = engine::Archive::open(file.path(), &error);
  if (!archive) return 0;
  for (const engine::Archive::Entry& entry : archive->entries()) {
    (void)archive->find(engine::foldFileName(entry.name));
    (void)archive->read(entry, &error);
  }
  return 0;
}
