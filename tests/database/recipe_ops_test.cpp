#include "database/recipe_ops.h"

#include "database/master_index.h"
#include "db_fixture.h"
#include "support/file_faults.h"

namespace pantrela::testing {
namespace {

class RecipeOps : public DbTest {
 protected:
  void SetUp() override {
    soups = db.CreateChapter("Soups");
    cakes = db.CreateChapter("Cakes");
    for (const char* t : {"Bean Soup", "Leek Soup", "Onion Soup", "Pea Soup", "Tomato Soup"})
      Add(t, soups, "1 cup water", "Boil.");
    Add("Sponge", cakes, "3 eggs", "Bake.");
    db.SortAndSaveIndex();
    db.LoadMasterIndex();
    db.ChooseChapter(soups);
    db.BuildRecipeList();
    dialogs.shown.clear();
    dialogs.progressLines.clear();
  }
  // Checks exactly the recipes at these list positions.
  void Check(std::initializer_list<int> rows) {
    for (uint32_t e : db.recipeList().entries) db.SetChecked(e, false);
    for (int r : rows) db.SetChecked(db.recipeList().entries[size_t(r)], true);
  }
  uint32_t At(int row) const { return db.recipeList().entries[size_t(row)]; }
  std::vector<std::string> Titles(int64_t chapter) {
    db.ChooseChapter(chapter);
    db.BuildRecipeList();
    return RecipeTitles();
  }
  int64_t soups = 0, cakes = 0;
};

TEST_F(RecipeOps, NothingCheckedIsToldForEveryCommand) {
  Check({});
  CopyOrMoveCommand(db, false, 0, 0);
  CopyOrMoveCommand(db, true, 0, 0);
  EXPECT_FALSE(DeleteSelectedCommand(db));
  EXPECT_EQ(dialogs.Messages(), (std::vector<std::string>(3, kNoRecipesSelected)));
  EXPECT_EQ(Titles(soups).size(), 5u);
}

TEST_F(RecipeOps, TheChooserListsUserChaptersAndADismissalDoesNothing) {
  Check({0});
  const std::string before = ReadBytes(ctx.files.recipe);
  dialogs.choices.push_back(-1);
  CopyOrMoveCommand(db, false, 10, 20);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].kind, "popuplist");
  EXPECT_EQ(dialogs.shown[0].items, (std::vector<std::string>{"Cakes", "Soups"}));
  EXPECT_EQ(ReadBytes(ctx.files.recipe), before);
}

TEST_F(RecipeOps, CopyMakesNewRecordsWithNewIdsAndKeepsTheChecks) {
  Check({1, 3});  // Leek, Pea
  db.recipeList().current = 3;
  const int64_t leekId = db.Entry(At(1)).recordId();
  dialogs.choices.push_back(0);  // Cakes
  CopyOrMoveCommand(db, false, 0, 0);
  EXPECT_TRUE(dialogs.Messages().empty());
  // The originals are where they were, still checked, Pea Soup current.
  EXPECT_EQ(RecipeTitles().size(), 5u);
  EXPECT_EQ(db.Entry(At(db.recipeList().current)).title(), "Pea Soup");
  EXPECT_EQ(CheckedRecipes(db), (std::vector<uint32_t>{At(1), At(3)}));
  EXPECT_EQ(Titles(cakes), (std::vector<std::string>{"Leek Soup", "Pea Soup", "Sponge"}));
  const uint32_t copy = db.recipeList().entries[0];
  EXPECT_NE(db.Entry(copy).recordId(), leekId);
  db.LoadCurrent(uint64_t(db.Entry(copy).fileOffset()));
  EXPECT_EQ(db.current().chapterKey(), cakes);
  EXPECT_EQ(db.current().ingredients, "1 cup water");
  ASSERT_TRUE(dialogs.progressLines.size() >= 1);
  EXPECT_EQ(dialogs.progressLines[0].substr(0, 16), "Copying Recipes|");
}

TEST_F(RecipeOps, MoveRewritesTheChapterInPlaceAndKeepsIdAndOffset) {
  Check({1, 3});
  db.recipeList().scroll = 7;
  const int64_t id = db.Entry(At(1)).recordId();
  const int64_t offset = db.Entry(At(1)).fileOffset();
  const std::string before = ReadBytes(ctx.files.recipe);
  ASSERT_TRUE(TransferCheckedRecipes(db, true, cakes));
  EXPECT_EQ(RecipeTitles(), (std::vector<std::string>{"Bean Soup", "Onion Soup", "Tomato Soup"}));
  EXPECT_EQ(db.recipeList().current, 1);  // the first moved recipe's position
  EXPECT_EQ(db.recipeList().scroll, 7);
  const std::string after = ReadBytes(ctx.files.recipe);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(after.substr(size_t(offset) + 24, 8), LE(uint64_t(cakes), 8));
  EXPECT_NE(after.substr(size_t(offset) + 8, 8), before.substr(size_t(offset) + 8, 8));  // a new write stamp
  EXPECT_EQ(after.substr(size_t(offset) + 16, 8), before.substr(size_t(offset) + 16, 8));
  EXPECT_EQ(Titles(cakes), (std::vector<std::string>{"Leek Soup", "Pea Soup", "Sponge"}));
  EXPECT_EQ(db.Entry(db.recipeList().entries[0]).recordId(), id);
  EXPECT_EQ(db.Entry(db.recipeList().entries[0]).fileOffset(), offset);
  // The recipe file agrees: a rebuilt index puts them in the same chapters.
  db.BuildIndexFromRecipeFile();
  EXPECT_EQ(Titles(cakes), (std::vector<std::string>{"Leek Soup", "Pea Soup", "Sponge"}));
}

