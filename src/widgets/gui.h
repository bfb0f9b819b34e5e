// The self-drawn interface: the window with its back buffer, the font set,
// the control table, painting by kind and the event wait.
//
// How a screen uses it:
//   int n = 0;
//   gui.AddControl(n, {.id = kIdTopBar, .kind = kKindFill, .x2 = gui.Width(), .y2 = 44, .background = kTopBarColour});
//   gui.AddControl(n, {.id = 102, .kind = kKindButton, .x1 = x, .y1 = y, .x2 = x + 90, .y2 = y + 34,
//                      .background = kButtonFace, .font = kFontButton, .accelerator = 1, .caption = "Find"});
//   gui.AddControl(n, {.id = kIdEnd});  // end of table
//   gui.DrawAllControls(); gui.ShowAll();
//   for (;;) {
//     int id = gui.WaitEvent(true);          // id of the control chosen, or 0
//     if (gui.ctx.Quitting() || gui.ctx.screen != myScreen) break;
//     if (gui.window.redraw) { gui.window.redraw = false; /* lay out, paint */ continue; }
//     const auto& in = gui.Input();          // last key, mouse, wheel, timer
//     ...
//   }
// Kinds the generic painter does not know (lists, calendar cells, editors)
// are drawn by a painter the screen registers with SetKindPainter. Dialogs
// (widgets/window_dialogs.h) save the table and a snapshot of the window, run their
// own event wait and put both back.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "foundation/context.h"
#include "platform/canvas.h"
#include "platform/window.h"

namespace pantrela::widgets {

using platform::FontDesc;

// Fonts of the font set, by the handle a control carries.
enum FontId : int {
  kFontNone = 0,
  kFontScreen,        // screen_font, screen_font_size, regular
  kFontScreenBold,
  kFontScreenLarge,   // size + 8, bold
  kFontSmall,         // Arial 15
  kFontSmallBold,
  kFontList,          // Arial 20: choice rows, drop-down entries
  kFontListBold,      // Arial 20 bold: drop-down headings, progress title
  kFontHeading24,
  kFontHeading28,
  kFontMessage,       // Arial 20 bold: popup lines and field captions
  kFontLabel17,
  kFontButton,        // Arial 20
  kFontTab,           // Arial 20
  kFontCount
};

struct FontSet {
  std::array<FontDesc, kFontCount> fonts;
  int fieldHeight = 23;     // 1.15 x the screen font size, rounded
  int rowHeight = 23;       // list rows: 1.15 x 20
  int smallRowHeight = 16;  // rows in the small fonts

  // Rebuilds the set from screen_font and screen_font_size: a face that is
  // not installed becomes Arial, size 0 counts as 20.
  void Rebuild(const Settings& settings);
  const FontDesc& operator[](int id) const {
    return fonts[(id > 0 && id < kFontCount) ? id : kFontScreen];
  }
};

// Kinds the generic painter draws.
enum ControlKind : int {
  kKindFill = 1,         // plain filled rectangle (background colour)
  kKindTab = 2,          // tab of the tab bar; the current screen's tab in the foreground colour
  kKindButton = 4,       // push button; captions "ARROW_UP" ... "BIG_DOWN" draw that picture
  kKindText = 5,         // one line of text (align: 0 left at x1, 1 right at x2, 2 centred)
  kKindChoiceList = 6,   // the choice list of ChooseFromList (drawn by the dialog)
  kKindBox = 7,          // 1-px black border, fill (116, 168, 192)
  kKindFilled = 8,       // filled with the foreground colour
  kKindOutline = 9,
  kKindDotted = 10,
  kKindBlend = 12,       // picture blended at `opacity`
  kKindBitmap = 13,      // bitmap resource named by the caption, background colour keyed
  kKindSnapshot = 14,    // part of the window snapshot
  kKindFramedFill = 15,  // filled with the foreground, framed with the background colour
  kKindTextField = 16,   // single-line text field (widgets/text_field.h)
  kKindDropList = 18,    // the drop-down list of PopupList (drawn by the dialog)
  kKindCheckBox = 20,    // white square, "CHECKED_BOX" when value != 0
  kKindPicture = 24,     // picture scaled into the rectangle, caption below it
};

// Control states.
enum ControlState : int { kStateNormal = 0, kStateLeft = 1, kStateRight = 2, kStateHover = 3 };

// Ids with a fixed meaning.
inline constexpr int kIdDecoration = 0;
inline constexpr int kIdTopBar = 1;
inline constexpr int kIdEnd = -1;
// Controls the event wait looks at (the ones after are drawn, never chosen).
inline constexpr int kMaxChoosable = 99;

struct Control {
  int id = kIdEnd;
  int kind = 0;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  uint32_t foreground = 0;
  uint32_t background = 0;
  int font = kFontNone;
  int accelerator = 0;  // position from 1 of the accelerator letter; 100 + n also means n
  int maxLength = 0;    // text fields
  int reserved = 0;
  int caret = 0, anchor = 0, selectionEnd = 0, firstVisible = 0;  // text fields
  int state = kStateNormal;
  std::string caption{};  // text (at most 219 characters) or bitmap name
  // Beyond the classic entry:
  int align = 0;        // kind 5: 0 left, 1 right, 2 centred
  int value = 0;        // check box: checked when not 0
  double opacity = 1.0; // kind 12
  platform::Picture picture{};  // kinds 12 and 24

