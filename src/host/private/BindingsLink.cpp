#include "host/private/BindingsLink.h"

#ifdef QUILLON_HAS_BINDINGS
#include "bindings/ValueClasses.h"
#endif

namespace host {

#ifdef QUILLON_HAS_BINDINGS

void defineColorClass() {
  bindings::defineColor();
}

void defineToneClass() {
  bindings::defineTone();
}

void defineErrorClasses() {
  bindings::defineErrorClasses();
}

engine::VariadicMethod tableElementReader() {
  return bindings::tableElementGet;
}

engine::VariadicMethod tableElementWriter() {
  return bindings::tableElementSet;
}

#else

// Without the bindings layer the engine keeps its own table accessors and no value class is defined.
void defineColorClass() {}
void defineToneClass() {}
void defineErrorClasses() {}

engine::VariadicMethod tableElementReader() {
  return nullptr;
}

engine::VariadicMethod tableElementWriter() {
  return nullptr;
}

#endif

}  // namespace host
