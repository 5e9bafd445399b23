// GoogleTest main for tests that run the interpreter: the interpreter scans the machine stack for live
// values, so its stack base must be the outermost frame every test runs under.

#include <gtest/gtest.h>

#include "engine/Engine.h"

int main(int argc, char** argv) {
  int stackBase = 0;
  engine::initInterpreterStack(&stackBase);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
