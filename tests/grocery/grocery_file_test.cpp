// The grocery file: its bytes, the marker scan, the four orders with their
// headings, the views, the edits and the upgrade of the older file.
#include <sys/stat.h>
#include <unistd.h>

#include "grocery_fixture.h"
#include <functional>

#include "foundation/file.h"
#include "support/file_faults.h"

namespace pantrela::testing {
namespace {

using grocery::Item;

Item MakeItem(const std::string& name, const std::string& store, const std::string& location, int32_t price = 0,
              uint8_t quantity = 0, uint8_t def = 0) {
  Item it;
  it.name = name;
  it.store = store;
  it.location = location;
  it.price = price;
  it.quantity = quantity;
  it.defaultQuantity = def;
  return it;
}

TEST_F(GroceryTest, AddingToAnEmptyFolderWritesAHeadingAndTheRecord) {
  list.Load();
  dialogs.formAnswers.push_back({"  Milk ", "Aldi", "Dairy", "$3.50", "2 cartons"});
  list.EditItem(true);
  EXPECT_EQ(File(), HandHeading("Aldi", "Dairy") + HandRecord("Milk", "Aldi", "Dairy", 350, 0, 2, 0, 123456789));
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "Add Grocery Item");
  EXPECT_EQ(dialogs.shown[0].buttons, "Item|Store|Location|Price|Default Quantity");
  EXPECT_EQ(dialogs.shown[0].items, (std::vector<std::string>{"", "", "", "0.00", "0"}));
  EXPECT_EQ(list.selected, 1);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"[Aldi: Dairy]", "Milk"}));
}

TEST_F(GroceryTest, TypedPriceAndQuantity) {
  const struct {
    const char* text;
    int32_t cents;
  } prices[] = {{"$3.50", 350}, {"12345", 999900}, {"abc", 0}, {"0.125", 12}, {"0.135", 14}, {"", 0}, {"2", 200}};
  for (const auto& c : prices) EXPECT_EQ(grocery::ParsePrice(c.text), c.cents) << c.text;
  const struct {
    const char* text;
    int q;
  } quantities[] = {{"3", 3}, {"300", 255}, {"x", 0}, {"about 4", 4}};
  for (const auto& c : quantities) EXPECT_EQ(grocery::ParseQuantity(c.text), c.q) << c.text;
}

TEST_F(GroceryTest, EditFormMessages) {
  list.Load();
  list.EditItem(false);
  list.DeleteRow();
  dialogs.formAnswers.push_back({"   ", "Aldi", "", "1", "1"});
  list.EditItem(true);
  EXPECT_EQ(dialogs.Messages(), (std::vector<std::string>{"There are no grocery items", "There are no grocery items",
                                                          "Add Grocery Item", "Every grocery item must have a name."}));
  EXPECT_FALSE(Exists(ctx.files.grocery) && !File().empty());
}

TEST_F(GroceryTest, EditingKeepsTheShoppingQuantityAndMarksTheRecord) {
  Seed(HandHeading("", "Produce") + HandRecord("Apples", "", "Produce", 99, 3, 1, 0, 123456789) +
       HandRecord("Pears", "", "Produce", 120, 0, 0));
  list.selected = 2;
  dialogs.formAnswers.push_back({"Pears", "", "Fruit", "1.25", "4"});
  list.EditItem(false);
  EXPECT_EQ(dialogs.shown[0].items, (std::vector<std::string>{"Pears", "", "Produce", "1.20", "0"}));
  EXPECT_EQ(File(), HandHeading("", "Fruit") + HandRecord("Pears", "", "Fruit", 125, 0, 4, 0, 123456789) +
                        HandHeading("", "Produce") + HandRecord("Apples", "", "Produce", 99, 3, 1));
  EXPECT_EQ(list.selected, 1);
}

