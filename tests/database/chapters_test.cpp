#include <gtest/gtest.h>

#include "db_fixture.h"

namespace pantrela::testing {
namespace {

class ChapterTest : public DbTest {
 protected:
  void SetUp() override {
    OpenCollection(db);
    soups = db.CreateChapter("Soups");
    breads = db.CreateChapter("Breads");
    empty = db.CreateChapter("Empty One");
    notes = db.CreateChapter("Notes Only");
    Add("Tomato Soup", soups);
    Add("Leek Soup", soups);
    Add("Rye Bread", breads);
    Add("A note", notes, "", "Some text", kKindInfo);
    db.SortAndSaveIndex();
    db.LoadMasterIndex();
    dialogs.shown.clear();
  }
  void Choose(int64_t key) {
    db.ChooseChapter(key);
    db.BuildRecipeList();
  }
  int64_t soups = 0, breads = 0, empty = 0, notes = 0;
};

TEST_F(ChapterTest, ListsFollowTheCurrentChapterAndChecks) {
  EXPECT_EQ(ChapterNames(), (std::vector<std::string>{"All Recipes", "Search Results", "Recipes Selected For Meals",
                                                      "Recipes With Photos", "Breads", "Empty One", "Notes Only",
                                                      "Soups"}));
  Choose(kChapterAll);
  EXPECT_EQ(RecipeTitles(), (std::vector<std::string>{"A note", "Leek Soup", "Rye Bread", "Tomato Soup"}));
  Choose(soups);
  EXPECT_EQ(RecipeTitles(), (std::vector<std::string>{"Leek Soup", "Tomato Soup"}));
  // Checking a second chapter in the check-box column shows both.
  for (uint32_t e : db.chapterList().entries)
    if (db.Entry(e).chapterKey() == breads) db.SetChecked(e, true);
  db.BuildRecipeList();
  EXPECT_EQ(RecipeTitles(), (std::vector<std::string>{"Leek Soup", "Rye Bread", "Tomato Soup"}));
  EXPECT_TRUE(Logged("Build Recipe List:  3 recipes"));
  // Only the entry at the current position carries the selection mark.
  db.recipeList().current = 7;
  db.BuildRecipeList();
  EXPECT_EQ(db.recipeList().current, 2);
  int marked = 0;
  for (uint32_t e : db.recipeList().entries) marked += db.IsChecked(e);
  EXPECT_EQ(marked, 1);
  EXPECT_TRUE(db.IsChecked(db.recipeList().entries[2]));
  EXPECT_EQ(db.recipeList().displayCache, std::vector<uint32_t>(3, 0xFFFFFFFFu));
  EXPECT_EQ(db.recipeList().totalHeight, 3 * db.recipeList().itemHeight);
  Choose(kChapterMeals);
  EXPECT_EQ(db.recipeList().count(), 0);
  EXPECT_EQ(db.ChapterDisplayName(breads), "Breads");
  EXPECT_EQ(db.ChapterDisplayName(123456), "* No Assigned Chapter");
  EXPECT_EQ(db.ChapterNameByKey(123456), "");
}

TEST_F(ChapterTest, MealPlanSourceFillsThePlannedView) {
  struct Plan : MealPlanSource {
    int64_t id = 0;
    bool loaded = false;
    void EnsureLoaded() override { loaded = true; }
    bool IsPlanned(int64_t r) const override { return r == id; }
  } plan;
  for (uint32_t e : db.EntryOffsets())
    if (db.Entry(e).title() == "Rye Bread") plan.id = db.Entry(e).recordId();
  db.SetMealPlanSource(&plan);
  Choose(kChapterMeals);
  EXPECT_TRUE(plan.loaded);
  EXPECT_EQ(RecipeTitles(), std::vector<std::string>{"Rye Bread"});
}

TEST_F(ChapterTest, AddChapterCutsLongNamesAndMakesItCurrent) {
  dialogs.formAnswers.push_back({"  " + std::string(300, 'n') + "  "});
  db.AddChapter();
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "Enter New Chapter Title");
  EXPECT_EQ(dialogs.shown[0].buttons, "");
  EXPECT_EQ(db.ChapterNameByKey(db.CurrentChapterKey()), std::string(220, 'n'));
  EXPECT_EQ(db.recipeList().count(), 0);
  // Cancel and an empty name change nothing.
  dialogs.formAnswers.push_back({"Other"});
  dialogs.buttons.push_back(2);
  db.AddChapter();
  dialogs.formAnswers.push_back({"   "});
  db.AddChapter();
  EXPECT_EQ(db.chapterList().count(), 9);
}

TEST_F(ChapterTest, RenameKeepsRecipesAndCurrency) {
  Choose(soups);
  dialogs.formAnswers.push_back({" Stews "});
  db.EditChapter();
  EXPECT_EQ(dialogs.shown[0].text, "Edit Chapter Title");
  EXPECT_EQ(dialogs.shown[0].items, std::vector<std::string>{"Soups"});
  EXPECT_EQ(db.CurrentChapterKey(), soups);
  EXPECT_EQ(db.ChapterNameByKey(soups), "Stews");
  EXPECT_EQ(RecipeTitles(), (std::vector<std::string>{"Leek Soup", "Tomato Soup"}));
  EXPECT_EQ(db.FindChapterByName("soups"), 0);
  // After a restart the rename holds.
  Collection again(ctx);
  OpenCollection(again);
  EXPECT_EQ(again.FindChapterByName("STEWS"), soups);
  EXPECT_TRUE(dialogs.Messages().size() == 1);
}

TEST_F(ChapterTest, ReservedChaptersRefuseEditAndDelete) {
  std::string indexBefore = ReadBytes(ctx.files.index);
  std::string recipeBefore = ReadBytes(ctx.files.recipe);
  Choose(kChapterSearch);
  db.EditChapter();
  db.DeleteChapter();
  EXPECT_EQ(dialogs.Messages(), (std::vector<std::string>{
                                    "The top four chapters are reserved.||This chapter cannot be edited.",
                                    "The top four chapters are reserved.||This chapter cannot be deleted."}));
  EXPECT_EQ(ReadBytes(ctx.files.index), indexBefore);
  EXPECT_EQ(ReadBytes(ctx.files.recipe), recipeBefore);
}

TEST_F(ChapterTest, DeleteChapterDeletesItsRecipes) {
  Choose(soups);
  dialogs.buttons.push_back(1);
  db.DeleteChapter();
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text,
            "You are about to delete the chapter||Soups||All recipes in this chapter will also be deleted.|Do you want "
            "to continue?");
  EXPECT_EQ(dialogs.shown[0].buttons, "OK|Cancel");
  EXPECT_EQ(db.ChapterNameByKey(db.CurrentChapterKey()), "Notes Only");  // the one before it
  Choose(kChapterAll);
  EXPECT_EQ(RecipeTitles(), (std::vector<std::string>{"A note", "Rye Bread"}));
  EXPECT_EQ(db.FindChapterByName("Soups"), 0);
  Collection again(ctx);
  OpenCollection(again);
  EXPECT_EQ(again.recipeList().count(), 2);
}

