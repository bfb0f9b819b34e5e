// pantrela-cli grocery: the seeded catalogue of a new data folder, the
// upgrade of the older grocery file at start-up, and the list routes.
#include <gtest/gtest.h>

#include <algorithm>

#include "cli_run.h"
#include "foundation/file.h"
#include "support/temp_dir.h"

namespace pantrela::testing {
namespace {

TEST(CompanionGrocery, NewDataFolderGetsTheStarterCatalogue) {
  TempDir dir;
  std::string out;
  ASSERT_EQ(RunCli("--data-dir " + dir.path() + " grocery list", &out, false), 0);
  EXPECT_NE(out.find("\tProduce\tTomatoes\t0\t0.00\n"), std::string::npos) << out;
  EXPECT_GT(std::count(out.begin(), out.end(), '\n'), 200);
  // The seed is a file the program could have saved: whole records sorted
  // by location, a heading first, no prices.
  const std::string f = ReadBytes(dir / "Grocery747.dat");
  ASSERT_EQ(f.size() % 200, 0u);
  EXPECT_EQ(f.substr(0, 2), "GS");
  EXPECT_EQ(f[194], 1);
  EXPECT_EQ(f.substr(90, 24), "*** Location Heading ***");
  EXPECT_EQ(f.substr(50, 7), std::string("Bakery\0", 7));
  for (size_t p = 0; p < f.size(); p += 200) EXPECT_EQ(f.substr(p + 6, 4), std::string(4, '\0'));
}

TEST(CompanionGrocery, OlderFileIsUpgradedAndTheListRoutesWork) {
  TempDir dir;
  // One old 100-byte record: counted name, store and location, two
  // quantities and a 16-bit price.
  std::string old = std::string("\x04Milk") + std::string(21, '\0') + "\x04" "Aldi" + std::string(11, '\0') +
                    "\x05" "Dairy" + std::string(10, '\0') + "\x02\x01" + "\x5e\x01";
  old.resize(100, '\0');
  WriteBytes(dir / "Grocer30.dat", old);
  std::string out;
  ASSERT_EQ(RunCli("--data-dir " + dir.path() + " grocery list --view shopping", &out, false), 0);
  EXPECT_EQ(out, "Aldi\tDairy\tMilk\t2\t3.50\n");
  ASSERT_EQ(RunCli("--data-dir " + dir.path() + " grocery add 'Eggs' --store Aldi --location Dairy --price 2.99", &out),
            0)
      << out;
  ASSERT_EQ(RunCli("--data-dir " + dir.path() + " grocery set-quantity eggs 300", &out), 0) << out;
  ASSERT_EQ(RunCli("--data-dir " + dir.path() + " grocery list --json --search 'EGG'", &out, false), 0);
  EXPECT_EQ(out,
            "[\n  {\"name\": \"Eggs\", \"store\": \"Aldi\", \"location\": \"Dairy\", \"quantity\": 255, "
            "\"default_quantity\": 0, \"price_cents\": 299}\n]\n");
  EXPECT_EQ(RunCli("--data-dir " + dir.path() + " grocery remove Bread", &out), 1);
  EXPECT_NE(out.find("no grocery item named \"Bread\""), std::string::npos) << out;
  EXPECT_EQ(RunCli("--data-dir " + dir.path() + " grocery add ' '", &out), 1);
  EXPECT_EQ(RunCli("--data-dir " + dir.path() + " grocery list --view nowhere", &out), 2);
  ASSERT_EQ(RunCli("--data-dir " + dir.path() + " grocery new-list", &out), 0) << out;
  ASSERT_EQ(RunCli("--data-dir " + dir.path() + " grocery list --view shopping", &out, false), 0);
  EXPECT_EQ(out, "Aldi\tDairy\tMilk\t1\t3.50\n");
}

}  // namespace
}  // namespace pantrela::testing
