// The e-book: its container bytes, its book text with the linked index, the
// book prompt, and a reading by mobitool.
#include <sys/wait.h>

#include <cstdio>
#include <cstring>

#include "export/export_formats.h"
#include "export/mobi.h"
#include "export_fixture.h"
#include "foundation/file.h"

namespace pantrela::testing {
namespace {

uint32_t Get32(const std::string& b, size_t at) {
  return uint32_t(uint8_t(b[at])) << 24 | uint32_t(uint8_t(b[at + 1])) << 16 | uint32_t(uint8_t(b[at + 2])) << 8 |
         uint32_t(uint8_t(b[at + 3]));
}
uint32_t Get16(const std::string& b, size_t at) { return uint32_t(uint8_t(b[at])) << 8 | uint32_t(uint8_t(b[at + 1])); }

// Bytes written from the layout: big-endian numbers and plain texts.
void At(std::string& b, size_t offset, std::string_view bytes) {
  ASSERT_LE(offset + bytes.size(), b.size());
  std::memcpy(b.data() + offset, bytes.data(), bytes.size());
}
std::string U32(uint32_t v) { return {char(v >> 24), char(v >> 16 & 0xFF), char(v >> 8 & 0xFF), char(v & 0xFF)}; }
std::string U16(uint32_t v) { return {char(v >> 8 & 0xFF), char(v & 0xFF)}; }

// The book text of a container, found through its record-0 fields.
std::string BookText(const std::string& book) {
  const uint32_t n = Get16(book, 76);
  const size_t r = 78 + 8 * size_t(n) + 2;
  return book.substr(Get32(book, 78 + 8), Get32(book, r + 4));
}

TEST(MobiContainer, HeadersAndRecordsByteForByte) {
  const char* web = "http://x.example";
  const std::string publisher = "Pantrela 9.68 (http://x.example)";
  const std::string description =
      "This cookbook was created with Pantrela recipe software. Pantrela is available from Brackwell at "
      "http://x.example.";
  const std::string book = MobiContainer("abc", "My Best Recipes", "Me", web, 0x01020304);

  // T = 1, N = 6, R = 78 + 48 + 2 = 128, and the record-0 area is 2800 bytes.
  std::string want(2800, '\0');
  At(want, 0, "My_Best_Recipes");
  At(want, 36, "\x01\x02\x03\x04\x01\x02\x03\x04");
  At(want, 60, "BOOKMOBI");
  At(want, 68, U32(11));
  At(want, 76, U16(6));
  const uint32_t offsets[6] = {128, 2800, 2803, 2805, 2841, 2885};
  for (uint32_t i = 0; i < 6; ++i) At(want, 78 + 8 * i, U32(offsets[i]) + U32(i));
  // PalmDOC.
  At(want, 128, U16(1) + U16(0) + U32(3) + U16(1) + U16(4096));
  // Mobipocket.
  At(want, 144, "MOBI" + U32(232) + U32(2) + U32(1252) + U32(0) + U32(6));
  At(want, 168, std::string(40, '\xFF'));
  const uint32_t entries = 10 + 40 + uint32_t(8 + description.size()) + 12;
  At(want, 208, U32(1) + U32(260 + entries) + U32(15) + U32(9) + U32(0) + U32(0) + U32(5) + U32(2));
  At(want, 256, U32(0x50));
  At(want, 292, std::string(8, '\xFF'));
  At(want, 370, U16(0) + std::string(4, '\xFF'));
  // EXTH.
  At(want, 376, "EXTH" + U32((12 + entries + 3) / 4 * 4) + U32(4));
  At(want, 388, U32(100) + U32(10) + "Me" + U32(101) + U32(40) + publisher + U32(103) +
                    U32(uint32_t(description.size() + 8)) + description + U32(501) + U32(12) + "EBOK" +
                    "My Best Recipes");
  want += "abc";
  want += std::string(2, '\0');
  want += "FLIS" + U32(8) + U16(65) + U16(0) + U32(0) + U32(0xFFFFFFFF) + U16(1) + U16(3) + U32(3) + U32(1) +
          U32(0xFFFFFFFF);
  want += "FCIS" + U32(20) + U32(16) + U32(1) + U32(0) + U32(3) + U32(0) + U32(32) + U32(8) + U16(1) + U16(1) + U32(0);
  want += "\xE9\x8E\x0D\x0A";
  ASSERT_EQ(book.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) ASSERT_EQ(book[i], want[i]) << "offset " << i;
}

TEST(MobiContainer, TextRecordsAndTheRecordZeroArea) {
  struct Case {
    size_t textSize;
    uint32_t records;  // T
  };
  for (const Case c : {Case{1, 1}, Case{4096, 1}, Case{4097, 2}, Case{8192, 2}, Case{8193, 3}, Case{3000000, 733}}) {
    std::string text(c.textSize, 'x');
    for (size_t i = 0; i < text.size(); i += 4096) text[i] = char('A' + i / 4096 % 26);
    const std::string book = MobiContainer(text, "T", "A", "w", 0);
    const uint32_t n = Get16(book, 76);
    EXPECT_EQ(n, c.records + 5) << c.textSize;
    const size_t r = 78 + 8 * size_t(n) + 2;
    EXPECT_EQ(Get32(book, 78), r);
    EXPECT_EQ(Get16(book, r + 8), c.records);
    EXPECT_EQ(Get32(book, r + 80), c.records);
    EXPECT_EQ(Get32(book, r + 108), c.records + 1);
    // H = MAX(2800, 8 x CEIL(E / 8) + 8) with E from the record count and the four entry texts.
    const size_t e = 8 * size_t(n) + 78 + 9 + 9 + (17 + 8) + (99 + 8) + 12 + 256;
    const size_t h = std::max<size_t>(2800, 8 * ((e + 7) / 8) + 8);
    EXPECT_EQ(Get32(book, 78 + 8), h) << c.textSize;
    for (uint32_t i = 0; i < c.records; ++i) {
      const uint32_t start = Get32(book, 78 + 8 * (1 + i));
      const uint32_t end = Get32(book, 78 + 8 * (2 + i));
      EXPECT_EQ(start, h + size_t(i) * 4096);
      EXPECT_EQ(end - start, std::min<size_t>(4096, c.textSize - size_t(i) * 4096));
      EXPECT_EQ(Get32(book, 78 + 8 * (1 + i) + 4), 1 + i);
    }
    EXPECT_EQ(book.substr(h, c.textSize), text);
    // Then the two zero bytes, FLIS, FCIS and the end record.
    EXPECT_EQ(Get32(book, 78 + 8 * (c.records + 1)), h + c.textSize);
    EXPECT_EQ(book.substr(h + c.textSize, 6), std::string("\0\0FLIS", 6));
    EXPECT_EQ(book.size(), h + c.textSize + 2 + 36 + 44 + 4);
  }
}

TEST(MobiContainer, DatabaseNames) {
  const std::string forty = "Forty characters of title for the names!";
  ASSERT_EQ(forty.size(), 40u);
  struct Case {
    std::string title, name;
  };
  for (const Case& c : {Case{"My Best Recipes", "My_Best_Recipes"}, Case{forty, "Forty_characters_of_title_for_t"},
                        Case{" a ", "_a_"}}) {
    const std::string book = MobiContainer("x", c.title, "A", "w", 0);
    EXPECT_EQ(book.substr(0, 32), c.name + std::string(32 - c.name.size(), '\0')) << c.title;
  }
  EXPECT_EQ(MobiDatabaseName(forty).size(), 31u);
}

class MobiBookTest : public ExportTest {
 protected:
  // The book of every ticked recipe with the details given (no prompt).
  std::string Book(const BookDetails& details, ExportStatus want = ExportStatus::kDone) {
    ExportJob job = Job();
    job.book = &details;
    StringOutput out;
    ExportIndex index = CollectTickedRecipes(job, collection->recipeList().entries);
    EXPECT_EQ(WriteMobiBook(job, index, out, clock), want);
    return out.text;
  }
  BookClock clock{1765000000, {2026, 12, 9}};
};

TEST_F(MobiBookTest, TheBookTextInFull) {
  Add({{"Mains", "Mac & Cheese", "2 cups macaroni\rsalt", "Boil.\r\rBake <20 min>.", 4},
       {"Notes", "<3 cookies", "", "Line one\rLine two", 0, 1}});
  Tick();
  const std::string text = BookText(Book({"Cook & Eat", "", "Me <me>", ""}));
  // Title order: "<3 cookies" before "mac & cheese".
  const std::string head =
      "<html><head><meta http-equiv=\"content-type\" content=\"text/html; charset=windows-1252\" /><guide></guide>"
      "</head><body><br/><br/><br/><center><h1>Cook &amp; Eat</h1><br/>Me &lt;me&gt;</center>"
      "<br/><br/><br/><br/><br/><br/><center>Created Dec 9, 2026<br>Using Pantrela Recipe Software<br/>"
      "<a href=\"http://pantrela.example\">pantrela.example</a></center><mbp:pagebreak/><h2>Index</h2>";
  const std::string first = "<a ></a><h2>&lt;3 cookies</h2><br/>\r\nLine one <br/>Line two <br/><mbp:pagebreak/>";
  const std::string second =
      "<a ></a><h2>Mac &amp; Cheese</h2><small>Serves 4</small><br/><br/>2 cups macaroni<br/>salt<br/><br/>"
      "Boil. <br/><br/>Bake &lt;20 min&gt;. <mbp:pagebreak/>";
  const auto link = [](size_t at, const char* title) {
    std::string digits = std::to_string(at);
    return "<br/><a  filepos=" + std::string(10 - digits.size(), '0') + digits + " >" + title + "</a><br/>";
  };
  const size_t index = head.size();
  const size_t line1 = link(0, "&lt;3 cookies").size(), line2 = link(0, "Mac &amp; Cheese").size();
  const size_t s1 = index + line1 + line2 + std::strlen("<mbp:pagebreak/>");
  const size_t s2 = s1 + first.size();
  EXPECT_EQ(text, head + link(s1, "&lt;3 cookies") + link(s2, "Mac &amp; Cheese") + "<mbp:pagebreak/>" + first +
                      second + "</body></html>");
}

TEST_F(MobiBookTest, IndexLinksBeforeAndAfterPatching) {
  std::vector<RecipeData> recipes;
  for (int i = 0; i < 14; ++i) {
    char title[16];
    std::snprintf(title, sizeof title, "Recipe %02d", i);
    recipes.push_back({"A", title, "1 egg", "Stir.", 2});
  }
  Add(recipes);
  Tick();
  const std::string twelfth = "<br/><a  filepos=";
  const auto lineOf = [&](const std::string& text, int k) {
    size_t at = text.find("<h2>Index</h2>");
    for (int i = 0; i <= k; ++i) at = text.find(twelfth, at + 1);
    return text.substr(at, twelfth.size() + 12);
  };
  // Patched: each link's ten digits are the offset of its recipe's anchor.
  const std::string text = BookText(Book({"B", "", "A", ""}));
  for (int k = 0; k < 14; ++k) {
    const std::string line = lineOf(text, k);
    const size_t target = std::stoul(line.substr(twelfth.size(), 10));
    char heading[40];
    std::snprintf(heading, sizeof heading, "<a ></a><h2>Recipe %02d</h2>", k);
    EXPECT_EQ(text.compare(target, std::strlen(heading), heading), 0) << k;
  }
  // A key typed at the first patch leaves the later links on their placeholders.
  dialogs.stopAfterPolls = dialogs.polls + 28;
  const std::string stopped = BookText(Book({"B", "", "A", ""}, ExportStatus::kStopped));
  EXPECT_EQ(stopped.size(), text.size());
  EXPECT_EQ(lineOf(stopped, 11), "<br/><a  filepos=0000000011 >");
  EXPECT_EQ(lineOf(stopped, 0), lineOf(text, 0));
}

TEST_F(MobiBookTest, ThePromptItsDefaultsAndCancel) {
  Add({{"A", "Soup", "", "Heat.", 1}});
  Tick();
  ExportJob job = Job();
  ExportIndex index = CollectTickedRecipes(job, collection->recipeList().entries);
  dialogs.buttons = {2};
  StringOutput cancelled;
  EXPECT_EQ(WriteMobiBook(job, index, cancelled, clock), ExportStatus::kCancelled);
  EXPECT_TRUE(cancelled.text.empty());
  ASSERT_FALSE(dialogs.shown.empty());
  EXPECT_EQ(dialogs.shown.back().kind, "form");
  EXPECT_EQ(dialogs.shown.back().text, "Enter a title and author for your book");
  EXPECT_EQ(dialogs.shown.back().buttons, "Book Title|Author");

  dialogs.formAnswers = {{"", ""}};
  StringOutput out;
  EXPECT_EQ(WriteMobiBook(job, index, out, clock), ExportStatus::kDone);
  EXPECT_EQ(out.text.substr(0, 17), std::string("Pantrela_Recipes\0", 17));
  EXPECT_NE(BookText(out.text).find("<h1>Pantrela Recipes</h1><br/>Brackwell</center>"), std::string::npos);

  // Cancelled through the file destination: no file at all.
  dialogs.buttons = {2};
  ExportFileResult r = BuildExportIndex(job, dir.path(), "book.mobi", kExportMobi);
  EXPECT_EQ(r.status, ExportStatus::kCancelled);
  EXPECT_FALSE(r.created);
  EXPECT_FALSE(Exists(dir / "book.mobi"));
}

std::string ShellQuote(const std::string& s) { return "'" + s + "'"; }

// mobitool's output, "" when it cannot be run.
std::string RunMobitool(const std::string& args) {
  if (std::system("command -v mobitool >/dev/null 2>&1") != 0) return {};
  FILE* p = ::popen(("mobitool " + args + " 2>&1").c_str(), "r");
  if (!p) return {};
  std::string out;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  return ::pclose(p) == 0 ? out : "FAILED: " + out;
}

TEST_F(MobiBookTest, MobitoolReadsTheBookAndItsLinks) {
  std::vector<RecipeData> recipes = {{"A", "Mac & Cheese", "1 cup cheese", "Melt.", 2},
                                     {"A", "Notes", "", "Some text", 0, 1},
                                     {"B", "Empty", "", "", 0}};
  std::string every;
  for (int c = 1; c < 256; ++c) every += char(c);
  recipes.push_back({"B", "Odd " + every.substr(0, 180), every, every, 3});
  std::string longText;
  for (int i = 0; i < 5000; ++i) longText += "Line " + std::to_string(i) + "\r";
  recipes.push_back({"B", "Long", longText, longText, 1});
  for (int i = 0; i < 40; ++i) recipes.push_back({"C", "Dish " + std::to_string(i), "2 eggs", "Whisk.", 1});
  Add(recipes);
  Tick();
  const std::string book = Book({"Test Book", "", "Me", ""});
  const std::string path = dir / "book.mobi";
  WriteBytes(path, book);
  const std::string meta = RunMobitool("-m " + ShellQuote(path));
  if (meta.empty()) GTEST_SKIP() << "mobitool is not installed";
  ASSERT_EQ(meta.find("FAILED"), std::string::npos) << meta;
  EXPECT_NE(meta.find("Test Book"), std::string::npos) << meta;
  EXPECT_NE(meta.find("Me"), std::string::npos);

  ASSERT_EQ(RunMobitool("-d -o " + ShellQuote(dir.path()) + " " + ShellQuote(path)).find("FAILED"), std::string::npos);
  std::string raw;
  ASSERT_TRUE(ReadWholeFile(dir / "book.rawml", raw));
  EXPECT_EQ(raw, BookText(book));
  for (const char* title : {"Mac &amp; Cheese", "Notes", "Empty", "Long", "Dish 0", "Dish 39"})
    EXPECT_NE(raw.find(std::string("<h2>") + title + "</h2>"), std::string::npos) << title;
  // Every index link lands on the heading of the title it shows.
  size_t links = 0;
  for (size_t at = raw.find("filepos="); at != std::string::npos; at = raw.find("filepos=", at + 1), ++links) {
    const size_t target = std::stoul(raw.substr(at + 8, 10));
    const size_t titleAt = at + 8 + 12, titleEnd = raw.find("</a>", titleAt);
    const std::string title = raw.substr(titleAt, titleEnd - titleAt);
    EXPECT_EQ(raw.compare(target, 12 + title.size() + 5, "<a ></a><h2>" + title + "</h2>"), 0) << title;
  }
  EXPECT_EQ(links, recipes.size());
}

}  // namespace
}  // namespace pantrela::testing
