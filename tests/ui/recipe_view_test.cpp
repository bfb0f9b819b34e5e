#include "ui/recipe_view.h"

#include "database/master_index.h"
#include "ui_harness.h"

namespace pantrela::ui::testing {
namespace {

TEST(GrocerySearchWord, TrimsToLettersAndDropsThePlural) {
  const std::pair<const char*, const char*> cases[] = {
      {"tomatoes", "tomato"}, {"(Potatoes),", "Potato"}, {"eggs;", "egg"},       {"half-and-half", "half and half"},
      {"1/2", ""},             {"flour", "flour"},        {"\"leeks\"", "leek"},
  };
  for (const auto& [word, want] : cases) EXPECT_EQ(GrocerySearchWord(word), want) << word;
}

class RecipeViewTest : public UiTest {
 protected:
  std::string CurrentTitle() { return Db().current().title; }
  void ClickId(int id) { PushClick(CX(id), CY(id)); }
};

TEST_F(RecipeViewTest, EnterOpensTheViewArrowsStepAndEnterGoesBack) {
  WriteSmallCollection();
  Open();
  std::vector<std::string> seen;
  int screenInView = 0;
  steps = {
      [&] { PushKey(SDLK_RETURN); },
      [&] {
        screenInView = ctx.screen;
        seen.push_back(CurrentTitle());
        PushKey(SDLK_RIGHT);
      },
      [&] {
        seen.push_back(CurrentTitle());
        ClickId(kIdViewPrevious);
      },
      [&] {
        seen.push_back(CurrentTitle());
        PushKey(SDLK_LEFT);  // already the first: stays
      },
      [&] {
        seen.push_back(CurrentTitle());
        PushKey(SDLK_RETURN);
      },
      [&] { EXPECT_EQ(ctx.screen, kScreenRecipes); },
  };
  Run();
  EXPECT_EQ(screenInView, kScreenRecipe);
  EXPECT_EQ(seen, (std::vector<std::string>{"Angel Cake", "Bagels", "Angel Cake", "Angel Cake"}));
}

TEST_F(RecipeViewTest, AnEditSavedInTheEditorIsTheCurrentRecipeAfterwards) {
  WriteSmallCollection();
  Open();
  int64_t id = 0;
  steps = {
      [&] { PushKey(SDLK_RETURN); },
      [&] {
        id = Db().current().recordId();
        ClickId(kIdViewEdit);
      },
      [&] {
        EXPECT_EQ(ctx.screen, 9);
        PushKey(SDLK_END);
        PushText(" Deluxe");
      },
      [&] { ClickId(158); },  // Save
      [&] {
        EXPECT_EQ(ctx.screen, kScreenRecipe);
        EXPECT_EQ(CurrentTitle(), "Angel Cake Deluxe");
      },
  };
  Run();
  // Saved from "All Recipes", the recipe's own chapter is shown afterwards.
  EXPECT_EQ(Db().ChapterNameByKey(Db().CurrentChapterKey()), "Cakes");
  EXPECT_EQ(Titles(), std::vector<std::string>{"Angel Cake Deluxe"});
  EXPECT_EQ(Db().recipeList().current, 0);
  EXPECT_EQ(Db().Entry(Db().recipeList().entries[0]).recordId(), id);
}

TEST_F(RecipeViewTest, ANewRecipeInAllRecipesIsRefusedUntilItHasAChapter) {
  WriteSmallCollection();
  Open();
  bool refused = false;
  steps = {
      [&] { AddRecord(*program->screens, kKindRecipe); },
      [&] { PushText("Leek Soup"); },
      [&] { ClickId(158); },
      [&] {
        refused = Shows("Please select a chapter for this recipe!");
        PushKey(SDLK_RETURN);
      },
      [&] { ClickId(159); },  // Cancel
  };
  Run();
  EXPECT_TRUE(refused);
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Angel Cake", "Bagels", "Minestrone", "Rye"}));
}

TEST_F(RecipeViewTest, AnEmptyChapterShowsItsNoticeAndRefusesCommands) {
  WriteSmallCollection();
  Open();
  bool notice = false;
  steps = {
      [&] {
        Db().ChooseChapter(Db().CreateChapter("Drinks"));
        Db().BuildRecipeList();
        ClickId(kScreenRecipe);  // the "Recipe" tab
      },
      [&] { ClickId(kIdViewFind); },
      [&] {
        notice = Shows("There are no recipes in this chapter");
        PushKey(SDLK_RETURN);
      },
  };
  Run();
  EXPECT_TRUE(notice);
}

// The pane's bar and arrows, and the held arrow buttons: the thumb dragged to
// the bottom shows the end as End does, a held scroll arrow keeps scrolling,
// a held "next" arrow keeps stepping after a pause.
TEST_F(RecipeViewTest, ThumbDragHeldArrowsAndHeldSteps) {
  std::string directions;
  for (int i = 0; i < 150; ++i) directions += "Step " + std::to_string(i) + ": stir.\r";
  std::string f = GenRecord(0, 1001, 2, {{1, "Soups"}});
  f += GenRecord(11, 1001, 0, {{1, "A Long Soup"}, {3, directions}});
  for (int i = 0; i < 30; ++i) f += GenRecord(20 + i, 1001, 0, {{1, "Soup " + std::to_string(100 + i)}});
  WriteBytes(ctx.files.recipe, f);
  Open();
  auto view = [&] { return program->screens->recipeView; };
  // Runs while the left button is held; the button comes up from a timer.
  std::function<void()> waitUp = [&] {
    if (Gui().Input().heldButton) steps.push_front(waitUp);
  };
  auto releaseLater = [](int ms, int x, int y) {
    static int where[2];
    where[0] = x;
    where[1] = y;
    SDL_AddTimer(Uint32(ms), [](Uint32, void*) -> Uint32 {
      PushButton(false, where[0], where[1]);
      return 0;
    }, nullptr);
  };
  int dragged = -1, atEnd = -2, afterHeld = 0, stepsHeld = 0;
  steps = {
      [&] { PushKey(SDLK_RETURN); },
      [&] {
        ASSERT_NE(view(), nullptr);
        const widgets::Control* bar = Gui().ById(kIdViewBar);
        ASSERT_NE(bar, nullptr);
        const int x = (bar->x1 + bar->x2) / 2;
        PushMove(x, bar->y1 + 4);
        PushButton(true, x, bar->y1 + 4);
        PushMove(x, bar->y2 + 60);
        PushButton(false, x, bar->y2 + 60);
      },
      [&] {
        dragged = view()->scroll();
        PushKey(SDLK_END);
      },
      [&] {
        atEnd = view()->scroll();
        PushKey(SDLK_HOME);
      },
      [&] {
        PushMove(CX(kIdViewDown), CY(kIdViewDown));
        PushButton(true, CX(kIdViewDown), CY(kIdViewDown));
        releaseLater(300, CX(kIdViewDown), CY(kIdViewDown));
      },
      waitUp,
      [&] {
        afterHeld = view()->scroll();
        PushMove(CX(kIdViewNext), CY(kIdViewNext));
        PushButton(true, CX(kIdViewNext), CY(kIdViewNext));
        releaseLater(900, CX(kIdViewNext), CY(kIdViewNext));
      },
      waitUp,
      [&] { stepsHeld = Db().recipeList().current; },
  };
  Run();
  EXPECT_GT(dragged, 0);
  EXPECT_EQ(dragged, atEnd);
  EXPECT_GT(afterHeld, 3 * Gui().fonts.fieldHeight);
  EXPECT_GE(stepsHeld, 2);  // more than the press's own step
  EXPECT_LT(stepsHeld, 12);
}

}  // namespace
}  // namespace pantrela::ui::testing
