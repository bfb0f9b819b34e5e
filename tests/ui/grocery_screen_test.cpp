// The grocery screen driven headless: keys and clicks change quantities and
// views, the file follows every change, and a word clicked in a recipe opens
// the screen with that word searched.
#include "grocery/grocery.h"
#include "ui/grocery_screen.h"
#include "ui_harness.h"

namespace pantrela::ui::testing {
namespace {

std::string Record(const std::string& name, const std::string& location, int price, int quantity, int type = 0) {
  grocery::Item it;
  it.name = name;
  it.location = location;
  it.price = price;
  it.quantity = uint8_t(quantity);
  it.type = uint8_t(type);
  return grocery::RecordBytes(it);
}

class GroceryScreenTest : public UiTest {
 protected:
  void WriteGroceries() {
    WriteBytes(ctx.files.grocery, Record("*** Location Heading ***", "Dairy", 0, 0, 1) + Record("Milk", "Dairy", 250, 0) +
                                      Record("Eggs", "Dairy", 300, 2) +
                                      Record("*** Location Heading ***", "Produce", 0, 0, 1) +
                                      Record("Tomatoes", "Produce", 199, 0));
  }
  int QuantityOf(int record) { return uint8_t(ReadBytes(ctx.files.grocery)[size_t(record) * 200 + 196]); }
  std::string Caption(int id) {
    const widgets::Control* c = Gui().ById(id);
    return c ? c->caption : "";
  }
};

TEST_F(GroceryScreenTest, KeysChangeQuantitiesAndViews) {
  WriteSmallCollection();
  WriteGroceries();
  Open();
  std::vector<int> quantities;
  std::vector<std::string> views;
  std::string total;
  steps.push_back([&] { PushClick(CX(kScreenGrocery), CY(kScreenGrocery)); });
  steps.push_back([&] {
    views.push_back(Caption(kIdGroceryTotals));
    PushKey(SDLK_DOWN);                            // Milk
    PushKey(SDLK_EQUALS, KMOD_LSHIFT, "+");        // + key
  });
  steps.push_back([&] {
    quantities.push_back(QuantityOf(1));
    PushKey(SDLK_UP, KMOD_LCTRL);                  // Ctrl+Up
  });
  steps.push_back([&] {
    quantities.push_back(QuantityOf(1));
    PushKey(SDLK_MINUS, KMOD_NONE, "-");
    PushKey(SDLK_MINUS, KMOD_NONE, "-");
    PushKey(SDLK_MINUS, KMOD_NONE, "-");           // stops at 0
  });
  steps.push_back([&] {
    quantities.push_back(QuantityOf(1));
    PushKey(SDLK_RIGHT);                           // the Produce heading
    PushKey(SDLK_DOWN);                            // Tomatoes
  });
  steps.push_back([&] {
    // The row buttons of the selected row: "+" twice.
    const widgets::Control* list = Gui().ById(kIdGroceryList);
    const int h = Gui().fonts.fieldHeight + 6;
    const int y = list->y1 + 4 * h + h / 2, x = list->x1 + 2 + h / 2;
    PushClick(x, y);
    PushClick(x, y);
  });
  steps.push_back([&] {
    quantities.push_back(QuantityOf(4));
    total = Caption(0) ;
    for (const widgets::Control& c : Gui().table)
      if (c.caption.rfind("Shopping List Total", 0) == 0) total = c.caption;
    SDL_SetModState(KMOD_NONE);
    PushKey(SDLK_SPACE, KMOD_NONE, " ");
  });
  steps.push_back([&] {
    views.push_back(Caption(kIdGroceryTotals));
    PushKey(SDLK_SPACE, KMOD_NONE, " ");
  });
  steps.push_back([&] {
    views.push_back(Caption(kIdGroceryTotals));
    PushKey(SDLK_SPACE, KMOD_NONE, " ");
  });
  steps.push_back([&] { views.push_back(Caption(kIdGroceryTotals)); });
  Run();
  EXPECT_EQ(quantities, (std::vector<int>{1, 2, 0, 2}));
  EXPECT_EQ(total, "Shopping List Total: $9.98");
  EXPECT_EQ(views, (std::vector<std::string>{"All Items", "Shopping List", "Search Results", "All Items"}));
}

TEST_F(GroceryScreenTest, AWordFromARecipeIsSearched) {
  WriteSmallCollection();
  WriteGroceries();
  Open();
  std::string view, count;
  steps.push_back([&] {
    ctx.grocerySearchWord = "tomato";
    PushClick(CX(kScreenGrocery), CY(kScreenGrocery));
  });
  steps.push_back([&] {
    view = Caption(kIdGroceryTotals);
    for (const widgets::Control& c : Gui().table)
      if (c.caption.find(" Items") != std::string::npos && c.kind == widgets::kKindText) count = c.caption;
  });
  Run();
  EXPECT_EQ(view, "Search Results");
  EXPECT_EQ(count, "1 Items");
  EXPECT_TRUE(ctx.grocerySearchWord.empty());
  EXPECT_EQ(ReadBytes(ctx.files.grocery)[4 * 200 + 195], 1);
}

}  // namespace
}  // namespace pantrela::ui::testing
