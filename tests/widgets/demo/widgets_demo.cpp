// Shows one dialog over a sample screen, for looking at it:
//   widgets_demo message|form|choose|droplist|progress|browse [seconds] [png]
// The window closes itself after `seconds` (default 4); with a png path the
// back buffer is also written there just before.
#include <cstdlib>
#include <string>

#include "widgets/window_dialogs.h"
#include "widgets/gui.h"

using namespace pantrela;
using namespace pantrela::widgets;

namespace {

void SampleScreen(Gui& gui) {
  int n = 0;
  const int w = gui.Width(), h = gui.Height();
  gui.AddControl(n, kIdDecoration, kKindFill, 0, 0, w, h, 0, Rgb(230, 224, 210), 0, 0, "");
  gui.AddControl(n, kIdTopBar, kKindFill, 0, 0, w, 43, 0, kTopBarColour, 0, 0, "");
  gui.AddControl(n, kIdDecoration, kKindBitmap, 4, 0, 52, 43, 0, kWhite, 0, 0, "GINGERBREAD_48");
  gui.AddControl(n, kIdDecoration, kKindBitmap, 56, 2, 206, 42, 0, kWhite, 0, 0, "TITLE_LARGE");
  const char* tabs[] = {"Index", "Recipe", "Grocery", "Meals", "Options", "About"};
  for (int i = 0; i < 6; ++i)
    gui.AddControl(n, 3 + i, kKindTab, 220 + i * 100, 8, 315 + i * 100, 43, Rgb(250, 250, 250), Rgb(180, 200, 210),
                   kFontTab, 1, tabs[i]);
  gui.AddControl(n, kIdDecoration, kKindText, 840, 14, 1000, 34, kWhite, 0, kFontSmallBold, 0, "Version 9.68");
  gui.AddControl(n, kIdDecoration, kKindFramedFill, 20, 98, w / 3, h - 40, kWhite, kFrameColour, 0, 0, "");
  const char* rows[] = {"All Recipes", "Breads", "Cakes and Cookies", "Soups", "Vegetables"};
  for (int i = 0; i < 5; ++i)
    gui.AddControl(n, kIdDecoration, kKindText, 50, 104 + 23 * i, w / 3, 127 + 23 * i, kBlack, 0, kFontScreen, 0, rows[i]);
  for (int i = 0; i < 5; ++i) {
    int k = gui.AddControl(n, kIdDecoration, kKindCheckBox, 26, 106 + 23 * i, 42, 122 + 23 * i, 0, 0, 0, 0, "");
    gui.table[size_t(k)].value = i % 2;
  }
  const char* cmds[] = {"Find", "Print", "New Meal"};
  for (int i = 0; i < 3; ++i)
    gui.AddControl(n, 102 + i, kKindButton, w - 180, 64 + 45 * i, w - 20, 98 + 45 * i, kBlack, kButtonFace,
                   kFontButton, 1, cmds[i]);
  gui.AddControl(n, 251, kKindButton, w / 3 + 2, 98, w / 3 + 24, 120, kBlack, kButtonFace, 0, 0, "ARROW_UP");
  gui.AddControl(n, 253, kKindButton, w / 3 + 2, h - 62, w / 3 + 24, h - 40, kBlack, kButtonFace, 0, 0, "ARROW_DOWN");
  gui.AddControl(n, kIdEnd, 0, 0, 0, 0, 0, 0, 0, 0, 0, "");
  gui.DrawAllControls();
  gui.ShowAll();
}

}  // namespace

int main(int argc, char** argv) {
  std::string which = argc > 1 ? argv[1] : "message";
  int seconds = argc > 2 ? std::atoi(argv[2]) : 4;
  std::string png = argc > 3 ? argv[3] : "";
  AppContext ctx;
  ctx.settings.window_x = 0;
  ctx.settings.window_y = 0;
  ctx.settings.window_wide = 1200;
  ctx.settings.window_high = 800;
  ctx.settings.screen_font = "Arial";
  ctx.screen = kScreenRecipes;
  Gui gui(ctx);
  if (!gui.Open()) return 1;
  gui.window.ShowState(1);
  WindowDialogs dialogs(gui);
  // Let the window appear before painting.
  for (int i = 0; i < 20; ++i) gui.window.PumpTimeout(10);
  SampleScreen(gui);
  SDL_AddTimer(Uint32(seconds * 1000), [](Uint32, void*) -> Uint32 {
    SDL_Event e{};
    e.type = SDL_QUIT;
    SDL_PushEvent(&e);
    return 0;
  }, nullptr);
  bool written = false;
  gui.idleHook = [&] {
    if (!png.empty() && !written) {
      gui.canvas.WritePng(png);
      written = true;
    }
  };
  if (which == "message") {
    dialogs.Message("The recipe was saved.||Do you want to add it to the meal calendar?", "Yes|No|Cancel", 1);
  } else if (which == "form") {
    // Type into the fields and select part of the last one.
    auto push = [](SDL_Keycode k, Uint16 mod) {
      SDL_Event e{};
      e.type = SDL_KEYDOWN;
      e.key.keysym.sym = k;
      e.key.keysym.mod = mod;
      SDL_PushEvent(&e);
      e.type = SDL_KEYUP;
      SDL_PushEvent(&e);
    };
    std::vector<FormField> fields(3);
    fields[0].text = "ftp.example.org";
    fields[1].text = "21";
    fields[2].text = "/recipes/books";
    push(SDLK_DOWN, 0);
    push(SDLK_DOWN, 0);
    for (int i = 0; i < 5; ++i) push(SDLK_LEFT, KMOD_LSHIFT);
    SDL_SetModState(KMOD_LSHIFT);
    dialogs.Form("Tablet upload settings|* Host and Port are Required Fields *", "Host|Port|Directory", 1,
                 "OK|Cancel", 130, fields);
  } else if (which == "choose") {
    int selected = 1;
    dialogs.ChooseFromList("Choose the print layout", {"Full page", "Two columns", "Index card 3 x 5", "Index card 4 x 6"},
                           "OK|Cancel", selected);
  } else if (which == "droplist") {
    dialogs.PopupList(300, 120, 220, {"|Printers", "Office Laser", "Kitchen Inkjet", "|Files", "Save as PDF"});
  } else if (which == "browse") {
    std::string folder = argc > 4 ? argv[4] : "", file = "Recipes.mmf";
    dialogs.BrowseFiles("Import Recipes", folder, file);
  } else if (which == "progress") {
    dialogs.ProgressOpen();
    dialogs.ProgressUpdate("Importing Recipes", "Grandma's Apple Pie", 42, 100);
    while (!ctx.Quitting()) {
      if (dialogs.ProgressStop()) break;
      if (!written && !png.empty()) {
        gui.canvas.WritePng(png);
        written = true;
      }
      SDL_Delay(20);
    }
    dialogs.ProgressClose();
  }
  return 0;
}
