#include "widgets/file_browser.h"

#include <unistd.h>

#include "foundation/file.h"
#include "platform/system.h"
#include "harness.h"

namespace pantrela::widgets::testing {
namespace {

using pantrela::testing::WriteBytes;

TEST(BrowserNames, AllCapitalNamesShowOnlyTheFirstLetterInCapitals) {
  const struct {
    const char* name;
    const char* shown;
  } cases[] = {
      {"README.TXT", "Readme.txt"}, {"Readme.TXT", "Readme.TXT"}, {"notes", "notes"},
      {"2024_01.DAT", "2024_01.dat"}, {"2024", "2024"}, {"A", "A"}, {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(BrowserShownName(c.name), c.shown) << c.name;
}

class BrowserList : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateFolders(dir / "home/work/alpha/");
    CreateFolders(dir / "media/stick/");
    WriteBytes(dir / "home/work/Zeta.txt", "z");
    WriteBytes(dir / "home/work/README.TXT", "r");
    WriteBytes(dir / "home/work/beta.TXT", "b");
    // A dangling link is not listed; a link to a folder lists as a folder.
    EXPECT_EQ(symlink((dir / "nowhere").c_str(), (dir / "home/work/broken").c_str()), 0);
    EXPECT_EQ(symlink((dir / "media").c_str(), (dir / "home/work/media link").c_str()), 0);
    drives = {{'C', "/", "(/)"}, {'D', dir / "home/", "(Home)"}, {'E', dir / "media/stick/", "(Removable Disk)"}};
  }
  std::vector<std::string> Rows(const std::string& folder) {
    std::vector<std::string> out;
    for (const auto& e : BuildBrowserList(drives, folder, "/desk/", "/docs/"))
      out.push_back(std::to_string(e.type) + " " + e.shown);
    return out;
  }
  pantrela::testing::TempDir dir;
  std::vector<BrowserDrive> drives;
};

TEST_F(BrowserList, SpecialFoldersThenDrivesWithTheFolderAfterItsDrive) {
  EXPECT_EQ(Rows(dir / "home/work/"),
            (std::vector<std::string>{"5 Desktop", "6 My Documents", "1 Drive C:    (/)", "1 Drive D:    (Home)",
                                      "2 ..", "3 alpha", "3 media link", "4 beta.TXT", "4 Readme.txt", "4 Zeta.txt",
                                      "1 Drive E:    (Removable Disk)"}));
  // Real names are kept for opening; the special folders carry their paths.
  auto list = BuildBrowserList(drives, dir / "home/work/", "/desk/", "/docs/");
  EXPECT_EQ(list[0].name, "/desk/");
  EXPECT_EQ(list[8].name, "README.TXT");
  EXPECT_EQ(list[8].drive, 'D');
}

TEST_F(BrowserList, DriveRootHasNoParentAndAnUnreadableFolderShowsNothing) {
  EXPECT_EQ(Rows(dir / "home/"), (std::vector<std::string>{"5 Desktop", "6 My Documents", "1 Drive C:    (/)",
                                                            "1 Drive D:    (Home)", "3 work",
                                                            "1 Drive E:    (Removable Disk)"}));
  EXPECT_EQ(Rows(dir / "home/missing/"),
            (std::vector<std::string>{"5 Desktop", "6 My Documents", "1 Drive C:    (/)", "1 Drive D:    (Home)",
                                      "2 ..", "1 Drive E:    (Removable Disk)"}));
}

TEST(BrowserLayout, RowsFollowTheClientHeight) {
  EXPECT_EQ(BrowserRows(700, 23), 18);
  EXPECT_EQ(BrowserRows(550, 23), (550 - 28 - 23 - 180) / 23);
  EXPECT_EQ(BrowserRows(100, 23), 1);
}

class Browser : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    folder = dir / "b/";
    CreateFolders(folder + "Sub/inner/");
    WriteBytes(folder + "Sub/inner/x.txt", "x");
    WriteBytes(folder + "pick.txt", std::string(1234, 'p'));
  }
  // Centre of the row showing `shown` in the current list (it must be visible).
  int RowY(const std::string& shown) {
    const std::string current = C(kIdBrowserDestination).caption;
    auto list = BuildBrowserList(BrowserDrives(), current, "", "");
    for (size_t i = 0; i < list.size(); ++i) {
      if (list[i].shown == shown) {
        EXPECT_LT(int(i), BrowserRows(gui.Height(), gui.fonts.fieldHeight)) << shown << " is not on screen";
        return C(kIdBrowserList).y1 + 1 + gui.fonts.fieldHeight * int(i) + gui.fonts.fieldHeight / 2;
      }
    }
    ADD_FAILURE() << "no row " << shown << " in " << current;
    return 0;
  }
  int RowX() { return C(kIdBrowserList).x1 + 60; }
  std::vector<std::string> Texts() {
    std::vector<std::string> out;
    for (const auto& c : gui.table) {
      if (c.id == kIdEnd) break;
      if (c.kind == kKindText) out.push_back(c.caption);
    }
    return out;
  }
  std::string folder;
};

