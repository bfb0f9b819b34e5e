// bench-deps: pantrela_export pantrela_collection_generator
// Exporting 10,000 generated recipes to a file: collecting and sorting the
// export index, loading every record and writing Meal-Master, RecipeML or
// the e-book (the book prompt answered with its defaults).
#include <benchmark/benchmark.h>

#include <string>

#include "collection_generator.h"
#include "database/collection.h"
#include "export/export_formats.h"
#include "export/export_run.h"
#include "foundation/context.h"
#include "foundation/file.h"

namespace {

using namespace pantrela;

void ExportTenThousand(benchmark::State& state, int code) {
  AppContext ctx;
  DefaultAnswerDialogs dialogs;
  ctx.SetDialogs(&dialogs);
  bench::UseGeneratedCollection(ctx, 10000);
  Collection collection(ctx);
  OpenCollection(collection);
  collection.SelectChapterByKey(kChapterAll);
  collection.BuildRecipeList();
  for (uint32_t e : collection.recipeList().entries) collection.SetChecked(e, true);
  ExportJob job{collection, dialogs, ExportStyleOf(ctx)};
  const std::string name = std::string("bench-export.") + kExportFormats[size_t(code)].ext;
  for (auto _ : state) {
    ExportFileResult r = BuildExportIndex(job, ctx.files.dataFolder, name, code);
    if (r.status != ExportStatus::kDone) state.SkipWithError("export failed");
  }
  state.counters["recipes"] = double(collection.recipeList().count());
  DeleteFile(ctx.files.dataFolder + name);
}

void BM_ExportMealMaster10k(benchmark::State& state) { ExportTenThousand(state, kExportMealMaster); }
void BM_ExportRecipeMl10k(benchmark::State& state) { ExportTenThousand(state, kExportRecipeMl); }
void BM_ExportMobi10k(benchmark::State& state) { ExportTenThousand(state, kExportMobi); }

BENCHMARK(BM_ExportMealMaster10k)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3);
BENCHMARK(BM_ExportRecipeMl10k)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3);
BENCHMARK(BM_ExportMobi10k)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3);

}  // namespace

BENCHMARK_MAIN();
