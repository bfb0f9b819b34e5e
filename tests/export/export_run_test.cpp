// The export index, the writer loop and the file output.
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <dirent.h>
#include <unistd.h>

#include <algorithm>

#include "export/export_formats.h"
#include "export_fixture.h"
#include "foundation/file.h"

namespace pantrela::testing {
namespace {

TEST_F(ExportTest, ExportIndexIsChapterThenTitle) {
  Add({{"Desserts", "Pie"}, {"Baking", "bread"}, {"Desserts", "Apple Cake"}, {"Baking", "  Bagels"},
       {"Zucchini", "Zz"}, {"baking", "Brioche"}});
  Tick();
  ExportJob job = Job();
  ExportIndex index = CollectTickedRecipes(job, collection->recipeList().entries);
  SortExportIndex(*collection, index);
  std::vector<std::string> titles;
  for (uint32_t e : index) titles.emplace_back(collection->Entry(e).title());
  // "baking" finds the chapter "Baking"; keys fold case and ignore the
  // leading spaces of the whole key only.
  EXPECT_EQ(titles, (std::vector<std::string>{"  Bagels", "bread", "Brioche", "Apple Cake", "Pie", "Zz"}));
}

TEST_F(ExportTest, OnlyTickedRecipesAreExportedBreadFirst) {
  Add({{"Desserts", "Pie", "1 cup sugar"}, {"Baking", "Bread", "2 cups flour"}, {"Baking", "Rolls"}});
  Tick({"Pie", "Bread"});
  ExportJob job = Job();
  ASSERT_EQ(BuildExportIndex(job, dir.path(), "out.txt", kExportRecipeIndex).status, ExportStatus::kDone);
  EXPECT_EQ(ReadBytes(dir / "out.txt"), "Baking\r\n=======\r\n  Bread\r\n\r\n\r\nDesserts\r\n=========\r\n  Pie\r\n");
}

TEST_F(ExportTest, WriterLoopReportsProgressAndStopsOnAKey) {
  Add({{"A", "One"}, {"A", "Two"}, {"A", "Three"}, {"A", "Four"}});
  Tick();
  dialogs.stopAfterPolls = 2;
  ExportJob job = Job();
  ExportFileResult r = BuildExportIndex(job, dir.path(), "part.txt", kExportMealMaster);
  EXPECT_EQ(r.status, ExportStatus::kStopped);
  EXPECT_TRUE(r.created);
  const std::string text = ReadBytes(dir / "part.txt");
  // The third poll, after the third recipe, answers "stop".
  size_t count = 0;
  for (size_t at = text.find("MMMMM----- Meal-Master Recipe"); at != std::string::npos;
       at = text.find("MMMMM----- Meal-Master Recipe", at + 1))
    ++count;
  EXPECT_EQ(count, 3u);
  EXPECT_FALSE(dialogs.progressOpen);
  EXPECT_NE(std::find_if(dialogs.progressLines.begin(), dialogs.progressLines.end(),
                         [](const std::string& l) { return l.rfind("Exporting Recipes|", 0) == 0; }),
            dialogs.progressLines.end());
  EXPECT_NE(std::find_if(dialogs.progressLines.begin(), dialogs.progressLines.end(),
                         [](const std::string& l) { return l.rfind("Building Export Index|", 0) == 0; }),
            dialogs.progressLines.end());
}

TEST_F(ExportTest, StoppedRecipeMlIsStillAWholeDocument) {
  Add({{"A", "One"}, {"A", "Two"}});
  Tick();
  dialogs.stopAfterPolls = 1;
  ExportJob job = Job();
  ASSERT_EQ(BuildExportIndex(job, dir.path(), "r.xml", kExportRecipeMl).status, ExportStatus::kStopped);
  const std::string text = ReadBytes(dir / "r.xml");
  EXPECT_EQ(text.rfind("<?xml version=\"1.0\" ?><recipeml version=\"0.5\"><recipe>\r\n", 0), 0u);
  EXPECT_EQ(text.substr(text.size() - 24), "</recipe>\r\n</recipeml>\r\n");
}

TEST_F(ExportTest, TheCurrentRecordIsKeptAcrossAnExport) {
  Add({{"A", "One", "1 egg"}});
  Tick();
  collection->current().title = "being looked at";
  ExportJob job = Job();
  BuildExportIndex(job, dir.path(), "o.qx", kExportOwnText);
  EXPECT_EQ(collection->current().title, "being looked at");
}

TEST_F(ExportTest, FormatsWithoutAWriterWriteNothing) {
  Add({{"A", "One"}});
  Tick();
  ExportJob job = Job();
  for (int code : {8, -1}) {
    EXPECT_EQ(BuildExportIndex(job, dir.path(), "book", code).status, ExportStatus::kNoWriter);
    EXPECT_FALSE(Exists(dir / "book"));
  }
}

// ----- the file output -----

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(folder.c_str())) {
    while (dirent* e = ::readdir(d))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
    ::closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ExportFileOutput, RenamedOverTheTargetOnlyWhenComplete) {
  TempDir dir;
  WriteBytes(dir / "menu.txt", "old contents");
  {
    ExportFileOutput out(dir / "menu.txt");
    ASSERT_TRUE(out.Open());
    ASSERT_TRUE(out.Write("new "));
    // Until the commit the old file stands.
    EXPECT_EQ(ReadBytes(dir / "menu.txt"), "old contents");
    ASSERT_TRUE(out.Write("contents"));
    ASSERT_TRUE(out.Commit());
  }
  EXPECT_EQ(ReadBytes(dir / "menu.txt"), "new contents");
  EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"menu.txt"});
  {
    ExportFileOutput out(dir / "menu.txt");
    ASSERT_TRUE(out.Open());
    ASSERT_TRUE(out.Write("abandoned"));
  }
  EXPECT_EQ(ReadBytes(dir / "menu.txt"), "new contents");
  EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"menu.txt"});
}

