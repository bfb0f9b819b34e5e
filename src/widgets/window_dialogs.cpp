#include "widgets/window_dialogs.h"

#include <algorithm>

#include "widgets/file_browser.h"
#include "widgets/list_widgets.h"
#include "widgets/text_field.h"

namespace pantrela::widgets {
namespace {

using platform::InputState;

constexpr int kLineStep = 24;  // message lines: 1.2 x 20
constexpr int kRow = 23;       // list rows: 1.15 x 20

bool KeyDown(const InputState& in, int vk) { return in.keyDown && in.virtualKey == vk; }

int WidestText(Gui& gui, int font, const std::vector<std::string>& texts) {
  int widest = 0;
  for (const auto& t : texts) widest = std::max(widest, gui.canvas.TextWidth(gui.fonts[font], t));
  return widest;
}

// A row of buttons kIdButtonBase + i, each `width` wide and 28 high.
void AddButtonRow(Gui& gui, int& n, const std::vector<std::string>& captions, int left, int top, int width,
                  int accelerator) {
  for (int i = 0; i < int(captions.size()); ++i)
    gui.AddControl(n, {.id = kIdButtonBase + i, .kind = kKindButton, .x1 = left + i * width, .y1 = top,
                       .x2 = left + (i + 1) * width, .y2 = top + 28, .foreground = kBlack, .background = kButtonFace,
                       .font = kFontButton, .accelerator = accelerator, .caption = captions[size_t(i)]});
}

// The message box and input form: message lines, fields with their
// captions and a row of buttons.
class PopupForm {
 public:
  PopupForm(Gui& gui, FieldRecord& record, const std::string& message, const std::string& captions,
            int defaultButton, const std::string& buttons, int fieldLength);
  // The number of the button chosen, or 0 when the program quit first.
  int Run();

 private:
  void Measure();
  void PrepareRecord();
  void Build();
  void AddFields(int& n);
  // One event; true when the form ends.
  bool Handle(int id);
  void MoveFocus(int to);
  int FieldAt(int x, int y) const;
  void CopyBack();

