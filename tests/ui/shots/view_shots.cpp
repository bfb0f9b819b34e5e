// Shows the recipe view of the recipe titled TITLE (import one with a photo
// first: pantrela-cli import, set-photo), an information text, the editor
// with a selection and its context menu open, and the view of an empty
// chapter, and the export's save form and FTP form opened from the view,
// grabbing the screen at each (run it under Xvfb).
// Usage: view_shots DATA_FOLDER TITLE OUTPUT_PREFIX
#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <string>

#include "database/editing.h"
#include "database/listing.h"
#include "ui/recipe_view.h"
#include "ui/screens.h"
#include "widgets/harness.h"

using namespace pantrela;
using namespace pantrela::widgets::testing;

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: view_shots DATA_FOLDER TITLE OUTPUT_PREFIX\n");
    return 2;
  }
  std::string data = argv[1];
  if (data.back() != '/') data += '/';
  const std::string title = argv[2], prefix = argv[3];
  AppContext ctx;
  ctx.SetFolders(data, data);
  ctx.settings.window_x = 0;
  ctx.settings.window_y = 0;
  ctx.settings.window_wide = 1400;
  ctx.settings.window_high = 1000;
  ctx.settings.screen_font = "Arial";
  ui::Program program(ctx);
  if (!program.OpenWindow()) return 1;
  program.OpenDatabase();
  ui::Screens& s = *program.screens;
  Collection& db = program.collection;
  // An information text and an empty chapter beside the imported recipes.
  const int64_t empty = db.CreateChapter("Empty Chapter");
  db.SortAndSaveIndex();
  db.LoadMasterIndex();
  db.ChooseChapter(kChapterAll);
  db.BuildRecipeList();
  const uint32_t e = FindRecipeByTitle(db, title);
  const int64_t chapter = e == kNoEntry ? kChapterAll : db.Entry(e).chapterKey();
  db.ClearCurrent();
  db.current().setKind(kKindInfo);
  db.current().setChapterKey(chapter > kReservedKeyMax ? chapter : empty);
  db.current().title = "About Storing Soups";
  db.current().directions =
      "Soups keep for three days in the refrigerator and three months in the freezer.\r\rCool them quickly: "
      "set the pot in a sink of cold water and stir now and then. Freeze in portions, leaving room at the top "
      "of each container for the soup to expand.";
  SaveCurrentRecord(db, kNoEntry, false);
  db.ChooseChapter(kChapterAll);
  db.BuildRecipeList();
  auto select = [&](const std::string& t) {
    const int at = FindInRecipeList(db, db.Entry(FindRecipeByTitle(db, t)).recordId());
    if (at >= 0) db.recipeList().current = at;
  };
  auto grab = [&](const std::string& name) {
    SDL_Delay(400);
    std::string cmd = "import -window root " + prefix + name + ".png";
    if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "grab failed: %s\n", cmd.c_str());
  };
  auto centre = [&](int id, bool y) {
    const widgets::Control* c = s.gui.ById(id);
    return c ? (y ? (c->y1 + c->y2) / 2 : (c->x1 + c->x2) / 2) : 0;
  };
  std::deque<std::function<void()>> steps = {
      [&] { select(title); PushKey(SDLK_RETURN); },
      [&] { PushMove(centre(ui::kIdViewPane, false) - 200, centre(ui::kIdViewPane, true)); },
      [&] { grab("view"); },
      [&] { PushKey(SDLK_RETURN); },
      [&] { select("About Storing Soups"); PushKey(SDLK_RETURN); },
      [&] { grab("info"); },
      [&] { PushKey(SDLK_LEFT); },
      [&] { PushKey(SDLK_RETURN); },
      [&] { select(title); PushKey(SDLK_RETURN); },
      [&] { PushClick(centre(ui::kIdViewEdit, false), centre(ui::kIdViewEdit, true)); },
      [&] { PushKey(SDLK_TAB); },
      [&] { PushKey(SDLK_DOWN); PushKey(SDLK_RIGHT); PushKey(SDLK_RIGHT); },
      [&] { PushKey(SDLK_DOWN, KMOD_LSHIFT); PushKey(SDLK_DOWN, KMOD_LSHIFT); },
      [&] { SDL_SetModState(KMOD_NONE); PushMove(300, 300); PushButton(true, 300, 300, SDL_BUTTON_RIGHT); PushButton(false, 300, 300, SDL_BUTTON_RIGHT); },
      [&] { grab("editor"); },
      [&] { PushKey(SDLK_ESCAPE); },
      [&] { PushKey(SDLK_ESCAPE); },
      [&] { PushClick(centre(159, false), centre(159, true)); },  // Cancel
      [&] { PushKey(SDLK_RETURN); },
      // "Export>" on the view: to a file (the save form), then to a tablet
      // (the FTP form).
      [&] { select(title); PushKey(SDLK_RETURN); },
      [&] { PushClick(centre(ui::kIdViewExport, false), centre(ui::kIdViewExport, true)); },
      [&] { PushKey(SDLK_DOWN); PushKey(SDLK_RETURN); },
      [&] { PushClick(centre(widgets::kIdButtonBase, false), centre(widgets::kIdButtonBase, true)); },
      [&] { grab("export-save"); },
      [&] { PushKey(SDLK_ESCAPE); },
      [&] { PushClick(centre(ui::kIdViewExport, false), centre(ui::kIdViewExport, true)); },
      [&] { for (int i = 0; i < 4; ++i) PushKey(SDLK_DOWN); PushKey(SDLK_RETURN); },
      [&] { PushClick(centre(widgets::kIdButtonBase, false), centre(widgets::kIdButtonBase, true)); },  // MOBI
      [&] { PushClick(centre(widgets::kIdButtonBase, false), centre(widgets::kIdButtonBase, true)); },  // book title
      [&] { grab("export-ftp"); },
      [&] { PushKey(SDLK_ESCAPE); },
      [&] { PushKey(SDLK_RETURN); },
      [&] { db.ChooseChapter(empty); db.BuildRecipeList(); PushClick(centre(4, false), centre(4, true)); },
      [&] { grab("empty"); },
  };
  s.gui.idleHook = [&] { RunNextStep(steps); };
  program.Run();
  program.Close();
  return 0;
}
