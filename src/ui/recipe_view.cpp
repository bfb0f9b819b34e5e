#include "ui/recipe_view.h"

#include <algorithm>

#include "database/editing.h"
#include "database/photo.h"
#include "export/writers.h"
#include "foundation/numtext.h"
#include "foundation/wrap_text.h"
#include "ingredients/ingredient_line.h"
#include "ingredients/measures.h"
#include "ingredients/resize.h"
#include "ingredients/text_ops.h"
#include "ui/screens.h"
#include "widgets/list_widgets.h"
#include "widgets/text_area.h"

namespace pantrela::ui {

using namespace widgets;

namespace {

constexpr uint32_t kPageColour = Rgb(226, 232, 236);
constexpr uint32_t kPaneColour = Rgb(255, 255, 250);
constexpr int kPanePad = 12;     // text inset in the pane
constexpr int kBarWidth = 20;    // arrows and scroll bar at the pane's right
constexpr int kPhotoGap = 8;

bool IsLetter(unsigned char c) { return textops::IsAsciiLetter(c); }

}  // namespace

std::string GrocerySearchWord(std::string_view word) {
  size_t a = 0, b = word.size();
  while (a < b && !IsLetter(static_cast<unsigned char>(word[a]))) ++a;
  while (b > a && !IsLetter(static_cast<unsigned char>(word[b - 1]))) --b;
  std::string w(word.substr(a, b - a));
  std::replace(w.begin(), w.end(), '-', ' ');
  auto endsWith = [&](std::string_view tail) {
    if (w.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i)
      if (textops::Lower1252(static_cast<unsigned char>(w[w.size() - tail.size() + i])) != tail[i]) return false;
    return true;
  };
  if (endsWith("oes")) w.resize(w.size() - 2);
  if (endsWith("s")) w.pop_back();
  return w;
}

std::string WordAt(std::string_view text, int pos) {
  if (pos < 0 || pos >= int(text.size()) || text[size_t(pos)] == ' ') return {};
  size_t a = size_t(pos), b = size_t(pos);
  while (a > 0 && text[a - 1] != ' ') --a;
  while (b < text.size() && text[b] != ' ') ++b;
  return std::string(text.substr(a, b - a));
}

RecipeView::RecipeView(Screens& screens) : s_(screens) {}

bool RecipeView::empty() const { return s_.collection.recipeList().entries.empty(); }

void RecipeView::Load(bool force) {
  Collection& db = s_.collection;
  ListModel& list = db.recipeList();
  if (list.entries.empty()) {
    db.ClearCurrent();
  } else {
    list.ClampCurrent();
    const EntryView e = db.Entry(list.entries[size_t(list.current)]);
    const CurrentRecord& r = db.current();
    if (force || !HasRecordMagic(r.header.data()) || r.recordId() != e.recordId()) {
      db.LoadCurrent(uint64_t(e.fileOffset()));
      scroll_ = 0;
    }
  }
  photo_ = {};
  photoW_ = photoH_ = 0;
  const std::string& photo = db.current().photo;
  if (!photo.empty()) {
    PhotoBitmap bm = DecodePhoto(s_.ctx, photo);
    if (bm.empty()) {
      s_.ctx.Log("Recipe View - Photo cannot be shown: " + std::string(db.current().title));
    } else {
      photo_ = platform::PictureFromImage(bm.image);
      photoW_ = bm.width;
      photoH_ = bm.height;
    }
  }
  builtWidth_ = -1;
}

void RecipeView::BuildLines() {
  Gui& g = s_.gui;
  const CurrentRecord& r = s_.collection.current();
  lines_.clear();
  builtWidth_ = paneX2_ - paneX1_;
  const int width = paneX2_ - paneX1_ - kBarWidth - 2 * kPanePad;
  if (empty()) return;
  int y = kPanePad;
  auto add = [&](ViewLine::Kind kind, std::string text, int height, std::string amount = {}) {
    lines_.push_back({kind, std::move(text), std::move(amount), y, height});
    y += height;
  };
  const int rowH = g.fonts.fieldHeight;
  const std::array<int, 256> titleW = ByteWidths(g, kFontScreenLarge);
  const int titleH = g.fonts[kFontScreenLarge].height * 23 / 20;
  for (const std::string& l : WrapTextLines(r.title, WrapMeasure{titleW.data(), width}))
    add(ViewLine::kTitle, l, titleH);
  if (r.servings() > 0) add(ViewLine::kServes, "Serves " + std::to_string(r.servings()), rowH);
  add(ViewLine::kRule, "", 12);
  if (photoW_ > 0) {
    int w = std::min(photoW_, width), h = photoH_ * w / std::max(1, photoW_);
    add(ViewLine::kPhoto, "", h + kPhotoGap);
  }
  const std::array<int, 256> textW = ByteWidths(g, kFontScreen);
  if (!r.ingredients.empty()) {
    const int column = g.canvas.TextWidth(g.fonts[kFontScreen], "12-1/2");
    const int itemWidth = std::max(40, width - column - g.canvas.TextWidth(g.fonts[kFontScreen], "  "));
    for (const std::string& raw : WrapTextLines(r.ingredients, INT32_MAX)) {
      if (raw.empty()) {
        add(ViewLine::kEmpty, "", rowH);
        continue;
      }
      if (IsHeadingLine(raw)) {
        add(ViewLine::kHeading, std::string(textops::TrimSpaces(raw)), rowH);
        continue;
      }
      ParsedIngredient p = ParseIngredientLine(raw, 1.0, s_.ctx.settings);
      std::string amount = p.quantity >= 5 ? FormatQuantity(p.quantity / 100.0) : std::string();
      std::string item = p.item;
      if (!p.unit.empty()) item = p.unit + " " + item;
      bool first = true;
      for (const std::string& part : WrapTextLines(item, WrapMeasure{textW.data(), itemWidth})) {
        add(ViewLine::kIngredient, part, rowH, first ? amount : std::string());
        first = false;
      }
    }
    add(ViewLine::kEmpty, "", rowH);
  }
  for (const std::string& l : WrapTextLines(r.directions, WrapMeasure{textW.data(), width}))
    add(l.empty() ? ViewLine::kEmpty : ViewLine::kDirection, l, rowH);
}

int RecipeView::ContentHeight() const { return lines_.empty() ? 0 : lines_.back().y + lines_.back().height + kPanePad; }

void RecipeView::ScrollTo(int y) {
  scroll_ = std::clamp(y, 0, std::max(0, ContentHeight() - PaneHeight()));
}

void RecipeView::Layout() {
  Gui& g = s_.gui;
  const int W = g.Width(), H = g.Height();
  int n = 0;
  g.AddControl(n, {.id = kIdDecoration, .kind = kKindFill, .x2 = W, .y2 = H, .background = kPageColour});
  s_.AddTabBar(n);
  const int cmdW = g.canvas.TextWidth(g.fonts[kFontButton], "Add Recipe") + 55;
  const int cmdX = W - 20 - cmdW;
  int y = 64;
  const int half = (cmdW - 6) / 2;
  g.AddControl(n, {.id = kIdViewPrevious, .kind = kKindButton, .x1 = cmdX, .y1 = y, .x2 = cmdX + half, .y2 = y + 34,
                   .background = kButtonFace, .caption = "BIG_LEFT"});
  g.AddControl(n, {.id = kIdViewNext, .kind = kKindButton, .x1 = cmdX + cmdW - half, .y1 = y, .x2 = cmdX + cmdW,
                   .y2 = y + 34, .background = kButtonFace, .caption = "BIG_RIGHT"});
  y += 34 + 10;
  struct Cmd {
    int id;
    const char* caption;
    int accelerator;
    int gapAfter;
  } cmds[] = {{kIdViewPrint, "Print", 1, 0},  {kIdViewNewMeal, "New Meal", 1, 0}, {kIdViewResize, "Resize", 1, 0},
              {kIdViewFind, "Find", 1, 45},   {kIdViewEdit, "Edit", 1, 0},        {kIdViewDelete, "Delete", 1, 45},
              {kIdViewExport, "Export>", 2, 0}};
  for (const Cmd& c : cmds) {
    g.AddControl(n, {.id = c.id, .kind = kKindButton, .x1 = cmdX, .y1 = y, .x2 = cmdX + cmdW, .y2 = y + 34,
                     .background = kButtonFace, .font = kFontButton, .accelerator = c.accelerator, .caption = c.caption});
    y += 34 + 10 + c.gapAfter;
  }
  paneX1_ = 20;
  paneY1_ = 65;
  paneX2_ = cmdX - 22;
  paneY2_ = H - 41;
  g.AddControl(n, {.id = kIdViewPane, .kind = kKindViewPane, .x1 = paneX1_, .y1 = paneY1_, .x2 = paneX2_ - kBarWidth,
                   .y2 = paneY2_, .background = kPaneColour});
  g.AddControl(n, {.id = kIdViewUp, .kind = kKindButton, .x1 = paneX2_ - kBarWidth, .y1 = paneY1_, .x2 = paneX2_,
                   .y2 = paneY1_ + kBarWidth, .background = kButtonFace, .caption = "ARROW_UP"});
  g.AddControl(n, {.id = kIdViewBar, .kind = kKindViewPane, .x1 = paneX2_ - kBarWidth, .y1 = paneY1_ + kBarWidth,
                   .x2 = paneX2_, .y2 = paneY2_ - kBarWidth, .background = kBoxFill, .value = 1});
  g.AddControl(n, {.id = kIdViewDown, .kind = kKindButton, .x1 = paneX2_ - kBarWidth, .y1 = paneY2_ - kBarWidth,
                   .x2 = paneX2_, .y2 = paneY2_, .background = kButtonFace, .caption = "ARROW_DOWN"});
  g.AddControl(n, {.id = kIdViewStatus, .kind = kKindViewPane, .x1 = paneX1_, .y1 = paneY2_ + 6, .x2 = paneX2_,
                   .y2 = paneY2_ + 32, .background = kPageColour, .value = 2});
  g.AddControl(n, {.id = kIdEnd});
  if (builtWidth_ != paneX2_ - paneX1_) BuildLines();
  ScrollTo(scroll_);
}

void RecipeView::PaintPane(int index) {
  Gui& g = s_.gui;
  platform::Canvas& cv = g.canvas;
  const Control& c = g.table[size_t(index)];
  if (c.value == 2) {
    // Status line: the ingredient word under the pointer.
    cv.FillRect(c.x1, c.y1, c.x2, c.y2, c.background);
    if (!hint_.empty()) {
      const std::string a = "Click to find ";
      cv.DrawText(c.x1 + 4, c.y1 + 3, platform::kTextLeft, kBlack, g.fonts[kFontScreen], a);
      int x = c.x1 + 4 + cv.LastTextWidth();
      cv.DrawText(x, c.y1 + 3, platform::kTextLeft, kBlack, g.fonts[kFontScreenBold], hint_);
      x += cv.LastTextWidth();
      cv.DrawText(x, c.y1 + 3, platform::kTextLeft, kBlack, g.fonts[kFontScreen], " in grocery list");
    }
    return;
  }
  if (c.value == 1) {
    // Scroll bar: the thumb shows the window of the content in view.
    cv.FillRect(c.x1, c.y1, c.x2, c.y2, c.background);
    const ScrollThumb t = ScrollThumb::Place(c.y1, c.y2 - c.y1, ContentHeight(), PaneHeight(), scroll_);
    if (t.Scrolls()) cv.FillRect(c.x1 + 2, t.top, c.x2 - 2, t.top + t.height, kFrameColour);
    return;
  }
  cv.FramedFill(c.x1, c.y1, c.x2, c.y2, c.background, kFrameColour);
  cv.SetClip(c.x1 + 1, c.y1 + 1, c.x2 - 1, c.y2 - 1);
  if (empty()) {
    cv.DrawText((c.x1 + c.x2) / 2, c.y1 + 40, platform::kTextCentre, kBlack, g.fonts[kFontScreenLarge],
                kNoRecipesInChapter);
    return;
  }
  const int x = c.x1 + kPanePad;
  const int column = cv.TextWidth(g.fonts[kFontScreen], "12-1/2");
  const int twoSpaces = cv.TextWidth(g.fonts[kFontScreen], "  ");
  for (const ViewLine& l : lines_) {
    const int y = c.y1 + l.y - scroll_;
    if (y + l.height < c.y1 || y > c.y2) continue;
    switch (l.kind) {
      case ViewLine::kTitle: cv.DrawText(x, y, platform::kTextLeft, kNavy, g.fonts[kFontScreenLarge], l.text); break;
      case ViewLine::kServes: cv.DrawText(x, y, platform::kTextLeft, kBlack, g.fonts[kFontScreenBold], l.text); break;
      case ViewLine::kRule: cv.Line(x, y + 5, c.x2 - kPanePad, y + 5, kFrameColour, 2); break;
      case ViewLine::kPhoto: {
        const int w = std::min(photoW_, c.x2 - c.x1 - 2 * kPanePad);
        cv.DrawPictureScaled(photo_, x, y, w, l.height - kPhotoGap);
        break;
      }
      case ViewLine::kHeading: cv.DrawText(x, y, platform::kTextLeft, kNavy, g.fonts[kFontScreenBold], l.text); break;
      case ViewLine::kIngredient:
        if (!l.amount.empty()) cv.DrawText(x + column, y, platform::kTextRight, kBlack, g.fonts[kFontScreen], l.amount);
        cv.DrawText(x + column + twoSpaces, y, platform::kTextLeft, kBlack, g.fonts[kFontScreen], l.text);
        break;
      case ViewLine::kDirection: cv.DrawText(x, y, platform::kTextLeft, kBlack, g.fonts[kFontScreen], l.text); break;
      case ViewLine::kEmpty: break;
    }
  }
}

void RecipeView::Paint() {
  Gui& g = s_.gui;
  g.DrawAllControls();
  g.ShowAll();
}

void RecipeView::PaintStatus() {
  Gui& g = s_.gui;
  const int i = g.Find(kIdViewStatus);
  if (i < 0) return;
  g.DrawControl(i);
  g.ShowControl(i);
}

void RecipeView::Hover() {
  const platform::InputState& in = s_.gui.Input();
  std::string word;
  const int y = in.mouseY - paneY1_ + scroll_;
  if (in.mouseX >= paneX1_ && in.mouseX < paneX2_ - kBarWidth && in.mouseY >= paneY1_ && in.mouseY < paneY2_) {
    for (const ViewLine& l : lines_) {
      if (l.kind != ViewLine::kIngredient || y < l.y || y >= l.y + l.height) continue;
      Gui& g = s_.gui;
      const int x0 = paneX1_ + kPanePad + g.canvas.TextWidth(g.fonts[kFontScreen], "12-1/2") +
                     g.canvas.TextWidth(g.fonts[kFontScreen], "  ");
      const std::array<int, 256> w = ByteWidths(g, kFontScreen);
      int acc = x0, pos = -1;
      for (size_t k = 0; k < l.text.size(); ++k) {
        const int cw = w[static_cast<unsigned char>(l.text[k])];
        if (in.mouseX >= acc && in.mouseX < acc + cw) {
          pos = int(k);
          break;
        }
        acc += cw;
      }
      word = WordAt(l.text, pos);
      // The hint shows the word without the non-letters at its ends.
      size_t a = 0, b = word.size();
      while (a < b && !IsLetter(static_cast<unsigned char>(word[a]))) ++a;
      while (b > a && !IsLetter(static_cast<unsigned char>(word[b - 1]))) --b;
      word = word.substr(a, b - a);
      break;
    }
  }
  if (word != hint_) {
    hint_ = word;
    PaintStatus();
  }
}

void RecipeView::Click() {
  if (hint_.empty()) return;
  // The grocery screen picks the word up when it opens and searches it.
  s_.ctx.grocerySearchWord = GrocerySearchWord(hint_);
  if (!s_.ctx.grocerySearchWord.empty()) s_.ctx.screen = kScreenGrocery;
}

void RecipeView::Step(int delta) {
  ListModel& list = s_.collection.recipeList();
  if (list.entries.empty()) return;
  const int to = std::clamp(list.current + delta, 0, list.count() - 1);
  if (to == list.current) return;
  list.current = to;
  Load(false);
  Layout();
  Paint();
}

void RecipeView::Find() {
  std::vector<FormField> fields(1);
  if (s_.dialogs.Form("Enter a text string to search for", "", 1, "OK|Cancel", 30, fields) != 1) return;
  std::string text = fields.empty() ? std::string() : TrimSpaces(fields[0].text);
  textops::LowerInPlace(text);
  if (text.empty()) return;
  for (const ViewLine& l : lines_) {
    std::string hay = l.amount + " " + l.text;
    textops::LowerInPlace(hay);
    if (hay.find(text) == std::string::npos) continue;
    ScrollTo(ScrollToShow(scroll_, l.y, l.y + l.height, PaneHeight()));
    return;
  }
  s_.dialogs.Message("No match found for|" + text, "OK");
}

void RecipeView::Resize() {
  CurrentRecord& r = s_.collection.current();
  if (r.kind() == kKindInfo) {
    s_.dialogs.Message(kInfoNoResize, "OK");
    return;
  }
  uint8_t servings = r.servings();
  if (ResizeRecipe(servings, r.ingredients, s_.ctx.settings, s_.dialogs) == 1) {
    r.setServings(servings);
    builtWidth_ = -1;
  }
}

void RecipeView::Delete() {
  if (s_.dialogs.Message(kConfirmDeleteRecipe, "OK|Cancel", 2) != 1) return;
  DeleteRecipeAt(s_.collection, s_.collection.recipeList().current);
  Load(true);
}

void RecipeView::Edit() {
  EditCurrentRecipe(s_);
  Load(true);
}

void RecipeView::Dispatch(int id) {
  Gui& g = s_.gui;
  platform::InputState& in = g.Input();
  if (in.wheelSteps) {
    ScrollTo(scroll_ - in.wheelSteps * g.fonts.fieldHeight);
    Paint();
    return;
  }
  if (id == 0 && in.moved) {
    Hover();
    return;
  }
  if (id == 0 && in.pressed && in.heldButton == 1 && !hint_.empty()) {
    Click();
    return;
  }
  const bool arrows = id == kIdViewPrevious || id == kIdViewNext || (id == 0 && in.keyDown &&
                      (in.virtualKey == platform::kVkLeft || in.virtualKey == platform::kVkRight));
  const bool command = id >= kIdViewPrint && id <= kIdViewExport;
  const bool deleteKey = id == 0 && in.keyDown && in.virtualKey == platform::kVkDelete;
  if ((command || deleteKey) && empty()) {
    s_.dialogs.Message(kNoRecipesMessage, "OK");
    Paint();
    return;
  }
  const int page = std::max(1, PaneHeight() - g.fonts.fieldHeight);
  bool repaint = true;
  if (arrows) {
    const bool back = id == kIdViewPrevious || in.virtualKey == platform::kVkLeft;
    Step(back ? -1 : 1);
    return;
  }
  switch (id) {
    case kIdViewResize: Resize(); break;
    case kIdViewFind: Find(); break;
    case kIdViewEdit: Edit(); break;
    case kIdViewDelete: Delete(); break;
    case kIdViewUp: ScrollTo(scroll_ - g.fonts.fieldHeight); break;
    case kIdViewDown: ScrollTo(scroll_ + g.fonts.fieldHeight); break;
    // Print, New Meal and Export> come with their own screens.
    case kIdViewPrint: case kIdViewNewMeal: case kIdViewExport: repaint = false; break;
    case 0:
      repaint = false;
      if (in.keyDown) {
        repaint = true;
        switch (in.virtualKey) {
          case platform::kVkUp: ScrollTo(scroll_ - g.fonts.fieldHeight); break;
          case platform::kVkDown: ScrollTo(scroll_ + g.fonts.fieldHeight); break;
          case platform::kVkPrior: ScrollTo(scroll_ - page); break;
          case platform::kVkNext: ScrollTo(scroll_ + page); break;
          case platform::kVkHome: ScrollTo(0); break;
          case platform::kVkEnd: ScrollTo(ContentHeight()); break;
          case platform::kVkDelete: Delete(); break;
          default: repaint = false; break;
        }
      }
      if (in.charKey == 13) {
        s_.ctx.screen = kScreenRecipes;
        return;
      }
      break;
    default: repaint = false; break;
  }
  if (repaint && !s_.ctx.Quitting() && s_.ctx.screen == kScreenRecipe) {
    Layout();
    Paint();
  }
}

void RecipeView::Run() {
  const int me = s_.ctx.screen;
  Gui& g = s_.gui;
  g.SetKindPainter(kKindViewPane, [this](Gui&, int index) { PaintPane(index); });
  g.window.redraw = true;
  g.window.PostTimerMessage(0);
  const int timer = s_.StartScreenTimer();
  Load(false);
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
  g.SetKindPainter(kKindViewPane, nullptr);
}

}  // namespace pantrela::ui
