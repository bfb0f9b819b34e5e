// Shows the index screen over a generated collection of 1,000 recipes in 30
// chapters, the search form, the import dialog's format list and the index
// screen after F3, four Right keys and F7, the export menu and the
// clipboard's format list in a real window, and grabs the
// screen at each with "import -window root" (run it under Xvfb). Usage: ui_shots DATA_FOLDER OUTPUT_PREFIX
#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <string>

#include "foundation/file.h"
#include "ui/collection_gen.h"
#include "ui/screens.h"
#include "widgets/harness.h"

using namespace pantrela;
using namespace pantrela::widgets::testing;

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: ui_shots DATA_FOLDER OUTPUT_PREFIX\n");
    return 2;
  }
  std::string data = argv[1];
  if (data.back() != '/') data += '/';
  const std::string prefix = argv[2];
  CreateFolders(data);
  AppContext ctx;
  ctx.SetFolders(data, data);
  if (!Exists(ctx.files.recipe) &&
      !WriteFileAtomic(ctx.files.recipe, pantrela::testing::GenerateRecipeFile(1000, 30, 7)))
    return 1;
  ctx.settings.window_x = 0;
  ctx.settings.window_y = 0;
  ctx.settings.window_wide = 1400;
  ctx.settings.window_high = 900;
  ctx.settings.screen_font = "Arial";
  ui::Program program(ctx);
  if (!program.OpenWindow()) return 1;
  program.OpenDatabase();
  ui::Screens& s = *program.screens;
  ui::IndexScreen& ix = s.index;
  auto rowY = [&](bool chapters, int row) { return ix.RowTop(chapters, row) + ix.itemHeight() / 2; };
  auto centre = [&](int id, bool y) {
    const widgets::Control* c = s.gui.ById(id);
    return c ? (y ? (c->y1 + c->y2) / 2 : (c->x1 + c->x2) / 2) : 0;
  };
  auto grab = [&](const std::string& name) {
    SDL_Delay(400);
    std::string cmd = "import -window root " + prefix + name + ".png";
    if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "grab failed: %s\n", cmd.c_str());
  };
  std::deque<std::function<void()>> steps = {
      // Chapter 01 current, Chapters 03 and 04 checked as well.
      [&] { PushClick(ix.chapterBox().x1 + 60, rowY(true, 4)); },
      [&] { PushClick(ix.chapterBox().x1 + 10, rowY(true, 6)); },
      [&] { PushClick(ix.chapterBox().x1 + 10, rowY(true, 7)); },
      [&] { PushClick(ix.chapterBox().x1 + 60, rowY(true, 4)); },
      [&] { PushClick(ix.chapterBox().x1 + 10, rowY(true, 6)); },
      [&] { PushClick(ix.chapterBox().x1 + 10, rowY(true, 7)); },
      // A few recipes checked, the current one highlighted.
      [&] { PushKey(SDLK_DOWN); },
      [&] { PushKey(SDLK_DOWN, KMOD_LSHIFT); },
      [&] { PushKey(SDLK_DOWN, KMOD_LSHIFT); },
      [&] { PushKey(SDLK_DOWN, KMOD_LCTRL); },
      [&] { PushKey(SDLK_DOWN, KMOD_LCTRL); },
      [&] { grab("index"); },
      // The export menu under "Export>" and the clipboard's format list.
      [&] { PushClick(centre(ui::kIdExport, false), centre(ui::kIdExport, true)); },
      [&] { grab("export_menu"); },
      [&] { PushKey(SDLK_DOWN); },
      [&] { PushKey(SDLK_DOWN); },
      [&] { PushKey(SDLK_RETURN); },
      [&] { grab("export_clipboard"); },
      [&] { PushClick(centre(widgets::kIdButtonBase + 1, false), centre(widgets::kIdButtonBase + 1, true)); },
      [&] { PushKey(SDLK_F3); },
      [&] { PushText("apple -pie /soup"); },
      [&] { PushClick(centre(6011, false), centre(6011, true)); },
      [&] { grab("find"); },
      [&] { PushClick(centre(widgets::kIdButtonBase + 1, false), centre(widgets::kIdButtonBase + 1, true)); },
      [&] { PushClick(centre(ui::kIdImport, false), centre(ui::kIdImport, true)); },
      [&] { PushKey(SDLK_TAB); },
      [&] { grab("import"); },
      [&] { PushKey(SDLK_ESCAPE); },
      [&] { PushKey(SDLK_ESCAPE); },
      // F3 with a search in the titles, then four chapters down, then a
      // clean-up: each screen shows the list the collection holds.
      [&] { PushKey(SDLK_F3); },
      [&] { PushKey(SDLK_ESCAPE); },
      [&] { PushText("pie"); },
      [&] { PushClick(centre(6010, false), centre(6010, true)); },
      [&] { PushClick(centre(6010, false), centre(6010, true)); },
      [&] { PushClick(centre(6011, false), centre(6011, true)); },
      [&] { PushKey(SDLK_RETURN); },
      [&] { grab("after_f3"); },
      [&] { PushKey(SDLK_RIGHT); },
      [&] { PushKey(SDLK_RIGHT); },
      [&] { PushKey(SDLK_RIGHT); },
      [&] { PushKey(SDLK_RIGHT); },
      [&] { grab("after_right4"); },
      [&] { PushKey(SDLK_F7); },
      [&] { grab("after_f7"); },
  };
  s.gui.idleHook = [&] { RunNextStep(steps); };
  program.Run();
  program.Close();
  return 0;
}
