// Drives the program's screens headless: a Program on a temporary data
// folder with SDL's offscreen driver, and a script of steps that run
// whenever the event wait is about to block. An exhausted script quits the
// program, so a screen that fails to end makes the test fail, not hang.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "support/temp_dir.h"
#include "ui/collection_gen.h"
#include "ui/screens.h"
#include "widgets/harness.h"

namespace pantrela::ui::testing {

using namespace pantrela::widgets::testing;
using pantrela::testing::GenRecord;
using pantrela::testing::ReadBytes;
using pantrela::testing::WriteBytes;

class UiTest : public ::testing::Test {
 public:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("PANTRELA_VENDOR_URL", "https://vendor.example/", 1);
    ctx.SetFolders(dir.path(), dir.path());
    ctx.settings.window_x = 10;
    ctx.settings.window_y = 10;
    ctx.settings.window_wide = 1100;
    ctx.settings.window_high = 750;
    ctx.settings.screen_font = "Arial";
  }
  void TearDown() override {
    SDL_SetModState(KMOD_NONE);
    if (program) program->Close();
  }

  // Three user chapters: Breads (Bagels, Rye), Cakes (Angel Cake),
  // Soups (Minestrone).
  void WriteSmallCollection() {
    std::string f = GenRecord(0, 1001, 2, {{1, "Breads"}}) + GenRecord(0, 1002, 2, {{1, "Cakes"}}) +
                    GenRecord(0, 1003, 2, {{1, "Soups"}});
    f += GenRecord(11, 1001, 0, {{1, "Rye"}}) + GenRecord(12, 1001, 0, {{1, "Bagels"}, {2, "flour"}}) +
         GenRecord(13, 1002, 0, {{1, "Angel Cake"}}) + GenRecord(14, 1003, 0, {{1, "Minestrone"}, {5, "JPEGBYTES"}});
    WriteBytes(ctx.files.recipe, f);
  }

  // Opens the window and the collection as the start-up does.
  void Open() {
    program = std::make_unique<Program>(ctx);
    ASSERT_TRUE(program->OpenWindow()) << SDL_GetError();
    program->OpenDatabase();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    Gui().idleHook = [this] { widgets::testing::RunNextStep(steps); };
  }
  void Run() { program->Run(); }

  widgets::Gui& Gui() { return program->screens->gui; }
  IndexScreen& Index() { return program->screens->index; }
  Collection& Db() { return program->collection; }

  // Centre of a row of a list in client pixels; the check-box column when
  // `column`.
  int RowX(bool chapters, bool column) {
    const ListBox& b = chapters ? Index().chapterBox() : Index().recipeBox();
    return column ? b.x1 + 10 : (b.x1 + b.x2) / 2;
  }
  int RowY(bool chapters, int row) { return Index().RowTop(chapters, row) + Index().itemHeight() / 2; }
  void ClickRow(bool chapters, int row, bool column = false, Uint16 mod = KMOD_NONE) {
    SDL_SetModState(SDL_Keymod(mod));
    PushClick(RowX(chapters, column), RowY(chapters, row));
  }
  int CX(int id) {
    const widgets::Control* c = Gui().ById(id);
    return c ? (c->x1 + c->x2) / 2 : -100;
  }
  int CY(int id) {
    const widgets::Control* c = Gui().ById(id);
    return c ? (c->y1 + c->y2) / 2 : -100;
  }
  // Titles of the recipe list and names of the checked user chapters.
  std::vector<std::string> Titles() {
    std::vector<std::string> out;
    for (uint32_t e : Db().recipeList().entries) out.emplace_back(Db().Entry(e).title());
    return out;
  }
  std::vector<std::string> CheckedChapters() {
    std::vector<std::string> out;
    for (uint32_t e : Db().chapterList().entries)
      if (Db().Entry(e).chapterKey() > kReservedKeyMax && Db().IsChecked(e)) out.emplace_back(Db().Entry(e).title());
    return out;
  }
  std::vector<bool> RecipeChecks() {
    std::vector<bool> out;
    for (uint32_t e : Db().recipeList().entries) out.push_back(Db().IsChecked(e));
    return out;
  }
  // The check-all box of a list as drawn in the control table.
  int CheckAllValue(int id) {
    const widgets::Control* c = Gui().ById(id);
    return c ? c->value : -1;
  }
  // True when a text control with this caption is in the table.
  bool Shows(const std::string& caption) {
    for (const auto& c : Gui().table) {
      if (c.id == widgets::kIdEnd) break;
      if (c.caption == caption) return true;
    }
    return false;
  }

  pantrela::testing::TempDir dir;
  AppContext ctx;
  std::unique_ptr<Program> program;
  std::deque<std::function<void()>> steps;
};

}  // namespace pantrela::ui::testing
