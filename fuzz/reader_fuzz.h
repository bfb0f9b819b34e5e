// What the import-reader fuzz targets share: the input (less its first byte,
// which picks the reader) is written to a scratch file and imported into a
// target that aborts when a reader hands over text beyond its capacity.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "import/import_files.h"
#include "import/recipe_builder.h"

namespace pantrela::fuzz {

class CapacityCheckingTarget : public ImportTarget {
 public:
  std::vector<std::pair<std::string, int64_t>> UserChapters() override { return {}; }
  bool AppendRecord(const CurrentRecord& record) override {
    if (record.ingredients.size() >= kLongTextMax || record.directions.size() >= kLongTextMax ||
        record.title.size() > kTitleWriteMax)
      std::abort();
    return true;
  }
  void FinishImport(int, int64_t, int64_t) override {}
};

inline int FuzzReaders(const char* target, std::span<const int> codes, const char* fileName,
                       const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int code = codes[data[0] % codes.size()];
  const std::string folder = DataFolder(target);
  const std::string input = folder + fileName;
  {
    File f = File::Open('o', input);
    if (f.Write(data + 1, int64_t(size - 1)) != int64_t(size - 1)) return 0;
  }
  AppContext ctx;
  ctx.SetFolders(folder, folder);
  ctx.settings.import_chapter = data[0] & 1;
  CapacityCheckingTarget sink;
  int format = code;
  ImportFiles(ctx, sink, format, {input});
  return 0;
}

}  // namespace pantrela::fuzz
