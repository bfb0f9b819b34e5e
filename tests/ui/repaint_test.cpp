#include <SDL2/SDL.h>

#include <cstring>

#include "foundation/numtext.h"
#include "ui_harness.h"

namespace pantrela::ui::testing {
namespace {

// The back buffer as bytes.
std::string BackBuffer(widgets::Gui& gui) {
  gui.canvas.ClearClip();
  const uint8_t* p = gui.canvas.Pixels();
  return std::string(reinterpret_cast<const char*>(p), size_t(gui.canvas.Stride()) * size_t(gui.Height()));
}

// A point on the page background, away from every control.
constexpr int kRestX = 5, kRestY = 300;

// A command by key must leave the screen as a fresh layout and paint would:
// the lists it changed are drawn and the count under the recipe list is the
// list's own.
TEST_F(UiTest, EveryIndexCommandEndsInALayoutAndAPaint) {
  WriteSmallCollection();
  Open();
  struct Case {
    const char* name;
    std::function<void(UiTest&)> command;
    size_t titles;
  };
  const std::vector<Case> cases = {
      {"F3 and a search in the titles",
       [](UiTest& t) {
         t.steps.push_back([] { PushKey(SDLK_F3); });
         t.steps.push_back([] { PushText("a"); });
         t.steps.push_back([] { PushKey(SDLK_RETURN); });
       },
       2},
      {"Right four times, from Search Results to Cakes",
       [](UiTest& t) {
         for (int i = 0; i < 4; ++i) t.steps.push_back([] { PushKey(SDLK_RIGHT); });
       },
       1},
      {"Left twice, to Recipes With Photos",
       [](UiTest& t) {
         for (int i = 0; i < 2; ++i) t.steps.push_back([] { PushKey(SDLK_LEFT); });
       },
       1},
      {"F7 after a recipe was deleted",
       [](UiTest& t) {
         t.steps.push_back([&t] {
           t.Db().ChooseChapter(kChapterAll);
           t.Db().BuildRecipeList();
           t.Db().MarkDeleted(t.Db().recipeList().entries[0]);
           t.Db().SaveIndex();
           PushKey(SDLK_F7);
         });
       },
       3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string afterKey, afterLayout;
    bool countShown = false;
    size_t titles = 0;
    steps.push_back([] { PushMove(kRestX, kRestY); });
    c.command(*this);
    steps.push_back([&] {
      afterKey = BackBuffer(Gui());
      titles = Titles().size();
      countShown = Shows(Thousands(int64_t(titles)) + " Recipes");
      Index().Layout();
      Index().Paint();
      afterLayout = BackBuffer(Gui());
      ctx.quit = 1;
    });
    Run();
    ctx.quit = 0;
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    EXPECT_EQ(titles, c.titles);
    EXPECT_TRUE(countShown);
    EXPECT_TRUE(afterKey == afterLayout) << "the screen after the key is not the one a layout paints";
  }
}

// F3 and a click on "Find" end in the same screen.
TEST_F(UiTest, SearchByKeyPaintsWhatTheFindButtonPaints) {
  WriteSmallCollection();
  Open();
  std::string byKey, byClick;
  auto search = [&](bool click, std::string& shot) {
    steps.push_back([] { PushMove(kRestX, kRestY); });
    steps.push_back([this, click] {
      if (click) {
        PushClick(CX(kIdFind), CY(kIdFind));
        PushMove(kRestX, kRestY);
      } else {
        PushKey(SDLK_F3);
      }
    });
    steps.push_back([] { PushKey(SDLK_ESCAPE); });  // the last search's text goes
    steps.push_back([] { PushText("a"); });
    steps.push_back([] { PushKey(SDLK_RETURN); });
    steps.push_back([&] { shot = BackBuffer(Gui()); });
  };
  search(true, byClick);
  search(false, byKey);
  Run();
  ASSERT_FALSE(byClick.empty());
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Angel Cake", "Bagels"}));
  EXPECT_TRUE(byKey == byClick) << "F3 left another screen than the Find button";
}

// Esc in the search text empties the text; the form stays open.
TEST_F(UiTest, EscapeInTheFindFormEmptiesTheSearchTextOnly) {
  WriteSmallCollection();
  Open();
  bool open = false;
  std::string text = "?";
  steps.push_back([] { PushKey(SDLK_F3); });
  steps.push_back([] { PushText("abc"); });
  steps.push_back([] { PushKey(SDLK_ESCAPE); });
  steps.push_back([&] {
    open = Shows("Search For:");
    const widgets::Control* f = Gui().ById(widgets::kIdFieldBase);
    if (f) text = f->caption;
    PushClick(CX(widgets::kIdButtonBase + 1), CY(widgets::kIdButtonBase + 1));  // Cancel
  });
  steps.push_back([&] { EXPECT_FALSE(Shows("Search For:")); });
  Run();
  EXPECT_TRUE(open);
  EXPECT_EQ(text, "");
}

// The command column: three groups of touching buttons 45 px apart, from
// y = 64; the recipe panel ends where the column starts.
TEST_F(UiTest, CommandColumnAndRecipePanelFollowTheLayout) {
  WriteSmallCollection();
  Open();
  const int ids[9] = {kIdFind, kIdPrint, kIdNewMeal, kIdAddRecipe, kIdEdit, kIdDelete,
                      kIdWebImport, kIdImport, kIdExport};
  for (int k = 0; k < 9; ++k) {
    SCOPED_TRACE(k);
    const widgets::Control* b = Gui().ById(ids[k]);
    ASSERT_NE(b, nullptr);
    const int group = k / 3, row = k % 3;
    EXPECT_EQ(b->y1, 64 + group * (3 * 34 + 45) + row * 34);
    EXPECT_EQ(b->y2 - b->y1, 34);
  }
  const widgets::Control* bar = Gui().ById(kIdRecipeBar);
  const widgets::Control* menu = Gui().ById(kIdRecipesMenu);
  ASSERT_NE(bar, nullptr);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(bar->x2, Gui().ById(kIdFind)->x1);
  EXPECT_EQ(menu->x2, Gui().ById(kIdFind)->x1);
  EXPECT_EQ(Gui().ById(kIdFind)->x2, Gui().Width() - 20);
}

// After an import the new recipe is current and the one recipe checked.
TEST_F(UiTest, AfterAnImportTheCurrentRecipeIsTheCheckedOne) {
  WriteSmallCollection();
  Open();
  const std::string mm =
      "MMMMM----- Recipe via Meal-Master (tm) v8.05\r\n\r\n      Title: Zucchini Chowder\r\n"
      " Categories: Soups\r\n      Yield: 4 servings\r\n\r\n      2 c  Milk\r\n\r\n  Heat the milk.\r\n\r\nMMMMM\r\n";
  SDL_SetClipboardText(mm.c_str());
  ctx.settings.import_chapter = 1;  // sort to the recipe's own category
  steps.push_back([&] { PushClick(CX(kIdImport), CY(kIdImport)); });
  steps.push_back([&] { PushClick(CX(widgets::kIdButtonBase + 1), CY(widgets::kIdButtonBase + 1)); });
  Run();
  const ListModel& R = Db().recipeList();
  ASSERT_EQ(Titles(), (std::vector<std::string>{"Minestrone", "Zucchini Chowder"}));
  EXPECT_EQ(Titles()[size_t(R.current)], "Zucchini Chowder");
  std::vector<bool> only(Titles().size(), false);
  only[size_t(R.current)] = true;
  EXPECT_EQ(RecipeChecks(), only);
}

// The Find form keeps the window busy; a size the window got meanwhile is
// laid out and painted when the form closes, not left black.
TEST_F(UiTest, SizeReachedWhileFindIsOpenIsLaidOutWhenItCloses) {
  WriteSmallCollection();
  Open();
  bool busyDuring = false;
  int widthDuring = 0;
  steps.push_back([] { PushKey(SDLK_F3); });
  steps.push_back([&] {
    busyDuring = ctx.Busy();
    SDL_SetWindowSize(Gui().window.Handle(), 1240, 860);
  });
  steps.push_back([&] {
    widthDuring = Gui().Width();
    PushClick(CX(widgets::kIdButtonBase + 1), CY(widgets::kIdButtonBase + 1));  // Cancel
  });
  Run();
  EXPECT_TRUE(busyDuring);
  EXPECT_EQ(widthDuring, 1100);
  EXPECT_FALSE(ctx.Busy());
  EXPECT_EQ(Gui().Width(), 1240);
  EXPECT_EQ(Gui().Height(), 860);
  EXPECT_EQ(Index().chapterBox().barX1, int(0.26 * 1240));
  // The corner beyond the old size is painted.
  EXPECT_EQ(Gui().canvas.PixelAt(1235, 855), Gui().canvas.PixelAt(kRestX, kRestY));
}

}  // namespace
}  // namespace pantrela::ui::testing
