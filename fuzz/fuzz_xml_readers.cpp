// fuzz-deps: pantrela_import
// The XML readers (Mastercook MX2, RecipeML, Living Cookbook, Mac Gourmet) on arbitrary bytes: no crash, no hang, no text beyond its capacity. The first byte picks the reader.
#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const int kCodes[] = {15, 16, 18, 22};
  return pantrela::fuzz::FuzzReaders("fuzz_xml_readers", kCodes, "RECIPE.xml", data, size);
}
