// The program's one top-level window (SDL2): placement kept in the settings,
// timers, mouse capture, keyboard state, and the input record that the event
// wait and the screens read. The window only records input; all work runs in
// the screens.
//
// Input is taken one message at a time by Pump(): with wait = true it blocks
// until a message arrives (no polling), with false it takes one if present.
// At every message the wheel steps, the character key and the Shift/Ctrl
// states are reset and read again, as the screens expect.
#pragma once

#include <SDL2/SDL.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/context.h"

namespace pantrela::platform {

// Virtual key codes the screens compare against (the classic key numbers).
enum VirtualKey : int {
  kVkBack = 8, kVkTab = 9, kVkReturn = 13, kVkShift = 16, kVkControl = 17, kVkEscape = 27,
  kVkPrior = 33, kVkNext = 34, kVkEnd = 35, kVkHome = 36,
  kVkLeft = 37, kVkUp = 38, kVkRight = 39, kVkDown = 40,
  kVkInsert = 45, kVkDelete = 46, kVkF1 = 112, kVkF3 = 114, kVkF7 = 118, kVkF12 = 123,
};

// Character codes of the keys the screens compare against (charKey).
enum CharKey : int {
  kCharCtrlA = 1, kCharBackspace = 8, kCharTab = 9, kCharEnter = 13, kCharEscape = 27, kCharSpace = 32,
};

// Timer ids with a fixed meaning.
inline constexpr int kTimerButtonRelease = 1;  // clears the held button 50 ms after release
inline constexpr int kTimerRepeat = 400;       // 40 ms repeat while a control is held

// Smallest window the program allows.
inline constexpr int kMinWindowWidth = 790;
inline constexpr int kMinWindowHeight = 550;

// What the last message left behind. Reset rules follow the classic window
// procedure: see Window::Pump.
struct InputState {
  int charKey = 0;      // character of the last key (13 Enter, 27 Esc, 8 Backspace, 9 Tab, 1..26 Ctrl+letter)
  int virtualKey = 0;   // VirtualKey of the last key down; 0 after a key up
  bool shift = false;
  bool ctrl = false;
  int mouseX = 0, mouseY = 0;  // client pixels
  int heldButton = 0;          // 0 none, 1 left, 2 right
  int lastTimer = 0;           // id of the last timer that fired
  int wheelSteps = 0;          // signed lines of the last wheel message
  int wheelAccumulator = 0;    // wheel delta not yet turned into steps (units of 1/120 notch)

  // Kinds of the last message, for the event wait.
  bool pressed = false;   // a button went down in the last message
  bool released = false;  // a button came up in the last message
  bool keyDown = false;   // a key went down in the last message
  bool keyUp = false;     // a key came up in the last message
  bool moved = false;
  bool timer = false;
  bool any = false;       // a message was taken at all
};

// Placement values as the settings keep them (outer window rectangle).
struct WindowRect {
  int x = 0, y = 0, w = 0, h = 0;
};

class Window {
 public:
  explicit Window(AppContext& ctx);
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Creates the window titled "Pantrela" from window_x ... window_state of
  // the settings (a size of 0 gets 790 x 550 centred in the work area).
  // False when SDL has no video device.
  bool Open();
  SDL_Window* Handle() const { return window_; }

  // Takes one message (blocking when `wait`) and records it. Returns false
  // when no message was taken. Does nothing once the quit flag is set.
  bool Pump(bool wait);
  // Waits at most `ms` for a message (used by the tests and the demo).
  bool PumpTimeout(int ms);

  InputState& Input() { return in_; }
  const InputState& Input() const { return in_; }
  int ClientWidth() const { return clientW_; }
  int ClientHeight() const { return clientH_; }

  // Puts one timer message with this id in the queue (wakes a waiting
  // screen at once).
  void PostTimerMessage(int id);
  // Timers repeat until killed, like window timers; firing records the id.
  void SetTimer(int id, int ms);
  void KillTimer(int id);
  bool TimerRunning(int id) const;

  // Copies the rectangle (x, y, w, h) of `pixels` (ARGB32 rows of `stride`
  // bytes, bufW x bufH) to the window and shows it: through the window's
  // surface, updating only that rectangle, or where the system gives no
  // surface through a streaming texture.
  void Present(const uint8_t* pixels, int stride, int bufW, int bufH, int x, int y, int w, int h);

  // While busy the window refuses resizing and maximising. When the mark
  // ends and the window has another size than the one last laid out (the
  // refusal is only a request to the window manager), the size change is
  // taken then: onResize runs and a redraw is requested.
  void SetBusy(bool busy);
  bool Busy() const { return busy_; }

  // Outer window rectangle and the work area of its display.
  WindowRect OuterRect() const;
  WorkArea DisplayWorkArea() const;
  void MoveTo(int x, int y);
  void SetOuterRect(const WindowRect& r);
  // Raises the window to the front (hand-over from a second copy).
  void Raise();
  // Shows the window maximised, minimised or normal (window_state 3, 2, 1).
  void ShowState(int state);

  // Called after the client size changed (not while busy); the owner resizes
  // its back buffer and lays the screen out again.
  std::function<void(int w, int h)> onResize;
  // Called when the window needs its image again (exposed, restored).
  std::function<void()> onExpose;
  // Called when the last message was one the window does not handle itself
  // (file drops, clipboard updates, focus gained); the owner may look at it.
  std::function<void(const SDL_Event&)> onOther;

  // A redraw was requested (size change); screens clear it.
  bool redraw = false;
  // Counts size changes (dialogs repaint themselves when it moves).
  int sizeChanges = 0;

 private:
  void Record(const SDL_Event& e);
  // Takes the window's new size and state (the size message `event`).
  void TakeSizeChange(uint8_t event);
  void RecordPlacement();
  void ReadClientSize();
  void FireTimer(int id);

  AppContext& ctx_;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int texW_ = 0, texH_ = 0;
  int clientW_ = 0, clientH_ = 0;
  int laidOutW_ = 0, laidOutH_ = 0;  // the client size onResize was last told
  bool busy_ = false;
  WindowRect previousNormal_;  // placement before the last change, for a maximise
  // The outer rectangle asked for at creation; the frame's size is known
  // only once the window is shown, so the first show applies it again.
  WindowRect opened_;
  bool shownOnce_ = false;
  InputState in_;
  std::set<int> keysDown_;
  std::vector<std::pair<int, SDL_TimerID>> timers_;
  uint32_t timerEvent_ = 0;
  bool sdlStarted_ = false;
  bool captured_ = false;
 public:
  // True while a key is down (by the key messages seen).
  bool AnyKeyDown() const { return !keysDown_.empty(); }
};

// Windows-1252 bytes to UTF-8 and back (characters outside the code page
// become '?').
std::string Utf8FromAnsi(std::string_view ansi);
std::string AnsiFromUtf8(std::string_view utf8);

// The window rectangle after a re-centre in the work area: at least
// 790 x 550, centred, kept inside the work area's right and bottom edges and
// never above or left of 0.
WindowRect RecentredRect(const WindowRect& window, const WorkArea& work);

}  // namespace pantrela::platform
