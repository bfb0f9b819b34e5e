#include "harness.h"

namespace pantrela::widgets::testing {
namespace {

using WindowShow = GuiTest;

// The window is created hidden; the first screen shows it, and so does a
// dialog asked before the first screen (start-up questions).
TEST_F(WindowShow, HiddenUntilTheFirstDialogShowsIt) {
  EXPECT_TRUE(SDL_GetWindowFlags(gui.window.Handle()) & SDL_WINDOW_HIDDEN);
  bool hiddenDuring = true;
  steps.push_back([&] {
    hiddenDuring = (SDL_GetWindowFlags(gui.window.Handle()) & SDL_WINDOW_HIDDEN) != 0;
    PushKey(SDLK_RETURN);
  });
  dialogs.Message("Upgrade the data files?");
  EXPECT_FALSE(hiddenDuring);
  EXPECT_FALSE(ranOut);
}

}  // namespace
}  // namespace pantrela::widgets::testing
