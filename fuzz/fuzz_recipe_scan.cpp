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
#include "fuzz_support.h"

using namespace pantrela;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  AppContext ctx;
  fuzz::StartFresh(ctx, "fuzz_recipe_scan");
  if (File::Open(OpenMode::Write, ctx.files.recipe).Write(data, int64_t(size)) != int64_t(size)) return 0;
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
