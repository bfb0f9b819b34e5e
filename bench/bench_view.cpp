// bench-deps: pantrela_ui
// The recipe view and the editor in an offscreen window, driven through the
// real screen loop with injected input: opening the view of a recipe with a
// 480 x 360 photo and 100 ingredient lines, from the key press on the index
// screen to the painted view; and one character typed into a 60,000-byte
// directions area, from the key to the repainted area.
#include <benchmark/benchmark.h>
#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "../tests/ui/collection_gen.h"
#include "foundation/file.h"
#include "platform/image_codec.h"
#include "ui/recipe_view.h"
#include "ui/screens.h"

namespace {

using namespace pantrela;
using Clock = std::chrono::steady_clock;

constexpr int kScreenEditor = 9;  // the recipe editor's screen number

constexpr int kSamples = 40;

std::string Photo480x360() {
  platform::Image im;
  im.width = 480;
  im.height = 360;
  im.rgba.resize(480u * 360u * 4u);
  for (int y = 0; y < 360; ++y)
    for (int x = 0; x < 480; ++x) {
      uint8_t* p = &im.rgba[(size_t(y) * 480 + size_t(x)) * 4];
      p[0] = uint8_t(x / 2);
      p[1] = uint8_t(y * 2 / 3);
      p[2] = uint8_t((x ^ y) & 0xFF);
      p[3] = 255;
    }
  std::string jpeg;
  if (!platform::EncodeJpeg(im, jpeg)) std::abort();
  return jpeg;
}

// 100 ingredient lines with a heading every 20, and some directions.
std::string Ingredients() {
  std::string s;
  for (int i = 0; i < 100; ++i) {
    if (i) s += '\r';
    if (i % 20 == 0) s += "FOR PART " + std::to_string(i / 20 + 1) + ":";
    else s += std::to_string(i % 9 + 1) + "-1/2 cups chopped fresh vegetable number " + std::to_string(i);
  }
  return s;
}

// 60,000 bytes of paragraphs.
std::string LongDirections() {
  std::string s;
  while (s.size() < 60000) {
    s += "Stir the sauce over a low heat until it thickens, then season it to taste and keep it warm. ";
    if (s.size() % 700 < 95) s += "\r\r";
  }
  s.resize(60000);
  return s;
}

const std::string& DataFolder() {
  static std::string folder = [] {
    std::string f = "/tmp/pantrela_bench_view_" + std::to_string(::getpid()) + "/";
    CreateFolders(f);
    const std::string photo = Photo480x360();
    std::string file = testing::GenRecord(0, 1001, 2, {{1, "Soups"}});
    file += testing::GenRecord(11, 1001, 0,
                               {{1, "Autumn Vegetable Soup with Herbs"}, {2, Ingredients()},
                                {3, "Simmer gently for an hour.\r\rServe hot with bread."}, {5, photo}});
    file += testing::GenRecord(12, 1001, 0, {{1, "Long Stew"}, {2, "1 cup beans"}, {3, LongDirections()}});
    if (!WriteFileAtomic(f + "Recipe860.dat", file)) std::abort();
    return f;
  }();
  return folder;
}

void PushKey(SDL_Keycode sym) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.keysym.sym = sym;
  e.key.state = SDL_PRESSED;
  SDL_PushEvent(&e);
  e.type = SDL_KEYUP;
  e.key.state = SDL_RELEASED;
  SDL_PushEvent(&e);
}

void PushChar(char c) {
  SDL_Event t{};
  t.type = SDL_TEXTINPUT;
  t.text.text[0] = c;
  SDL_PushEvent(&t);
}

void Quit() {
  SDL_Event q{};
  q.type = SDL_QUIT;
  SDL_PushEvent(&q);
}

// Runs the program on the data folder; `hook` runs whenever the event wait
// is about to block (the screen is painted and waits for input).
void RunProgram(const std::function<void(ui::Program&)>& hook, benchmark::State& state) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  AppContext ctx;
  ctx.SetFolders(DataFolder(), DataFolder());
  ctx.settings.window_wide = 1400;
  ctx.settings.window_high = 900;
  ctx.settings.screen_font = "Arial";
  ui::Program program(ctx);
  if (!program.OpenWindow()) {
    state.SkipWithError("no window");
    return;
  }
  program.OpenDatabase();
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  program.screens->gui.idleHook = [&] { hook(program); };
  program.Run();
  program.Close();
}

// Reports the samples (milliseconds) as the iterations' times, with their
// median as a counter.
void Report(benchmark::State& state, std::vector<double> ms) {
  if (ms.empty()) return;
  size_t i = 0;
  for (auto _ : state) state.SetIterationTime(ms[i++ % ms.size()] / 1000.0);
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
}

void BM_OpenViewToPaintedScreen(benchmark::State& state) {
  std::vector<double> ms;
  Clock::time_point t0;
  bool pressed = false;
  RunProgram(
      [&](ui::Program& p) {
        AppContext& ctx = p.ctx;
        if (pressed && ctx.screen == kScreenRecipe) {
          ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
          pressed = false;
          if (int(ms.size()) >= kSamples) return Quit();
          PushKey(SDLK_RETURN);  // back to the index
          return;
        }
        if (ctx.screen == kScreenRecipes) {
          p.collection.recipeList().current = 0;  // the soup with the photo
          p.collection.ClearCurrent();            // read from the file again
          t0 = Clock::now();
          pressed = true;
          PushKey(SDLK_RETURN);
        }
      },
      state);
  Report(state, ms);
}
BENCHMARK(BM_OpenViewToPaintedScreen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(kSamples);

void BM_TypeIntoLongDirections(benchmark::State& state) {
  std::vector<double> ms;
  Clock::time_point t0;
  int phase = 0;
  RunProgram(
      [&](ui::Program& p) {
        AppContext& ctx = p.ctx;
        if (phase == 0 && ctx.screen == kScreenRecipes) {
          p.collection.recipeList().current = 1;  // the long stew
          phase = 1;
          ui::EditCurrentRecipe(*p.screens);  // runs the editor's own loop
          Quit();
          return;
        }
        if (ctx.screen != kScreenEditor || phase == 4) return;
        if (phase == 1) {  // focus: title -> ingredients -> directions
          phase = 2;
          PushKey(SDLK_TAB);
          PushKey(SDLK_TAB);
          PushKey(SDLK_PAGEDOWN);
          PushKey(SDLK_PAGEDOWN);
          return;
        }
        if (phase == 3) ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        if (int(ms.size()) >= kSamples) {
          phase = 4;
          const widgets::Control* cancel = p.screens->gui.ById(159);
          if (!cancel) return Quit();
          SDL_Event e{};
          e.type = SDL_MOUSEBUTTONDOWN;
          e.button.button = SDL_BUTTON_LEFT;
          e.button.x = (cancel->x1 + cancel->x2) / 2;
          e.button.y = (cancel->y1 + cancel->y2) / 2;
          SDL_PushEvent(&e);
          e.type = SDL_MOUSEBUTTONUP;
          SDL_PushEvent(&e);
          return;
        }
        phase = 3;
        t0 = Clock::now();
        PushChar('x');
      },
      state);
  Report(state, ms);
}
BENCHMARK(BM_TypeIntoLongDirections)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(kSamples);

}  // namespace

BENCHMARK_MAIN();