TEST_F(Browser, EnteringAFolderGoingUpAndChoosingAFileWithTwoClicks) {
  std::string file = "old.txt";
  std::string seen, title;
  steps.push_back([&] {
    EXPECT_EQ(C(kIdBrowserDestination).caption, folder);
    EXPECT_EQ(C(kIdFieldBase).caption, "old.txt");
    EXPECT_EQ(C(kIdButtonBase).caption, "New Folder");
    EXPECT_EQ(C(kIdButtonBase + 1).caption, "OK");
    EXPECT_EQ(C(kIdButtonBase + 2).caption, "Cancel");
    EXPECT_EQ(C(kIdButtonBase).y2 - C(kIdButtonBase).y1, 28);
    title = Texts().at(0);
    int y = RowY("Sub");
    PushClick(RowX(), y);  // selects
    PushClick(RowX(), y);  // opens
  });
  steps.push_back([&] {
    seen = C(kIdBrowserDestination).caption;
    EXPECT_EQ(C(kIdFieldBase).caption, "");  // emptied on every change of folder
    PushClick(RowX(), RowY(".."));
    PushClick(RowX(), RowY(".."));
  });
  steps.push_back([&] { PushClick(RowX(), RowY("pick.txt")); });
  steps.push_back([&] {
    EXPECT_TRUE(ctx.popupUp);  // one click only selects
    PushClick(RowX(), RowY("pick.txt"));
  });
  std::string in = folder + "ignored.txt";
  EXPECT_TRUE(dialogs.BrowseFiles("Import Recipes", in, file));
  EXPECT_FALSE(ranOut);
  EXPECT_EQ(title, "Import Recipes");
  EXPECT_EQ(seen, folder + "Sub/");
  EXPECT_EQ(in, folder);
  EXPECT_EQ(file, "pick.txt");
  EXPECT_FALSE(ctx.popupUp);
}

TEST_F(Browser, CancelAfterNavigatingRestoresFolderAndName) {
  std::string in = folder, file = "keep.txt";
  steps.push_back([&] {
    PushClick(RowX(), RowY("Sub"));
    PushClick(RowX(), RowY("Sub"));
  });
  steps.push_back([&] {
    EXPECT_EQ(C(kIdBrowserDestination).caption, folder + "Sub/");
    PushClick(CX(kIdFieldBase), CY(kIdFieldBase));
    PushText("typed");
  });
  steps.push_back([&] {
    EXPECT_EQ(C(kIdFieldBase).caption, "typed");
    PushClick(CX(kIdButtonBase + 2), CY(kIdButtonBase + 2));
  });
  EXPECT_FALSE(dialogs.BrowseFiles("Open", in, file));
  EXPECT_FALSE(ranOut);
  EXPECT_EQ(in, folder);
  EXPECT_EQ(file, "keep.txt");
}

