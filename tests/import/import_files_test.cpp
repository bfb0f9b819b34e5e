#include "import/import_files.h"

#include <minizip/zip.h>

#include "foundation/file.h"
#include "import/import_formats.h"
#include "import_fixture.h"

namespace pantrela::testing {
namespace {

void WriteZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries) {
  zipFile zip = zipOpen64(path.c_str(), 0);
  ASSERT_NE(zip, nullptr);
  for (const auto& [name, bytes] : entries) {
    zip_fileinfo info{};
    ASSERT_EQ(zipOpenNewFileInZip(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6), ZIP_OK);
    zipWriteInFileInZip(zip, bytes.data(), unsigned(bytes.size()));
    zipCloseFileInZip(zip);
  }
  zipClose(zip, nullptr);
}

TEST(ImportFormats, ListEntriesAndCodes) {
  std::string entry;
  EXPECT_EQ(ImportFormatList(0, entry), 20);
  EXPECT_EQ(entry, "00-Detect format automatically");
  ImportFormatList(11, entry);
  EXPECT_EQ(entry, "14-Pantrela");
  EXPECT_EQ(ImportFormatCode(entry), 14);
  ImportFormatList(19, entry);
  EXPECT_EQ(entry, "22-RecipeML (XML)");
  ImportFormatList(20, entry);  // out of range: unchanged
  EXPECT_EQ(entry, "22-RecipeML (XML)");
  EXPECT_EQ(ImportFormatListText(),
            "00-Detect format automatically|01-Manual Import|02-Import as Information Text|03-Accu Chef|04-Big Oven|"
            "05-Computer Chef (DOS)|06-Computer Cuisine Deluxe|08-Cookbook Wizard|10-Cookware Deluxe (text export)|"
            "11-Edna's Cookbook (Recipe.dat)|12-From Scratch|14-Pantrela|15-Living Cookbook FDX (XML)|16-Mac Gourmet|"
            "17-Mastercook (MC2, TXT)|18-Mastercook XML (MX2, MZ2)|19-Meal Master (MM, MMF, TXT)|20-Now You're "
            "Cooking|21-Recipe Processor|22-RecipeML (XML)");
}

TEST_F(ImportTest, DetectionRulesInTableOrder) {
  std::string utf16;
  for (char c : std::string("Exported from Cookware Deluxe")) utf16 += std::string{c, '\0'};
  struct Case {
    const char* name;
    std::string text;
    int code;
  } cases[] = {
      {"a.txt", "***** AccuChef recipe", 3},
      {"a.txt", "-= Exported from BigOven =-", 4},
      {"a.txt", "*** Recipe via Compu-Chef ***", 5},
      {"a.txt", "Created using\x0b" "Computer Cuisine Deluxe", 6},
      {"a.txt", "Exported from Cookbook Wizard", 8},
      {"a.txt", "EXPORTED FROM COOKWARE DELUXE", 10},
      {"a.txt", "\xFF\xFE" + utf16, 10},
      {"My Recipe.DAT", "Name of Recipe: x", 11},
      {"a.txt", "From Scratch ... Recipe Begins", 12},
      {"a.txt", "Pantrela export\r\nChapter: Soups", 14},
      {"a.fdx", "<fdx><Source=\"Living Cookbook 2.0\">", 15},
      {"a.xml", "<?xml version=\"1.0\"?><dict><key>Directions</key>", 16},
      {"a.txt", "Exported from x  Recipe By: me  - - - - - -", 17},
      {"a.txt", "Exported  Recipe By: me  Preparation Method", 17},
      {"a.mx2", "<?xml?><!DOCTYPE mx2 SYSTEM \"mx2.dtd\">", 18},
      {"a.mmf", "----- Meal-Master ... Categories: x", 19},
      {"a.txt", "@@@@@ Now You're Cooking! Export", 20},
      {"a.txt", "RPW ----- +++", 21},
      {"a.xml", "<?xml version=\"1.0\"?><recipeml>", 22},
      // Earlier rules win: both BigOven and Meal-Master markers give 4.
      {"a.mmf", "-= Exported from BigOven =- ----- Meal-Master Categories:", 4},
      // Name rule: without "recipe.dat" in the file name rule 11 does not apply.
      {"other.dat", "Name of Recipe: x", 0},
      {"a.txt", "just some text", 0},
  };
  for (const Case& c : cases) {
    std::string path = dir / c.name;
    WriteBytes(path, c.text);
    int format = 0;
    std::string file = path;
    DetectImportFormat(ctx, file, format);
    EXPECT_EQ(format, c.code) << c.name << " " << c.text;
    EXPECT_EQ(file, path);
    DeleteFile(path);
  }
  int format = 7;
  std::string missing = dir / "missing.txt";
  DetectImportFormat(ctx, missing, format);
  EXPECT_EQ(format, 7);
  EXPECT_FALSE(Exists(missing));
}

TEST_F(ImportTest, ZippedMastercookIsUnpackedInsideTemp) {
  CreateFolders(dir / "sub/");
  WriteZip(dir / "sub/book.MZ2", {{"../../x.mx2", "<!DOCTYPE mx2 SYSTEM>"},
                                  {"/abs/y.mx2", "yy"},
                                  {"dir\\..\\", "skipped: empty name"},
                                  {"..", "skipped"},
                                  {"notes.txt", ""}});
  std::string file = dir / "sub/book.MZ2";
  int format = 0;
  DetectImportFormat(ctx, file, format);
  EXPECT_EQ(format, 18);
  EXPECT_EQ(file, dir / "temp/x.mx2");
  EXPECT_EQ(ReadBytes(dir / "temp/x.mx2"), "<!DOCTYPE mx2 SYSTEM>");
  // Only the entry the reader takes is unpacked.
  EXPECT_FALSE(Exists(dir / "temp/y.mx2"));
  EXPECT_FALSE(Exists(dir / "temp/notes.txt"));
  EXPECT_FALSE(Exists(dir / "x.mx2"));
  EXPECT_FALSE(Exists(dir / "sub/x.mx2"));
  std::string log = ReadBytes(ctx.files.statusLog);
  EXPECT_NE(log.find("1/5 - 21 - x.mx2\r\n"), std::string::npos);
  EXPECT_NE(log.find("Mastercook File: x.mx2\r\n"), std::string::npos);

  // Entries above 64 MB are skipped.
  EmptyTemp();
  WriteZip(dir / "big.mz2", {{"big.mx2", std::string((64 << 20) + 1, '\0')}, {"small.mx2", "s"}});
  file = dir / "big.mz2";
  format = 0;
  DetectImportFormat(ctx, file, format);
  EXPECT_EQ(file, dir / "temp/small.mx2");
  EXPECT_FALSE(Exists(dir / "temp/big.mx2"));

  // An archive that cannot be opened leaves file and format as they were.
  WriteBytes(dir / "bad.mz2", "PK not really a zip");
  EmptyTemp();
  file = dir / "bad.mz2";
  format = 0;
  DetectImportFormat(ctx, file, format);
  EXPECT_EQ(format, 0);
  EXPECT_EQ(file, dir / "bad.mz2");
}

TEST_F(ImportTest, ImportFilesRunsTheListAndCleansUp) {
  const std::string mm = "---------- Recipe via Meal-Master (tm) v8.01\r\n      Title: One\r\n Categories: A\r\n\r\n"
                         "      1 c  Milk\r\n\r\n  Stir.\r\n-----\r\n";
  WriteBytes(dir / "one.mmf", mm);
  // The second file has no markers: it is read with the code found for the first.
  WriteBytes(dir / "two.txt", "      Title: Two\r\n\r\n      2 c  Rice\r\n\r\n  Boil.\r\n-----\r\n");
  WriteBytes(ctx.files.scratchImport, "scratch");
  CreateFolders(dir / "temp/");
  WriteBytes(dir / "temp/left.mx2", "x");
  int format = 0;
  EXPECT_EQ(ImportList({dir / "one.mmf", dir / "missing.mmf", dir / "two.txt"}, format), 2);
  EXPECT_EQ(format, 19);
  auto stored = Stored();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0].title, "One");
  EXPECT_EQ(stored[1].title, "Two");
  EXPECT_FALSE(Exists(ctx.files.scratchImport));
  EXPECT_FALSE(Exists(dir / "temp/left.mx2"));
  EXPECT_EQ(dialogs.progressLines.front().rfind("Importing Meal Master Recipes|File 1 of 3|", 0), 0u);
  EXPECT_EQ(dialogs.progressLines.back().rfind("Importing Meal Master Recipes|File 3 of 3|", 0), 0u);
  EXPECT_EQ(collection->current().title, "Two");
  // The index on disk lists both recipes after a fresh load.
  Collection reloaded(ctx);
  OpenCollection(reloaded);
  int recipes = 0;
  for (uint32_t off : reloaded.EntryOffsets()) recipes += reloaded.Entry(off).kind() == kKindRecipe;
  EXPECT_EQ(recipes, 2);
}