TEST_F(RecipeOps, MovingTheLastRecipesClampsTheCurrentPosition) {
  Check({3, 4});
  ASSERT_TRUE(TransferCheckedRecipes(db, true, cakes));
  EXPECT_EQ(RecipeTitles().size(), 3u);
  EXPECT_EQ(db.recipeList().current, 2);
}

TEST_F(RecipeOps, DeleteAsksThenDeletesKeepingTheScroll) {
  Check({1, 2});
  dialogs.buttons.push_back(2);
  EXPECT_FALSE(DeleteSelectedCommand(db));
  EXPECT_EQ(dialogs.Messages(), (std::vector<std::string>{kConfirmDeleteSelected}));
  EXPECT_EQ(RecipeTitles().size(), 5u);

  db.recipeList().scroll = 13;
  const int64_t leekOffset = db.Entry(At(1)).fileOffset();
  dialogs.buttons.push_back(1);
  ASSERT_TRUE(DeleteSelectedCommand(db));
  EXPECT_EQ(RecipeTitles(), (std::vector<std::string>{"Bean Soup", "Pea Soup", "Tomato Soup"}));
  EXPECT_EQ(db.recipeList().current, 1);
  EXPECT_EQ(CheckedRecipes(db), (std::vector<uint32_t>{At(1)}));
  EXPECT_EQ(db.recipeList().scroll, 13);
  EXPECT_EQ(uint8_t(ReadBytes(ctx.files.recipe)[size_t(leekOffset) + 32]), kKindDeleted);
  EXPECT_EQ(dialogs.progressLines.front().substr(0, 17), "Deleting Recipes|");
  // Saved: the next start lists the same.
  Collection again(ctx);
  again.LoadMasterIndex();
  again.ChooseChapter(soups);
  again.BuildRecipeList();
  EXPECT_EQ(again.recipeList().count(), 3);
}

// A write that fails at any step of copy, move or delete is reported and
// leaves the recipe file and the index as they were.
TEST_F(RecipeOps, AFailedWriteLeavesTheCollectionAsItWas) {
  struct Case {
    const char* name;
    int op;  // 0 copy, 1 move, 2 delete
    FileFault::Call call;
    int nth;
  } cases[] = {
      {"copy: record", 0, FileFault::kWrite, 2},  {"copy: index", 0, FileFault::kRename, 1},
      {"move: record", 1, FileFault::kWrite, 2},  {"move: sync", 1, FileFault::kSync, 1},
      {"move: index", 1, FileFault::kRename, 1},  {"delete: mark", 2, FileFault::kWrite, 2},
      {"delete: index", 2, FileFault::kRename, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    db.ChooseChapter(soups);
    db.BuildRecipeList();
    Check({0, 2});
    const std::string recipeBefore = ReadBytes(ctx.files.recipe);
    const std::string indexBefore = ReadBytes(ctx.files.index);
    dialogs.shown.clear();
    bool ok;
    {
      FileFault fault(c.call, c.nth, c.call == FileFault::kWrite ? ENOSPC : EIO, false);
      ok = c.op == 2 ? DeleteCheckedRecipes(db) : TransferCheckedRecipes(db, c.op == 1, cakes);
      EXPECT_GT(fault.failures(), 0);
    }
    EXPECT_FALSE(ok);
    ASSERT_FALSE(dialogs.Messages().empty());
    EXPECT_EQ(dialogs.Messages().back().substr(0, 15), "Unable to write");
    EXPECT_EQ(ReadBytes(ctx.files.index), indexBefore);
    EXPECT_EQ(ReadBytes(ctx.files.recipe).size(), recipeBefore.size());
    EXPECT_EQ(Titles(soups).size(), 5u);
    EXPECT_EQ(Titles(cakes), (std::vector<std::string>{"Sponge"}));
    db.BuildIndexFromRecipeFile();  // what the file says agrees
    EXPECT_EQ(Titles(soups).size(), 5u);
    EXPECT_EQ(Titles(cakes), (std::vector<std::string>{"Sponge"}));
  }
}

}  // namespace
}  // namespace pantrela::testing
