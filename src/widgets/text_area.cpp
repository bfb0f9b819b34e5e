#include "widgets/text_area.h"

#include <algorithm>
#include <climits>

#include "foundation/progress.h"
#include "foundation/wrap_text.h"
#include "ingredients/text_ops.h"
#include "platform/clipboard.h"
#include "widgets/gui.h"
#include "widgets/list_widgets.h"

namespace pantrela::widgets {
namespace {

constexpr int kTextPad = 4;  // pixels between the area's left edge and the text

bool IsLetter(unsigned char c) { return textops::Upper1252(c) != textops::Lower1252(c); }

// Inserts bytes at the caret and applies the buffer and line limits.
void InsertBytes(TextArea& a, std::string bytes) {
  if (a.HasSelection()) DeleteSelection(a);
  const int room = std::max(0, a.capacity - a.length() - 1);
  if (int(bytes.size()) > room) bytes.resize(size_t(room));
  a.caret = std::clamp(a.caret, 0, a.length());
  a.text.insert(size_t(a.caret), bytes);
  a.caret += int(bytes.size());
  a.selStart = a.selEnd = a.caret;
  LayoutText(a);
  if (a.lineCount >= a.lineLimit) {
    int cut = a.LineStart(a.lineLimit);
    if (cut < a.length()) {
      // The lines past the limit go, with the line break before them.
      int keep = (cut > 0 && a.text[size_t(cut - 1)] == '\r') ? cut - 1 : cut;
      a.text.resize(size_t(keep));
      a.caret = std::min(a.caret, keep);
      a.selStart = a.selEnd = a.caret;
      LayoutText(a);
    }
  }
  ScrollCaretIntoView(a);
}

// Bytes of a line as drawn: control bytes (a pasted LF) take no room.
std::string Visible(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 32) out += c;
  return out;
}

void ReplaceSelectionBytes(TextArea& a, unsigned char (*map)(unsigned char)) {
  for (int i = a.SelLow(); i < a.SelHigh(); ++i) a.text[size_t(i)] = char(map(static_cast<unsigned char>(a.text[size_t(i)])));
}

}  // namespace

int TextArea::LineStart(int n) const {
  if (lineStarts.empty()) return 0;
  n = std::clamp(n, 0, int(lineStarts.size()) - 1);
  return int(lineStarts[size_t(n)]);
}

int TextArea::LineEnd(int n) const {
  int start = LineStart(n);
  if (n + 1 >= lineCount) return std::max(start, std::min(length(), LineStart(lineCount)));
  return std::max(start, LineStart(n + 1) - 1);
}

void SetupTitleArea(TextArea& a) {
  a.capacity = 80;
  a.lineLimit = 1;
  a.rowsShown = 1;
}

void SetupTextArea(TextArea& a) {
  a.capacity = 65000;
  a.lineLimit = 990;
}

void LayoutText(TextArea& a) {
  if (a.capacity <= 0) {
    a.lineStarts.clear();
    a.lineCount = 0;
    return;
  }
  if (a.characterMode()) {
    a.lineStarts = WrapLineStarts(a.text, a.left, a.lineLimit);
  } else {
    // A one-line area never wraps: its text runs on past the right edge.
    WrapMeasure m{a.widths.data(), a.lineLimit == 1 ? INT_MAX : a.right - a.left - kTextAreaMargin};
    a.lineStarts = WrapLineStarts(a.text, m, a.lineLimit);
  }
  a.lineCount = int(a.lineStarts.size()) - 1;
}

LineColumn LineOfCaret(const TextArea& a) {
  if (a.lineCount <= 0) return {0, a.caret};
  auto begin = a.lineStarts.begin(), end = a.lineStarts.begin() + a.lineCount;
  int line = int(std::upper_bound(begin, end, uint32_t(std::max(0, a.caret))) - begin) - 1;
  line = std::max(0, line);
  return {line, a.caret - a.LineStart(line)};
}

void InsertText(TextArea& a, std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (char c : text)
    if (c != '\n' && c != '\0') bytes += c;
  InsertBytes(a, std::move(bytes));
}

