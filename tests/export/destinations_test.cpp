// The export command and its destinations, driven through scripted dialogs
// and stand-in services.
#include <sys/stat.h>

#include <cstdlib>

#include "export/destinations.h"
#include "export/export_formats.h"
#include "export_fixture.h"
#include "foundation/file.h"
#include "foundation/settings.h"

namespace pantrela::testing {
namespace {

class FakeServices : public ExportServices {
 public:
  bool PutClipboardText(const std::string& text) override {
    clipboard = text;
    return true;
  }
  int SendMailWithAttachment(const std::string& recipient, const std::string& subject, const std::string& body,
                             const std::string& attachment) override {
    mail = {recipient, subject, body, attachment};
    attachmentBytes = ReadBytes(attachment);
    return mailResult;
  }
  FtpResult Upload(AppContext&, Dialogs&, const std::string& settings, const std::string& path) override {
    uploads.push_back({settings, ReadBytes(path)});
    return {1, "File Uploaded Successfuly"};
  }
  void OpenWebAddress(AppContext&, const std::string& address) override { opened.push_back(address); }

  std::string clipboard;
  std::vector<std::string> mail;
  std::string attachmentBytes;
  int mailResult = 0;
  std::vector<std::pair<std::string, std::string>> uploads;
  std::vector<std::string> opened;
};

class DestinationTest : public ExportTest {
 protected:
  void SetUp() override {
    ExportTest::SetUp();
    Add({{"Desserts", "Pie", "1 cup sugar", "Bake."}, {"Baking", "Bread", "2 cups flour", "Knead."}});
    Tick();
  }
  ExportSession Session() { return ExportSession{ctx, *collection, dialogs, services}; }
  Settings SavedSettings() {
    Settings s;
    ReadSettings(s, ctx.files.settings, ctx.workArea);
    return s;
  }
  FakeServices services;
};

TEST_F(DestinationTest, NothingTickedShowsTheMessageAndNoMenu) {
  Tick({"no such title"});
  ExportSession s = Session();
  ExportCommand(s, 10, 20);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].kind, "message");
  EXPECT_EQ(dialogs.shown[0].text,
            "You have not selected any recipes!||Check the box next to the recipes you want to export.|"
            "Then click the export button.");
}

TEST_F(DestinationTest, TheMenuOffersTheFourDestinations) {
  ExportSession s = Session();
  ExportCommand(s, 10, 20);  // dismissed
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].kind, "popuplist");
  EXPECT_EQ(dialogs.shown[0].items, (std::vector<std::string>{"Export to a File", "Export to the Clipboard",
                                                              "Export to Email", "Export to your Tablet"}));
}

TEST_F(DestinationTest, FileNamesGetTheFormatsExtension) {
  struct Case {
    std::string entered;
    int position;  // in the file list
    std::string file;
  };
  const std::vector<Case> cases = {{"soup", 1, "soup.txt"},     {"soup.old", 1, "soup.txt"}, {"a.b.c", 1, "a.b.txt"},
                                   {"", 1, "recipes.txt"},       {"  menu  ", 0, "menu.qx"},  {"menu", 3, "menu.xml"},
                                   {"x.", 6, "x.txt"}};
  for (const Case& c : cases) {
    dialogs.choices = {c.position};
    dialogs.browse = {{dir.path(), c.entered}};
    ExportSession s = Session();
    ExportToFile(s);
    EXPECT_TRUE(Exists(dir / c.file)) << c.entered;
    EXPECT_EQ(SavedSettings().export_file, FormatCodeOfEntry(SplitBarList(kFileFormatList)[size_t(c.position)]));
    EXPECT_EQ(SavedSettings().export_path, dir.path());
    DeleteFile(dir / c.file);
  }
  EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{});
}

TEST_F(DestinationTest, ExistingFileIsOverwrittenOnlyWhenConfirmed) {
  WriteBytes(dir / "soup.txt", "keep");
  dialogs.choices = {1};
  dialogs.browse = {{dir.path(), "soup"}};
  dialogs.buttons = {1, 2};  // OK in the list, Cancel at the question
  ExportSession s = Session();
  ExportToFile(s);
  EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{"soup.txt|Already Exists!|Do you want to overwrite it?"});
  EXPECT_EQ(ReadBytes(dir / "soup.txt"), "keep");

  dialogs.choices = {1};
  dialogs.browse = {{dir.path(), "soup"}};
  dialogs.buttons = {1, 1};
  ExportToFile(s);
  EXPECT_EQ(ReadBytes(dir / "soup.txt").rfind("MMMMM----- Meal-Master Recipe", 0), 0u);
}

// A name from the file system (UTF-8) is shown in Windows-1252 messages as
// it reads.
TEST_F(DestinationTest, AccentedFileNamesShowAsTheyRead) {
  WriteBytes(dir / "Cr\xC3\xA8me.txt", "keep");
  dialogs.choices = {1};
  dialogs.browse = {{dir.path(), "Cr\xC3\xA8me"}};
  dialogs.buttons = {1, 2};
  ExportSession s = Session();
  ExportToFile(s);
  EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{"Cr\xE8me.txt|Already Exists!|Do you want to overwrite it?"});
  EXPECT_EQ(ReadBytes(dir / "Cr\xC3\xA8me.txt"), "keep");
}

