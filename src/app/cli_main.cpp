#include <cstdio>

int main(int argc, char** argv) {
  std::fprintf(stderr, "usage: pantrela-cli [--data-dir DIR] [--yes] COMMAND ...\n");
  return 2;
}