void PasteBytes(TextArea& a, std::string_view text) { InsertBytes(a, std::string(text)); }

void DeleteSelection(TextArea& a) {
  int lo = std::clamp(a.SelLow(), 0, a.length()), hi = std::clamp(a.SelHigh(), 0, a.length());
  a.text.erase(size_t(lo), size_t(hi - lo));
  a.caret = a.selStart = a.selEnd = lo;
  LayoutText(a);
  a.firstLine = std::max(0, std::min(a.firstLine, a.lineCount - a.rowsShown));
}

bool CopySelection(const TextArea& a) {
  if (!a.HasSelection()) return false;
  return platform::PutClipboardText(a.Selected());
}

void PasteText(TextArea& a) {
  std::string utf8;
  if (!platform::ReadClipboardText(utf8)) return;
  PasteBytes(a, platform::AnsiFromUtf8(utf8));
}

std::string DisplayLine(const TextArea& a, int n) {
  if (n < 0 || n >= a.lineCount) return {};
  std::string_view line = std::string_view(a.text).substr(size_t(a.LineStart(n)), size_t(a.LineStart(n + 1) - a.LineStart(n)));
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
  return std::string(line);
}

namespace {

// Pixel width of bytes [from, to) of the text in the area's font.
int TextPixels(const TextArea& a, int from, int to) {
  int w = 0;
  for (int i = std::max(0, from); i < std::min(to, a.length()); ++i) w += a.widths[static_cast<unsigned char>(a.text[size_t(i)])];
  return w;
}

// Pixels of a one-line area the text may use.
int LineRoom(const TextArea& a) { return std::max(1, a.right - a.left - 2 * kTextPad - 2); }

}  // namespace

void ScrollCaretIntoView(TextArea& a) {
  int line = LineOfCaret(a).line;
  if (line < a.firstLine) a.firstLine = line;
  if (line >= a.firstLine + a.rowsShown) a.firstLine = line - a.rowsShown + 1;
  a.firstLine = std::max(0, a.firstLine);
  if (a.lineLimit == 1 && !a.characterMode()) {
    // A one-line area scrolls sideways to keep the caret in view, a third
    // of its width at a time, and never past the end of the text.
    const int room = LineRoom(a), x = TextPixels(a, 0, a.caret);
    if (x < a.scrollX) a.scrollX = std::max(0, x - room / 3);
    else if (x > a.scrollX + room) a.scrollX = x - room + room / 3;
    a.scrollX = std::clamp(a.scrollX, 0, std::max(0, TextPixels(a, 0, a.length()) + 2 - room));
  } else {
    a.scrollX = 0;
  }
}

void MoveCaret(TextArea& a, int offset, bool extend) {
  a.caret = std::clamp(offset, 0, a.length());
  a.selEnd = a.caret;
  if (!extend) a.selStart = a.caret;
  ScrollCaretIntoView(a);
}

void SelectAll(TextArea& a) {
  a.selStart = 0;
  a.caret = a.selEnd = a.length();
  ScrollCaretIntoView(a);
}

void UpperCaseSelection(TextArea& a) { ReplaceSelectionBytes(a, textops::Upper1252); }

void SentenceCaseSelection(TextArea& a) {
  bool capital = true;
  for (int i = a.SelLow(); i < a.SelHigh(); ++i) {
    unsigned char c = static_cast<unsigned char>(a.text[size_t(i)]);
    if (IsLetter(c)) {
      a.text[size_t(i)] = char(capital ? textops::Upper1252(c) : textops::Lower1252(c));
      capital = false;
    } else if (c == '.' || c == '!' || c == '?') {
      capital = true;
    } else if (c != ' ' && c != '\r' && c != '\n') {
      capital = false;
    }
  }
}

