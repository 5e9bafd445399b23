#include <cstring>

#include "engine/private/EngineClasses.h"
#include "engine/private/Marshal.h"

namespace engine {

namespace {

VALUE g_rectClass = Qnil;

void rectFree(void* record) {
  delete static_cast<RectData*>(record);
}

size_t rectSize(const void*) {
  return sizeof(RectData);
}

const rb_data_type_t kRectType = {
    "Rect", {nullptr, rectFree, rectSize, nullptr, {nullptr}}, nullptr, nullptr, RUBY_TYPED_FREE_IMMEDIATELY};

VALUE rectAllocate(VALUE klass) {
  return TypedData_Wrap_Struct(klass, &kRectType, new RectData{});
}

void setFields(RectData* rect, const VALUE* argv) {
  rect->x = NUM2INT(argv[0]);
  rect->y = NUM2INT(argv[1]);
  rect->width = NUM2INT(argv[2]);
  rect->height = NUM2INT(argv[3]);
}

VALUE rectInitialize(int argc, VALUE* argv, VALUE self) {
  if (argc != 0 && argc != 4) {
    rb_error_arity(argc, 4, 4);
  }
  RectData* rect = rectData(self);
  if (argc == 4) {
    setFields(rect, argv);
  } else {
    *rect = RectData{};
  }
  return self;
}

VALUE rectSet(int argc, VALUE* argv, VALUE self) {
  RectData* rect = rectData(self);
  if (argc == 1) {
    *rect = *rectData(argv[0]);
  } else if (argc == 4) {
    setFields(rect, argv);
  } else {
    rb_error_arity(argc, 1, 4);
  }
  return self;
}

VALUE rectInitializeCopy(VALUE self, VALUE source) {
  if (self != source) {
    rb_check_frozen(self);
    *rectData(self) = *rectData(source);
  }
  return self;
}

VALUE rectEmpty(VALUE self) {
  *rectData(self) = RectData{};
  return self;
}

template <int32_t RectData::*Field>
VALUE rectGet(VALUE self) {
  return INT2NUM(rectData(self)->*Field);
}

template <int32_t RectData::*Field>
VALUE rectSetField(VALUE self, VALUE value) {
  rectData(self)->*Field = NUM2INT(value);
  return value;
}

VALUE rectEqual(VALUE self, VALUE other) {
  if (!rb_obj_is_kind_of(other, g_rectClass)) {
    return Qfalse;
  }
  const RectData* a = rectData(self);
  const RectData* b = rectData(other);
  return (a->x == b->x && a->y == b->y && a->width == b->width && a->height == b->height) ? Qtrue : Qfalse;
}

VALUE rectToS(VALUE self) {
  const RectData* r = rectData(self);
  return rb_sprintf("(%d, %d, %d, %d)", r->x, r->y, r->width, r->height);
}

VALUE rectDump(VALUE self, VALUE) {
  const RectData* r = rectData(self);
  ByteWriter out;
  out.putI32(r->x);
  out.putI32(r->y);
  out.putI32(r->width);
  out.putI32(r->height);
  return out.toString();
}

VALUE rectLoad(VALUE klass, VALUE data) {
  ByteReader in(data);
  VALUE rect = rectAllocate(klass);
  RectData* r = rectData(rect);
  r->x = in.i32();
  r->y = in.i32();
  r->width = in.i32();
  r->height = in.i32();
  return rect;
}

}  // namespace

VALUE rectClass() {
  return g_rectClass;
}

RectData* rectData(VALUE rect) {
  return static_cast<RectData*>(rb_check_typeddata(rect, &kRectType));
}

VALUE newRect(int x, int y, int width, int height) {
  VALUE rect = rectAllocate(g_rectClass);
  *rectData(rect) = RectData{x, y, width, height};
  return rect;
}

void defineRect() {
  g_rectClass = rb_define_class("Rect", rb_cObject);
  rb_gc_register_address(&g_rectClass);
  rb_define_alloc_func(g_rectClass, rectAllocate);
  rb_define_method(g_rectClass, "initialize", rectInitialize, -1);
  rb_define_method(g_rectClass, "initialize_copy", rectInitializeCopy, 1);
  rb_define_method(g_rectClass, "set", rectSet, -1);
  rb_define_method(g_rectClass, "empty", rectEmpty, 0);
  rb_define_method(g_rectClass, "x", rectGet<&RectData::x>, 0);
  rb_define_method(g_rectClass, "y", rectGet<&RectData::y>, 0);
  rb_define_method(g_rectClass, "width", rectGet<&RectData::width>, 0);
  rb_define_method(g_rectClass, "height", rectGet<&RectData::height>, 0);
  rb_define_method(g_rectClass, "x=", rectSetField<&RectData::x>, 1);
  rb_define_method(g_rectClass, "y=", rectSetField<&RectData::y>, 1);
  rb_define_method(g_rectClass, "width=", rectSetField<&RectData::width>, 1);
  rb_define_method(g_rectClass, "height=", rectSetField<&RectData::height>, 1);
  rb_define_method(g_rectClass, "==", rectEqual, 1);
  rb_define_method(g_rectClass, "to_s", rectToS, 0);
  rb_define_method(g_rectClass, "_dump", rectDump, 1);
  rb_define_singleton_method(g_rectClass, "_load", rectLoad, 1);
}

}  // namespace engine
