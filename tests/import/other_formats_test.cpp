#include "import/other_formats.h"

#include "foundation/file.h"
#include "import/import_files.h"
#include "import/import_formats.h"
#include "import_fixture.h"

namespace pantrela::testing {
namespace {

struct Expected {
  const char* title;
  const char* chapter;
  int servings;
  std::vector<std::string> ingredients;
  const char* directions;
};

struct FormatCase {
  const char* name;
  int code;  // what detection must find
  std::string text;
  std::vector<Expected> recipes;
};

// One sample per line format, as each program lays its export out; every
// one is detected, then read.
TEST_F(ImportTest, LineFormatsReadTheirRecipes) {
  ctx.settings.import_chapter = 1;
  const FormatCase cases[] = {
      {"own.qx", 14,
       "Pantrela Chapter: soups\r\n\r\nLeek soup\r\n=========\r\n2 cups leeks\r\n\r\n1 tsp salt\r\n.\r\n"
       "Chop the leeks and\r\nsimmer.\r\n\r\nServings: nothing here\r\n\r\nServe.\r\n\r\nServings: 4\r\n\r\n"
       "Exported from Pantrela 9.68 (x)\r\n\r\n\r\n"
       "Pantrela Chapter: Notes\r\n\r\nNo Servings Line\r\n================\r\n.\r\nA note.\r\n\r\n"
       "Exported from Pantrela 9.68 (x)\r\n",
       {{"Leek Soup", "Soups", 4, {"2 cups leeks", "", "1 teaspoon salt"},
         "Chop the leeks and simmer.\r\rServings: nothing here\r\rServe.\r"},
        {"No Servings Line", "Notes", 0, {}, "A note.\r"}}},
      {"fs.txt", 12,
       "********** FROM SCRATCH V 2.0  RECIPE BEGINS ********\r\n\r\nTitle    :Corn Bread   \r\n"
       "Serves   :4  \r\nKeyWords :Breads Quick, Baking\r\nIngredients:\r\n  1.00     cup          flour\r\n\r\n"
       "Instructions:\r\nBake 25\r\nminutes.\r\n\r\nNotes:\r\nBest warm.\r\n********** RECIPE ENDS ********\r\n",
       {{"Corn Bread", "Breads", 4, {"1 cup flour"}, "Bake 25 minutes.\r\rNotes:\r\rBest warm.\r"}}},
      {"cw.txt", 8,
       "Exported from Cookbook Wizard\r\nRecipe Name: Chili\r\nCategory: Main, Beef\r\nServings: 6\r\n"
       "Ingredients:\r\n1 lb beef\r\nInstructions:\r\nBrown the beef.\r\n----------\r\n",
       {{"Chili", "Main", 6, {"1 pound beef"}, "Brown the beef.\r"}}},
      {"cc.txt", 5,
       "****************\r\n***** Apple Crisp *****\r\nCategories: desserts, fruit\r\nNumber of servings: 6\r\n"
       "Ingredients ------\r\n4 apples\r\n1 c oats\r\n\r\nBake until crisp.\r\n*** Recipe via Compu-Chef ***\r\n",
       {{"Apple Crisp", "Desserts", 6, {"4 apples", "1 cup oats"}, "Bake until crisp.\r"}}},
      {"bo.txt", 4,
       "-= Exported from BigOven =-\r\n\r\nPot Roast\r\nServing Size: 6\r\nCategories: Beef, Slow\r\n\r\n"
       "-= Ingredients =-\r\n3 lb roast\r\n2 carrots\r\n\r\n-= Instructions =-\r\nCook slowly.\r\n\r\n"
       "This recipe can be pasted into BigOven\r\n"
       "-= Exported from BigOven =-\r\n\r\n\r\n",
       {{"Pot Roast", "Beef", 6, {"3 pounds roast", "2 carrots"}, "Cook slowly.\r"}}},
      {"nyc.txt", 20,
       "@@@@@ Now You're Cooking! Export Format\r\n\r\nlemon bars\r\n\r\ncookies, bars\r\n\r\n1 c flour\r\n"
       "2 eggs\r\n\r\nBake.\r\n\r\nNYC Nutrilink: N1\r\nYield: 16 bars\r\n\r\n** Exported from Now You're Cooking! **\r\n"
       "@@@@@ Now You're Cooking! Export Format\r\n\r\nNo Category\r\n\r\n** Exported from Now You're Cooking! **\r\n",
       {{"Lemon Bars", "Cookies", 16, {"1 cup flour", "2 eggs"}, "Bake.\r\rYield: 16 bars\r"}}},
      {"rp.txt", 21,
       "RPW ----- Recipe Processor\r\ntomato salad\r\nsalads, summer\r\n\r\n3 tomatoes\r\n\r\nSlice.\r\n+++\r\n",
       {{"Tomato Salad", "Salads", 0, {"3 tomatoes"}, "Slice.\r"}}},
      {"ac.out", 3,
       "*****AccuChef V5.0 Import File\r\nAA Taste Of Thai\r\nBVegetables, Rice\r\nD6\r\nH\r\nIcooking spray\r\n"
       "H1.50 Cup\r\nIChicken broth\r\nH1.00 Clove\r\nIGarlic\r\nKminced\r\nHSAUCE-----\r\nH2 Tbsp\r\nIsoy sauce\r\n"
       "J1 Heat the pan.\r\nJ2 Add the rest.\r\nZ.....End of recipe definition\r\n",
       {{"A Taste Of Thai", "Vegetables", 6,
         {"Cooking spray", "1-1/2 cups Chicken broth", "1 clove Garlic, minced", "", "SAUCE:", "2 tablespoons soy sauce"},
         "1 Heat the pan.\r\r2 Add the rest.\r"}}},
      {"ccd.txt", 6,
       "Created using\x0b" "Computer Cuisine Deluxe\x0b\x0bRecipe: Fish Stew\x0bType: Soups\x0bServes: 4\x0b"
       "Ingredients:\x0b" "1 lb cod\x0bMethod:\x0bSimmer.\x0bRecipe Source: Aunt May\x0b----------\x0b",
       {{"Fish Stew", "Soups", 4, {"1 pound cod"}, "Simmer.\r\rRecipe Source: Aunt May\r"}}},
      {"cwd.txt", 10,
       "Ginger Tea\r\nServings: 2\r\nCourse: Drinks, Hot\r\n\r\nTEA ----\r\n1 cup water\r\n\r\nBoil.\r\n\r\n"
       "Exported from Cookware Deluxe\r\n",
       {{"Ginger Tea", "Drinks", 2, {"TEA:", "1 cup water"}, "Boil.\r"}}},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFile(ctx.files.recipe);
    DeleteFile(ctx.files.index);
    collection = std::make_unique<Collection>(ctx);
    OpenCollection(*collection);
    int format = 0;
    WriteBytes(dir / c.name, c.text);
    EXPECT_EQ(ImportList({dir / c.name}, format), int(c.recipes.size()));
    EXPECT_EQ(format, c.code);
    auto stored = Stored();
    ASSERT_EQ(stored.size(), c.recipes.size());
    for (size_t i = 0; i < stored.size(); ++i) {
      const Expected& e = c.recipes[i];
      EXPECT_EQ(stored[i].title, e.title);
      EXPECT_EQ(stored[i].chapter, e.chapter);
      EXPECT_EQ(stored[i].servings, e.servings);
      EXPECT_EQ(Lines(stored[i].ingredients), e.ingredients);
      EXPECT_EQ(stored[i].directions, e.directions);
    }
  }
}

// The own format's photo is Base64 without "=" padding, sized by its
// "Photo:" line.
TEST_F(ImportTest, OwnFormatPhotoText) {
  const std::string text =
      "Pantrela Chapter: X\r\n\r\nPic\r\n===\r\n.\r\nLook.\r\n\r\nPhoto: 4\r\nAAECAwAA\r\n\r\nServings: 0\r\n";
  EXPECT_EQ(ImportText(text, 14, "p.qx"), 1);
  // Four bytes make no photo a codec can read; the builder drops it.
  auto stored = Stored();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].photo, "");
  EXPECT_NE(ReadBytes(ctx.files.statusLog).find("Photo Buffer: 1 - p_size: 4 -"), std::string::npos);
}

