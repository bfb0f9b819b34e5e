// The cookbook: its layout rules, and the book as pdfinfo and pdftotext read it.
#include <cstdio>
#include <cstring>

#include "export/export_formats.h"
#include "export/pdf.h"
#include "export_fixture.h"
#include "foundation/file.h"
#include "photos/photo_fixtures.h"

namespace pantrela::testing {
namespace {

TEST(PdfLayout, SideBySideOrFlowing) {
  struct Case {
    int ingredients, directions;
    bool sideBySide;
    int rows, remaining;
  };
  for (const Case& c : {Case{12, 20, true, 20, 33}, Case{12, 30, false, 22, 43}, Case{12, 22, true, 22, 35},
                        Case{12, 23, false, 18, 36}, Case{0, 0, true, 0, 1}, Case{30, 5, false, 18, 36}}) {
    const PdfRows r = PdfRecipeRows(c.ingredients, c.directions);
    EXPECT_EQ(r.sideBySide, c.sideBySide) << c.ingredients << "/" << c.directions;
    EXPECT_EQ(r.rows, c.rows) << c.ingredients << "/" << c.directions;
    EXPECT_EQ(r.remaining, c.remaining) << c.ingredients << "/" << c.directions;
  }
}

TEST(PdfLayout, PhotoBoxes) {
  struct Case {
    int w, h;
    double textWidth;
    int boxW, boxH;
  };
  // An odd 6x9 page: 432 - 36 - (36 + 27) = 333 points of text width.
  for (const Case& c : {Case{800, 600, 333, 256, 192}, Case{100, 50, 333, 100, 50}, Case{1000, 100, 333, 333, 33},
                        Case{150, 192, 333, 150, 192}, Case{150, 193, 333, 149, 192}}) {
    int w = 0, h = 0;
    PdfPhotoBox(c.w, c.h, c.textWidth, w, h);
    EXPECT_EQ(w, c.boxW) << c.w << "x" << c.h;
    EXPECT_EQ(h, c.boxH) << c.w << "x" << c.h;
  }
}

TEST(PdfLayout, CautionAndPageSizes) {
  EXPECT_EQ(PdfPageCaution(399), "");
  EXPECT_EQ(PdfPageCaution(400),
            "Caution||Your cookbook has 400 pages!||Most book printers recommend less than 400 pages|for printed "
            "books.  Larger recipe collections should|be published as several smaller books.");
  ASSERT_NE(PdfPageSizeNamed("a4"), nullptr);
  EXPECT_EQ(PdfPageSizeNamed("A4")->width, 595);
  EXPECT_EQ(PdfPageSizeNamed("8.5X11")->height, 792);
  EXPECT_EQ(PdfPageSizeNamed("letter"), nullptr);
}

std::string Shell(const std::string& command) {
  FILE* p = ::popen((command + " 2>/dev/null").c_str(), "r");
  if (!p) return {};
  std::string out;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  ::pclose(p);
  return out;
}

bool HavePoppler() { return std::system("command -v pdfinfo >/dev/null 2>&1 && command -v pdftotext >/dev/null") == 0; }

class PdfBookTest : public ExportTest {
 protected:
  std::string Write(const BookDetails& details, int* pages = nullptr) {
    ExportJob job = Job();
    job.book = &details;
    ExportIndex index = CollectTickedRecipes(job, collection->recipeList().entries);
    SortExportIndex(*collection, index);
    StringOutput out;
    EXPECT_EQ(WritePdfBook(job, index, out, clock, pages), ExportStatus::kDone);
    const std::string path = dir / "book.pdf";
    WriteBytes(path, out.text);
    return path;
  }
  std::string Text(const std::string& path, int page = 0) {
    const std::string range = page ? " -f " + std::to_string(page) + " -l " + std::to_string(page) : "";
    return Shell("pdftotext -layout" + range + " '" + path + "' -");
  }
  BookClock clock{1765000000, {2026, 12, 9}};
};

TEST_F(PdfBookTest, PagesTextAndIndex) {
  if (!HavePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  PdfFontFiles fonts;
  if (!FindPdfFonts(fonts)) GTEST_SKIP() << "the Liberation fonts are not installed";
  const std::string photo = Bmp24(80, 60, [](int x, int y) { return Rgb{uint8_t(x * 3), uint8_t(y * 4), 200}; });
  Add({{"Desserts", "Apple Pie", "2 cups sugar\r1 1/2 cups flour\rFilling:\r3 apples",
        "Cr\xe8me br\xfbl\xe9" "e \xe0 la mode, ni\xf1o, M\xfc" "sli, Stra\xdf" "e, \xbd cup at 350\xb0.", 8, 0, photo},
       {"Breads", "Bread", "4 cups flour", "Knead.", 2},
       {"Breads", "Bagels", "1 egg", "Boil, then bake.", 6},
       {"Breads", "Broken Photo", "1 egg", "Stir.", 1, 0, "\xff\xd8\xff\xe0 not really a jpeg"}});
  Tick();
  int pages = 0;
  const std::string path = Write({"Family Favourites", "From Our Kitchen", "The Cooks", "6x9"}, &pages);
  const std::string info = Shell("pdfinfo '" + path + "'");
  EXPECT_NE(info.find("Pages:           " + std::to_string(pages)), std::string::npos) << info;
  EXPECT_NE(info.find("Page size:       432 x 648 pts"), std::string::npos) << info;
  // Title, credits, two chapter pages and the index; no caution.
  EXPECT_EQ(pages, 5);
  EXPECT_TRUE(dialogs.Messages().empty()) << dialogs.Messages().front();
  const std::string title = Text(path, 1);
  EXPECT_NE(title.find("Family Favourites"), std::string::npos) << title;
  EXPECT_LT(title.find("From Our Kitchen"), title.find("The Cooks"));
  EXPECT_NE(Text(path, 2).find("This cookbook was created Dec 09, 2026"), std::string::npos);
  // Breads come before Desserts; the accents print as written (UTF-8 from pdftotext).
  const std::string desserts = Text(path, 4);
  for (const char* word : {"Crème brûlée à la mode", "niño", "Müsli", "Straße", "½ cup at 350°", "Serves 8", "1-1/2",
                           "Filling:", "Desserts"})
    EXPECT_NE(desserts.find(word), std::string::npos) << word << "\n" << desserts;
  const std::string index = Text(path, 5);
  for (const char* entry : {"Apple Pie, 4", "Bagels, 3", "Bread, 3", "Broken Photo, 3", "Index"})
    EXPECT_NE(index.find(entry), std::string::npos) << entry << "\n" << index;
  // Letter headings: "A" then "B" before the B titles.
  const size_t a = index.find("\nA\n"), b = index.find("\nB\n");
  EXPECT_NE(a, std::string::npos) << index;
  EXPECT_NE(b, std::string::npos) << index;
  EXPECT_LT(b, index.find("Bagels"));
  // The damaged photo is left out and logged.
  const std::string log = ReadBytes(ctx.files.statusLog);
  EXPECT_NE(log.find("Broken Photo"), std::string::npos) << log;
}

TEST_F(PdfBookTest, ARecipeThatDoesNotFitStartsANewPage) {
  if (!HavePoppler()) GTEST_SKIP() << "poppler-utils are not installed";
  std::string many;
  for (int i = 0; i < 40; ++i) many += "Step " + std::to_string(i) + " of the long one.\r";
  Add({{"A", "First Dish", "1 egg", many, 1}, {"A", "Second Dish", "1 egg", many, 1}});
  Tick();
  const std::string path = Write({"B", "", "", "6x9"});
  EXPECT_NE(Text(path, 3).find("First Dish"), std::string::npos);
  EXPECT_EQ(Text(path, 3).find("Second Dish"), std::string::npos);
  EXPECT_NE(Text(path, 4).find("Second Dish"), std::string::npos);
}

TEST_F(PdfBookTest, ABookOf400PagesOrMoreCautions) {
  PdfFontFiles fonts;
  if (!FindPdfFonts(fonts)) GTEST_SKIP() << "the Liberation fonts are not installed";
  // One recipe per chapter: a page each, with the title, credits and index pages.
  std::vector<RecipeData> recipes;
  for (int i = 0; i < 400; ++i) recipes.push_back({"Chapter " + std::to_string(1000 + i), "Dish", "1 egg", "Stir.", 1});
  Add(recipes);
  Tick();
  int pages = 0;
  Write({"Big", "", "", "6x9"}, &pages);
  ASSERT_GE(pages, 400);
  EXPECT_EQ(dialogs.Messages().back(), PdfPageCaution(pages));
  EXPECT_NE(dialogs.Messages().back().find("Your cookbook has " + std::to_string(pages) + " pages!"), std::string::npos);
}

TEST_F(PdfBookTest, ThePromptChoosesThePageSize) {
  Add({{"A", "Soup", "1 cup water", "Heat.", 1}});
  Tick();
  ExportJob job = Job();
  dialogs.buttons = {4};
  EXPECT_EQ(BuildExportIndex(job, dir.path(), "c.pdf", kExportPdf).created, false);
  EXPECT_FALSE(Exists(dir / "c.pdf"));
  ASSERT_FALSE(dialogs.shown.empty());
  EXPECT_EQ(dialogs.shown.back().text, "Enter a title and author for your book.|Then click on the desired page size.");
  EXPECT_EQ(dialogs.shown.back().buttons, "Book Title|Subtitle|Author");
  dialogs.buttons = {3};
  dialogs.formAnswers = {{"T", "S", "A"}};
  EXPECT_TRUE(BuildExportIndex(job, dir.path(), "c.pdf", kExportPdf).created);
  if (HavePoppler())
    EXPECT_NE(Shell("pdfinfo '" + (dir / "c.pdf") + "'").find("595 x 842 pts"), std::string::npos);
}

}  // namespace
}  // namespace pantrela::testing
