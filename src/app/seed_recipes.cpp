// pantrela-seed-recipes: builds the starter recipe file at build time.
//   pantrela-seed-recipes SOURCE.mmf OUTPUT
// The source is imported through the program's own importer into a scratch
// data folder, each recipe in the chapter named by its category, and the
// resulting recipe file becomes the seed. The index is not seeded: the
// program builds it on its first start.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/terminal_dialogs.h"
#include "database/collection.h"
#include "foundation/context.h"
#include "foundation/file.h"
#include "import/collection_target.h"
#include "import/import_files.h"

using namespace pantrela;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: pantrela-seed-recipes SOURCE.mmf OUTPUT\n");
    return 2;
  }
  const char* base = std::getenv("TMPDIR");
  std::string scratch = std::string(base && *base ? base : "/tmp") + "/pantrela-seed-XXXXXX";
  if (!::mkdtemp(scratch.data())) {
    std::fprintf(stderr, "pantrela-seed-recipes: cannot make a scratch folder\n");
    return 1;
  }
  scratch += "/";
  int stored = 0;
  {
    AppContext ctx;
    ctx.SetFolders(scratch, scratch);
    TerminalDialogs dialogs(ctx, false);
    ctx.SetDialogs(&dialogs);
    ctx.settings.import_chapter = 1;  // chapters from the recipes' categories
    Collection collection(ctx);
    OpenCollection(collection);
    CollectionImportTarget target(collection);
    int format = 0;  // detect
    stored = ImportFiles(ctx, target, format, {argv[1]});
  }
  bool ok = stored > 0 && CopyFileBytes(scratch + "Recipe860.dat", argv[2]);
  DeleteTree(scratch);
  if (!ok) {
    std::fprintf(stderr, "pantrela-seed-recipes: no recipes stored from %s\n", argv[1]);
    return 1;
  }
  std::printf("%d starter recipes\n", stored);
  return 0;
}