void JoinLines(TextArea& a) {
  std::string out;
  out.reserve(a.text.size());
  const std::string& t = a.text;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] != '\r') {
      out += t[i];
      continue;
    }
    size_t next = i + 1;
    if (next < t.size() && t[next] == '\n') ++next;  // a pasted CR LF is one break
    // A break stays when it is part of a blank line (a CR before or after
    // it), when a space follows, or at the end of the text.
    bool blankBefore = !out.empty() && (out.back() == '\r' || out.back() == '\n');
    bool keep = next >= t.size() || t[next] == '\r' || t[next] == ' ' || blankBefore;
    if (keep) {
      out.append(t, i, next - i);
    } else if (out.empty() || out.back() != ' ') {
      out += ' ';
    }
    i = next - 1;
  }
  a.text = std::move(out);
  a.caret = a.selStart = a.selEnd = std::min(a.caret, a.length());
  LayoutText(a);
  a.firstLine = std::max(0, std::min(a.firstLine, a.lineCount - a.rowsShown));
  ScrollCaretIntoView(a);
}

bool TextAreaKey(TextArea& a, const platform::InputState& in, Dialogs& dialogs) {
  a.caret = std::clamp(a.caret, 0, a.length());
  const bool shift = in.shift;
  const int len = a.length();
  if (in.keyDown && in.virtualKey) {
    const LineColumn lc = LineOfCaret(a);
    auto toLine = [&](int line) {
      line = std::clamp(line, 0, std::max(0, a.lineCount - 1));
      MoveCaret(a, std::min(a.LineStart(line) + lc.column, a.LineEnd(line)), shift);
    };
    switch (in.virtualKey) {
      case platform::kVkRight:
        if (in.ctrl) {
          int p = a.caret;
          int nextLine = lc.line + 1 < a.lineCount ? a.LineStart(lc.line + 1) : len;
          while (p < len && p < nextLine && static_cast<unsigned char>(a.text[size_t(p)]) >= 48) ++p;
          while (p < len && p < nextLine && static_cast<unsigned char>(a.text[size_t(p)]) < 48) ++p;
          MoveCaret(a, p, shift);
        } else {
          MoveCaret(a, a.caret + 1, shift);
        }
        return true;
      case platform::kVkLeft:
        if (in.ctrl) {
          int p = a.caret;
          while (p > 0 && static_cast<unsigned char>(a.text[size_t(p - 1)]) < 48) --p;
          while (p > 0 && static_cast<unsigned char>(a.text[size_t(p - 1)]) >= 48) --p;
          MoveCaret(a, p, shift);
        } else {
          MoveCaret(a, a.caret - 1, shift);
        }
        return true;
      case platform::kVkUp: toLine(lc.line - 1); return true;
      case platform::kVkDown:
        if (lc.line + 1 < a.lineCount && lc.line + 1 < a.lineLimit) toLine(lc.line + 1);
        else MoveCaret(a, a.caret, shift);
        return true;
      case platform::kVkPrior: toLine(lc.line - std::max(1, a.rowsShown)); return true;
      case platform::kVkNext: toLine(std::min(lc.line + std::max(1, a.rowsShown), a.lineLimit - 1)); return true;
      case platform::kVkHome:
        if (in.ctrl) {
          MoveCaret(a, 0, shift);
          a.firstLine = 0;
        } else {
          MoveCaret(a, a.LineStart(lc.line), shift);
        }
        return true;
      case platform::kVkEnd:
        MoveCaret(a, in.ctrl ? len : a.LineEnd(lc.line), shift);
        return true;
      case platform::kVkDelete:
        if (a.HasSelection()) {
          DeleteSelection(a);
        } else if (a.caret < len) {
          a.text.erase(size_t(a.caret), 1);
          a.selStart = a.selEnd = a.caret;
          LayoutText(a);
        }
        return true;
      default: break;
    }
    if (in.ctrl && in.virtualKey >= '1' && in.virtualKey <= '3') {
      static const char kFractions[] = {'\xBC', '\xBD', '\xBE'};
      InsertText(a, std::string(1, kFractions[in.virtualKey - '1']));
      return true;
    }
  }
  const int ch = in.charKey;
  switch (ch) {
    case 0: return false;
    case 8:
      if (a.HasSelection()) {
        DeleteSelection(a);
      } else if (a.caret > 0) {
        a.text.erase(size_t(a.caret - 1), 1);
        --a.caret;
        a.selStart = a.selEnd = a.caret;
        LayoutText(a);
        ScrollCaretIntoView(a);
      }
      return true;
    case 13:
      if (a.lineLimit <= 1) return false;
      if (a.HasSelection()) DeleteSelection(a);
      if (a.length() < a.capacity - 1 && a.lineCount < a.lineLimit - 1) InsertText(a, "\r");
      else dialogs.Message(kTextBufferFull, "OK");
      return true;
    case 27:
      a.selStart = a.selEnd = a.caret;
      return true;
    case 1: SelectAll(a); return true;
    case 3: CopySelection(a); return true;
    case 24:
      if (a.HasSelection() && CopySelection(a)) DeleteSelection(a);
      return true;
    case 22: PasteText(a); return true;
    case 21: UpperCaseSelection(a); return true;
    case 12: SentenceCaseSelection(a); return true;
    case 10:
      if (!a.HasSelection()) {
        ProgressScope progress(dialogs);
        progress.Update("Deleting Carriage Returns", "", 0, 1);
        JoinLines(a);
      }
      return true;
    case 4: InsertText(a, "\xB0"); return true;
    default: break;
  }
  if (ch >= 32 && !in.ctrl) {
    if (a.HasSelection()) DeleteSelection(a);
    if (a.length() < a.capacity - 1 && (a.lineLimit == 1 || a.lineCount < a.lineLimit))
      InsertText(a, std::string(1, char(ch)));
    else
      dialogs.Message(kTextBufferFull, "OK");
    return true;
  }
  return false;
}

