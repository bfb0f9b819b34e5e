// The recipe index screen: chapter list, recipe list, commands, and the
// hand-over of files from a second copy or a drop.
#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>

#include "database/recipe_ops.h"
#include "export/destinations.h"
#include "foundation/file.h"
#include "foundation/numtext.h"
#include "import/collection_target.h"
#include "import/import_files.h"
#include "platform/window.h"
#include "ui/manual_import_screen.h"
#include "ui/screens.h"
#include "ui/recipe_view.h"
#include "widgets/list_widgets.h"

namespace pantrela::ui {

using namespace widgets;
using platform::InputState;

namespace {

constexpr uint32_t kChapterText = Rgb(70, 70, 110);
constexpr int kTop = 64;
constexpr int kButtonHigh = 34;
constexpr int kArrowWide = 20;

double NowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// A small camera: body, lens and the view-finder hump.
void DrawCamera(platform::Canvas& cv, int x, int y, uint32_t colour) {
  cv.FillRect(x + 4, y, x + 10, y + 3, colour);
  cv.FillRect(x, y + 2, x + 16, y + 12, colour);
  cairo_t* cr = cv.Cairo();
  cairo_new_path(cr);
  cairo_arc(cr, x + 8, y + 7, 3.2, 0, 6.2832);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_fill(cr);
}

}  // namespace

IndexScreen::IndexScreen(Screens& screens) : s_(screens) {
  s_.gui.SetKindPainter(kKindChapterList, [this](Gui&, int i) { PaintList(i, true); });
  s_.gui.SetKindPainter(kKindRecipeList, [this](Gui&, int i) { PaintList(i, false); });
  s_.gui.SetKindPainter(kKindScrollBar, [this](Gui&, int i) { PaintScrollBar(i); });
}

ListModel& IndexScreen::List(bool chapters) {
  return chapters ? s_.collection.chapterList() : s_.collection.recipeList();
}
const ListModel& IndexScreen::List(bool chapters) const {
  return chapters ? s_.collection.chapterList() : s_.collection.recipeList();
}

int IndexScreen::itemHeight() const { return std::max(8, s_.gui.fonts.fieldHeight); }

std::string IndexScreen::ChapterCountText() const { return Thousands(List(true).count()) + " Chapters"; }
std::string IndexScreen::RecipeCountText() const { return Thousands(List(false).count()) + " Recipes"; }

bool IndexScreen::AllRecipesChecked() const {
  const ListModel& L = List(false);
  if (L.entries.empty()) return false;
  for (uint32_t e : L.entries)
    if (!s_.collection.IsChecked(e)) return false;
  return true;
}

bool IndexScreen::AllChaptersChecked() const {
  bool any = false;
  for (uint32_t e : List(true).entries) {
    if (s_.collection.Entry(e).chapterKey() <= kReservedKeyMax) continue;
    if (!s_.collection.IsChecked(e)) return false;
    any = true;
  }
  return any;
}

// ---------------------------------------------------------------- layout

void IndexScreen::Layout() {
  Gui& g = s_.gui;
  const int W = g.Width(), H = g.Height();
  const int ih = itemHeight();
  int n = 0;
  g.AddControl(n, {.id = kIdDecoration, .kind = kKindFill, .x1 = 0, .y1 = 0, .x2 = W, .y2 = H, .background = kPage});
  s_.AddTabBar(n);

  const int chX1 = 20, chX2 = 20 + int(0.26 * W);
  const int cmdW = g.canvas.TextWidth(g.fonts[kFontButton], "Add Recipe") + 55;
  const int cmdX2 = W - 20, cmdX1 = cmdX2 - cmdW;
  const int rcX1 = chX2 + 40, rcX2 = std::max(rcX1 + 100, cmdX1);
  const int listTop = kTop + kButtonHigh + 6, listBottom = std::max(listTop + ih, H - 40);

  auto panel = [&](bool chapters, int x1, int x2) {
    const int base = chapters ? kIdChapterList : kIdRecipeList;
    g.AddControl(n, {.id = chapters ? kIdChaptersMenu : kIdRecipesMenu, .kind = kKindButton, .x1 = x1, .y1 = kTop,
                     .x2 = x2, .y2 = kTop + kButtonHigh, .foreground = kBlack, .background = kButtonFace,
                     .font = kFontButton, .caption = chapters ? "Chapters>" : "Recipes>"});
    ListBox& box = chapters ? chapterBox_ : recipeBox_;
    box = ListBox{x1, listTop, x2 - kArrowWide, listBottom, x2 - kArrowWide};
    g.AddControl(n, {.id = base, .kind = chapters ? kKindChapterList : kKindRecipeList, .x1 = box.x1, .y1 = box.y1,
                     .x2 = box.x2, .y2 = box.y2, .foreground = kBlack, .background = kWhite, .font = kFontScreen});
    g.AddControl(n, {.id = base + 1, .kind = kKindButton, .x1 = box.barX1, .y1 = listTop, .x2 = x2,
                     .y2 = listTop + kArrowWide, .foreground = kBlack, .background = kButtonFace,
                     .caption = "ARROW_UP"});
    g.AddControl(n, {.id = base + 2, .kind = kKindScrollBar, .x1 = box.barX1, .y1 = listTop + kArrowWide + 1, .x2 = x2,
                     .y2 = listBottom - kArrowWide - 1, .foreground = kBlack, .background = kBarTrack});
    g.AddControl(n, {.id = base + 3, .kind = kKindButton, .x1 = box.barX1, .y1 = listBottom - kArrowWide, .x2 = x2,
                     .y2 = listBottom, .foreground = kBlack, .background = kButtonFace, .caption = "ARROW_DOWN"});
    int k = g.AddControl(n, {.id = base + 4, .kind = kKindCheckBox, .x1 = x1, .y1 = H - 32, .x2 = x1 + 18, .y2 = H - 14,
                             .foreground = kBlack, .background = kWhite});
    g.table[size_t(k)].value = chapters ? AllChaptersChecked() : AllRecipesChecked();
    g.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = x1 + 26, .y1 = H - 34, .x2 = x2, .y2 = H - 10,
                     .foreground = kBlack, .font = kFontScreen,
                     .caption = chapters ? ChapterCountText() : RecipeCountText()});
    ListModel& L = List(chapters);
    L.itemHeight = ih;
    L.visibleHeight = box.height();
    L.totalHeight = ih * L.count();
    ClampScroll(chapters);
  };
  panel(true, chX1, chX2);
  panel(false, rcX1, rcX2);

  static const char* const kCommands[3][3] = {
      {"Find", "Print", "New Meal"}, {"Add Recipe>", "Edit", "Delete"}, {"Web Import", "Import", "Export>"}};
  for (int grp = 0; grp < 3; ++grp) {
    for (int i = 0; i < 3; ++i) {
      // The buttons of a group touch; 45 px lie between the groups.
      const int y = kTop + grp * (3 * kButtonHigh + 45) + i * kButtonHigh;
      int id = kIdFind + grp * 3 + i;
      g.AddControl(n, {.id = id, .kind = kKindButton, .x1 = cmdX1, .y1 = y, .x2 = cmdX2, .y2 = y + kButtonHigh,
                       .foreground = kBlack, .background = kButtonFace, .font = kFontButton,
                       .accelerator = id == kIdEdit ? 1 : 0, .caption = kCommands[grp][i]});
    }
  }
  g.AddControl(n, {.id = kIdEnd});
}

