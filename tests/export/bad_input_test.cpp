// Hostile recipes exported to every format: no crash, well-formed RecipeML,
// and what the format can carry comes back.
#include <sys/wait.h>

#include <cstdlib>

#include "export/export_formats.h"
#include "export_fixture.h"
#include "foundation/file.h"
#include "foundation/wrap_text.h"
#include "import/collection_target.h"
#include "import/import_files.h"
#include "import/import_formats.h"

namespace pantrela::testing {
namespace {

std::string AllBytes() {
  std::string s;
  for (int c = 0; c < 256; ++c) s += char(c);
  return s;
}

std::vector<RecipeData> Hostile() {
  const std::string bytes = AllBytes();
  std::string longList;
  while (longList.size() < 32000) longList += "2 cups flour, sifted twice over a bowl\r";
  return {
      {"Ch\x01\xff", bytes.substr(1, 60), bytes, bytes, 255, 0, std::string("\xff\xd8\x00\x01", 4)},
      {"Baking", "", longList, longList, 4, 0, ""},
      {"Baking", std::string(255, 'T'), "1 egg", "Beat.", 1, 0, ""},
      {"Notes", "Info\x7f\x80", "", bytes, 3, 1, ""},
      {"", std::string(40, ':'), std::string(300, ':') + "\r" + std::string(70, '-'), "<&>\"'", 0, 0, ""},
  };
}

bool XmlIsWellFormed(const std::string& path) {
  const std::string cmd = "xmllint --noout '" + path + "' 2>/dev/null";
  const int rc = std::system(cmd.c_str());
  return WIFEXITED(rc) && WEXITSTATUS(rc) == 0;
}

bool HaveXmllint() { return std::system("xmllint --version >/dev/null 2>&1") == 0; }

TEST_F(ExportTest, HostileRecipesExportToEveryFormat) {
  Add(Hostile());
  Tick();
  ExportJob job = Job();
  for (const ExportFormatInfo& f : kExportFormats) {
    if (!HasExportWriter(f.code)) continue;
    const std::string name = std::string("hostile.") + f.ext;
    const ExportFileResult r = BuildExportIndex(job, dir.path(), name, f.code);
    EXPECT_EQ(r.status, ExportStatus::kDone) << f.entry;
    EXPECT_GT(ReadBytes(dir / name).size(), 0u) << f.entry;
  }
  const std::string xml = ReadBytes(dir / "hostile.xml");
  for (unsigned char c : xml) ASSERT_LT(c, 128) << "RecipeML stays 7-bit";
  if (!HaveXmllint()) GTEST_SKIP() << "xmllint is not installed";
  EXPECT_TRUE(XmlIsWellFormed(dir / "hostile.xml"));
}

TEST_F(ExportTest, RealCollectionAsRecipeMlIsWellFormed) {
  const std::string base = SharedTestData();
  if (base.empty()) GTEST_SKIP() << "no shared test data";
  if (!HaveXmllint()) GTEST_SKIP() << "xmllint is not installed";
  CollectionImportTarget target(*collection);
  int format = kFormatMealMaster;
  ASSERT_GT(ImportFiles(ctx, target, format, {base + "mealmaster/tastemaker_1000.mmf"}), 900);
  collection->SelectChapterByKey(kChapterAll);
  collection->BuildRecipeList();
  Tick();
  ExportJob job = Job();
  ASSERT_EQ(BuildExportIndex(job, dir.path(), "all.xml", kExportRecipeMl).status, ExportStatus::kDone);
  EXPECT_TRUE(XmlIsWellFormed(dir / "all.xml"));
}

TEST_F(ExportTest, A32000ByteIngredientListComesBackThroughMealMaster) {
  std::string longList;
  for (int i = 0; longList.size() < 32000; ++i) longList += "2 cups flour number " + std::to_string(i) + "\r";
  Add({{"Baking", "Huge", longList, "Mix well."}});
  Tick();
  ExportJob job = Job();
  ASSERT_EQ(BuildExportIndex(job, dir.path(), "huge.mmf", kExportMealMaster).status, ExportStatus::kDone);

  TempDir other;
  AppContext ctx2;
  ScriptedDialogs dialogs2;
  ctx2.SetFolders(other.path(), other.path());
  ctx2.SetDialogs(&dialogs2);
  Collection back(ctx2);
  OpenCollection(back);
  CollectionImportTarget target(back);
  int format = kFormatMealMaster;
  ASSERT_EQ(ImportFiles(ctx2, target, format, {dir / "huge.mmf"}), 1);
  back.SelectChapterByKey(kChapterAll);
  back.BuildRecipeList();
  ASSERT_EQ(back.recipeList().count(), 1);
  back.LoadCurrent(uint64_t(back.Entry(back.recipeList().entries[0]).fileOffset()));
  EXPECT_EQ(back.current().title, "Huge");
  EXPECT_EQ(back.current().directions.rfind("Mix well.\r", 0), 0u);
  // Lines are written up to the line breaker's limit of 990 breaks.
  size_t end = 0;
  for (int n = 0; n < kWrapLineBreakLimit; ++n) end = longList.find('\r', end) + 1;
  EXPECT_EQ(back.current().ingredients, longList.substr(0, end));
}

}  // namespace
}  // namespace pantrela::testing
