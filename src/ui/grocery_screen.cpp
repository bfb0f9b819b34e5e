#include "ui/grocery_screen.h"

#include <algorithm>
#include <chrono>

#include "foundation/numtext.h"
#include "grocery/grocery_export.h"
#include "ui/screens.h"
#include "widgets/list_widgets.h"

namespace pantrela::ui {

using namespace widgets;

namespace {

constexpr uint32_t kListBack = Rgb(255, 255, 250);
constexpr uint32_t kHeadingBand = Rgb(200, 214, 224);
constexpr uint32_t kSelectedBack = Rgb(255, 236, 160);
constexpr uint32_t kViewChosen = Rgb(255, 214, 120);
constexpr uint32_t kRed = Rgb(160, 0, 0);
constexpr int kBar = 20;
constexpr int kHeaderRow = 28;

}  // namespace

GroceryScreen::GroceryScreen(Screens& screens) : s_(screens), list_(screens.ctx) {}

int GroceryScreen::RowHeight() const { return s_.gui.fonts.fieldHeight + 6; }

int GroceryScreen::VisibleRows() const { return std::max(1, (listY2_ - listY1_) / RowHeight()); }

int GroceryScreen::RowAt(int y) const {
  if (y < listY1_ || y >= listY2_) return -1;
  const int row = list_.first + (y - listY1_) / RowHeight();
  return row < int(list_.rows.size()) ? row : -1;
}

std::string GroceryScreen::CountText() const { return Thousands(list_.itemCount) + " Items"; }

std::string GroceryScreen::TotalText() const {
  return "Shopping List Total: $" + Format(double(list_.total) / 100.0, "0,.00");
}

void GroceryScreen::Open() {
  list_.view = grocery::kViewAll;
  list_.first = list_.selected = 0;
  list_.Load();
  if (!s_.ctx.grocerySearchWord.empty()) {
    const std::string word = s_.ctx.grocerySearchWord;
    s_.ctx.grocerySearchWord.clear();
    list_.Search(word);
  }
}

void GroceryScreen::Layout() {
  Gui& g = s_.gui;
  const int W = g.Width(), H = g.Height();
  int n = 0;
  g.AddControl(n, {.id = kIdDecoration, .kind = kKindFill, .x2 = W, .y2 = H, .background = kPage});
  s_.AddTabBar(n);
  // Commands in a row under the tabs.
  const struct {
    int id;
    const char* caption;
  } commands[] = {{kIdGroceryFind, "Find"},         {kIdGroceryNewList, "New List"}, {kIdGroceryPrint, "Print"},
                  {kIdGroceryAdd, "Add Item"},      {kIdGroceryEdit, "Edit Item"},   {kIdGroceryDelete, "Delete Item"},
                  {kIdGroceryExport, "Export List>"}};
  int x = 20;
  const int y = kTabBarHeight + 12;
  for (const auto& c : commands) {
    const int w = std::max(90, g.canvas.TextWidth(g.fonts[kFontButton], c.caption) + 24);
    g.AddControl(n, {.id = c.id, .kind = kKindButton, .x1 = x, .y1 = y, .x2 = x + w, .y2 = y + 34,
                     .background = kButtonFace, .font = kFontButton, .accelerator = 1, .caption = c.caption});
    x += w + 8;
  }
  // The view selector and the totals at the left.
  const int left = 20, leftW = 180, top = y + 50;
  for (int v = 0; v < 3; ++v) {
    const int vy = top + v * 36;
    g.AddControl(n, {.id = kIdGroceryViewAll + v, .kind = kKindButton, .x1 = left, .y1 = vy, .x2 = left + leftW,
                     .y2 = vy + 32, .background = v == list_.view ? kViewChosen : kButtonFace, .font = kFontButton,
                     .caption = grocery::kViewNames[v]});
  }
  g.AddControl(n, {.id = kIdGroceryTotals, .kind = kKindText, .x1 = left, .y1 = top + 120, .x2 = left + 400,
                   .y2 = top + 150, .foreground = kNavy, .font = kFontHeading24,
                   .caption = grocery::kViewNames[list_.view]});
  g.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = left, .y1 = top + 154, .x2 = left + 400,
                   .y2 = top + 176, .foreground = kBlack, .font = kFontScreenBold, .caption = CountText()});
  // The list with its column headers and scroll bar.
  listX1_ = left + leftW + 20;
  listX2_ = std::max(listX1_ + 200, W - 20 - kBar);
  const int headerY = top;
  listY1_ = headerY + kHeaderRow;
  listY2_ = std::max(listY1_ + RowHeight(), H - 50);
  listY2_ = listY1_ + (listY2_ - listY1_) / RowHeight() * RowHeight();
  g.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = listX1_, .y1 = listY2_ + 8, .x2 = listX2_ + kBar,
                   .y2 = listY2_ + 34, .foreground = kRed, .font = kFontScreenBold, .caption = TotalText(),
                   .align = 1});
  const int w = listX2_ - listX1_;
  const int qtyX2 = listX1_ + 2 * RowHeight() + 50, priceX1 = listX2_ - 90, locX1 = listX1_ + w * 55 / 100;
  const struct {
    int id, x1, x2;
    const char* caption;
  } columns[] = {{kIdGroceryColQuantity, listX1_, qtyX2, "Quantity"},
                 {kIdGroceryColItem, qtyX2, locX1, "Item"},
                 {kIdGroceryColLocation, locX1, priceX1, "Location"},
                 {kIdGroceryColPrice, priceX1, listX2_ + kBar, "Price"}};
  constexpr int kColumnOfOrder[4] = {2, 1, 0, 3};
  const int sortId = kIdGroceryColQuantity + kColumnOfOrder[list_.Order()];
  for (const auto& c : columns)
    g.AddControl(n, {.id = c.id, .kind = kKindButton, .x1 = c.x1, .y1 = headerY, .x2 = c.x2, .y2 = listY1_ - 1,
                     .background = c.id == sortId ? kViewChosen : kButtonFace, .font = kFontSmallBold,
                     .caption = c.caption});
  g.AddControl(n, {.id = kIdGroceryList, .kind = kKindGroceryList, .x1 = listX1_, .y1 = listY1_, .x2 = listX2_,
                   .y2 = listY2_, .background = kListBack});
  g.AddControl(n, {.id = kIdGroceryUp, .kind = kKindButton, .x1 = listX2_, .y1 = listY1_, .x2 = listX2_ + kBar,
                   .y2 = listY1_ + kBar, .background = kButtonFace, .caption = "ARROW_UP"});
  g.AddControl(n, {.id = kIdGroceryBar, .kind = kKindGroceryList, .x1 = listX2_, .y1 = listY1_ + kBar,
                   .x2 = listX2_ + kBar, .y2 = listY2_ - kBar, .background = kBarTrack});
  g.AddControl(n, {.id = kIdGroceryDown, .kind = kKindButton, .x1 = listX2_, .y1 = listY2_ - kBar,
                   .x2 = listX2_ + kBar, .y2 = listY2_, .background = kButtonFace, .caption = "ARROW_DOWN"});
  g.AddControl(n, {.id = kIdEnd});
}

