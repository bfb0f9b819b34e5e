// bench-deps: pantrela_ui
// The index screen over a generated collection of 100,000 recipes in 30
// chapters, in an offscreen window: start to the first painted screen, the
// recipe list rebuilt after a chapter click, and a scrolled list repainted.
#include <benchmark/benchmark.h>
#include <SDL2/SDL.h>

#include <chrono>
#include <cstdlib>
#include <memory>

#include "../tests/ui/collection_gen.h"
#include "foundation/file.h"
#include "ui/screens.h"

namespace {

using namespace pantrela;

constexpr int kRecipes = 100000;
constexpr int kChapters = 30;

// A data folder holding the collection and its saved index.
const std::string& DataFolder() {
  static std::string folder = [] {
    std::string f = "/tmp/pantrela_bench_ui_" + std::to_string(::getpid()) + "/";
    CreateFolders(f);
    if (!WriteFileAtomic(f + "Recipe860.dat", testing::GenerateRecipeFile(kRecipes, kChapters, 7))) std::abort();
    AppContext ctx;
    ctx.SetFolders(f, f);
    Collection db(ctx);
    OpenCollection(db);  // builds and saves the index once
    return f;
  }();
  return folder;
}

void Prepare(AppContext& ctx) {
  ctx.SetFolders(DataFolder(), DataFolder());
  ctx.settings.window_wide = 1400;
  ctx.settings.window_high = 900;
  ctx.settings.screen_font = "Arial";
}

// Window, index load with its check, both lists and the first paint.
void BM_StartToFirstPaintedIndex(benchmark::State& state) {
  DataFolder();
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    AppContext ctx;
    Prepare(ctx);
    ui::Program program(ctx);
    if (!program.OpenWindow()) {
      state.SkipWithError("no window");
      break;
    }
    program.OpenDatabase();
    double ms = 0;
    program.screens->gui.idleHook = [&] {
      // The screen waits for input: the first paint is done.
      ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
      ctx.quit = 1;
      SDL_Event q{};
      q.type = SDL_QUIT;
      SDL_PushEvent(&q);
    };
    program.Run();
    state.SetIterationTime(ms / 1000.0);
    program.Close();
  }
}
BENCHMARK(BM_StartToFirstPaintedIndex)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

struct OpenScreen {
  AppContext ctx;
  std::unique_ptr<ui::Program> program;
  OpenScreen() {
    Prepare(ctx);
    program = std::make_unique<ui::Program>(ctx);
    program->OpenWindow();
    program->OpenDatabase();
    ui::IndexScreen& ix = program->screens->index;
    program->collection.BuildChapterList();
    program->collection.BuildRecipeList();
    ix.Layout();
    ix.Paint();
  }
  ~OpenScreen() { program->Close(); }
};

// A plain click on a chapter: the chapter becomes current and checked, the
// recipe list is rebuilt (argument 0: a user chapter, 1: "All Recipes").
void BM_RecipeListAfterChapterClick(benchmark::State& state) {
  OpenScreen s;
  Collection& db = s.program->collection;
  int64_t key = state.range(0) ? kChapterAll : testing::GenChapterKey(3);
  size_t count = 0;
  for (auto _ : state) {
    db.ChooseChapter(key);
    db.BuildRecipeList();
    count = db.recipeList().entries.size();
    state.PauseTiming();
    db.ChooseChapter(state.range(0) ? testing::GenChapterKey(3) : kChapterAll);
    db.BuildRecipeList();
    state.ResumeTiming();
  }
  state.counters["recipes"] = double(count);
}
BENCHMARK(BM_RecipeListAfterChapterClick)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Scrolling the 100,000-recipe list by one page and back, each a repaint of
// the list and its scroll bar shown in the window.
void BM_ScrollRepaint(benchmark::State& state) {
  OpenScreen s;
  ui::IndexScreen& ix = s.program->screens->index;
  const int page = s.program->collection.recipeList().visibleHeight;
  ix.ScrollBy(false, 50000 * ix.itemHeight());
  int dir = 1;
  for (auto _ : state) {
    ix.ScrollBy(false, dir * page);
    dir = -dir;
  }
  state.counters["last_ms"] = ix.lastRepaintMs;
}
BENCHMARK(BM_ScrollRepaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::string cmd = "rm -rf " + DataFolder();
  if (std::system(cmd.c_str()) != 0) return 1;
  return 0;
}
// The two halves of a scroll repaint: drawing the list into the back
// buffer, and showing it in the window.
namespace {
void BM_ScrollDrawOnly(benchmark::State& state) {
  OpenScreen s;
  auto& g = s.program->screens->gui;
  auto& L = s.program->collection.recipeList();
  int i = g.Find(ui::kIdRecipeList);
  L.scroll = 50000 * L.itemHeight;
  int dir = 1;
  for (auto _ : state) {
    L.scroll += dir * L.visibleHeight;
    dir = -dir;
    g.DrawControl(i);
  }
}
BENCHMARK(BM_ScrollDrawOnly)->Unit(benchmark::kMillisecond);
void BM_ShowOnly(benchmark::State& state) {
  OpenScreen s;
  auto& g = s.program->screens->gui;
  int i = g.Find(ui::kIdRecipeList);
  for (auto _ : state) g.ShowControl(i);
}
BENCHMARK(BM_ShowOnly)->Unit(benchmark::kMillisecond);
}
