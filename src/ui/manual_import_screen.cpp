#include "ui/manual_import_screen.h"

#include <algorithm>

#include "ui/screens.h"
#include "widgets/list_widgets.h"
#include "widgets/modal_loop.h"

namespace pantrela::ui {

using namespace widgets;
using platform::InputState;

namespace {

constexpr uint32_t kSelection = Rgb(200, 214, 240);
constexpr int kTop = 52;
constexpr int kButtonHigh = 34;
constexpr int kButtonWide = 150;
constexpr int kArrowWide = 20;
constexpr int kMarkStrip = 8;  // the coloured strip left of a marked line
constexpr int kTimerDragScroll = 402;

struct ButtonDef {
  int id;
  const char* caption;
};
const ButtonDef kButtons[] = {
    {kIdManualTitle, "Title"},         {kIdManualYield, "Yield"},         {kIdManualIngredients, "Ingredients"},
    {kIdManualDirections, "Directions"}, {kIdManualUnmark, "Unmark"},     {kIdManualClearAll, "Clear All"},
    {kIdManualSave, "Save"},           {kIdManualFinished, "Finished"},
};

}  // namespace

uint32_t ManualMarkColour(int mark) {
  switch (mark) {
    case kMarkTitle: return Rgb(176, 0, 0);
    case kMarkYield: return Rgb(128, 0, 160);
    case kMarkIngredients: return Rgb(0, 120, 0);
    case kMarkDirections: return Rgb(0, 60, 190);
    default: return kBlack;
  }
}

ManualImportScreen::ManualImportScreen(Screens& screens) : s_(screens) {
  oldList_ = s_.gui.SetKindPainter(kKindManualList, [this](Gui&, int i) { PaintList(i); });
  oldBar_ = s_.gui.SetKindPainter(kKindManualBar, [this](Gui&, int i) { PaintBar(i); });
}

ManualImportScreen::~ManualImportScreen() {
  s_.gui.SetKindPainter(kKindManualList, oldList_);
  s_.gui.SetKindPainter(kKindManualBar, oldBar_);
}

int ManualImportScreen::RowHeight() const { return std::max(8, s_.gui.fonts.fieldHeight); }

int ManualImportScreen::ListWidth() {
  const int W = s_.gui.Width();
  return std::max(200, W - 20 - kButtonWide - 40 - kArrowWide - 20);
}

int ManualImportScreen::ByteWidth(unsigned char c) {
  const char text[2] = {char(c), 0};
  return s_.gui.canvas.TextWidth(s_.gui.fonts[kFontScreen], std::string_view(text, 1));
}

int ManualImportScreen::VisibleRows() const { return std::max(1, (listY2_ - listY1_ - 2) / RowHeight()); }

void ManualImportScreen::Layout() {
  Gui& g = s_.gui;
  const int W = g.Width(), H = g.Height();
  int n = 0;
  g.AddControl(n, {.id = kIdDecoration, .kind = kKindFill, .x1 = 0, .y1 = 0, .x2 = W, .y2 = H, .background = kPage});
  // The top bar: icon and title image as on the tab bar, the caption in
  // place of the tabs.
  s_.AddTitleArea(n);
  g.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = 240, .y1 = 8, .x2 = W - 20, .y2 = 38,
                   .foreground = kWhite, .font = kFontHeading24, .caption = "Manual Import"});
  g.AddControl(n, {.id = kIdManualInstruction, .kind = kKindText, .x1 = 20, .y1 = kTop - 2, .x2 = W - 20,
                   .y2 = kTop + 22, .foreground = kNavy, .font = kFontScreenBold,
                   .caption = session_ ? session_->Instruction() : ""});
  listX1_ = 20;
  listY1_ = kTop + 30;
  listX2_ = listX1_ + ListWidth();
  listY2_ = std::max(listY1_ + 3 * RowHeight(), H - 44);
  g.AddControl(n, {.id = kIdManualList, .kind = kKindManualList, .x1 = listX1_, .y1 = listY1_, .x2 = listX2_,
                   .y2 = listY2_, .foreground = kBlack, .background = kWhite, .font = kFontScreen});
  const int bx1 = listX2_, bx2 = listX2_ + kArrowWide;
  g.AddControl(n, {.id = kIdManualUp, .kind = kKindButton, .x1 = bx1, .y1 = listY1_, .x2 = bx2,
                   .y2 = listY1_ + kArrowWide, .foreground = kBlack, .background = kButtonFace, .caption = "ARROW_UP"});
  g.AddControl(n, {.id = kIdManualBar, .kind = kKindManualBar, .x1 = bx1, .y1 = listY1_ + kArrowWide + 1, .x2 = bx2,
                   .y2 = listY2_ - kArrowWide - 1, .foreground = kBlack, .background = kBarTrack});
  g.AddControl(n, {.id = kIdManualDown, .kind = kKindButton, .x1 = bx1, .y1 = listY2_ - kArrowWide, .x2 = bx2,
                   .y2 = listY2_, .foreground = kBlack, .background = kButtonFace, .caption = "ARROW_DOWN"});
  const int cx2 = W - 20, cx1 = cx2 - kButtonWide;
  int y = listY1_;
  for (const ButtonDef& b : kButtons) {
    g.AddControl(n, {.id = b.id, .kind = kKindButton, .x1 = cx1, .y1 = y, .x2 = cx2, .y2 = y + kButtonHigh,
                     .foreground = kBlack, .background = kButtonFace, .font = kFontButton, .accelerator = 1,
                     .caption = b.caption});
    y += kButtonHigh + (b.id == kIdManualDirections || b.id == kIdManualClearAll ? 22 : 6);
  }
  g.AddControl(n, {.id = kIdManualStatus, .kind = kKindText, .x1 = 20, .y1 = H - 34, .x2 = W - 20, .y2 = H - 10,
                   .foreground = kBlack, .font = kFontScreen, .caption = session_ ? session_->Status() : ""});
  g.AddControl(n, {.id = kIdEnd});
}

