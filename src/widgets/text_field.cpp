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

void EditTextField(Gui& gui, int index, int& caretFlag) {
  if (index < 0 || size_t(index) >= gui.table.size()) return;
  platform::InputState& in = gui.Input();
  bool changed = false;
  {
    Control& c = gui.table[size_t(index)];
    Clamp(c);
    const int len = int(c.caption.size());
    const int max = Maximum(c);
    auto moveTo = [&](int pos) {
      c.caret = std::clamp(pos, 0, int(c.caption.size()));
      c.selectionEnd = c.caret;
      if (!in.shift) c.anchor = c.caret;
      changed = true;
    };
    if (in.keyDown && in.virtualKey) {
      switch (in.virtualKey) {
        case platform::kVkLeft: moveTo(c.caret - 1); break;
        case platform::kVkRight: moveTo(c.caret + 1); break;
        case platform::kVkHome: moveTo(0); break;
        case platform::kVkEnd: moveTo(len); break;
        case platform::kVkDelete:
          if (HasSelection(c)) DeleteSelection(c);
          else if (c.caret < len) c.caption.erase(size_t(c.caret), 1);
          c.anchor = c.selectionEnd = c.caret;
          changed = true;
          break;
        default: break;
      }
    }
    int ch = in.charKey;
    if (ch == 8) {
      if (HasSelection(c)) {
        DeleteSelection(c);
      } else if (c.caret > 0) {
        c.caption.erase(size_t(c.caret - 1), 1);
        --c.caret;
      }
      c.anchor = c.selectionEnd = c.caret;
      changed = true;
    } else if (ch == 27) {
      c.caption.clear();
      c.caret = c.anchor = c.selectionEnd = c.firstVisible = 0;
      changed = true;
    } else if (ch == 1) {
      c.anchor = 0;
      c.caret = c.selectionEnd = len;
      changed = true;
    } else if (ch == 24 || ch == 3) {
      if (HasSelection(c)) {
        CopyToClipboard(SelectedText(c));
        if (ch == 24) DeleteSelection(c);
        changed = true;
      }
    } else if (ch == 22) {
      if (HasSelection(c)) DeleteSelection(c);
      std::string clip = ClipboardText();
      for (unsigned char k : clip) {
        if (k < 32 || int(c.caption.size()) >= max) break;
        c.caption.insert(size_t(c.caret), 1, char(k));
        ++c.caret;
      }
      c.anchor = c.selectionEnd = c.caret;
      changed = true;
    } else if (ch >= 32 && !in.ctrl) {
      // A full field takes nothing, not even over a selection.
      if (len < max) {
        if (HasSelection(c)) DeleteSelection(c);
        c.caption.insert(size_t(c.caret), 1, char(ch));
        ++c.caret;
        c.anchor = c.selectionEnd = c.caret;
        changed = true;
      }
    }
  }

  // Mouse: a press inside the field selects with the pointer until release.
  {
    Control& c = gui.table[size_t(index)];
    if (in.pressed && in.heldButton == 1 && c.Contains(in.mouseX, in.mouseY) && in.mouseX > c.x1 + 4) {
      bool anchored = false;
      for (;;) {
        Control& f = gui.table[size_t(index)];
        int len = int(f.caption.size());
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
      return;
    }
  }

  if (changed) {
    Control& c = gui.table[size_t(index)];
    KeepCaretVisible(gui, c);
    DrawTextField(gui, index, true);
    gui.ShowControl(index);
    caretFlag = -1;
  }
}

}  // namespace pantrela::widgets