  Gui& gui_;
  FieldRecord& record_;
  const std::vector<std::string> lines_, caps_, buttons_;
  const int defaultButton_, fieldLength_;
  int nF_ = 0, common_ = 0;
  int capW_ = 0, fieldW_ = 0, bW_ = 0, W_ = 0, H_ = 0, left_ = 0, top_ = 0;
  std::vector<int> fieldIndex_;
  int focus_ = 0, chosen_ = 0;
  FieldCaret caret_;
};

PopupForm::PopupForm(Gui& gui, FieldRecord& record, const std::string& message, const std::string& captions,
                     int defaultButton, const std::string& buttons, int fieldLength)
    : gui_(gui),
      record_(record),
      lines_(SplitList(message)),
      caps_(captions.empty() ? std::vector<std::string>{} : SplitList(captions)),
      buttons_(SplitList(buttons)),
      defaultButton_(defaultButton),
      fieldLength_(fieldLength),
      caret_(gui) {}

void PopupForm::Measure() {
  nF_ = std::min(int(caps_.size()), kFieldRecordEntries - 1);
  // Every caption is measured whole, the last one included.
  const int msgW = WidestText(gui_, kFontMessage, lines_);
  if (!caps_.empty()) {
    std::vector<std::string> shown(caps_.begin(), caps_.begin() + nF_);
    capW_ = WidestText(gui_, kFontMessage, shown) + 10;
  }
  bW_ = std::max(WidestText(gui_, kFontButton, buttons_) + 20, 80);
  if (caps_.empty() && fieldLength_ != 0) nF_ = 1;
  const bool prefill = fieldLength_ >= 100;
  common_ = std::clamp(prefill ? fieldLength_ - 100 : fieldLength_, 0, kMaxFieldText);
  const int FH = gui_.fonts.fieldHeight, cw = gui_.Width(), ch = gui_.Height();
  if (nF_ > 0) {
    fieldW_ = std::min(cw - capW_ - 120,
                       gui_.canvas.TextWidth(gui_.fonts[kFontScreen], std::string(size_t(common_ + 1), 'X')));
    fieldW_ = std::max(fieldW_, 20);
  }
  const int nL = int(lines_.size()), nB = int(buttons_.size());
  H_ = kLineStep * nL + 28 + (10 + FH) * nF_ + 55;
  W_ = 40 + std::max({nB * bW_, nF_ > 0 ? capW_ + fieldW_ + 15 : 0, msgW});
  left_ = cw / 2 - W_ / 2;
  top_ = ch / 2 - H_ / 2 + 10;
}

void PopupForm::PrepareRecord() {
  const bool prefill = fieldLength_ >= 100;
  for (int i = 0; i < nF_; ++i) {
    FieldEntry& e = record_[size_t(i)];
    if (!prefill) e = FieldEntry{};
    int max = e.maxChars > 0 ? std::min(e.maxChars, kMaxFieldText) : common_;
    if (int(e.text.size()) > max) e.text.resize(size_t(max));
  }
}

void PopupForm::Build() {
  int n = 0;
  gui_.AddModalBox(n, left_, top_, W_, H_);
  for (int i = 0; i < int(lines_.size()); ++i) {
    const int y = top_ + kLineStep * i + 12;
    gui_.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = left_, .y1 = y, .x2 = left_ + W_,
                        .y2 = y + kLineStep, .foreground = kBlack, .font = kFontMessage,
                        .caption = lines_[size_t(i)], .align = 2});
  }
  AddFields(n);
  const int FH = gui_.fonts.fieldHeight, nB = int(buttons_.size());
  const int buttonsTop = top_ + kLineStep * int(lines_.size()) + 30 + (10 + FH) * nF_ + 10;
  AddButtonRow(gui_, n, buttons_, gui_.Width() / 2 - (nB * bW_) / 2, buttonsTop, bW_, nF_ == 0 ? 1 : 0);
  gui_.AddControl(n, {.id = kIdEnd});
  for (int k : fieldIndex_) KeepCaretVisible(gui_, gui_.table[size_t(k)]);
}

void PopupForm::AddFields(int& n) {
  platform::Canvas& cv = gui_.canvas;
  const int FH = gui_.fonts.fieldHeight;
  const int fieldsTop = top_ + kLineStep * int(lines_.size()) + 30;
  const int blockLeft = gui_.Width() / 2 - (capW_ + fieldW_) / 2, fieldLeft = blockLeft + capW_;
  for (int i = 0; i < nF_; ++i) {
    const int fy = fieldsTop + i * (10 + FH);
    if (i < int(caps_.size()) && !caps_[size_t(i)].empty()) {
      cv.DrawText(0, 0, platform::kTextMeasure, 0, gui_.fonts[kFontMessage], caps_[size_t(i)]);
      const int ty = fy + (FH - cv.LastTextHeight()) / 2;
      gui_.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = blockLeft - 5, .y1 = ty,
                          .x2 = fieldLeft - 10, .y2 = ty + cv.LastTextHeight(), .foreground = kBlack,
                          .font = kFontMessage, .caption = caps_[size_t(i)], .align = 1});
    }
    const FieldEntry& e = record_[size_t(i)];
    const int k = gui_.AddControl(n, {.id = kIdFieldBase + i, .kind = kKindTextField, .x1 = fieldLeft, .y1 = fy,
                                      .x2 = fieldLeft + fieldW_, .y2 = fy + FH, .foreground = e.textColour,
                                      .background = e.backColour, .font = kFontScreen, .caption = e.text});
    Control& f = gui_.table[size_t(k)];
    f.maxLength = e.maxChars > 0 ? std::min(e.maxChars, kMaxFieldText) : common_;
    f.caret = f.anchor = f.selectionEnd = int(f.caption.size());
    fieldIndex_.push_back(k);
  }
}

