#include "widgets/window_dialogs.h"

#include <algorithm>

#include "widgets/file_browser.h"
#include "widgets/text_field.h"

namespace pantrela::widgets {
namespace {

constexpr int kLineStep = 24;  // message lines: 1.2 x 20
constexpr int kRow = 23;       // list rows: 1.15 x 20

int Upper(int c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }

bool KeyDown(const platform::InputState& in, int vk) { return in.keyDown && in.virtualKey == vk; }

}  // namespace

void ShowHiddenWindow(Gui& gui) {
  SDL_Window* w = gui.window.Handle();
  if (w && (SDL_GetWindowFlags(w) & SDL_WINDOW_HIDDEN)) gui.window.ShowState(gui.ctx.settings.window_state);
}

WindowDialogs::Frame WindowDialogs::Begin() {
  Frame f;
  f.popupWas = gui_.ctx.popupUp;
  f.caretField = gui_.caretField;
  gui_.SaveControls();
  f.snapshot = gui_.canvas.TakeSnapshot();
  gui_.canvas.Snapshot();
  gui_.ctx.popupUp = true;
  ShowHiddenWindow(gui_);
  return f;
}

void WindowDialogs::End(Frame& f) {
  gui_.canvas.PutSnapshot(0, 0, gui_.Width(), gui_.Height());
  gui_.ShowAll();
  gui_.RestoreControls();
  gui_.canvas.GiveSnapshot(f.snapshot);
  f.snapshot = nullptr;
  gui_.caretField = f.caretField;
  gui_.ctx.popupUp = f.popupWas;
}

int WindowDialogs::Popup(const std::string& message, const std::string& captions, int defaultButton,
                         const std::string& buttons, int fieldLength, int& result) {
  if (gui_.ctx.Quitting()) return result;
  platform::Canvas& cv = gui_.canvas;
  const std::vector<std::string> lines = SplitList(message);
  const std::vector<std::string> caps = captions.empty() ? std::vector<std::string>{} : SplitList(captions);
  const std::vector<std::string> btns = SplitList(buttons);
  const int nL = int(lines.size()), nB = int(btns.size());
  int nF = std::min(int(caps.size()), kFieldRecordEntries - 1);

  // Measure; every caption is measured whole, the last one included.
  int msgW = 0;
  for (const auto& l : lines) msgW = std::max(msgW, cv.TextWidth(gui_.fonts[kFontMessage], l));
  int capW = 0;
  if (!caps.empty()) {
    for (int i = 0; i < nF; ++i) capW = std::max(capW, cv.TextWidth(gui_.fonts[kFontMessage], caps[size_t(i)]));
    capW += 10;
  }
  int widestButton = 0;
  for (const auto& b : btns) widestButton = std::max(widestButton, cv.TextWidth(gui_.fonts[kFontButton], b));
  const int bW = std::max(widestButton + 20, 80);
  if (caps.empty() && fieldLength != 0) nF = 1;

  const bool prefill = fieldLength >= 100;
  const int common = std::clamp(prefill ? fieldLength - 100 : fieldLength, 0, kMaxFieldText);
  const int FH = gui_.fonts.fieldHeight;
  const int cw = gui_.Width(), ch = gui_.Height(), mid = cw / 2;
  int fieldW = 0;
  if (nF > 0) {
    fieldW = std::min(cw - capW - 120, cv.TextWidth(gui_.fonts[kFontScreen], std::string(size_t(common + 1), 'X')));
    fieldW = std::max(fieldW, 20);
  }
  const int H = kLineStep * nL + 28 + (10 + FH) * nF + 55;
  const int W = 40 + std::max({nB * bW, nF > 0 ? capW + fieldW + 15 : 0, msgW});
  const int left = cw / 2 - W / 2, top = ch / 2 - H / 2 + 10;

  for (int i = 0; i < nF; ++i) {
    FieldEntry& e = fieldRecord[size_t(i)];
    if (!prefill) e = FieldEntry{};
    int max = e.maxChars > 0 ? std::min(e.maxChars, kMaxFieldText) : common;
    if (int(e.text.size()) > max) e.text.resize(size_t(max));
  }

  Frame frame = Begin();
  int n = 0;
  gui_.AddModalBox(n, left, top, W, H);
  for (int i = 0; i < nL; ++i) {
    int k = gui_.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = left, .y1 = top + kLineStep * i + 12,
                                .x2 = left + W, .y2 = top + kLineStep * i + 12 + kLineStep, .foreground = kBlack,
                                .font = kFontMessage, .caption = lines[size_t(i)]});
    gui_.table[size_t(k)].align = 2;
  }
  std::vector<int> fieldIndex;
  const int fieldsTop = top + kLineStep * nL + 30;
  const int blockLeft = mid - (capW + fieldW) / 2, fieldLeft = blockLeft + capW;
  for (int i = 0; i < nF; ++i) {
    int fy = fieldsTop + i * (10 + FH);
    if (i < int(caps.size()) && !caps[size_t(i)].empty()) {
      cv.DrawText(0, 0, platform::kTextMeasure, 0, gui_.fonts[kFontMessage], caps[size_t(i)]);
      int ty = fy + (FH - cv.LastTextHeight()) / 2;
      int k = gui_.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = blockLeft - 5, .y1 = ty,
                                  .x2 = fieldLeft - 10, .y2 = ty + cv.LastTextHeight(), .foreground = kBlack,
                                  .font = kFontMessage, .caption = caps[size_t(i)]});
      gui_.table[size_t(k)].align = 1;
    }
    const FieldEntry& e = fieldRecord[size_t(i)];
    int k = gui_.AddControl(n, {.id = kIdFieldBase + i, .kind = kKindTextField, .x1 = fieldLeft, .y1 = fy,
                                .x2 = fieldLeft + fieldW, .y2 = fy + FH, .foreground = e.textColour,
                                .background = e.backColour, .font = kFontScreen, .caption = e.text});
    Control& f = gui_.table[size_t(k)];
    f.maxLength = e.maxChars > 0 ? std::min(e.maxChars, kMaxFieldText) : common;
    f.caret = f.anchor = f.selectionEnd = int(f.caption.size());
    fieldIndex.push_back(k);
  }
  const int buttonsTop = fieldsTop + (10 + FH) * nF + 10;
  const int buttonsLeft = mid - (nB * bW) / 2;
  for (int i = 0; i < nB; ++i) {
    gui_.AddControl(n, {.id = kIdButtonBase + i, .kind = kKindButton, .x1 = buttonsLeft + i * bW, .y1 = buttonsTop,
                        .x2 = buttonsLeft + (i + 1) * bW, .y2 = buttonsTop + 28, .foreground = kBlack,
                        .background = kButtonFace, .font = kFontButton, .accelerator = nF == 0 ? 1 : 0,
                        .caption = btns[size_t(i)]});
  }
  gui_.AddControl(n, {.id = kIdEnd});
  for (int k : fieldIndex) KeepCaretVisible(gui_, gui_.table[size_t(k)]);

  int focus = 0;
  bool caretOn = true;
  gui_.caretField = nF > 0 ? fieldIndex[0] : -1;
  gui_.DrawAllControls();
  gui_.ShowAll();
  if (nF > 0) gui_.window.SetTimer(kTimerCaret, 300);
  int sizeSeen = gui_.window.sizeChanges;

  auto showField = [&](int i, bool caret) {
    gui_.caretField = caret ? fieldIndex[size_t(i)] : -1;
    DrawTextField(gui_, fieldIndex[size_t(i)], caret);
    gui_.ShowControl(fieldIndex[size_t(i)]);
  };
  auto moveFocus = [&](int to) {
    if (to == focus) return;
    showField(focus, false);
    focus = to;
    Control& f = gui_.table[size_t(fieldIndex[size_t(focus)])];
    f.caret = f.anchor = f.selectionEnd = int(f.caption.size());
    KeepCaretVisible(gui_, f);
    caretOn = true;
    showField(focus, true);
    gui_.window.SetTimer(kTimerCaret, 300);
  };

  int chosen = 0;
  while (!gui_.ctx.Quitting()) {
    int id = gui_.WaitEvent(true);
    if (gui_.ctx.Quitting()) break;
    const platform::InputState& in = gui_.Input();
    gui_.RepaintAfterResize(sizeSeen);
    if (id >= kIdButtonBase && id < kIdButtonBase + nB) {
      chosen = id - (kIdButtonBase - 1);
      break;
    }
    if (nF == 0) {
      if (in.charKey == 13) {
        chosen = defaultButton;
        break;
      }
      continue;
    }
    if (in.timer && in.lastTimer == kTimerCaret) {
      caretOn = !caretOn;
      showField(focus, caretOn);
      continue;
    }
    const bool tab = in.charKey == 9;
    if (KeyDown(in, platform::kVkUp) || (tab && in.shift)) {
      if (focus > 0) moveFocus(focus - 1);
      continue;
    }
    if (KeyDown(in, platform::kVkDown) || tab || in.charKey == 13) {
      if (focus < nF - 1) moveFocus(focus + 1);
      else if (in.charKey == 13) {
        chosen = defaultButton;
        break;
      }
      continue;
    }
    if (in.pressed && in.heldButton == 1) {
      int clicked = -1;
      for (int i = 0; i < nF; ++i) {
        if (gui_.table[size_t(fieldIndex[size_t(i)])].Contains(in.mouseX, in.mouseY)) clicked = i;
      }
      if (clicked >= 0 && clicked != focus) {
        moveFocus(clicked);
        continue;
      }
    }
    int flag = 0;
    EditTextField(gui_, fieldIndex[size_t(focus)], flag);
    if (flag == -1) {
      caretOn = true;
      showField(focus, true);
      gui_.window.SetTimer(kTimerCaret, 300);
    }
  }
  gui_.window.KillTimer(kTimerCaret);

  // The texts go back to the field record whichever way the form ended.
  for (int i = 0; i < nF; ++i) {
    fieldRecord[size_t(i)].index = i;
    fieldRecord[size_t(i)].text = gui_.table[size_t(fieldIndex[size_t(i)])].caption;
  }
  fieldRecord[size_t(nF)].index = -1;
  End(frame);
  if (chosen > 0) result = chosen;
  return result;
}

