// fuzz-deps: pantrela_import
// The Meal-Master reader, format detection and the builder on arbitrary
// files, imported into a collection that already holds a recipe: whatever
// was stored before must stay stored.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

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

// Keeps records in memory, so most inputs run without touching the disk.
class MemoryTarget : public pantrela::ImportTarget {
 public:
  std::vector<std::pair<std::string, int64_t>> UserChapters() override { return {}; }
  bool AppendRecord(const pantrela::CurrentRecord& record) override {
    if (record.ingredients.size() >= pantrela::kLongTextMax || record.directions.size() >= pantrela::kLongTextMax)
      std::abort();
    ++appended;
    return true;
  }
  void FinishImport(int, int64_t, int64_t) override {}
  int appended = 0;
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pantrela;
  static int runs = 0;
  const std::string folder = Folder();
  const std::string input = folder + "input.mmf";
  {
    File f = File::Open('o', input);
    if (f.Write(data, int64_t(size)) != int64_t(size)) return 0;
  }
  AppContext ctx;
  ctx.SetFolders(folder, folder);
  ctx.settings.import_chapter = size % 2;
  if (++runs % 64 != 1) {
    MemoryTarget target;
    int format = size % 3 == 0 ? 0 : 19;
    ImportFiles(ctx, target, format, {input});
    return 0;
  }

  // Now and then the real collection, which already holds a recipe:
  // whatever was stored before must stay stored.
  DeleteFile(folder + "Recipe860.dat");
  DeleteFile(folder + "Index860.dat");
  Collection collection(ctx);
  OpenCollection(collection);
  {
    CollectionImportTarget target(collection);
    RecipeBuilder builder(ctx, target);
    builder.ResetImportRecipe();
    builder.AddIngredientText("1 cup kept\r");
    builder.AddDirectionText("Kept.");
    int64_t chapter = 0;
    builder.StoreImportedRecipe("", "Kept Before", "", 1, chapter);
    builder.Finish();
  }
  CollectionImportTarget target(collection);
  int format = 19;
  ImportFiles(ctx, target, format, {input});

  Collection reloaded(ctx);
  OpenCollection(reloaded);
  bool kept = false;
  for (uint32_t off : reloaded.EntryOffsets()) kept = kept || reloaded.Entry(off).title() == "Kept Before";
  if (!kept) std::abort();
  return 0;
}
