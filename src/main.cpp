#include "host/Boot.h"

int main(int argc, char** argv) {
  return host::runPlayer(argc, argv);
}
