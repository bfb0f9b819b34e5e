#include "ingredients/ingredient_line.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace pantrela {
namespace {

struct ParseCase {
  const char* line;
  int format;
  int32_t quantity;
  const char* unit;
  const char* item;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << '"' << c.line << "\" format " << c.format; }

class ParseTable : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseTable, SplitsQuantityUnitAndItem) {
  const ParseCase& c = GetParam();
  ParsedIngredient p = ParseIngredientLine(c.line, 1.0, c.format);
  EXPECT_EQ(p.quantity, c.quantity) << c.line;
  EXPECT_EQ(p.unit, c.unit) << c.line;
  EXPECT_EQ(p.item, c.item) << c.line;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ParseTable,
    ::testing::Values(
        // Vulgar fractions and styles
        ParseCase{"1\xBD cups flour", 0, 150, "cups", "flour"},
        ParseCase{"1\xBD cups flour", 1, 150, "c", "flour"},
        ParseCase{"1\xBD cups flour", 2, 150, "cups", "flour"},
        ParseCase{"2 Tbsp. butter", 0, 200, "tablespoons", "butter"},
        ParseCase{"2 Tbsp. butter", 1, 200, "tb", "butter"},
        ParseCase{"2 Tbsp. butter", 2, 200, "Tbsp.", "butter"},
        ParseCase{"1 T sugar", 0, 100, "tablespoon", "sugar"},
        ParseCase{"1 t sugar", 0, 100, "teaspoon", "sugar"},
        ParseCase{"2 T sugar", 1, 200, "tb", "sugar"},
        // Cloves and garlic
        ParseCase{"3 cloves garlic", 0, 300, "cloves", "garlic"},
        ParseCase{"3 cloves Garlic, minced", 1, 300, "cl", "Garlic, minced"},
        ParseCase{"3 cl cream", 0, 300, "cl", "cream"},
        ParseCase{"1 clove garlic", 0, 100, "clove", "garlic"},
        // Fractions and mixed numbers
        ParseCase{"11/2 cups sugar", 0, 150, "cups", "sugar"},
        ParseCase{"12/8 cups sugar", 0, 125, "cups", "sugar"},
        ParseCase{"15/16 cup milk", 0, 94, "cup", "milk"},
        ParseCase{"1 1/2 cups milk", 0, 150, "cups", "milk"},
        ParseCase{"1-1/2 cups milk", 0, 150, "cups", "milk"},
        ParseCase{"1 11/16 cups milk", 0, 169, "cups", "milk"},
        ParseCase{"1 1/2 cups", 0, 150, "", "cups"},
        ParseCase{"1 / 2 cup milk", 0, 50, "cup", "milk"},
        ParseCase{"1/8 tsp salt", 0, 12, "teaspoon", "salt"},  // 12.5 goes to the even 12
        ParseCase{"3/8 tsp salt", 0, 38, "teaspoon", "salt"},  // 37.5 goes to the even 38
        ParseCase{"1.5 lb beef", 0, 150, "pounds", "beef"},
        ParseCase{"1/2 3 eggs", 0, 50, "", "3 eggs"},
        // Ranges and blanks
        ParseCase{"2-3 cups broth", 0, 0, "", "2-3 cups broth"},
        ParseCase{"2 - 3 cups broth", 0, 200, "", "- 3 cups broth"},
        ParseCase{"1/2-1 cup water", 0, 0, "", "1/2-1 cup water"},
        // Special prefixes
        ParseCase{"1 x 400g can tomatoes", 0, 1, "", "400g can tomatoes"},
        ParseCase{"0.00 salt to taste", 0, 1, "", "salt to taste"},
        // Short lines
        ParseCase{"2 cups", 0, 200, "", "cups"},
        ParseCase{"2 g", 0, 200, "", "g"},
        ParseCase{"12", 0, 0, "", ""},
        ParseCase{"1 2 3", 0, 0, "", ""},
        ParseCase{"5", 0, 0, "", "5"},
        ParseCase{"", 0, 0, "", ""},
        // Leading punctuation and dashes
        ParseCase{"- \xBC tsp salt", 0, 25, "teaspoon", "salt"},
        ParseCase{"* 2 cups flour", 0, 200, "cups", "flour"},
        ParseCase{"-- 1/2 cup oil", 0, 50, "cup", "oil"},
        ParseCase{"\t2\tcups  flour\n", 0, 200, "cups", "flour"},
        ParseCase{"2 cups flour -- sifted", 0, 200, "cups", "flour - sifted"},
        ParseCase{"2 cups flour ---- sifted", 0, 200, "cups", "flour, sifted"},
        // Units only as the first word, with their plural rules
        ParseCase{"2 large eggs", 0, 200, "large", "eggs"},
        ParseCase{"2 large eggs", 1, 200, "lg", "eggs"},
        ParseCase{"salt and pepper", 0, 0, "", "salt and pepper"},
        ParseCase{"2 pinches salt", 0, 200, "pinches", "salt"},
        ParseCase{"2 ds salt", 0, 200, "", "ds salt"},
        ParseCase{"2 dg salt", 0, 200, "dgs", "salt"},
        ParseCase{"3 x eggs", 0, 300, "each", "eggs"},
        ParseCase{"2 g sugar", 0, 200, "g", "sugar"},
        ParseCase{"2 lbs. beef", 2, 200, "lbs.", "beef"},
        // Lines as recipe web pages write them
        ParseCase{"1 14- ounce can of full fat coconut milk", 0, 100, "", "14- ounce can of full fat coconut milk"},
        ParseCase{"2 boxes (3.4 oz each) pudding mix", 0, 200, "boxes", "(3.4 oz each) pudding mix"},
        ParseCase{"1 and 1/3 cup (167g) flour", 0, 100, "", "and 1/3 cup (167g) flour"},
        ParseCase{"2 (5.5-ounce) servings ramen", 0, 200, "", "(5.5-ounce) servings ramen"},
        ParseCase{"2\xBC cups uncooked rice", 0, 225, "cups", "uncooked rice"},
        ParseCase{"350 g d'aubergine", 0, 35000, "g", "d'aubergine"},
        ParseCase{"6 c.\xE0.s d'huile d'olive", 0, 600, "cups", "d'huile d'olive"},  // letters "cs" read as cups
        // A zero denominator gives no quantity
        ParseCase{"1/0 cup water", 0, 0, "cup", "water"},
        ParseCase{"1 1/0 cup water", 0, 0, "cup", "water"},
        ParseCase{"1/ 2 cup water", 0, 0, "", "2 cup water"},
        // Overflow clamps within 32 bits
        ParseCase{"99999999999999999999 cups", 0, INT32_MAX, "", "cups"},
        ParseCase{"1/0.0000000001 cup", 0, INT32_MAX, "", "cup"}));

