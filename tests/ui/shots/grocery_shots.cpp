// Shows the grocery screen over a data folder that holds a grocery file: All
// Items with headings, the shopping list after a few "+" presses, the
// search results, the edit form, the edit form after a window resize and
// the export menu,
// grabbing the screen at each (run it under Xvfb).
// Usage: grocery_shots DATA_FOLDER OUTPUT_PREFIX
#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <string>

#include "ui/grocery_screen.h"
#include "ui/screens.h"
#include "widgets/harness.h"

using namespace pantrela;
using namespace pantrela::widgets::testing;

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: grocery_shots DATA_FOLDER OUTPUT_PREFIX\n");
    return 2;
  }
  std::string data = argv[1];
  if (data.back() != '/') data += '/';
  const std::string prefix = argv[2];
  AppContext ctx;
  ctx.SetFolders(data, data);
  ctx.settings.window_x = 0;
  ctx.settings.window_y = 0;
  ctx.settings.window_wide = 1200;
  ctx.settings.window_high = 850;
  ctx.settings.screen_font = "Arial";
  ui::Program program(ctx);
  if (!program.OpenWindow()) return 1;
  program.OpenDatabase();
  ui::Screens& s = *program.screens;
  auto grab = [&](const std::string& name) {
    SDL_Delay(400);
    std::string cmd = "import -window root " + prefix + name + ".png";
    if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "grab failed: %s\n", cmd.c_str());
  };
  auto centre = [&](int id, bool y) {
    const widgets::Control* c = s.gui.ById(id);
    return c ? (y ? (c->y1 + c->y2) / 2 : (c->x1 + c->x2) / 2) : 0;
  };
  auto plus = [] { PushKey(SDLK_EQUALS, KMOD_LSHIFT, "+"); };
  std::deque<std::function<void()>> steps = {
      [&] { PushClick(centre(kScreenGrocery, false), centre(kScreenGrocery, true)); },
      [&] { SDL_SetModState(KMOD_NONE); PushKey(SDLK_DOWN); plus(); plus(); },
      [&] { SDL_SetModState(KMOD_NONE); PushKey(SDLK_DOWN); PushKey(SDLK_DOWN); plus(); },
      [&] { SDL_SetModState(KMOD_NONE); PushKey(SDLK_RIGHT); PushKey(SDLK_DOWN); plus(); },
      [&] { SDL_SetModState(KMOD_NONE); PushKey(SDLK_DOWN); },
      [&] { grab("all"); },
      [&] { PushKey(SDLK_SPACE, KMOD_NONE, " "); },
      [&] { grab("shopping"); },
      [&] { PushClick(centre(ui::kIdGroceryFind, false), centre(ui::kIdGroceryFind, true)); },
      [&] { PushText("Phyllo"); },
      [&] { grab("find"); },
      [&] { PushKey(SDLK_RETURN); },
      [&] { grab("search"); },
      [&] { PushClick(centre(ui::kIdGroceryViewAll, false), centre(ui::kIdGroceryViewAll, true)); },
      [&] { PushKey(SDLK_DOWN); PushKey(SDLK_DOWN); },
      [&] { PushKey(SDLK_RETURN); },
      [&] { grab("edit"); },
      [&] { SDL_SetWindowSize(s.gui.window.Handle(), 1000, 700); },
      [&] { grab("edit_resized"); },
      [&] {
        for (const widgets::Control& c : s.gui.table)
          if (c.caption == "Cancel") PushClick((c.x1 + c.x2) / 2, (c.y1 + c.y2) / 2);
      },
      [&] { grab("after_resize"); },
      [&] { PushClick(centre(ui::kIdGroceryColPrice, false), centre(ui::kIdGroceryColPrice, true)); },
      [&] { grab("by_price"); },
      [&] { PushClick(centre(ui::kIdGroceryColLocation, false), centre(ui::kIdGroceryColLocation, true)); },
      [&] { PushClick(centre(ui::kIdGroceryExport, false), centre(ui::kIdGroceryExport, true)); },
      [&] { grab("export_menu"); },
      [&] { PushKey(SDLK_ESCAPE); },
  };
  s.gui.idleHook = [&] { RunNextStep(steps); };
  program.Run();
  program.Close();
  return 0;
}
