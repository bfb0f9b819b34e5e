#include <gtest/gtest.h>

#include <set>

#include "db_fixture.h"

namespace pantrela::testing {
namespace {

using CleanupTest = DbTest;

// Walks a recipe file record by record: (kind, record ID, write stamp, title).
struct FileRecord {
  int kind;
  int64_t id;
  int64_t stamp;
  std::string title;
};
std::vector<FileRecord> Records(const std::string& bytes) {
  std::vector<FileRecord> out;
  size_t pos = 0;
  while (pos + 36 <= bytes.size()) {
    auto p = reinterpret_cast<const uint8_t*>(bytes.data() + pos);
    uint32_t len = GetLE32(p);
    EXPECT_EQ(std::string(bytes, pos + 4, 4), "QXRS");
    FileRecord r{p[32], int64_t(GetLE64(p + 16)), int64_t(GetLE64(p + 8)), ""};
    if (GetLE16(p + 36) == 1) r.title.assign(bytes, pos + 42, GetLE32(p + 38));
    out.push_back(r);
    if (len < 36) break;
    pos += len;
  }
  EXPECT_EQ(pos, bytes.size());
  return out;
}

TEST_F(CleanupTest, KeepsOnlyLiveRecordsOfUserChaptersInIndexOrder) {
  std::string bytes = RawChapter(500, "Mains") + RawRecipe(10, 500, "Stew") +
                      RawRecord(11, 500, 3, {{1, "Old version"}}) + RawRecipe(12, 2, "Filed in a view") +
                      RawRecipe(13, 500, "Apple") + "junk" + RawRecord(14, 500, 1, {{1, "Info"}, {3, "Text"}});
  WriteBytes(ctx.files.recipe, bytes);
  OpenCollection(db);
  dialogs.shown.clear();
  db.CleanUp();
  EXPECT_TRUE(dialogs.Messages().empty());
  EXPECT_FALSE(Exists(ctx.files.compaction));
  std::vector<FileRecord> recs = Records(ReadBytes(ctx.files.recipe));
  std::vector<std::string> titles;
  for (const auto& r : recs) {
    titles.push_back(r.title);
    EXPECT_NE(r.stamp, 7);  // a new write stamp
  }
  EXPECT_EQ(titles, (std::vector<std::string>{"Apple", "Info", "Mains", "Stew"}));
  // Every index offset points at the entry's record.
  int live = 0;
  for (uint32_t e : db.EntryOffsets()) {
    EntryView v = db.Entry(e);
    if (v.chapterKey() <= 100) continue;
    ++live;
    db.LoadCurrent(v.fileOffset());
    EXPECT_EQ(db.current().title, v.title());
    EXPECT_EQ(db.current().recordId(), v.recordId());
  }
  EXPECT_EQ(live, 4);
  Collection again(ctx);
  OpenCollection(again);
  EXPECT_TRUE(dialogs.Messages().empty());
  EXPECT_EQ(again.recipeList().count(), 3);
}

TEST_F(CleanupTest, EditedAndDeletedVersionsLeaveOneRecord) {
  OpenCollection(db);
  int64_t ch = db.CreateChapter("C");
  uint32_t first = Add("Cake", ch);
  int64_t id = db.Entry(first).recordId();
  db.LoadCurrent(db.Entry(first).fileOffset());
  db.current().title = "Better Cake";
  db.AppendCurrent();
  db.MarkDeleted(first);
  uint32_t gone = Add("Gone", ch);
  db.MarkDeleted(gone);
  db.SortAndSaveIndex();
  db.CleanUp();
  std::vector<FileRecord> recs = Records(ReadBytes(ctx.files.recipe));
  ASSERT_EQ(recs.size(), 2u);  // the recipe and its chapter
  EXPECT_EQ(recs[0].title, "Better Cake");
  EXPECT_EQ(recs[0].id, id);
}

TEST_F(CleanupTest, DuplicateRecordIdsAreRenumberedInFileOrder) {
  struct Case {
    int copies;
    int64_t id;
    int expectedCount;
  } cases[] = {{2, 77, 1}, {3, 77, 2}, {1, 0, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.copies);
    DeleteFile(ctx.files.index);
    ctx.log.Delete();
    std::string bytes = RawChapter(500, "C");
    for (int i = 0; i < c.copies; ++i) bytes += RawRecipe(c.id, 500, "R" + std::to_string(i));
    bytes += RawRecipe(99, 500, "Unique");
    WriteBytes(ctx.files.recipe, bytes);
    Collection fresh(ctx);
    OpenCollection(fresh);  // the missing index brings a clean-up
    EXPECT_TRUE(Logged("ERROR: " + std::to_string(c.expectedCount) + " Duplicate RID's")) << Log();
    std::set<int64_t> ids;
    int kept = 0;
    for (const auto& r : Records(ReadBytes(ctx.files.recipe)))
      if (r.kind == 0) {
        ids.insert(r.id);
        kept += r.id == c.id;
      }
    EXPECT_EQ(ids.size(), size_t(c.copies + 1));
    EXPECT_EQ(kept, c.id == 0 ? 0 : 1);
    // The index was built once more from the renumbered file.
    for (uint32_t e : fresh.EntryOffsets()) {
      EntryView v = fresh.Entry(e);
      if (v.kind() != kKindRecipe) continue;
      fresh.LoadCurrent(v.fileOffset());
      EXPECT_EQ(fresh.current().recordId(), v.recordId());
    }
  }
}

TEST_F(CleanupTest, RenumberingFollowsFileOrderAndShortLengthEndsTheWalk) {
  std::string a = RawRecipe(5, 500, "First"), b = RawRecipe(5, 500, "Second"), c = RawRecipe(5, 500, "Third");
  std::string bad = RawRecipe(5, 500, "After damage");
  bad.replace(0, 4, LE(10, 4));
  WriteBytes(ctx.files.recipe, a + b + c + bad);
  EXPECT_EQ(db.RepairDuplicateRecordIds(), 2);
  std::string bytes = ReadBytes(ctx.files.recipe);
  auto idAt = [&](size_t off) { return int64_t(GetLE64(reinterpret_cast<const uint8_t*>(bytes.data() + off + 16))); };
  EXPECT_NE(idAt(0), 5);
  EXPECT_NE(idAt(a.size()), 5);
  EXPECT_EQ(idAt(a.size() + b.size()), 5);
  EXPECT_EQ(idAt(a.size() + b.size() + c.size()), 5);  // never reached
  db.GiveRecordNewId(5);
  bytes = ReadBytes(ctx.files.recipe);
  EXPECT_NE(idAt(a.size() + b.size()), 5);
}

TEST_F(CleanupTest, MissingRecipeFileStopsAtOnce) {
  db.CleanUp();
  EXPECT_FALSE(Exists(ctx.files.recipe));
  EXPECT_FALSE(Exists(ctx.files.compaction));
  EXPECT_EQ(db.chapterList().count(), 4);
  EXPECT_FALSE(ctx.Busy());
}

// The window is closed while a long walk lets events through: the poll
// numbered `closeAt` sets the quit flag, as the close message would.
struct ClosingDialogs : ScriptedDialogs {
  explicit ClosingDialogs(AppContext& c) : ctx(c) {}
  bool ProgressStop() override {
    const bool stop = ScriptedDialogs::ProgressStop();
    if (polls == closeAt) ctx.quit = 1;
    return stop;
  }
  AppContext& ctx;
  int closeAt = -1;
};

std::string ManyRecipes(int n) {
  std::string bytes = RawChapter(500, "Mains");
  for (int i = 0; i < n; ++i) bytes += RawRecipe(1000 + i, 500, "Recipe " + std::to_string(i), "1 c flour");
  return bytes;
}

TEST_F(CleanupTest, RebuildLetsEventsThroughAndAClosedOneSavesNoIndex) {
  WriteBytes(ctx.files.recipe, ManyRecipes(40));
  ClosingDialogs closing(ctx);
  ctx.SetDialogs(&closing);
  // Events are let through between every two records.
  EXPECT_TRUE(db.BuildIndexFromRecipeFile());
  EXPECT_GE(closing.polls, 41);
  EXPECT_FALSE(ctx.Busy());

  // Closed half-way: no index is written, the old one is kept.
  DeleteFile(ctx.files.index);
  closing.polls = 0;
  closing.closeAt = 10;
  EXPECT_FALSE(db.BuildIndexFromRecipeFile());
  EXPECT_FALSE(Exists(ctx.files.index));
  EXPECT_FALSE(ctx.Busy());
  EXPECT_FALSE(closing.progressOpen);
}

// Every entry of an index as "kind:title@file offset", in index order.
std::vector<std::string> EntryLines(const Collection& c) {
  std::vector<std::string> out;
  for (uint32_t e : c.EntryOffsets()) {
    EntryView v = c.Entry(e);
    out.push_back(std::to_string(v.kind()) + ":" + std::string(v.title()) + "@" + std::to_string(v.fileOffset()));
  }
  return out;
}

TEST_F(CleanupTest, ClosedCleanUpLeavesTheCollectionAsItWas) {
  WriteBytes(ctx.files.recipe, ManyRecipes(40) + RawRecord(2000, 500, 3, {{1, "Deleted"}}));
  ClosingDialogs closing(ctx);
  ctx.SetDialogs(&closing);
  OpenCollection(db);
  // Left with a deleted record for the clean-up to drop.
  db.MarkDeleted(db.recipeList().entries[0]);
  ASSERT_TRUE(db.SaveIndex());
  const std::string recipes = ReadBytes(ctx.files.recipe);
  closing.polls = 0;
  ASSERT_TRUE(db.BuildIndexFromRecipeFile());
  const int rebuildPolls = closing.polls;
  const std::vector<std::string> entries = EntryLines(db);
  // Closed during the index rebuild, during the copy of the records, and
  // at the copy's last record.
  for (int closeAt : {5, rebuildPolls + 3, rebuildPolls + int(entries.size())}) {
    SCOPED_TRACE(closeAt);
    ctx.quit = 0;
    closing.polls = 0;
    closing.closeAt = closeAt;
    closing.shown.clear();
    EXPECT_FALSE(db.CleanUp());
    EXPECT_TRUE(ctx.Quitting());
    EXPECT_TRUE(ReadBytes(ctx.files.recipe) == recipes);
    EXPECT_EQ(EntryLines(db), entries);
    EXPECT_FALSE(Exists(ctx.files.compaction));
    EXPECT_FALSE(Exists(ctx.files.journal));
    EXPECT_TRUE(closing.Messages().empty());  // nothing failed: no write error is reported
    EXPECT_FALSE(closing.progressOpen);
    EXPECT_FALSE(ctx.Busy());
    ctx.quit = 0;
    Collection again(ctx);
    OpenCollection(again);
    EXPECT_TRUE(closing.Messages().empty());
    EXPECT_EQ(EntryLines(again), entries);
  }
}

}  // namespace
}  // namespace pantrela::testing
