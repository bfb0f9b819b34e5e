#include "harness.h"
#include <optional>

#include "foundation/progress.h"

namespace pantrela::widgets::testing {
namespace {

using Dialogs = GuiTest;

TEST_F(Dialogs, OkAloneIsOneButtonOf80PxAndEnterGivesTheDefault) {
  steps.push_back([&] {
    EXPECT_EQ(gui.Find(kIdButtonBase + 1), -1);
    EXPECT_EQ(C(kIdButtonBase).x2 - C(kIdButtonBase).x1, 80);
    EXPECT_EQ(C(kIdButtonBase).y2 - C(kIdButtonBase).y1, 28);
    EXPECT_TRUE(ctx.popupUp);
    PushKey(SDLK_RETURN);
  });
  EXPECT_EQ(dialogs.Message("Saved."), 1);
  EXPECT_FALSE(ranOut);
  EXPECT_FALSE(ctx.popupUp);
}

TEST_F(Dialogs, MessageGeometryFollowsLinesAndButtons) {
  // "||" is an empty middle line: three lines of 24 px.
  steps.push_back([&] {
    int lines = 0;
    const Control* box = nullptr;
    for (const auto& c : gui.table) {
      if (c.kind == kKindText) ++lines;
      if (c.kind == kKindBox) box = &c;
    }
    EXPECT_EQ(lines, 3);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->y2 - box->y1, 24 * 3 + 28 + 55);
    // The box is centred; its fill colour is in the back buffer.
    EXPECT_EQ(box->x1, gui.Width() / 2 - (box->x2 - box->x1) / 2);
    EXPECT_EQ(gui.canvas.PixelAt(box->x1 + 3, box->y1 + 3), int(kBoxFill));
    EXPECT_EQ(gui.canvas.PixelAt(box->x1, box->y1 + 3), int(kBlack));
    PushKey(SDLK_RETURN);
  });
  EXPECT_EQ(dialogs.Message("First||Third", "Yes|No", 2), 2);