TEST(ExportFileOutput, ALinkAtTheTargetIsReplacedNotFollowed) {
  TempDir dir;
  WriteBytes(dir / "elsewhere", "keep me");
  ASSERT_EQ(::symlink((dir / "elsewhere").c_str(), (dir / "out.txt").c_str()), 0);
  ExportFileOutput out(dir / "out.txt");
  ASSERT_TRUE(out.Open());
  ASSERT_TRUE(out.Write("exported"));
  ASSERT_TRUE(out.Commit());
  EXPECT_EQ(ReadBytes(dir / "elsewhere"), "keep me");
  EXPECT_EQ(ReadBytes(dir / "out.txt"), "exported");
}

TEST(ExportFileOutput, AFolderThatCannotTakeTheFileFailsToOpen) {
  TempDir dir;
  WriteBytes(dir / "plain", "a file, not a folder");
  CreateFolders(dir / "ro/");
  ::chmod((dir / "ro").c_str(), 0555);
  struct Case {
    std::string target;
    int error;
  };
  std::vector<Case> cases = {{dir / "missing/out.txt", ENOENT}, {dir / "plain/out.txt", ENOTDIR}};
  // Permissions do not stop the superuser.
  if (::geteuid() != 0) cases.push_back({dir / "ro/out.txt", EACCES});
  for (const Case& c : cases) {
    ExportFileOutput out(c.target);
    EXPECT_FALSE(out.Open()) << c.target;
    EXPECT_EQ(out.error(), c.error) << c.target;
    EXPECT_FALSE(out.Write("x"));
    EXPECT_FALSE(out.Commit());
  }
  ::chmod((dir / "ro").c_str(), 0755);
}

TEST_F(ExportTest, AFullDiskFailsAndLeavesTheOldFileAlone) {
  std::vector<RecipeData> many;
  for (int i = 0; i < 40; ++i) many.push_back({"Chapter", "Recipe " + std::to_string(i), "1 cup flour\r2 eggs", "Mix."});
  Add(many);
  Tick();
  WriteBytes(dir / "export.txt", "what was there");
  ExportJob job = Job();
  ExportFileResult r;
  {
    FullDisk full(1000);  // the disk is "full" after 1000 bytes
    r = BuildExportIndex(job, dir.path(), "export.txt", kExportMealMaster);
  }
  EXPECT_EQ(r.status, ExportStatus::kFailed);
  EXPECT_EQ(r.error, EFBIG);
  EXPECT_FALSE(r.created);
  EXPECT_EQ(ReadBytes(dir / "export.txt"), "what was there");
  for (const std::string& name : FolderNames(dir.path())) EXPECT_EQ(name.find(".part"), std::string::npos) << name;
}

}  // namespace
}  // namespace pantrela::testing