int PopupForm::Run() {
  if (gui_.ctx.Quitting()) return 0;
  Measure();
  PrepareRecord();
  {
    ModalLoop loop(gui_);
    Build();
    gui_.caretField = nF_ > 0 ? fieldIndex_[0] : -1;
    gui_.DrawAllControls();
    gui_.ShowAll();
    if (nF_ > 0) caret_.Focus(fieldIndex_[0]);
    int id = 0;
    while (loop.Next(id)) {
      if (Handle(id)) break;
    }
    CopyBack();
  }
  return chosen_;
}

bool PopupForm::Handle(int id) {
  const InputState& in = gui_.Input();
  if (id >= kIdButtonBase && id < kIdButtonBase + int(buttons_.size())) {
    chosen_ = id - (kIdButtonBase - 1);
    return true;
  }
  const bool enter = in.charKey == platform::kCharEnter;
  if (nF_ == 0) {
    if (enter) chosen_ = defaultButton_;
    return enter;
  }
  if (in.timer && in.lastTimer == kTimerCaret) {
    caret_.Blink();
    return false;
  }
  const bool tab = in.charKey == platform::kCharTab;
  if (KeyDown(in, platform::kVkUp) || (tab && in.shift)) {
    if (focus_ > 0) MoveFocus(focus_ - 1);
    return false;
  }
  if (KeyDown(in, platform::kVkDown) || tab || enter) {
    if (focus_ < nF_ - 1) {
      MoveFocus(focus_ + 1);
    } else if (enter) {
      chosen_ = defaultButton_;
      return true;
    }
    return false;
  }
  if (in.pressed && in.heldButton == 1) {
    const int clicked = FieldAt(in.mouseX, in.mouseY);
    if (clicked >= 0 && clicked != focus_) {
      MoveFocus(clicked);
      return false;
    }
  }
  caret_.Edit();
  return false;
}

int PopupForm::FieldAt(int x, int y) const {
  int clicked = -1;
  for (int i = 0; i < nF_; ++i)
    if (gui_.table[size_t(fieldIndex_[size_t(i)])].Contains(x, y)) clicked = i;
  return clicked;
}

void PopupForm::MoveFocus(int to) {
  if (to == focus_) return;
  caret_.Show(false);
  focus_ = to;
  Control& f = gui_.table[size_t(fieldIndex_[size_t(focus_)])];
  f.caret = f.anchor = f.selectionEnd = int(f.caption.size());
  KeepCaretVisible(gui_, f);
  caret_.Focus(fieldIndex_[size_t(focus_)]);
}

// The texts go back to the field record whichever way the form ended.
void PopupForm::CopyBack() {
  for (int i = 0; i < nF_; ++i) {
    record_[size_t(i)].index = i;
    record_[size_t(i)].text = gui_.table[size_t(fieldIndex_[size_t(i)])].caption;
  }
  record_[size_t(nF_)].index = -1;
}

// The choice list: a prompt, every choice in one list, and buttons.
class ChoiceList {
 public:
  ChoiceList(Gui& gui, const std::string& prompt, const std::vector<std::string>& choices,
             const std::string& buttons, int selected);
  // The number of the button chosen (0 when the program quit first) and the
  // selected row.
  int Run();
  int selected() const { return sel_; }

 private:
  void Build();
  void PaintList(Gui& g, int index);
  void RedrawList();
  void Handle(const InputState& in);

  Gui& gui_;
  std::vector<std::string> choices_;
  const std::vector<std::string> lines_, buttons_;
  int sel_ = 0, listIndex_ = -1;
  bool dragging_ = false;
};

ChoiceList::ChoiceList(Gui& gui, const std::string& prompt, const std::vector<std::string>& choices,
                       const std::string& buttons, int selected)
    : gui_(gui), lines_(SplitList(prompt)), buttons_(SplitList(buttons)) {
  for (size_t i = 0; i < choices.size() && i < size_t(kMaxChoices); ++i)
    choices_.push_back(choices[i].substr(0, kMaxChoiceText));
  sel_ = std::clamp(selected, 0, std::max(0, int(choices_.size()) - 1));
}