void IndexScreen::ClampScroll(bool chapters) {
  ListModel& L = List(chapters);
  L.totalHeight = L.itemHeight * L.count();
  int maxScroll = std::max(0, L.totalHeight - L.visibleHeight);
  L.scroll = std::clamp(L.scroll, 0, maxScroll);
}

void IndexScreen::ScrollToCurrent() {
  for (bool chapters : {true, false}) {
    ListModel& L = List(chapters);
    if (L.entries.empty()) {
      L.scroll = 0;
      continue;
    }
    L.ClampCurrent();
    ShowCurrent(chapters);
  }
}

void IndexScreen::ShowCurrent(bool chapters) {
  ListModel& L = List(chapters);
  const int top = L.current * L.itemHeight;
  L.scroll = ScrollToShow(L.scroll, top, top + L.itemHeight, L.visibleHeight);
  ClampScroll(chapters);
}

void IndexScreen::Paint() {
  s_.gui.DrawAllControls();
  s_.gui.ShowAll();
}

int IndexScreen::RowTop(bool chapters, int row) const {
  const ListModel& L = List(chapters);
  return Box(chapters).y1 + row * L.itemHeight - L.scroll;
}

int IndexScreen::RowAt(bool chapters, int y) const {
  const ListModel& L = List(chapters);
  if (L.itemHeight <= 0) return -1;
  int row = (y - Box(chapters).y1 + L.scroll) / L.itemHeight;
  if (y < Box(chapters).y1) row = -1;
  return row >= 0 && row < L.count() ? row : -1;
}

