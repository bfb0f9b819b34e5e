// The single-line text field: a control of kind 16 whose caret, anchor,
// selection end and first visible character live in the control entry.
// Drawing it and applying one event to it are the two operations; the
// owner (a form, an editor) blinks the caret with its own timer.
#pragma once

#include "widgets/gui.h"

namespace pantrela::widgets {

// Longest text a field holds.
inline constexpr int kMaxFieldText = 219;

// Draws the field: background, frame, the text from the first visible
// character 4 px in, the selection white on navy, and the caret when shown.
void DrawTextField(Gui& gui, int index, bool caretShown);

// Applies the last message (key, mouse press and drag) to the field and
// redraws it. Sets caretFlag to -1 after any change of text, caret or
// selection, so that the owner restarts the blink with the caret visible.
// A press inside the field captures the mouse until the button comes up.
void EditTextField(Gui& gui, int index, int& caretFlag);

// Moves the first visible character so that the caret stays inside the
// field (the text from it to the caret fits in the field width - 15 px).
void KeepCaretVisible(Gui& gui, Control& field);

}  // namespace pantrela::widgets
