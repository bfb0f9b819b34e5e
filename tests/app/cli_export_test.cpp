// pantrela-cli export and ftp-upload on the starter recipes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/cli_run.h"
#include "foundation/file.h"
#include "support/temp_dir.h"

namespace pantrela::testing {
namespace {

TEST(CliExport, WritesTheChosenRecipesToAFileOrStandardOutput) {
  TempDir dir;
  const std::string data = "--data-dir " + dir.path() + " ";
  std::string out;
  ASSERT_EQ(RunCli(data + "export --format meal-master -o -", &out, false), 0);
  EXPECT_EQ(out.rfind("MMMMM----- Meal-Master Recipe\r\n\r\n      Title: ", 0), 0u) << out;
  size_t recipes = 0;
  for (size_t at = out.find("MMMMM-----"); at != std::string::npos; at = out.find("MMMMM-----", at + 1)) ++recipes;
  EXPECT_EQ(recipes, 5u);

  // Chapters and titles add up; the index lists them chapter by chapter.
  ASSERT_EQ(RunCli(data + "export --format recipe-index --chapter breakfast --title 'Garden Salad With Honey "
                          "Mustard Dressing' -o " + dir.path() + "index.txt",
                   &out),
            0)
      << out;
  EXPECT_NE(out.find("2 recipes exported"), std::string::npos) << out;
  EXPECT_EQ(ReadBytes(dir / "index.txt"),
            "Breakfast\r\n==========\r\n  Buttermilk Pancakes\r\n\r\n\r\nSalads\r\n=======\r\n"
            "  Garden Salad With Honey Mustard Dressing\r\n");

  ASSERT_EQ(RunCli(data + "export --format recipeml --json -o " + dir.path() + "all.xml", &out, false), 0);
  EXPECT_EQ(out, "{\"format\": \"recipeml\", \"recipes\": 5}\n");
}

TEST(CliExport, TheEbookTakesItsTitlePageFromTheOptions) {
  TempDir dir;
  const std::string data = "--data-dir " + dir.path() + " ";
  std::string out;
  ASSERT_EQ(RunCli(data + "export --format mobi --book-title 'Caf\xc3\xa9 & Co' --author Me --json -o " + dir.path() +
                       "book.mobi",
                   &out, false),
            0);
  EXPECT_EQ(out, "{\"format\": \"mobi\", \"recipes\": 5}\n");
  const std::string book = ReadBytes(dir / "book.mobi");
  // The title in Windows-1252, its spaces as "_" in the database name.
  EXPECT_EQ(book.substr(0, 11), std::string("Caf\xe9_&_Co\0", 11));
  EXPECT_NE(book.find("<h1>Caf\xe9 &amp; Co</h1><br/>Me</center>"), std::string::npos);
  // Without the options the prompt's defaults.
  ASSERT_EQ(RunCli(data + "export --format mobi -o " + dir.path() + "plain.mobi", &out), 0) << out;
  EXPECT_NE(ReadBytes(dir / "plain.mobi").find("<h1>Pantrela Recipes</h1><br/>Brackwell</center>"), std::string::npos);
}

TEST(CliExport, TheCookbookTakesItsPageSize) {
  TempDir dir;
  std::string out;
  ASSERT_EQ(RunCli("--data-dir " + dir.path() + " export --format pdf --book-title Ours --page-size a4 -o " + dir.path() +
                       "book.pdf",
                   &out),
            0)
      << out;
  EXPECT_EQ(ReadBytes(dir / "book.pdf").rfind("%PDF-", 0), 0u);
  if (std::system("command -v pdfinfo >/dev/null 2>&1") != 0) GTEST_SKIP() << "poppler-utils are not installed";
  FILE* p = ::popen(("pdfinfo '" + dir / "book.pdf" + "'").c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string info;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) info.append(buf, n);
  ::pclose(p);
  EXPECT_NE(info.find("595 x 842 pts"), std::string::npos) << info;
}

TEST(CliExport, AStartEmptiesTheScratchFolderOfMailAttachments) {
  TempDir dir;
  CreateFolders(dir / "export-temp/1-0/");
  WriteBytes(dir / "export-temp/1-0/recipes.txt", "sent yesterday");
  std::string out;
  ASSERT_EQ(RunCli("--data-dir " + dir.path() + " info", &out), 0) << out;
  EXPECT_FALSE(Exists(dir / "export-temp"));
}

TEST(CliExport, RefusesWhatItCannotDo) {
  TempDir dir;
  const std::string data = "--data-dir " + dir.path() + " ";
  struct Case {
    std::string args;
    int status;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"export --format bogus -o -", 2, ""},
      {"export --format generic", 2, ""},
      {"export --format pdf --page-size letter -o " + dir.path() + "b.mobi", 2, ""},
      {"export --format generic --chapter Nowhere -o -", 1, "no chapter named \"Nowhere\""},
      {"export --format generic --title Nothing -o -", 1, "no recipe titled \"Nothing\""},
      {"export --format generic -o " + dir.path() + "missing/x.txt", 1, "could not be written: "},
      {"ftp-upload --port 21 file", 2, ""},
      {"ftp-upload --host h --port 21 --user 'a b' " + dir.path() + "x", 2, "cannot contain spaces"},
      {"ftp-upload --host 127.0.0.1 --port 21 " + dir.path() + "none.pdf", 1, "Source File Is Missing"},
  };
  for (const Case& c : cases) {
    std::string out;
    EXPECT_EQ(RunCli(data + c.args, &out), c.status) << c.args << "\n" << out;
    if (!c.message.empty()) EXPECT_NE(out.find(c.message), std::string::npos) << c.args << "\n" << out;
  }
  EXPECT_FALSE(Exists(dir / "missing"));
  EXPECT_FALSE(Exists(dir / "b.mobi"));
}

}  // namespace
}  // namespace pantrela::testing
