// fuzz-deps: pantrela_import
// The Meal-Master reader, format detection and the builder on arbitrary
// files, imported into a collection that already holds a recipe: whatever
// was stored before must stay stored.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "database/collection.h"
#include "foundation/context.h"
#include "foundation/file.h"
#include "import/collection_target.h"
#include "import/import_files.h"

namespace {

std::string Folder() {
  static std::string folder = [] {
    char pattern[] = "/tmp/fuzz_mealmaster.XXXXXX";
    const char* made = ::mkdtemp(pattern);
    return std::string(made ? made : "/tmp") + "/";
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pantrela;
  const std::string folder = Folder();
  DeleteFile(folder + "Recipe860.dat");
  DeleteFile(folder + "Index860.dat");
  AppContext ctx;
  ctx.SetFolders(folder, folder);
  ctx.settings.import_chapter = size % 2;
  Collection collection(ctx);
  OpenCollection(collection);
  {
    // One recipe stored before the import.
    CollectionImportTarget target(collection);
    RecipeBuilder builder(ctx, target);
    builder.ResetImportRecipe();
    builder.AddIngredientText("1 cup kept\r");
    builder.AddDirectionText("Kept.");
    int64_t chapter = 0;
    builder.StoreImportedRecipe("", "Kept Before", "", 1, chapter);
    builder.Finish();
  }
  const std::string input = folder + "input.mmf";
  WriteFileAtomic(input, std::string_view(reinterpret_cast<const char*>(data), size));
  CollectionImportTarget target(collection);
  int format = size % 3 == 0 ? 0 : 19;
  ImportFiles(ctx, target, format, {input});

  Collection reloaded(ctx);
  OpenCollection(reloaded);
  bool kept = false;
  for (uint32_t off : reloaded.EntryOffsets()) kept = kept || reloaded.Entry(off).title() == "Kept Before";
  if (!kept) std::abort();
  return 0;
}
