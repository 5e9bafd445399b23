#include <cstdlib>

#include "bindings/Binding.h"
#include "bindings/ValueClasses.h"

namespace bindings {

namespace {

struct Coordinates {
  int x = 0;
  int y = 0;
  int z = 0;
};

// The first `count` arguments as x, y, z; absent ones are 0.
Coordinates coordinatesFrom(Args args, int count) {
  Coordinates at;
  at.x = count > 0 ? toInt(args[0]) : 0;
  at.y = count > 1 ? toInt(args[1]) : 0;
  at.z = count > 2 ? toInt(args[2]) : 0;
  return at;
}

// Index of the element, or -1 outside the table. Reads the sizes afresh: converting an argument runs
// script code (to_int), which may have resized the table.
long elementIndex(const engine::TableData& table, Coordinates at) {
  if (at.x < 0 || at.x >= table.xsize || at.y < 0 || at.y >= table.ysize || at.z < 0 || at.z >= table.zsize) {
    return -1;
  }
  return at.x + static_cast<long>(table.xsize) * (at.y + static_cast<long>(table.ysize) * at.z);
}

Value tableRead(Value self, Args args) {
  engine::TableData* table = api().table_data(self);
  int dimensions = std::abs(table->dimensions);
  if (args.count != dimensions) {
    throw arityError(dimensions, args.count);
  }
  long index = elementIndex(*table, coordinatesFrom(args, args.count));
  return index < 0 ? api().nil : api().int2num(table->elements[index]);
}

Value tableWrite(Value self, Args args) {
  engine::TableData* table = api().table_data(self);
  int dimensions = std::abs(table->dimensions);
  if (args.count - 1 != dimensions) {
    throw arityError(dimensions, args.count - 1);
  }
  Coordinates at = coordinatesFrom(args, dimensions);
  Value assigned = args[args.count - 1];
  if (elementIndex(*table, at) < 0) {
    return api().nil;
  }
  auto element = static_cast<std::int16_t>(toInt(assigned));
  long index = elementIndex(*table, at);
  if (index < 0) {
    return api().nil;
  }
  table->elements[index] = element;
  // The tilemap reads the negated count as "changed since it last looked".
  table->dimensions = -std::abs(table->dimensions);
  return assigned;
}

}  // namespace

Value tableElementGet(int argc, const Value* argv, Value self) {
  return invokeVariadic<&tableRead>(argc, argv, self);
}

Value tableElementSet(int argc, const Value* argv, Value self) {
  return invokeVariadic<&tableWrite>(argc, argv, self);
}

}  // namespace bindings