TEST_F(GroceryTest, OrdersAndHeadings) {
  const std::string items = HandRecord("milk", "Aldi", "Dairy", 300, 0) + HandRecord("Bread", "aldi", "Bakery", 250, 2) +
                            HandRecord("Eggs", "ALDI", "dairy", 199, 5) + HandRecord("apples", "", "Produce", 400, 1);
  const struct {
    int order;
    std::string file;
  } cases[] = {
      {0, HandHeading("", "Produce") + HandRecord("apples", "", "Produce", 400, 1) + HandHeading("aldi", "Bakery") +
              HandRecord("Bread", "aldi", "Bakery", 250, 2) + HandHeading("ALDI", "dairy") +
              HandRecord("Eggs", "ALDI", "dairy", 199, 5) + HandRecord("milk", "Aldi", "Dairy", 300, 0)},
      {1, HandHeading("", "Produce") + HandRecord("apples", "", "Produce", 400, 1) + HandHeading("aldi", "Bakery") +
              HandRecord("Bread", "aldi", "Bakery", 250, 2) + HandHeading("ALDI", "dairy") +
              HandRecord("Eggs", "ALDI", "dairy", 199, 5) + HandRecord("milk", "Aldi", "Dairy", 300, 0)},
      {2, HandHeading("ALDI", "dairy") + HandRecord("Eggs", "ALDI", "dairy", 199, 5) + HandHeading("aldi", "Bakery") +
              HandRecord("Bread", "aldi", "Bakery", 250, 2) + HandHeading("", "Produce") +
              HandRecord("apples", "", "Produce", 400, 1) + HandHeading("Aldi", "Dairy") +
              HandRecord("milk", "Aldi", "Dairy", 300, 0)},
      {3, HandHeading("ALDI", "dairy") + HandRecord("Eggs", "ALDI", "dairy", 199, 5) + HandHeading("aldi", "Bakery") +
              HandRecord("Bread", "aldi", "Bakery", 250, 2) + HandHeading("Aldi", "Dairy") +
              HandRecord("milk", "Aldi", "Dairy", 300, 0) + HandHeading("", "Produce") +
              HandRecord("apples", "", "Produce", 400, 1)},
  };
  for (const auto& c : cases) {
    Seed(items);
    ctx.settings.grocery_sort = c.order;
    ASSERT_TRUE(list.SortAndSave(c.order));
    EXPECT_EQ(File(), c.file) << "order " << c.order;
  }
  // By name the headings stay in the file but All Items lists none.
  ctx.settings.grocery_sort = 1;
  Seed(cases[1].file);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"apples", "Bread", "Eggs", "milk"}));
  ctx.settings.grocery_sort = 0;
  list.Load();
  EXPECT_EQ(Rows(), (std::vector<std::string>{"[Produce]", "apples", "[aldi: Bakery]", "Bread", "[ALDI: dairy]", "Eggs",
                                              "milk"}));
  EXPECT_EQ(list.itemCount, 4);
  EXPECT_EQ(list.total, 400 + 2 * 250 + 5 * 199);
  // The shopping list brings the nearest heading of each group along.
  list.view = grocery::kViewShopping;
  list.BuildRows();
  EXPECT_EQ(Rows(), (std::vector<std::string>{"[Produce]", "apples", "[aldi: Bakery]", "Bread", "[ALDI: dairy]", "Eggs"}));
  EXPECT_EQ(list.itemCount, 3);
}

TEST_F(GroceryTest, DamagedRecordsAreSteppedOver) {
  std::string broken = HandRecord("Broken", "", "X");
  broken[199] = 'x';  // "GE" damaged
  const std::string good = HandRecord("Good", "", "X", 0, 1);
  Seed(HandRecord("First", "", "X") + broken + good + "GS torn");
  EXPECT_EQ(Rows(), (std::vector<std::string>{"First", "Good"}));
  // A quantity change writes the image back cut to whole records; the
  // damaged bytes stay as they were and the torn piece is dropped.
  ASSERT_TRUE(list.ChangeQuantity(list.rows[1], 1));
  const std::string f = File();
  ASSERT_EQ(f.size(), 600u);
  EXPECT_EQ(f.substr(400, 200), HandRecord("Good", "", "X", 0, 2));
  // Random bytes and unterminated names: whatever is whole is read.
  std::string noZero = HandRecord("", "", "");
  for (size_t i = 10; i < 194; ++i) noZero[i] = 'A';
  Seed(std::string(333, '\x47') + noZero + "GSGEGS");
  ASSERT_EQ(list.rows.size(), 1u);
  const Item it = list.RowItem(0);
  EXPECT_EQ(it.store, std::string(40, 'A'));
  EXPECT_EQ(it.name.size(), 104u);
}