// ---------------------------------------------------------------- painting

void IndexScreen::PaintList(int index, bool chapters) {
  Gui& g = s_.gui;
  platform::Canvas& cv = g.canvas;
  const Control& c = g.table[size_t(index)];
  const ListModel& L = List(chapters);
  const Collection& db = s_.collection;
  const FontDesc& font = g.fonts[kFontScreen];
  cv.FramedFill(c.x1, c.y1, c.x2, c.y2, kWhite, kListFrame);
  const int ih = std::max(1, L.itemHeight);
  const int inX1 = c.x1 + 1, inX2 = c.x2 - 1;
  const int chapterX = c.x1 + int(0.7 * (c.x2 - c.x1));
  for (int row = std::max(0, L.scroll / ih); row < L.count(); ++row) {
    int y = c.y1 + row * ih - L.scroll;
    if (y >= c.y2) break;
    EntryView e = db.Entry(L.entries[size_t(row)]);
    const bool current = row == L.current;
    const uint32_t ink = current ? kWhite : kBlack;
    cv.SetClip(inX1, std::max(c.y1 + 1, y), inX2, std::min(c.y2 - 1, y + ih));
    if (current) cv.FillRect(inX1, y, inX2, y + ih, kNavy);
    if (!chapters || e.chapterKey() > kReservedKeyMax) {
      int bx = c.x1 + 4, by = y + (ih - 16) / 2;
      cv.FramedFill(bx, by, bx + 16, by + 16, kWhite, Rgb(60, 60, 60));
      if (e.flags() & kFlagChecked) cv.DrawBitmap("CHECKED_BOX", bx + 1, by + 1, int(kWhite));
    }
    const int tx = c.x1 + kCheckColumn + 2, ty = y + 1;
    std::string_view title = e.title();
    if (chapters) {
      cv.DrawText(tx, ty, platform::kTextLeft, ink, font, title);
      continue;
    }
    int tw = cv.TextWidth(font, title);
    bool photo = (e.flags() & kFlagPhoto) != 0;
    int titleEnd = tx + tw + (photo ? 24 : 0);
    int nameX = chapterX;
    if (current) nameX = std::max(chapterX, titleEnd + 12);
    else cv.SetClip(inX1, std::max(c.y1 + 1, y), std::max(tx, chapterX - 8), std::min(c.y2 - 1, y + ih));
    cv.DrawText(tx, ty, platform::kTextLeft, ink, font, title);
    if (photo) {
      int camX = current ? tx + tw + 6 : std::min(tx + tw + 6, chapterX - 26);
      cv.SetClip(inX1, std::max(c.y1 + 1, y), inX2, std::min(c.y2 - 1, y + ih));
      DrawCamera(cv, camX, y + (ih - 12) / 2, current ? kWhite : Rgb(60, 60, 60));
    }
    cv.SetClip(inX1, std::max(c.y1 + 1, y), inX2, std::min(c.y2 - 1, y + ih));
    cv.DrawText(nameX, ty, platform::kTextLeft, current ? kWhite : kChapterText, font,
                db.ChapterDisplayName(e.chapterKey()));
  }
  cv.SetClip(c.x1, c.y1, c.x2, c.y2);
}

void IndexScreen::PaintScrollBar(int index) {
  Gui& g = s_.gui;
  const Control& c = g.table[size_t(index)];
  const ListModel& L = List(c.id == kIdChapterBar);
  g.canvas.FramedFill(c.x1, c.y1, c.x2, c.y2, kBarTrack, kListFrame);
  const ScrollThumb t = ScrollThumb::Place(c.y1, c.y2 - c.y1, L.totalHeight, L.visibleHeight, L.scroll);
  if (!t.Scrolls() || t.trackHeight <= 4) return;
  g.canvas.FramedFill(c.x1 + 2, t.top, c.x2 - 2, t.top + t.height, kBarThumb, kListFrame);
}