TEST_F(ImportTest, ImportFilesMessages) {
  int format = 0;
  WriteBytes(ctx.files.scratchImport, "x");
  EXPECT_EQ(ImportList({}, format), 0);
  EXPECT_FALSE(Exists(ctx.files.scratchImport));
  WriteBytes(dir / "plain.txt", "nothing to see");
  EXPECT_EQ(ImportList({dir / "plain.txt"}, format), 0);
  EXPECT_EQ(format, 0);
  // A chosen reader that finds no recipe in the file stores nothing.
  format = 4;
  EXPECT_EQ(ImportList({dir / "plain.txt"}, format), 0);
  EXPECT_EQ(dialogs.Messages(), (std::vector<std::string>{"There are no files to import",
                                                          "The format of this file was not recognized:||plain.txt"}));
  EXPECT_FALSE(Exists(ctx.files.recipe) && ReadBytes(ctx.files.recipe).size() > 0);
}

// File names come from the file system in UTF-8; messages are Windows-1252
// text, so a name is converted where it enters one, and the file is still
// opened by its real bytes.
TEST_F(ImportTest, FileNamesInMessagesAreShownAsTheyRead) {
  struct Case {
    const char* onDisk;
    const char* shown;
  } cases[] = {
      {"Cr\xC3\xA8me.txt", "Cr\xE8me.txt"},            // UTF-8
      {"Cr\xE8me-latin.txt", "Cr\xE8me-latin.txt"},      // an older single-byte name, as it is
      {"\xE2\x82\xAC \xE6\x97\xA5.txt", "\x80 ?.txt"},  // the euro sign has a byte, the other none
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    dialogs.shown.clear();
    WriteBytes(dir / c.onDisk, "nothing to see");
    int format = 0;
    EXPECT_EQ(ImportList({dir / c.onDisk}, format), 0);
    EXPECT_EQ(dialogs.Messages(),
              (std::vector<std::string>{std::string("The format of this file was not recognized:||") + c.shown}));
  }
  WriteBytes(dir / "Cr\xC3\xA8me br\xC3\xBBl\xC3\xA9" "e.mmf",
             "MMMMM----- Recipe via Meal-Master (tm) v8.05\r\n      Title: Custard\r\n Categories: Desserts\r\n\r\n      1 c  Cream\r\n\r\n"
             "  Bake.\r\nMMMMM\r\n");
  int format = 0;
  EXPECT_EQ(ImportList({dir / "Cr\xC3\xA8me br\xC3\xBBl\xC3\xA9" "e.mmf"}, format), 1);
}

