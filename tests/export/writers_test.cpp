// The record writers against layouts written out by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/writers.h"
#include "foundation/wrap_text.h"

namespace pantrela {
namespace {

const char* const kWeb = "https://pantrela.example/";

CurrentRecord Recipe(const std::string& title, const std::string& ingredients, const std::string& directions,
                     int servings = 0, uint8_t kind = kKindRecipe, const std::string& photo = "") {
  CurrentRecord r;
  r.Clear();
  r.title = title;
  r.ingredients = ingredients;
  r.directions = directions;
  r.photo = photo;
  r.setServings(uint8_t(servings));
  r.setKind(kind);
  return r;
}

// Lines joined with CR LF, each one ended.
std::string Crlf(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

using Writer = void (*)(const ExportRecipe&, const ExportStyle&, std::string&);

std::string Write(Writer w, const CurrentRecord& r, const std::string& chapter) {
  ExportStyle style;
  style.webAddress = kWeb;
  std::string out;
  w(ExportRecipe{r, chapter}, style, out);
  return out;
}

TEST(WrapTextLines, BreaksAtSpacesAndForcesLongWords) {
  struct Case {
    std::string text;
    int width;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"aaaa bbbb cccc", 10, {"aaaa bbbb", "cccc"}},
      // No space: the first line holds width - 1, a forced continuation width.
      {std::string(25, 'x'), 10, {std::string(9, 'x'), std::string(10, 'x'), std::string(6, 'x')}},
      {"", 67, {""}},
      {"one\rtwo", 67, {"one", "two"}},
      {"one\r\rtwo", 67, {"one", "", "two"}},
      {"last\r", 67, {"last", ""}},
      {"trailing   \rspaces  ", 67, {"trailing", "spaces"}},
      {"ab cd", 3, {"ab", "cd"}},
  };
  for (const Case& c : cases) EXPECT_EQ(WrapTextLines(c.text, c.width), c.lines) << c.text;
}

TEST(WrapTextLines, StopsAfterTheLineBreakLimit) {
  std::string text;
  for (int i = 0; i < 1200; ++i) text += "line\r";
  const auto lines = WrapTextLines(text, 67);
  ASSERT_EQ(lines.size(), size_t(kWrapLineBreakLimit) + 1);
  EXPECT_EQ(lines[989], "line");
  EXPECT_EQ(lines[990], "");
}

TEST(PhotoBase64Lines, PadsWithZeroBitsAndBreaksAt76) {
  EXPECT_EQ(PhotoBase64Lines(""), "");
  EXPECT_EQ(PhotoBase64Lines("Man"), "TWFu\r\n");
  EXPECT_EQ(PhotoBase64Lines("Ma"), "TWEA\r\n");
  EXPECT_EQ(PhotoBase64Lines(std::string("\x01\x02\x03\x04", 4)), "AQIDBAAA\r\n");
  // 57 bytes fill one line exactly; one more byte starts a second line.
  const std::string zeros57(57, '\0');
  EXPECT_EQ(PhotoBase64Lines(zeros57), std::string(76, 'A') + "\r\n");
  EXPECT_EQ(PhotoBase64Lines(zeros57 + '\xff'), std::string(76, 'A') + "\r\n/wAA\r\n");
}

TEST(OwnTextWriter, WritesTitleRulePhotoAndServings) {
  const CurrentRecord r = Recipe("Pie", "1 cup flour\r2 eggs", "Mix.\r\rBake.", 6, kKindRecipe,
                                 std::string("\x01\x02\x03\x04", 4));
  EXPECT_EQ(Write(WriteOwnTextRecipe, r, "Desserts"),
            Crlf({"Pantrela Chapter: Desserts", "", "Pie", "===", "1 cup flour", "2 eggs", ".", "Mix.", "", "Bake.",
                  "", "Photo: 4", "AQIDBAAA", "", "Servings: 6", "",
                  "Exported from Pantrela 9.68 (https://pantrela.example/)", "", ""}));
}

TEST(OwnTextWriter, InformationTextHasNoServingsAndWideLines) {
  // 80 characters of ten-letter words: wrapped at 78 for an information
  // text's first text, at 67 for directions.
  std::string words;
  for (int i = 0; i < 8; ++i) words += "abcdefghi ";
  const CurrentRecord r = Recipe("", words, "", 9, kKindInfo);
  const std::string seven = "abcdefghi abcdefghi abcdefghi abcdefghi abcdefghi abcdefghi abcdefghi";
  EXPECT_EQ(Write(WriteOwnTextRecipe, r, "Notes"),
            Crlf({"Pantrela Chapter: Notes", "", "", "", seven, "abcdefghi", "", "Servings: 0", "",
                  "Exported from Pantrela 9.68 (https://pantrela.example/)", "", ""}));
}

TEST(MealMasterWriter, ColumnsHeadingsAndContinuations) {
  const CurrentRecord r = Recipe("  Pie ",
                                 "1 1/2 cups flour\rSauce:\r2 tbsp butter\r\r"
                                 "2 red onions, peeled and very finely chopped",
                                 "Mix.\r\rBake.", 6);
  const std::string heading = "MMMMM" + std::string(26, '-') + "Sauce" + std::string(34, '-');
  ASSERT_EQ(heading.size(), 70u);
  EXPECT_EQ(Write(WriteMealMasterRecipe, r, "Desserts"),
            Crlf({"MMMMM----- Meal-Master Recipe", "", "      Title: Pie", " Categories: Desserts", "      Yield: 6", "",
                  "  1 1/2 c  flour", heading, "      2 tb butter", std::string(11, ' '),
                  "      2    red onions, peeled and very ", "           -finely chopped", "", "Mix.", "", "Bake.", "",
                  "  Exported from Pantrela 9.68 (https://pantrela.example/)", "", "MMMMM", ""}));
}

TEST(MealMasterWriter, HeadingColumnRoundsHalvesToEven) {
  struct Case {
    std::string heading;  // ingredient line
    size_t column;        // 1-based column of its first letter
  };
  // Column 35 - LEN / 2: 6 -> 32; 5 -> 2.5 -> 2 -> 33; 8 -> 31;
  // 7 -> 3.5 -> 4 -> 31. A heading is the whole line: one that begins
  // with a unit word or runs past 29 characters keeps every word.
  const std::vector<Case> cases = {{"Sauce:", 32},
                                   {"Fill:", 33},
                                   {"Topping:", 31},
                                   {"For it:", 31},
                                   {"Large Loaf:", 29},
                                   {"  Vanilla Cream Cheese Frosting:  ", 20},
                                   {std::string(58, 'x') + ":", 6}};
  for (const Case& c : cases) {
    const std::string out = Write(WriteMealMasterRecipe, Recipe("T", c.heading, ""), "C");
    std::string name = c.heading.substr(c.heading.find_first_not_of(' '));
    name = name.substr(0, name.find(':'));
    std::string expected(70, '-');
    expected.replace(0, 5, "MMMMM");
    expected.replace(c.column - 1, name.size(), name);
    EXPECT_NE(out.find("\r\n" + expected + "\r\n"), std::string::npos) << c.heading << "\n" << out;
  }
}

TEST(MealMasterWriter, ALongIngredientContinuesInsteadOfBreakingInTwo) {
  // 84 characters: one ingredient in four pieces, not two ingredients.
  const std::string line = "6 cups loosely packed sorrel leaves, the stems removed and the leaves roughly chopped";
  const std::string out = Write(WriteMealMasterRecipe, Recipe("T", line, ""), "C");
  EXPECT_NE(out.find("\r\n      6 c  loosely packed sorrel \r\n"
                     "           -leaves, the stems removed \r\n"
                     "           -and the leaves roughly \r\n"
                     "           -chopped\r\n\r\n"),
            std::string::npos)
      << out;
}

TEST(MealMasterWriter, InformationTextHasNoYieldNoIngredientsAndWideDirections) {
  std::string words;
  for (int i = 0; i < 8; ++i) words += "abcdefghi ";
  const CurrentRecord r = Recipe("Note", "ignored 1 cup", words, 4, kKindInfo);
  const std::string seven = "abcdefghi abcdefghi abcdefghi abcdefghi abcdefghi abcdefghi abcdefghi";
  EXPECT_EQ(Write(WriteMealMasterRecipe, r, "Notes"),
            Crlf({"MMMMM----- Meal-Master Recipe", "", "      Title: Note", " Categories: Notes", "", seven,
                  "abcdefghi", "", "  Exported from Pantrela 9.68 (https://pantrela.example/)", "", "MMMMM", ""}));
}

TEST(MealMasterWriter, EmptyDirectionsStillGiveOneLine) {
  EXPECT_EQ(Write(WriteMealMasterRecipe, Recipe("T", "", ""), ""),
            Crlf({"MMMMM----- Meal-Master Recipe", "", "      Title: T", " Categories: ", "", std::string(11, ' '), "",
                  "", "", "  Exported from Pantrela 9.68 (https://pantrela.example/)", "", "MMMMM", ""}));
}

TEST(MastercookWriter, CentredTitlePrefixColumnsAndServings) {
  const CurrentRecord r = Recipe("Pie", "1 1/2 cups flour\r\r3 eggs", "Mix well.", 4);
  EXPECT_EQ(Write(WriteMastercookRecipe, r, "Desserts"),
            Crlf({std::string(20, ' ') + "*  Exported from  Mastercook  *", "", std::string(34, ' ') + "Pie", "",
                  "Recipe By     : Pantrela 9.68  (https://pantrela.example/)",
                  "Serving Size  : 4     Preparation Time :0:00", "Categories    : Desserts", "",
                  "  Amount  Measure       Ingredient -- Preparation Method",
                  "--------  ------------  --------------------------------",
                  "   1 1/2  cups" + std::string(10, ' ') + "flour", std::string(24, ' '),
                  "   3" + std::string(20, ' ') + "eggs", "", "Mix well.", "",
                  std::string(19, ' ') + "- - - - - - - - - - - - - - - - - -", "", ""}));
}

TEST(MastercookWriter, ItemPiecesOfFiftyAndWideFractions) {
  struct Case {
    std::string line;
    std::vector<std::string> lines;
  };
  const std::string item = "carrots, peeled, halved lengthwise and cut into thin matchsticks";
  const std::vector<Case> cases = {
      // 64 characters: cut after the last space among the first 50; the rest
  // follows on a continuation line.
      {"2 cups " + item,
       {"   2" + std::string(6, ' ') + "cups" + std::string(10, ' ') + "carrots, peeled, halved lengthwise and cut into ",
        std::string(24, ' ') + "-- thin matchsticks"}},
      // Five-character fractions take the amount's eight columns as one.
      {"1 11/16 cups milk", {" 1 11/16  cups" + std::string(10, ' ') + "milk"}},
      {"1/4 tsp salt", {"     1/4  teaspoon" + std::string(6, ' ') + "salt"}},
      {"Salt to taste", {std::string(24, ' ') + "Salt to taste"}},
  };
  for (const Case& c : cases) {
    const std::string out = Write(WriteMastercookRecipe, Recipe("T", c.line, ""), "C");
    const std::string rule = "--------  ------------  --------------------------------\r\n";
    const size_t at = out.find(rule);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(out.substr(at + rule.size(), Crlf(c.lines).size()), Crlf(c.lines)) << c.line;
  }
}

TEST(OwnTextWriter, ALongIngredientStaysOneLine) {
  const std::string line = "6 cups loosely packed sorrel leaves, the stems removed and the leaves roughly chopped";
  const std::string out = Write(WriteOwnTextRecipe, Recipe("T", line + "\r1 egg", "Mix."), "C");
  EXPECT_NE(out.find("\r\n=\r\n" + line + "\r\n1 egg\r\n.\r\n"), std::string::npos) << out;
}

TEST(MastercookWriter, InformationTextKeepsColumnHeadings) {
  const CurrentRecord r = Recipe("Note", "", "Some text.", 3, kKindInfo);
  const std::string out = Write(WriteMastercookRecipe, r, "Notes");
  EXPECT_NE(out.find("Serving Size  :      Preparation Time :0:00\r\n"), std::string::npos);
  EXPECT_NE(out.find("--------  ------------  --------------------------------\r\n\r\nSome text.\r\n\r\n"),
            std::string::npos);
}

TEST(GenericWriter, DirectionsFormOneLine) {
  const CurrentRecord r = Recipe("Pie", "1 cup flour", "Mix.\rBake.", 2);
  EXPECT_EQ(Write(WriteGenericRecipe, r, "Desserts"),
            "Title: Pie\r\nChapter: Desserts\r\nServings: 2\r\n\r\n1 cup flour\r\n\r\nMix. Bake. \r\n"
            "\r\n\r\n-----\r\n\r\n");
  EXPECT_EQ(Write(WriteGenericRecipe, Recipe("Empty", "", "", 0), "C"),
            "Title: Empty\r\nChapter: C\r\n\r\n\r\n\r\n\r\n-----\r\n\r\n");
}

TEST(RecipeIndexWriter, OneHeadingPerChapterRun) {
  std::string out, previous;
  WriteRecipeIndexEntry("Soups", "Leek", previous, out);
  WriteRecipeIndexEntry("Soups", "Onion", previous, out);
  WriteRecipeIndexEntry("Bread", "Rye", previous, out);
  EXPECT_EQ(out, "Soups\r\n======\r\n  Leek\r\n  Onion\r\n\r\n\r\nBread\r\n======\r\n  Rye\r\n");
}

TEST(XmlEscape, MarkupAndHighBytes) {
  struct Case {
    std::string in, out;
  };
  const std::vector<Case> cases = {
      {"Mac & Cheese", "Mac &amp; Cheese"},
      {"Cr\xe8me br\xfbl\xe9""e", "Cr&#232;me br&#251;l&#233;e"},
      {"<b>\"it's\"</b>", "&lt;b&gt;&quot;it&apos;s&quot;&lt;/b&gt;"},
      {"350\xb0 F", "350&#176; F"},
      {"\x80 \x93x\x94 \x7f \x81", "&#8364; &#8220;x&#8221; &#127; &#129;"},
      {std::string("a\0b\x1f" "c\t", 6), "a?b?c?"},
  };
  for (const Case& c : cases) EXPECT_EQ(XmlEscape(c.in), c.out) << c.in;
}

TEST(RecipeMlWriter, HeadDivisionsIngredientsAndSteps) {
  const CurrentRecord r = Recipe("Mac & Cheese", "1 1/2 cups flour\r2 eggs\rFor the sauce:\r1 cup milk & cream",
                                 "Boil.\rDrain.\r\rBake at 350\xb0.", 4);
  EXPECT_EQ(Write(WriteRecipeMlRecipe, r, "Mains"),
            Crlf({"<recipe>", "<head>", "<title>Mac &amp; Cheese</title>", "<categories>", "<cat>Mains</cat>",
                  "</categories>", "<yield>4</yield>", "</head>", "<ingredients>", "<ing-div>", "<ing>",
                  "<amt><qty>1 1/2</qty><unit>cups</unit></amt>", "<item>flour</item>", "</ing>", "<ing>",
                  "<amt><qty>2</qty><unit></unit></amt>", "<item>eggs</item>", "</ing>", "</ing-div><ing-div>",
                  "<title>For the sauce</title>", "<ing>", "<amt><qty>1</qty><unit>cup</unit></amt>",
                  "<item>milk &amp; cream</item>", "</ing>", "</ing-div>", "</ingredients>", "<directions><step>",
                  "Boil. ", "Drain. ", "</step><step>", "Bake at 350&#176;. ", "</step></directions>",
                  "</recipe>"}));
}

TEST(RecipeMlWriter, FirstLineHeadingEmptyIngredientsAndInformationText) {
  std::string out = Write(WriteRecipeMlRecipe, Recipe("T", "For the crust:\r1 cup flour", "x"), "C");
  EXPECT_NE(out.find("<ing-div>\r\n<title>For the crust</title>\r\n<ing>"), std::string::npos) << out;
  EXPECT_EQ(out.find("</ing-div><ing-div>"), std::string::npos);

  out = Write(WriteRecipeMlRecipe, Recipe("T", "", "x"), "C");
  EXPECT_NE(out.find("<ingredients>\r\n<ing-div>\r\n</ing-div>\r\n</ingredients>\r\n"), std::string::npos) << out;

  out = Write(WriteRecipeMlRecipe, Recipe("Note", "", "Line one\rLine two", 5, kKindInfo), "C");
  EXPECT_EQ(out, Crlf({"<recipe>", "<head>", "<title>Note</title>", "<categories>", "<cat>C</cat>", "</categories>",
                       "</head>", "<ingredients></ingredients>", "<directions><step>", "Line one", "Line two",
                       "</step></directions>", "</recipe>"}));

  out = Write(WriteRecipeMlRecipe, Recipe("Chapter", "", "", 0, kKindChapter), "C");
  EXPECT_EQ(out.find("<ingredients>"), std::string::npos);
  EXPECT_NE(out.find("</head>\r\n</recipe>\r\n"), std::string::npos);
}

TEST(SplitIngredientLine, CarriesAFractionThatRoundsToOne) {
  // 1.97 cups: the fraction rounds up to a whole cup.
  const SplitIngredient s = SplitIngredientLine("1.97 cups flour", 2, 0);
  EXPECT_EQ(s.whole, "2");
  EXPECT_EQ(s.fraction, "");
  EXPECT_EQ(s.unit, "c");
  EXPECT_EQ(s.item, "flour");
}

}  // namespace
}  // namespace pantrela