void IndexScreen::RepaintList(bool chapters) {
  double t0 = NowMs();
  Gui& g = s_.gui;
  // Both controls are drawn, then shown in one copy to the window.
  int x1 = 1 << 30, y1 = 1 << 30, x2 = -1, y2 = -1;
  for (int id : {chapters ? kIdChapterList : kIdRecipeList, chapters ? kIdChapterBar : kIdRecipeBar}) {
    int i = g.Find(id);
    if (i < 0) continue;
    g.DrawControl(i);
    const Control& c = g.table[size_t(i)];
    x1 = std::min(x1, c.x1);
    y1 = std::min(y1, c.y1);
    x2 = std::max(x2, c.x2);
    y2 = std::max(y2, c.y2);
  }
  if (x2 >= x1) g.ShowBuffer(x1, y1, x2 - x1 + 1, y2 - y1 + 1);
  lastRepaintMs = NowMs() - t0;
}

void IndexScreen::RepaintCounts() {
  Gui& g = s_.gui;
  for (bool chapters : {true, false}) {
    int i = g.Find(chapters ? kIdChapterAll : kIdRecipeAll);
    if (i < 0) continue;
    int v = chapters ? AllChaptersChecked() : AllRecipesChecked();
    if (g.table[size_t(i)].value == v) continue;
    g.table[size_t(i)].value = v;
    g.DrawControl(i);
    g.ShowControl(i);
  }
}

void IndexScreen::ScrollBy(bool chapters, int pixels) {
  ListModel& L = List(chapters);
  int was = L.scroll;
  L.scroll += pixels;
  ClampScroll(chapters);
  if (L.scroll != was) RepaintList(chapters);
}

// ---------------------------------------------------------------- the screen procedure

void IndexScreen::Run() {
  Gui& g = s_.gui;
  AppContext& ctx = s_.ctx;
  const int me = ctx.screen;
  g.window.redraw = true;
  myTimer_ = s_.StartScreenTimer();
  drawn_ = false;
  drag_ = ListDrag{};
  barDrag_ = 0;
  if (seenStartTick != s_.startTick) {
    // First pass after start-up: the lists are built before the first layout.
    seenStartTick = s_.startTick;
    s_.collection.BuildChapterList();
    RebuildRecipes();
  }
  bool shown = false;
  while (!ctx.Quitting() && ctx.screen == me) {
    int id = g.WaitEvent(true);
    if (ctx.Quitting() || ctx.screen != me) break;
    if (g.window.redraw) {
      g.window.redraw = false;
      Layout();
      ScrollToCurrent();
      Layout();
      if (!shown) {
        g.window.ShowState(ctx.settings.window_state);
        shown = true;
      }
      Paint();
      drawn_ = true;
      continue;
    }
    const InputState& in = g.Input();
    if (in.timer && in.lastTimer == myTimer_) {
      if (drawn_ && !drag_.active) PollHandOver();
      continue;
    }
    Dispatch(id);
  }
  g.window.KillTimer(myTimer_);
  g.window.KillTimer(kTimerAutoScroll);
  Leave();
}

void IndexScreen::Leave() {
  Collection& db = s_.collection;
  const ListModel& L = db.recipeList();
  CurrentRecord& rec = db.current();
  bool keep = !L.entries.empty() && L.current >= 0 && L.current < L.count() &&
              db.Entry(L.entries[size_t(L.current)]).recordId() == rec.recordId();
  if (!keep) rec.header = ByteImage(kRecordHeaderSize);
}

void IndexScreen::RebuildRecipes() {
  double t0 = NowMs();
  s_.collection.BuildRecipeList();
  ListModel& L = List(false);
  L.itemHeight = itemHeight();
  L.totalHeight = L.itemHeight * L.count();
  ClampScroll(false);
  lastRebuildMs = NowMs() - t0;
}

void IndexScreen::Dispatch(int id) {
  if (HandlePointer()) return;
  if (!RunControl(id) && !RunKey() && !RunCharacter()) return;
  if (!s_.ctx.Quitting() && s_.ctx.screen == kScreenRecipes) {
    // After every command: the check-all boxes, the counts, a new layout
    // and a repaint.
    Layout();
    Paint();
  }
}

