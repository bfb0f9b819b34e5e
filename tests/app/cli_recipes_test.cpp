// pantrela-cli copy, move and delete on the starter recipes.
#include <gtest/gtest.h>

#include <string>

#include "app/cli_run.h"
#include "support/temp_dir.h"

namespace pantrela::testing {
namespace {

TEST(CliRecipes, CopyMoveAndDeleteByTitleAndByChapter) {
  TempDir dir;
  const std::string data = "--data-dir " + dir.path() + " ";
  std::string out;
  ASSERT_EQ(RunCli(data + "copy --to Desserts 'Buttermilk Pancakes' 'Tomato Lentil Soup'", &out), 0) << out;
  EXPECT_EQ(out, "2 recipes copied to \"Desserts\"\n");
  ASSERT_EQ(RunCli(data + "list --chapter Desserts", &out, false), 0);
  EXPECT_NE(out.find("Buttermilk Pancakes\tDesserts"), std::string::npos) << out;
  ASSERT_EQ(RunCli(data + "list --chapter Breakfast", &out, false), 0);
  EXPECT_NE(out.find("Buttermilk Pancakes\tBreakfast"), std::string::npos) << out;

  ASSERT_EQ(RunCli(data + "move --to Salads --chapter Soups", &out), 0) << out;
  EXPECT_EQ(out, "1 recipe moved to \"Salads\"\n");
  ASSERT_EQ(RunCli(data + "list --chapter Soups", &out, false), 0);
  EXPECT_EQ(out, "");

  ASSERT_EQ(RunCli(data + "--yes delete --chapter Desserts", &out, false), 0);
  ASSERT_EQ(RunCli(data + "list --chapter Desserts", &out, false), 0);
  EXPECT_EQ(out, "");
  ASSERT_EQ(RunCli(data + "list", &out, false), 0);
  EXPECT_NE(out.find("Buttermilk Pancakes\tBreakfast"), std::string::npos) << out;
}

TEST(CliRecipes, UnknownNamesAndBadArgumentsChangeNothing) {
  TempDir dir;
  const std::string data = "--data-dir " + dir.path() + " ";
  std::string before, out;
  ASSERT_EQ(RunCli(data + "list", &before, false), 0);
  EXPECT_EQ(RunCli(data + "copy --to Nowhere 'Buttermilk Pancakes'", &out), 1);
  EXPECT_EQ(out, "pantrela-cli: no chapter named \"Nowhere\"\n");
  EXPECT_EQ(RunCli(data + "move --to Desserts 'No Such Dish'", &out), 1);
  EXPECT_EQ(out, "pantrela-cli: no recipe titled \"No Such Dish\"\n");
  EXPECT_EQ(RunCli(data + "move --to 'All Recipes' 'Buttermilk Pancakes'", &out), 1);
  EXPECT_EQ(RunCli(data + "copy 'Buttermilk Pancakes'", &out), 2);
  EXPECT_EQ(RunCli(data + "delete --chapter Soups 'Buttermilk Pancakes'", &out), 2);
  EXPECT_EQ(RunCli(data + "delete", &out), 2);
  ASSERT_EQ(RunCli(data + "list", &out, false), 0);
  EXPECT_EQ(out, before);
}

}  // namespace
}  // namespace pantrela::testing