void ChoiceList::Build() {
  const int count = int(choices_.size()), nB = int(buttons_.size()), pl = int(lines_.size());
  const int bW = WidestText(gui_, kFontButton, buttons_) + 20;
  const int W = 40 + std::max({WidestText(gui_, kFontMessage, lines_), WidestText(gui_, kFontList, choices_) + 40,
                               nB * bW});
  const int H = kRow * pl + kRow * count + 28 + 50;
  const int cw = gui_.Width(), ch = gui_.Height();
  const int left = cw / 2 - W / 2, top = ch / 2 - H / 2;
  int n = 0;
  gui_.AddModalBox(n, left, top, W, H);
  for (int i = 0; i < pl; ++i)
    gui_.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = left, .y1 = top + 10 + kRow * i,
                        .x2 = left + W, .y2 = top + 10 + kRow * (i + 1), .foreground = kBlack,
                        .font = kFontMessage, .caption = lines_[size_t(i)], .align = 2});
  const int listTop = top + kRow * pl + 17, listBottom = listTop + kRow * count;
  listIndex_ = gui_.AddControl(n, {.id = kIdChoiceList, .kind = kKindChoiceList, .x1 = left + 20, .y1 = listTop,
                                   .x2 = left + W - 20, .y2 = listBottom, .foreground = kBlack,
                                   .background = kWhite, .font = kFontList});
  AddButtonRow(gui_, n, buttons_, cw / 2 - (nB * bW) / 2, listBottom + 11, bW, 0);
  gui_.AddControl(n, {.id = kIdEnd});
}

void ChoiceList::PaintList(Gui& g, int index) {
  const Control& c = g.table[size_t(index)];
  g.canvas.FramedFill(c.x1, c.y1 - 1, c.x2, c.y2 + 1, kWhite, kFrameColour);
  for (int r = 0; r < int(choices_.size()); ++r) {
    const int y = c.y1 + kRow * r;
    const bool on = r == sel_;
    if (on) g.canvas.FillRect(c.x1 + 1, y, c.x2 - 1, y + kRow, kNavy);
    g.canvas.DrawText(c.x1 + 20, y + 1, platform::kTextLeft, on ? kWhite : kBlack, g.fonts[kFontList],
                      choices_[size_t(r)]);
  }
}

void ChoiceList::RedrawList() {
  const Control& c = gui_.table[size_t(listIndex_)];
  gui_.canvas.SetClip(c.x1, c.y1 - 1, c.x2, c.y2 + 1);
  gui_.DrawControl(listIndex_);
  gui_.canvas.ClearClip();
  gui_.ShowBuffer(c.x1, c.y1 - 1, c.x2 - c.x1 + 1, c.y2 - c.y1 + 3);
}

void ChoiceList::Handle(const InputState& in) {
  const int count = int(choices_.size());
  if (count == 0) return;
  // Page Up and Page Down go to the ends, like Home and End.
  if (in.keyDown) {
    if (auto to = NavigationTarget(in.virtualKey, sel_, count, count)) sel_ = *to;
  }
  const Control& list = gui_.table[size_t(listIndex_)];
  if (in.pressed && in.heldButton == 1 && list.Contains(in.mouseX, in.mouseY)) dragging_ = true;
  if (dragging_ && in.heldButton == 1 && !in.released) {
    // Above or below the list the selection walks one row per message.
    if (in.mouseY < list.y1) sel_ = std::max(0, sel_ - 1);
    else if (in.mouseY >= list.y2) sel_ = std::min(count - 1, sel_ + 1);
    else sel_ = std::clamp((in.mouseY - list.y1) / kRow, 0, count - 1);
    if (!gui_.window.TimerRunning(platform::kTimerRepeat)) gui_.window.SetTimer(platform::kTimerRepeat, 40);
  }
  if (in.released || in.heldButton == 0) dragging_ = false;
}

int ChoiceList::Run() {
  if (gui_.ctx.Quitting()) return 0;
  int button = 0;
  {
    ModalLoop loop(gui_);
    Build();
    Gui::KindPainter old = gui_.SetKindPainter(kKindChoiceList, [this](Gui& g, int i) { PaintList(g, i); });
    gui_.DrawAllControls();
    gui_.ShowAll();
    int id = 0;
    while (loop.Next(id)) {
      if (id >= kIdButtonBase && id < kIdButtonBase + int(buttons_.size())) {
        button = id - (kIdButtonBase - 1);
        break;
      }
      const int was = sel_;
      Handle(gui_.Input());
      if (sel_ != was) RedrawList();
    }
    gui_.window.KillTimer(platform::kTimerRepeat);
    gui_.SetKindPainter(kKindChoiceList, old);
  }
  return button;
}

