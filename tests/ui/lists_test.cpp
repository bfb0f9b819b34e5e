// Scrolling the lists, auto-scroll while dragging, the chapter menu from a
// right click, and the clean-up key.
#include <SDL2/SDL.h>

#include "foundation/file.h"
#include "ui_harness.h"

namespace pantrela::ui::testing {
namespace {

TEST_F(UiTest, WheelArrowsBarAndAutoScrollMoveTheRecipeList) {
  WriteBytes(ctx.files.recipe, pantrela::testing::GenerateRecipeFile(400, 3));
  Open();
  const auto& R = Db().recipeList();
  std::vector<int> scrolls;
  int ih = 0, currentAfterDrag = 0, scrollAfterDrag = 0, visibleRows = 0;
  auto over = [&] { PushMove(RowX(false, false), RowY(false, 2)); };
  auto note = [&] { scrolls.push_back(R.scroll); };
  steps.push_back([&] {
    ih = Index().itemHeight();
    visibleRows = R.visibleHeight / ih;
    over();
    PushWheel(-1);  // one notch down: three lines
  });
  steps.push_back(note);
  steps.push_back([&] {
    SDL_SetModState(KMOD_LCTRL);
    PushWheel(1);  // with Ctrl one line up
  });
  steps.push_back([&] {
    SDL_SetModState(KMOD_NONE);
    note();
    PushClick(CX(kIdRecipeDown), CY(kIdRecipeDown));  // one item
  });
  steps.push_back(note);
  steps.push_back([&] {
    // The bottom of the scroll bar: the end of the list.
    const widgets::Control* bar = Gui().ById(kIdRecipeBar);
    PushClick(CX(kIdRecipeBar), bar->y2 - 1);
  });
  steps.push_back([&] {
    note();
    PushKey(SDLK_HOME);
  });
  steps.push_back([&] {
    // Drag from the first row to below the list: it walks on by itself.
    PushMove(RowX(false, false), RowY(false, 0));
    PushButton(true, RowX(false, false), RowY(false, 0));
    PushMove(RowX(false, false), Index().recipeBox().y2 + 30);
  });
  for (int i = 0; i < 60; ++i) steps.push_back([] { SDL_Delay(40); });
  steps.push_back([&] {
    currentAfterDrag = R.current;
    scrollAfterDrag = R.scroll;
    PushButton(false, RowX(false, false), Index().recipeBox().y2 + 30);
  });
  Run();
  ASSERT_EQ(scrolls.size(), 4u);
  EXPECT_EQ(scrolls[0], 3 * ih);
  EXPECT_EQ(scrolls[1], 2 * ih);
  EXPECT_EQ(scrolls[2], 3 * ih);
  EXPECT_EQ(scrolls[3], R.totalHeight - R.visibleHeight);
  EXPECT_GT(currentAfterDrag, visibleRows);
  EXPECT_GT(scrollAfterDrag, 0);
  EXPECT_EQ(CheckAllValue(kIdRecipeAll), 0);
}

TEST_F(UiTest, RightClickOpensTheChapterMenuAfterSelecting) {
  WriteSmallCollection();
  Open();
  std::vector<std::string> checkedAtMenu;
  steps.push_back([&] { ClickRow(true, 5); });  // Cakes
  steps.push_back([&] {
    PushMove(RowX(true, false), RowY(true, 6));
    PushButton(true, RowX(true, false), RowY(true, 6), SDL_BUTTON_RIGHT);
    PushButton(false, RowX(true, false), RowY(true, 6), SDL_BUTTON_RIGHT);
  });
  steps.push_back([&] {
    checkedAtMenu = CheckedChapters();
    PushKey(SDLK_DOWN);  // Add chapter
  });
  steps.push_back([&] { PushKey(SDLK_RETURN); });
  steps.push_back([&] {
    EXPECT_TRUE(Shows("Enter New Chapter Title"));
    PushText("Pies");
  });
  steps.push_back([&] { PushKey(SDLK_RETURN); });
  Run();
  EXPECT_EQ(checkedAtMenu, std::vector<std::string>{"Soups"});
  EXPECT_EQ(Db().ChapterNameByKey(Db().CurrentChapterKey()), "Pies");
  EXPECT_TRUE(Titles().empty());
  EXPECT_TRUE(Shows("8 Chapters"));
}

TEST_F(UiTest, CleanUpKeyCompactsUnlessBusy) {
  WriteSmallCollection();
  Open();
  Db().MarkDeleted(Db().recipeList().entries[0]);
  Db().SaveIndex();
  const size_t before = ReadBytes(ctx.files.recipe).size();
  size_t whileBusy = 0;
  steps.push_back([&] {
    ctx.SetBusy(true);
    PushKey(SDLK_F7);
  });
  steps.push_back([&] {
    whileBusy = ReadBytes(ctx.files.recipe).size();
    ctx.SetBusy(false);
    PushKey(SDLK_F7);
  });
  Run();
  EXPECT_EQ(whileBusy, before);
  EXPECT_LT(ReadBytes(ctx.files.recipe).size(), before);
  EXPECT_EQ(Titles().size(), 3u);
}

TEST_F(UiTest, ClosingTheWindowDuringCleanUpAbandonsIt) {
  WriteSmallCollection();
  Open();
  Db().MarkDeleted(Db().recipeList().entries[0]);
  Db().SaveIndex();
  const std::string recipes = ReadBytes(ctx.files.recipe);
  steps.push_back([&] {
    // The close message waits behind the key: only a clean-up that lets
    // events through sees it before it ends.
    PushKey(SDLK_F7);
    SDL_Event q{};
    q.type = SDL_QUIT;
    SDL_PushEvent(&q);
  });
  Run();
  EXPECT_TRUE(ctx.Quitting());
  EXPECT_EQ(ReadBytes(ctx.files.recipe), recipes);
  EXPECT_FALSE(Exists(ctx.files.compaction));
  EXPECT_FALSE(ctx.Busy());
}

}  // namespace
}  // namespace pantrela::ui::testing
