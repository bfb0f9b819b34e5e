// The event file: the meal-time table, loading, the sorted save byte for
// byte, damaged files, failed writes and the upgrade of the old meal file.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "calendar_fixture.h"
#include "database/master_index.h"
#include "foundation/file.h"
#include "support/file_faults.h"

namespace pantrela::testing {
namespace {

TEST(MealTimes, NamesPositionsAndCodes) {
  const struct {
    int code;
    const char* name;
    int position;
  } cases[] = {{0, "Any Time", 0}, {18, "Dinner", 3}, {13, "1 pm", 36}, {25, "6 am", 29},
               {47, "Supper", 23}, {24, "12 am", 47}, {99, "", 0},     {48, "", 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(MealTimeName(c.code), c.name) << c.code;
    EXPECT_EQ(MealTimePosition(c.code), c.position) << c.code;
  }
  for (int p = 0; p < kMealTimeCount; ++p) EXPECT_EQ(MealTimePosition(MealTimeCode(p)), p);
  EXPECT_EQ(MealTimeCodeOfName("hors D'EUVRE"), 35);
  EXPECT_EQ(MealTimeCodeOfName("Teatime"), -1);
}

TEST_F(CalendarTest, SaveSortsByDateMealTimeAndTitleAndDropsIncompleteDates) {
  // Stored in this order on purpose: the save sorts them.
  const std::string file = Ev(1, 2026, 12, 9, 13, 1, 0, 501, "Apple Pie") +       // 1 pm
                           Ev(2, 2026, 12, 9, 18, 1, 1, 502, "Beef Stew") +       // Dinner, marked
                           Ev(3, 2026, 12, 9, 12, 0, 0, 0, "buy bread") +          // Lunch
                           Ev(4, 2026, 12, 9, 12, 0, 0, 0, "Ask Ann") +            // Lunch
                           Ev(5, 2026, 0, 9, 18, 0, 0, 0, "no month") +            // dropped at the save
                           Ev(6, 2026, 12, 8, 99, 0, 0, 0, "odd code") +           // position 0
                           Ev(7, 2026, 12, 9, 0, 3, 0, 0, "deleted");              // not loaded
  WriteBytes(ctx.files.meal, file);
  cal.LoadEvents();
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Apple Pie", "Beef Stew", "buy bread", "Ask Ann", "no month",
                                                "odd code"}));
  EXPECT_TRUE(cal.IsPlanned(501));
  EXPECT_FALSE(cal.IsPlanned(0));
  ASSERT_TRUE(cal.SortAndSaveEvents());
  EXPECT_EQ(ReadBytes(ctx.files.meal),
            Ev(6, 2026, 12, 8, 99, 0, 0, 0, "odd code") + Ev(4, 2026, 12, 9, 12, 0, 0, 0, "Ask Ann") +
                Ev(3, 2026, 12, 9, 12, 0, 0, 0, "buy bread") + Ev(2, 2026, 12, 9, 18, 1, 1, 502, "Beef Stew") +
                Ev(1, 2026, 12, 9, 13, 1, 0, 501, "Apple Pie"));
  EXPECT_EQ(cal.count(), 5u);
  for (const char* line : {"Load Events\r\n", "Build Event Sort Index:  6\r\n", "Sort Event Index\r\n",
                           "Save sorted events\r\n", "Free Event Sort Index\r\n"})
    EXPECT_NE(Log().find(line), std::string::npos) << line;

  // Deleting the marked event rewrites the rest.
  ASSERT_TRUE(cal.DeleteMarkedEvents());
  EXPECT_EQ(ReadBytes(ctx.files.meal).size(), 400u);
  EXPECT_FALSE(cal.IsPlanned(502));
}

TEST_F(CalendarTest, AMissingFileIsAnEmptyCalendarAndTheFirstSaveCreatesIt) {
  cal.LoadEvents();
  EXPECT_EQ(cal.count(), 0u);
  EXPECT_FALSE(Exists(ctx.files.meal));
  EventRecord e;
  e.id = 9;
  e.setDate({2026, 1, 2});
  e.mealTime = 6;
  e.kind = kEventMeal;
  e.recipeId = 77;
  e.title = std::string(80, 'x');  // cut to 75
  cal.Append(e);
  ASSERT_TRUE(cal.SortAndSaveEvents());
  EXPECT_EQ(ReadBytes(ctx.files.meal), Ev(9, 2026, 1, 2, 6, 1, 0, 77, std::string(75, 'x')));
}