std::vector<std::string> TextAreaMenuEntries() {
  return {"Delete", "Cut", "Copy", "Paste", std::string(25, '-'),
          "\xB0 symbol (Ctrl+D)", "\xBC symbol (Ctrl+1)", "\xBD symbol (Ctrl+2)", "\xBE symbol (Ctrl+3)",
          "Can", "Clove", "Cup", "Dash", "Gallon", "Large", "Medium", "Ounces", "Packages", "Pints", "Pounds",
          "Quarts", "Slices", "Small", "Teaspoons", "Tablespoons", "Dessertspoons", "Milliliters", "Liters",
          "Grams", "Kilograms"};
}

void TextAreaMenuCommand(TextArea& a, int choice, Dialogs& dialogs) {
  const std::vector<std::string> entries = TextAreaMenuEntries();
  if (choice < 0 || choice >= int(entries.size()) || choice == 4) return;
  if (choice <= 2 && !a.HasSelection()) {
    dialogs.Message(kNoBlockMarked, "OK");
    return;
  }
  switch (choice) {
    case 0: DeleteSelection(a); return;
    case 1:
      if (CopySelection(a)) DeleteSelection(a);
      return;
    case 2: CopySelection(a); return;
    case 3: PasteText(a); return;
    case 5: InsertText(a, "\xB0"); return;
    case 6: InsertText(a, "\xBC"); return;
    case 7: InsertText(a, "\xBD"); return;
    case 8: InsertText(a, "\xBE"); return;
    default: InsertText(a, entries[size_t(choice)]); return;
  }
}

int OffsetAt(const TextArea& a, int x, int y) {
  if (a.lineCount <= 0) return 0;
  int line = a.firstLine + std::max(0, y - a.top) / std::max(1, a.rowHeight);
  line = std::min(line, a.lineCount - 1);
  int p = a.LineStart(line);
  const int end = std::min(a.LineEnd(line), a.length());
  const int room = x - a.left - kTextPad + a.scrollX;
  int acc = 0;
  while (p < end) {
    int w = a.widths[static_cast<unsigned char>(a.text[size_t(p)])];
    if (acc + w / 2 >= room) break;
    acc += w;
    ++p;
  }
  return p;
}

std::array<int, 256> ByteWidths(Gui& gui, int font) {
  std::array<int, 256> w{};
  const FontDesc& f = gui.fonts[font];
  for (int b = 32; b < 256; ++b) w[size_t(b)] = gui.canvas.TextWidth(f, std::string(1, char(b)));
  return w;
}