TEST_F(Browser, EnterAfterTypingAcceptsTheFieldAndOkTakesItToo) {
  std::string in = folder, file;
  steps.push_back([&] {
    PushClick(CX(kIdFieldBase), CY(kIdFieldBase));
    PushText("new.txt");
    PushKey(SDLK_RETURN);
  });
  EXPECT_TRUE(dialogs.BrowseFiles("Save", in, file));
  EXPECT_EQ(in, folder);
  EXPECT_EQ(file, "new.txt");

  // OK with an untouched field keeps the name given; the folder is cut back
  // to its last '/'.
  in = folder + "partial";
  file = "given.txt";
  steps.push_back([&] { PushClick(CX(kIdButtonBase + 1), CY(kIdButtonBase + 1)); });
  EXPECT_TRUE(dialogs.BrowseFiles("Save", in, file));
  EXPECT_EQ(in, folder);
  EXPECT_EQ(file, "given.txt");
  EXPECT_FALSE(ranOut);
}

TEST_F(Browser, EmptyFolderStartsAtTheFirstReadyDrive) {
  std::string in, file;
  std::string start;
  steps.push_back([&] {
    start = C(kIdBrowserDestination).caption;
    PushKey(SDLK_ESCAPE);
  });
  EXPECT_FALSE(dialogs.BrowseFiles("Open", in, file));
  EXPECT_EQ(start, "/");
  EXPECT_EQ(in, "");
}

TEST_F(Browser, NewFolderCreatesTheTrimmedName) {
  std::string in = folder, file;
  std::vector<std::string> form;
  steps.push_back([&] { PushClick(CX(kIdButtonBase), CY(kIdButtonBase)); });
  steps.push_back([&] {
    form = Texts();
    EXPECT_EQ(C(kIdFieldBase).maxLength, 60);
    PushText("  Fresh  ");
    PushKey(SDLK_RETURN);
  });
  steps.push_back([&] {
    EXPECT_EQ(C(kIdBrowserDestination).caption, folder);
    RowY("Fresh");  // listed
    PushKey(SDLK_ESCAPE);
  });
  dialogs.BrowseFiles("Open", in, file);
  EXPECT_FALSE(ranOut);
  ASSERT_GE(form.size(), 2u);
  EXPECT_EQ(form[0], "Add New Folder To");
  EXPECT_EQ(form[1], folder);
  EXPECT_TRUE(IsDirectory(folder + "Fresh"));
}

TEST_F(Browser, RightClickAsksBeforeDeletingAFileOrAFolder) {
  std::string in = folder, file;
  std::vector<std::string> fileQuestion, folderQuestion;
  bool stillThere = false;
  steps.push_back([&] { PushClick(RowX(), RowY("pick.txt"), SDL_BUTTON_RIGHT); });
  steps.push_back([&] {
    fileQuestion = Texts();
    EXPECT_EQ(C(kIdButtonBase).caption, "Delete");
    PushKey(SDLK_RETURN);  // the default is Cancel
  });
  steps.push_back([&] {
    stillThere = Exists(folder + "pick.txt") != 0;
    PushClick(RowX(), RowY("pick.txt"), SDL_BUTTON_RIGHT);
  });
  steps.push_back([&] { PushClick(CX(kIdButtonBase), CY(kIdButtonBase)); });
  steps.push_back([&] { PushClick(RowX(), RowY("Sub"), SDL_BUTTON_RIGHT); });
  steps.push_back([&] {
    folderQuestion = Texts();
    PushClick(CX(kIdButtonBase), CY(kIdButtonBase));
  });
  steps.push_back([&] { PushKey(SDLK_ESCAPE); });
  EXPECT_FALSE(dialogs.BrowseFiles("Open", in, file));
  EXPECT_FALSE(ranOut);
  EXPECT_EQ(fileQuestion, (std::vector<std::string>{"(File)", "pick.txt", "1,234 Bytes"}));
  EXPECT_EQ(folderQuestion, (std::vector<std::string>{"(Folder)", "Sub"}));
  EXPECT_TRUE(stillThere);
  EXPECT_FALSE(Exists(folder + "pick.txt"));
  EXPECT_FALSE(IsDirectory(folder + "Sub"));
}