void WindowDialogs::ChooseList(const std::string& prompt, const std::vector<std::string>& choicesIn,
                               const std::string& buttons, int& button, int& selected) {
  if (gui_.ctx.Quitting()) return;
  platform::Canvas& cv = gui_.canvas;
  std::vector<std::string> choices;
  for (size_t i = 0; i < choicesIn.size() && i < size_t(kMaxChoices); ++i)
    choices.push_back(choicesIn[i].substr(0, kMaxChoiceText));
  const std::vector<std::string> lines = SplitList(prompt);
  const std::vector<std::string> btns = SplitList(buttons);
  const int count = int(choices.size()), nB = int(btns.size()), pl = int(lines.size());
  int promptW = 0, widestChoice = 0, widestButton = 0;
  for (const auto& l : lines) promptW = std::max(promptW, cv.TextWidth(gui_.fonts[kFontMessage], l));
  for (const auto& c : choices) widestChoice = std::max(widestChoice, cv.TextWidth(gui_.fonts[kFontList], c));
  for (const auto& b : btns) widestButton = std::max(widestButton, cv.TextWidth(gui_.fonts[kFontButton], b));
  const int bW = widestButton + 20;
  const int W = 40 + std::max({promptW, widestChoice + 40, nB * bW});
  const int H = kRow * pl + kRow * count + 28 + 50;
  const int cw = gui_.Width(), ch = gui_.Height(), mid = cw / 2;
  const int left = cw / 2 - W / 2, top = ch / 2 - H / 2;
  int sel = std::clamp(selected, 0, std::max(0, count - 1));

  Frame frame = Begin();
  int n = 0;
  gui_.AddModalBox(n, left, top, W, H);
  for (int i = 0; i < pl; ++i) {
    int k = gui_.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = left, .y1 = top + 10 + kRow * i,
                                .x2 = left + W, .y2 = top + 10 + kRow * (i + 1), .foreground = kBlack,
                                .font = kFontMessage, .caption = lines[size_t(i)]});
    gui_.table[size_t(k)].align = 2;
  }
  const int listTop = top + kRow * pl + 17, listBottom = listTop + kRow * count;
  const int listIndex = gui_.AddControl(n, {.id = kIdChoiceList, .kind = kKindChoiceList, .x1 = left + 20,
                                            .y1 = listTop, .x2 = left + W - 20, .y2 = listBottom, .foreground = kBlack,
                                            .background = kWhite, .font = kFontList});
  const int buttonsTop = listBottom + 11, buttonsLeft = mid - (nB * bW) / 2;
  for (int i = 0; i < nB; ++i)
    gui_.AddControl(n, {.id = kIdButtonBase + i, .kind = kKindButton, .x1 = buttonsLeft + i * bW, .y1 = buttonsTop,
                        .x2 = buttonsLeft + (i + 1) * bW, .y2 = buttonsTop + 28, .foreground = kBlack,
                        .background = kButtonFace, .font = kFontButton, .caption = btns[size_t(i)]});
  gui_.AddControl(n, {.id = kIdEnd});

  Gui::KindPainter old = gui_.SetKindPainter(kKindChoiceList, [&](Gui& g, int index) {
    const Control& c = g.table[size_t(index)];
    g.canvas.FramedFill(c.x1, c.y1 - 1, c.x2, c.y2 + 1, kWhite, kFrameColour);
    for (int r = 0; r < count; ++r) {
      int y = c.y1 + kRow * r;
      bool on = r == sel;
      if (on) g.canvas.FillRect(c.x1 + 1, y, c.x2 - 1, y + kRow, kNavy);
      g.canvas.DrawText(c.x1 + 20, y + 1, platform::kTextLeft, on ? kWhite : kBlack, g.fonts[kFontList],
                        choices[size_t(r)]);
    }
  });
  gui_.DrawAllControls();
  gui_.ShowAll();
  auto redrawList = [&] {
    const Control& c = gui_.table[size_t(listIndex)];
    gui_.canvas.SetClip(c.x1, c.y1 - 1, c.x2, c.y2 + 1);
    gui_.table[size_t(listIndex)].kind = kKindChoiceList;
    gui_.DrawControl(listIndex);
    gui_.canvas.ClearClip();
    gui_.ShowBuffer(c.x1, c.y1 - 1, c.x2 - c.x1 + 1, c.y2 - c.y1 + 3);
  };

  bool dragging = false;
  int sizeSeen = gui_.window.sizeChanges;
  while (!gui_.ctx.Quitting()) {
    int id = gui_.WaitEvent(true);
    if (gui_.ctx.Quitting()) break;
    const platform::InputState& in = gui_.Input();
    gui_.RepaintAfterResize(sizeSeen);
    if (id >= kIdButtonBase && id < kIdButtonBase + nB) {
      button = id - (kIdButtonBase - 1);
      selected = sel;
      break;
    }
    int was = sel;
    if (count > 0) {
      if (KeyDown(in, platform::kVkUp)) sel = std::max(0, sel - 1);
      else if (KeyDown(in, platform::kVkDown)) sel = std::min(count - 1, sel + 1);
      else if (KeyDown(in, platform::kVkHome) || KeyDown(in, platform::kVkPrior)) sel = 0;
      else if (KeyDown(in, platform::kVkEnd) || KeyDown(in, platform::kVkNext)) sel = count - 1;
      const Control& list = gui_.table[size_t(listIndex)];
      if (in.pressed && in.heldButton == 1 && list.Contains(in.mouseX, in.mouseY)) dragging = true;
      if (dragging && in.heldButton == 1 && !in.released) {
        // Above or below the list the selection walks one row per message.
        if (in.mouseY < list.y1) sel = std::max(0, sel - 1);
        else if (in.mouseY >= list.y2) sel = std::min(count - 1, sel + 1);
        else sel = std::clamp((in.mouseY - list.y1) / kRow, 0, count - 1);
        if (!gui_.window.TimerRunning(platform::kTimerRepeat)) gui_.window.SetTimer(platform::kTimerRepeat, 40);
      }
      if (in.released || in.heldButton == 0) dragging = false;
    }
    if (sel != was) redrawList();
  }
  gui_.window.KillTimer(platform::kTimerRepeat);
  gui_.SetKindPainter(kKindChoiceList, old);
  End(frame);
}

