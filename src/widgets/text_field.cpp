#include "widgets/text_field.h"

#include <algorithm>

namespace pantrela::widgets {
namespace {

int Width(Gui& gui, const Control& c, int from, int to) {
  if (to <= from) return 0;
  return gui.canvas.TextWidth(gui.fonts[c.font], std::string_view(c.caption).substr(size_t(from), size_t(to - from)));
}

void Clamp(Control& c) {
  int len = int(c.caption.size());
  c.caret = std::clamp(c.caret, 0, len);
  c.anchor = std::clamp(c.anchor, 0, len);
  c.selectionEnd = std::clamp(c.selectionEnd, 0, len);
  c.firstVisible = std::clamp(c.firstVisible, 0, len);
}

int Maximum(const Control& c) {
  return (c.maxLength <= 0 || c.maxLength > kMaxFieldText) ? kMaxFieldText : c.maxLength;
}

bool HasSelection(const Control& c) { return c.anchor != c.selectionEnd; }

void DeleteSelection(Control& c) {
  int a = std::min(c.anchor, c.selectionEnd), b = std::max(c.anchor, c.selectionEnd);
  c.caption.erase(size_t(a), size_t(b - a));
  c.caret = c.anchor = c.selectionEnd = a;
}

std::string SelectedText(const Control& c) {
  int a = std::min(c.anchor, c.selectionEnd), b = std::max(c.anchor, c.selectionEnd);
  return c.caption.substr(size_t(a), size_t(b - a));
}

void CopyToClipboard(const std::string& ansi) {
  SDL_SetClipboardText(platform::Utf8FromAnsi(ansi).c_str());
}

std::string ClipboardText() {
  char* t = SDL_GetClipboardText();
  std::string s = t ? platform::AnsiFromUtf8(t) : std::string();
  SDL_free(t);
  return s;
}

// Character position under a pointer x, measured from the first visible
// character until the text passes it.
int PositionAt(Gui& gui, const Control& c, int x) {
  int limit = x - c.x1 - 2;
  int len = int(c.caption.size());
  int p = c.firstVisible;
  while (p < len && Width(gui, c, c.firstVisible, p + 1) <= limit) ++p;
  return p;
}

}  // namespace

void KeepCaretVisible(Gui& gui, Control& c) {
  Clamp(c);
  if (c.caret < c.firstVisible) c.firstVisible = c.caret;
  int room = c.x2 - c.x1 - 15;
  while (c.firstVisible < c.caret && Width(gui, c, c.firstVisible, c.caret) > room) ++c.firstVisible;
}

void DrawTextField(Gui& gui, int index, bool caretShown) {
  if (index < 0 || size_t(index) >= gui.table.size()) return;
  Control& c = gui.table[size_t(index)];
  Clamp(c);
  platform::Canvas& cv = gui.canvas;
  const FontDesc& font = gui.fonts[c.font];
  cv.SetClip(c.x1, c.y1, c.x2, c.y2);
  cv.FramedFill(c.x1, c.y1, c.x2, c.y2, c.background, kFrameColour);
  cv.SetClip(c.x1 + 1, c.y1 + 1, c.x2 - 1, c.y2 - 1);
  cv.DrawText(0, 0, platform::kTextMeasure, 0, font, "X");
  int th = cv.LastTextHeight();
  int ty = c.y1 + (c.y2 - c.y1 - th) / 2;
  int x = c.x1 + 4;
  std::string_view text(c.caption);
  int first = c.firstVisible, len = int(text.size());
  int a = std::max(first, std::min(c.anchor, c.selectionEnd)), b = std::max(first, std::max(c.anchor, c.selectionEnd));
  if (a == b) {
    cv.DrawText(x, ty, platform::kTextLeft, c.foreground, font, text.substr(size_t(first)));
  } else {
    cv.DrawText(x, ty, platform::kTextLeft, c.foreground, font, text.substr(size_t(first), size_t(a - first)));
    int xa = x + cv.LastTextWidth() * (a > first);
    std::string_view sel = text.substr(size_t(a), size_t(b - a));
    cv.DrawText(0, 0, platform::kTextMeasure, 0, font, sel);
    int ws = cv.LastTextWidth();
    cv.FillRect(xa, ty, xa + ws, ty + th, kNavy);
    cv.DrawText(xa, ty, platform::kTextLeft, kWhite, font, sel);
    if (b < len) cv.DrawText(xa + ws, ty, platform::kTextLeft, c.foreground, font, text.substr(size_t(b)));
  }
  if (caretShown && c.caret >= first) {
    int cx = x + Width(gui, c, first, c.caret);
    cv.FillRect(cx, ty, cx + 2, ty + th, c.foreground);
  }
  cv.ClearClip();
}

namespace {

// Left, Right, Home, End and Delete; true when the field changed.
bool ApplyVirtualKey(Control& c, const platform::InputState& in) {
  if (!in.keyDown || !in.virtualKey) return false;
  const int len = int(c.caption.size());
  auto moveTo = [&](int pos) {
    c.caret = std::clamp(pos, 0, len);
    c.selectionEnd = c.caret;
    if (!in.shift) c.anchor = c.caret;
    return true;
  };
  switch (in.virtualKey) {
    case platform::kVkLeft: return moveTo(c.caret - 1);
    case platform::kVkRight: return moveTo(c.caret + 1);
    case platform::kVkHome: return moveTo(0);
    case platform::kVkEnd: return moveTo(len);
    case platform::kVkDelete:
      if (HasSelection(c)) DeleteSelection(c);
      else if (c.caret < len) c.caption.erase(size_t(c.caret), 1);
      c.anchor = c.selectionEnd = c.caret;
      return true;
    default: return false;
  }
}

// Ctrl+X, Ctrl+C and Ctrl+V.
bool ApplyClipboardKey(Control& c, int ch) {
  constexpr int kCtrlC = 3, kCtrlV = 22, kCtrlX = 24;
  if (ch == kCtrlX || ch == kCtrlC) {
    if (!HasSelection(c)) return false;
    CopyToClipboard(SelectedText(c));
    if (ch == kCtrlX) DeleteSelection(c);
    return true;
  }
  if (ch != kCtrlV) return false;
  if (HasSelection(c)) DeleteSelection(c);
  const std::string clip = ClipboardText();
  for (unsigned char k : clip) {
    if (k < 32 || int(c.caption.size()) >= Maximum(c)) break;
    c.caption.insert(size_t(c.caret), 1, char(k));
    ++c.caret;
  }
  c.anchor = c.selectionEnd = c.caret;
  return true;
}

// Backspace, Esc, Ctrl+A, the clipboard keys and typed characters.
bool ApplyCharacter(Control& c, const platform::InputState& in) {
  const int ch = in.charKey, len = int(c.caption.size());
  switch (ch) {
    case platform::kCharBackspace:
      if (HasSelection(c)) {
        DeleteSelection(c);
      } else if (c.caret > 0) {
        c.caption.erase(size_t(c.caret - 1), 1);
        --c.caret;
      }
      c.anchor = c.selectionEnd = c.caret;
      return true;
    case platform::kCharEscape:
      c.caption.clear();
      c.caret = c.anchor = c.selectionEnd = c.firstVisible = 0;
      return true;
    case platform::kCharCtrlA:
      c.anchor = 0;
      c.caret = c.selectionEnd = len;
      return true;
    default: break;
  }
  if (ApplyClipboardKey(c, ch)) return true;
  // A full field takes nothing, not even over a selection.
  if (ch < platform::kCharSpace || in.ctrl || len >= Maximum(c)) return false;
  if (HasSelection(c)) DeleteSelection(c);
  c.caption.insert(size_t(c.caret), 1, char(ch));
  ++c.caret;
  c.anchor = c.selectionEnd = c.caret;
  return true;
}

// A press inside the field selects with the pointer until the release.
void SelectWithPointer(Gui& gui, int index, int& caretFlag) {
  platform::InputState& in = gui.Input();
  bool anchored = false;
  for (;;) {
    Control& f = gui.table[size_t(index)];
    const int len = int(f.caption.size());
    if (in.mouseX < f.x1) f.caret = std::max(0, f.caret - 1);
    else if (in.mouseX > f.x2) f.caret = std::min(len, f.caret + 1);
    else f.caret = PositionAt(gui, f, in.mouseX);
    if (!anchored) {
      f.anchor = f.caret;
      anchored = true;
    }
    f.selectionEnd = f.caret;
    KeepCaretVisible(gui, f);
    DrawTextField(gui, index, true);
    gui.ShowControl(index);
    caretFlag = -1;
    if (in.released || in.heldButton == 0 || gui.ctx.Quitting()) break;
    // Keeps moving while the pointer stays outside the field.
    if (!gui.window.TimerRunning(platform::kTimerRepeat)) gui.window.SetTimer(platform::kTimerRepeat, 40);
    if (!gui.window.Pump(true)) break;
  }
  gui.window.KillTimer(platform::kTimerRepeat);
  gui.ForgetPress();
}

}  // namespace

void EditTextField(Gui& gui, int index, int& caretFlag) {
  if (index < 0 || size_t(index) >= gui.table.size()) return;
  const platform::InputState& in = gui.Input();
  Clamp(gui.table[size_t(index)]);
  bool changed = ApplyVirtualKey(gui.table[size_t(index)], in);
  changed = ApplyCharacter(gui.table[size_t(index)], in) || changed;

  const Control& c = gui.table[size_t(index)];
  if (in.pressed && in.heldButton == 1 && c.Contains(in.mouseX, in.mouseY) && in.mouseX > c.x1 + 4) {
    SelectWithPointer(gui, index, caretFlag);
    return;
  }
  if (changed) {
    KeepCaretVisible(gui, gui.table[size_t(index)]);
    DrawTextField(gui, index, true);
    gui.ShowControl(index);
    caretFlag = -1;
  }
}

}  // namespace pantrela::widgets