// Gestures on the lists and their scroll bars, which repaint the list
// they change; true when the event was one.
bool IndexScreen::HandlePointer() {
  Gui& g = s_.gui;
  const InputState& in = g.Input();
  if (barDrag_) {
    if (in.heldButton == 1 && !in.released) DragScrollBar(barDrag_ == kIdChapterBar);
    else barDrag_ = 0;
    return true;
  }
  if (drag_.active) {
    if (in.released) ReleaseInList();
    else if (in.moved || (in.timer && in.lastTimer == kTimerAutoScroll)) DragInList();
    return true;
  }
  if (in.pressed) {
    const int over = g.overId;
    if (over == kIdChapterList || over == kIdRecipeList) {
      PressInList(over == kIdChapterList);
      return true;
    }
    if ((over == kIdChapterBar || over == kIdRecipeBar) && in.heldButton == 1) {
      barDrag_ = over;
      // A press outside the thumb centres it under the pointer.
      barGrab_ = Thumb(over == kIdChapterBar).GrabAt(in.mouseY);
      DragScrollBar(over == kIdChapterBar);
      return true;
    }
  }
  // Scroll arrows: one item per press and per repeat tick while held.
  if (in.heldButton == 1 && (in.pressed || (in.timer && in.lastTimer == platform::kTimerRepeat))) {
    switch (g.pressedId) {
      case kIdChapterUp: ScrollBy(true, -List(true).itemHeight); return true;
      case kIdChapterDown: ScrollBy(true, List(true).itemHeight); return true;
      case kIdRecipeUp: ScrollBy(false, -List(false).itemHeight); return true;
      case kIdRecipeDown: ScrollBy(false, List(false).itemHeight); return true;
      default: break;
    }
  }
  if (in.wheelSteps != 0) {
    auto inside = [&](const ListBox& b) {
      return in.mouseX >= b.x1 && in.mouseX <= b.x2 + kArrowWide && in.mouseY >= b.y1 && in.mouseY <= b.y2;
    };
    if (inside(chapterBox_)) ScrollBy(true, -in.wheelSteps * List(true).itemHeight);
    else if (inside(recipeBox_)) ScrollBy(false, -in.wheelSteps * List(false).itemHeight);
    return true;
  }
  return false;
}

// The command of a control chosen; false when `id` is none.
bool IndexScreen::RunControl(int id) {
  switch (id) {
    case kIdChaptersMenu: {
      const Control* b = s_.gui.ById(kIdChaptersMenu);
      const InputState& in = s_.gui.Input();
      ChapterMenu(b ? b->x1 : in.mouseX, b ? b->y2 : in.mouseY);
      return true;
    }
    case kIdFind: Find(); return true;
    case kIdImport: Import(); return true;
    case kIdExport: Export(); return true;
    case kIdRecipeAll: CheckAllRecipes(); return true;
    case kIdChapterAll: CheckAllChapters(); return true;
    case kIdEdit: EditCurrentRecipe(s_); return true;
    case kIdAddRecipe: {
      const Control* b = s_.gui.ById(kIdAddRecipe);
      const InputState& in = s_.gui.Input();
      const int choice = s_.dialogs.PopupList(b ? b->x1 : in.mouseX, b ? b->y2 : in.mouseY, 220,
                                              {"Add new recipe", "Add information text"});
      if (choice == 0 || choice == 1) AddRecord(s_, choice);
      return true;
    }
    case kIdRecipesMenu: {
      const Control* b = s_.gui.ById(kIdRecipesMenu);
      const InputState& in = s_.gui.Input();
      RecipeMenu(b ? b->x1 : in.mouseX, b ? b->y2 : in.mouseY);
      return true;
    }
    case kIdDelete: DeleteSelected(); return true;
    // Commands whose screens do not exist yet: drawn, doing nothing.
    case kIdPrint: case kIdNewMeal:
    case kIdWebImport:
      return true;
    default: return false;
  }
}

// F3, F7, the chapter moves and the recipe moves.
bool IndexScreen::RunKey() {
  const InputState& in = s_.gui.Input();
  if (!in.keyDown) return false;
  switch (in.virtualKey) {
    case platform::kVkF3: Find(); return true;
    case platform::kVkF7: CleanUp(); return true;
    case platform::kVkDelete: DeleteSelected(); return true;
    case platform::kVkLeft: MoveChapter(-1); return true;
    case platform::kVkRight: MoveChapter(1); return true;
    default: break;
  }
  const ListModel& R = List(false);
  const int page = std::max(1, R.visibleHeight / std::max(1, R.itemHeight));
  const int key = in.virtualKey;
  if (key != platform::kVkUp && key != platform::kVkDown && key != platform::kVkPrior && key != platform::kVkNext &&
      key != platform::kVkHome && key != platform::kVkEnd)
    return false;
  if (auto to = NavigationTarget(key, R.current, R.count(), page)) MoveRecipe(*to, in.shift, in.ctrl);
  return true;
}