// The drop-down list: entries (a leading "|" makes a bold heading) with a
// scroll bar when they do not all fit.
class DropList {
 public:
  DropList(Gui& gui, const std::vector<std::string>& entries, int x, int y, int width);
  // The index chosen, or -1.
  int Run();

 private:
  void Build();
  void PaintList(Gui& g, int index);
  void Paint();
  void PlaceThumb();
  // One event; true when the list ends.
  bool Handle(int id, const InputState& in);
  void HandleKeys(const InputState& in);
  void HandleScrollBar(const InputState& in);
  int LastFirst() const { return std::max(0, count_ - rows_); }

  Gui& gui_;
  std::vector<std::string> entries_;
  int count_ = 0, rows_ = 0;
  bool scroll_ = false;
  int x0_ = 0, y0_ = 0, W_ = 0, listH_ = 0, listRight_ = 0;
  int listIndex_ = -1, thumbIndex_ = -1, lastIndex_ = 0;
  int sel_ = -1, first_ = 0, result_ = -1;
  bool thumbDrag_ = false;
  int grab_ = 0;
};

bool IsHeading(const std::string& e) { return !e.empty() && e[0] == '|'; }
std::string_view ShownEntry(const std::string& e) {
  return IsHeading(e) ? std::string_view(e).substr(1) : std::string_view(e);
}

DropList::DropList(Gui& gui, const std::vector<std::string>& entries, int x, int y, int width) : gui_(gui) {
  for (const auto& e : entries) entries_.push_back(e.substr(0, kMaxDropText));
  count_ = int(entries_.size());
  const int cw = gui.Width(), ch = gui.Height();
  rows_ = std::min(count_, std::max(10, (ch - y - 20) / kRow));
  scroll_ = count_ > rows_;
  int widest = 0;
  for (const auto& e : entries_)
    widest = std::max(widest, gui.canvas.TextWidth(gui.fonts[IsHeading(e) ? kFontListBold : kFontList], ShownEntry(e)));
  W_ = std::max(width - 10, widest + 10 + (scroll_ ? 22 : 0));
  x0_ = x - 1;
  y0_ = std::max(y, 64);
  if (x0_ + W_ > cw - 20) x0_ = cw - 20 - W_;
  x0_ = std::max(0, x0_);
  listH_ = std::max(1, rows_) * kRow;
  listRight_ = x0_ + W_ - (scroll_ ? 22 : 0);
}

void DropList::Build() {
  int n = 0;
  gui_.AddControl(n, {.id = kIdTopBar, .x2 = gui_.Width(), .y2 = 44});
  listIndex_ = gui_.AddControl(n, {.id = kIdDropList, .kind = kKindDropList, .x1 = x0_, .y1 = y0_, .x2 = listRight_,
                                   .y2 = y0_ + listH_ + 2, .foreground = kBlack, .background = kWhite,
                                   .font = kFontList});
  if (scroll_) {
    const int trackTop = y0_ + 22, trackBottom = y0_ + listH_ + 2 - 22;
    const Control arrow{.kind = kKindButton, .x1 = listRight_, .x2 = x0_ + W_, .foreground = kBlack,
                        .background = kButtonFace, .font = kFontList};
    Control up = arrow, thumb = arrow, down = arrow;
    up.id = kIdScrollUp, up.y1 = y0_, up.y2 = y0_ + 22, up.caption = "ARROW_UP";
    thumb.id = kIdScrollThumb, thumb.y1 = trackTop, thumb.y2 = trackTop + 20;
    down.id = kIdScrollDown, down.y1 = trackBottom, down.y2 = trackBottom + 22, down.caption = "ARROW_DOWN";
    gui_.AddControl(n, up);
    thumbIndex_ = gui_.AddControl(n, thumb);
    gui_.AddControl(n, down);
  }
  lastIndex_ = gui_.AddControl(n, {.id = kIdEnd});
  PlaceThumb();
}

