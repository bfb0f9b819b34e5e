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
  gui.AddControl(n, {.id = kIdDecoration, .kind = kKindFill, .x1 = 0, .y1 = 0, .x2 = w, .y2 = h,
                     .background = Rgb(230, 224, 210)});
  gui.AddControl(n, {.id = kIdTopBar, .kind = kKindFill, .x1 = 0, .y1 = 0, .x2 = w, .y2 = 43,
                     .background = kTopBarColour});
  gui.AddControl(n, {.id = kIdDecoration, .kind = kKindBitmap, .x1 = 4, .y1 = 0, .x2 = 52, .y2 = 43,
                     .background = kWhite, .caption = "GINGERBREAD_48"});
  gui.AddControl(n, {.id = kIdDecoration, .kind = kKindBitmap, .x1 = 56, .y1 = 2, .x2 = 206, .y2 = 42,
                     .background = kWhite, .caption = "TITLE_LARGE"});
  const char* tabs[] = {"Index", "Recipe", "Grocery", "Meals", "Options", "About"};
  for (int i = 0; i < 6; ++i)
    gui.AddControl(n, {.id = 3 + i, .kind = kKindTab, .x1 = 220 + i * 100, .y1 = 8, .x2 = 315 + i * 100, .y2 = 43,
                       .foreground = Rgb(250, 250, 250), .background = Rgb(180, 200, 210), .font = kFontTab,
                       .accelerator = 1, .caption = tabs[i]});
  gui.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = 840, .y1 = 14, .x2 = 1000, .y2 = 34,
                     .foreground = kWhite, .font = kFontSmallBold, .caption = "Version 9.68"});
  gui.AddControl(n, {.id = kIdDecoration, .kind = kKindFramedFill, .x1 = 20, .y1 = 98, .x2 = w / 3, .y2 = h - 40,
                     .foreground = kWhite, .background = kFrameColour});
  const char* rows[] = {"All Recipes", "Breads", "Cakes and Cookies", "Soups", "Vegetables"};
  for (int i = 0; i < 5; ++i)
    gui.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = 50, .y1 = 104 + 23 * i, .x2 = w / 3,
                       .y2 = 127 + 23 * i, .foreground = kBlack, .font = kFontScreen, .caption = rows[i]});
  for (int i = 0; i < 5; ++i) {
    int k = gui.AddControl(n, {.id = kIdDecoration, .kind = kKindCheckBox, .x1 = 26, .y1 = 106 + 23 * i, .x2 = 42,
                               .y2 = 122 + 23 * i});
    gui.table[size_t(k)].value = i % 2;
  }
  const char* cmds[] = {"Find", "Print", "New Meal"};
  for (int i = 0; i < 3; ++i)
    gui.AddControl(n, {.id = 102 + i, .kind = kKindButton, .x1 = w - 180, .y1 = 64 + 45 * i, .x2 = w - 20,
                       .y2 = 98 + 45 * i, .foreground = kBlack, .background = kButtonFace, .font = kFontButton,
                       .accelerator = 1, .caption = cmds[i]});
  gui.AddControl(n, {.id = 251, .kind = kKindButton, .x1 = w / 3 + 2, .y1 = 98, .x2 = w / 3 + 24, .y2 = 120,
                     .foreground = kBlack, .background = kButtonFace, .caption = "ARROW_UP"});
  gui.AddControl(n, {.id = 253, .kind = kKindButton, .x1 = w / 3 + 2, .y1 = h - 62, .x2 = w / 3 + 24, .y2 = h - 40,
                     .foreground = kBlack, .background = kButtonFace, .caption = "ARROW_DOWN"});
  gui.AddControl(n, {.id = kIdEnd});
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
