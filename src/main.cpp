#include "engine/Engine.h"
#include "host/Boot.h"

int main(int argc, char** argv) {
  int stackBase = 0;
  engine::initInterpreterStack(&stackBase);
  return host::runPlayer(argc, argv);
}