TEST_F(GroceryTest, RenamingALocationMovesItsItemsAndMergesHeadings) {
  Seed(HandHeading("", "Dairy") + HandRecord("Milk", "", "Dairy", 0, 0, 0, 0, 123456789) + HandHeading("", "Fridge") +
       HandRecord("Butter", "", "Fridge") + HandRecord("Cream", "", "fridge "));
  list.selected = 2;
  dialogs.formAnswers.push_back({" ", " Dairy "});
  list.EditItem(false);  // a heading row opens the location form
  EXPECT_EQ(dialogs.shown[0].text, "Edit Location|All items in this group will use the new location");
  EXPECT_EQ(dialogs.shown[0].items, (std::vector<std::string>{"", "Fridge"}));
  EXPECT_EQ(File(), HandHeading("", "Dairy") + HandRecord("Butter", "", "Dairy") + HandRecord("Cream", "", "Dairy") +
                        HandRecord("Milk", "", "Dairy"));
  EXPECT_EQ(list.selected, 0);
}

TEST_F(GroceryTest, DeletingAnItemOrAWholeLocation) {
  Seed(HandHeading("", "Dairy") + HandRecord("Milk", "", "Dairy") + HandRecord("Cheese", "", "Dairy") +
       HandHeading("", "Produce") + HandRecord("Kale", "", "Produce"));
  list.selected = 1;
  dialogs.buttons = {2, 1};
  list.DeleteRow();  // Cancel
  EXPECT_EQ(list.rows.size(), 5u);
  list.DeleteRow();
  EXPECT_EQ(dialogs.shown[0].text, "Delete Item|Do you want to delete the selected grocery item?");
  EXPECT_EQ(File(), HandHeading("", "Dairy") + HandRecord("Cheese", "", "Dairy") + HandHeading("", "Produce") +
                        HandRecord("Kale", "", "Produce"));
  list.selected = 0;
  list.DeleteRow();
  EXPECT_EQ(dialogs.shown[2].text, "Delete Location|Do you want to delete all items in the selected location?");
  EXPECT_EQ(File(), HandHeading("", "Produce") + HandRecord("Kale", "", "Produce"));
}

TEST_F(GroceryTest, QuantitiesNewListAndSearch) {
  Seed(HandHeading("", "Bakery") + HandRecord("filo dough", "", "Bakery", 250, 254, 0) +
       HandRecord("Whole wheat bread", "", "Bakery", 300, 1, 2) + HandRecord("hole wheat", "", "Bakery", 0, 0, 0));
  const size_t filo = list.rows[1];
  EXPECT_TRUE(list.ChangeQuantity(filo, 1));
  EXPECT_TRUE(list.ChangeQuantity(filo, 1));
  EXPECT_EQ(list.image.Get8(filo + grocery::kOffQuantity), 255);
  EXPECT_EQ(File().substr(200, 200), HandRecord("filo dough", "", "Bakery", 250, 255, 0));
  EXPECT_EQ(list.total, 255 * 250 + 300);
  const size_t hole = list.rows[3];
  EXPECT_TRUE(list.ChangeQuantity(hole, -1));
  EXPECT_EQ(list.image.Get8(hole + grocery::kOffQuantity), 0);

  dialogs.buttons = {1};
  list.AskNewList();
  EXPECT_EQ(dialogs.shown.back().text, "Are you sure you want to|start a new shopping list?");
  EXPECT_EQ(list.view, grocery::kViewShopping);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"[Bakery]", "Whole wheat bread"}));
  EXPECT_EQ(list.total, 600);

  dialogs.formAnswers.push_back({" Phillo dough "});
  list.AskFind();
  EXPECT_EQ(list.view, grocery::kViewSearch);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"[Bakery]", "filo dough"}));
  EXPECT_EQ(File().substr(200 + 195, 1), "\x01");
  list.Search("hole wheat");
  EXPECT_EQ(Rows(), (std::vector<std::string>{"[Bakery]", "hole wheat"}));
  list.Search("");
  EXPECT_TRUE(list.rows.empty());
}

TEST(GroceryKeys, SearchKey) {
  const struct {
    const char* in;
    const char* key;
  } keys[] = {{"Phillo dough", "filodough"}, {"filo dough", "filodough"}, {"Whole wheat", "wolewheat"},
              {"hole wheat", "holewheat"},   {"Lamb", "lam"},             {"Parsley", "parsly"},
              {"Broccoli", "brocoli"},       {"Chick peas", "chikpeas"},  {"Cabbage", "cabage"}};
  for (const auto& c : keys) EXPECT_EQ(grocery::GroceryKey(c.in), c.key) << c.in;
}

