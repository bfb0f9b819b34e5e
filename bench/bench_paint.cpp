// bench-deps: pantrela_widgets pantrela_foundation pantrela_platform
// Painting a full 1600 x 1000 screen of controls and text, and the CPU a
// blocking event wait uses while nothing happens.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <string>

#include "widgets/gui.h"

using namespace pantrela;
using namespace pantrela::widgets;

namespace {

struct Screen {
  AppContext ctx;
  Gui gui{ctx};
  bool ok = false;
  Screen() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ctx.settings.window_wide = 1600;
    ctx.settings.window_high = 1000;
    ctx.settings.screen_font = "Arial";
    ctx.screen = kScreenRecipes;
    ok = gui.Open();
    if (!ok) return;
    // A busy screen: tab bar, two lists of 36 rows with check boxes, a
    // command column, text fields and labels.
    int n = 0;
    const int w = gui.Width(), h = gui.Height();
    gui.AddControl(n, 0, kKindFill, 0, 0, w, h, 0, Rgb(230, 224, 210), 0, 0, "");
    gui.AddControl(n, 1, kKindFill, 0, 0, w, 43, 0, kTopBarColour, 0, 0, "");
    gui.AddControl(n, 0, kKindBitmap, 4, 0, 52, 43, 0, kWhite, 0, 0, "GINGERBREAD_48");
    gui.AddControl(n, 0, kKindBitmap, 56, 2, 206, 42, 0, kWhite, 0, 0, "TITLE_LARGE");
    const char* tabs[] = {"Index", "Recipe", "Grocery", "Meals", "Options", "About"};
    for (int i = 0; i < 6; ++i)
      gui.AddControl(n, 3 + i, kKindTab, 220 + i * 100, 8, 315 + i * 100, 43, kWhite, Rgb(180, 200, 210), kFontTab, 1,
                     tabs[i]);
    for (int col = 0; col < 2; ++col) {
      int x = 20 + col * 560;
      gui.AddControl(n, 0, kKindFramedFill, x, 98, x + 520, h - 40, kWhite, kFrameColour, 0, 0, "");
      for (int r = 0; r < 36; ++r) {
        int y = 100 + 23 * r;
        int k = gui.AddControl(n, 0, kKindCheckBox, x + 4, y + 3, x + 20, y + 19, 0, 0, 0, 0, "");
        gui.table[size_t(k)].value = r % 3 == 0;
        gui.AddControl(n, 0, kKindText, x + 26, y, x + 400, y + 23, kBlack, 0, kFontScreen, 0,
                       "Grandma's Apple Pie with Cinnamon Crumble No. " + std::to_string(r));
        gui.AddControl(n, 0, kKindText, x + 400, y, x + 515, y + 23, Rgb(90, 90, 90), 0, kFontSmall, 0, "Desserts");
      }
    }
    const char* cmds[] = {"Find", "Print", "New Meal", "Add Recipe>", "Edit", "Delete", "Web Import", "Import", "Export>"};
    for (int i = 0; i < 9; ++i)
      gui.AddControl(n, 102 + i, kKindButton, w - 200, 64 + 45 * i, w - 20, 98 + 45 * i, kBlack, kButtonFace,
                     kFontButton, 1, cmds[i]);
    for (int i = 0; i < 4; ++i) {
      int k = gui.AddControl(n, 6000 + i, kKindTextField, w - 380, 600 + 40 * i, w - 20, 623 + 40 * i, kBlack, kWhite,
                             kFontScreen, 0, "A field holding some text " + std::to_string(i));
      gui.table[size_t(k)].maxLength = 60;
    }
    gui.AddControl(n, 0, kKindText, 20, 64, 400, 90, kBlack, 0, kFontHeading24, 0, "Chapters and recipes");
    gui.AddControl(n, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0, "");
  }
};

Screen& TheScreen() {
  static Screen s;
  return s;
}

void BM_PaintFullScreen(benchmark::State& state) {
  Screen& s = TheScreen();
  if (!s.ok) {
    state.SkipWithError("no video device");
    return;
  }
  for (auto _ : state) {
    s.gui.DrawAllControls();
    s.gui.ShowAll();
  }
  state.counters["controls"] = double(s.gui.table.size());
}
BENCHMARK(BM_PaintFullScreen)->Unit(benchmark::kMillisecond);

// The two halves: drawing into the back buffer, and copying it to the window.
void BM_DrawOnly(benchmark::State& state) {
  Screen& s = TheScreen();
  if (!s.ok) {
    state.SkipWithError("no video device");
    return;
  }
  for (auto _ : state) s.gui.DrawAllControls();
}
BENCHMARK(BM_DrawOnly)->Unit(benchmark::kMillisecond);

void BM_ShowOnly(benchmark::State& state) {
  Screen& s = TheScreen();
  if (!s.ok) {
    state.SkipWithError("no video device");
    return;
  }
  for (auto _ : state) s.gui.ShowAll();
}
BENCHMARK(BM_ShowOnly)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// One blocking wait of about 200 ms with nothing to do but a timer: the
// CPU time reported should be close to zero.
void BM_WaitEventIdle(benchmark::State& state) {
  Screen& s = TheScreen();
  if (!s.ok) {
    state.SkipWithError("no video device");
    return;
  }
  for (auto _ : state) {
    s.gui.window.SetTimer(77, 200);
    do {
      s.gui.WaitEvent(true);
    } while (!(s.gui.Input().timer && s.gui.Input().lastTimer == 77));
    s.gui.window.KillTimer(77);
  }
}
BENCHMARK(BM_WaitEventIdle)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
