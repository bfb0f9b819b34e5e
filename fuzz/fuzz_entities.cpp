// fuzz-deps: pantrela_web
// Entity decoding and the clipboard mapping on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "web/entities.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  pantrela::DecodeEntities(text);
  (void)pantrela::LookupEntity(std::string(reinterpret_cast<const char*>(data), size < 12 ? size : 12));
  (void)pantrela::MapClipboardUtf8(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
