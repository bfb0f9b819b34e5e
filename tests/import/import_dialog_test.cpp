#include "import/import_dialog.h"

#include <deque>

#include "foundation/file.h"
#include "import/import_files.h"
#include "import_fixture.h"

namespace pantrela::testing {
namespace {

class ScriptedView : public ImportDialogView {
 public:
  std::deque<ImportDialogEvent> events;
  std::vector<std::string> shown;
  int left = 0;
  ImportDialogEvent Wait(const std::string& entry, bool sort) override {
    shown.push_back(entry + (sort ? " [x]" : " [ ]"));
    if (events.empty()) return ImportDialogEvent::kCancel;
    ImportDialogEvent e = events.front();
    events.pop_front();
    return e;
  }
  void Leave() override { ++left; }
};

class NoClipboard : public ImportClipboard {
 public:
  bool Open() override { return true; }
  bool FileDropList(std::vector<std::string>&) override { return false; }
  bool UnicodeText(std::string&) override { return false; }
};

const char* kRecipe = "      Title: Dialog\r\n Categories: Pies\r\n\r\n      1 c  Milk\r\n\r\n  Stir.\r\n-----\r\n";

TEST_F(ImportTest, DialogChoosesFormatChaptersAndFile) {
  CreateFolders(dir / "docs/");
  WriteBytes(dir / "docs/pie.mmf", kRecipe);
  ScriptedView view;
  NoClipboard clipboard;
  CollectionImportTarget target(*collection);
  view.events = {ImportDialogEvent::kFormatField, ImportDialogEvent::kToggleChapters, ImportDialogEvent::kFile};
  dialogs.choices = {16};  // the 17th entry: Meal Master
  dialogs.browse = {{dir / "docs/", "pie.mmf"}};
  int format = 0;
  EXPECT_EQ(ImportRecipesDialog(ctx, target, view, clipboard, format), 1);
  EXPECT_EQ(format, 19);
  EXPECT_EQ(view.shown, (std::vector<std::string>{"Detect format automatically [ ]", "Meal Master (MM, MMF, TXT) [ ]",
                                                  "Meal Master (MM, MMF, TXT) [x]"}));
  EXPECT_EQ(view.left, 1);
  EXPECT_EQ(ctx.settings.import_path, dir / "docs/");
  EXPECT_EQ(ctx.settings.import_chapter, 1);
  EXPECT_EQ(dialogs.shown[0].kind, "popuplist");
  EXPECT_EQ(dialogs.shown[0].items.size(), 20u);
  EXPECT_EQ(dialogs.shown[0].items[0], "Detect format automatically");
  EXPECT_EQ(dialogs.shown[1].kind, "browse");
  EXPECT_EQ(dialogs.shown[1].text, "Import Recipes");
  auto stored = Stored();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].chapter, "Pies");
  Settings saved;
  ReadSettings(saved, ctx.files.settings, ctx.workArea);
  EXPECT_EQ(saved.import_path, dir / "docs/");
  EXPECT_EQ(saved.import_chapter, 1);
}

TEST_F(ImportTest, DialogCancelAndEmptyChoices) {
  ScriptedView view;
  NoClipboard clipboard;
  CollectionImportTarget target(*collection);
  int format = 0;
  // Cancel; leaving the browser without a file; a chosen file that is not
  // there (reported as nothing to import); an empty clipboard.
  EXPECT_EQ(ImportRecipesDialog(ctx, target, view, clipboard, format), 0);
  view.events = {ImportDialogEvent::kFile};
  EXPECT_EQ(ImportRecipesDialog(ctx, target, view, clipboard, format), 0);
  view.events = {ImportDialogEvent::kFile};
  dialogs.browse = {{dir.path(), "gone.mmf"}};
  EXPECT_EQ(ImportRecipesDialog(ctx, target, view, clipboard, format), 0);
  view.events = {ImportDialogEvent::kClipboard};
  dialogs.buttons = {2};
  EXPECT_EQ(ImportRecipesDialog(ctx, target, view, clipboard, format), 0);
  auto messages = dialogs.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], "There are no files to import");
  EXPECT_EQ(messages[1].rfind("There is no text on the clipboard.", 0), 0u);
  EXPECT_EQ(view.left, 4);
  EXPECT_TRUE(Stored().empty());
  // Nothing happens while the program is closing.
  ctx.quit = 1;
  view.shown.clear();
  EXPECT_EQ(ImportRecipesDialog(ctx, target, view, clipboard, format), 0);
  EXPECT_TRUE(view.shown.empty());
}

}  // namespace
}  // namespace pantrela::testing
