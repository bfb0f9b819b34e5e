#include "foundation/file.h"
#include "ui_harness.h"
#include "widgets/window_dialogs.h"
#include "widgets/file_browser.h"

namespace pantrela::ui::testing {
namespace {

// Import -> File opens the browser on the last import folder; choosing a
// Meal-Master file there with two clicks imports its recipes.
TEST_F(UiTest, ImportFileGoesThroughTheBrowser) {
  WriteSmallCollection();
  const std::string folder = dir / "downloads/";
  CreateFolders(folder);
  WriteBytes(folder + "SOUPS.MMF",
             "MMMMM----- Recipe via Meal-Master (tm) v8.05\r\n\r\n      Title: Browsed Borscht\r\n"
             " Categories: Soups\r\n      Yield: 4 servings\r\n\r\n      2    Beets\r\n\r\n  Boil the beets.\r\n\r\n"
             "MMMMM\r\n\r\nMMMMM----- Recipe via Meal-Master (tm) v8.05\r\n\r\n      Title: Browsed Broth\r\n"
             " Categories: Soups\r\n      Yield: 2 servings\r\n\r\n      1 c  Water\r\n\r\n  Simmer.\r\n\r\nMMMMM\r\n");
  WriteBytes(folder + "notes.txt", "not a recipe");
  ctx.settings.import_path = folder;
  Open();
  std::string title, destination;
  auto rowY = [&](const std::string& shown) {
    auto list = widgets::BuildBrowserList(widgets::BrowserDrives(), folder, "", "");
    for (size_t i = 0; i < list.size(); ++i)
      if (list[i].shown == shown)
        return Gui().ById(widgets::kIdBrowserList)->y1 + 1 + Gui().fonts.fieldHeight * int(i) +
               Gui().fonts.fieldHeight / 2;
    ADD_FAILURE() << "no row " << shown;
    return 0;
  };
  steps.push_back([&] { PushClick(CX(kIdImport), CY(kIdImport)); });
  steps.push_back([&] { PushClick(CX(widgets::kIdButtonBase), CY(widgets::kIdButtonBase)); });  // File
  steps.push_back([&] {
    ASSERT_NE(Gui().ById(widgets::kIdBrowserList), nullptr);
    title = Shows("Import Recipes") ? "Import Recipes" : "";
    destination = Gui().ById(widgets::kIdBrowserDestination)->caption;
    const int x = CX(widgets::kIdBrowserList), y = rowY("Soups.mmf");
    PushClick(x, y);
    PushClick(x, y);
  });
  Run();
  EXPECT_EQ(title, "Import Recipes");
  EXPECT_EQ(destination, folder);
  std::vector<std::string> imported;
  for (uint32_t e : Db().EntryOffsets()) {
    std::string t(Db().Entry(e).title());
    if (t.rfind("Browsed", 0) == 0) imported.push_back(t);
  }
  std::sort(imported.begin(), imported.end());
  EXPECT_EQ(imported, (std::vector<std::string>{"Browsed Borscht", "Browsed Broth"}));
  EXPECT_EQ(ctx.settings.import_path, folder);
}

}  // namespace
}  // namespace pantrela::ui::testing