void GroceryScreen::PaintList(int index) {
  Gui& g = s_.gui;
  const Control& c = g.table[size_t(index)];
  platform::Canvas& cv = g.canvas;
  if (c.id == kIdGroceryBar) {
    cv.FillRect(c.x1, c.y1, c.x2, c.y2, kBarTrack);
    const ScrollThumb t = ScrollThumb::Place(c.y1, c.y2 - c.y1, int(list_.rows.size()), VisibleRows(), list_.first);
    if (t.Scrolls()) cv.FillRect(c.x1 + 2, t.top, c.x2 - 2, t.top + t.height, kBarThumb);
    return;
  }
  cv.FillRect(c.x1, c.y1, c.x2, c.y2, kListBack);
  const int h = RowHeight();
  const int w = c.x2 - c.x1;
  const int qtyX2 = c.x1 + 2 * h + 40, priceX2 = c.x2 - 8, locX1 = c.x1 + w * 55 / 100;
  const FontDesc& font = g.fonts[kFontScreen];
  if (list_.rows.empty()) {
    const char* empty = list_.view == grocery::kViewShopping ? "The shopping list is empty"
                        : list_.view == grocery::kViewSearch ? "No grocery items found"
                                                              : "There are no grocery items";
    cv.DrawText((c.x1 + c.x2) / 2, c.y1 + 20, platform::kTextCentre, kBlack, g.fonts[kFontScreenLarge], empty);
  }
  for (int r = list_.first; r < int(list_.rows.size()); ++r) {
    const int y = c.y1 + (r - list_.first) * h;
    if (y >= c.y2) break;
    const grocery::Item it = list_.RowItem(r);
    const int ty = y + 3;
    if (it.type == grocery::kTypeHeading) {
      cv.FillRect(c.x1, y, c.x2, y + h - 1, r == list_.selected ? kSelectedBack : kHeadingBand);
      cv.DrawText(c.x1 + 10, ty, platform::kTextLeft, kNavy, g.fonts[kFontScreenBold],
                  grocery::StoreAndLocation(it.store, it.location));
      if (r == list_.selected) cv.FrameRect(c.x1, y, c.x2, y + h - 1, kFrameColour);
      continue;
    }
    if (r == list_.selected) cv.FillRect(c.x1, y, c.x2, y + h - 1, kSelectedBack);
    cv.Line(c.x1, y + h - 1, c.x2, y + h - 1, Rgb(230, 230, 225));
    if (it.quantity > 0)
      cv.DrawText(qtyX2 - 8, ty, platform::kTextRight, kBlack, g.fonts[kFontScreenBold], Fmt(it.quantity));
    cv.DrawText(qtyX2 + 6, ty, platform::kTextLeft, kBlack, font, it.name);
    cv.DrawText(locX1 + 6, ty, platform::kTextLeft, Rgb(60, 60, 60), font,
                grocery::StoreAndLocation(it.store, it.location));
    if (it.price > 0) cv.DrawText(priceX2, ty, platform::kTextRight, kBlack, font, grocery::PriceText(it.price));
    if (r == list_.selected) {
      // The row buttons: "+" then "-", each a row high.
      for (int b = 0; b < 2; ++b) {
        const int bx = c.x1 + 2 + b * h;
        cv.FramedFill(bx + 1, y + 1, bx + h - 2, y + h - 2, kButtonFace, kFrameColour);
        const int mx = bx + h / 2 - 1, my = y + h / 2 - 1;
        cv.Line(mx - h / 4, my, mx + h / 4, my, kBlack, 2);
        if (b == 0) cv.Line(mx, my - h / 4, mx, my + h / 4, kBlack, 2);
      }
    }
  }
}