TEST_F(CalendarTest, DamagedRecordsAreLeftOutAndNeverWrittenBack) {
  std::string noEnd = Ev(4, 2026, 3, 3, 0, 0, 0, 0, "");
  for (size_t i = 24; i < 100; ++i) noEnd[i] = 'T';  // a title without its zero
  const std::string file = Ev(1, 2026, 3, 1, 0, 0, 0, 0, "sound") + Ev(2, 2023, 2, 30, 0, 0, 0, 0, "Feb 30") +
                           Ev(3, 0, 3, 1, 0, 1, 0, 5, "year 0") + noEnd + Ev(5, 2026, 13, 1, 0, 0, 0, 0, "month 13") +
                           Ev(6, 2026, 3, 2, 0, 7, 0, 0, "kind 7") + Ev(7, 2026, 3, 4, 0, 0, 0, 0, "torn").substr(0, 40);
  WriteBytes(ctx.files.meal, file);
  cal.LoadEvents();
  EXPECT_EQ(Titles(), (std::vector<std::string>{"sound", "year 0", std::string(75, 'T')}));
  const std::string log = Log();
  EXPECT_NE(log.find("the last 40 bytes are not a whole record"), std::string::npos) << log;
  EXPECT_NE(log.find("record 2 is damaged"), std::string::npos);
  EXPECT_NE(log.find("record 5 is damaged"), std::string::npos);
  EXPECT_NE(log.find("record 6 is damaged"), std::string::npos);
  EXPECT_NE(log.find("record 4 has a title without its end"), std::string::npos);
  ASSERT_TRUE(cal.SortAndSaveEvents());
  std::string fixed = noEnd;
  fixed[99] = '\0';
  EXPECT_EQ(ReadBytes(ctx.files.meal), Ev(1, 2026, 3, 1, 0, 0, 0, 0, "sound") + fixed);
}

TEST_F(CalendarTest, AFailedSaveIsReportedAndLeavesTheFileAsItWas) {
  const std::string before = Ev(1, 2026, 5, 1, 18, 1, 0, 3, "Stew");
  const struct {
    FileFault::Call call;
    int error;
    const char* reason;
  } cases[] = {{FileFault::kOpen, ENOSPC, "No space left on device"},
               {FileFault::kWrite, ENOSPC, "No space left on device"},
               {FileFault::kSync, EIO, "Input/output error"},
               {FileFault::kRename, EIO, "Input/output error"}};
  for (const auto& c : cases) {
    WriteBytes(ctx.files.meal, before);
    cal.LoadEvents();
    EventRecord e = cal.Event(0);
    e.id = 2;
    e.title = "Soup";
    cal.Append(e);
    dialogs.shown.clear();
    {
      FileFault fault(c.call, 1, c.error, true, "Event860");
      EXPECT_FALSE(cal.SortAndSaveEvents());
      EXPECT_GE(fault.failures(), 1);
    }
    EXPECT_EQ(ReadBytes(ctx.files.meal), before) << c.reason;
    // The block shows what is stored.
    EXPECT_EQ(Titles(), std::vector<std::string>{"Stew"});
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0], std::string("Unable to write Event860.dat:|") + c.reason);
    // No temporary file stays behind.
    int files = 0;
    if (DIR* d = ::opendir(dir.path().c_str())) {
      while (const dirent* f = ::readdir(d)) files += std::string(f->d_name).rfind("Event860", 0) == 0 ? 1 : 0;
      ::closedir(d);
    }
    EXPECT_EQ(files, 1);
  }
}

