// Changes of the collection are all or nothing: a change killed before its
// index was saved is taken back at the next start, a write that fails on a
// full disk is reported and leaves the collection as it was.
#include <sys/stat.h>
#include <unistd.h>

#include "database/journal.h"
#include "db_fixture.h"
#include "support/file_faults.h"

namespace pantrela::testing {
namespace {

class ChangesTest : public DbTest {
 protected:
  // Two recipes in one chapter, saved: the collection "before".
  void SetUp() override {
    chapter = db.CreateChapter("Soups");
    Add("Leek Soup", chapter, "2 leeks\r", "Simmer.\r");
    Add("Onion Soup", chapter, "3 onions\r", "Brown.\r");
    ASSERT_TRUE(db.SortAndSaveIndex());
    db.LoadMasterIndex();
    recipeBefore = ReadBytes(ctx.files.recipe);
    indexBefore = ReadBytes(ctx.files.index);
  }

  // What a fresh start lists, and what it lists after a clean-up.
  std::vector<std::string> TitlesAtNextStart(bool cleanUp) {
    Collection again(ctx);
    OpenCollection(again);
    if (cleanUp) {
      EXPECT_TRUE(again.CleanUp());
    }
    again.ChooseChapter(kChapterAll);
    again.BuildRecipeList();
    std::vector<std::string> out;
    for (uint32_t e : again.recipeList().entries) out.emplace_back(again.Entry(e).title());
    return out;
  }

