// fuzz-deps: pantrela_database
// Any bytes as "Recipe860.jnl" beside a saved collection: the start takes
// back or keeps what the journal names, never grows the recipe file, never
// loses a record the saved index lists, and leaves no journal behind.
#include <stdlib.h>

#include <cstdint>
#include <string>

#include "database/collection.h"
#include "foundation/file.h"

using namespace pantrela;

namespace {
const std::string& Folder() {
  static std::string folder = [] {
    char tmpl[] = "/tmp/fuzz_journal.XXXXXX";
    const char* made = ::mkdtemp(tmpl);
    return std::string(made ? made : "/tmp") + "/";
  }();
  return folder;
}

std::string RecipeFile() {
  std::string out;
  CurrentRecord r;
  r.title = "Soups";
  r.setChapterKey(500);
  r.setKind(kKindChapter);
  out += BuildRecordBytes(r, 1);
  for (int i = 0; i < 3; ++i) {
    r.Clear();
    r.title = "Soup " + std::to_string(i);
    r.setRecordId(10 + i);
    r.setChapterKey(500);
    out += BuildRecordBytes(r, 2 + i);
  }
  return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  AppContext ctx;
  ctx.SetFolders(Folder(), Folder());
  ctx.log.Delete();
  DeleteFile(ctx.files.index);
  const std::string recipes = RecipeFile();
  if (!WriteFileAtomic(ctx.files.recipe, recipes)) return 0;
  {
    Collection db(ctx);
    OpenCollection(db);  // builds and saves the index
  }
  if (File::Open(OpenMode::Write, ctx.files.journal).Write(data, int64_t(size)) != int64_t(size)) return 0;
  Collection db(ctx);
  OpenCollection(db);
  std::string after;
  ReadWholeFile(ctx.files.recipe, after);
  if (after.size() > recipes.size() || Exists(ctx.files.journal)) __builtin_trap();
  int listed = 0;
  for (uint32_t e : db.EntryOffsets()) listed += db.Entry(e).kind() == kKindRecipe;
  if (listed != 3) __builtin_trap();
  return 0;
}