int WindowDialogs::ShowDropList(int x, int y, int width) {
  if (!dropListPrepared) {
    SystemMessage(kProgramName, "Failure defining popup memory buffer!");
    return -1;
  }
  if (gui_.ctx.Quitting()) return -1;
  platform::Canvas& cv = gui_.canvas;
  std::vector<std::string> entries;
  for (const auto& e : dropList) entries.push_back(e.substr(0, kMaxDropText));
  const int count = int(entries.size());
  const int cw = gui_.Width(), ch = gui_.Height();
  const int rows = std::min(count, std::max(10, (ch - y - 20) / kRow));
  const bool scroll = count > rows;
  int widest = 0;
  for (const auto& e : entries) {
    bool heading = !e.empty() && e[0] == '|';
    widest = std::max(widest, cv.TextWidth(gui_.fonts[heading ? kFontListBold : kFontList],
                                           heading ? std::string_view(e).substr(1) : std::string_view(e)));
  }
  const int W = std::max(width - 10, widest + 10 + (scroll ? 22 : 0));
  int x0 = x - 1;
  const int y0 = std::max(y, 64);
  if (x0 + W > cw - 20) x0 = cw - 20 - W;
  x0 = std::max(0, x0);
  const int listH = std::max(1, rows) * kRow;
  const int listRight = x0 + W - (scroll ? 22 : 0);

  int sel = -1, first = 0;
  Frame frame = Begin();
  int n = 0;
  gui_.AddControl(n, {.id = kIdTopBar, .x1 = 0, .y1 = 0, .x2 = cw, .y2 = 44});
  const int listIndex =
      gui_.AddControl(n, {.id = kIdDropList, .kind = kKindDropList, .x1 = x0, .y1 = y0, .x2 = listRight,
                          .y2 = y0 + listH + 2, .foreground = kBlack, .background = kWhite, .font = kFontList});
  int upIndex = -1, thumbIndex = -1, downIndex = -1;
  const int trackTop = y0 + 22, trackBottom = y0 + listH + 2 - 22;
  if (scroll) {
    upIndex = gui_.AddControl(n, {.id = kIdScrollUp, .kind = kKindButton, .x1 = listRight, .y1 = y0, .x2 = x0 + W,
                                  .y2 = y0 + 22, .foreground = kBlack, .background = kButtonFace, .font = kFontList,
                                  .caption = "ARROW_UP"});
    thumbIndex = gui_.AddControl(n, {.id = kIdScrollThumb, .kind = kKindButton, .x1 = listRight, .y1 = trackTop,
                                     .x2 = x0 + W, .y2 = trackTop + 20, .foreground = kBlack, .background = kButtonFace,
                                     .font = kFontList});
    downIndex = gui_.AddControl(n, {.id = kIdScrollDown, .kind = kKindButton, .x1 = listRight, .y1 = trackBottom,
                                    .x2 = x0 + W, .y2 = trackBottom + 22, .foreground = kBlack,
                                    .background = kButtonFace, .font = kFontList, .caption = "ARROW_DOWN"});
  }
  gui_.AddControl(n, {.id = kIdEnd});
  (void)upIndex;
  (void)downIndex;
  const int trackH = std::max(1, trackBottom - trackTop);
  const int thumbH = scroll ? std::clamp(trackH * rows / std::max(1, count), 16, trackH) : 0;
  auto placeThumb = [&] {
    if (!scroll) return;
    Control& t = gui_.table[size_t(thumbIndex)];
    int range = std::max(1, count - rows);
    t.y1 = trackTop + (trackH - thumbH) * first / range;
    t.y2 = t.y1 + thumbH;
  };
  placeThumb();

  Gui::KindPainter old = gui_.SetKindPainter(kKindDropList, [&](Gui& g, int index) {
    const Control& c = g.table[size_t(index)];
    g.canvas.FramedFill(c.x1, c.y1, c.x2, c.y2, kWhite, kFrameColour);
    for (int r = 0; r < rows && first + r < count; ++r) {
      int i = first + r, ry = c.y1 + 1 + kRow * r;
      const std::string& e = entries[size_t(i)];
      bool heading = !e.empty() && e[0] == '|';
      bool on = i == sel;
      if (on) g.canvas.FillRect(c.x1 + 1, ry, c.x2 - 1, ry + kRow, kNavy);
      g.canvas.DrawText(c.x1 + 5, ry + 1, platform::kTextLeft, on ? kWhite : kBlack,
                        g.fonts[heading ? kFontListBold : kFontList],
                        heading ? std::string_view(e).substr(1) : std::string_view(e));
    }
  });
  auto paint = [&] {
    if (scroll) {
      const Control& list = gui_.table[size_t(listIndex)];
      gui_.canvas.FramedFill(listRight, y0, x0 + W, list.y2, Rgb(220, 220, 220), kFrameColour);
    }
    for (int i = 1; i < n - 1; ++i) gui_.DrawControl(i);
    gui_.ShowBuffer(x0, y0, W + 1, listH + 3);
  };
  auto keepVisible = [&] {
    if (sel < 0) return;
    if (sel < first) first = sel;
    if (sel >= first + rows) first = sel - rows + 1;
  };
  paint();

  int result = -1;
  bool thumbDrag = false;
  int grab = 0;
  int sizeSeen = gui_.window.sizeChanges;
  while (!gui_.ctx.Quitting()) {
    int id = gui_.WaitEvent(true);
    if (gui_.ctx.Quitting()) break;
    const platform::InputState& in = gui_.Input();
    if (gui_.window.sizeChanges != sizeSeen) {
      sizeSeen = gui_.window.sizeChanges;
      paint();
    }
    const int wasSel = sel, wasFirst = first;
    if (in.charKey == 32 || in.charKey == 27) break;
    if (in.charKey == 13) {
      if (count > 0) {
        result = sel;
        break;
      }
      continue;
    }
    if (count > 0) {
      int cur = sel < 0 ? -1 : sel;
      if (KeyDown(in, platform::kVkUp)) sel = std::max(0, cur - 1);
      else if (KeyDown(in, platform::kVkDown)) sel = std::min(count - 1, cur + 1);
      else if (KeyDown(in, platform::kVkHome)) sel = 0;
      else if (KeyDown(in, platform::kVkEnd)) sel = count - 1;
      else if (KeyDown(in, platform::kVkPrior)) sel = std::max(0, cur - rows);
      else if (KeyDown(in, platform::kVkNext)) sel = std::min(count - 1, std::max(0, cur) + rows);
      else if (Upper(in.charKey) >= 'A' && Upper(in.charKey) <= 'Z') {
        for (int i = 0; i < count; ++i) {
          if (!entries[size_t(i)].empty() && Upper(static_cast<unsigned char>(entries[size_t(i)][0])) == Upper(in.charKey)) {
            sel = i;
            break;
          }
        }
      }
      if (sel != wasSel) keepVisible();
    }
    if (id == kIdDropList) {
      const Control& list = gui_.table[size_t(listIndex)];
      int row = first + (in.mouseY - list.y1 - 1) / kRow;
      if (row >= 0 && row < count && row < first + rows) {
        result = row;
        break;
      }
    }
    if (scroll) {
      const bool held = in.heldButton == 1 && !in.released;
      if (held && (in.pressed || (in.timer && in.lastTimer == platform::kTimerRepeat))) {
        if (gui_.pressedId == kIdScrollUp) first = std::max(0, first - 1);
        else if (gui_.pressedId == kIdScrollDown) first = std::min(count - rows, first + 1);
      }
      if (in.pressed && in.heldButton == 1 && gui_.pressedId == kIdScrollThumb) {
        thumbDrag = true;
        grab = in.mouseY - gui_.table[size_t(thumbIndex)].y1;
      }
      if (thumbDrag && held && in.moved) {
        int span = std::max(1, trackH - thumbH);
        first = std::clamp((in.mouseY - grab - trackTop) * (count - rows) / span, 0, count - rows);
      }
      if (!held) thumbDrag = false;
      if (in.wheelSteps) first = std::clamp(first - in.wheelSteps, 0, count - rows);
    }
    if (sel != wasSel || first != wasFirst) {
      placeThumb();
      paint();
    }
  }
  gui_.SetKindPainter(kKindDropList, old);
  End(frame);
  return result;
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
  progress_.frame = Begin();
  progress_.open = true;
  progress_.lastPercent = -1;
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
  int percent = ProgressPercent(value, maximum);
  if (percent == progress_.lastPercent && percent < 100) return;
  progress_.lastPercent = percent;
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
  End(progress_.frame);
}

bool WindowDialogs::ProgressStop() {
  gui_.WaitEvent(false);
  return gui_.Input().charKey == 32 || gui_.ctx.Quitting();
}

void WindowDialogs::SystemMessage(const std::string& title, const std::string& text) {
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, platform::Utf8FromAnsi(title).c_str(),
                           platform::Utf8FromAnsi(text).c_str(), gui_.window.Handle());
}

}  // namespace pantrela::widgets
