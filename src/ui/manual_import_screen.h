// The full-window screen of manual import: the file's lines in a list with
// a scroll bar, the marking buttons and the saved count. Lines are selected
// with the mouse (press and drag, the list scrolling past its edges) or the
// keys (Up, Down, Home, End, Page Up, Page Down, with Shift to extend), and
// marked with the buttons, their letters or the right-click menu.
#pragma once

#include "import/manual_import.h"
#include "widgets/gui.h"
#include "widgets/list_widgets.h"

namespace pantrela::ui {

class Screens;

enum ManualIds : int {
  kIdManualTitle = 120, kIdManualYield, kIdManualIngredients, kIdManualDirections, kIdManualUnmark,
  kIdManualClearAll, kIdManualSave, kIdManualFinished,
  kIdManualList = 350, kIdManualUp = 351, kIdManualBar = 352, kIdManualDown = 353,
  kIdManualInstruction = 360, kIdManualStatus = 361,
};
inline constexpr int kKindManualList = 350;
inline constexpr int kKindManualBar = 352;

// The colour a marked line is drawn in.
uint32_t ManualMarkColour(int mark);

class ManualImportScreen : public ManualImportView {
 public:
  explicit ManualImportScreen(Screens& screens);
  ~ManualImportScreen() override;

  int ListWidth() override;
  int ByteWidth(unsigned char c) override;
  bool Run(ManualImportSession& session, ManualLines& lines) override;

  // Lays the screen out for the current window size (tests read it).
  void Layout();
  int RowHeight() const;
  // Rows that fit in the list.
  int VisibleRows() const;

 private:
  void Paint();
  void Dispatch(int id);
  void MoveTo(int line, bool extend);
  void ScrollTo(int first);
  void KeepCurrentVisible();
  int RowAt(int y) const;
  void PressInList();
  void DragInList();
  void RightClickMenu();
  void DragBar();
  void PaintList(int index);
  void PaintBar(int index);
  // The scroll bar's thumb for the lines on show.
  widgets::ScrollThumb Thumb() const;
  void RepaintList();
  void Command(int id);

  Screens& s_;
  ManualImportSession* session_ = nullptr;
  ManualLines* lines_ = nullptr;
  widgets::Gui::KindPainter oldList_, oldBar_;
  bool selecting_ = false;
  bool barDrag_ = false;
  int barGrab_ = 0;
  bool finished_ = false;
  int listX1_ = 0, listY1_ = 0, listX2_ = 0, listY2_ = 0;
};

}  // namespace pantrela::ui
