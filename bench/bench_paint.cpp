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
    gui.AddControl(n, {.id = 0, .kind = kKindFill, .x1 = 0, .y1 = 0, .x2 = w, .y2 = h,
                       .background = Rgb(230, 224, 210)});
    gui.AddControl(n, {.id = 1, .kind = kKindFill, .x1 = 0, .y1 = 0, .x2 = w, .y2 = 43, .background = kTopBarColour});
    gui.AddControl(n, {.id = 0, .kind = kKindBitmap, .x1 = 4, .y1 = 0, .x2 = 52, .y2 = 43, .background = kWhite,
                       .caption = "GINGERBREAD_48"});
    gui.AddControl(n, {.id = 0, .kind = kKindBitmap, .x1 = 56, .y1 = 2, .x2 = 206, .y2 = 42, .background = kWhite,
                       .caption = "TITLE_LARGE"});
    const char* tabs[] = {"Index", "Recipe", "Grocery", "Meals", "Options", "About"};
    for (int i = 0; i < 6; ++i)
      gui.AddControl(n, {.id = 3 + i, .kind = kKindTab, .x1 = 220 + i * 100, .y1 = 8, .x2 = 315 + i * 100, .y2 = 43,
                         .foreground = kWhite, .background = Rgb(180, 200, 210), .font = kFontTab, .accelerator = 1,
                         .caption = tabs[i]});
    for (int col = 0; col < 2; ++col) {
      int x = 20 + col * 560;
      gui.AddControl(n, {.id = 0, .kind = kKindFramedFill, .x1 = x, .y1 = 98, .x2 = x + 520, .y2 = h - 40,
                         .foreground = kWhite, .background = kFrameColour});
      for (int r = 0; r < 36; ++r) {
        int y = 100 + 23 * r;
        int k = gui.AddControl(n, {.id = 0, .kind = kKindCheckBox, .x1 = x + 4, .y1 = y + 3, .x2 = x + 20,
                                   .y2 = y + 19});
        gui.table[size_t(k)].value = r % 3 == 0;
        gui.AddControl(n, {.id = 0, .kind = kKindText, .x1 = x + 26, .y1 = y, .x2 = x + 400, .y2 = y + 23,
                           .foreground = kBlack, .font = kFontScreen,
                           .caption = "Grandma's Apple Pie with Cinnamon Crumble No. " + std::to_string(r)});
        gui.AddControl(n, {.id = 0, .kind = kKindText, .x1 = x + 400, .y1 = y, .x2 = x + 515, .y2 = y + 23,
                           .foreground = Rgb(90, 90, 90), .font = kFontSmall, .caption = "Desserts"});
      }
    }
    const char* cmds[] = {"Find", "Print", "New Meal", "Add Recipe>", "Edit", "Delete", "Web Import", "Import", "Export>"};
    for (int i = 0; i < 9; ++i)
      gui.AddControl(n, {.id = 102 + i, .kind = kKindButton, .x1 = w - 200, .y1 = 64 + 45 * i, .x2 = w - 20,
                         .y2 = 98 + 45 * i, .foreground = kBlack, .background = kButtonFace, .font = kFontButton,
                         .accelerator = 1, .caption = cmds[i]});
    for (int i = 0; i < 4; ++i) {
      int k = gui.AddControl(n, {.id = 6000 + i, .kind = kKindTextField, .x1 = w - 380, .y1 = 600 + 40 * i,
                                 .x2 = w - 20, .y2 = 623 + 40 * i, .foreground = kBlack, .background = kWhite,
                                 .font = kFontScreen, .caption = "A field holding some text " + std::to_string(i)});
      gui.table[size_t(k)].maxLength = 60;
    }
    gui.AddControl(n, {.id = 0, .kind = kKindText, .x1 = 20, .y1 = 64, .x2 = 400, .y2 = 90, .foreground = kBlack,
                       .font = kFontHeading24, .caption = "Chapters and recipes"});
    gui.AddControl(n, {.id = -1});
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
