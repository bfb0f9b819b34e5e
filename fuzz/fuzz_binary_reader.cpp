// fuzz-deps: pantrela_import
// The Edna's Cookbook record reader on arbitrary bytes: no crash, no hang, no text beyond its capacity.
#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const int kCodes[] = {11};
  return pantrela::fuzz::FuzzReaders("fuzz_binary_reader", kCodes, "RECIPE.DAT", data, size);
}
