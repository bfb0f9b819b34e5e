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

}  // namespace
}  // namespace pantrela::testing
