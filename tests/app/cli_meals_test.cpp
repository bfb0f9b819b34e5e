// pantrela-cli meals on the starter recipes.
#include <gtest/gtest.h>

#include <string>

#include "app/cli_run.h"
#include "foundation/file.h"
#include "support/temp_dir.h"

namespace pantrela::testing {
namespace {

TEST(CliMeals, AddListMoveCopyRemoveAndExport) {
  TempDir dir;
  const std::string data = "--data-dir " + dir.path() + " meals ";
  std::string out;
  ASSERT_EQ(RunCli(data + "add 2031-05-02 dinner 'Buttermilk Pancakes'", &out), 0) << out;
  ASSERT_EQ(RunCli(data + "add 2031-05-02 '1 pm' --note 'Caf\xc3\xa9 with Ann'", &out), 0) << out;
  ASSERT_EQ(RunCli(data + "add 2031-05-01 Lunch 'No Such Recipe'", &out), 1);
  EXPECT_NE(out.find("no recipe titled"), std::string::npos);
  EXPECT_EQ(RunCli(data + "add 2031-02-30 Lunch --note x", &out), 2);
  EXPECT_EQ(RunCli(data + "add 2031-02-03 Teatime --note x", &out), 2);

  ASSERT_EQ(RunCli(data + "list --from 2031-05-01 --days 7", &out, false), 0);
  EXPECT_EQ(out, "2031-05-02\tDinner\tButtermilk Pancakes\n2031-05-02\t1 pm\tCaf\xc3\xa9 with Ann\n");
  ASSERT_EQ(RunCli(data + "list --json --from 2031-05-02 --days 1 --time '1 pm'", &out, false), 0);
  EXPECT_EQ(out.rfind("[\n{\"date\": \"2031-05-02\", \"time\": \"1 pm\", \"kind\": \"note\", \"title\": \"Caf\xc3\xa9 with "
                      "Ann\", \"marked\": false, \"id\": ",
                      0),
            0u)
      << out;
  ASSERT_EQ(RunCli(data + "list --from 2032-01-01", &out, false), 0);
  EXPECT_EQ(out, "");

  ASSERT_EQ(RunCli(data + "copy 2031-05-02 --time dinner 2031-05-09", &out), 0) << out;
  ASSERT_EQ(RunCli(data + "move 2031-05-02 --title 'Buttermilk Pancakes' 2031-05-03", &out), 0) << out;
  ASSERT_EQ(RunCli(data + "list --from 2031-05-01", &out, false), 0);
  EXPECT_EQ(out, "2031-05-02\t1 pm\tCaf\xc3\xa9 with Ann\n2031-05-03\tDinner\tButtermilk Pancakes\n"
                 "2031-05-09\tDinner\tButtermilk Pancakes\n");
  EXPECT_EQ(ReadBytes(dir / "Event860.dat").size(), 300u);

  ASSERT_EQ(RunCli(data + "export --from 2031-05-03 --days 1 -o -", &out, false), 0);
  EXPECT_NE(out.find("\r\n\r\n\r\nSaturday, May 03, 2031\r\n----------------------\r\nDinner - Buttermilk Pancakes\r\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(out.find("May 09"), std::string::npos);
  ASSERT_EQ(RunCli(data + "export -o " + dir.path() + "list.txt", &out), 0) << out;
  EXPECT_EQ(ReadBytes(dir / "list.txt").rfind("Pantrela Meal List\r\n", 0), 0u);

  ASSERT_EQ(RunCli(data + "remove 2031-05-09", &out), 0) << out;
  EXPECT_EQ(RunCli(data + "remove 2031-05-09", &out), 1);
  EXPECT_EQ(ReadBytes(dir / "Event860.dat").size(), 200u);
}

}  // namespace
}  // namespace pantrela::testing