TEST_F(ChapterTest, DeleteIsCancelledByDefault) {
  Choose(soups);
  db.DeleteChapter();  // no answer queued: Cancel is the default
  Choose(kChapterAll);
  EXPECT_EQ(db.recipeList().count(), 4);
}

TEST_F(ChapterTest, RemoveEmptyKeepsChapterWithOnlyAnInformationText) {
  dialogs.buttons.push_back(1);
  db.RemoveEmptyChapters();
  EXPECT_EQ(dialogs.shown[0].text,
            "You are about to delete all chapters|that do not contain recipes.||Do you wish to continue?");
  EXPECT_EQ(ChapterNames(), (std::vector<std::string>{"All Recipes", "Search Results", "Recipes Selected For Meals",
                                                      "Recipes With Photos", "Breads", "Notes Only", "Soups"}));
  EXPECT_EQ(db.CurrentChapterKey(), kChapterAll);
}

TEST_F(ChapterTest, FindChaptersChecksEveryMatch) {
  Add("Garlic Bread", db.CreateChapter("Breads Too"));
  db.SortAndSaveIndex();
  db.LoadMasterIndex();
  dialogs.formAnswers.push_back({" BREAD "});
  db.FindChapters();
  EXPECT_EQ(dialogs.shown.back().text, "Find Chapters");
  EXPECT_EQ(db.ChapterNameByKey(db.CurrentChapterKey()), "Breads");
  EXPECT_EQ(RecipeTitles(), (std::vector<std::string>{"Garlic Bread", "Rye Bread"}));
  dialogs.formAnswers.push_back({"nothing like it"});
  db.FindChapters();
  EXPECT_EQ(db.CurrentChapterKey(), kChapterAll);
  EXPECT_TRUE(db.CheckedChapterKeys().empty());
  // The space bar ends the search early.
  dialogs.formAnswers.push_back({"e"});
  dialogs.stopAfterPolls = dialogs.polls;
  db.FindChapters();
  EXPECT_TRUE(db.CheckedChapterKeys().empty());
}

TEST_F(ChapterTest, ChapterStateSurvivesAReload) {
  Choose(soups);
  for (uint32_t e : db.chapterList().entries)
    if (db.Entry(e).chapterKey() == breads) db.SetChecked(e, true);
  ChapterState state = db.RememberChapterState();
  Add("New one", breads);
  db.SortAndSaveIndex();
  db.LoadMasterIndex();
  db.RestoreChapterState(state);
  db.BuildRecipeList();
  EXPECT_EQ(db.CurrentChapterKey(), soups);
  EXPECT_EQ(RecipeTitles(), (std::vector<std::string>{"Leek Soup", "New one", "Rye Bread", "Tomato Soup"}));
}

}  // namespace
}  // namespace pantrela::testing