void ManualImportScreen::Paint() {
  s_.gui.DrawAllControls();
  s_.gui.ShowAll();
}

int ManualImportScreen::RowAt(int y) const {
  const int row = lines_->firstVisible + (y - listY1_ - 1) / RowHeight();
  if (y < listY1_) return lines_->firstVisible - 1;
  return row;
}

void ManualImportScreen::PaintList(int index) {
  Gui& g = s_.gui;
  platform::Canvas& cv = g.canvas;
  const Control& c = g.table[size_t(index)];
  cv.FramedFill(c.x1, c.y1, c.x2, c.y2, kWhite, kListFrame);
  if (!lines_) return;
  const int rh = RowHeight();
  const FontDesc& font = g.fonts[kFontScreen];
  const FontDesc& bold = g.fonts[kFontScreenBold];
  const int lo = lines_->SelectionLow(), hi = lines_->SelectionHigh();
  for (int row = lines_->firstVisible, y = c.y1 + 1; row < lines_->count() && y < c.y2 - 1; ++row, y += rh) {
    const ManualLine& line = lines_->lines[size_t(row)];
    cv.SetClip(c.x1 + 1, y, c.x2 - 1, std::min(c.y2 - 1, y + rh));
    if (row >= lo && row <= hi) cv.FillRect(c.x1 + 1, y, c.x2 - 1, y + rh, kSelection);
    if (row == lines_->current) cv.FramedFill(c.x1 + 1, y, c.x2 - 1, y + rh - 1, kSelection, kNavy);
    if (line.mark != kMarkNone) cv.FillRect(c.x1 + 2, y + 2, c.x1 + 2 + kMarkStrip - 2, y + rh - 2, ManualMarkColour(line.mark));
    cv.DrawText(c.x1 + 4 + kMarkStrip, y + 1, platform::kTextLeft, ManualMarkColour(line.mark),
                line.mark == kMarkTitle ? bold : font, line.text);
  }
  cv.SetClip(c.x1, c.y1, c.x2, c.y2);
}

ScrollThumb ManualImportScreen::Thumb() const {
  const Control* bar = s_.gui.ById(kIdManualBar);
  if (!bar || !lines_) return ScrollThumb{};
  return ScrollThumb::Place(bar->y1, bar->y2 - bar->y1, lines_->count(), VisibleRows(), lines_->firstVisible);
}

void ManualImportScreen::PaintBar(int index) {
  Gui& g = s_.gui;
  const Control& c = g.table[size_t(index)];
  g.canvas.FramedFill(c.x1, c.y1, c.x2, c.y2, kBarTrack, kListFrame);
  const ScrollThumb t = Thumb();
  if (!t.Scrolls() || t.trackHeight <= 4) return;
  g.canvas.FramedFill(c.x1 + 2, t.top, c.x2 - 2, t.top + t.height, kBarThumb, kListFrame);
}

void ManualImportScreen::RepaintList() {
  Gui& g = s_.gui;
  for (int id : {kIdManualList, kIdManualBar}) {
    const int i = g.Find(id);
    if (i < 0) continue;
    g.DrawControl(i);
    g.ShowControl(i);
  }
}

void ManualImportScreen::ScrollTo(int first) {
  const int maxFirst = std::max(0, lines_->count() - VisibleRows());
  lines_->firstVisible = std::clamp(first, 0, maxFirst);
}

void ManualImportScreen::KeepCurrentVisible() {
  ScrollTo(ScrollToShow(lines_->firstVisible, lines_->current, lines_->current + 1, VisibleRows()));
}

void ManualImportScreen::MoveTo(int line, bool extend) {
  if (lines_->lines.empty()) return;
  lines_->current = std::clamp(line, 0, lines_->count() - 1);
  if (!extend) lines_->anchor = lines_->current;
  KeepCurrentVisible();
  RepaintList();
}

void ManualImportScreen::PressInList() {
  const InputState& in = s_.gui.Input();
  const int row = RowAt(in.mouseY);
  if (row < 0 || row >= lines_->count()) return;
  if (in.heldButton == 2) {
    // A right click on a line outside the selection selects that line.
    if (row < lines_->SelectionLow() || row > lines_->SelectionHigh()) MoveTo(row, false);
    RightClickMenu();
    return;
  }
  MoveTo(row, in.shift);
  selecting_ = true;
  s_.gui.window.SetTimer(kTimerDragScroll, 60);
}