void DropList::PlaceThumb() {
  if (!scroll_) return;
  const int trackTop = y0_ + 22, trackH = std::max(1, listH_ + 2 - 44);
  const ScrollThumb t = ScrollThumb::Place(trackTop, trackH, count_, rows_, first_);
  Control& c = gui_.table[size_t(thumbIndex_)];
  c.y1 = t.top;
  c.y2 = t.top + t.height;
}

void DropList::PaintList(Gui& g, int index) {
  const Control& c = g.table[size_t(index)];
  g.canvas.FramedFill(c.x1, c.y1, c.x2, c.y2, kWhite, kFrameColour);
  for (int r = 0; r < rows_ && first_ + r < count_; ++r) {
    const int i = first_ + r, ry = c.y1 + 1 + kRow * r;
    const std::string& e = entries_[size_t(i)];
    const bool on = i == sel_;
    if (on) g.canvas.FillRect(c.x1 + 1, ry, c.x2 - 1, ry + kRow, kNavy);
    g.canvas.DrawText(c.x1 + 5, ry + 1, platform::kTextLeft, on ? kWhite : kBlack,
                      g.fonts[IsHeading(e) ? kFontListBold : kFontList], ShownEntry(e));
  }
}

void DropList::Paint() {
  if (scroll_) {
    const Control& list = gui_.table[size_t(listIndex_)];
    gui_.canvas.FramedFill(listRight_, y0_, x0_ + W_, list.y2, Rgb(220, 220, 220), kFrameColour);
  }
  for (int i = 1; i < lastIndex_; ++i) gui_.DrawControl(i);
  gui_.ShowBuffer(x0_, y0_, W_ + 1, listH_ + 3);
}

void DropList::HandleKeys(const InputState& in) {
  if (count_ == 0) return;
  const int was = sel_;
  if (in.keyDown) {
    if (auto to = NavigationTarget(in.virtualKey, sel_, count_, rows_)) sel_ = *to;
  }
  if (sel_ == was) {
    auto firstChar = [this](int row) {
      const std::string& e = entries_[size_t(row)];
      return e.empty() ? 0 : int(static_cast<unsigned char>(e[0]));
    };
    if (auto to = TypeAheadTarget(in.charKey, count_, firstChar)) sel_ = *to;
  }
  if (sel_ != was && sel_ >= 0) first_ = ScrollToShow(first_, sel_, sel_ + 1, rows_);
}

void DropList::HandleScrollBar(const InputState& in) {
  if (!scroll_) return;
  const bool held = in.heldButton == 1 && !in.released;
  if (held && (in.pressed || (in.timer && in.lastTimer == platform::kTimerRepeat))) {
    if (gui_.pressedId == kIdScrollUp) first_ = std::max(0, first_ - 1);
    else if (gui_.pressedId == kIdScrollDown) first_ = std::min(LastFirst(), first_ + 1);
  }
  const ScrollThumb t = ScrollThumb::Place(y0_ + 22, std::max(1, listH_ + 2 - 44), count_, rows_, first_);
  if (in.pressed && in.heldButton == 1 && gui_.pressedId == kIdScrollThumb) {
    thumbDrag_ = true;
    grab_ = in.mouseY - gui_.table[size_t(thumbIndex_)].y1;
  }
  if (thumbDrag_ && held && in.moved) first_ = t.PositionFor(in.mouseY, grab_);
  if (!held) thumbDrag_ = false;
  if (in.wheelSteps) first_ = std::clamp(first_ - in.wheelSteps, 0, LastFirst());
}

