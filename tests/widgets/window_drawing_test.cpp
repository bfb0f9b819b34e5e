#include "harness.h"

namespace pantrela::widgets::testing {
namespace {

using WindowInput = GuiTest;

TEST_F(WindowInput, ClickStaysHeldFor50MsAfterRelease) {
  PushMove(50, 60);
  PushButton(true, 50, 60);
  PushButton(false, 50, 60);
  while (gui.window.Pump(false)) {
  }
  EXPECT_EQ(gui.Input().heldButton, 1);
  EXPECT_EQ(gui.Input().mouseX, 50);
  EXPECT_TRUE(gui.window.TimerRunning(platform::kTimerButtonRelease));
  Uint32 start = SDL_GetTicks();
  while (gui.Input().heldButton && SDL_GetTicks() - start < 1000) gui.window.PumpTimeout(100);
  Uint32 took = SDL_GetTicks() - start;
  EXPECT_EQ(gui.Input().heldButton, 0);
  EXPECT_GE(took, 40u);
  EXPECT_EQ(gui.Input().lastTimer, platform::kTimerButtonRelease);
  EXPECT_FALSE(gui.window.TimerRunning(platform::kTimerButtonRelease));  // it stops itself
}

TEST_F(WindowInput, WheelStepsAreLinesOrOneWithCtrl) {
  auto wheel = [&] { return PumpUntil([&] { return gui.Input().wheelSteps != 0; }) ? gui.Input().wheelSteps : 0; };
  PushWheel(1);
  EXPECT_EQ(wheel(), 3);
  SDL_SetModState(KMOD_LCTRL);
  PushWheel(-1);
  EXPECT_EQ(wheel(), -1);
  SDL_SetModState(KMOD_NONE);
  PushMove(3, 3);
  PumpUntil([&] { return gui.Input().moved; });  // any other message resets the steps
  EXPECT_EQ(gui.Input().wheelSteps, 0);
}

TEST_F(WindowInput, KeysGiveCharacterAndVirtualCodes) {
  struct Case {
    SDL_Keycode sym;
    Uint16 mod;
    const char* text;
    int charKey;
    int vk;
  } cases[] = {
      {SDLK_RETURN, 0, nullptr, 13, platform::kVkReturn}, {SDLK_ESCAPE, 0, nullptr, 27, platform::kVkEscape},
      {SDLK_a, KMOD_LCTRL, nullptr, 1, 'A'},              {SDLK_F3, 0, nullptr, 0, platform::kVkF3},
      {SDLK_PAGEDOWN, 0, nullptr, 0, platform::kVkNext},  {SDLK_LSHIFT, KMOD_LSHIFT, nullptr, 0, 0},
      {SDLK_e, 0, "\xC3\xA9", 0xE9, 'E'},
  };
  for (const auto& c : cases) {
    PushKey(c.sym, c.mod, c.text);
    ASSERT_TRUE(PumpUntil([&] { return gui.Input().keyDown; }));
    EXPECT_EQ(gui.Input().virtualKey, c.vk) << c.sym;
    if (c.text) PumpUntil([&] { return gui.Input().charKey != 0; });
    EXPECT_EQ(gui.Input().charKey, c.charKey) << c.sym;
    ASSERT_TRUE(PumpUntil([&] { return gui.Input().keyUp; }));  // key up clears both
    EXPECT_EQ(gui.Input().virtualKey, 0);
    EXPECT_EQ(gui.Input().charKey, 0);
  }
  SDL_SetModState(KMOD_NONE);
}

TEST_F(WindowInput, PostedTimerMessageWakesAndKilledTimersAreSilent) {
  gui.window.PostTimerMessage(1234);
  ASSERT_TRUE(PumpUntil([&] { return gui.Input().timer; }));
  EXPECT_EQ(gui.Input().lastTimer, 1234);
  gui.window.SetTimer(55, 10);
  ASSERT_TRUE(PumpUntil([&] { return gui.Input().timer && gui.Input().lastTimer == 55; }));
  gui.window.KillTimer(55);
  SDL_Delay(40);
  // Messages of the killed timer still queued are dropped.
  EXPECT_FALSE(PumpUntil([&] { return gui.Input().timer && gui.Input().lastTimer == 55; }));
}

TEST_F(WindowInput, CloseSetsTheQuitFlagAndStopsThePump) {
  SDL_Event e{};
  e.type = SDL_QUIT;
  SDL_PushEvent(&e);
  gui.window.Pump(true);
  EXPECT_TRUE(ctx.Quitting());
  PushKey(SDLK_a);
  EXPECT_FALSE(gui.window.Pump(false));
}

TEST_F(WindowInput, WindowIsTitledAndLimitedInSize) {
  EXPECT_STREQ(SDL_GetWindowTitle(gui.window.Handle()), "Pantrela");
  int w = 0, h = 0;
  SDL_GetWindowMinimumSize(gui.window.Handle(), &w, &h);
  EXPECT_EQ(w, 790);
  EXPECT_EQ(h, 550);
  EXPECT_EQ(gui.Width(), 1000);
  EXPECT_EQ(gui.Height(), 700);
  // Placed where the settings say.
  platform::WindowRect r = gui.window.OuterRect();
  EXPECT_EQ(r.x, 10);
  EXPECT_EQ(r.y, 10);
  EXPECT_EQ(r.w, 1000);
  EXPECT_EQ(r.h, 700);
  // While busy a size change is refused: buffer and placement stay.
  ctx.SetBusy(true);
  EXPECT_TRUE(gui.window.Busy());
  SDL_SetWindowSize(gui.window.Handle(), 900, 600);
  for (int i = 0; i < 5; ++i) gui.window.PumpTimeout(20);
  EXPECT_EQ(gui.Width(), 1000);
  EXPECT_EQ(ctx.settings.window_wide, 1000);
  EXPECT_FALSE(gui.window.redraw);
  // When the mark ends, the size the window got meanwhile is laid out.
  ctx.SetBusy(false);
  EXPECT_FALSE(gui.window.Busy());
  EXPECT_EQ(gui.Width(), 900);
  EXPECT_EQ(gui.Height(), 600);
  EXPECT_TRUE(gui.window.redraw);
  EXPECT_EQ(ctx.settings.window_wide, 900);
}

TEST_F(WindowInput, TooSmallSettingsOpenAtTheMinimum) {
  AppContext small;
  small.settings.window_wide = 300;
  small.settings.window_high = 200;
  Gui g(small);
  ASSERT_TRUE(g.Open());
  EXPECT_EQ(g.window.OuterRect().w, 790);
  EXPECT_EQ(g.window.OuterRect().h, 550);
  EXPECT_EQ(g.Width(), 790);
}

TEST_F(WindowInput, SizeChangeResizesTheBufferAndRecordsPlacement) {
  int laidOut = 0;
  gui.onLayout = [&](int, int) { ++laidOut; };
  SDL_SetWindowSize(gui.window.Handle(), 1100, 750);
  for (int i = 0; i < 10; ++i) gui.window.PumpTimeout(20);
  EXPECT_EQ(gui.Width(), 1100);
  EXPECT_EQ(gui.Height(), 750);
  EXPECT_GE(laidOut, 1);
  EXPECT_TRUE(gui.window.redraw);
  EXPECT_EQ(ctx.settings.window_wide, 1100);
  EXPECT_EQ(ctx.settings.window_state, 1);
}

using Drawing = GuiTest;

TEST_F(Drawing, FontsFallBackAndMeasure) {
  Settings s;
  s.screen_font = "No Such Face At All";
  s.screen_font_size = 0;
  FontSet f;
  f.Rebuild(s);
  EXPECT_EQ(f[kFontScreen].face, "Arial");
  EXPECT_EQ(f[kFontScreen].height, 20);
  EXPECT_EQ(f[kFontScreenLarge].height, 28);
  EXPECT_EQ(f[kFontScreenLarge].weight, 700);
  EXPECT_EQ(f.fieldHeight, 23);
  s.screen_font_size = 30;
  f.Rebuild(s);
  EXPECT_EQ(f.fieldHeight, 35);  // 1.15 x 30 rounded
  EXPECT_EQ(f.rowHeight, 23);

  platform::Canvas& cv = gui.canvas;
  cv.DrawText(10, 10, platform::kTextMeasure, 0, gui.fonts[kFontList], "");
  EXPECT_EQ(cv.LastTextWidth(), 0);
  cv.DrawText(10, 10, platform::kTextMeasure, 0, gui.fonts[kFontList], "Recipe");
  int w = cv.LastTextWidth();
  EXPECT_GT(w, 30);
  EXPECT_NEAR(cv.LastTextHeight(), 20, 3);
  EXPECT_GT(cv.TextWidth(gui.fonts[kFontMessage], "Recipe"), w - 1);  // bold is not narrower
}

TEST_F(Drawing, TextModesPlaceTheText) {
  platform::Canvas& cv = gui.canvas;
  auto inkSpan = [&](int y1, int y2) {
    int lo = 10000, hi = -1;
    for (int x = 0; x < 600; ++x)
      for (int y = y1; y < y2; ++y)
        if (cv.PixelAt(x, y) == 0) { lo = std::min(lo, x); hi = std::max(hi, x); }
    return std::make_pair(lo, hi);
  };
  cv.FillRect(0, 0, 600, 200, kWhite);
  const FontDesc& f = gui.fonts[kFontList];
  cv.DrawText(300, 10, platform::kTextLeft, kBlack, f, "HHHH");
  cv.DrawText(300, 60, platform::kTextRight, kBlack, f, "HHHH");
  cv.DrawText(300, 110, platform::kTextCentre, kBlack, f, "HHHH");
  cv.DrawText(300, 160, platform::kTextMeasure, kBlack, f, "HHHH");
  auto left = inkSpan(10, 40), right = inkSpan(60, 90), centre = inkSpan(110, 140), none = inkSpan(160, 190);
  EXPECT_NEAR(left.first, 300, 3);
  EXPECT_NEAR(right.second, 300, 3);
  EXPECT_NEAR((centre.first + centre.second) / 2, 300, 3);
  EXPECT_EQ(none.second, -1);
}

TEST_F(Drawing, RectanglesClipBitmapsAndSnapshots) {
  platform::Canvas& cv = gui.canvas;
  cv.FillRect(0, 0, 400, 400, kWhite);
  cv.FramedFill(10, 10, 50, 50, Rgb(1, 2, 3), Rgb(200, 0, 0));
  EXPECT_EQ(cv.PixelAt(10, 10), int(Rgb(200, 0, 0)));
  EXPECT_EQ(cv.PixelAt(49, 49), int(Rgb(200, 0, 0)));
  EXPECT_EQ(cv.PixelAt(50, 50), int(kWhite));  // right and bottom edges excluded
  EXPECT_EQ(cv.PixelAt(11, 11), int(Rgb(1, 2, 3)));
  cv.FrameRect(100, 100, 140, 140, kBlack, 3);
  EXPECT_EQ(cv.PixelAt(102, 120), int(kBlack));
  EXPECT_EQ(cv.PixelAt(103, 120), int(kWhite));

  cv.SetClip(200, 200, 210, 210);
  cv.FillRect(190, 190, 230, 230, kNavy);
  cv.ClearClip();
  EXPECT_EQ(cv.PixelAt(205, 205), int(kNavy));
  EXPECT_EQ(cv.PixelAt(215, 205), int(kWhite));

  cv.FillRect(300, 300, 340, 340, Rgb(0, 255, 0));
  cv.Snapshot();
  EXPECT_TRUE(cv.DrawBitmap("ARROW_UP", 300, 300, int(kWhite)));
  EXPECT_EQ(cv.PixelAt(300, 300), int(Rgb(0, 255, 0)));  // key colour left transparent
  EXPECT_EQ(cv.PixelAt(308, 8 + 300), int(kBlack));      // the arrow itself
  EXPECT_FALSE(cv.DrawBitmap("NO_SUCH_BITMAP", 0, 0));
  for (const char* name : {"CHECKED_BOX", "ARROW_DOWN", "ARROW_LEFT", "ARROW_RIGHT", "BIG_LEFT", "BIG_RIGHT",
                           "BIG_DOWN", "MEDIUM_X", "GINGERBREAD_48", "TITLE_LARGE"})
    EXPECT_TRUE(cv.DrawBitmap(name, 0, 0)) << name;
  cv.PutSnapshot(300, 300, 340, 340);
  EXPECT_EQ(cv.PixelAt(308, 308), int(Rgb(0, 255, 0)));
}

TEST_F(Drawing, PicturesScaleAndBlend) {
  platform::Image img;
  img.width = 2;
  img.height = 2;
  img.rgba = {255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255};
  platform::Picture p = platform::PictureFromImage(img);
  ASSERT_FALSE(p.empty());
  platform::Canvas& cv = gui.canvas;
  cv.FillRect(0, 0, 300, 300, kWhite);
  cv.DrawPictureScaled(p, 10, 10, 100, 50);
  EXPECT_EQ(cv.PixelAt(60, 35), int(Rgb(255, 0, 0)));
  EXPECT_EQ(cv.PixelAt(110, 35), int(kWhite));
  cv.BlendPicture(p, 200, 200, 20, 20, 0.5);
  int c = cv.PixelAt(210, 210);
  EXPECT_EQ(c & 0xFF, 255);
  EXPECT_NEAR((c >> 8) & 0xFF, 128, 2);
}

TEST_F(Drawing, PainterDrawsGenericKinds) {
  int n = 0;
  gui.AddControl(n, {.id = 0, .kind = kKindBox, .x1 = 10, .y1 = 10, .x2 = 100, .y2 = 100});
  int cb = gui.AddControl(n, {.id = 9, .kind = kKindCheckBox, .x1 = 200, .y1 = 200, .x2 = 220, .y2 = 220});
  gui.AddControl(n, {.id = 0, .kind = kKindFilled, .x1 = 300, .y1 = 10, .x2 = 320, .y2 = 30,
                     .foreground = Rgb(9, 9, 9)});
  gui.AddControl(n, {.id = 10, .kind = kKindButton, .x1 = 400, .y1 = 10, .x2 = 440, .y2 = 40, .foreground = kBlack,
                     .background = kButtonFace, .caption = "ARROW_LEFT"});
  gui.AddControl(n, {.id = kIdEnd});
  gui.table[size_t(cb)].value = 1;
  int custom = 0;
  gui.SetKindPainter(250, [&](Gui&, int) { ++custom; });
  gui.AddControl(n = 4, {.id = 11, .kind = 250, .x1 = 0, .y1 = 0, .x2 = 5, .y2 = 5});
  gui.AddControl(n, {.id = kIdEnd});
  gui.DrawAllControls();
  EXPECT_EQ(gui.canvas.PixelAt(50, 50), int(kBoxFill));
  EXPECT_EQ(gui.canvas.PixelAt(10, 50), int(kBlack));
  EXPECT_EQ(gui.canvas.PixelAt(310, 20), int(Rgb(9, 9, 9)));
  EXPECT_EQ(gui.canvas.PixelAt(401, 12), int(kButtonFace));
  int checkInk = 0;
  for (int x = 201; x < 219; ++x)
    for (int y = 201; y < 219; ++y) checkInk += gui.canvas.PixelAt(x, y) != int(kWhite);
  EXPECT_GT(checkInk, 10);
  EXPECT_EQ(custom, 1);
}

TEST_F(Drawing, Windows1252BecomesUtf8AndBack) {
  EXPECT_EQ(platform::Utf8FromAnsi("\x80 \xE9\x93"), "\xE2\x82\xAC \xC3\xA9\xE2\x80\x9C");
  EXPECT_EQ(platform::AnsiFromUtf8("\xE2\x82\xAC \xC3\xA9\xE2\x80\x9C"), "\x80 \xE9\x93");
  EXPECT_EQ(platform::AnsiFromUtf8("\xE4\xB8\xAD"), "?");
  EXPECT_EQ(platform::AnsiFromUtf8("\xC3"), "?");
}

}  // namespace
}  // namespace pantrela::widgets::testing
