#pragma once

#include <string>

namespace spine {

class AtlasPage;

// Supplies the textures of atlas pages, so the runtime never depends on a renderer. load() stores its texture in
// page.rendererObject and may set page.width/height to the image's real size; unload() receives that object.
class TextureLoader {
 public:
  virtual ~TextureLoader() = default;
  virtual void load(AtlasPage& page, const std::string& path) = 0;
  virtual void unload(void* texture) = 0;
};

}  // namespace spine