bool DropList::Handle(int id, const InputState& in) {
  if (in.charKey == platform::kCharSpace || in.charKey == platform::kCharEscape) return true;
  if (in.charKey == platform::kCharEnter) {
    if (count_ == 0) return false;
    result_ = sel_;
    return true;
  }
  const int wasSel = sel_, wasFirst = first_;
  HandleKeys(in);
  if (id == kIdDropList) {
    const Control& list = gui_.table[size_t(listIndex_)];
    const int row = first_ + (in.mouseY - list.y1 - 1) / kRow;
    if (row >= 0 && row < count_ && row < first_ + rows_) {
      result_ = row;
      return true;
    }
  }
  HandleScrollBar(in);
  if (sel_ != wasSel || first_ != wasFirst) {
    PlaceThumb();
    Paint();
  }
  return false;
}

int DropList::Run() {
  if (gui_.ctx.Quitting()) return -1;
  ModalLoop loop(gui_);
  loop.repaint = [this] { Paint(); };
  Build();
  Gui::KindPainter old = gui_.SetKindPainter(kKindDropList, [this](Gui& g, int i) { PaintList(g, i); });
  Paint();
  int id = 0;
  while (loop.Next(id)) {
    if (Handle(id, gui_.Input())) break;
  }
  gui_.SetKindPainter(kKindDropList, old);
  return result_;
}

}  // namespace

int WindowDialogs::Popup(const std::string& message, const std::string& captions, int defaultButton,
                         const std::string& buttons, int fieldLength, int& result) {
  PopupForm form(gui_, fieldRecord, message, captions, defaultButton, buttons, fieldLength);
  const int chosen = form.Run();
  if (chosen > 0) result = chosen;
  return result;
}

void WindowDialogs::ChooseList(const std::string& prompt, const std::vector<std::string>& choices,
                               const std::string& buttons, int& button, int& selected) {
  ChoiceList list(gui_, prompt, choices, buttons, selected);
  const int chosen = list.Run();
  if (chosen == 0) return;
  button = chosen;
  selected = list.selected();
}

int WindowDialogs::ShowDropList(int x, int y, int width) {
  if (!dropListPrepared) {
    SystemMessage(kProgramName, "Failure defining popup memory buffer!");
    return -1;
  }
  return DropList(gui_, dropList, x, y, width).Run();
}

int WindowDialogs::Message(const std::string& message, const std::string& buttons, int defaultButton) {
  int result = 0;
  return Popup(message, "", defaultButton, buttons, 0, result);
}

int WindowDialogs::Form(const std::string& message, const std::string& captions, int defaultButton,
                        const std::string& buttons, int fieldLength, std::vector<FormField>& fields) {
  if (fieldLength >= 100) {
    for (size_t i = 0; i < size_t(kFieldRecordEntries); ++i) {
      FieldEntry& e = fieldRecord[i];
      if (i < fields.size()) {
        e.textColour = fields[i].textColour;
        e.backColour = fields[i].backColour;
        e.maxChars = fields[i].maxChars;
        e.text = fields[i].text.substr(0, kMaxFieldText);
      } else {
        e = FieldEntry{};
      }
    }
  }
  int result = 0;
  Popup(message, captions, defaultButton, buttons, fieldLength, result);
  std::vector<FormField> out;
  for (size_t i = 0; i < size_t(kFieldRecordEntries) && fieldRecord[i].index == int(i); ++i) {
    FormField f;
    f.text = fieldRecord[i].text;
    f.textColour = fieldRecord[i].textColour;
    f.backColour = fieldRecord[i].backColour;
    f.maxChars = fieldRecord[i].maxChars;
    out.push_back(std::move(f));
  }
  if (result != 0 || !gui_.ctx.Quitting()) fields = std::move(out);
  return result;
}

int WindowDialogs::ChooseFromList(const std::string& prompt, const std::vector<std::string>& choices,
                                  const std::string& buttons, int& selected) {
  int button = 0;
  ChooseList(prompt, choices, buttons, button, selected);
  return button;
}

int WindowDialogs::PopupList(int x, int y, int width, const std::vector<std::string>& entries) {
  dropList = entries;
  dropListPrepared = true;
  return ShowDropList(x, y, width);
}

bool WindowDialogs::BrowseFiles(const std::string& title, std::string& folder, std::string& fileName) {
  return RunFileBrowser(gui_, *this, title, folder, fileName);
}

