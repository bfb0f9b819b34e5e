#include "ingredients/measures.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "ingredients/ingredient_line.h"
#include "support/scripted_dialogs.h"

namespace pantrela {
namespace {

TEST(FormatQuantity, FractionTable) {
  const std::pair<double, const char*> cases[] = {
      {1.5, "1-1/2"},  {0.25, "1/4"},   {2.97, "3"},     {0.02, "0"},      {0.33, "1/3"},
      {0.65, "2/3"},   {0.64, "5/8"},   {0, "0"},        {3, "3"},         {0.0625, "1/16"},
      {0.125, "1/8"},  {0.1875, "3/16"}, {0.3125, "5/16"}, {0.375, "3/8"}, {0.4375, "7/16"},
      {0.5625, "9/16"}, {0.67, "2/3"},  {0.6875, "11/16"}, {0.75, "3/4"},  {0.8125, "13/16"},
      {0.875, "7/8"},  {0.9375, "15/16"}, {0.97, "1"},   {2.03, "2"},      {12.5, "12-1/2"},
      {-1.5, "-1"},    {21474836.47, "21474836-1/2"},
  };
  for (auto [value, text] : cases) EXPECT_EQ(FormatQuantity(value), text) << value;
}

TEST(FormatQuantity, BoundsAreSinglePrecision) {
  // 0.0372f lies just above 0.0372; a fraction between the two still has no
  // text. 0.6475f lies just below 0.6475, so 0.6475 itself is already 2/3.
  EXPECT_LT(0.0372, double(0.0372f));
  EXPECT_EQ(FormatQuantity(0.0372), "0");
  EXPECT_GT(0.6475, double(0.6475f));
  EXPECT_EQ(FormatQuantity(0.6475), "2/3");
  EXPECT_EQ(FormatQuantity(std::numeric_limits<double>::quiet_NaN()), "0");
  EXPECT_EQ(FormatQuantity(std::numeric_limits<double>::infinity()), "0");
  EXPECT_EQ(FormatQuantity(1e300), "9000000000000000000");
}

TEST(FormatIngredientLine, AmountUnitAndItem) {
  struct Case {
    int32_t quantity;
    const char* unit;
    const char* item;
    const char* line;
  };
  const Case cases[] = {
      {4, "cup", "milk", "cup milk"},
      {5, "cup", "milk", "1/16 cup milk"},
      {0, "", "salt", "salt"},
      {150, " cups ", " flour ", "1-1/2 cups flour"},
      {200, "", "eggs", "2 eggs"},
      {200, "", "", "2"},
      {0, "", "", ""},
      {-300, "cups", "water", "cups water"},
      {INT32_MAX, "", "x", "21474836-1/2 x"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatIngredientLine(c.quantity, c.unit, c.item), c.line) << c.quantity;
}

TEST(FormatIngredientLine, RebuildsParsedLines) {
  struct Case {
    const char* line;
    int format;
    const char* rebuilt;
  };
  const Case cases[] = {
      {"1\xBD cups flour", 0, "1-1/2 cups flour"},
      {"1\xBD cups flour", 1, "1-1/2 c flour"},
      {"1 1/2 Tbsp. olive oil", 2, "1-1/2 Tbsp. olive oil"},
      {"2 Tbsp. butter", 0, "2 tablespoons butter"},
      {"1 x 400g can tomatoes", 0, "400g can tomatoes"},
      {"2-3 cups broth", 0, "2-3 cups broth"},
      {"15/16 cup sugar", 0, "15/16 cup sugar"},
      {".33 cup sugar", 0, "1/3 cup sugar"},
  };
  for (const Case& c : cases) {
    ParsedIngredient p = ParseIngredientLine(c.line, 1.0, c.format);
    EXPECT_EQ(FormatIngredientLine(p.quantity, p.unit, p.item), c.rebuilt) << c.line;
  }
}

TEST(CleanImportLine, NormalisesImportedText) {
  const std::pair<std::string, std::string> cases[] = {
      {"1 \xBD cups", "1 1/2 cups"},
      {"(-1/2 cup)", "(1/2 cup)"},
      {"----", ""},
      {"--2 cups", "2 cups"},
      {"a\tb\nc", "a bc"},
      {std::string("a\0b", 3), "ab"},
      {"Brand\x99 sauce\xAE \xA9", "Brand sauce "},
      {"salt , pepper .", "salt, pepper."},
      {"Grandma\x92s", "Grandma's"},
      {"<b>Sauce</B> <B>x</b>", "Sauce x"},
      {"2 -1/2 cups", "2 1/2 cups"},
      {"2 -7/8 cups", "2 7/8 cups"},
      {"2 -8/9 cups", "2 -8/9 cups"},
      {"(-1/5 tsp) (-1/7 tsp)", "(1/5 tsp) (-1/7 tsp)"},
      {"1 / 2 cup", "1/2 cup"},
      {"3 / 4 cup", "3/4 cup"},
      {"2 1 /4 cups", "2 1/4 cups"},
      {"\xBC\xBE", "1/43/4"},
      {"", ""},
  };
  for (const auto& [in, out] : cases) {
    std::string s = in;
    CleanImportLine(s);
    EXPECT_EQ(s, out) << in;
  }
}

TEST(IngredientFormat, LabelsAndChoice) {
  EXPECT_EQ(IngredientFormatLabel(0), "Full Measures");
  EXPECT_EQ(IngredientFormatLabel(1), "Abbreviated Measures");
  EXPECT_EQ(IngredientFormatLabel(2), "No Formatting (keep original)");
  EXPECT_EQ(IngredientFormatLabel(3), "");

  testing::ScriptedDialogs dialogs;
  dialogs.choices = {2, 0};
  dialogs.buttons = {1, 2};
  int32_t format = 1;
  EXPECT_TRUE(ChooseIngredientFormat(dialogs, format));
  EXPECT_EQ(format, 2);
  EXPECT_FALSE(ChooseIngredientFormat(dialogs, format));  // Cancel keeps the value
  EXPECT_EQ(format, 2);
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(dialogs.shown[0].text, "Select Format of Ingredient Measurements");
  EXPECT_EQ(dialogs.shown[0].buttons, "OK|Cancel");
  EXPECT_EQ(dialogs.shown[0].items,
            (std::vector<std::string>{"Full Measures", "Abbreviated Measures", "No Formatting (keep original)"}));
}

}  // namespace
}  // namespace pantrela
