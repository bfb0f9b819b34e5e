#include <gtest/gtest.h>

#include "db_fixture.h"
#include "database/master_index.h"

#include <algorithm>
#include <functional>

namespace pantrela::testing {
namespace {

using IndexTest = DbTest;

TEST_F(IndexTest, NewCollectionIsExactlyTheFourReservedChapters) {
  OpenCollection(db);
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_TRUE(Logged("Load Master Index: Index file is missing"));
  std::string file = ReadBytes(ctx.files.index);
  ASSERT_EQ(file.size(), db.index().size());
  const char* names[4] = {"All Recipes", "Search Results", "Recipes Selected For Meals", "Recipes With Photos"};
  size_t off = 0;
  for (int i = 0; i < 4; ++i) {
    std::string name = names[i];
    ASSERT_LE(off + 29 + name.size(), file.size());
    EXPECT_EQ(uint8_t(file[off]), 29 + name.size());
    EXPECT_EQ(file.substr(off + 1, 3), std::string("\x00\x02\x00", 3));
    EXPECT_NE(file.substr(off + 4, 8), std::string(8, '\0'));  // a fresh record ID
    EXPECT_EQ(file.substr(off + 12, 16), LE(uint64_t(i + 1), 8) + LE(0, 8));
    EXPECT_EQ(file.substr(off + 28, name.size() + 1), name + std::string(1, '\0'));
    off += 29 + name.size();
  }
  EXPECT_EQ(off, file.size());
  EXPECT_EQ(ChapterNames(), std::vector<std::string>(names, names + 4));
  EXPECT_TRUE(Logged("Build Chapter List:  4 chapters"));
}

TEST_F(IndexTest, MissingIndexIsRebuiltSilentlyInIndexOrder) {
  WriteBytes(ctx.files.recipe, RawChapter(500, "Soups") + RawRecipe(11, 500, "apple pie") +
                                   RawRecipe(12, 500, "Apple") + RawRecipe(13, 500, "banana") +
                                   RawRecipe(14, 500, "APPLE PIE 2") + RawRecipe(15, 500, "_under") +
                                   RawChapter(400, "Breads") + RawRecipe(16, 400, "zebra cake"));
  OpenCollection(db);
  EXPECT_TRUE(dialogs.Messages().empty());
  EXPECT_EQ(IndexTitles(), (std::vector<std::string>{
                               "2:All Recipes", "2:Search Results", "2:Recipes Selected For Meals",
                               "2:Recipes With Photos", "0:Apple", "0:apple pie", "0:APPLE PIE 2", "0:banana",
                               "2:Breads", "2:Soups", "0:zebra cake", "0:_under"}));
  EXPECT_EQ(ReadBytes(ctx.files.index), std::string(db.index().view()));
  // Every entry points at its record.
  for (uint32_t e : db.EntryOffsets()) {
    EntryView v = db.Entry(e);
    if (v.kind() != kKindRecipe) continue;
    db.LoadCurrent(v.fileOffset());
    EXPECT_EQ(db.current().recordId(), v.recordId());
    EXPECT_EQ(db.current().title, v.title());
  }
}

TEST(IndexOrder, FoldsAsciiLettersAndPutsShorterFirst) {
  struct Case {
    const char* a;
    const char* b;
    int sign;
  } cases[] = {
      {"apple", "APPLE", 0}, {"apple", "apples", -1}, {"Apple", "banana", -1}, {"zebra", "_x", -1},
      {"\xe9t\xe9", "\xc9T\xc9", 1},  // accented letters are not folded
      {"", "a", -1},
  };
  for (const auto& c : cases) {
    int r = CompareFolded(c.a, c.b);
    EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
  }
  // The chapter-key prefix puts the reserved chapters first, by key.
  std::string image;
  AppendIndexEntry(image, 0, 0, 1, 12345, 0, "Aaa");
  AppendIndexEntry(image, 0, 2, 1, 4, 0, "Zzz");
  AppendIndexEntry(image, 0, 2, 1, 1, 0, "Zzz");
  ByteImage img(image);
  std::vector<uint32_t> offs = IndexEntryOffsets(img);
  EXPECT_EQ(SortKeyOf({&img, offs[1]}), "00000004Zzz");
  EXPECT_EQ(SortKeyOf({&img, offs[0]}), "FFFFFFFFAaa");
  ByteImage sorted(SortedIndexImage(img));
  std::vector<int64_t> keys;
  for (uint32_t o : IndexEntryOffsets(sorted)) keys.push_back(EntryView{&sorted, o}.chapterKey());
  EXPECT_EQ(keys, (std::vector<int64_t>{1, 4, 12345}));
}

class IndexDamageTest : public DbTest {
 protected:
  // A saved collection of one chapter and nine recipes.
  void SetUp() override {
    OpenCollection(db);
    chapter = db.CreateChapter("Main");
    for (char c = 'A'; c <= 'I'; ++c) Add(std::string("Recipe ") + c, chapter);
    db.SortAndSaveIndex();
    good = ReadBytes(ctx.files.index);
    ctx.log.Delete();
    dialogs.shown.clear();
  }
  // Offset in the index file of the entry titled `title`.
  size_t EntryAt(const std::string& title) {
    size_t pos = good.find(title + std::string(1, '\0'));
    return pos - 28;
  }
  void Reopen(const std::string& indexBytes) {
    WriteBytes(ctx.files.index, indexBytes);
    Collection fresh(ctx);
    OpenCollection(fresh);
    titles.clear();
    for (uint32_t e : fresh.EntryOffsets()) titles.emplace_back(fresh.Entry(e).title());
  }
  int64_t chapter = 0;
  std::string good;
  std::vector<std::string> titles;
};

TEST_F(IndexDamageTest, GoodIndexVerifiesWithoutRebuild) {
  Reopen(good);
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(ReadBytes(ctx.files.index), good);
  size_t first = EntryAt("Recipe A"), mid = 0, last = EntryAt("Recipe I");
  for (char c = 'A'; c <= 'I' && !mid; ++c)
    if (EntryAt(std::string("Recipe ") + c) > good.size() / 2) mid = EntryAt(std::string("Recipe ") + c);
  EXPECT_TRUE(Logged("First Pointer:  " + std::to_string(first) + " - Mid Pointer:  " + std::to_string(mid) +
                     " - Last Pointer:  " + std::to_string(last)));
}

TEST_F(IndexDamageTest, DamagedIndexesAreRebuiltOnceWithTheMessage) {
  const std::string kMessage = "An error was detected in the recipe database.|It will now be rebuilt.";
  struct Case {
    const char* name;
    std::function<std::string(std::string)> damage;
    std::string logLine;
  } cases[] = {
      {"middle record ID differs",
       [&](std::string s) {
         size_t mid = 0;
         for (char c = 'A'; c <= 'I' && !mid; ++c)
           if (EntryAt(std::string("Recipe ") + c) > s.size() / 2) mid = EntryAt(std::string("Recipe ") + c);
         s[mid + 4] ^= 0x55;
         return s;
       },
       "Load Master Index: Middle record does not match"},
      {"last pointer past the end",
       [&](std::string s) {
         size_t at = EntryAt("Recipe I");
         s.replace(at + 20, 8, LE(1u << 30, 8));
         return s;
       },
       "Load Master Index: Last Pointer Past File End"},
      {"entry length below 29",
       [&](std::string s) {
         s[EntryAt("Recipe E")] = 5;
         return s;
       },
       "Load Master Index: Index entry is damaged"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    dialogs.shown.clear();
    ctx.log.Delete();
    Reopen(c.damage(good));
    EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{kMessage});
    EXPECT_TRUE(Logged(c.logLine)) << Log();
    EXPECT_EQ(std::count_if(titles.begin(), titles.end(), [](auto& t) { return t.rfind("Recipe ", 0) == 0; }), 9);
    // The rebuilt index verifies: opening again shows nothing.
    dialogs.shown.clear();
    Reopen(ReadBytes(ctx.files.index));
    EXPECT_TRUE(dialogs.shown.empty());
  }
}

TEST_F(IndexDamageTest, ThreeChapterIndexIsRebuilt) {
  // An index that lists only three chapters: the last two reserved ones and
  // the user chapter removed.
  std::string s;
  ByteImage img(good);
  for (uint32_t o : IndexEntryOffsets(img)) {
    EntryView e{&img, o};
    if (e.kind() == kKindChapter && (e.chapterKey() == 4 || e.chapterKey() > 100)) continue;
    s.append(good, o, e.length());
  }
  Reopen(s);
  EXPECT_TRUE(Logged("Load Master Index - Chapter Count:  3"));
  EXPECT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(titles.size(), 4u + 1 + 9);
}

TEST_F(IndexDamageTest, TooSmallOrOrphanIndexIsRebuiltSilently) {
  Reopen(good.substr(0, 100));
  EXPECT_TRUE(Logged("Load Master Index: Index file is too small"));
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(titles.size(), 14u);
  DeleteFile(ctx.files.recipe);
  Reopen(good);
  EXPECT_TRUE(Logged("Load Master Index: Recipe file does not exist"));
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(titles.size(), 4u);
}

TEST_F(DbTest, TinyRecipeFileKeepsTheIndexAsItIs) {
  OpenCollection(db);
  std::string idx = ReadBytes(ctx.files.index);
  WriteBytes(ctx.files.recipe, "short");
  Collection again(ctx);
  OpenCollection(again);
  EXPECT_TRUE(Logged("Load Master Index: Recipe file is smaller than a valid record"));
  EXPECT_EQ(ReadBytes(ctx.files.index), idx);
  EXPECT_EQ(again.chapterList().count(), 4);
}

TEST_F(DbTest, ScanResynchronisesAfterDamage) {
  std::string a = RawRecipe(1, 500, "Alpha"), b = RawRecipe(2, 500, "Beta"), c = RawRecipe(3, 500, "Gamma");
  std::string badLength = RawRecipe(4, 500, "Broken");
  badLength.replace(0, 4, LE(1u << 31, 4));  // runs past the end of the file
  std::string tooSmall = RawRecipe(5, 500, "Tiny");
  tooSmall.replace(0, 4, LE(20, 4));
  std::string torn = RawRecipe(6, 500, "Torn").substr(0, 40);
  WriteBytes(ctx.files.recipe, std::string("0123456789") + RawChapter(500, "Ch") + a + badLength + b + tooSmall + c +
                                   torn);
  OpenCollection(db);
  EXPECT_EQ(IndexTitles(), (std::vector<std::string>{"2:All Recipes", "2:Search Results",
                                                     "2:Recipes Selected For Meals", "2:Recipes With Photos",
                                                     "0:Alpha", "0:Beta", "2:Ch", "0:Gamma"}));
  EXPECT_TRUE(Logged("Load Record: Record Size Too Small ( 20)"));
  EXPECT_NE(Log().find("Load Record: End of File Before Finishing Record ("), std::string::npos);
  EXPECT_TRUE(Logged("Load Record: End of File Reached"));
}

TEST_F(DbTest, LoadRawRecordResultsAndLogLines) {
  std::string live = RawRecipe(1, 500, "Live");
  std::string dead = RawRecord(2, 500, 3, {{1, "Dead"}});
  std::string small = RawRecipe(3, 500, "S");
  small.replace(0, 4, LE(30, 4));
  std::string longer = RawRecipe(4, 500, "Long");
  longer.replace(0, 4, LE(5000, 4));
  std::string bytes = live + dead + small + "garbage-bytes-here-and-more-of-them!!" + longer;
  WriteBytes(ctx.files.recipe, bytes);
  File f = File::Open('i', ctx.files.recipe);
  std::string buf;
  const uint64_t size = f.Size();
  EXPECT_EQ(LoadRawRecord(f, size, 0, buf, ctx.log), kRawLoaded);
  EXPECT_EQ(buf, live);
  EXPECT_EQ(LoadRawRecord(f, size, live.size(), buf, ctx.log), kRawDeleted);
  EXPECT_EQ(LoadRawRecord(f, size, live.size() + dead.size(), buf, ctx.log), kRawNotRecord);
  EXPECT_EQ(LoadRawRecord(f, size, live.size() + dead.size() + 1, buf, ctx.log), kRawNotRecord);
  uint64_t at = bytes.size() - longer.size();
  EXPECT_EQ(LoadRawRecord(f, size, at, buf, ctx.log), kRawEndOfFile);
  EXPECT_EQ(LoadRawRecord(f, size, size - 10, buf, ctx.log), kRawEndOfFile);
  EXPECT_TRUE(Logged("Load Record: Record Size Too Small ( 30)"));
  EXPECT_TRUE(Logged("Load Record: End of File Before Finishing Record (" + std::to_string(at) + " - 5,000 - " +
                     std::to_string(size) + ")"));
  EXPECT_TRUE(Logged("Load Record: End of File Reached"));
}

TEST_F(DbTest, AppendsAreOnDiskBeforeTheIndexThatNamesThem) {
  OpenCollection(db);
  int64_t ch = db.FindOrCreateUserChapter("Imports");
  EXPECT_EQ(db.FindOrCreateUserChapter("  imports "), ch);
  for (int i = 0; i < 50; ++i) Add("Batch " + std::to_string(i), ch);
  db.SortAndSaveIndex();
  EXPECT_EQ(ReadBytes(ctx.files.index), std::string(db.index().view()));
  Collection again(ctx);
  OpenCollection(again);
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(again.recipeList().count(), 50);
  EXPECT_EQ(again.FindChapterByName(" IMPORTS"), ch);
  EXPECT_EQ(again.FindChapterByName("all recipes"), kChapterAll);
  EXPECT_EQ(again.FindChapterByName("nope"), 0);
}

}  // namespace
}  // namespace pantrela::testing
