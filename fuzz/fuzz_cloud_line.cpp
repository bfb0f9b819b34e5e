// fuzz-deps: pantrela_backup
// Cloud record files as a server may send them: any bytes, cut into lines at
// CR LF. No crash, every rebuilt record within the record limits, and each
// one can be written as a record.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "backup/cloud_record.h"

using namespace pantrela;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  size_t records = 0;
  CloudRecordDecoder decoder([&](const CurrentRecord& r) {
    if (r.title.size() > kTitleReadMax || r.ingredients.size() > kLongTextMax + 5 * 65000 ||
        r.directions.size() > kLongTextMax + 5 * 65000)
      std::abort();
    std::string bytes = BuildRecordBytes(r, 1);
    if (bytes.size() < kMinRecordSize) std::abort();
    ++records;
  });
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    decoder.DecodeCloudLine(text.substr(pos, end - pos));
    pos = end + 2;
  }
  if (size_t(decoder.records()) != records) std::abort();
  return 0;
}