void GroceryScreen::Paint() {
  Gui& g = s_.gui;
  g.DrawAllControls();
  g.ShowAll();
}

void GroceryScreen::ShowSelected() {
  const int n = int(list_.rows.size());
  const int page = VisibleRows();
  list_.first = std::clamp(ScrollToShow(list_.first, list_.selected, list_.selected + 1, page), 0,
                           std::max(0, n - page));
}

void GroceryScreen::Select(int row) {
  if (list_.rows.empty()) return;
  list_.selected = std::clamp(row, 0, int(list_.rows.size()) - 1);
  ShowSelected();
}

void GroceryScreen::SetView(int view) {
  list_.view = view;
  list_.first = list_.selected = 0;
  list_.BuildRows();
}

void GroceryScreen::Sort(int order) {
  s_.ctx.settings.grocery_sort = order;
  SaveSettings(s_.ctx);
  list_.SortAndSave(order);
  list_.first = list_.selected = 0;
}

void GroceryScreen::Quantity(int delta) {
  const auto start = std::chrono::steady_clock::now();
  if (list_.rows.empty() || list_.IsHeadingRow(list_.selected)) return;
  list_.ChangeQuantity(list_.RowOffset(list_.selected), delta);
  Layout();
  Paint();
  lastPlusMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void GroceryScreen::Print() {
  if (list_.itemCount == 0) {
    s_.dialogs.Message("No items have been selected|for the shopping list?", "OK");
    return;
  }
  // The print layouts arrive with printing.
}

void GroceryScreen::Export() {
  const Control* b = s_.gui.ById(kIdGroceryExport);
  const platform::InputState& in = s_.gui.Input();
  SystemExportServices services;
  grocery::GroceryExportCommand(list_, services, b ? b->x1 : in.mouseX, b ? b->y2 : in.mouseY);
}

// A press in the list: the row buttons change the quantity (and repeat while
// held), a row is selected, and the selected row pressed again is edited.
void GroceryScreen::Press() {
  const platform::InputState& in = s_.gui.Input();
  const int row = RowAt(in.mouseY);
  if (in.mouseX < listX1_ || in.mouseX >= listX2_ || row < 0) return;
  const int h = RowHeight();
  if (row == list_.selected && !list_.IsHeadingRow(row) && in.mouseX >= PlusX() && in.mouseX < PlusX() + 2 * h) {
    holding_ = in.mouseX < MinusX() ? 1 : -1;
    Quantity(holding_);
    return;
  }
  if (row == list_.selected) {
    list_.EditItem(false);
  } else {
    list_.selected = row;
  }
  Layout();
  Paint();
}

void GroceryScreen::Dispatch(int id) {
  Gui& g = s_.gui;
  platform::InputState& in = g.Input();
  if (holding_ != 0) {
    // A held row button repeats on the screen timer until it is let go.
    if (in.released || in.heldButton == 0) {
      holding_ = 0;
    } else if (in.timer) {
      Quantity(holding_);
      return;
    }
  }
  if (in.wheelSteps) {
    const int n = int(list_.rows.size());
    list_.first = std::clamp(list_.first - in.wheelSteps, 0, std::max(0, n - VisibleRows()));
    Paint();
    return;
  }
  if (id == 0 && in.pressed && in.heldButton == 1) {
    Press();
    return;
  }
  bool repaint = true;
  switch (id) {
    case kIdGroceryFind: list_.AskFind(); break;
    case kIdGroceryNewList: list_.AskNewList(); break;
    case kIdGroceryPrint: Print(); break;
    case kIdGroceryAdd: list_.EditItem(true); break;
    case kIdGroceryEdit: list_.EditItem(false); break;
    case kIdGroceryDelete: list_.DeleteRow(); break;
    case kIdGroceryExport: Export(); break;
    case kIdGroceryViewAll: case kIdGroceryViewShopping: case kIdGroceryViewSearch:
      SetView(id - kIdGroceryViewAll);
      break;
    case kIdGroceryColQuantity: Sort(grocery::kByQuantity); break;
    case kIdGroceryColItem: Sort(grocery::kByName); break;
    case kIdGroceryColLocation: Sort(grocery::kByLocation); break;
    case kIdGroceryColPrice: Sort(grocery::kByPrice); break;
    case kIdGroceryUp: list_.first = std::max(0, list_.first - 1); break;
    case kIdGroceryDown:
      list_.first = std::clamp(list_.first + 1, 0, std::max(0, int(list_.rows.size()) - VisibleRows()));
      break;
    case 0:
      repaint = false;
      if (in.keyDown) {
        const int vk = in.virtualKey;
        repaint = true;
        if (in.ctrl && (vk == platform::kVkUp || vk == platform::kVkDown)) {
          Quantity(vk == platform::kVkUp ? 1 : -1);
          return;
        }
        if (vk == platform::kVkLeft || vk == platform::kVkRight) {
          const int to = list_.NextHeadingRow(list_.selected, vk == platform::kVkLeft ? -1 : 1);
          if (to >= 0) {
            list_.selected = to;
            list_.first = std::max(0, to - 2);
          }
        } else if (vk == platform::kVkDelete) {
          list_.DeleteRow();
        } else if (auto to = NavigationTarget(vk, list_.selected, int(list_.rows.size()), VisibleRows())) {
          Select(*to);
        } else {
          repaint = false;
        }
      }
      if (in.charKey == '+' || in.charKey == '=') {
        Quantity(1);
        return;
      }
      if (in.charKey == '-') {
        Quantity(-1);
        return;
      }
      if (in.charKey == ' ') {
        SetView((list_.view + 1) % 3);
        repaint = true;
      } else if (in.charKey == 13) {
        list_.EditItem(false);
        repaint = true;
      }
      break;
    default: repaint = false; break;
  }
  if (repaint && !s_.ctx.Quitting() && s_.ctx.screen == kScreenGrocery) {
    Layout();
    Paint();
  }
}

void GroceryScreen::Run() {
  const int me = s_.ctx.screen;
  Gui& g = s_.gui;
  g.SetKindPainter(kKindGroceryList, [this](Gui&, int index) { PaintList(index); });
  g.window.redraw = true;
  const int timer = s_.StartScreenTimer();
  Open();
  while (!s_.ctx.Quitting() && s_.ctx.screen == me) {
    const int id = g.WaitEvent(true);
    if (s_.ctx.Quitting() || s_.ctx.screen != me) break;
    if (g.window.redraw) {
      g.window.redraw = false;
      Layout();
      Paint();
      continue;
    }
    Dispatch(id);
  }
  g.window.KillTimer(timer);
  g.SetKindPainter(kKindGroceryList, nullptr);
  list_.Release();
}

}  // namespace pantrela::ui
