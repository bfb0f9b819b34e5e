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

using namespace pantrela;

namespace {
const std::string& Folder() {
  static std::string folder = [] {
    char tmpl[] = "/tmp/fuzz_index.XXXXXX";
    const char* made = ::mkdtemp(tmpl);
    return std::string(made ? made : "/tmp") + "/";
  }();
  return folder;
}

// A chapter and two recipes, built once.
const std::string& RecipeFile() {
  static std::string bytes = [] {
    std::string out;
    CurrentRecord r;
    r.title = "Soups";
    r.setChapterKey(500);
    r.setKind(kKindChapter);
    out += BuildRecordBytes(r, 1);
    r.Clear();
    r.title = "Leek Soup";
    r.ingredients = "2 leeks";
    r.setRecordId(10);
    r.setChapterKey(500);
    out += BuildRecordBytes(r, 2);
    r.title = "Bean Soup";
    r.setRecordId(11);
    out += BuildRecordBytes(r, 3);
    return out;
  }();
  return bytes;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  AppContext ctx;
  ctx.SetFolders(Folder(), Folder());
  ctx.log.Delete();
  if (!WriteFileAtomic(ctx.files.recipe, RecipeFile()) ||
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