TEST_F(DestinationTest, AFolderThatCannotTakeTheFileSaysSo) {
  dialogs.choices = {1};
  dialogs.browse = {{dir / "missing/", "soup"}};
  ExportSession s = Session();
  ExportToFile(s);
  EXPECT_EQ(dialogs.Messages(),
            std::vector<std::string>{"soup.txt cannot be created.|Another program is currently using the file."});
  EXPECT_FALSE(Exists(dir / "missing"));
}

TEST_F(DestinationTest, AFullDiskSaysSoAndLeavesTheOldFile) {
  WriteBytes(dir / "soup.txt", "keep");
  dialogs.choices = {1};
  dialogs.browse = {{dir.path(), "soup"}};
  dialogs.buttons = {1, 1};
  ExportSession s = Session();
  {
    FullDisk full(200);
    ExportToFile(s);
  }
  EXPECT_EQ(dialogs.Messages(), (std::vector<std::string>{"soup.txt|Already Exists!|Do you want to overwrite it?",
                                                          "soup.txt could not be written.||File too large|"
                                                          "Nothing was saved under this name."}));
  EXPECT_EQ(ReadBytes(dir / "soup.txt"), "keep");
}

TEST_F(DestinationTest, RememberedCodesPreselectTheirEntries) {
  struct Case {
    int remembered;
    std::string list;  // which destination
    int stored;        // the code stored after OK on the preselected entry
  };
  // RecipeML (3) is not in the clipboard list: its first entry opens.
  const std::vector<Case> cases = {
      {3, "clipboard", 0}, {6, "clipboard", 6}, {5, "clipboard", 5}, {2, "email", 2}, {7, "email", 7}};
  for (const Case& c : cases) {
    ExportSession s = Session();
    if (c.list == "clipboard") {
      ctx.settings.export_clipboard = c.remembered;
      ExportToClipboard(s);
      EXPECT_EQ(SavedSettings().export_clipboard, c.stored) << c.remembered;
    } else {
      ctx.settings.export_email = c.remembered;
      ExportToEmail(s);
      EXPECT_EQ(SavedSettings().export_email, c.stored) << c.remembered;
    }
  }
}

TEST_F(DestinationTest, ClipboardTakesTheWholeExportAndLeavesNoFile) {
  dialogs.choices = {0};  // the own format, still written as "recipes.txt"
  ExportSession s = Session();
  ExportToClipboard(s);
  EXPECT_EQ(services.clipboard.rfind("Pantrela Chapter: Baking\r\n\r\nBread\r\n=====\r\n", 0), 0u)
      << services.clipboard;
  EXPECT_NE(services.clipboard.find("Pantrela Chapter: Desserts"), std::string::npos);
  EXPECT_FALSE(Exists(ExportScratchFolder(ctx.files) + "*/recipes.txt"));
}

TEST_F(DestinationTest, EmailKeepsTheAttachmentUntilTheScratchFolderIsEmptied) {
  dialogs.choices = {3};
  ExportSession s = Session();
  ExportToEmail(s);
  ASSERT_EQ(services.mail.size(), 4u);
  EXPECT_EQ(services.mail[0], "");
  EXPECT_EQ(services.mail[1], "A recipe for you");
  EXPECT_EQ(services.mail[2], "Recipe is attached to this message.");
  EXPECT_EQ(services.mail[3].substr(services.mail[3].size() - 12), "/recipes.xml");
  EXPECT_EQ(services.attachmentBytes.rfind("<?xml version=\"1.0\" ?><recipeml", 0), 0u);
  EXPECT_TRUE(Exists(services.mail[3]));
  EmptyExportScratch(ctx.files);
  EXPECT_FALSE(Exists(services.mail[3]));
}

TEST_F(DestinationTest, EmailWithoutAMailProgramSaysSoAndRemovesTheFile) {
  services.mailResult = 1;
  dialogs.choices = {1};
  ExportSession s = Session();
  ExportToEmail(s);
  EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{
                                    "Pantrela was unable to open your email program.||Please export to the Clipboard "
                                    "instead.|Then start a new email in your email program,|and paste the recipe "
                                    "into your message."});
  EXPECT_FALSE(Exists(services.mail[3]));
}

TEST_F(DestinationTest, TheCookbookGoesToAFileAndATablet) {
  dialogs.choices = {7};
  dialogs.browse = {{dir.path(), "cookbook"}};
  dialogs.formAnswers = {{"Our Book", "", "Us"}};
  ExportSession s = Session();
  ExportToFile(s);
  EXPECT_EQ(ReadBytes(dir / "cookbook.pdf").rfind("%PDF-", 0), 0u);

  dialogs.choices = {1};
  dialogs.formAnswers = {{"Tablet Book", "", ""}, {"127.0.0.1", "2121", "Local", "u", "pw", "recipes.pdf"}};
  ExportToTablet(s);
  ASSERT_EQ(services.uploads.size(), 1u);
  EXPECT_EQ(services.uploads[0].second.rfind("%PDF-", 0), 0u);
}

