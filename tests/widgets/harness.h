// Drives the real window headless: SDL's offscreen driver, input injected
// as SDL events from a script of steps that run whenever the event wait is
// about to block. An exhausted script closes the window, so a dialog that
// fails to end makes the test fail instead of hanging.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <deque>
#include <functional>
#include <string>

#include "support/temp_dir.h"
#include "widgets/window_dialogs.h"
#include "widgets/gui.h"

namespace pantrela::widgets::testing {

inline void PushKey(SDL_Keycode sym, Uint16 mod = KMOD_NONE, const char* text = nullptr) {
  SDL_SetModState(SDL_Keymod(mod));
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.keysym.sym = sym;
  e.key.keysym.mod = mod;
  e.key.state = SDL_PRESSED;
  SDL_PushEvent(&e);
  if (text) {
    SDL_Event t{};
    t.type = SDL_TEXTINPUT;
    SDL_strlcpy(t.text.text, text, sizeof(t.text.text));
    SDL_PushEvent(&t);
  }
  SDL_Event u{};
  u.type = SDL_KEYUP;
  u.key.keysym.sym = sym;
  u.key.keysym.mod = mod;
  SDL_PushEvent(&u);
}

// Typed text: one character message per character.
inline void PushText(const std::string& utf8) {
  SDL_SetModState(KMOD_NONE);
  for (char c : utf8) {
    SDL_Event t{};
    t.type = SDL_TEXTINPUT;
    t.text.text[0] = c;
    SDL_PushEvent(&t);
  }
}

inline void PushMove(int x, int y) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.x = x;
  e.motion.y = y;
  SDL_PushEvent(&e);
}

inline void PushButton(bool down, int x, int y, int button = SDL_BUTTON_LEFT) {
  SDL_Event e{};
  e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.button = Uint8(button);
  e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.button.x = x;
  e.button.y = y;
  SDL_PushEvent(&e);
}

inline void PushClick(int x, int y, int button = SDL_BUTTON_LEFT) {
  PushMove(x, y);
  PushButton(true, x, y, button);
  PushButton(false, x, y, button);
}

inline void PushWheel(int notches) {
  SDL_Event e{};
  e.type = SDL_MOUSEWHEEL;
  e.wheel.y = notches;
  e.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
  SDL_PushEvent(&e);
}

using Steps = std::deque<std::function<void()>>;

// Runs the next step of a script; with none left, closes the window and
// answers false.
inline bool RunNextStep(Steps& steps) {
  if (steps.empty()) {
    SDL_Event q{};
    q.type = SDL_QUIT;
    SDL_PushEvent(&q);
    return false;
  }
  auto step = std::move(steps.front());
  steps.pop_front();
  step();
  return true;
}

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ctx.SetFolders(dir.path(), dir.path());
    ctx.settings.window_x = 10;
    ctx.settings.window_y = 10;
    ctx.settings.window_wide = 1000;
    ctx.settings.window_high = 700;
    ctx.settings.screen_font = "Arial";
    ASSERT_TRUE(gui.Open()) << SDL_GetError();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    gui.window.redraw = false;
    gui.idleHook = [this] {
      // Timers may still be due: give them a moment before giving up.
      if (steps.empty() && SDL_WaitEventTimeout(nullptr, 400)) return;
      if (!RunNextStep(steps)) ranOut = true;
    };
  }
  void TearDown() override { SDL_SetModState(KMOD_NONE); }

  // A control of the table by id.
  const Control& C(int id) {
    const Control* c = gui.ById(id);
    EXPECT_NE(c, nullptr) << "no control " << id;
    static Control none;
    return c ? *c : none;
  }
  // Centre of a control by id.
  int CX(int id) { return (C(id).x1 + C(id).x2) / 2; }
  int CY(int id) { return (C(id).y1 + C(id).y2) / 2; }
  // Takes waiting messages until one satisfies `done` (false when none did).
  template <class F>
  bool PumpUntil(F done) {
    for (int i = 0; i < 50; ++i) {
      if (!gui.window.PumpTimeout(50)) return false;
      if (done()) return true;
    }
    return false;
  }
  // Runs messages until the held button is cleared (the 50 ms release timer).
  void SettleRelease() {
    for (int i = 0; i < 100 && gui.Input().heldButton; ++i) gui.window.PumpTimeout(20);
  }

  pantrela::testing::TempDir dir;
  AppContext ctx;
  Gui gui{ctx};
  WindowDialogs dialogs{gui};
  Steps steps;
  bool ranOut = false;
};

}  // namespace pantrela::widgets::testing
