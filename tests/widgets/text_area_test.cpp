#include "widgets/text_area.h"

#include "harness.h"
#include "platform/clipboard.h"
#include "support/scripted_dialogs.h"

namespace pantrela::widgets::testing {
namespace {

// Raw bytes of every display line.
std::vector<std::string> RawLines(const TextArea& a) {
  std::vector<std::string> out;
  for (int n = 0; n < a.lineCount; ++n) out.push_back(a.text.substr(size_t(a.LineStart(n)), size_t(a.LineStart(n + 1) - a.LineStart(n))));
  return out;
}

TEST(TextAreaLayout, CharacterModeBreaksAsTheExportersDo) {
  struct Case {
    std::string text;
    int width;
    std::vector<std::string> raw;
  } cases[] = {
      {"aaaa bbbb cccc", 10, {"aaaa bbbb ", "cccc"}},
      {std::string(25, 'a'), 10, {std::string(9, 'a'), std::string(10, 'a'), std::string(6, 'a')}},
      {"ab\r\rcd", 10, {"ab\r", "\r", "cd"}},
      {"", 10, {""}},
  };
  for (const Case& c : cases) {
    TextArea a;
    a.left = c.width;
    a.text = c.text;
    LayoutText(a);
    EXPECT_EQ(RawLines(a), c.raw) << c.text;
  }
}

TEST(TextAreaLayout, PixelModeBreaksBeforeTheWidthAndNeverWrapsAOneLineArea) {
  TextArea a;
  a.left = 0;
  a.right = 26 + 50;  // 50 pixels of line
  a.widths.fill(10);
  SetupTextArea(a);
  a.text = "abc def ghijklmnop";
  LayoutText(a);
  // "abc def" reaches 50 at 'e': the line breaks after the space.
  EXPECT_EQ(RawLines(a)[0], "abc ");
  for (int n = 0; n < a.lineCount; ++n) EXPECT_LE(int(DisplayLine(a, n).size()) * 10, 50) << n;

  SetupTitleArea(a);
  a.text = std::string(70, 'w');
  LayoutText(a);
  EXPECT_EQ(a.lineCount, 1);
}

TEST(TextAreaEdit, InsertAndPasteKeepTheBufferAndLineLimits) {
  struct Case {
    const char* what;
    bool title;
    std::string start;
    std::string insert;
    bool paste;
    std::string text;
  } cases[] = {
      {"typing never adds LF or NUL", false, "", std::string("a\nb\0c", 5), false, "abc"},
      {"a paste keeps CR LF", false, "", "a\r\nb", true, "a\r\nb"},
      {"title takes 79 characters", true, "", std::string(100, 'x'), false, std::string(79, 'x')},
      {"title drops a pasted break and what follows", true, "t", "a\r\nb", true, "ta"},
  };
  for (const Case& c : cases) {
    TextArea a;
    a.right = 1000;
    a.widths.fill(8);
    c.title ? SetupTitleArea(a) : SetupTextArea(a);
    a.text = c.start;
    MoveCaret(a, a.length(), false);
    LayoutText(a);
    c.paste ? PasteBytes(a, c.insert) : InsertText(a, c.insert);
    EXPECT_EQ(a.text, c.text) << c.what;
    EXPECT_EQ(a.caret, a.length()) << c.what;
    EXPECT_LE(a.lineCount, a.lineLimit) << c.what;
  }
}

TEST(TextAreaEdit, TextCommands) {
  struct Case {
    const char* what;
    std::string text;
    int selFrom, selTo;  // -1: no selection
    void (*op)(TextArea&);
    std::string result;
  } cases[] = {
      {"sentence case", "hELLO wORLD. tHIS is IT! ok", 0, 27, SentenceCaseSelection, "Hello world. This is it! Ok"},
      {"sentence case across a line break", "END.\r  nEXT", 0, 11, SentenceCaseSelection, "End.\r  Next"},
      {"sentence case of part", "abc DEF", 4, 7, SentenceCaseSelection, "abc Def"},
      {"upper case", "mix \xE9t\xE9", 0, 8, UpperCaseSelection, "MIX \xC9T\xC9"},
      {"join two lines", "one\rtwo", -1, -1, JoinLines, "one two"},
      {"join keeps a blank line", "a\rb\r\rc\rd", -1, -1, JoinLines, "a b\r\rc d"},
      {"join after a space adds none", "a \rb", -1, -1, JoinLines, "a b"},
      {"join keeps a break before a space", "a\r b", -1, -1, JoinLines, "a\r b"},
      {"join of pasted CR LF", "a\r\nb\r\n\r\nc", -1, -1, JoinLines, "a b\r\n\r\nc"},
  };
  for (const Case& c : cases) {
    TextArea a;
    a.left = 60;
    a.text = c.text;
    LayoutText(a);
    if (c.selFrom >= 0) {
      MoveCaret(a, c.selFrom, false);
      MoveCaret(a, c.selTo, true);
    }
    c.op(a);
    EXPECT_EQ(a.text, c.result) << c.what;
  }
}

class TextAreaInput : public GuiTest {
 protected:
  void Area(const std::string& text, bool title = false) {
    a = TextArea{};
    a.left = 100;
    a.top = 100;
    a.right = 500;
    a.bottom = title ? 126 : 300;
    title ? SetupTitleArea(a) : SetupTextArea(a);
    SetAreaFont(gui, a, kFontScreen);
    a.focus = true;
    a.text = text;
    LayoutText(a);
  }
  void Feed() {
    while (gui.window.Pump(false)) {
      const platform::InputState& in = gui.Input();
      if (in.pressed && in.heldButton == 1 && InTextAreaBar(a, in.mouseX, in.mouseY)) TrackTextAreaBar(gui, a, kWhite);
      else if (in.pressed && in.heldButton == 1) TrackTextAreaMouse(gui, a, kWhite);
      else TextAreaKey(a, gui.Input(), said);
    }
    SDL_SetModState(KMOD_NONE);
  }
  TextArea a;
  pantrela::testing::ScriptedDialogs said;
};

TEST_F(TextAreaInput, KeysMoveEditAndSelect) {
  struct Case {
    const char* what;
    const char* start;
    int caret;
    std::function<void()> keys;
    const char* text;
    int caretAfter;
    const char* selected;
  } cases[] = {
      {"Shift+Down selects to the same column", "abcdef\rghijkl", 3, [] { PushKey(SDLK_DOWN, KMOD_LSHIFT); },
       "abcdef\rghijkl", 10, "def\rghi"},
      {"Down stops at a shorter line's end", "abcdef\rgh\rijklmn", 5, [] { PushKey(SDLK_DOWN); }, "abcdef\rgh\rijklmn", 9, ""},
      {"Up from the first line stays", "abc\rdef", 1, [] { PushKey(SDLK_UP); }, "abc\rdef", 1, ""},
      {"Ctrl+Right skips a word and the spaces after it", "one two", 0, [] { PushKey(SDLK_RIGHT, KMOD_LCTRL); },
       "one two", 4, ""},
      {"Ctrl+Left lands at a word's start", "one two", 7, [] { PushKey(SDLK_LEFT, KMOD_LCTRL); }, "one two", 4, ""},
      {"Shift+End selects to the line's end", "ab\rcd", 3, [] { PushKey(SDLK_END, KMOD_LSHIFT); }, "ab\rcd", 5, "cd"},
      {"Shift+Home selects to the line's start", "ab\rcd", 4, [] { PushKey(SDLK_HOME, KMOD_LSHIFT); }, "ab\rcd", 3, "c"},
      {"Ctrl+Shift+Home selects to the text's start", "ab\rcd", 4, [] { PushKey(SDLK_HOME, KMOD_LCTRL | KMOD_LSHIFT); },
       "ab\rcd", 0, "ab\rc"},
      {"Backspace joins lines", "ab\rcd", 3, [] { PushKey(SDLK_BACKSPACE); }, "abcd", 2, ""},
      {"Delete at the end does nothing", "ab", 2, [] { PushKey(SDLK_DELETE); }, "ab", 2, ""},
      {"typing replaces a selection", "abcd", 4, [] { PushKey(SDLK_LEFT, KMOD_LSHIFT); PushKey(SDLK_LEFT, KMOD_LSHIFT); PushText("X"); },
       "abX", 3, ""},
      {"Enter inserts CR", "ab", 1, [] { PushKey(SDLK_RETURN); }, "a\rb", 2, ""},
      {"Escape drops the selection", "abcd", 4, [] { PushKey(SDLK_a, KMOD_LCTRL); PushKey(SDLK_ESCAPE); }, "abcd", 4, ""},
      {"Ctrl+D and Ctrl+1..3 insert their bytes", "", 0,
       [] { PushKey(SDLK_d, KMOD_LCTRL); PushKey(SDLK_1, KMOD_LCTRL); PushKey(SDLK_2, KMOD_LCTRL); PushKey(SDLK_3, KMOD_LCTRL); },
       "\xB0\xBC\xBD\xBE", 4, ""},
      {"Ctrl+L on the selection", "mIXED. case", 11, [] { PushKey(SDLK_a, KMOD_LCTRL); PushKey(SDLK_l, KMOD_LCTRL); },
       "Mixed. Case", 11, "Mixed. Case"},
      {"Ctrl+J needs no selection", "a\rb", 0, [] { PushKey(SDLK_j, KMOD_LCTRL); }, "a b", 0, ""},
  };
  for (const Case& c : cases) {
    Area(c.start);
    MoveCaret(a, c.caret, false);
    c.keys();
    Feed();
    EXPECT_EQ(a.text, c.text) << c.what;
    EXPECT_EQ(a.caret, c.caretAfter) << c.what;
    EXPECT_EQ(a.Selected(), c.selected) << c.what;
  }
}

TEST_F(TextAreaInput, FullAreasRefuseEnterAndTyping) {
  std::string lines;
  for (int i = 0; i < 989; ++i) lines += "x\r";
  lines += "x";  // 990 display lines
  Area(lines);
  ASSERT_EQ(a.lineCount, 990);
  MoveCaret(a, a.length(), false);
  PushKey(SDLK_RETURN);
  PushText("y");
  Feed();
  EXPECT_EQ(a.text, lines);
  EXPECT_EQ(said.Messages(), (std::vector<std::string>{kTextBufferFull, kTextBufferFull}));

  // 989 lines: typing goes on, Enter is refused (it would reach the limit).
  said.shown.clear();
  Area(lines.substr(0, lines.size() - 2));
  MoveCaret(a, a.length(), false);
  PushText("y");
  PushKey(SDLK_RETURN);
  Feed();
  EXPECT_EQ(a.text.back(), 'y');
  EXPECT_EQ(said.Messages(), std::vector<std::string>{kTextBufferFull});

  // A full buffer.
  said.shown.clear();
  Area(std::string(64999, 'z'));
  MoveCaret(a, 10, false);
  PushText("q");
  Feed();
  EXPECT_EQ(a.length(), 64999);
  EXPECT_EQ(said.Messages(), std::vector<std::string>{kTextBufferFull});

  // The title: 79 characters, Enter ignored, no message.
  said.shown.clear();
  Area("", true);
  PushText(std::string(85, 'T'));
  PushKey(SDLK_RETURN);
  Feed();
  EXPECT_EQ(a.text, std::string(79, 'T'));
  EXPECT_EQ(said.Messages().size(), 6u);  // the six characters past the 79th
}

TEST_F(TextAreaInput, ClipboardCutCopyPaste) {
  Area("one two");
  MoveCaret(a, 4, false);
  MoveCaret(a, 7, true);
  PushKey(SDLK_x, KMOD_LCTRL);  // cut "two"
  PushKey(SDLK_HOME);
  PushKey(SDLK_v, KMOD_LCTRL);
  Feed();
  EXPECT_EQ(a.text, "twoone ");
  // Linux text with LF line ends arrives as CR LF, kept byte for byte.
  ASSERT_TRUE(platform::PutClipboardText("l1\nl2"));
  Area("");
  PushKey(SDLK_v, KMOD_LCTRL);
  Feed();
  EXPECT_EQ(a.text, "l1\r\nl2");
}

TEST_F(TextAreaInput, ContextMenuCommands) {
  Area("abc");
  TextAreaMenuCommand(a, 2, said);  // Copy with nothing marked
  TextAreaMenuCommand(a, 0, said);
  EXPECT_EQ(said.Messages(), (std::vector<std::string>{kNoBlockMarked, kNoBlockMarked}));
  const auto entries = TextAreaMenuEntries();
  MoveCaret(a, 3, false);
  TextAreaMenuCommand(a, 5, said);
  TextAreaMenuCommand(a, int(std::find(entries.begin(), entries.end(), "Cup") - entries.begin()), said);
  TextAreaMenuCommand(a, 4, said);  // the separator does nothing
  EXPECT_EQ(a.text, "abc\xB0" "Cup");
  MoveCaret(a, 0, false);
  MoveCaret(a, 3, true);
  TextAreaMenuCommand(a, 1, said);  // Cut
  EXPECT_EQ(a.text, "\xB0" "Cup");
  TextAreaMenuCommand(a, 3, said);  // Paste
  EXPECT_EQ(a.text, "abc\xB0" "Cup");
}

TEST_F(TextAreaInput, MouseSelectsAndScrollsWhileDraggedBelow) {
  std::string text;
  for (int i = 0; i < 40; ++i) text += "line " + std::to_string(i) + "\r";
  Area(text);
  ASSERT_LT(a.rowsShown, 40);
  const int rows = a.rowsShown;
  // Press on line 1, drag below the area and hold there for a while.
  PushMove(102, 100 + 2 + a.rowHeight + 3);
  PushButton(true, 102, 100 + 2 + a.rowHeight + 3);
  PushMove(150, 400);
  // The button comes up later, from another thread, while the repeat timer
  // scrolls.
  SDL_TimerID up = SDL_AddTimer(
      400,
      [](Uint32, void*) -> Uint32 {
        PushButton(false, 150, 400);
        return 0;
      },
      nullptr);
  Feed();
  SDL_RemoveTimer(up);
  EXPECT_EQ(a.selStart, a.LineStart(1));
  EXPECT_GT(a.firstLine, 0);
  EXPECT_GE(LineOfCaret(a).line, rows);
  EXPECT_EQ(a.Selected().substr(0, 6), "line 1");
}

// The bar column: an arrow scrolls a line per press and keeps going while
// held; the thumb follows the pointer; the text is not touched.
TEST_F(TextAreaInput, ScrollBarArrowsAndThumb) {
  std::string text;
  for (int i = 0; i < 60; ++i) text += "line " + std::to_string(i) + "\r";
  Area(text);
  const int barX = a.right - 12, maxFirst = a.lineCount - a.rowsShown;
  ASSERT_GT(maxFirst, 10);
  EXPECT_FALSE(InTextAreaBar(a, a.left + 20, a.top + 20));

  PushClick(barX, a.bottom - 6);  // the down arrow, clicked
  Feed();
  EXPECT_EQ(a.firstLine, 1);

  PushMove(barX, a.bottom - 6);  // held for a while: repeats
  PushButton(true, barX, a.bottom - 6);
  SDL_TimerID up = SDL_AddTimer(
      300,
      [](Uint32, void* p) -> Uint32 {
        const TextArea& t = *static_cast<const TextArea*>(p);
        PushButton(false, t.right - 12, t.bottom - 6);
        return 0;
      },
      &a);
  Feed();
  SDL_RemoveTimer(up);
  EXPECT_GT(a.firstLine, 3);

  PushClick(barX, a.top + 6);  // the up arrow
  const int held = a.firstLine;
  Feed();
  EXPECT_EQ(a.firstLine, held - 1);

  // The thumb dragged to the bottom of the track shows the last lines.
  a.firstLine = 0;
  const int thumbY = a.top + 30;
  PushMove(barX, thumbY);
  PushButton(true, barX, thumbY);
  PushMove(barX, a.bottom + 40);
  PushButton(false, barX, a.bottom + 40);
  Feed();
  EXPECT_EQ(a.firstLine, maxFirst);
  EXPECT_EQ(a.text, text);
  EXPECT_EQ(a.caret, 0);
}

// The one-line title scrolls sideways to keep the caret in view, and a click
// lands on the character under the pointer in the scrolled line.
TEST_F(TextAreaInput, TheTitleScrollsSidewaysWithTheCaret) {
  Area("", true);
  const std::string title(79, 'W');
  InsertText(a, title);
  EXPECT_EQ(a.length(), 79);
  EXPECT_GT(a.scrollX, 0);
  int caretX = 0;
  for (int i = 0; i < a.caret; ++i) caretX += a.widths['W'];
  EXPECT_LE(caretX - a.scrollX, a.right - a.left);
  EXPECT_GE(caretX - a.scrollX, 0);
  const int offset = OffsetAt(a, a.left + 4 + 2 * a.widths['W'] + 1, a.top + 5);
  EXPECT_NEAR(offset, (a.scrollX + 2 * a.widths['W']) / a.widths['W'], 1);
  MoveCaret(a, 0, false);
  EXPECT_EQ(a.scrollX, 0);
  MoveCaret(a, 79, false);
  EXPECT_GT(a.scrollX, 0);
  a.text.clear();
  MoveCaret(a, 0, false);
  EXPECT_EQ(a.scrollX, 0);
}

}  // namespace
}  // namespace pantrela::widgets::testing