void WindowDialogs::ProgressOpen() {
  if (progress_.open) return;
  progress_.loop.emplace(gui_);
  progress_.open = true;
  const int cw = gui_.Width(), ch = gui_.Height();
  const int bx = cw / 2 - 150, by = ch / 2 - 10;
  progress_.barX = bx;
  progress_.barY = by;
  int n = 0;
  gui_.AddControl(n, {.id = kIdDecoration, .kind = kKindSnapshot, .x1 = 0, .y1 = 44, .x2 = cw, .y2 = ch});
  gui_.AddControl(n, {.id = kIdTopBar, .x1 = 0, .y1 = 0, .x2 = cw, .y2 = 44});
  progress_.firstPainted = n;
  gui_.AddControl(n, {.id = kIdDecoration, .kind = kKindFilled, .x1 = bx - 20 + 5, .y1 = by - 38 + 5,
                      .x2 = bx + 320 + 5, .y2 = by + 55 + 5, .foreground = Rgb(40, 40, 40)});
  gui_.AddControl(n, {.id = kIdDecoration, .kind = kKindBox, .x1 = bx - 20, .y1 = by - 38, .x2 = bx + 320,
                      .y2 = by + 55, .foreground = kBlack, .background = kBoxFill});
  gui_.AddControl(n, {.id = kIdDecoration, .kind = kKindFramedFill, .x1 = bx, .y1 = by, .x2 = bx + 300, .y2 = by + 20,
                      .foreground = kWhite, .background = kFrameColour});
  progress_.fillIndex = gui_.AddControl(n, {.id = kIdDecoration, .kind = kKindFilled, .x1 = bx, .y1 = by, .x2 = bx,
                                            .y2 = by + 20, .foreground = kNavy});
  progress_.titleIndex =
      gui_.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = bx - 20, .y1 = by - 31, .x2 = bx + 320,
                          .y2 = by - 8, .foreground = kBlack, .font = kFontListBold});
  progress_.lineIndex =
      gui_.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = bx - 20, .y1 = by + 27, .x2 = bx + 320,
                          .y2 = by + 45, .foreground = kBlack, .font = kFontSmallBold});
  gui_.table[size_t(progress_.titleIndex)].align = 2;
  gui_.table[size_t(progress_.lineIndex)].align = 2;
  gui_.AddControl(n, {.id = kIdEnd});
  gui_.DrawAllControls();
  gui_.ShowAll();
  ++progressPaints;
}

void WindowDialogs::ProgressUpdate(const std::string& title, const std::string& line2, double value,
                                   double maximum) {
  if (!progress_.open) return;
  const int percent = ProgressPercent(value, maximum);
  gui_.table[size_t(progress_.titleIndex)].caption = title.substr(0, 200);
  gui_.table[size_t(progress_.lineIndex)].caption = line2.substr(0, 200);
  gui_.table[size_t(progress_.fillIndex)].x2 = progress_.barX + 3 * percent;
  // The texts may have been wider than the box: start from the snapshot.
  gui_.canvas.PutSnapshot(progress_.barX - 20, progress_.barY - 38, progress_.barX + 326, progress_.barY + 61);
  for (size_t i = size_t(progress_.firstPainted); i < gui_.table.size() && gui_.table[i].id != kIdEnd; ++i)
    gui_.DrawControl(int(i));
  gui_.ShowBuffer(progress_.barX - 20, progress_.barY - 38, 346, 99);
  ++progressPaints;
}

void WindowDialogs::ProgressClose() {
  if (!progress_.open) return;
  progress_.open = false;
  progress_.loop.reset();
}

bool WindowDialogs::ProgressStop() {
  gui_.WaitEvent(false);
  return gui_.Input().charKey == platform::kCharSpace || gui_.ctx.Quitting();
}

void WindowDialogs::SystemMessage(const std::string& title, const std::string& text) {
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, platform::Utf8FromAnsi(title).c_str(),
                           platform::Utf8FromAnsi(text).c_str(), gui_.window.Handle());
}

}  // namespace pantrela::widgets
