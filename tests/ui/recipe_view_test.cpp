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

}  // namespace
}  // namespace pantrela::ui::testing
