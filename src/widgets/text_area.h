// The multi-line text area: a byte buffer laid out in display lines, a
// window of those lines, a caret and a selection. The recipe editor's title,
// ingredients and directions are three of them; the spell check walks and
// replaces words through the caret and the selection.
//
// Lines in the text are separated by CR. LF and NUL never enter it through
// typing or inserting; a paste copies the clipboard's bytes as they are.
// The line layout is the one line breaker of foundation/wrap_text.h: in
// character mode (right == 0, left = line width in characters) it is exactly
// WrapLineStarts; in pixel mode each byte adds its width in the area's font.
//
// The editing operations need no window. The painter and the mouse gesture
// work on a Gui.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/dialogs.h"
#include "platform/window.h"

namespace pantrela::widgets {

class Gui;

inline constexpr const char* kTextBufferFull = "Text Buffer Is Full...";
inline constexpr const char* kNoBlockMarked = "No Block Marked";
// Control kind of a text area in the control table (drawn by its owner's
// painter, which calls DrawTextArea).
inline constexpr int kKindTextArea = 30;
// Pixels of the area's width that lines never use (the scroll bar column).
inline constexpr int kTextAreaMargin = 26;
// Timer of the caret's blink, and its half period.
inline constexpr int kTimerCaretBlink = 402;
inline constexpr int kCaretBlinkMs = 530;

struct TextArea {
  int left = 0, top = 0, right = 0, bottom = 0;
  int rowsShown = 1;
  int firstLine = 0;
  int scrollX = 0;  // one-line areas: pixels of the line scrolled off at the left
  int lineCount = 0;
  int caret = 0;
  bool focus = false;
  int lineLimit = 990;
  int capacity = 65000;
  int selStart = 0, selEnd = 0;
  std::string text;
  // One offset per display line, then one just past the end of the text.
  std::vector<uint32_t> lineStarts;

  // Pixel mode: width of every byte in the area's font, and the row height.
  std::array<int, 256> widths{};
  int rowHeight = 20;
  int font = 0;  // FontId of the painter

  int length() const { return int(text.size()); }
  bool characterMode() const { return right == 0; }
  bool HasSelection() const { return selStart != selEnd; }
  int SelLow() const { return selStart < selEnd ? selStart : selEnd; }
  int SelHigh() const { return selStart < selEnd ? selEnd : selStart; }
  std::string Selected() const { return text.substr(size_t(SelLow()), size_t(SelHigh() - SelLow())); }
  // Start of display line n (n may be lineCount: the end entry).
  int LineStart(int n) const;
  // The last offset the caret may take on line n (before the next line's
  // start, never before the line's own start).
  int LineEnd(int n) const;
};

// The editor's areas.
void SetupTitleArea(TextArea& a);
void SetupTextArea(TextArea& a);

void LayoutText(TextArea& a);
struct LineColumn {
  int line = 0, column = 0;
};
LineColumn LineOfCaret(const TextArea& a);
// Replaces the selection by `text` at the caret, leaving out LF and NUL,
// cut to the buffer and the line limit.
void InsertText(TextArea& a, std::string_view text);
// As InsertText, with every byte of `text` (the clipboard's).
void PasteBytes(TextArea& a, std::string_view text);
void DeleteSelection(TextArea& a);
// Selected bytes to the clipboard as text; false when nothing is selected or
// there is no clipboard.
bool CopySelection(const TextArea& a);
// The clipboard's text (Windows-1252, its own line ends) over the selection.
void PasteText(TextArea& a);
std::string DisplayLine(const TextArea& a, int n);
// The caret to an offset; the selection end follows, the start too unless
// `extend`. Scrolls the caret's line into view.
void MoveCaret(TextArea& a, int offset, bool extend);
void ScrollCaretIntoView(TextArea& a);
void SelectAll(TextArea& a);

// The editor's text commands.
void UpperCaseSelection(TextArea& a);
// First letter of the selection and after ".", "!", "?" (spaces and line
// breaks between ignored) upper case, every other letter lower case.
void SentenceCaseSelection(TextArea& a);
// Every CR followed neither by a CR nor by a space goes; a space takes its
// place unless the byte before is one. Blank lines stay.
void JoinLines(TextArea& a);

// One key message (the input the event wait recorded) applied to a focused
// area, with the editor's keys (Ctrl+A, X, C, V, U, L, J, D, 1-3, Escape).
// Messages go through `dialogs`. Answers true when the text, the caret or
// the selection changed. Tab is left to the owner.
bool TextAreaKey(TextArea& a, const platform::InputState& in, Dialogs& dialogs);

// The context menu's entries, and what choosing entry `choice` does.
std::vector<std::string> TextAreaMenuEntries();
void TextAreaMenuCommand(TextArea& a, int choice, Dialogs& dialogs);

// Offset under a client point (pixel mode).
int OffsetAt(const TextArea& a, int x, int y);

// Width in pixels of every byte in a font of the Gui's set (control bytes 0).
std::array<int, 256> ByteWidths(Gui& gui, int font);
// Pixel mode from a font of the Gui's set: widths, row height, rows shown.
void SetAreaFont(Gui& gui, TextArea& a, int font);
void DrawTextArea(Gui& gui, const TextArea& a, uint32_t background, bool caretShown);
// A press of the left button inside the area: caret and selection follow the
// pointer until the button comes up, scrolling a line at a time while the
// pointer is above or below the area. The area is repainted as it goes.
void TrackTextAreaMouse(Gui& gui, TextArea& a, uint32_t background);
// True when a client point lies in the area's scroll bar column (areas of
// more than one line).
bool InTextAreaBar(const TextArea& a, int x, int y);
// A press of the left button in that column: the arrows scroll a line per
// press and per repeat tick while held, the track pages towards the
// pointer, the thumb follows the pointer until the button comes up. The
// area is repainted as it goes.
void TrackTextAreaBar(Gui& gui, TextArea& a, uint32_t background);

}  // namespace pantrela::widgets