// Space, Enter and Ctrl+A.
bool IndexScreen::RunCharacter() {
  switch (s_.gui.Input().charKey) {
    case platform::kCharSpace: {
      ListModel& R = List(false);
      if (!R.entries.empty()) {
        const uint32_t e = R.entries[size_t(R.current)];
        s_.collection.SetChecked(e, !s_.collection.IsChecked(e));
        RepaintList(false);
      }
      return true;
    }
    case platform::kCharEnter: OpenCurrentRecipe(); return true;
    case platform::kCharCtrlA: CheckAllRecipes(); return true;
    default: return false;
  }
}

// ---------------------------------------------------------------- selection

void IndexScreen::PressInList(bool chapters) {
  Gui& g = s_.gui;
  const InputState& in = g.Input();
  Collection& db = s_.collection;
  ListModel& L = List(chapters);
  const int row = RowAt(chapters, in.mouseY);
  if (row < 0) return;
  drag_ = ListDrag{};
  drag_.chapters = chapters;
  drag_.button = in.heldButton;
  drag_.wasCurrent = L.current;
  drag_.startRow = row;
  auto checkable = [&](int r) { return !chapters || db.Entry(L.entries[size_t(r)]).chapterKey() > kReservedKeyMax; };
  if (!chapters && in.heldButton == 2) {
    // A right click opens the recipe menu on release: on a checked recipe
    // the checks stay as they are, another recipe becomes the only one.
    L.current = row;
    if (!db.IsChecked(L.entries[size_t(row)])) {
      for (uint32_t e : L.entries) db.SetChecked(e, false);
      db.SetChecked(L.entries[size_t(row)], true);
    }
  } else if (in.heldButton == 1 && in.mouseX < Box(chapters).x1 + kCheckColumn) {
    drag_.mode = ListDrag::kCheckColumn;
    uint32_t e = L.entries[size_t(row)];
    drag_.newState = !db.IsChecked(e);
    if (checkable(row)) db.SetChecked(e, drag_.newState);
    L.current = row;
  } else if (in.heldButton == 1 && in.shift) {
    drag_.mode = ListDrag::kShift;
    L.current = row;
    ApplyRowToDrag(row);
  } else {
    drag_.mode = ListDrag::kPlain;
    L.current = row;
    ApplyRowToDrag(row);
  }
  drag_.active = true;
  g.window.SetTimer(kTimerAutoScroll, 40);
  RepaintList(chapters);
  RepaintCounts();
}

void IndexScreen::ApplyRowToDrag(int row) {
  Collection& db = s_.collection;
  const bool chapters = drag_.chapters;
  ListModel& L = List(chapters);
  if (L.entries.empty()) return;
  row = std::clamp(row, 0, L.count() - 1);
  auto checkable = [&](int r) { return !chapters || db.Entry(L.entries[size_t(r)]).chapterKey() > kReservedKeyMax; };
  switch (drag_.mode) {
    case ListDrag::kPlain:
      if (chapters) db.ClearChapterChecks();
      else
        for (uint32_t e : L.entries) db.SetChecked(e, false);
      if (checkable(row)) db.SetChecked(L.entries[size_t(row)], true);
      break;
    case ListDrag::kCheckColumn: {
      int from = std::min(L.current, row), to = std::max(L.current, row);
      for (int r = from; r <= to; ++r)
        if (checkable(r)) db.SetChecked(L.entries[size_t(r)], drag_.newState);
      break;
    }
    case ListDrag::kShift: {
      int anchor = std::clamp(drag_.wasCurrent, 0, L.count() - 1);
      int from = std::min(anchor, row), to = std::max(anchor, row);
      for (int r = from; r <= to; ++r)
        if (checkable(r)) db.SetChecked(L.entries[size_t(r)], true);
      break;
    }
  }
  L.current = row;
}

void IndexScreen::DragInList() {
  const InputState& in = s_.gui.Input();
  const bool chapters = drag_.chapters;
  const ListBox& box = Box(chapters);
  ListModel& L = List(chapters);
  if (L.entries.empty() || (!chapters && drag_.button == 2)) return;
  const bool tick = in.timer && in.lastTimer == kTimerAutoScroll;
  int row;
  if (in.mouseY < box.y1 || in.mouseY >= box.y2) {
    // Past an edge the list walks one item per timer tick.
    if (!tick) return;
    row = in.mouseY < box.y1 ? L.current - 1 : L.current + 1;
  } else {
    row = (in.mouseY - box.y1 + L.scroll) / std::max(1, L.itemHeight);
  }
  row = std::clamp(row, 0, L.count() - 1);
  if (row == L.current) return;
  drag_.moved = true;
  ApplyRowToDrag(row);
  ShowCurrent(chapters);
  RepaintList(chapters);
  RepaintCounts();
}

