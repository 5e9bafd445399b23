// Skeletons exported as JSON. Attachments need no atlas here, so every attachment kind is read.
#include "fuzz/FuzzInput.h"
#include "fuzz/SkeletonExercise.h"
#include "skeleton/runtime/SkeletonJson.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  spine::AtlasAttachmentLoader loader(nullptr);
  spine::SkeletonJson reader(loader);
  if (std::unique_ptr<spine::SkeletonData> skeleton = reader.readSkeletonData(fuzz::text(data, size))) {
    fuzz::exerciseSkeleton(*skeleton);
  }
  return 0;
}