void SetAreaFont(Gui& gui, TextArea& a, int font) {
  a.font = font;
  const FontDesc& f = gui.fonts[font];
  a.widths = ByteWidths(gui, font);
  gui.canvas.TextWidth(f, "Xg");
  a.rowHeight = std::max(gui.canvas.LastTextHeight(), f.height);
  a.rowsShown = a.lineLimit == 1 ? 1 : std::max(1, (a.bottom - a.top - 4) / a.rowHeight);
}

namespace {

// The scroll bar column of an area of more than one line.
struct BarGeometry {
  int x1, x2, trackTop, trackBottom;
};
BarGeometry BarOf(const TextArea& a) {
  const int x1 = a.right - kTextAreaMargin + 6, x2 = a.right - 4;
  const int arrow = std::min(x2 - x1, std::max(0, (a.bottom - a.top - 6) / 3));
  return {x1, x2, a.top + 3 + arrow, a.bottom - 3 - arrow};
}
ScrollThumb Thumb(const TextArea& a) {
  const BarGeometry b = BarOf(a);
  return ScrollThumb::Place(b.trackTop, b.trackBottom - b.trackTop, a.lineCount, a.rowsShown, a.firstLine);
}

}  // namespace

void DrawTextArea(Gui& gui, const TextArea& a, uint32_t background, bool caretShown) {
  platform::Canvas& cv = gui.canvas;
  const FontDesc& font = gui.fonts[a.font];
  cv.SetClip(a.left, a.top, a.right, a.bottom);
  cv.FramedFill(a.left, a.top, a.right, a.bottom, background, kFrameColour);
  const bool bar = a.lineLimit > 1;
  const int textRight = bar ? a.right - kTextAreaMargin + 4 : a.right - 1;
  cv.SetClip(a.left + 1, a.top + 1, textRight, a.bottom - 1);
  const int lo = a.SelLow(), hi = a.SelHigh();
  const int caretLine = LineOfCaret(a).line;
  for (int r = 0; r < a.rowsShown; ++r) {
    const int n = a.firstLine + r;
    if (n >= a.lineCount) break;
    const int start = a.LineStart(n), end = std::max(start, a.LineStart(n + 1));
    std::string_view line = std::string_view(a.text).substr(size_t(start), size_t(end - start));
    const int y = a.top + 2 + r * a.rowHeight;
    const int x = a.left + kTextPad - a.scrollX;
    auto xAt = [&](int off) { return x + cv.TextWidth(font, Visible(line.substr(0, size_t(off - start)))); };
    cv.DrawText(x, y, platform::kTextLeft, kBlack, font, Visible(line));
    const int s = std::max(lo, start), e = std::min(hi, end);
    if (s < e) {
      int xs = xAt(s), xe = xAt(e);
      cv.FillRect(xs, y, std::max(xe, xs + 4), y + a.rowHeight, kNavy);
      cv.DrawText(xs, y, platform::kTextLeft, kWhite, font, Visible(line.substr(size_t(s - start), size_t(e - s))));
    }
    if (caretShown && a.focus && n == caretLine) {
      int cx = xAt(std::clamp(a.caret, start, end));
      cv.FillRect(cx, y, cx + 2, y + a.rowHeight, kBlack);
    }
  }
  if (bar) {
    // Scroll bar: an arrow at each end, a track with a thumb for the window
    // of lines shown between them.
    const BarGeometry b = BarOf(a);
    cv.SetClip(b.x1, a.top + 1, b.x2, a.bottom - 1);
    cv.FillRect(b.x1, b.trackTop, b.x2, b.trackBottom, kBoxFill);
    const ScrollThumb t = Thumb(a);
    if (t.Scrolls()) cv.FillRect(b.x1, t.top, b.x2, t.top + t.height, kFrameColour);
    const int cx = (b.x1 + b.x2) / 2, half = std::max(2, (b.x2 - b.x1) / 2 - 3);
    for (int k = 0; k < 2; ++k) {
      const bool up = k == 0;
      const int y1 = up ? a.top + 3 : b.trackBottom + 1, y2 = up ? b.trackTop - 1 : a.bottom - 3;
      cv.FillRect(b.x1, y1, b.x2, y2, kButtonFace);
      const int mid = (y1 + y2) / 2;
      for (int i = 0; i <= half; ++i) {
        const int y = up ? mid - half / 2 + i : mid + half / 2 - i;
        cv.FillRect(cx - i, y, cx + i + 1, y + 1, kFrameColour);
      }
    }
  }
  cv.ClearClip();
}

