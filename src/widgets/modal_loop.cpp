#include "widgets/modal_loop.h"

#include "widgets/text_field.h"

namespace pantrela::widgets {

void ShowHiddenWindow(Gui& gui) {
  SDL_Window* w = gui.window.Handle();
  if (w && (SDL_GetWindowFlags(w) & SDL_WINDOW_HIDDEN)) gui.window.ShowState(gui.ctx.settings.window_state);
}

ModalLoop::ModalLoop(Gui& gui, Busy busy) : gui_(gui) {
  popupWas_ = gui.ctx.popupUp;
  busyWas_ = gui.ctx.Busy();
  caretWas_ = gui.caretField;
  gui.SaveControls();
  callers_ = gui.canvas.TakeSnapshot();
  gui.canvas.Snapshot();
  gui.ctx.popupUp = true;
  busy_ = busy == Busy::kYes;
  if (busy_) gui.ctx.SetBusy(true);
  ShowHiddenWindow(gui);
  sizeSeen_ = gui.window.sizeChanges;
}

ModalLoop::~ModalLoop() {
  gui_.canvas.PutSnapshot(0, 0, gui_.Width(), gui_.Height());
  gui_.ShowAll();
  gui_.RestoreControls();
  gui_.canvas.GiveSnapshot(std::move(callers_));
  gui_.caretField = caretWas_;
  gui_.ctx.popupUp = popupWas_;
  if (busy_) gui_.ctx.SetBusy(busyWas_);
}

bool ModalLoop::Next(int& id) {
  if (gui_.ctx.Quitting()) return false;
  id = gui_.WaitEvent(true);
  if (gui_.ctx.Quitting()) return false;
  if (gui_.window.sizeChanges != sizeSeen_) {
    sizeSeen_ = gui_.window.sizeChanges;
    if (repaint) {
      repaint();
    } else {
      gui_.DrawAllControls();
      gui_.ShowAll();
    }
  }
  return true;
}

FieldCaret::~FieldCaret() {
  if (index_ >= 0) gui_.window.KillTimer(kTimerCaret);
}

void FieldCaret::Focus(int index) {
  index_ = index;
  Show(true);
  gui_.window.SetTimer(kTimerCaret, 300);
}

void FieldCaret::Show(bool on) {
  if (index_ < 0) return;
  on_ = on;
  gui_.caretField = on ? index_ : -1;
  DrawTextField(gui_, index_, on);
  gui_.ShowControl(index_);
}

void FieldCaret::Edit() {
  if (index_ < 0) return;
  int flag = 0;
  EditTextField(gui_, index_, flag);
  if (flag == -1) Focus(index_);
}

}  // namespace pantrela::widgets
