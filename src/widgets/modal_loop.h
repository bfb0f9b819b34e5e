// The scope every modal piece runs in. Opening it puts the control table and
// the window's image aside (the image is what the dialog is drawn over),
// raises the popup flag and, when asked, the busy mark; closing it paints
// the image back, shows it and restores table, caret, flag and mark, even
// when the dialog ends early. Next() is the dialog's event wait: it answers
// false once the program is quitting and repaints the dialog after the
// window was resized or restored.
//
//   ModalLoop loop(gui);
//   ... AddControl from index 0, DrawAllControls, ShowAll ...
//   int id = 0;
//   while (loop.Next(id)) { if (Handle(id)) break; }
#pragma once

#include <functional>

#include "platform/canvas.h"
#include "widgets/gui.h"

namespace pantrela::widgets {

class ModalLoop {
 public:
  enum class Busy { kNo, kYes };
  explicit ModalLoop(Gui& gui, Busy busy = Busy::kNo);
  ~ModalLoop();
  ModalLoop(const ModalLoop&) = delete;
  ModalLoop& operator=(const ModalLoop&) = delete;

  // Waits for the next event; false when the program is quitting.
  bool Next(int& id);
  // Paints the dialog after a resize; every control unless replaced.
  std::function<void()> repaint;

 private:
  Gui& gui_;
  platform::Canvas::SnapshotImage callers_;  // the snapshot of a dialog this one runs inside
  bool popupWas_ = false;
  bool busyWas_ = false;
  bool busy_ = false;
  int caretWas_ = -1;
  int sizeSeen_ = 0;
};

// The blinking caret of a dialog's focused text field: shown at once after
// an edit, toggled on every tick of the caret timer.
class FieldCaret {
 public:
  explicit FieldCaret(Gui& gui) : gui_(gui) {}
  ~FieldCaret();
  // Focuses the field at `index` with the caret shown and the timer started.
  void Focus(int index);
  // Draws the focused field with the caret shown or hidden.
  void Show(bool on);
  // The timer ticked: toggles the caret.
  void Blink() { Show(!on_); }
  // Passes the last event to the field; restarts the blink after an edit.
  void Edit();
  int index() const { return index_; }

 private:
  Gui& gui_;
  int index_ = -1;
  bool on_ = true;
};

// A dialog asked before the first screen showed the window shows it first
// (with the saved window_state), so that the question can be answered.
void ShowHiddenWindow(Gui& gui);

// Timer that blinks the caret of a dialog's focused field (300 ms).
inline constexpr int kTimerCaret = 2;

}  // namespace pantrela::widgets
