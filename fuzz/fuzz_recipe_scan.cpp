// fuzz-deps: pantrela_database
// Any bytes as the recipe file: opening the collection (index missing, so
// the file is scanned and compacted), loading every listed record and a
// search must end with a working collection.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "database/collection.h"
#include "database/search.h"
#include "foundation/file.h"

using namespace pantrela;

namespace {
const std::string& Folder() {
  static std::string folder = [] {
    char tmpl[] = "/tmp/fuzz_recipe_scan.XXXXXX";
    const char* made = ::mkdtemp(tmpl);
    return std::string(made ? made : "/tmp") + "/";
  }();
  return folder;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  AppContext ctx;
  ctx.SetFolders(Folder(), Folder());
  ctx.log.Delete();
  DeleteFile(ctx.files.index);
  File::Open('o', ctx.files.recipe).Write(data, int64_t(size));
  Collection db(ctx);
  OpenCollection(db);
  for (uint32_t e : db.EntryOffsets()) {
    db.LoadCurrent(uint64_t(db.Entry(e).fileOffset()));
    if (db.Entry(e).kind() == kKindChapter && db.Entry(e).chapterKey() > 100) db.ChooseChapter(db.Entry(e).chapterKey());
  }
  db.BuildRecipeList();
  SearchRequest r;
  r.text = "a -b /c \"d e\"";
  r.ingredients = r.directions = true;
  RunSearch(db, r);
  // A second open verifies what the first one wrote.
  Collection again(ctx);
  OpenCollection(again);
  return 0;
}