std::string EdnaRecord(const std::string& key, const std::string& category, const std::string& title,
                       const std::vector<std::string>& ingredients, const std::vector<std::string>& directions) {
  std::string r(kEdnaRecordSize, ' ');
  auto put = [&r](size_t at, const std::string& s) {
    r[at] = char(s.size());
    r.replace(at + 1, s.size(), s);
  };
  put(2, key);
  put(9, category);
  put(26, "");
  put(77, title);
  for (size_t i = 0; i < ingredients.size(); ++i) put(118 + 34 * i, ingredients[i]);
  for (size_t i = 0; i < directions.size(); ++i) put(526 + 71 * i, directions[i]);
  return r;
}

TEST_F(ImportTest, EdnasCookbookRecords) {
  ctx.settings.import_chapter = 1;
  std::string file = "HEAD";
  file += EdnaRecord("KEY", "CATEGORY", "NAME OF RECIPE", {}, {});
  file += EdnaRecord("0012", "main dishes", "BEEF STEW", {"2 LB BEEF", "  1 ONION "}, {"Brown the beef,", "then stew."});
  file += EdnaRecord("0012a", "", "", {"3 CARROTS"}, {"Serve."});
  file += EdnaRecord("0013", "desserts", "fruit cup", {"1 C BERRIES"}, {"Mix."});
  file += std::string(100, 'x');  // a cut-off last record is not read
  WriteBytes(dir / "RECIPE.DAT", file);
  int format = 0;
  EXPECT_EQ(ImportList({dir / "RECIPE.DAT"}, format), 2);
  EXPECT_EQ(format, 11);
  auto stored = Stored();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0].title, "Beef Stew");
  EXPECT_EQ(stored[0].chapter, "Main Dishes");
  EXPECT_EQ(Lines(stored[0].ingredients), (std::vector<std::string>{"2 pounds beef", "1 onion", "3 carrots"}));
  EXPECT_EQ(stored[0].directions, "Brown the beef, then stew. Serve.\r");
  EXPECT_EQ(stored[1].title, "Fruit Cup");
  EXPECT_EQ(stored[1].chapter, "Desserts");
}

