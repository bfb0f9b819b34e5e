#include "database/editing.h"

#include <signal.h>
#include <sys/resource.h>

#include <csignal>

#include "database/master_index.h"
#include "db_fixture.h"

namespace pantrela::testing {
namespace {

class Editing : public DbTest {
 protected:
  void SetUp() override {
    soups = db.CreateChapter("Soups");
    cakes = db.CreateChapter("Cakes");
    Add("Leek Soup", soups, "2 leeks", "Cook.");
    Add("Pea Soup", soups, "1 cup peas", "Boil.");
    Add("Sponge", cakes, "3 eggs", "Bake.");
    db.SortAndSaveIndex();
    db.LoadMasterIndex();
    db.ChooseChapter(soups);
    db.BuildRecipeList();
    dialogs.shown.clear();
  }
  // Loads the recipe at a list position as the editor does.
  uint32_t Load(int position) {
    db.recipeList().current = position;
    uint32_t e = db.recipeList().entries[size_t(position)];
    db.LoadCurrent(uint64_t(db.Entry(e).fileOffset()));
    return e;
  }
  int64_t soups = 0, cakes = 0;
};

TEST_F(Editing, AnEditIsANewVersionWithTheOldOneDeletedAndTheHitFlagKept) {
  const uint32_t old = Load(1);  // Pea Soup
  const int64_t id = db.current().recordId();
  const int64_t oldOffset = db.Entry(old).fileOffset();
  db.current().title = "Green Pea Soup";
  ASSERT_TRUE(SaveCurrentRecord(db, old, true));
  EXPECT_TRUE(dialogs.Messages().empty());  // the reloaded index matches the file

  EXPECT_EQ(RecipeTitles(), (std::vector<std::string>{"Green Pea Soup", "Leek Soup"}));
  const uint32_t now = db.recipeList().entries[size_t(db.recipeList().current)];
  EXPECT_EQ(db.Entry(now).title(), "Green Pea Soup");
  EXPECT_EQ(db.Entry(now).recordId(), id);
  EXPECT_TRUE(db.Entry(now).flags() & kFlagHit);
  // The old version is deleted in the file as well: a rebuilt index from
  // the recipe file has one Pea Soup only.
  std::string file = ReadBytes(ctx.files.recipe);
  EXPECT_EQ(uint8_t(file[size_t(oldOffset) + 32]), kKindDeleted);
  db.BuildIndexFromRecipeFile();
  db.ChooseChapter(soups);
  db.BuildRecipeList();
  EXPECT_EQ(RecipeTitles(), (std::vector<std::string>{"Green Pea Soup", "Leek Soup"}));
}

TEST_F(Editing, MovingARecipeToAnotherChapterShowsThatChapterWithTheRecipeCurrent) {
  const uint32_t old = Load(0);  // Leek Soup
  db.current().setChapterKey(cakes);
  ASSERT_TRUE(SaveCurrentRecord(db, old, false));
  EXPECT_EQ(db.CurrentChapterKey(), cakes);
  EXPECT_EQ(db.CheckedChapterKeys(), std::vector<int64_t>{cakes});
  EXPECT_EQ(RecipeTitles(), (std::vector<std::string>{"Leek Soup", "Sponge"}));
  EXPECT_EQ(db.recipeList().current, 0);
  EXPECT_FALSE(db.Entry(db.recipeList().entries[0]).flags() & kFlagHit);
}

TEST_F(Editing, ANewRecordGetsAFreshRecordIdAndBecomesCurrent) {
  std::set<int64_t> ids;
  for (uint32_t e : db.EntryOffsets()) ids.insert(db.Entry(e).recordId());
  db.ClearCurrent();
  db.current().setKind(kKindInfo);
  db.current().setChapterKey(db.CurrentChapterKey());
  db.current().title = "About Soups";
  db.current().directions = "Notes.";
  ASSERT_TRUE(SaveCurrentRecord(db, kNoEntry, false));
  EXPECT_EQ(RecipeTitles(), (std::vector<std::string>{"About Soups", "Leek Soup", "Pea Soup"}));
  const uint32_t e = db.recipeList().entries[size_t(db.recipeList().current)];
  EXPECT_EQ(db.Entry(e).title(), "About Soups");
  EXPECT_EQ(db.Entry(e).kind(), kKindInfo);
  EXPECT_NE(db.Entry(e).recordId(), 0);
  EXPECT_FALSE(ids.count(db.Entry(e).recordId()));
}

TEST_F(Editing, ASaveThatCannotBeWrittenKeepsTheOldVersionAndSaysSo) {
  const uint32_t old = Load(1);
  db.current().title = "Lost Edit";
  const std::string before = ReadBytes(ctx.files.recipe);
  {
    // A file-size limit at the file's present size stands in for a full disk.
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit l = saved;
    l.rlim_cur = before.size();
    ::setrlimit(RLIMIT_FSIZE, &l);
    EXPECT_FALSE(SaveCurrentRecord(db, old, false));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
  }
  EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{kSaveFailed});
  EXPECT_EQ(ReadBytes(ctx.files.recipe), before);
  EXPECT_EQ(db.Entry(old).kind(), kKindRecipe);
  db.LoadMasterIndex();
  db.ChooseChapter(soups);
  db.BuildRecipeList();
  EXPECT_EQ(RecipeTitles(), (std::vector<std::string>{"Leek Soup", "Pea Soup"}));
}

TEST_F(Editing, DeletingKeepsTheListPosition) {
  ASSERT_TRUE(DeleteRecipeAt(db, 0));
  EXPECT_EQ(RecipeTitles(), std::vector<std::string>{"Pea Soup"});
  EXPECT_EQ(db.recipeList().current, 0);
  ASSERT_TRUE(DeleteRecipeAt(db, 0));
  EXPECT_TRUE(RecipeTitles().empty());
  EXPECT_FALSE(DeleteRecipeAt(db, 0));
  db.ChooseChapter(cakes);
  db.BuildRecipeList();
  EXPECT_EQ(RecipeTitles(), std::vector<std::string>{"Sponge"});
}

}  // namespace
}  // namespace pantrela::testing