  bool Contains(int x, int y) const { return x >= x1 && x <= x2 && y >= y1 && y <= y2; }
  // The accelerator letter (upper case), or 0.
  int AcceleratorLetter() const;
};

// Colours (red + 256 x green + 65536 x blue).
constexpr uint32_t Rgb(int r, int g, int b) { return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16); }
inline constexpr uint32_t kBlack = Rgb(0, 0, 0);
inline constexpr uint32_t kWhite = Rgb(255, 255, 255);
inline constexpr uint32_t kNavy = Rgb(0, 0, 128);
inline constexpr uint32_t kBoxFill = Rgb(116, 168, 192);
inline constexpr uint32_t kButtonFace = Rgb(176, 176, 176);
inline constexpr uint32_t kFrameColour = Rgb(63, 115, 139);
inline constexpr uint32_t kTopBarColour = Rgb(70, 110, 130);

class Gui {
 public:
  explicit Gui(AppContext& ctx);
  ~Gui();
  Gui(const Gui&) = delete;
  Gui& operator=(const Gui&) = delete;

  // Opens the window, sizes the back buffer and builds the font set.
  // False without a video device.
  bool Open();

  AppContext& ctx;
  platform::Window window;
  platform::Canvas canvas;
  FontSet fonts;

  int Width() const { return canvas.Width(); }
  int Height() const { return canvas.Height(); }
  const platform::InputState& Input() const { return window.Input(); }
  platform::InputState& Input() { return window.Input(); }

  // --- control table ---
  std::vector<Control> table;
  // Writes `control` as entry `count` (state cleared, caption cut to 219
  // characters) and adds 1 to count; returns the entry's index. Adding id -1
  // ends the table there. Fields left out keep Control's defaults.
  int AddControl(int& count, Control control);
  // The first three controls of every modal box of W x H at (left, top): the
  // frozen screen around it, the top bar (id 1) and the box itself.
  void AddModalBox(int& count, int left, int top, int W, int H);
  // Modal loops call this after every event: when the window was resized or
  // restored since `seen`, the whole dialog is painted and shown again.
  void RepaintAfterResize(int& seen);
  // Index of the first control with this id before the end mark, or -1.
  int Find(int id) const;
  Control* ById(int id);
  void SaveControls();     // pushes a copy of the table
  void RestoreControls();  // pops it back

  // --- painting ---
  void DrawControl(int index);
  void DrawAllControls();
  // Copies a rectangle (x, y, w, h) of the back buffer to the window.
  void ShowBuffer(int x, int y, int w, int h);
  void ShowAll() { ShowBuffer(0, 0, Width(), Height()); }
  void ShowControl(int index);
  void PutSnapshot(int x1, int y1, int x2, int y2) { canvas.PutSnapshot(x1, y1, x2, y2); }
  // A painter for a kind the generic painter does not draw (called clipped
  // to the control). Returns the previous one.
  using KindPainter = std::function<void(Gui&, int index)>;
  KindPainter SetKindPainter(int kind, KindPainter painter);
  // Index of the text field whose caret is shown (-1 none).
  int caretField = -1;

  // --- event wait ---
  // Returns the id of the control chosen (click released on the control it
  // was pressed on, or its accelerator typed), or 0. With a redraw requested
  // and no popup up it returns 0 at once; `wait` blocks until a message
  // arrives, otherwise only a waiting message is taken.
  int WaitEvent(bool wait);
  // The control under the pointer and the control held (ids and indexes,
  // -1 for none), as the last wait left them.
  int overId = 0, overIndex = -1, pressedId = 0, pressedIndex = -1;

  // Forgets a press whose release somebody else consumed (a text field's
  // own drag loop).
  void ForgetPress() {
    down_ = false;
    downIndex_ = -1;
  }

  // Called when the window's client size changed, after the back buffer was
  // resized: screens lay themselves out again.
  std::function<void(int w, int h)> onLayout;
  // Test hook: called by a blocking wait when no message is waiting, before
  // it blocks (tests inject input here).
  std::function<void()> idleHook;
  // Run at the end of every wait (the version check and news note).
  std::function<void()> updateChecks;
  // Writes the settings file (the window placement changed).
  void SaveSettings();

 private:
  void TrackPointer(int& result);
  void PaintByKind(const Control& c, int index);
  void PaintTab(const Control& c);
  void PaintButton(const Control& c);

  std::vector<std::vector<Control>> saved_;
  std::map<int, KindPainter> painters_;
  int highlighted_ = -1;   // index drawn hover/pressed by the event wait
  int downIndex_ = -1;     // control under the pointer when the button went down
  int downButton_ = 0;
  bool down_ = false;      // a button went down and has not come up yet
  bool dragging_ = false;  // top bar drag
  int dragDX_ = 0, dragDY_ = 0;
};

// Splits a "|"-joined list ("a||b" gives "a", "", "b").
std::vector<std::string> SplitList(std::string_view list);

}  // namespace pantrela::widgets