void IndexScreen::ReleaseInList() {
  Gui& g = s_.gui;
  const InputState& in = g.Input();
  g.window.KillTimer(kTimerAutoScroll);
  const ListDrag d = drag_;
  drag_.active = false;
  if (d.chapters) {
    RebuildRecipes();
    if (d.button == 2) {
      Layout();
      Paint();
      ChapterMenu(in.mouseX, in.mouseY);
    }
  } else if (d.button == 2) {
    Layout();
    Paint();
    RecipeMenu(in.mouseX, in.mouseY);
  } else if (d.button == 1 && d.mode == ListDrag::kPlain && !d.moved && d.startRow == d.wasCurrent) {
    // A second click on the current recipe opens it.
    OpenCurrentRecipe();
  }
  if (!s_.ctx.Quitting() && s_.ctx.screen == kScreenRecipes) {
    Layout();
    Paint();
  }
}

ScrollThumb IndexScreen::Thumb(bool chapters) const {
  const Control* bar = s_.gui.ById(chapters ? kIdChapterBar : kIdRecipeBar);
  const ListModel& L = List(chapters);
  return bar ? ScrollThumb::Place(bar->y1, bar->y2 - bar->y1, L.totalHeight, L.visibleHeight, L.scroll)
             : ScrollThumb{};
}

void IndexScreen::DragScrollBar(bool chapters) {
  if (!s_.gui.ById(chapters ? kIdChapterBar : kIdRecipeBar)) return;
  const int want = Thumb(chapters).PositionFor(s_.gui.Input().mouseY, barGrab_);
  ScrollBy(chapters, want - List(chapters).scroll);
}

void IndexScreen::MoveRecipe(int to, bool shift, bool ctrl) {
  Collection& db = s_.collection;
  ListModel& L = List(false);
  if (L.entries.empty()) return;
  const int from = std::clamp(L.current, 0, L.count() - 1);
  to = std::clamp(to, 0, L.count() - 1);
  if (!ctrl) {
    if (shift) {
      for (int r = std::min(from, to); r <= std::max(from, to); ++r) db.SetChecked(L.entries[size_t(r)], true);
    } else {
      for (uint32_t e : L.entries) db.SetChecked(e, false);
      db.SetChecked(L.entries[size_t(to)], true);
    }
  }
  L.current = to;
  ShowCurrent(false);
  RepaintList(false);
}

void IndexScreen::MoveChapter(int delta) {
  Collection& db = s_.collection;
  ListModel& C = List(true);
  if (C.entries.empty()) return;
  int to = std::clamp(C.current + delta, 0, C.count() - 1);
  C.current = to;
  db.ClearChapterChecks();
  uint32_t e = C.entries[size_t(to)];
  if (db.Entry(e).chapterKey() > kReservedKeyMax) db.SetChecked(e, true);
  RebuildRecipes();
  ScrollToCurrent();
}

void IndexScreen::OpenCurrentRecipe() {
  if (List(false).entries.empty()) return;
  s_.ctx.screen = kScreenRecipe;
}

void RunExportMenu(Screens& s, int buttonId) {
  const Control* b = s.gui.ById(buttonId);
  const InputState& in = s.gui.Input();
  SystemExportServices services;
  ExportSession session{s.ctx, s.collection, s.dialogs, services};
  ExportCommand(session, b ? b->x1 : in.mouseX, b ? b->y2 : in.mouseY);
}

void IndexScreen::Export() { RunExportMenu(s_, kIdExport); }

void IndexScreen::CheckAllRecipes() {
  bool on = !AllRecipesChecked();
  for (uint32_t e : List(false).entries) s_.collection.SetChecked(e, on);
}

void IndexScreen::CheckAllChapters() {
  bool on = !AllChaptersChecked();
  for (uint32_t e : List(true).entries)
    if (s_.collection.Entry(e).chapterKey() > kReservedKeyMax) s_.collection.SetChecked(e, on);
  RebuildRecipes();
}

