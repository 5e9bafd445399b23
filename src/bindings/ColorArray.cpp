#include "bindings/ColorArray.h"

#include <cstring>

#include "bindings/Binding.h"
#include "bindings/ValueClasses.h"

namespace bindings {

namespace {

// Hidden instance variables: the pixel count (read by `size`) and the Color views handed out, which
// releaseColorArray detaches.
constexpr const char* kSizeVariable = "s";
constexpr const char* kViewsVariable = "views";

Color* pixelsOf(Value array) {
  auto* pixels = dataRecord<Color>(array);
  if (pixels == nullptr) {
    throw scriptError("ColorArray used outside its process_color block");
  }
  return pixels;
}

long sizeOf(Value array) {
  return api().num2long(api().iv_get(array, kSizeVariable));
}

Color* pixelAt(Value array, long index) {
  Color* pixels = pixelsOf(array);
  long size = sizeOf(array);
  if (index < 0 || index >= size) {
    throw indexError("index %ld outside of ColorArray of %ld pixels", index, size);
  }
  return pixels + index;
}

// The byte count of n pixels, after checking that the pixels and the string both hold them.
long checkedByteCount(Value array, Value string, long count) {
  api().check_type(string, engine::kTypeString);
  long size = sizeOf(array);
  if (count < 0 || count > size) {
    throw argumentError("count %ld outside of ColorArray of %ld pixels", count, size);
  }
  long bytes = count * static_cast<long>(sizeof(Color));
  long length = api().string_length(string);
  if (bytes > length) {
    throw argumentError("string of %ld bytes is too short for %ld pixels", length, count);
  }
  return bytes;
}

Value colorArrayInitialize(Value) {
  throw scriptError("cannot create built-in classes");
}

Value colorArrayInitializeCopy(Value, Value) {
  throw scriptError("cannot copy built-in classes");
}

Value colorArrayGet(Value self, long index) {
  Value view = newColorView(pixelAt(self, index));
  Value views = api().iv_get(self, kViewsVariable);
  if (views == api().nil) {
    views = api().ary_new();
    api().iv_set(self, kViewsVariable, views);
  }
  api().ary_push(views, view);
  return view;
}

Value colorArraySet(Value self, long index, Value color) {
  Color* pixel = pixelAt(self, index);
  *pixel = colorRecord(color);
  return color;
}

Value colorArraySize(Value self) {
  return api().iv_get(self, kSizeVariable);
}

void colorArraySaveData(Value self, Value string, long count) {
  const Color* pixels = pixelsOf(self);
  long bytes = checkedByteCount(self, string, count);
  std::memcpy(api().string_mutable_ptr(string), pixels, static_cast<std::size_t>(bytes));
}

void colorArrayLoadData(Value self, Value string, long count) {
  Color* pixels = pixelsOf(self);
  long bytes = checkedByteCount(self, string, count);
  std::memcpy(pixels, api().string_ptr(string), static_cast<std::size_t>(bytes));
}

Value allocateColorArray(Value klass) {
  return api().data_wrap(klass, nullptr, nullptr, nullptr);
}

}  // namespace

Value newColorArray(Color* pixels, long count) {
  Value array = allocateColorArray(api().color_array_class);
  api().data_set_ptr(array, pixels);
  api().iv_set(array, kSizeVariable, api().int2num(count));
  return array;
}

void releaseColorArray(Value array) {
  Value views = api().iv_get(array, kViewsVariable);
  if (views != api().nil) {
    long count = api().ary_length(views);
    for (long i = 0; i < count; ++i) {
      detachColorView(api().ary_entry(views, i));
    }
    api().iv_set(array, kViewsVariable, api().nil);
  }
  api().data_set_ptr(array, nullptr);
}

Value yieldColorArray(Color* pixels, long count, int* state) {
  Value array = newColorArray(pixels, count);
  Value result = api().protect(api().yield, array, state);
  releaseColorArray(array);
  return result;
}

void defineErrorClasses() {
  adoptEngineClasses();
  lookupStandardErrors();
  api().d3d_error_class = api().define_class("D3DError", api().script_error);
  api().gc_register(&api().d3d_error_class);

  Value colorArray = api().define_class("ColorArray", api().object_class);
  api().color_array_class = colorArray;
  api().gc_register(&api().color_array_class);
  api().define_alloc_func(colorArray, allocateColorArray);
  defineMethod<&colorArrayInitialize>(colorArray, "initialize");
  defineMethod<&colorArrayInitializeCopy>(colorArray, "initialize_copy");
  defineMethod<&colorArrayGet>(colorArray, "[]");
  defineMethod<&colorArraySet>(colorArray, "[]=");
  defineMethod<&colorArraySize>(colorArray, "size");
  defineMethod<&colorArraySaveData>(colorArray, "save_data");
  defineMethod<&colorArrayLoadData>(colorArray, "load_data");
}

}  // namespace bindings
