// Damaged and hostile files: every reader finishes, nothing crashes, and the
// recipes read before the damage are kept.
#include <minizip/zip.h>

#include "foundation/file.h"
#include "import/import_files.h"
#include "import_fixture.h"

namespace pantrela::testing {
namespace {

TEST_F(ImportTest, HugeLineWithoutBreaksInEveryReaderFamily) {
  WriteBytes(dir / "huge.txt", std::string(50u << 20, 'a'));
  for (int format : {2, 3, 4, 6, 10, 14, 15, 16, 17, 18, 20, 22}) {
    SCOPED_TRACE(format);
    int f = format;
    const int stored = ImportList({dir / "huge.txt"}, f);
    // Only the information text takes a file without any recipe marker.
    EXPECT_EQ(stored, format == 2 ? 1 : 0);
  }
}

TEST_F(ImportTest, DamagedZippedMastercookKeepsTheRecipesBeforeTheDamage) {
  std::string mx2 = "<!DOCTYPE mx2 SYSTEM \"mx2.dtd\">\r\n<mx2>\r\n<RcpE name=\"Kept Pie\"><DirS><DirT>Stir."
                    "</DirT></DirS></RcpE>\r\n";
  for (int i = 0; i < 50; ++i) mx2 += "<RcpE name=\"Later " + std::to_string(i) + "\"></RcpE>\r\n";
  mx2 += "</mx2>\r\n";
  const std::string path = dir / "book.mz2";
  {
    zipFile zip = zipOpen64(path.c_str(), 0);
    ASSERT_NE(zip, nullptr);
    zip_fileinfo info{};
    ASSERT_EQ(zipOpenNewFileInZip(zip, "book.mx2", &info, nullptr, 0, nullptr, 0, nullptr, 0, 0), ZIP_OK);
    zipWriteInFileInZip(zip, mx2.data(), unsigned(mx2.size()));
    zipCloseFileInZip(zip);
    zipClose(zip, nullptr);
  }
  // Spoil the stored bytes after the first recipe.
  std::string bytes = ReadBytes(path);
  const size_t at = bytes.find("Later 3");
  ASSERT_NE(at, std::string::npos);
  for (size_t i = at; i < at + 400; ++i) bytes[i] = char(0x3C ^ i);
  WriteBytes(path, bytes);
  int format = 0;
  ImportList({path}, format);
  auto stored = Stored();
  ASSERT_FALSE(stored.empty());
  EXPECT_EQ(stored[0].title, "Kept Pie");
}

TEST_F(ImportTest, TruncatedAndWronglyEncodedFiles) {
  struct Case {
    const char* name;
    std::string bytes;
    int format;
  } cases[] = {
      {"a.mx2", "<!DOCTYPE mx2 SYSTEM><RcpE name=\"A\"><IngR name=\"", 18},
      {"a.xml", "<?xml?><recipeml><recipe><head><title>A</title><cat>B</cat></head><ingredients><ing><item>x", 22},
      {"a.fdx", "<fdx Source=\"Living Cookbook\"><Recipe Name=\"A\"><RecipeImage FileType=\"../../escapedpic\">QUJD", 15},
      {"a.mg", "<?xml?><key>directions</key><dict><key>name</key><string>A</string></dict></dict></array>", 16},
      {"a.qx", "Pantrela Chapter: x\r\n\r\nA\r\n=\r\n.\r\nB\r\n\r\nPhoto: 999999999\r\n////", 14},
      {"a.txt", std::string("\xFF\xFE", 2) + std::string("\0\xD8\0\xDC", 4), 10},
      {"RECIPE.DAT", std::string(1385 * 2, '\xFF'), 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int f = c.format;
    WriteBytes(dir / c.name, c.bytes);
    ImportList({dir / c.name}, f);
  }
  for (const StoredRecipe& r : Stored()) EXPECT_LE(r.title.size(), 220u);
  // The Living Cookbook picture type is only a name: nothing is written
  // outside the data folder.
  EXPECT_FALSE(Exists(dir / "../escapedpic"));
  EXPECT_FALSE(Exists(dir / "../../escapedpic"));
}

}  // namespace
}  // namespace pantrela::testing
