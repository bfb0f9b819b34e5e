// bench-deps: pantrela_database pantrela_collection_generator
// The recipe database on a generated collection (100,000 recipes unless
// PANTRELA_BENCH_RECIPES says otherwise): load and verify the index, build
// it from the recipe file, sort and save, a two-term search of all three
// fields, clean-up. Resident memory with the index loaded is reported as a
// counter of the load benchmark.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "collection_generator.h"
#include "database/collection.h"
#include "database/search.h"

namespace {

using namespace pantrela;

AppContext& Ctx() {
  static AppContext ctx;
  static const bool ready = [] {
    const char* n = std::getenv("PANTRELA_BENCH_RECIPES");
    bench::UseGeneratedCollection(ctx, n ? std::atoi(n) : 100000);
    return true;
  }();
  (void)ready;
  return ctx;
}

void BM_LoadAndVerifyIndex(benchmark::State& state) {
  AppContext& ctx = Ctx();
  const int64_t before = bench::ResidentKb();
  int64_t entries = 0, loaded = 0;
  for (auto _ : state) {
    Collection db(ctx);
    db.LoadMasterIndex();
    entries = int64_t(db.EntryOffsets().size());
    loaded = bench::ResidentKb();
    benchmark::DoNotOptimize(db.index().size());
  }
  state.counters["entries"] = double(entries);
  state.counters["rss_before_MB"] = double(before) / 1024.0;
  state.counters["rss_loaded_MB"] = double(loaded) / 1024.0;
}
BENCHMARK(BM_LoadAndVerifyIndex)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_BuildIndexFromRecipeFile(benchmark::State& state) {
  AppContext& ctx = Ctx();
  Collection db(ctx);
  for (auto _ : state) db.BuildIndexFromRecipeFile();
}
BENCHMARK(BM_BuildIndexFromRecipeFile)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SortAndSaveIndex(benchmark::State& state) {
  AppContext& ctx = Ctx();
  Collection db(ctx);
  db.LoadMasterIndex();
  for (auto _ : state) {
    state.PauseTiming();
    // Entries in reverse order, the worst start for the sort.
    std::vector<uint32_t> offs = db.EntryOffsets();
    std::string reversed;
    reversed.reserve(db.index().size());
    for (auto it = offs.rbegin(); it != offs.rend(); ++it)
      reversed.append(reinterpret_cast<const char*>(db.index().data()) + *it, db.Entry(*it).length());
    db.index() = ByteImage(reversed);
    state.ResumeTiming();
    db.SortAndSaveIndex();
  }
}
BENCHMARK(BM_SortAndSaveIndex)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_SearchAllFieldsTwoTerms(benchmark::State& state) {
  AppContext& ctx = Ctx();
  Collection db(ctx);
  OpenCollection(db);
  SearchRequest r;
  r.text = "chicken -garlic";
  r.ingredients = r.directions = true;
  int hits = 0;
  for (auto _ : state) hits = RunSearch(db, r);
  state.counters["hits"] = hits;
}
BENCHMARK(BM_SearchAllFieldsTwoTerms)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CleanUp(benchmark::State& state) {
  AppContext& ctx = Ctx();
  Collection db(ctx);
  OpenCollection(db);
  for (auto _ : state) db.CleanUp();
}
BENCHMARK(BM_CleanUp)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
