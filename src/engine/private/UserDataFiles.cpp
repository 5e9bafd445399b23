#include <ruby/encoding.h>

#include "engine/FileLayer.h"
#include "engine/private/EngineClasses.h"

namespace engine {

namespace {

VALUE userDataPath(VALUE, VALUE name, VALUE writing) {
  VALUE path = rb_get_path(name);
  const std::string_view requested(RSTRING_PTR(path), static_cast<std::size_t>(RSTRING_LEN(path)));
  const FileLayer& files = FileLayer::instance();
  const std::string mapped = RTEST(writing) ? files.pathForWriting(requested) : files.pathForReading(requested);
  if (mapped == requested) {
    return path;
  }
  return rb_utf8_str_new(mapped.data(), static_cast<long>(mapped.size()));
}

VALUE userDataFolder(VALUE) {
  const std::string& folder = FileLayer::instance().userDataFolder();
  return rb_utf8_str_new(folder.data(), static_cast<long>(folder.size()));
}

}  // namespace

bool defineUserDataFiles() {
  if (FileLayer::instance().userDataFolder().empty()) {
    return false;
  }
  rb_define_private_method(rb_mKernel, "__user_data_path__", userDataPath, 2);
  rb_define_private_method(rb_mKernel, "__user_data_folder__", userDataFolder, 0);
  return true;
}

}  // namespace engine
