// Skeleton texture atlases (text).
#include "fuzz/FuzzInput.h"
#include "skeleton/runtime/Atlas.h"

namespace {

// Gives pages without a size line one, as a real texture would.
class SizingLoader : public spine::TextureLoader {
 public:
  void load(spine::AtlasPage& page, const std::string&) override {
    if (page.width == 0) page.width = 256;
    if (page.height == 0) page.height = 128;
  }
  void unload(void*) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SizingLoader loader;
  std::string error;
  std::unique_ptr<spine::Atlas> atlas = spine::Atlas::parse(fuzz::text(data, size), "pages", &loader, error);
  if (!atlas) return 0;
  for (const auto& region : atlas->regions()) (void)atlas->findRegion(region->name);
  return 0;
}