  const std::vector<std::string> kBefore{"Leek Soup", "Onion Soup"};
  int64_t chapter = 0;
  std::string recipeBefore, indexBefore;
};

TEST_F(ChangesTest, AKilledImportIsTakenBackAtTheNextStart) {
  // A run that appends and is killed before its index is saved: the next
  // start is a new collection on the same folder.
  for (const char* t : {"Pea Soup", "Bean Soup", "Corn Soup"}) ASSERT_NE(Add(t, chapter), kNoEntry);
  EXPECT_EQ(Exists(ctx.files.journal), 1);
  EXPECT_GT(ReadBytes(ctx.files.recipe).size(), recipeBefore.size());

  EXPECT_EQ(TitlesAtNextStart(false), kBefore);
  EXPECT_EQ(ReadBytes(ctx.files.recipe), recipeBefore);
  EXPECT_EQ(Exists(ctx.files.journal), 0);
  EXPECT_NE(Log().find("Unfinished change of the recipe file taken back"), std::string::npos);
  // The clean-up finds nothing hidden.
  EXPECT_EQ(TitlesAtNextStart(true), kBefore);
}

TEST_F(ChangesTest, AChangeSavedJustBeforeTheKillStays) {
  ASSERT_NE(Add("Pea Soup", chapter), kNoEntry);
  ASSERT_TRUE(db.SortAndSaveIndex());
  // Killed after the index was saved, before the journal went.
  ASSERT_TRUE(StartJournal(ctx.files.journal, kJournalAppend, recipeBefore.size()));
  const std::vector<std::string> after{"Leek Soup", "Onion Soup", "Pea Soup"};
  EXPECT_EQ(TitlesAtNextStart(false), after);
  EXPECT_EQ(Exists(ctx.files.journal), 0);
  EXPECT_EQ(TitlesAtNextStart(true), after);
}

TEST_F(ChangesTest, KilledDeletionsAndEditsAreUndone) {
  db.ChooseChapter(kChapterAll);
  db.BuildRecipeList();
  ASSERT_EQ(db.recipeList().count(), 2);
  // An edit: the new version appended, the old one marked; then killed.
  const uint32_t old = db.recipeList().entries[0];
  ASSERT_TRUE(db.MarkDeleted(old));
  ASSERT_NE(Add("Leek Soup", chapter, "3 leeks\r"), kNoEntry);
  EXPECT_EQ(TitlesAtNextStart(false), kBefore);
  EXPECT_EQ(ReadBytes(ctx.files.recipe), recipeBefore);
  EXPECT_EQ(TitlesAtNextStart(true), kBefore);
}

TEST_F(ChangesTest, AKilledCleanUpIsIndexedAfresh) {
  // Killed after the compacted file was put in place, before its index was
  // saved: the old index points at the old offsets.
  Add("Bean Soup", chapter);
  ASSERT_TRUE(db.SortAndSaveIndex());
  const std::string oldIndex = ReadBytes(ctx.files.index);
  ASSERT_TRUE(db.CleanUp());
  WriteBytes(ctx.files.index, oldIndex);
  ASSERT_TRUE(StartJournal(ctx.files.journal, kJournalCleanUp, 0));
  dialogs.shown.clear();
  EXPECT_EQ(TitlesAtNextStart(false), (std::vector<std::string>{"Bean Soup", "Leek Soup", "Onion Soup"}));
  EXPECT_TRUE(dialogs.Messages().empty());
  EXPECT_EQ(Exists(ctx.files.journal), 0);
}

TEST_F(ChangesTest, ATornJournalMeansNothingWasChanged) {
  WriteBytes(ctx.files.journal, "QXJ");
  EXPECT_EQ(TitlesAtNextStart(false), kBefore);
  EXPECT_EQ(Exists(ctx.files.journal), 0);
  EXPECT_EQ(ReadBytes(ctx.files.recipe), recipeBefore);
}

// A full disk (or a broken medium) at each write of an append-and-save:
// the failure is reported, the file and the index are as before, and a
// later start and clean-up list exactly what was there.
TEST_F(ChangesTest, AFullDiskLeavesTheCollectionAsBefore) {
  struct Case {
    const char* name;
    FileFault::Call call;
    int nth;              // which call of the kind fails (and every later one)
    const char* message;  // what the save reports; appends leave that to their caller
  } cases[] = {
      {"journal", FileFault::kWrite, 1, nullptr},
      {"second record", FileFault::kWrite, 3, nullptr},
      {"recipe file sync", FileFault::kSync, 2, "Unable to write Recipe860.dat:|Input/output error"},
      {"index rename", FileFault::kRename, 2, "Unable to write Index860.dat:|Input/output error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dialogs.shown.clear();
    {
      FileFault fault(c.call, c.nth, c.call == FileFault::kWrite ? ENOSPC : EIO);
      const bool appended = Add("Pea Soup", chapter) != kNoEntry && Add("Bean Soup", chapter) != kNoEntry;
      EXPECT_EQ(appended, c.message != nullptr);
      if (appended) {
        EXPECT_FALSE(db.SortAndSaveIndex());
      } else {
        EXPECT_EQ(db.lastError(), ENOSPC);
        db.AbandonChanges();
      }
      EXPECT_GT(fault.failures(), 0);
    }
    if (c.message) {
      ASSERT_FALSE(dialogs.Messages().empty());
      EXPECT_EQ(dialogs.Messages().back(), c.message);
    }
    EXPECT_FALSE(db.changesOpen());
    EXPECT_EQ(ReadBytes(ctx.files.recipe), recipeBefore);
    EXPECT_EQ(ReadBytes(ctx.files.index), indexBefore);
    EXPECT_EQ(db.index().view(), std::string_view(indexBefore));
    EXPECT_EQ(TitlesAtNextStart(true), kBefore);
    indexBefore = ReadBytes(ctx.files.index);  // the clean-up wrote fresh files
    recipeBefore = ReadBytes(ctx.files.recipe);
    db.LoadMasterIndex();
  }
}

TEST_F(ChangesTest, AFailedSyncKeepsTheUnsyncedMark) {
  ASSERT_NE(Add("Pea Soup", chapter), kNoEntry);
  {
    FileFault fault(FileFault::kSync, 1, EIO);
    EXPECT_FALSE(db.SyncRecipeFile());
    EXPECT_EQ(db.lastError(), EIO);
  }
  FileFault counting(FileFault::kSync, 1000);
  EXPECT_TRUE(db.SyncRecipeFile());
  EXPECT_EQ(counting.calls(), 1);  // the file is synced again, not taken as done
  EXPECT_TRUE(db.SyncRecipeFile());
  EXPECT_EQ(counting.calls(), 1);
}

TEST_F(ChangesTest, AFullDiskDuringCleanUpKeepsEveryRecipe) {
  db.ChooseChapter(kChapterAll);
  db.BuildRecipeList();
  ASSERT_TRUE(db.MarkDeleted(db.recipeList().entries[1]));
  ASSERT_TRUE(db.SaveIndex());
  recipeBefore = ReadBytes(ctx.files.recipe);
  struct Case {
    const char* name;
    FileFault::Call call;
    const char* file;  // the one file whose calls fail
  } cases[] = {
      {"compaction file", FileFault::kWrite, "Recipe860.bak"},
      {"compaction sync", FileFault::kSync, "Recipe860.bak"},
      {"put in place", FileFault::kRename, "Recipe860.dat"},
      {"journal", FileFault::kWrite, "Recipe860.jnl"},
      {"index", FileFault::kWrite, "Index860.dat"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dialogs.shown.clear();
    {
      FileFault fault(c.call, 1, ENOSPC, true, c.file);
      EXPECT_FALSE(db.CleanUp());
      EXPECT_GT(fault.failures(), 0);
    }
    ASSERT_FALSE(dialogs.Messages().empty());
    EXPECT_EQ(dialogs.Messages().back(), std::string("Unable to write ") + c.file + ":|No space left on device");
    EXPECT_EQ(ReadBytes(ctx.files.recipe), recipeBefore);
    EXPECT_EQ(Exists(ctx.files.compaction), 0);
    EXPECT_EQ(Exists(ctx.files.journal), 0);
    EXPECT_EQ(TitlesAtNextStart(false), std::vector<std::string>{"Leek Soup"});
  }
  // With room again the clean-up drops the deleted record.
  EXPECT_TRUE(db.CleanUp());
  EXPECT_LT(ReadBytes(ctx.files.recipe).size(), recipeBefore.size());
  EXPECT_EQ(TitlesAtNextStart(false), std::vector<std::string>{"Leek Soup"});
}

TEST_F(ChangesTest, CleanUpReplacesALinkedCompactionFileAndLeavesItsTarget) {
  TempDir outside;
  WriteBytes(outside / "victim.dat", "victim");
  ASSERT_EQ(::symlink((outside / "victim.dat").c_str(), ctx.files.compaction.c_str()), 0);
  ASSERT_TRUE(db.CleanUp());
  EXPECT_EQ(ReadBytes(outside / "victim.dat"), "victim");
  struct stat st;
  ASSERT_EQ(::lstat(ctx.files.recipe.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(TitlesAtNextStart(false), kBefore);
}

}  // namespace
}  // namespace pantrela::testing