TEST_F(Browser, KeysMoveTheSelectionAndEnterOpensIt) {
  std::string in = folder, file;
  steps.push_back([&] {
    // Desktop, My Documents, then at least the root drive: End goes to the
    // last row, Home back to the first; Down twice reaches the root drive.
    PushKey(SDLK_END);
    PushKey(SDLK_HOME);
    PushKey(SDLK_DOWN);
    PushKey(SDLK_DOWN);
    PushKey(SDLK_RETURN);
  });
  std::string reached;
  steps.push_back([&] {
    reached = C(kIdBrowserDestination).caption;
    PushKey(SDLK_ESCAPE);
  });
  EXPECT_FALSE(dialogs.BrowseFiles("Open", in, file));
  EXPECT_EQ(reached, "/");
  EXPECT_FALSE(ranOut);
}

TEST_F(Browser, TheDownArrowScrollsOneRow) {
  for (int i = 0; i < 30; ++i) WriteBytes(folder + "file" + std::to_string(100 + i) + ".txt", "f");
  // A home of our own with both special folders, so that the two rows lead
  // to different places.
  const char* oldHome = getenv("HOME");
  const std::string keepHome = oldHome ? oldHome : "";
  setenv("HOME", (dir / "home").c_str(), 1);
  CreateFolders(dir / "home/Desktop/");
  CreateFolders(dir / "home/Documents/");
  const std::string docs = platform::SpecialFolderPath(platform::SpecialFolder::Documents);
  const std::string desk = platform::SpecialFolderPath(platform::SpecialFolder::Desktop);
  std::string in = folder, file, reached;
  steps.push_back([&] { PushClick(CX(kIdBrowserDown), CY(kIdBrowserDown)); });
  steps.push_back([&] {
    SettleRelease();
    // The top row is now the second entry, "My Documents".
    PushClick(RowX(), C(kIdBrowserList).y1 + 1 + gui.fonts.fieldHeight / 2);
    PushClick(RowX(), C(kIdBrowserList).y1 + 1 + gui.fonts.fieldHeight / 2);
  });
  steps.push_back([&] {
    reached = C(kIdBrowserDestination).caption;
    PushKey(SDLK_ESCAPE);
  });
  dialogs.BrowseFiles("Open", in, file);
  if (oldHome) setenv("HOME", keepHome.c_str(), 1);
  EXPECT_FALSE(ranOut);
  ASSERT_NE(docs, desk);
  EXPECT_EQ(reached, docs);
}

TEST_F(Browser, DeletingALinkedFolderRemovesOnlyTheLink) {
  CreateFolders(dir / "kept/");
  WriteBytes(dir / "kept/precious.mmf", "recipes");
  ASSERT_EQ(symlink((dir / "kept").c_str(), (folder + "Linked").c_str()), 0);
  std::string in = folder, file;
  steps.push_back([&] { PushClick(RowX(), RowY("Linked"), SDL_BUTTON_RIGHT); });
  steps.push_back([&] { PushClick(CX(kIdButtonBase), CY(kIdButtonBase)); });
  steps.push_back([&] { PushKey(SDLK_ESCAPE); });
  dialogs.BrowseFiles("Open", in, file);
  EXPECT_FALSE(ranOut);
  EXPECT_FALSE(Exists(folder + "Linked"));
  EXPECT_EQ(pantrela::testing::ReadBytes(dir / "kept/precious.mmf"), "recipes");
}

}  // namespace
}  // namespace pantrela::widgets::testing
