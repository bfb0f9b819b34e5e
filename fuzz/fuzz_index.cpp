// fuzz-deps: pantrela_database
// Any bytes as "Index860.dat" beside a small valid recipe file: loading and
// verifying it either accepts it or rebuilds; the lists, a search and a
// record load over whatever was accepted never read out of bounds.
#include <stdlib.h>

#include <cstdint>
#include <string>

#include "database/collection.h"
#include "database/search.h"
#include "foundation/file.h"
#include "fuzz_support.h"

using namespace pantrela;

namespace {
const std::string& Folder() { return fuzz::DataFolder("fuzz_index"); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  AppContext ctx;
  ctx.SetFolders(Folder(), Folder());
  ctx.log.Delete();
  if (!WriteFileAtomic(ctx.files.recipe, fuzz::SoupsRecipeFile()) ||
      File::Open(OpenMode::Write, ctx.files.index).Write(data, int64_t(size)) != int64_t(size))
    return 0;
  Collection db(ctx);
  OpenCollection(db);
  for (uint32_t e : db.chapterList().entries) {
    db.ChooseChapter(db.Entry(e).chapterKey());
    db.BuildRecipeList();
    for (uint32_t r : db.recipeList().entries) {
      db.LoadCurrent(uint64_t(db.Entry(r).fileOffset()));
      (void)db.ChapterDisplayName(db.Entry(r).chapterKey());
    }
  }
  SearchRequest r;
  r.text = "soup";
  r.ingredients = true;
  RunSearch(db, r);
  return 0;
}