TEST(ParseIngredientLine, ScalesBeforeChoosingThePlural) {
  ParsedIngredient p = ParseIngredientLine("1 cup milk", 2.0, 0);
  EXPECT_EQ(p.quantity, 200);
  EXPECT_EQ(p.unit, "cups");
  // Scaling rounds the stored hundredths again: 94 x 0.5 = 47.
  EXPECT_EQ(ParseIngredientLine("15/16 cup", 0.5, 0).quantity, 47);
  EXPECT_EQ(ParseIngredientLine("1 x 400g can", 2.5, 0).quantity, 2);  // 2.5 to even
  EXPECT_EQ(ParseIngredientLine("20000000 cups", 1000.0, 0).quantity, INT32_MAX);
  EXPECT_EQ(ParseIngredientLine("2 cups", std::nan(""), 0).quantity, 0);
}

struct UnitCase {
  UnitStyle style;
  int32_t quantity;
  const char* word;
  const char* line;
  const char* unit;
};

TEST(RecognizeUnit, VocabularyPluralsAndSpecialRules) {
  const UnitCase cases[] = {
      {UnitStyle::Full, 100, "cup", "", "cup"},
      {UnitStyle::Full, 101, "cup", "", "cups"},
      {UnitStyle::Full, 200, "C", "", "cups"},
      {UnitStyle::Abbreviated, 200, "cups", "", "c"},
      {UnitStyle::Full, 200, "T", "", "tablespoons"},
      {UnitStyle::Full, 200, "t", "", "teaspoons"},
      {UnitStyle::Full, 200, "Ts", "", "teaspoons"},
      {UnitStyle::Full, 100, "tbs", "", "tablespoon"},
      {UnitStyle::Abbreviated, 100, "Tbsp.", "", "tb"},
      {UnitStyle::Full, 200, "teaspooons", "", "teaspoons"},
      {UnitStyle::Full, 300, "pinch", "", "pinches"},
      {UnitStyle::Full, 300, "box", "", "boxes"},
      {UnitStyle::Full, 300, "bunches", "", "bunches"},
      {UnitStyle::Full, 300, "dashes", "", "dashes"},
      {UnitStyle::Full, 300, "ml", "", "ml"},
      {UnitStyle::Full, 300, "Milliliters", "", "ml"},
      {UnitStyle::Full, 300, "kilograms", "", "kg"},
      {UnitStyle::Full, 300, "cg", "", "cgs"},
      {UnitStyle::Full, 300, "med", "", "medium"},
      {UnitStyle::Full, 300, "sm", "", "small"},
      {UnitStyle::Full, 300, "ea", "", "each"},
      {UnitStyle::Full, 300, "liters", "", "liters"},
      {UnitStyle::Abbreviated, 300, "liters", "", "l"},
      {UnitStyle::Full, 300, "gal", "", "gallons"},
      {UnitStyle::Full, 300, "clove", "cloves GARLIC", "cloves"},
      {UnitStyle::Full, 300, "clove", "cloves shallot", "cl"},
      {UnitStyle::Abbreviated, 300, "clove", "cloves garlic", "cl"},
      {UnitStyle::Full, 300, "centiliters", "centiliters milk", "cl"},
      {UnitStyle::Full, 300, "oz.", "", "ounces"},
      {UnitStyle::Full, 300, "(oz)", "", "ounces"},
      {UnitStyle::Full, 300, "400g", "", ""},
      {UnitStyle::Full, 300, "...", "", ""},
      {UnitStyle::Full, 300, "s", "", ""},
      {UnitStyle::Full, 300, "eggs", "", ""},
      {UnitStyle::Full, 300, "", "", ""},
  };
  for (const UnitCase& c : cases) {
    EXPECT_EQ(RecognizeUnit(c.style, c.quantity, c.word, c.line), c.unit)
        << c.word << " style " << int(c.style) << " quantity " << c.quantity;
  }
}