void IndexScreen::ChapterMenu(int x, int y) {
  static const std::vector<std::string> kEntries = {"Add chapter", "Edit chapter", "Delete chapter",
                                                    "Remove empty chapters", "Find Chapters"};
  int choice = s_.dialogs.PopupList(x, y, 260, kEntries);
  Collection& db = s_.collection;
  switch (choice) {
    case 0: db.AddChapter(); break;
    case 1: db.EditChapter(); break;
    case 2: db.DeleteChapter(); break;
    case 3: db.RemoveEmptyChapters(); break;
    case 4: db.FindChapters(); break;
    default: return;
  }
  ListModel& R = List(false);
  R.itemHeight = itemHeight();
  ClampScroll(false);
}

// The recipe menu. Each entry is a caption and its command, in menu order.
void IndexScreen::RecipeMenu(int x, int y) {
  struct Entry {
    const char* caption;
    void (IndexScreen::*run)(int x, int y);
  };
  static const Entry kEntries[] = {
      {"Add selected recipes to meal calendar", &IndexScreen::AddSelectedToMeals},
      {"Copy recipes to another chapter", &IndexScreen::CopyRecipes},
      {"Delete selected recipes", &IndexScreen::DeleteSelectedAt},
      {"Edit current recipe", &IndexScreen::EditCurrentAt},
      {"Move recipes to another chapter", &IndexScreen::MoveRecipes},
      {"Locate duplicate recipes", &IndexScreen::LocateDuplicates},
  };
  std::vector<std::string> captions;
  for (const Entry& e : kEntries) captions.emplace_back(e.caption);
  const int choice = s_.dialogs.PopupList(x, y, 300, captions);
  if (choice < 0 || choice >= int(std::size(kEntries))) return;
  (this->*kEntries[choice].run)(x, y);
  ClampScroll(false);
}

// The meal calendar adds the checked recipes here once it exists.
void IndexScreen::AddSelectedToMeals(int, int) {}

void IndexScreen::CopyRecipes(int x, int y) { CopyOrMoveCommand(s_.collection, false, x, y); }
void IndexScreen::MoveRecipes(int x, int y) { CopyOrMoveCommand(s_.collection, true, x, y); }
void IndexScreen::DeleteSelectedAt(int, int) { DeleteSelected(); }
void IndexScreen::EditCurrentAt(int, int) { EditCurrentRecipe(s_); }
void IndexScreen::LocateDuplicates(int, int) {}

void IndexScreen::DeleteSelected() {
  DeleteSelectedCommand(s_.collection);
  ClampScroll(false);
}

void IndexScreen::CleanUp() {
  if (s_.ctx.Busy()) return;
  {
    BusyScope busy(s_.ctx);
    s_.collection.CleanUp();
  }
  ScrollToCurrent();
}

// ---------------------------------------------------------------- hand-over

bool IndexScreen::PollHandOver() {
  AppContext& ctx = s_.ctx;
  const std::string& path = ctx.files.handOver;
  if (path.empty() || handOverStuck_ || !Exists(path) || IsDirectory(path)) return false;
  s_.gui.window.ShowState(ctx.settings.window_state);
  s_.gui.window.Raise();
  std::string text;
  ReadWholeFile(path, text);
  DeleteFile(path);
  if (Exists(path)) {
    // A hand-over that cannot be removed would be imported on every tick.
    handOverStuck_ = true;
    ctx.Log("Drag/Drop File List: " + path + " cannot be deleted");
    return false;
  }
  ProcessHandOverText(text);
  if (!ctx.Quitting() && ctx.screen == kScreenRecipes) {
    Layout();
    ScrollToCurrent();
    Layout();
    Paint();
  }
  return true;
}

void IndexScreen::ProcessHandOverText(const std::string& raw) {
  AppContext& ctx = s_.ctx;
  Collection& db = s_.collection;
  std::string text = TrimSpaces(raw);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == '\t')) text.pop_back();
  const std::string upper = UpperAscii(text);
  ctx.Log("Drag/Drop File List: " + upper);
  db.SelectChapterByKey(kChapterAll);
  RebuildRecipes();
  const int32_t savedChapter = ctx.settings.import_chapter;
  ctx.settings.import_chapter = 0;
  if (upper.find("HTTP") != std::string::npos && upper.find("://") != std::string::npos) {
    // Web recipes arrive with the web import.
    ctx.Log("URL Dropped: " + text);
  } else {
    std::vector<std::string> files = HandOverFileNames(text);
    CollectionImportTarget target(db);
    ManualImportScreen manual(s_);
    ImportFiles(ctx, target, s_.importFormat, files, &manual);
  }
  ctx.settings.import_chapter = savedChapter;
}

}  // namespace pantrela::ui
