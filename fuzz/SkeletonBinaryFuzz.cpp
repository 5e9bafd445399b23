// Skeletons exported in binary (.skel). Attachments need no atlas here, so every attachment kind is read.
#include "fuzz/FuzzInput.h"
#include "fuzz/SkeletonExercise.h"
#include "skeleton/runtime/SkeletonBinary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  spine::AtlasAttachmentLoader loader(nullptr);
  spine::SkeletonBinary reader(loader);
  if (std::unique_ptr<spine::SkeletonData> skeleton = reader.readSkeletonData(data, size)) {
    fuzz::exerciseSkeleton(*skeleton);
  }
  return 0;
}
