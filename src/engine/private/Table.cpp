#include <algorithm>
#include <cstdlib>
#include <vector>

#include "engine/Engine.h"
#include "engine/private/EngineClasses.h"
#include "engine/private/Marshal.h"

namespace engine {

namespace {

// Far beyond any map or database table (a 500 x 500 x 4 map has a million elements), small enough that a
// corrupt size fails with a message instead of exhausting memory.
constexpr long kMaxElements = 1L << 26;

struct TableRecord {
  TableData data;  // first, so a TableRecord* is a TableData*
  std::vector<std::int16_t> storage;
};

VALUE g_tableClass = Qnil;

void tableFree(void* record) {
  delete static_cast<TableRecord*>(record);
}

size_t tableSize(const void* record) {
  return sizeof(TableRecord) + static_cast<const TableRecord*>(record)->storage.size() * 2;
}

const rb_data_type_t kTableType = {"Table",
                                   {nullptr, tableFree, tableSize, nullptr, {nullptr}},
                                   nullptr,
                                   nullptr,
                                   RUBY_TYPED_FREE_IMMEDIATELY};

TableRecord* record(VALUE table) {
  return static_cast<TableRecord*>(rb_check_typeddata(table, &kTableType));
}

VALUE tableAllocate(VALUE klass) {
  return TypedData_Wrap_Struct(klass, &kTableType, new TableRecord{});
}

// Negative sizes count as empty: scripts pass computed sizes that may go below zero.
int sizeArg(VALUE value) {
  return std::max(0, NUM2INT(value));
}

// Sets the shape, keeping the elements whose coordinates exist in both shapes.
void reshape(TableRecord* table, int dimensions, int xsize, int ysize, int zsize) {
  long count = static_cast<long>(xsize) * ysize;
  if (count > kMaxElements || count * zsize > kMaxElements) {
    rb_raise(rb_eArgError, "table too large (%d x %d x %d)", xsize, ysize, zsize);
  }
  count *= zsize;
  std::vector<std::int16_t> storage(static_cast<size_t>(count), 0);
  const TableData& old = table->data;
  int keepX = std::min(xsize, old.xsize);
  int keepY = std::min(ysize, old.ysize);
  int keepZ = std::min(zsize, old.zsize);
  for (int z = 0; z < keepZ; ++z) {
    for (int y = 0; y < keepY; ++y) {
      std::copy_n(old.elements + old.xsize * (y + old.ysize * z), keepX,
                  storage.begin() + static_cast<long>(xsize) * (y + static_cast<long>(ysize) * z));
    }
  }
  table->storage = std::move(storage);
  table->data = TableData{dimensions, xsize, ysize, zsize, static_cast<std::int32_t>(count), table->storage.data()};
}

void reshapeFromArgs(TableRecord* table, int argc, const VALUE* argv) {
  if (argc < 1 || argc > 3) {
    rb_error_arity(argc, 1, 3);
  }
  int xsize = sizeArg(argv[0]);
  int ysize = argc > 1 ? sizeArg(argv[1]) : 1;
  int zsize = argc > 2 ? sizeArg(argv[2]) : 1;
  reshape(table, argc, xsize, ysize, zsize);
}

VALUE tableInitialize(int argc, VALUE* argv, VALUE self) {
  TableRecord* table = record(self);
  table->data = TableData{};
  table->storage.clear();
  reshapeFromArgs(table, argc, argv);
  return self;
}

VALUE tableResize(int argc, VALUE* argv, VALUE self) {
  reshapeFromArgs(record(self), argc, argv);
  return self;
}

VALUE tableInitializeCopy(VALUE self, VALUE source) {
  if (self != source) {
    rb_check_frozen(self);
    TableRecord* to = record(self);
    const TableRecord* from = record(source);
    to->storage = from->storage;
    to->data = from->data;
    to->data.elements = to->storage.data();
  }
  return self;
}

VALUE tableXSize(VALUE self) {
  return INT2NUM(record(self)->data.xsize);
}

VALUE tableYSize(VALUE self) {
  return INT2NUM(record(self)->data.ysize);
}

VALUE tableZSize(VALUE self) {
  return INT2NUM(record(self)->data.zsize);
}

// Index of the element at the given coordinates, or -1 when outside the table.
long elementIndex(const TableData& data, int argc, const VALUE* argv) {
  int x = argc > 0 ? NUM2INT(argv[0]) : 0;
  int y = argc > 1 ? NUM2INT(argv[1]) : 0;
  int z = argc > 2 ? NUM2INT(argv[2]) : 0;
  if (x < 0 || x >= data.xsize || y < 0 || y >= data.ysize || z < 0 || z >= data.zsize) {
    return -1;
  }
  return x + static_cast<long>(data.xsize) * (y + static_cast<long>(data.ysize) * z);
}

VALUE tableDump(VALUE self, VALUE) {
  const TableData& data = record(self)->data;
  ByteWriter out(20 + 2L * data.size);
  out.putI32(std::abs(data.dimensions));
  out.putI32(data.xsize);
  out.putI32(data.ysize);
  out.putI32(data.zsize);
  out.putI32(data.size);
  for (std::int32_t i = 0; i < data.size; ++i) {
    out.putI16(data.elements[i]);
  }
  return out.toString();
}

VALUE tableLoad(VALUE klass, VALUE payload) {
  ByteReader in(payload);
  int dimensions = in.i32();
  int xsize = in.i32();
  int ysize = in.i32();
  int zsize = in.i32();
  int count = in.i32();
  if (dimensions < 1 || dimensions > 3 || xsize < 0 || ysize < 0 || zsize < 0) {
    rb_raise(rb_eArgError, "corrupt table data (%d dimensions, %d x %d x %d)", dimensions, xsize, ysize, zsize);
  }
  // A truncated save claiming a large table fails here, before the table is allocated (sizes beyond any table
  // are refused by reshape).
  const double cells = static_cast<double>(xsize) * ysize * zsize;
  if (cells <= kMaxElements && 2 * cells > static_cast<double>(in.remaining())) {
    rb_raise(rb_eArgError, "marshal data too short");
  }
  VALUE table = tableAllocate(klass);
  TableRecord* t = record(table);
  reshape(t, dimensions, xsize, ysize, zsize);
  if (count != t->data.size) {
    rb_raise(rb_eArgError, "corrupt table data (%d elements for %d x %d x %d)", count, xsize, ysize, zsize);
  }
  in.i16Array(t->data.elements, count);
  return table;
}

void checkIndexCount(const TableData& data, int given) {
  int expected = std::abs(data.dimensions);
  if (given != expected) {
    rb_error_arity(given, expected, expected);
  }
}

}  // namespace

VALUE tableGetDefault(int argc, const VALUE* argv, VALUE self) {
  const TableData& data = record(self)->data;
  checkIndexCount(data, argc);
  long index = elementIndex(data, argc, argv);
  return index < 0 ? Qnil : INT2FIX(data.elements[index]);
}

VALUE tableSetDefault(int argc, const VALUE* argv, VALUE self) {
  TableData& data = record(self)->data;
  checkIndexCount(data, argc - 1);
  long index = elementIndex(data, argc - 1, argv);
  if (index < 0) {
    return Qnil;
  }
  data.elements[index] = static_cast<std::int16_t>(NUM2INT(argv[argc - 1]));
  return argv[argc - 1];
}

VALUE tableClass() {
  return g_tableClass;
}

TableData* tableData(VALUE table) {
  return &record(table)->data;
}

void defineTable() {
  g_tableClass = rb_define_class("Table", rb_cObject);
  rb_gc_register_address(&g_tableClass);
  rb_define_alloc_func(g_tableClass, tableAllocate);
  rb_define_method(g_tableClass, "initialize", tableInitialize, -1);
  rb_define_method(g_tableClass, "initialize_copy", tableInitializeCopy, 1);
  rb_define_method(g_tableClass, "resize", tableResize, -1);
  rb_define_method(g_tableClass, "xsize", tableXSize, 0);
  rb_define_method(g_tableClass, "ysize", tableYSize, 0);
  rb_define_method(g_tableClass, "zsize", tableZSize, 0);
  const EngineHooks& slots = hooks();
  VariadicMethod getter = slots.tableGet != nullptr ? slots.tableGet : tableGetDefault;
  VariadicMethod setter = slots.tableSet != nullptr ? slots.tableSet : tableSetDefault;
  rb_define_method(g_tableClass, "[]", getter, -1);
  rb_define_method(g_tableClass, "[]=", setter, -1);
  rb_define_method(g_tableClass, "_dump", tableDump, 1);
  rb_define_singleton_method(g_tableClass, "_load", tableLoad, 1);
}

}  // namespace engine