TEST_F(DestinationTest, TheEbookGoesToEveryDestination) {
  const auto isBook = [](const std::string& bytes, const std::string& name) {
    return bytes.size() > 2800 && bytes.compare(0, name.size() + 1, name + '\0', 0, name.size() + 1) == 0 &&
           bytes.compare(60, 8, "BOOKMOBI") == 0;
  };
  // A file: the book prompt follows the file browser.
  dialogs.choices = {4};
  dialogs.browse = {{dir.path(), "cookbook"}};
  dialogs.formAnswers = {{"Our Book", "Us"}};
  ExportSession s = Session();
  ExportToFile(s);
  EXPECT_TRUE(isBook(ReadBytes(dir / "cookbook.mobi"), "Our_Book"));
  EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{"Enter a title and author for your book"});

  // An e-mail attachment.
  dialogs.choices = {4};
  dialogs.formAnswers = {{"Mail Book", ""}};
  ExportToEmail(s);
  ASSERT_EQ(services.mail.size(), 4u);
  EXPECT_EQ(services.mail[3].substr(services.mail[3].size() - 13), "/recipes.mobi");
  EXPECT_TRUE(isBook(services.attachmentBytes, "Mail_Book"));

  // A tablet: the book, then the server settings, then the upload.
  dialogs.choices = {0};
  dialogs.formAnswers = {{"Tablet Book", ""}, {"127.0.0.1", "2121", "Documents", "u", "pw", "recipes.mobi"}};
  ExportToTablet(s);
  ASSERT_EQ(services.uploads.size(), 1u);
  EXPECT_TRUE(isBook(services.uploads[0].second, "Tablet_Book"));
  EXPECT_EQ(dialogs.Messages().back(), "File Uploaded Successfuly");

  // Cancel at the book prompt: no file, no upload, no message.
  dialogs.shown.clear();
  dialogs.choices = {0};
  dialogs.buttons = {1, 2};
  ExportToTablet(s);
  EXPECT_EQ(services.uploads.size(), 1u);
  EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{"Enter a title and author for your book"});
}

TEST(ExportScratch, ALinkInItsPlaceIsRemovedNotFollowed) {
  TempDir data, outside;
  WriteBytes(outside / "precious", "keep");
  const FileTable files = FileTable::For(data.path(), data.path());
  ASSERT_EQ(::symlink(outside.path().c_str(), (data / "export-temp").c_str()), 0);
  const std::string folder = NewExportScratchFolder(files);
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.rfind(data / "export-temp/", 0), 0u);
  struct stat st;
  ASSERT_EQ(::lstat((data / "export-temp").c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EmptyExportScratch(files);
  EXPECT_EQ(ReadBytes(outside / "precious"), "keep");
}

// ----- the mail hand-off -----

TEST(SendMailWithAttachment, HandsTheMessageToXdgEmail) {
  TempDir bin;
  WriteBytes(bin / "xdg-email", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + bin / "args" +
                                   "'\nexit ${MAIL_RESULT:-0}\n");
  ::chmod((bin / "xdg-email").c_str(), 0755);
  const char* oldPath = std::getenv("PATH");
  const std::string saved = oldPath ? oldPath : "";
  ::setenv("PATH", bin.path().c_str(), 1);
  EXPECT_EQ(SendMailWithAttachment("", "A recipe for you", "Recipe is attached to this message.", " /tmp/x y.txt "), 0);
  EXPECT_EQ(ReadBytes(bin / "args"), "--subject\nA recipe for you\n--body\nRecipe is attached to this message.\n"
                                     "--attach\n/tmp/x y.txt\n");
  ::setenv("MAIL_RESULT", "3", 1);
  EXPECT_EQ(SendMailWithAttachment("", "s", "b", "/tmp/a"), 1);
  ::unsetenv("MAIL_RESULT");
  ::setenv("PATH", (bin / "none").c_str(), 1);
  EXPECT_EQ(SendMailWithAttachment("", "s", "b", "/tmp/a"), 1);
  ::setenv("PATH", saved.c_str(), 1);
}

TEST(NewsValue, TheTextBetweenTheQuotesAfterTheKey) {
  const std::string news = "pantrela_kindle_recipe=\"https://h/kindle\";pantrela_ipad_recipe = \"https://h/ipad\";x";
  EXPECT_EQ(NewsValue(news, "pantrela_kindle_recipe"), "https://h/kindle");
  EXPECT_EQ(NewsValue(news, "pantrela_ipad_recipe"), "https://h/ipad");
  EXPECT_EQ(NewsValue(news, "missing"), "");
  EXPECT_EQ(NewsValue("", "x"), "");
  EXPECT_EQ(NewsValue("key \"open", "key"), "");
}

}  // namespace
}  // namespace pantrela::testing