class FakeClipboard : public ImportClipboard {
 public:
  bool opens = true;
  bool hasFiles = false;
  bool hasText = false;
  std::vector<std::string> files;
  std::string text;
  bool Open() override { return opens; }
  bool FileDropList(std::vector<std::string>& out) override {
    if (hasFiles) out = files;
    return hasFiles;
  }
  bool UnicodeText(std::string& out) override {
    if (hasText) out = text;
    return hasText;
  }
};

TEST_F(ImportTest, ClipboardImport) {
  FakeClipboard clip;
  std::vector<std::string> list{"/already/there.mmf"};
  std::vector<std::string> opened;
  auto open = [&](const std::string& a) { opened.push_back(a); };

  clip.opens = false;
  ImportFromClipboard(ctx, clip, list, open);
  clip.opens = true;
  dialogs.buttons = {1, 2};
  ImportFromClipboard(ctx, clip, list, open);
  ImportFromClipboard(ctx, clip, list, open);
  const std::string noText =
      "There is no text on the clipboard.||If you are having difficulties importing from the clipboard|"
      "make sure your antivirus software is not blocking the clipboard.|Click the ANTIVIRUS button for assistance.";
  EXPECT_EQ(dialogs.Messages(), (std::vector<std::string>{"Failure Opening Clipboard (IFC)", noText, noText}));
  EXPECT_EQ(dialogs.shown[1].buttons, "Antivirus|Cancel");
  EXPECT_EQ(opened, std::vector<std::string>{AntivirusHelpAddress()});
  EXPECT_EQ(list.size(), 1u);

  clip.hasFiles = true;
  clip.files = {"/a.mmf", "/b.mxp"};
  ImportFromClipboard(ctx, clip, list, open);
  EXPECT_EQ(list, (std::vector<std::string>{"/already/there.mmf", "/a.mmf", "/b.mxp"}));

  clip.hasFiles = false;
  clip.hasText = true;
  clip.text = "  Title:\tBest \xE2\x80\x9CPie\xE2\x80\x9D\r\n1\xC2\xBD cups  flour\xE2\x84\xA2  ";
  ImportFromClipboard(ctx, clip, list, open);
  EXPECT_EQ(list, std::vector<std::string>{ctx.files.scratchImport});
  EXPECT_EQ(ReadBytes(ctx.files.scratchImport), "Title: Best \"Pie\"\r1-1/2 cups flour");
}

}  // namespace
}  // namespace pantrela::testing