TEST_F(ImportTest, InformationText) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* title;
    std::string text;  // "" when nothing is stored
  } cases[] = {
      {"shopping notes.txt", "Buy eggs.\r\nAnd milk.\n", "Shopping Notes", "Buy eggs.\rAnd milk.\r"},
      {"big.txt", std::string(100000, 'a'), "Big", std::string(64990, 'a') + "\r"},
      // UTF-16 without a byte order mark becomes single-byte text.
      {"wide.txt", std::string("H\0i\0!\0\r\0\n\0", 10), "Wide", "Hi!\r"},
      {"empty.txt", "\r\n\r\n", "", ""},
  };
  int expectedCount = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    expectedCount += c.text.empty() ? 0 : 1;
    ImportText(c.bytes, kFormatInfoText, c.name);
    auto stored = Stored();
    ASSERT_EQ(int(stored.size()), expectedCount);
    if (c.text.empty()) continue;
    EXPECT_EQ(stored.back().title, c.title);
    EXPECT_EQ(stored.back().kind, kKindInfo);
    EXPECT_EQ(stored.back().directions, c.text);
    EXPECT_EQ(stored.back().ingredients, "");
  }
  EXPECT_NE(ReadBytes(ctx.files.statusLog).find("Import skipped: empty.txt, the whole file: the file holds no text"),
            std::string::npos);
}

}  // namespace
}  // namespace pantrela::testing