bool InTextAreaBar(const TextArea& a, int x, int y) {
  if (a.lineLimit <= 1) return false;
  const BarGeometry b = BarOf(a);
  return x >= b.x1 - 2 && x < a.right && y >= a.top && y < a.bottom;
}

void TrackTextAreaBar(Gui& gui, TextArea& a, uint32_t background) {
  platform::InputState& in = gui.Input();
  const BarGeometry b = BarOf(a);
  const int y0 = in.mouseY;
  const ScrollThumb t0 = Thumb(a);
  enum { kUp, kDown, kThumb, kTrack } part = y0 < b.trackTop ? kUp : y0 >= b.trackBottom ? kDown
                                             : t0.Contains(y0) ? kThumb : kTrack;
  const int grab = t0.GrabAt(y0);
  const int maxFirst = std::max(0, a.lineCount - a.rowsShown);
  bool first = true;
  for (;;) {
    const bool tick = first || (in.timer && in.lastTimer == platform::kTimerRepeat);
    const int before = a.firstLine;
    switch (part) {
      case kUp: if (tick) --a.firstLine; break;
      case kDown: if (tick) ++a.firstLine; break;
      case kThumb: a.firstLine = Thumb(a).PositionFor(in.mouseY, grab); break;
      case kTrack: {
        // Pages towards the pointer until the thumb reaches it.
        const ScrollThumb t = Thumb(a);
        if (tick && !t.Contains(in.mouseY)) a.firstLine += in.mouseY < t.top ? -a.rowsShown : a.rowsShown;
        break;
      }
    }
    a.firstLine = std::clamp(a.firstLine, 0, maxFirst);
    if (first || a.firstLine != before) {
      DrawTextArea(gui, a, background, true);
      gui.ShowBuffer(a.left, a.top, a.right - a.left, a.bottom - a.top);
    }
    first = false;
    if (in.released || in.heldButton == 0 || gui.ctx.Quitting()) break;
    if (!gui.window.TimerRunning(platform::kTimerRepeat)) gui.window.SetTimer(platform::kTimerRepeat, 40);
    if (!gui.window.Pump(true)) break;
  }
  gui.window.KillTimer(platform::kTimerRepeat);
  gui.ForgetPress();
}

void TrackTextAreaMouse(Gui& gui, TextArea& a, uint32_t background) {
  platform::InputState& in = gui.Input();
  bool anchored = false;
  for (;;) {
    int y = in.mouseY;
    if (in.timer && in.lastTimer == platform::kTimerRepeat) {
      if (y < a.top && a.firstLine > 0) --a.firstLine;
      else if (y > a.bottom && a.firstLine + a.rowsShown < a.lineCount) ++a.firstLine;
    }
    int cy = std::clamp(y, a.top, a.top + a.rowsShown * a.rowHeight - 1);
    a.caret = OffsetAt(a, in.mouseX, cy);
    if (!anchored) {
      a.selStart = a.caret;
      anchored = true;
    }
    a.selEnd = a.caret;
    DrawTextArea(gui, a, background, true);
    gui.ShowBuffer(a.left, a.top, a.right - a.left, a.bottom - a.top);
    if (in.released || in.heldButton == 0 || gui.ctx.Quitting()) break;
    if (!gui.window.TimerRunning(platform::kTimerRepeat)) gui.window.SetTimer(platform::kTimerRepeat, 40);
    if (!gui.window.Pump(true)) break;
  }
  gui.window.KillTimer(platform::kTimerRepeat);
  gui.ForgetPress();
}

}  // namespace pantrela::widgets