void ManualImportScreen::DragInList() {
  const InputState& in = s_.gui.Input();
  int row = RowAt(in.mouseY);
  // Past the list's edges the list scrolls one line per step.
  if (in.mouseY < listY1_) row = lines_->current - 1;
  else if (in.mouseY > listY2_) row = lines_->current + 1;
  row = std::clamp(row, 0, std::max(0, lines_->count() - 1));
  if (row != lines_->current) MoveTo(row, true);
}

void ManualImportScreen::RightClickMenu() {
  const InputState& in = s_.gui.Input();
  static const std::vector<std::string> kChoices = {"Title", "Ingredients", "Directions", "Yield/Servings",
                                                    "Edit Current Line"};
  const int chosen = s_.ctx.dialogs().PopupList(in.mouseX, in.mouseY, 200, kChoices);
  switch (chosen) {
    case 0: session_->Mark(kMarkTitle); break;
    case 1: session_->Mark(kMarkIngredients); break;
    case 2: session_->Mark(kMarkDirections); break;
    case 3: session_->Mark(kMarkYield); break;
    case 4: session_->EditLine(); break;
    default: break;
  }
  Layout();
  Paint();
}

void ManualImportScreen::DragBar() {
  const ScrollThumb t = Thumb();
  if (!t.Scrolls()) return;
  ScrollTo(t.PositionFor(s_.gui.Input().mouseY, barGrab_));
  RepaintList();
}

void ManualImportScreen::Command(int id) {
  switch (id) {
    case kIdManualTitle: session_->Mark(kMarkTitle); break;
    case kIdManualYield: session_->Mark(kMarkYield); break;
    case kIdManualIngredients: session_->Mark(kMarkIngredients); break;
    case kIdManualDirections: session_->Mark(kMarkDirections); break;
    case kIdManualUnmark: session_->Mark(kMarkNone); break;
    case kIdManualClearAll: session_->ClearAll(); break;
    case kIdManualSave: session_->Save(); break;
    case kIdManualFinished:
      session_->Finish();
      finished_ = true;
      return;
    default: return;
  }
  Layout();
  Paint();
}

void ManualImportScreen::Dispatch(int id) {
  Gui& g = s_.gui;
  const InputState& in = g.Input();
  if (barDrag_) {
    if (in.heldButton == 1 && !in.released) DragBar();
    else barDrag_ = false;
    return;
  }
  if (selecting_) {
    if (in.released || in.heldButton == 0) {
      selecting_ = false;
      g.window.KillTimer(kTimerDragScroll);
    } else if (in.moved || (in.timer && in.lastTimer == kTimerDragScroll)) {
      DragInList();
    }
    return;
  }
  if (in.pressed && g.overId == kIdManualList) {
    PressInList();
    return;
  }
  if (in.pressed && g.overId == kIdManualBar && in.heldButton == 1) {
    barGrab_ = Thumb().GrabAt(in.mouseY);
    barDrag_ = true;
    DragBar();
    return;
  }
  if (in.heldButton == 1 && (in.pressed || (in.timer && in.lastTimer == platform::kTimerRepeat))) {
    if (g.pressedId == kIdManualUp || g.pressedId == kIdManualDown) {
      ScrollTo(lines_->firstVisible + (g.pressedId == kIdManualUp ? -1 : 1));
      RepaintList();
      return;
    }
  }
  if (in.wheelSteps != 0) {
    // The wheel moves the list by its count of lines.
    ScrollTo(lines_->firstVisible - in.wheelSteps);
    RepaintList();
    return;
  }
  if (id != 0) {
    Command(id);
    return;
  }
  if (in.keyDown) {
    if (auto to = NavigationTarget(in.virtualKey, lines_->current, lines_->count(), VisibleRows()))
      MoveTo(*to, in.shift);
  }
}

bool ManualImportScreen::Run(ManualImportSession& session, ManualLines& lines) {
  Gui& g = s_.gui;
  AppContext& ctx = s_.ctx;
  session_ = &session;
  lines_ = &lines;
  finished_ = false;
  selecting_ = barDrag_ = false;
  const int previous = ctx.screen;
  ctx.screen = kScreenManualImport;
  {
    // The screen runs inside the one that started the import: the loop puts
    // that screen's table and image aside and brings them back.
    ModalLoop loop(g);
    loop.repaint = [this] {
      Layout();
      KeepCurrentVisible();
      Paint();
    };
    loop.repaint();
    int id = 0;
    while (!finished_ && loop.Next(id)) {
      if (g.window.redraw) {
        g.window.redraw = false;
        loop.repaint();
        continue;
      }
      Dispatch(id);
    }
    g.window.KillTimer(kTimerDragScroll);
  }
  ctx.screen = previous;
  g.window.redraw = true;
  session_ = nullptr;
  lines_ = nullptr;
  return finished_;
}

}  // namespace pantrela::ui