  // The last caption is measured whole, even when longer than the message.
  const std::string last = "Keep the Original and Continue";
  steps.push_back([&] {
    int bw = gui.canvas.TextWidth(gui.fonts[kFontButton], last) + 20;
    EXPECT_EQ(C(kIdButtonBase + 1).x2 - C(kIdButtonBase + 1).x1, bw);
    EXPECT_EQ(C(kIdButtonBase).x2 - C(kIdButtonBase).x1, bw);
    PushClick(CX(kIdButtonBase + 1), CY(kIdButtonBase + 1));
  });
  EXPECT_EQ(dialogs.Message("Hi", "OK|" + last), 2);
  EXPECT_FALSE(ranOut);
}

TEST_F(Dialogs, EscDoesNotCloseAMessageAndAcceleratorsChooseButtons) {
  bool stillUp = false;
  steps.push_back([&] { PushKey(SDLK_ESCAPE); });
  steps.push_back([&] {
    stillUp = ctx.popupUp;
    PushKey(SDLK_c, KMOD_NONE, "c");  // first letter of "Cancel"
  });
  EXPECT_EQ(dialogs.Message("Delete?", "OK|Cancel"), 2);
  EXPECT_TRUE(stillUp);
  EXPECT_FALSE(ranOut);
}

TEST_F(Dialogs, ScreenAndTableComeBackAfterADialog) {
  int n = 0;
  gui.AddControl(n, {.id = 42, .kind = kKindButton, .x1 = 100, .y1 = 100, .x2 = 200, .y2 = 130, .foreground = kBlack,
                     .background = Rgb(10, 200, 10), .font = kFontButton, .accelerator = 1, .caption = "Go"});
  gui.AddControl(n, {.id = kIdEnd});
  gui.DrawAllControls();
  int before = gui.canvas.PixelAt(gui.Width() / 2, gui.Height() / 2);
  steps.push_back([&] {
    EXPECT_EQ(gui.Find(42), -1);
    EXPECT_NE(gui.canvas.PixelAt(gui.Width() / 2, gui.Height() / 2), before);
    PushKey(SDLK_RETURN);
  });
  dialogs.Message("Covering the middle of the screen with a long line of text");
  EXPECT_EQ(gui.canvas.PixelAt(gui.Width() / 2, gui.Height() / 2), before);
  EXPECT_EQ(gui.Find(42), 0);
  EXPECT_EQ(gui.canvas.PixelAt(110, 105), int(Rgb(10, 200, 10)));
}

TEST_F(Dialogs, FormKeysMoveFocusEditAndEnd) {
  std::vector<FormField> fields;
  steps.push_back([&] {
    EXPECT_EQ(gui.Find(kIdButtonBase), gui.Find(kIdButtonBase));
    EXPECT_EQ(C(kIdButtonBase).accelerator, 0);  // no accelerators on a form
    PushText("ab");
    PushKey(SDLK_TAB);
    PushText("cd");
    PushKey(SDLK_ESCAPE);  // empties the focused field only
  });
  steps.push_back([&] {
    EXPECT_TRUE(ctx.popupUp);
    EXPECT_EQ(C(kIdFieldBase).caption, "ab");
    EXPECT_EQ(C(kIdFieldBase + 1).caption, "");
    PushText("o");  // "o" is no accelerator here: it goes to the field
    PushKey(SDLK_DOWN);
    PushText("xyz");
    PushKey(SDLK_TAB);  // the last field keeps the focus
    PushText("!");
    PushKey(SDLK_UP, KMOD_NONE);
  });
  steps.push_back([&] {
    EXPECT_EQ(C(kIdFieldBase + 2).caption, "xyz!");
    PushText("2");  // field 1 has the focus again
    PushKey(SDLK_TAB, KMOD_LSHIFT);
  });
  steps.push_back([&] {
    EXPECT_EQ(C(kIdFieldBase + 1).caption, "o2");
    PushKey(SDLK_RETURN);
    PushKey(SDLK_RETURN);
    PushKey(SDLK_RETURN);  // Enter in the last field: the default button
  });
  int r = dialogs.Form("Grocery item", "Item|Store|Price", 1, "OK|Cancel", 10, fields);
  EXPECT_EQ(r, 1);
  ASSERT_EQ(fields.size(), 3u);
  EXPECT_EQ(fields[0].text, "ab");
  EXPECT_EQ(fields[1].text, "o2");
  EXPECT_EQ(fields[2].text, "xyz!");
  EXPECT_EQ(dialogs.fieldRecord[3].index, -1);
  EXPECT_FALSE(ranOut);
}

TEST_F(Dialogs, CancelledFormStillLeavesTextsAndEndMark) {
  dialogs.fieldRecord[2].index = 7;
  int result = 0;
  steps.push_back([&] {
    PushText("kept");
    PushClick(CX(kIdButtonBase + 1), CY(kIdButtonBase + 1));
  });
  dialogs.Popup("User", "User|Password", 1, "OK|Cancel", 20, result);
  EXPECT_EQ(result, 2);
  EXPECT_EQ(dialogs.fieldRecord[0].text, "kept");
  EXPECT_EQ(dialogs.fieldRecord[0].index, 0);
  EXPECT_EQ(dialogs.fieldRecord[1].index, 1);
  EXPECT_EQ(dialogs.fieldRecord[2].index, -1);
}

TEST_F(Dialogs, PrefilledFormShowsTextsWithOwnMaximums) {
  std::vector<FormField> fields(2);
  fields[0].text = "Chicken";
  fields[0].maxChars = 8;
  fields[1].text = "Market";
  fields[1].textColour = Rgb(200, 0, 0);
  steps.push_back([&] {
    EXPECT_EQ(C(kIdFieldBase).caption, "Chicken");
    EXPECT_EQ(C(kIdFieldBase).maxLength, 8);
    EXPECT_EQ(C(kIdFieldBase + 1).maxLength, 20);
    EXPECT_EQ(C(kIdFieldBase + 1).foreground, Rgb(200, 0, 0));
    // Field width: 21 letters X in the screen font.
    EXPECT_EQ(C(kIdFieldBase).x2 - C(kIdFieldBase).x1,
              gui.canvas.TextWidth(gui.fonts[kFontScreen], std::string(21, 'X')));
    EXPECT_EQ(C(kIdFieldBase).y2 - C(kIdFieldBase).y1, gui.fonts.fieldHeight);
    PushText("sss");  // one fits in field 0 (8 characters)
    PushKey(SDLK_TAB);
    PushText(" Hall");
    PushKey(SDLK_RETURN);
  });
  EXPECT_EQ(dialogs.Form("Item", "Item|Store", 1, "OK|Cancel", 120, fields), 1);
  ASSERT_EQ(fields.size(), 2u);
  EXPECT_EQ(fields[0].text, "Chickens");
  EXPECT_EQ(fields[1].text, "Market Hall");
}

TEST_F(Dialogs, ChooseFromListMovesSelectionAndEndsOnlyByMouse) {
  int selected = 9;  // limited to the last choice
  steps.push_back([&] {
    EXPECT_EQ(C(kIdButtonBase).accelerator, 0);
    PushKey(SDLK_UP);
    PushKey(SDLK_RETURN);  // does nothing here
    PushKey(SDLK_o, KMOD_NONE, "o");
  });
  steps.push_back([&] {
    EXPECT_TRUE(ctx.popupUp);
    const Control& list = C(kIdChoiceList);
    EXPECT_EQ(list.y2 - list.y1, 23 * 3);
    // Row 1 is highlighted navy.
    EXPECT_EQ(gui.canvas.PixelAt(list.x2 - 5, list.y1 + 23 + 12), int(kNavy));
    PushClick(list.x1 + 30, list.y1 + 5);  // row 0
    PushClick(CX(kIdButtonBase), CY(kIdButtonBase));
  });
  int button = dialogs.ChooseFromList("Pick a layout", {"Card", "Page", "Other"}, "OK|Cancel", selected);
  EXPECT_EQ(button, 1);
  EXPECT_EQ(selected, 0);
  EXPECT_FALSE(ranOut);
}

TEST_F(Dialogs, PopupListKeysHeadingsAndCancel) {
  std::vector<std::string> entries = {"|Printers", "Laser", "Inkjet", "|Files", "Save as PDF", "lower"};
  steps.push_back([&] {
    const Control& list = C(kIdDropList);
    EXPECT_EQ(list.x1, 99);
    EXPECT_EQ(list.y1, 64);  // never above the tab bar
    EXPECT_EQ(gui.Find(kIdScrollUp), -1);
    // The heading shows the word in bold without the bar: measure its ink.
    PushKey(SDLK_i, KMOD_NONE, "i");
    PushKey(SDLK_DOWN);
    PushKey(SDLK_RETURN);
  });
  EXPECT_EQ(dialogs.PopupList(100, 30, 200, entries), 3);
  steps.push_back([&] { PushKey(SDLK_l, KMOD_NONE, "l"); PushKey(SDLK_SPACE, KMOD_NONE, " "); });
  EXPECT_EQ(dialogs.PopupList(100, 100, 200, entries), -1);
  steps.push_back([&] { PushKey(SDLK_l, KMOD_NONE, "l"); PushKey(SDLK_RETURN); });
  EXPECT_EQ(dialogs.PopupList(100, 100, 200, entries), 1);
  steps.push_back([&] {
    const Control& list = C(kIdDropList);
    PushClick(list.x1 + 20, list.y1 + 1 + 23 * 4 + 10);
  });
  EXPECT_EQ(dialogs.PopupList(100, 100, 200, entries), 4);
  // Accented letters are found in either case, as accelerators are.
  const std::vector<std::string> accented = {"Apple", "\xC9" "clair", "\xE9pices"};
  steps.push_back([&] { PushMove(5, 600); PushKey(SDLK_e, KMOD_NONE, "\xC3\xA9"); PushKey(SDLK_RETURN); });
  EXPECT_EQ(dialogs.PopupList(100, 100, 200, accented), 1);
  steps.push_back([&] { PushMove(5, 600); PushKey(SDLK_e, KMOD_NONE, "\xC3\x89"); PushKey(SDLK_RETURN); });
  EXPECT_EQ(dialogs.PopupList(100, 100, 200, accented), 1);
  EXPECT_FALSE(ranOut);
}

TEST_F(Dialogs, PopupListHeadingIsDrawnWithoutTheBar) {
  int plain = 0, heading = 0;
  steps.push_back([&] {
    const Control& list = C(kIdDropList);
    // Compare the heading row with a row holding the same word unbolded.
    auto ink = [&](int row) {
      int dark = 0, first = -1;
      for (int x = list.x1 + 2; x < list.x2 - 2; ++x)
        for (int y = list.y1 + 2 + 23 * row; y < list.y1 + 23 * (row + 1); ++y)
          if (gui.canvas.PixelAt(x, y) == 0) {
            ++dark;
            if (first < 0) first = x;
          }
      return std::make_pair(dark, first);
    };
    auto h = ink(0), p = ink(1);
    heading = h.first;
    plain = p.first;
    EXPECT_EQ(h.second, p.second);  // same left edge: no "|" drawn
    PushKey(SDLK_ESCAPE);
  });
  dialogs.PopupList(100, 100, 200, {"|Fonts", "Fonts"});
  EXPECT_GT(heading, plain);  // bold
}

TEST_F(Dialogs, PopupListScrollsLongLists) {
  std::vector<std::string> entries;
  for (int i = 0; i < 40; ++i) entries.push_back("Entry " + std::to_string(i));
  steps.push_back([&] {
    EXPECT_NE(gui.Find(kIdScrollThumb), -1);
    PushKey(SDLK_END);
    PushKey(SDLK_RETURN);
  });
  EXPECT_EQ(dialogs.PopupList(100, gui.Height() - 200, 200, entries), 39);

  // Holding the down arrow scrolls; a click then chooses from the rows shown.
  int thumbBefore = 0, thumbAfter = 0;
  steps.push_back([&] {
    thumbBefore = C(kIdScrollThumb).y1;
    PushMove(CX(kIdScrollDown), CY(kIdScrollDown));
    PushButton(true, CX(kIdScrollDown), CY(kIdScrollDown));
  });
  steps.push_back([&] {
    SDL_Delay(200);  // repeats run meanwhile
  });
  steps.push_back([&] {
    PushButton(false, CX(kIdScrollDown), CY(kIdScrollDown));
  });
  steps.push_back([&] {
    thumbAfter = C(kIdScrollThumb).y1;
    const Control& list = C(kIdDropList);
    PushClick(list.x1 + 20, list.y1 + 1 + 5);  // the first row shown
  });
  int chosen = dialogs.PopupList(100, gui.Height() - 200, 200, entries);
  EXPECT_GT(thumbAfter, thumbBefore);
  EXPECT_GT(chosen, 0);
  EXPECT_LT(chosen, 40);
  EXPECT_FALSE(ranOut);
}

TEST_F(Dialogs, ProgressWindowPercentRedrawsAndKeyStop) {
  std::optional<ProgressScope> progress(std::in_place, dialogs);
  EXPECT_TRUE(ctx.popupUp);
  int paints = dialogs.progressPaints;
  progress->Update("Importing", "file one", 5, 0);  // 5 / 1: capped at 100
  EXPECT_EQ(dialogs.progressPaints, paints + 1);
  const Control* fill = nullptr;
  for (const auto& c : gui.table)
    if (c.kind == kKindFilled && c.foreground == kNavy) fill = &c;
  ASSERT_NE(fill, nullptr);
  EXPECT_EQ(fill->x2 - fill->x1, 300);
  EXPECT_EQ(gui.canvas.PixelAt(fill->x1 + 299, fill->y1 + 10), int(kNavy));

  // Painted when what it shows changes, not at every step.
  progress->Update("Importing", "a", 10, 100);
  paints = dialogs.progressPaints;
  progress->Update("Importing", "a", 10.5, 100);  // still 10 %
  EXPECT_EQ(dialogs.progressPaints, paints);
  progress->Update("Importing", "b", 10.5, 100);  // the second line changed
  progress->Update("Importing", "b", 100, 100);
  progress->Update("Importing", "b", 100, 100);
  EXPECT_EQ(dialogs.progressPaints, paints + 2);

  EXPECT_FALSE(progress->Stop());
  PushKey(SDLK_SPACE, KMOD_NONE, " ");
  bool stop = false;
  for (int i = 0; i < 5 && !stop; ++i) stop = progress->Stop();
  EXPECT_TRUE(stop);
  EXPECT_TRUE(progress->Stop());  // and stays stopped
  progress.reset();
  EXPECT_FALSE(ctx.popupUp);
}

TEST_F(Dialogs, QuittingEndsDialogsWithoutAChoice) {
  int result = 5;
  steps.push_back([&] { ctx.quit = 1; SDL_Event e{}; e.type = SDL_USEREVENT; SDL_PushEvent(&e); });
  dialogs.Popup("Question", "", 1, "Yes|No", 0, result);
  EXPECT_EQ(result, 5);
  EXPECT_EQ(dialogs.PopupList(10, 10, 100, {"a"}), -1);
  EXPECT_EQ(dialogs.Message("x"), 0);
}

TEST_F(Dialogs, ResizeDuringADialogRepaintsItAndKeepsTheScreensRedraw) {
  int box = -1;
  steps.push_back([&] {
    SDL_SetWindowSize(gui.window.Handle(), 1100, 760);
  });
  steps.push_back([&] {
    for (const auto& c : gui.table)
      if (c.kind == kKindBox) box = gui.canvas.PixelAt(c.x1 + 3, c.y1 + 3);
    PushKey(SDLK_RETURN);
  });
  EXPECT_EQ(dialogs.Message("Resize me"), 1);
  EXPECT_EQ(box, int(kBoxFill));
  EXPECT_EQ(gui.Width(), 1100);
  EXPECT_TRUE(gui.window.redraw);  // the screen lays itself out afterwards
  EXPECT_FALSE(ranOut);
}

}  // namespace
}  // namespace pantrela::widgets::testing
