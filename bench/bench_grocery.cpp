// bench-deps: pantrela_ui
// The grocery screen over a catalogue of 10,000 items in 40 locations, in
// an offscreen window: opening it (file read, rows, layout and paint), and a
// "+" on an item through to the repaint, the file rewrite included.
#include <benchmark/benchmark.h>
#include <SDL2/SDL.h>

#include <cstdlib>
#include <memory>

#include "foundation/file.h"
#include "grocery/grocery.h"
#include "ui/grocery_screen.h"
#include "ui/screens.h"

namespace {

using namespace pantrela;

constexpr int kItems = 10000;

const std::string& DataFolder() {
  static std::string folder = [] {
    std::string f = "/tmp/pantrela_bench_grocery_" + std::to_string(::getpid()) + "/";
    CreateFolders(f);
    ByteImage image;
    for (int i = 0; i < kItems; ++i) {
      grocery::Item it;
      it.name = "Item number " + std::to_string(i * 7919 % kItems);
      it.store = i % 3 ? "Corner Market" : "";
      it.location = "Aisle " + std::to_string(i % 40);
      it.price = (i * 37) % 2000;
      it.quantity = uint8_t(i % 11 == 0 ? 1 : 0);
      image.Append(grocery::RecordBytes(it));
    }
    if (!WriteFileAtomic(f + "Grocery747.dat", grocery::SortedFile(image, grocery::kByLocation))) std::abort();
    return f;
  }();
  return folder;
}

struct Screen {
  AppContext ctx;
  std::unique_ptr<ui::Program> program;
  std::unique_ptr<ui::GroceryScreen> grocery;
  Screen() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ctx.SetFolders(DataFolder(), DataFolder());
    ctx.settings.window_wide = 1280;
    ctx.settings.window_high = 900;
    ctx.settings.screen_font = "Arial";
    program = std::make_unique<ui::Program>(ctx);
    if (!program->OpenWindow()) std::abort();
    ctx.screen = kScreenGrocery;
    grocery = std::make_unique<ui::GroceryScreen>(*program->screens);
  }
  ~Screen() { program->Close(); }
};

Screen& Shared() {
  static Screen s;
  return s;
}

void BM_OpenGroceryScreen(benchmark::State& state) {
  Screen& s = Shared();
  for (auto _ : state) {
    s.grocery->Open();
    s.grocery->Layout();
    s.grocery->Paint();
  }
  state.counters["rows"] = double(s.grocery->list().rows.size());
}
BENCHMARK(BM_OpenGroceryScreen)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_PlusToRepaint(benchmark::State& state) {
  Screen& s = Shared();
  s.grocery->Open();
  s.grocery->Layout();
  s.grocery->list().selected = 1;
  platform::InputState& in = s.program->screens->gui.Input();
  int sign = 1;
  for (auto _ : state) {
    in = platform::InputState{};
    in.charKey = sign > 0 ? '+' : '-';
    s.grocery->Dispatch(0);
    sign = -sign;
  }
}
BENCHMARK(BM_PlusToRepaint)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
