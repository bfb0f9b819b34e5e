// fuzz-deps: pantrela_import
// The line readers of the other programs' text exports, the own text format and the information text on arbitrary bytes: no crash, no hang, no text beyond its capacity. The first byte picks the reader.
#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const int kCodes[] = {2, 3, 4, 5, 6, 8, 10, 12, 14, 17, 20, 21};
  return pantrela::fuzz::FuzzReaders("fuzz_line_readers", kCodes, "RECIPE.txt", data, size);
}
