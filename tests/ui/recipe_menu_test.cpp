// The index screen's recipe menu and "Delete", driven by clicks and keys.
#include "ui/ui_harness.h"

namespace pantrela::ui::testing {
namespace {

TEST_F(UiTest, RightClickOnACheckedRecipeMovesTheCheckedOnesThroughTheMenu) {
  WriteSmallCollection();
  Open();
  // All Recipes: Angel Cake, Bagels, Minestrone, Rye.
  std::vector<bool> checksAtMenu;
  steps.push_back([&] { PushKey(SDLK_HOME); });
  steps.push_back([&] { PushKey(SDLK_DOWN, KMOD_LSHIFT); });  // Angel Cake and Bagels
  steps.push_back([&] {
    SDL_SetModState(KMOD_NONE);
    PushClick(RowX(false, false), RowY(false, 1), SDL_BUTTON_RIGHT);
  });
  steps.push_back([&] { checksAtMenu = RecipeChecks(); });
  for (int i = 0; i < 5; ++i) steps.push_back([&] { PushKey(SDLK_DOWN); });  // "Move recipes ..."
  steps.push_back([&] { PushKey(SDLK_RETURN); });
  for (int i = 0; i < 3; ++i) steps.push_back([&] { PushKey(SDLK_DOWN); });  // Soups
  steps.push_back([&] { PushKey(SDLK_RETURN); });
  Run();
  EXPECT_EQ(checksAtMenu, (std::vector<bool>{true, true, false, false}));
  Db().ChooseChapter(Db().FindChapterByName("soups"));
  Db().BuildRecipeList();
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Angel Cake", "Bagels", "Minestrone"}));
}

TEST_F(UiTest, TheDeleteKeyAndButtonDeleteTheCheckedRecipesAfterTheQuestion) {
  WriteSmallCollection();
  Open();
  std::vector<std::string> afterCancel;
  steps.push_back([&] { PushKey(SDLK_HOME); });
  steps.push_back([&] { PushKey(SDLK_DELETE); });
  steps.push_back([&] {
    for (const auto& c : Gui().table)
      if (c.caption == "Cancel") PushClick((c.x1 + c.x2) / 2, (c.y1 + c.y2) / 2);
  });
  steps.push_back([&] { afterCancel = Titles(); });
  steps.push_back([&] { ClickRow(false, 1, true); });  // the check box of Bagels
  std::vector<bool> before;
  steps.push_back([&] { before = RecipeChecks(); });
  steps.push_back([&] { PushClick(CX(kIdDelete), CY(kIdDelete)); });
  steps.push_back([&] { PushKey(SDLK_RETURN); });
  Run();
  EXPECT_EQ(afterCancel.size(), 4u);
  EXPECT_EQ(before, (std::vector<bool>{true, true, false, false}));
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Minestrone", "Rye"}));
  EXPECT_EQ(RecipeChecks(), (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace pantrela::ui::testing
