#include <gtest/gtest.h>

#include "database/listing.h"
#include "db_fixture.h"

namespace pantrela::testing {
namespace {

using ListingTest = DbTest;

TEST_F(ListingTest, ListsAndOneRecipeAsText) {
  WriteBytes(ctx.files.recipe, RawChapter(500, "Soups") +
                                   RawRecord(1, 500, 0, {{1, "Leek Soup"}, {2, "2 leeks\r1 onion"}, {3, "Cook."}}, 7, 4) +
                                   RawRecipe(2, 777, "Lost Soup") + RawRecipe(3, 500, "Leek Soup", "other"));
  OpenCollection(db);
  EXPECT_EQ(ChapterListText(db),
            "All Recipes\r\nSearch Results\r\nRecipes Selected For Meals\r\nRecipes With Photos\r\nSoups\r\n");
  EXPECT_EQ(RecipeListText(db), "Leek Soup\tSoups\r\nLeek Soup\tSoups\r\nLost Soup\t* No Assigned Chapter\r\n");
  uint32_t e = FindRecipeByTitle(db, "Leek Soup");
  ASSERT_NE(e, kNoEntry);
  EXPECT_EQ(FindRecipeByTitle(db, "leek soup"), kNoEntry);
  db.LoadCurrent(db.Entry(e).fileOffset());
  EXPECT_EQ(RecipeText(db.current()), "Leek Soup\rServes 4\r\r2 leeks\r1 onion\r\rCook.\r");
  db.current().setServings(0);
  db.current().ingredients.clear();
  EXPECT_EQ(RecipeText(db.current()), "Leek Soup\r\r\rCook.\r");
}

// Records as the JSON objects scripts read: UTF-8, escapes, line lists and
// photos of every kind the program decodes.
TEST_F(ListingTest, RecipesAsJson) {
  const std::string png = ReadBytes(std::string(PANTRELA_TEST_DATA) + "/photos/red_green.png");
  const std::string gif = ReadBytes(std::string(PANTRELA_TEST_DATA) + "/photos/small.gif");
  const std::string ico = ReadBytes(std::string(PANTRELA_TEST_DATA) + "/photos/icon.ico");
  ASSERT_FALSE(png.empty());
  WriteBytes(ctx.files.recipe,
             RawChapter(500, "Caf\xE9s") +
                 RawRecord(-9007199254740993, 500, 0,
                           {{1, "Cr\xE8me \"Br\xFBl\xE9\e\" \\ \x80"},
                            {2, "Custard:\r1 cup cream\r\rTopping:\r\xBD cup sugar\r"},
                            {3, "Heat.\r\rBurn\tthe top.\x01\r"},
                            {5, png}},
                           7, 6) +
                 RawRecord(11, 777, 1, {{1, "Note"}, {3, "Plain text"}, {5, gif}}) +
                 RawRecord(12, 500, 0, {{1, "Icon"}, {5, ico}}) + RawRecord(13, 500, 0, {{1, "Bad"}, {5, "\xFF\xD8\xFFxx"}}) +
                 RawRecord(14, 500, 0, {{1, "Odd"}, {5, "abc"}}));
  OpenCollection(db);
  auto json = [&](const std::string& title) {
    uint32_t e = FindRecipeByTitle(db, title);
    EXPECT_NE(e, kNoEntry) << title;
    if (e == kNoEntry) return std::string();
    db.LoadCurrent(db.Entry(e).fileOffset());
    return RecipeJson(db, db.current());
  };
  EXPECT_EQ(json("Cr\xE8me \"Br\xFBl\xE9\e\" \\ \x80"),
            "{\"title\": \"Cr\xC3\xA8me \\\"Br\xC3\xBBl\xC3\xA9\\u001b\\\" \\\\ \xE2\x82\xAC\", "
            "\"chapter\": \"Caf\xC3\xA9s\", \"servings\": 6, "
            "\"ingredients\": [\"Custard:\", \"1 cup cream\", \"\", \"Topping:\", \"\xC2\xBD cup sugar\"], "
            "\"directions\": \"Heat.\\n\\nBurn\\tthe top.\\u0001\\n\", \"kind\": \"recipe\", "
            "\"record_id\": -9007199254740993, "
            "\"photo\": {\"type\": \"png\", \"bytes\": 267, \"width\": 2, \"height\": 1}}");
  EXPECT_EQ(json("Note"),
            "{\"title\": \"Note\", \"chapter\": \"* No Assigned Chapter\", \"servings\": 0, \"ingredients\": [], "
            "\"directions\": \"Plain text\", \"kind\": \"information\", \"record_id\": 11, "
            "\"photo\": {\"type\": \"gif\", \"bytes\": 44, \"width\": 3, \"height\": 2}}");
  EXPECT_NE(json("Icon").find("\"photo\": {\"type\": \"ico\", \"bytes\": 1150, \"width\": 16, \"height\": 16}}"),
            std::string::npos);
  // Bytes that do not decode keep their type and size.
  EXPECT_NE(json("Bad").find("\"photo\": {\"type\": \"jpg\", \"bytes\": 5, \"width\": 0, \"height\": 0}}"),
            std::string::npos);
  EXPECT_NE(json("Odd").find("\"photo\": {\"type\": null, \"bytes\": 3, \"width\": 0, \"height\": 0}}"),
            std::string::npos);
}

}  // namespace
}  // namespace pantrela::testing
