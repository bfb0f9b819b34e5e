// fuzz-deps: pantrela_database
// Any bytes as "Recipe860.jnl" beside a saved collection: the start takes
// back or keeps what the journal names, never grows the recipe file, never
// loses a record the saved index lists, and leaves no journal behind.
#include <stdlib.h>

#include <cstdint>
#include <string>

#include "database/collection.h"
#include "foundation/file.h"
#include "fuzz_support.h"

using namespace pantrela;


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  AppContext ctx;
  fuzz::StartFresh(ctx, "fuzz_journal");
  const std::string& recipes = fuzz::SoupsRecipeFile();
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
  if (listed != 2) __builtin_trap();
  return 0;
}
