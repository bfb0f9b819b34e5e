#include <SDL2/SDL.h>

#include "foundation/file.h"
#include "ui_harness.h"

namespace pantrela::ui::testing {
namespace {

// Chapter rows: 0-3 the reserved chapters, 4 Breads, 5 Cakes, 6 Soups.
constexpr int kBreads = 4, kCakes = 5, kSoups = 6;

TEST_F(UiTest, ChapterSelectionByCheckColumnShiftAndDrag) {
  WriteSmallCollection();
  Open();
  struct Case {
    const char* name;
    std::function<void(UiTest&)> gesture;
    std::vector<std::string> checked;
    std::vector<std::string> titles;
  };
  const std::vector<Case> cases = {
      {"check column on two chapters",
       [](UiTest& t) {
         t.steps.push_back([&t] { t.ClickRow(true, kBreads, true); });
         t.steps.push_back([&t] { t.ClickRow(true, kSoups, true); });
       },
       {"Breads", "Soups"},
       {"Bagels", "Minestrone", "Rye"}},
      {"plain click then shift click",
       [](UiTest& t) {
         t.steps.push_back([&t] { t.ClickRow(true, kBreads); });
         t.steps.push_back([&t] { t.ClickRow(true, kSoups, false, KMOD_LSHIFT); });
       },
       {"Breads", "Cakes", "Soups"},
       {"Angel Cake", "Bagels", "Minestrone", "Rye"}},
      {"dragging in the check column",
       [](UiTest& t) {
         t.steps.push_back([&t] { t.ClickRow(true, kCakes); });  // only Cakes checked
         t.steps.push_back([&t] {
           PushMove(t.RowX(true, true), t.RowY(true, kBreads));
           PushButton(true, t.RowX(true, true), t.RowY(true, kBreads));
         });
         t.steps.push_back([&t] { PushMove(t.RowX(true, true), t.RowY(true, kCakes)); });
         t.steps.push_back([&t] { PushMove(t.RowX(true, true), t.RowY(true, kSoups)); });
         t.steps.push_back([&t] { PushButton(false, t.RowX(true, true), t.RowY(true, kSoups)); });
       },
       {"Breads", "Cakes", "Soups"},
       {"Angel Cake", "Bagels", "Minestrone", "Rye"}},
      {"a plain click on a reserved chapter clears every check",
       [](UiTest& t) {
         t.steps.push_back([&t] { t.ClickRow(true, kBreads, true); });
         t.steps.push_back([&t] { t.ClickRow(true, 3); });  // Recipes With Photos
       },
       {},
       {"Minestrone"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Db().ChooseChapter(kChapterAll);
    c.gesture(*this);
    std::vector<std::string> checked, titles;
    steps.push_back([&] {
      checked = CheckedChapters();
      titles = Titles();
      ctx.quit = 1;
    });
    Run();
    ctx.quit = 0;
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    EXPECT_EQ(checked, c.checked);
    EXPECT_EQ(titles, c.titles);
  }
}

TEST_F(UiTest, DraggingFromAnUncheckedChapterUnchecksEveryPassedChapter) {
  WriteSmallCollection();
  Open();
  std::vector<std::string> checked;
  steps.push_back([&] { ClickRow(true, kBreads, true); });
  steps.push_back([&] { ClickRow(true, kCakes, true); });
  steps.push_back([&] { ClickRow(true, kSoups, true); });  // all three checked
  steps.push_back([&] {
    PushMove(RowX(true, true), RowY(true, kCakes));
    PushButton(true, RowX(true, true), RowY(true, kCakes));  // Cakes off
  });
  steps.push_back([&] { PushMove(RowX(true, true), RowY(true, kSoups)); });
  steps.push_back([&] { PushButton(false, RowX(true, true), RowY(true, kSoups)); });
  steps.push_back([&] { checked = CheckedChapters(); });
  Run();
  EXPECT_EQ(checked, std::vector<std::string>{"Breads"});
}

TEST_F(UiTest, RecipeKeysChecksAndTheCheckAllBox) {
  WriteSmallCollection();
  Open();
  // All Recipes: Angel Cake, Bagels, Minestrone, Rye.
  struct Probe {
    std::vector<bool> checks;
    int current;
    int allBox;
  };
  std::vector<Probe> seen;
  auto probe = [&] { seen.push_back({RecipeChecks(), Db().recipeList().current, CheckAllValue(kIdRecipeAll)}); };
  steps.push_back([&] { PushKey(SDLK_HOME); });
  steps.push_back(probe);  // 0: plain home
  steps.push_back([&] { PushKey(SDLK_DOWN, KMOD_LSHIFT); });
  steps.push_back([&] { PushKey(SDLK_DOWN, KMOD_LSHIFT); });
  steps.push_back(probe);  // 1: shift+down twice
  steps.push_back([&] { PushKey(SDLK_END, KMOD_LCTRL); });
  steps.push_back(probe);  // 2: ctrl+end moves only the current row
  steps.push_back([&] { PushKey(SDLK_SPACE, KMOD_NONE, " "); });
  steps.push_back(probe);  // 3: space checks it: all checked
  steps.push_back([&] { PushKey(SDLK_a, KMOD_LCTRL); });
  steps.push_back(probe);  // 4: ctrl+a with all checked unchecks all
  steps.push_back([&] { PushClick(CX(kIdRecipeAll), CY(kIdRecipeAll)); });
  steps.push_back(probe);  // 5: the check-all box checks all
  steps.push_back([&] { PushKey(SDLK_HOME); });
  steps.push_back(probe);  // 6: plain home
  Run();
  ASSERT_EQ(seen.size(), 7u);
  using V = std::vector<bool>;
  EXPECT_EQ(seen[0].checks, (V{true, false, false, false}));
  EXPECT_EQ(seen[1].checks, (V{true, true, true, false}));
  EXPECT_EQ(seen[1].current, 2);
  EXPECT_EQ(seen[2].checks, (V{true, true, true, false}));
  EXPECT_EQ(seen[2].current, 3);
  EXPECT_EQ(seen[3].checks, (V{true, true, true, true}));
  EXPECT_EQ(seen[4].checks, (V{false, false, false, false}));
  EXPECT_EQ(seen[5].checks, (V{true, true, true, true}));
  EXPECT_EQ(seen[6].checks, (V{true, false, false, false}));
  EXPECT_EQ(seen[6].current, 0);
  const int boxes[7] = {0, 0, 0, 1, 0, 1, 0};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(seen[size_t(i)].allBox, boxes[i]) << "after step " << i;
}

TEST_F(UiTest, EnterOnEmptyListStaysAndEnterOnRecipeOpensTheView) {
  WriteSmallCollection();
  Open();
  int screenAfterEmpty = 0, screenAfterRecipe = 0;
  steps.push_back([&] { ClickRow(true, 1); });  // Search Results: empty
  steps.push_back([&] { PushKey(SDLK_RETURN); });
  steps.push_back([&] {
    screenAfterEmpty = ctx.screen;
    EXPECT_TRUE(Titles().empty());
    EXPECT_EQ(CheckAllValue(kIdRecipeAll), 0);
    EXPECT_TRUE(Shows("0 Recipes"));
    EXPECT_TRUE(Shows("7 Chapters"));
    ClickRow(true, 0);
  });
  steps.push_back([&] { PushKey(SDLK_RETURN); });
  steps.push_back([&] {
    screenAfterRecipe = ctx.screen;
    ctx.quit = 1;
  });
  Run();
  EXPECT_EQ(screenAfterEmpty, kScreenRecipes);
  EXPECT_EQ(screenAfterRecipe, kScreenRecipe);
}

TEST_F(UiTest, ArrowsMoveTheChapterAndSecondClickOpensRecipe) {
  WriteSmallCollection();
  Open();
  std::vector<std::string> afterRight;
  int screen = 0;
  steps.push_back([&] { ClickRow(true, kBreads); });
  steps.push_back([&] { PushKey(SDLK_RIGHT); });
  steps.push_back([&] {
    afterRight = CheckedChapters();
    EXPECT_EQ(Titles(), std::vector<std::string>{"Angel Cake"});
    ClickRow(false, 0);  // already current: opens it
  });
  steps.push_back([&] {
    screen = ctx.screen;
    ctx.quit = 1;
  });
  Run();
  EXPECT_EQ(afterRight, std::vector<std::string>{"Cakes"});
  EXPECT_EQ(screen, kScreenRecipe);
}

TEST_F(UiTest, FindFormValidatesAndSearches) {
  WriteSmallCollection();
  Open();
  bool sawEmptyMessage = false, sawFieldMessage = false;
  steps.push_back([&] { PushKey(SDLK_F3); });
  steps.push_back([&] { PushKey(SDLK_RETURN); });  // empty text
  steps.push_back([&] {
    sawEmptyMessage = Shows("Please enter the text you want to search for");
    PushKey(SDLK_RETURN);  // closes the message
  });
  steps.push_back([&] { PushText("bagel"); });
  steps.push_back([&] {
    // Titles off: no field switched on.
    PushClick(CX(6010), CY(6010));
  });
  steps.push_back([&] { PushKey(SDLK_RETURN); });
  steps.push_back([&] {
    sawFieldMessage = Shows("You must select at least one field to search");
    PushKey(SDLK_RETURN);
  });
  steps.push_back([&] { PushClick(CX(6011), CY(6011)); });  // Ingredients on
  steps.push_back([&] { PushKey(SDLK_RETURN); });
  steps.push_back([&] {
    EXPECT_FALSE(ctx.Busy());
    EXPECT_EQ(Db().CurrentChapterKey(), kChapterSearch);
  });
  Run();
  EXPECT_TRUE(sawEmptyMessage);
  EXPECT_TRUE(sawFieldMessage);
  // "bagel" is only in the title of Bagels; its ingredients hold "flour".
  EXPECT_TRUE(Titles().empty());
}

TEST_F(UiTest, FindInTitlesWithTheChapterPopup) {
  WriteSmallCollection();
  Open();
  steps.push_back([&] { PushClick(CX(kIdFind), CY(kIdFind)); });
  steps.push_back([&] { PushText("a"); });
  steps.push_back([&] { PushKey(SDLK_TAB); });  // the chapter pop-up
  steps.push_back([&] { PushKey(SDLK_DOWN); });  // All Recipes
  steps.push_back([&] { PushKey(SDLK_DOWN); });  // Breads
  steps.push_back([&] { PushKey(SDLK_RETURN); });
  steps.push_back([&] { PushClick(CX(5000), CY(5000)); });
  Run();
  // "a" is in Bagels (Breads) and Angel Cake (Cakes); the scope keeps Breads only.
  EXPECT_EQ(Titles(), std::vector<std::string>{"Bagels"});
}

TEST_F(UiTest, ImportDialogTogglesSortOptionAndImportsTheClipboard) {
  WriteSmallCollection();
  Open();
  const std::string mm =
      "MMMMM----- Recipe via Meal-Master (tm) v8.05\r\n\r\n      Title: Clipboard Chowder\r\n"
      " Categories: Soups\r\n      Yield: 4 servings\r\n\r\n      2 c  Milk\r\n\r\n  Heat the milk.\r\n\r\nMMMMM\r\n";
  SDL_SetClipboardText(mm.c_str());
  int sortBefore = ctx.settings.import_chapter, sortAfter = -1;
  steps.push_back([&] { PushClick(CX(kIdImport), CY(kIdImport)); });
  steps.push_back([&] {
    EXPECT_TRUE(Shows("Select Import Format"));
    EXPECT_TRUE(Shows("Sort to categories defined in recipes"));
    PushKey(SDLK_d, KMOD_NONE, "d");
  });
  steps.push_back([&] {
    sortAfter = ctx.settings.import_chapter;
    PushClick(CX(5001), CY(5001));  // Clipboard
  });
  Run();
  EXPECT_NE(sortBefore, sortAfter);
  bool found = false;
  for (uint32_t e : Db().EntryOffsets()) found |= Db().Entry(e).title() == "Clipboard Chowder";
  EXPECT_TRUE(found);
  EXPECT_FALSE(Exists(ctx.files.scratchImport));
}

TEST_F(UiTest, HandOverFileIsImportedOnTheTimerAndDropsTakeTheSamePath) {
  WriteSmallCollection();
  std::string mmFile = dir / "dropped soup.mmf";
  WriteBytes(mmFile,
             "MMMMM----- Recipe via Meal-Master (tm) v8.05\r\n\r\n      Title: Dropped Soup\r\n"
             " Categories: Soups\r\n      Yield: 2 servings\r\n\r\n      1 c  Water\r\n\r\n  Boil.\r\n\r\nMMMMM\r\n");
  Open();
  steps.push_back([&] {
    // A drop of one file, as the desktop sends it.
    SDL_Event e{};
    e.type = SDL_DROPFILE;
    e.drop.file = SDL_strdup(mmFile.c_str());
    SDL_PushEvent(&e);
    SDL_Event done{};
    done.type = SDL_DROPCOMPLETE;
    SDL_PushEvent(&done);
  });
  bool waited = false;
  steps.push_back([&] {
    // The 300 ms timer picks the hand-over up.
    if (!waited) {
      waited = true;
      SDL_Delay(700);
      steps.push_front([] {});
    }
  });
  Run();
  EXPECT_FALSE(Exists(ctx.files.handOver));
  std::string log = ReadBytes(ctx.files.statusLog);
  EXPECT_NE(log.find("Drag/Drop File List: " + UpperAscii("\"" + mmFile + "\"")), std::string::npos) << log;
  bool found = false;
  for (uint32_t e : Db().EntryOffsets()) found |= Db().Entry(e).title() == "Dropped Soup";
  EXPECT_TRUE(found);
}

TEST_F(UiTest, HandOverThatIsAFolderIsLeftAlone) {
  WriteSmallCollection();
  Open();
  ASSERT_TRUE(CreateFolders(ctx.files.handOver + "/"));
  EXPECT_FALSE(Index().PollHandOver());
  EXPECT_EQ(ReadBytes(ctx.files.statusLog).find("Drag/Drop File List"), std::string::npos);
  EXPECT_EQ(Titles().size(), 4u);
}

TEST(HandOverText, QuotesAndSeparators) {
  EXPECT_EQ(HandOverText({"/a/b.mmf"}), "/a/b.mmf");
  EXPECT_EQ(HandOverText({"/a/my b.mmf"}), "\"/a/my b.mmf\"");
  EXPECT_EQ(HandOverText({"/a", "/b c"}), "\"/a\" \"/b c\"");
  EXPECT_EQ(HandOverFileNames("\"/a\" \"/b c\""), (std::vector<std::string>{"/a", "/b c"}));
  EXPECT_EQ(HandOverFileNames("\"/my b.mmf\""), (std::vector<std::string>{"/my b.mmf"}));
  EXPECT_EQ(HandOverFileNames("/x.mmf"), (std::vector<std::string>{"/x.mmf"}));
}

TEST(VendorAddresses, PlaceholdersAndOverride) {
  VendorAddresses d = VendorAddressesFrom(nullptr);
  EXPECT_EQ(d.home, "https://pantrela.example/");
  EXPECT_EQ(d.support, "support@pantrela.example");
  VendorAddresses o = VendorAddressesFrom("http://127.0.0.1:8080/shop");
  EXPECT_EQ(o.guide, "http://127.0.0.1:8080/shop/guide/");
  EXPECT_EQ(o.support, "support@127.0.0.1:8080");
}

}  // namespace
}  // namespace pantrela::ui::testing
