#include "ingredients/resize.h"

#include <gtest/gtest.h>

#include "support/scripted_dialogs.h"

namespace pantrela {
namespace {

struct ResizeCase {
  const char* text;
  double ratio;
  int format;
  const char* resized;
};

TEST(ResizeIngredientText, ScalesEveryLine) {
  const ResizeCase cases[] = {
      {"1-1/2 cups flour\r", 2.0, 0, "3 cups flour\r"},
      {"1 cup milk\r", 0.5, 0, "1/2 cup milk\r"},
      {"3 eggs\r", 0.5, 0, "1-1/2 eggs\r"},
      {"1 cup milk\r", 2.0, 1, "2 c milk\r"},
      {"1 Tbsp. oil\r", 3.0, 2, "3 Tbsp. oil\r"},
      // Below 0.0372 the amount still shows, as '0'.
      {"1/16 tsp salt\r", 0.5, 0, "0 teaspoon salt\r"},
      {"1/16 tsp salt\r", 0.0, 0, "teaspoon salt\r"},
      // "1 x" scales its one rather than turning into '0'
      {"1 x 400g can tomatoes\r", 2.0, 0, "2 x 400g can tomatoes\r"},
      {"1 x 400g can tomatoes\r", 1.0, 0, "1 x 400g can tomatoes\r"},
      {"1 x 400g can tomatoes\r", 0.5, 0, "1/2 x 400g can tomatoes\r"},
      // Headings
      {"== SAUCE ==\r", 2.0, 0, "Sauce:\r"},
      {"==  hot  FUDGE sauce: ==\r", 2.0, 0, "Hot Fudge Sauce:\r"},
      {"(FOR THE CRUST):\r", 2.0, 0, "for the crust:\r"},
      {"====\r", 2.0, 0, "\r"},  // no heading, and the parser drops leading "="
      // Punctuation, vulgar fractions and line feeds
      {"2 cups flour,sifted;\r", 2.0, 0, "4 cups flour, sifted\r"},
      {"1\xBD cups milk\r\n", 2.0, 0, "3 cups milk\r"},
      {"\xBD cup milk\r", 2.0, 0, "1 cup milk\r"},
      {"2-3 cups broth\r", 2.0, 0, "2-3 cups broth\r"},
      // Lines without amounts, empty lines and a last line without CR
      {"salt\r\rpepper", 3.0, 0, "salt\r\rpepper\r"},
      {"2 eggs\r1 cup sugar", 2.0, 0, "4 eggs\r2 cups sugar\r"},
      {"\r", 2.0, 0, "\r"},
      {"", 2.0, 0, ""},
  };
  for (const ResizeCase& c : cases) {
    std::string text = c.text;
    ResizeIngredientText(text, c.ratio, c.format);
    EXPECT_EQ(text, c.resized) << c.text << " x " << c.ratio;
  }
}

TEST(ResizeIngredientText, RepeatedResizeKeepsTheLineCount) {
  std::string text = "1 cup milk\r2 eggs\r\rTopping:\r1/4 cup sugar\r";
  for (int i = 0; i < 3; ++i) ResizeIngredientText(text, 1.0, 0);
  EXPECT_EQ(text, "1 cup milk\r2 eggs\r\rTopping:\r1/4 cup sugar\r");
}

TEST(ResizeRecipe, ResizesAndStoresTheDesiredServings) {
  testing::ScriptedDialogs dialogs;
  dialogs.formAnswers = {{"4", "8"}};
  dialogs.buttons = {1};
  uint8_t servings = 4;
  std::string text = "1-1/2 cups flour\r3 eggs\r";
  Settings settings;
  EXPECT_EQ(ResizeRecipe(servings, text, settings, dialogs), 1);
  EXPECT_EQ(servings, 8);
  EXPECT_EQ(text, "3 cups flour\r6 eggs\r");
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].kind, "form");
  EXPECT_EQ(dialogs.shown[0].text, "Resize Recipe Ingredients");
  EXPECT_EQ(dialogs.shown[0].buttons, "Original Servings:|Desired Servings:");
  ASSERT_GE(dialogs.shown[0].items.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].items[0], "4");
}

TEST(ResizeRecipe, CancelChangesNothing) {
  testing::ScriptedDialogs dialogs;
  dialogs.formAnswers = {{"4", "8"}};
  dialogs.buttons = {2};
  uint8_t servings = 4;
  std::string text = "1 cup milk\r";
  EXPECT_EQ(ResizeRecipe(servings, text, Settings{}, dialogs), 0);
  EXPECT_EQ(servings, 4);
  EXPECT_EQ(text, "1 cup milk\r");
}

TEST(ResizeRecipe, ZeroServingsAskAgainWithTheErrorLine) {
  testing::ScriptedDialogs dialogs;
  dialogs.formAnswers = {{"0", "2"}, {"2", "abc"}, {"-3", "0"}, {"2", "300"}};
  dialogs.buttons = {1, 1, 1, 1};
  uint8_t servings = 0;
  std::string text = "1 cup milk\r";
  EXPECT_EQ(ResizeRecipe(servings, text, Settings{}, dialogs), 1);
  ASSERT_EQ(dialogs.shown.size(), 4u);
  EXPECT_EQ(dialogs.shown[0].text, "Resize Recipe Ingredients");
  EXPECT_EQ(dialogs.shown[1].text, "Resize Recipe Ingredients|* Original servings must be larger than zero *");
  EXPECT_EQ(dialogs.shown[2].text, "Resize Recipe Ingredients|* Desired servings must be larger than zero *");
  EXPECT_EQ(dialogs.shown[3].text,
            "Resize Recipe Ingredients|* Original servings must be larger than zero *"
            "|* Desired servings must be larger than zero *");
  // The answers stay in the fields when the form comes back.
  EXPECT_EQ(dialogs.shown[3].items, (std::vector<std::string>{"-3", "0"}));
  // 300 servings are stored as 255; the ratio uses the clamped value.
  EXPECT_EQ(servings, 255);
  EXPECT_EQ(text, "127-1/2 cups milk\r");
}

}  // namespace
}  // namespace pantrela
