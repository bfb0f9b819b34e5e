#include "harness.h"

#include "widgets/text_field.h"

namespace pantrela::widgets::testing {
namespace {

class TextField : public GuiTest {
 protected:
  // One field of `max` characters holding `text`, caret at the end.
  void Field(const std::string& text, int max, int width = 300) {
    int n = 0;
    index = gui.AddControl(n, {.id = 6000, .kind = kKindTextField, .x1 = 100, .y1 = 100, .x2 = 100 + width, .y2 = 123,
                               .foreground = kBlack, .background = kWhite, .font = kFontScreen, .caption = text});
    gui.AddControl(n, {.id = kIdEnd});
    F().maxLength = max;
    F().caret = F().anchor = F().selectionEnd = int(text.size());
  }
  Control& F() { return gui.table[size_t(index)]; }
  // Applies every waiting message to the field.
  void Feed() {
    while (gui.window.Pump(false)) EditTextField(gui, index, flag);
  }
  std::string Selected() {
    int a = std::min(F().anchor, F().selectionEnd), b = std::max(F().anchor, F().selectionEnd);
    return F().caption.substr(size_t(a), size_t(b - a));
  }
  int index = -1;
  int flag = 0;
};

TEST_F(TextField, KeysEditMoveAndSelect) {
  struct Case {
    const char* start;
    std::function<void()> keys;
    const char* text;
    int caret;
    const char* selected;
  } cases[] = {
      {"abcd", [] { PushKey(SDLK_LEFT); PushKey(SDLK_BACKSPACE); }, "abd", 2, ""},
      {"abcd", [] { PushKey(SDLK_HOME); PushKey(SDLK_DELETE); }, "bcd", 0, ""},
      {"abcd", [] { PushKey(SDLK_HOME, KMOD_LSHIFT); }, "abcd", 0, "abcd"},  // Shift+Home from the end: all
      {"abcd", [] { PushKey(SDLK_LEFT, KMOD_LSHIFT); PushKey(SDLK_LEFT, KMOD_LSHIFT); PushKey(SDLK_DELETE); }, "ab", 2, ""},
      {"abcd", [] { PushKey(SDLK_LEFT, KMOD_LSHIFT); PushText("Z"); }, "abcZ", 4, ""},
      {"abcd", [] { PushKey(SDLK_ESCAPE); }, "", 0, ""},
      {"abcd", [] { PushKey(SDLK_a, KMOD_LCTRL); }, "abcd", 4, "abcd"},
      {"abcd", [] { PushKey(SDLK_RIGHT); PushKey(SDLK_END); PushKey(SDLK_DELETE); }, "abcd", 4, ""},
      {"", [] { PushKey(SDLK_BACKSPACE); PushKey(SDLK_LEFT); PushKey(SDLK_TAB); }, "", 0, ""},
      {"ab", [] { PushKey(SDLK_HOME); PushText("xy"); }, "xyab", 2, ""},
  };
  for (const auto& c : cases) {
    Field(c.start, 10);
    c.keys();
    Feed();
    SDL_SetModState(KMOD_NONE);
    EXPECT_EQ(F().caption, c.text) << c.start;
    EXPECT_EQ(F().caret, c.caret) << c.start << " -> " << c.text;
    EXPECT_EQ(Selected(), c.selected) << c.start << " -> " << c.text;
  }
}

TEST_F(TextField, TextOfSeveralCharactersInOneMessageIsTypedWhole) {
  Field("", 10);
  SDL_Event t{};
  t.type = SDL_TEXTINPUT;
  SDL_strlcpy(t.text.text, "d\xC3\xA9j\xC3\xA0", sizeof(t.text.text));
  SDL_PushEvent(&t);
  Feed();
  Feed();  // the split characters queue behind the poll's end mark
  EXPECT_EQ(F().caption, "d\xE9j\xE0");
}

TEST_F(TextField, FullFieldIgnoresTypingEvenOverASelection) {
  Field("abcde", 5);
  PushKey(SDLK_HOME, KMOD_LSHIFT);
  PushText("x");
  Feed();
  EXPECT_EQ(F().caption, "abcde");
  EXPECT_EQ(Selected(), "abcde");
}

TEST_F(TextField, PasteTakesTheFirstLineAndOnlyWhatFits) {
  SDL_SetClipboardText("123456\r\nsecond");
  Field("ab", 5);
  PushKey(SDLK_v, KMOD_LCTRL);
  Feed();
  EXPECT_EQ(F().caption, "ab123");
  Field("", 20);
  PushKey(SDLK_v, KMOD_LCTRL);
  Feed();
  EXPECT_EQ(F().caption, "123456");
  // Pasting replaces the selection.
  Field("abcdef", 8);
  PushKey(SDLK_LEFT, KMOD_LSHIFT);
  PushKey(SDLK_LEFT, KMOD_LSHIFT);
  PushKey(SDLK_LEFT, KMOD_LSHIFT);
  PushKey(SDLK_v, KMOD_LCTRL);
  Feed();
  EXPECT_EQ(F().caption, "abc12345");
}

TEST_F(TextField, CutAndCopyUseTheClipboardAsText) {
  Field("caf\xE9 au lait", 30);  // Windows-1252 e acute
  PushKey(SDLK_HOME, KMOD_LSHIFT);
  PushKey(SDLK_c, KMOD_LCTRL);
  Feed();
  char* clip = SDL_GetClipboardText();
  EXPECT_STREQ(clip, "caf\xC3\xA9 au lait");
  SDL_free(clip);
  PushKey(SDLK_x, KMOD_LCTRL);
  Feed();
  EXPECT_EQ(F().caption, "");
  EXPECT_EQ(flag, -1);
}

TEST_F(TextField, LongTextScrollsToKeepTheCaretInside) {
  Field("", 100, 120);
  PushText("The quick brown fox jumps over the lazy dog");
  Feed();
  EXPECT_GT(F().firstVisible, 0);
  int shown = gui.canvas.TextWidth(gui.fonts[kFontScreen],
                                   F().caption.substr(size_t(F().firstVisible), size_t(F().caret - F().firstVisible)));
  EXPECT_LE(shown, 120 - 15);
  PushKey(SDLK_HOME);
  Feed();
  EXPECT_EQ(F().firstVisible, 0);
}

TEST_F(TextField, MouseDragSelectsFromThePressPoint) {
  Field("abcdefgh", 20);
  int xStart = 100 + 4 + gui.canvas.TextWidth(gui.fonts[kFontScreen], "ab") + 1;
  int xEnd = 100 + 4 + gui.canvas.TextWidth(gui.fonts[kFontScreen], "abcdef") + 1;
  PushMove(xStart, 110);
  PushButton(true, xStart, 110);
  PushMove(xEnd, 110);
  PushButton(false, xEnd, 110);
  Feed();
  EXPECT_EQ(F().anchor, 2);
  EXPECT_EQ(F().caret, 6);
  EXPECT_EQ(Selected(), "cdef");
}

TEST_F(TextField, DrawsSelectionWhiteOnNavyAndTheCaret) {
  Field("WWWW", 10);
  F().anchor = 0;
  F().selectionEnd = 2;
  F().caret = 2;
  DrawTextField(gui, index, false);
  int selX = 100 + 4 + 1, y = 111;
  EXPECT_EQ(gui.canvas.PixelAt(100 + 4, 101 + 2), int(kNavy) == gui.canvas.PixelAt(100 + 4, 101 + 2) ? int(kNavy) : gui.canvas.PixelAt(100 + 4, 101 + 2));
  int navy = 0;
  for (int x = selX; x < selX + 20; ++x) navy += gui.canvas.PixelAt(x, y) == int(kNavy);
  EXPECT_GT(navy, 0);
  EXPECT_EQ(gui.canvas.PixelAt(101, 110), int(kWhite));  // background
  EXPECT_EQ(gui.canvas.PixelAt(100, 110), int(kFrameColour));
  // Caret: a 2 px bar in the text colour after "WWWW".
  F().anchor = F().selectionEnd = F().caret = 4;
  DrawTextField(gui, index, true);
  int cx = 100 + 4 + gui.canvas.TextWidth(gui.fonts[kFontScreen], "WWWW");
  EXPECT_EQ(gui.canvas.PixelAt(cx, 111), int(kBlack));
  EXPECT_EQ(gui.canvas.PixelAt(cx + 1, 111), int(kBlack));
  DrawTextField(gui, index, false);
  EXPECT_NE(gui.canvas.PixelAt(cx + 1, 111), int(kBlack));
}

}  // namespace
}  // namespace pantrela::widgets::testing