TEST(TextHelpers, CollapseSpaces) {
  const std::pair<const char*, const char*> cases[] = {
      {"  a   b  ", "a b"},
      {"a\tb\nc", "abc"},
      {"a \t b", "a b"},
      {"", ""},
      {"   ", ""},
      {"a\x0B b", "a\x0B b"},  // only codes 0 to 10 are removed
  };
  for (auto [in, out] : cases) {
    std::string s = in;
    CollapseSpaces(s);
    EXPECT_EQ(s, out) << in;
  }
  std::string withNul("a\0  b", 5);
  CollapseSpaces(withNul);
  EXPECT_EQ(withNul, "a b");
}

TEST(TextHelpers, LeadingInteger) {
  const std::pair<const char*, int32_t> cases[] = {
      {"Serves 4-6", 4}, {"2.5", 2}, {"", 0}, {"none", 0}, {"  12 people", 12},
      {"Makes about 24 cookies", 24}, {"99999999999", INT32_MAX},
  };
  for (auto [in, out] : cases) EXPECT_EQ(LeadingInteger(in), out) << in;
}

TEST(TextHelpers, TitleCase) {
  const std::pair<const char*, const char*> cases[] = {
      {"grandma's apple pie", "Grandma's Apple Pie"},
      {"GRANDMA'S APPLE PIE", "Grandma's Apple Pie"},
      {"'twas night", "'Twas Night"},
      {"o'brien stew", "O'brien Stew"},
      {"rocky road ii", "Rocky Road II"},
      {"ROCKY ROAD III", "Rocky Road III"},
      {"chili-lime 2nd batch", "Chili-Lime 2Nd Batch"},
      {"cr\xC8ME br\xFBL\xC9E", "Cr\xE8me Br\xFBl\xE9e"},
      {"a\rb", "A\rb"},  // a carriage return is not remembered
      {"", ""},
      {"ii", "II"},
      // A trailing "ii" inside a word is no roman numeral.
      {"chicken hawaii", "Chicken Hawaii"},
  };
  for (auto [in, out] : cases) {
    std::string s = in;
    TitleCase(s);
    EXPECT_EQ(s, out) << in;
  }
}

}  // namespace
}  // namespace pantrela
