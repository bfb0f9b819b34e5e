// fuzz-deps: pantrela_import
// The line readers of the other programs' text exports, the own text format and the information text on arbitrary bytes: no crash, no hang, and no text beyond its
// capacity handed to the collection. The first byte picks the reader.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/context.h"
#include "foundation/file.h"
#include "import/import_files.h"
#include "import/recipe_builder.h"

namespace {

std::string Folder() {
  static std::string folder = [] {
    char pattern[] = "/tmp/fuzz_line_readers.XXXXXX";
    const char* made = ::mkdtemp(pattern);
    return std::string(made ? made : "/tmp") + "/";
  }();
  return folder;
}

class MemoryTarget : public pantrela::ImportTarget {
 public:
  std::vector<std::pair<std::string, int64_t>> UserChapters() override { return {}; }
  bool AppendRecord(const pantrela::CurrentRecord& record) override {
    if (record.ingredients.size() >= pantrela::kLongTextMax || record.directions.size() >= pantrela::kLongTextMax ||
        record.title.size() > pantrela::kTitleWriteMax)
      std::abort();
    return true;
  }
  void FinishImport(int, int64_t, int64_t) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pantrela;
  static const int kCodes[] = {2, 3, 4, 5, 6, 8, 10, 12, 14, 17, 20, 21};
  if (size == 0) return 0;
  const int code = kCodes[data[0] % (sizeof kCodes / sizeof kCodes[0])];
  const std::string folder = Folder();
  const std::string input = folder + "RECIPE.txt";
  {
    File f = File::Open('o', input);
    if (f.Write(data + 1, int64_t(size - 1)) != int64_t(size - 1)) return 0;
  }
  AppContext ctx;
  ctx.SetFolders(folder, folder);
  ctx.settings.import_chapter = data[0] & 1;
  MemoryTarget target;
  int format = code;
  ImportFiles(ctx, target, format, {input});
  return 0;
}
