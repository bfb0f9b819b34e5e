// bench-deps: pantrela_export pantrela_collection_generator
// A 1,000-recipe PDF cookbook with 100 photos (400 x 300 pixels), laid out,
// saved and written to a file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <string>

#include "collection_generator.h"
#include "database/collection.h"
#include "database/editing.h"
#include "database/photo.h"
#include "export/export_formats.h"
#include "export/export_run.h"
#include "foundation/context.h"
#include "foundation/file.h"

namespace {

using namespace pantrela;

void BM_PdfCookbook1000With100Photos(benchmark::State& state) {
  AppContext ctx;
  DefaultAnswerDialogs dialogs;
  ctx.SetDialogs(&dialogs);
  const char* tmp = std::getenv("TMPDIR");
  const std::string folder =
      std::string(tmp && *tmp ? tmp : "/tmp") + "/pantrela-bench-cookbook-" + std::to_string(::getpid()) + "/";
  CreateFolders(folder);
  ctx.SetFolders(folder, folder);
  bench::GeneratorOptions o;
  o.recipes = 1000;
  o.photoShare = 0;
  bench::GenerateCollection(ctx, o);
  Collection collection(ctx);
  OpenCollection(collection);
  collection.SelectChapterByKey(kChapterAll);
  collection.BuildRecipeList();
  // Every tenth recipe gets a real photo.
  platform::Image image;
  image.width = 400;
  image.height = 300;
  image.rgba.resize(size_t(400 * 300 * 4));
  for (size_t i = 0; i < image.rgba.size(); ++i) image.rgba[i] = uint8_t(i % 4 == 3 ? 255 : (i * 7) % 251);
  const std::string photo = BitmapToBmp(image);
  // Saving re-sorts the index and shows the recipe's chapter, so the list
  // of all recipes is built again before each one.
  for (size_t i = 0; i < 1000; i += 10) {
    collection.SelectChapterByKey(kChapterAll);
    collection.BuildRecipeList();
    const uint32_t e = collection.recipeList().entries[i];
    collection.LoadCurrent(uint64_t(collection.Entry(e).fileOffset()));
    collection.current().photo = photo;
    SaveCurrentRecord(collection, e, false);
  }
  collection.SelectChapterByKey(kChapterAll);
  collection.BuildRecipeList();
  for (uint32_t e : collection.recipeList().entries) collection.SetChecked(e, true);
  BookDetails book{"Bench Book", "", "Bench", "8.5x11"};
  ExportJob job{collection, dialogs, ExportStyleOf(ctx), &book};
  for (auto _ : state) {
    ExportFileResult r = BuildExportIndex(job, folder, "bench.pdf", kExportPdf);
    if (r.status != ExportStatus::kDone) state.SkipWithError("export failed");
  }
  state.counters["recipes"] = double(collection.recipeList().count());
  std::string bytes;
  ReadWholeFile(folder + "bench.pdf", bytes);
  state.counters["bytes"] = double(bytes.size());
  DeleteTree(folder);
}

BENCHMARK(BM_PdfCookbook1000With100Photos)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

}  // namespace

BENCHMARK_MAIN();
