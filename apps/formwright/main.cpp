#include "basert/exceptions.h"

#include <cstdio>

int main() {
  std::puts("formwright");
  return 0;
}
