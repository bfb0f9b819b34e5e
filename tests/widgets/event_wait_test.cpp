#include "harness.h"

#include "foundation/settings.h"

namespace pantrela::widgets::testing {
namespace {

using EventWait = GuiTest;

// Three buttons side by side plus the end mark.
void ThreeButtons(Gui& gui) {
  int n = 0;
  gui.AddControl(n, {.id = 101, .kind = kKindButton, .x1 = 100, .y1 = 100, .x2 = 200, .y2 = 130, .foreground = kBlack,
                     .background = kButtonFace, .font = kFontButton, .accelerator = 1, .caption = "Find"});
  gui.AddControl(n, {.id = 102, .kind = kKindButton, .x1 = 220, .y1 = 100, .x2 = 320, .y2 = 130, .foreground = kBlack,
                     .background = kButtonFace, .font = kFontButton, .accelerator = 1, .caption = "Fold"});
  gui.AddControl(n, {.id = 103, .kind = kKindButton, .x1 = 340, .y1 = 100, .x2 = 440, .y2 = 130, .foreground = kBlack,
                     .background = kButtonFace, .font = kFontButton, .accelerator = 102, .caption = "Export"});
  gui.AddControl(n, {.id = kIdEnd});
  gui.DrawAllControls();
}

// Runs blocking waits until one returns a control id or the script is done.
int WaitChosen(Gui& gui, bool& ranOut, int limit = 50) {
  for (int i = 0; i < limit && !gui.ctx.Quitting(); ++i) {
    int id = gui.WaitEvent(true);
    if (id) return id;
  }
  return 0;
}

TEST_F(EventWait, ClickChoosesOnlyWhenPressAndReleaseShareTheControl) {
  ThreeButtons(gui);
  steps.push_back([&] { PushClick(150, 115); });
  EXPECT_EQ(WaitChosen(gui, ranOut), 101);
  EXPECT_EQ(C(101).state, kStateNormal);
  SettleRelease();

  // Pressed on 101, released on 102: nothing.
  steps.push_back([&] {
    PushMove(150, 115);
    PushButton(true, 150, 115);
  });
  steps.push_back([&] {
    EXPECT_EQ(C(101).state, kStateLeft);
    EXPECT_EQ(gui.pressedId, 101);
    PushMove(260, 115);
    PushButton(false, 260, 115);
  });
  int chosen = 0;
  for (int i = 0; i < 8; ++i) chosen |= gui.WaitEvent(true);
  EXPECT_EQ(chosen, 0);
  EXPECT_TRUE(ranOut);
}

TEST_F(EventWait, RightClickChoosesWithStateTwo) {
  ThreeButtons(gui);
  int stateSeen = -1;
  steps.push_back([&] { PushMove(260, 110); PushButton(true, 260, 110, SDL_BUTTON_RIGHT); });
  steps.push_back([&] { stateSeen = C(102).state; PushButton(false, 260, 110, SDL_BUTTON_RIGHT); });
  EXPECT_EQ(WaitChosen(gui, ranOut), 102);
  EXPECT_EQ(stateSeen, kStateRight);
  EXPECT_EQ(gui.Input().heldButton, 2);  // still seen as held right after
}

TEST_F(EventWait, HoverHighlightsAndLeavingRestores) {
  ThreeButtons(gui);
  int face = gui.canvas.PixelAt(105, 105);
  steps.push_back([&] { PushMove(150, 115); });
  gui.WaitEvent(true);
  EXPECT_EQ(C(101).state, kStateHover);
  EXPECT_NE(gui.canvas.PixelAt(105, 105), face);
  steps.push_back([&] { PushMove(600, 400); });
  gui.WaitEvent(true);
  EXPECT_EQ(C(101).state, kStateNormal);
  EXPECT_EQ(gui.canvas.PixelAt(105, 105), face);
  EXPECT_EQ(gui.overId, 0);
}

TEST_F(EventWait, AcceleratorsInTableOrderAndTabsMuteUnderPopup) {
  ThreeButtons(gui);
  steps.push_back([&] { PushKey(SDLK_f, KMOD_NONE, "f"); });  // "Find" and "Fold": the first
  EXPECT_EQ(WaitChosen(gui, ranOut), 101);
  steps.push_back([&] { PushKey(SDLK_x, KMOD_LSHIFT, "X"); });  // 103: accelerator 100 + 2 ("x")
  EXPECT_EQ(WaitChosen(gui, ranOut), 103);

  int n = 0;
  gui.AddControl(n, {.id = 5, .kind = kKindTab, .x1 = 10, .y1 = 5, .x2 = 100, .y2 = 43, .foreground = kWhite,
                     .background = kButtonFace, .font = kFontTab, .accelerator = 1, .caption = "Grocery"});
  gui.AddControl(n, {.id = kIdEnd});
  ctx.screen = 3;
  ctx.popupUp = true;
  steps.push_back([&] { PushKey(SDLK_g, KMOD_NONE, "g"); });
  EXPECT_EQ(gui.WaitEvent(true) | gui.WaitEvent(true) | gui.WaitEvent(true), 0);
  EXPECT_EQ(ctx.screen, 3);
  ctx.popupUp = false;
  steps.push_back([&] { PushKey(SDLK_g, KMOD_NONE, "g"); });
  EXPECT_EQ(WaitChosen(gui, ranOut), 5);
  EXPECT_EQ(ctx.screen, 5);  // tab ids switch screens

  ctx.SetBusy(true);  // but not while busy
  ctx.screen = 3;
  steps.push_back([&] { PushKey(SDLK_g, KMOD_NONE, "g"); });
  EXPECT_EQ(WaitChosen(gui, ranOut), 5);
  EXPECT_EQ(ctx.screen, 3);
}

TEST_F(EventWait, ControlsBeyondThe99thAreDrawnButNeverChosen) {
  int n = 0;
  for (int i = 0; i < 99; ++i) gui.AddControl(n, {.id = kIdDecoration, .kind = kKindFill, .x1 = 0, .y1 = 0, .x2 = 1,
                                                  .y2 = 1});
  gui.AddControl(n, {.id = 777, .kind = kKindButton, .x1 = 100, .y1 = 100, .x2 = 200, .y2 = 130, .foreground = kBlack,
                     .background = Rgb(0, 200, 0), .font = kFontButton, .accelerator = 1, .caption = "Zoom"});
  gui.AddControl(n, {.id = kIdEnd});
  gui.DrawAllControls();
  EXPECT_EQ(gui.canvas.PixelAt(105, 105), int(Rgb(0, 200, 0)));
  steps.push_back([&] { PushKey(SDLK_z, KMOD_NONE, "z"); PushClick(150, 115); });
  int chosen = 0;
  for (int i = 0; i < 6; ++i) chosen |= gui.WaitEvent(true);
  EXPECT_EQ(chosen, 0);
  EXPECT_EQ(gui.overIndex, -1);
}

TEST_F(EventWait, HeldControlRepeatsOnTimer400) {
  ThreeButtons(gui);
  steps.push_back([&] { PushMove(150, 115); PushButton(true, 150, 115); });
  int repeats = 0;
  for (int i = 0; i < 40 && repeats < 3; ++i) {
    gui.WaitEvent(true);
    if (gui.Input().timer && gui.Input().lastTimer == platform::kTimerRepeat && gui.pressedId == 101) ++repeats;
  }
  EXPECT_EQ(repeats, 3);
  steps.push_back([&] { PushButton(false, 150, 115); });
  EXPECT_EQ(WaitChosen(gui, ranOut), 101);
  SettleRelease();
  gui.WaitEvent(true);  // the next message stops the repeat
  EXPECT_FALSE(gui.window.TimerRunning(platform::kTimerRepeat));
}

TEST_F(EventWait, RedrawRequestReturnsAtOnce) {
  gui.window.redraw = true;
  EXPECT_EQ(gui.WaitEvent(true), 0);  // no message needed
  gui.window.redraw = false;
}

TEST_F(EventWait, RecentredRectangle) {
  struct Case {
    platform::WindowRect in;
    WorkArea work;
    platform::WindowRect out;
  } cases[] = {
      {{5, 5, 400, 300}, {0, 0, 1920, 1080}, {565, 265, 790, 550}},
      {{-50, -20, 1000, 700}, {0, 0, 1920, 1080}, {460, 190, 1000, 700}},
      {{0, 0, 2000, 1200}, {0, 0, 1920, 1080}, {0, 0, 2000, 1200}},   // larger than the work area: at 0,0
      {{0, 0, 800, 600}, {100, 50, 1100, 750}, {200, 100, 800, 600}},
      {{0, 0, 800, 600}, {0, 0, 1000, 560}, {100, 0, 800, 600}},     // top limited to bottom - 550, then 0
  };
  for (const auto& c : cases) {
    platform::WindowRect r = platform::RecentredRect(c.in, c.work);
    EXPECT_EQ(r.x, c.out.x);
    EXPECT_EQ(r.y, c.out.y);
    EXPECT_EQ(r.w, c.out.w);
    EXPECT_EQ(r.h, c.out.h);
  }
}

TEST_F(EventWait, RightClickOnTopBarRecentresAndSavesSettings) {
  int n = 0;
  gui.AddControl(n, {.id = kIdTopBar, .kind = kKindFill, .x1 = 0, .y1 = 0, .x2 = gui.Width(), .y2 = 44,
                     .background = kTopBarColour});
  gui.AddControl(n, {.id = kIdEnd});
  gui.window.MoveTo(3, 4);
  steps.push_back([&] { PushClick(300, 20, SDL_BUTTON_RIGHT); });
  EXPECT_EQ(WaitChosen(gui, ranOut), kIdTopBar);
  WorkArea work = gui.window.DisplayWorkArea();
  platform::WindowRect want = platform::RecentredRect(platform::WindowRect{0, 0, 1000, 700}, work);
  platform::WindowRect now = gui.window.OuterRect();
  EXPECT_EQ(now.x, want.x);
  EXPECT_EQ(now.y, want.y);
  EXPECT_EQ(ctx.settings.window_x, want.x);
  EXPECT_EQ(ctx.settings.window_wide, 1000);
  EXPECT_TRUE(gui.window.redraw);
  Settings back;
  ReadSettings(back, ctx.files.settings, WorkArea{0, 0, 4000, 4000});
  EXPECT_EQ(back.window_x, want.x);
  EXPECT_EQ(back.window_y, want.y);
}

TEST_F(EventWait, SaveAndRestoreControls) {
  ThreeButtons(gui);
  gui.SaveControls();
  int n = 0;
  gui.AddControl(n, {.id = 9, .kind = kKindFill, .x1 = 0, .y1 = 0, .x2 = 5, .y2 = 5});
  gui.AddControl(n, {.id = kIdEnd});
  EXPECT_EQ(gui.Find(101), -1);
  gui.RestoreControls();
  EXPECT_EQ(gui.Find(103), 2);
  EXPECT_EQ(gui.Find(9), -1);
}

}  // namespace
}  // namespace pantrela::widgets::testing