TEST_F(CalendarTest, ALinkInTheDataFolderIsReplacedNotWrittenThrough) {
  TempDir outside;
  const std::string target = outside / "elsewhere.dat";
  WriteBytes(target, Ev(1, 2026, 5, 1, 18, 1, 0, 3, "Outside"));
  ASSERT_EQ(::symlink(target.c_str(), ctx.files.meal.c_str()), 0);
  cal.LoadEvents();
  ASSERT_EQ(cal.count(), 1u);
  cal.SetMarked(0, true);
  ASSERT_TRUE(cal.SortAndSaveEvents());
  EXPECT_EQ(ReadBytes(target), Ev(1, 2026, 5, 1, 18, 1, 0, 3, "Outside"));
  struct stat st;
  ASSERT_EQ(::lstat(ctx.files.meal.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(ReadBytes(ctx.files.meal), Ev(1, 2026, 5, 1, 18, 1, 1, 3, "Outside"));
}

// ----- the upgrade -----

class UpgradeTest : public CalendarTest {
 protected:
  // An index image with two recipes titled alike and an information text.
  ByteImage Index() {
    std::string image;
    AppendIndexEntry(image, 0, 2, 0, 1, 0, "All Recipes");
    AppendIndexEntry(image, 0, 0, 801, 1001, 36, "Beef Stew");
    AppendIndexEntry(image, 0, 0, 802, 1001, 99, "BEEF STEW");
    AppendIndexEntry(image, 0, 1, 803, 1001, 150, std::string(80, 'L'));
    return ByteImage(image);
  }
};

TEST_F(UpgradeTest, OldMealsBecomeEventsMatchedToRecipesByLowerCasedTitle) {
  WriteBytes(OldMealFilePath(ctx.files),
             OldEv(2019, 4, 5, 1, "beef stew", 18) + OldEv(2019, 4, 6, 0, "Shop early", 6) +
                 OldEv(2019, 4, 7, 9, "dropped kind", 0) + OldEv(2019, 4, 8, 0, std::string(80, 'l'), 12) +
                 std::string(30, '\x01'));
  ASSERT_TRUE(UpgradeMealFile(ctx, Index(), dialogs));
  const std::string out = ReadBytes(ctx.files.meal);
  ASSERT_EQ(out.size(), 300u);
  ByteImage b(out);
  // Fresh event ids; the matched recipe IDs of the first entry in index
  // order, an unmatched one a fresh ID of its own.
  const int64_t id0 = b.Get64(0), id1 = b.Get64(100), id2 = b.Get64(200), fresh = b.Get64(116);
  EXPECT_NE(id0, 0);
  EXPECT_NE(fresh, 0);
  EXPECT_TRUE(fresh != 801 && fresh != 802 && fresh != 803 && fresh != id0 && fresh != id1);
  EXPECT_EQ(out, Ev(id0, 2019, 4, 5, 18, 1, 0, 801, "beef stew") + Ev(id1, 2019, 4, 6, 6, 0, 0, fresh, "Shop early") +
                     Ev(id2, 2019, 4, 8, 12, 0, 0, 803, std::string(75, 'l')));
  EXPECT_FALSE(dialogs.progressLines.empty());
  EXPECT_EQ(dialogs.progressLines[0].rfind("Updating Meal Database|", 0), 0u);
  // The old file stays; a second run changes nothing.
  EXPECT_TRUE(Exists(OldMealFilePath(ctx.files)));
  WriteBytes(OldMealFilePath(ctx.files), OldEv(2020, 1, 1, 1, "other", 0));
  ASSERT_TRUE(UpgradeMealFile(ctx, Index(), dialogs));
  EXPECT_EQ(ReadBytes(ctx.files.meal), out);
}

TEST_F(UpgradeTest, AFullDiskLeavesNoNewFile) {
  WriteBytes(OldMealFilePath(ctx.files), OldEv(2019, 4, 5, 1, "Beef Stew", 18));
  {
    FileFault fault(FileFault::kWrite, 1, ENOSPC, true, "Event860");
    EXPECT_FALSE(UpgradeMealFile(ctx, Index(), dialogs));
  }
  EXPECT_FALSE(Exists(ctx.files.meal));
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0], "Unable to write Event860.dat:|No space left on device");
  // The next start tries again.
  ASSERT_TRUE(UpgradeMealFile(ctx, Index(), dialogs));
  EXPECT_EQ(ReadBytes(ctx.files.meal).size(), 100u);
}

TEST_F(UpgradeTest, TheStartUpStepUpgradesLoadsAndFeedsTheMealChapter) {
  const int64_t stew = AddRecipe("Beef Stew");
  AddRecipe("Apple Pie");
  ASSERT_TRUE(db.BuildIndexFromRecipeFile());
  WriteBytes(OldMealFilePath(ctx.files), OldEv(2019, 4, 5, 1, "BEEF stew", 18));
  db.BuildChapterList();
  db.ChooseChapter(kChapterMeals);
  OpenMealCalendar(cal, db);
  ASSERT_EQ(cal.count(), 1u);
  EXPECT_EQ(cal.Event(0).recipeId, stew);
  ASSERT_EQ(db.recipeList().count(), 1);
  EXPECT_EQ(db.Entry(db.recipeList().entries[0]).title(), "Beef Stew");
}

}  // namespace
}  // namespace pantrela::testing