TEST_F(GroceryTest, UpgradeFromTheOlderFile) {
  auto counted = [](const std::string& s, size_t size) { return Padded(std::string(1, char(s.size())) + s, size); };
  std::string r1 = counted("Milk", 26) + counted("Aldi", 16) + counted("Dairy", 16) + "\x02\x01" + "\x5e\x01";
  r1.resize(100, '\0');
  std::string r2 = counted("Apples", 26) + counted("", 16) + counted("Produce", 16) + std::string("\0\0", 2) + "\x63\0";
  r2.resize(100, '\0');
  WriteBytes(dir / "Grocer30.dat", r1 + r2 + "torn");
  EXPECT_TRUE(grocery::UpgradeGroceryFile(ctx));
  EXPECT_EQ(File(), HandHeading("", "Produce") + HandRecord("Apples", "", "Produce", 99, 0, 0, 0, 2) +
                        HandHeading("Aldi", "Dairy") + HandRecord("Milk", "Aldi", "Dairy", 350, 2, 1, 0, 1));
  // Once the current file exists nothing is converted again.
  WriteBytes(dir / "Grocer30.dat", r1);
  EXPECT_FALSE(grocery::UpgradeGroceryFile(ctx));
  EXPECT_TRUE(Exists(dir / "Grocer30.dat"));
}

// Every rewrite: a full disk or a failing sync or rename leaves the file as
// it was, is reported, and the list shows what the disk holds.
TEST_F(GroceryTest, FailedWritesLeaveTheFileAsItWas) {
  const std::string before =
      HandHeading("", "Dairy") + HandRecord("Eggs", "", "Dairy") + HandRecord("Milk", "", "Dairy", 100, 1, 1);
  const struct {
    const char* what;
    FileFault::Call call;
  } faults[] = {{"write", FileFault::kWrite}, {"sync", FileFault::kSync}, {"rename", FileFault::kRename}};
  const struct {
    const char* what;
    std::function<bool(grocery::GroceryList&)> op;
  } ops[] = {
      {"quantity", [](grocery::GroceryList& l) { return l.ChangeQuantity(l.rows[2], 1); }},
      {"add", [](grocery::GroceryList& l) { return l.AddItem(MakeItem("Eggs", "", "Dairy")); }},
      {"edit", [](grocery::GroceryList& l) { return l.UpdateItem(l.rows[1], MakeItem("Cream", "", "Dairy")); }},
      {"rename", [](grocery::GroceryList& l) { return l.RenameLocation(l.rows[0], "", "Fridge"); }},
      {"delete", [](grocery::GroceryList& l) { return l.DeleteItem(l.rows[1]); }},
      {"new list", [](grocery::GroceryList& l) { return l.NewList(); }},
      {"search", [](grocery::GroceryList& l) { return l.Search("milk"); }},
      {"sort", [](grocery::GroceryList& l) { return l.SortAndSave(1); }},
  };
  for (const auto& f : faults) {
    for (const auto& o : ops) {
      // A quantity is one byte written in place: no rename is involved.
      if (f.call == FileFault::kRename && std::string(o.what) == "quantity") continue;
      Seed(before);
      dialogs.shown.clear();
      {
        FileFault fault(f.call, 1, ENOSPC, true, "Grocery747");
        EXPECT_FALSE(o.op(list)) << o.what << " / " << f.what;
      }
      EXPECT_EQ(File(), before) << o.what << " / " << f.what;
      EXPECT_EQ(dialogs.Messages(), (std::vector<std::string>{"Unable to write Grocery747.dat:|No space left on device"}))
          << o.what << " / " << f.what;
      EXPECT_EQ(std::string(list.image.view()), before) << o.what << " / " << f.what;
      EXPECT_EQ(list.rows.size(), 3u) << o.what << " / " << f.what;
    }
  }
}

TEST_F(GroceryTest, ALinkInTheDataFolderIsReplacedNotFollowed) {
  TempDir outside;
  const std::string target = outside / "elsewhere.dat";
  const std::string theirs = HandRecord("Theirs", "", "X", 0, 1);
  WriteBytes(target, theirs);
  ASSERT_EQ(::symlink(target.c_str(), ctx.files.grocery.c_str()), 0);
  list.Load();
  ASSERT_EQ(list.rows.size(), 1u);
  ASSERT_TRUE(list.ChangeQuantity(list.rows[0], 1));
  EXPECT_EQ(ReadBytes(target), theirs);
  struct stat st;
  ASSERT_EQ(::lstat(ctx.files.grocery.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(File(), HandRecord("Theirs", "", "X", 0, 2));
}

}  // namespace
}  // namespace pantrela::testing
