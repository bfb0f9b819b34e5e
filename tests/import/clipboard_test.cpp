// The system clipboard as an import reads it: line ends of Linux text, and
// the files a file manager copied, read from a real X server (Xvfb) whose
// clipboard a small owner in this test holds.
#include "platform/clipboard.h"

#include <SDL2/SDL.h>

#include <cstdlib>

#include "foundation/file.h"
#include "import/import_files.h"
#include "import_fixture.h"

// Last: Xlib's macros (None, Bool, Status) would clash with the headers above.
#include "support/x_clipboard.h"

namespace pantrela::testing {
namespace {

using platform::ClipboardLineEnds;
using platform::FilesFromUriList;

TEST(ClipboardText, LineEndsBecomeCrLf) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"Title: Pie\nCategories: Pies\n\n  1 c  flour\n", "Title: Pie\r\nCategories: Pies\r\n\r\n  1 c  flour\r\n"},
      {"Title: Pie\r\nCategories: Pies\r\n\r\n", "Title: Pie\r\nCategories: Pies\r\n\r\n"},
      {"Title: Pie\rCategories: Pies\r\r", "Title: Pie\rCategories: Pies\r\r"},
      {"\na\r\n\nb\r", "\r\na\r\n\r\nb\r"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ClipboardLineEnds(c.in), c.out) << c.in;
}

TEST(ClipboardFiles, UriListsGiveLocalPaths) {
  const struct {
    const char* name;
    const char* text;
    std::vector<std::string> files;
  } cases[] = {
      {"uri-list", "# copied\r\nfile:///home/me/Pie.mmf\r\nfile:///home/me/My%20Recipes/Cr%C3%A8me.mx2\r\n",
       {"/home/me/Pie.mmf", "/home/me/My Recipes/Cr\xC3\xA8me.mx2"}},
      {"gnome copy", "copy\nfile:///a.mmf\nfile:///b.mmf", {"/a.mmf", "/b.mmf"}},
      {"gnome cut", "cut\nfile:///a.mmf\n", {"/a.mmf"}},
      {"hosts", "file://localhost/l.mmf\nfile://kitchen/k.mmf\nfile://elsewhere/e.mmf\nFILE:///u.mmf",
       {"/l.mmf", "/k.mmf", "/u.mmf"}},
      {"not local files", "https://example.com/pie.html\nsmb://server/x.mmf\nfile:relative\nfile://nopath", {}},
      {"odd escapes", "file:///100%25%zz%4\nfile:///nul%00.mmf\nfile:///q.mmf?x=1#top", {"/100%%zz%4", "/q.mmf"}},
      {"plain text", "Title: Pie\nCategories: Pies\n", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(FilesFromUriList(c.text, "kitchen"), c.files) << c.name;
}

class ClipboardImportTest : public ImportTest {
 protected:
  void SetUp() override {
    ImportTest::SetUp();
    if (const char* d = std::getenv("DISPLAY")) savedDisplay_ = d;
  }
  void TearDown() override {
    if (savedDisplay_.empty()) ::unsetenv("DISPLAY");
    else ::setenv("DISPLAY", savedDisplay_.c_str(), 1);
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  // The X server of the test, or a skip.
  bool StartX() {
    if (x_.display().empty()) return false;
    ::setenv("DISPLAY", x_.display().c_str(), 1);
    return true;
  }

  Xvfb x_;
  std::string savedDisplay_;
};

TEST_F(ClipboardImportTest, CopiedFilesAreReadFromTheXClipboard) {
  if (!StartX()) GTEST_SKIP() << "no Xvfb";
  const std::string uris = "file:///r/Pie.mmf\r\nfile:///r/Cr%C3%A8me.mmf\r\n";
  const struct {
    const char* name;
    std::map<std::string, std::string> targets;
    size_t incrAbove;
    std::vector<std::string> files;
  } cases[] = {
      {"uri-list", {{"text/uri-list", uris}, {"UTF8_STRING", "/r/Pie.mmf"}}, 1 << 20, {"/r/Pie.mmf", "/r/Cr\xC3\xA8me.mmf"}},
      {"gnome only", {{"x-special/gnome-copied-files", "copy\nfile:///r/a.mmf"}}, 1 << 20, {"/r/a.mmf"}},
      {"in pieces", {{"text/uri-list", uris}}, 7, {"/r/Pie.mmf", "/r/Cr\xC3\xA8me.mmf"}},
      {"a web link", {{"text/uri-list", "https://example.com/pie\r\n"}}, 1 << 20, {}},
      {"text only", {{"UTF8_STRING", "Title: Pie"}}, 1 << 20, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ClipboardOwner owner(x_.display(), c.targets, c.incrAbove);
    ASSERT_TRUE(owner.ok());
    std::vector<std::string> files{"/kept.mmf"};
    EXPECT_EQ(platform::ReadClipboardFiles(files, x_.display()), !c.files.empty());
    std::vector<std::string> want{"/kept.mmf"};
    want.insert(want.end(), c.files.begin(), c.files.end());
    EXPECT_EQ(files, want);
  }
  // Nobody holds the clipboard; and an owner that never answers times out.
  std::vector<std::string> none;
  EXPECT_FALSE(platform::ReadClipboardFiles(none, x_.display()));
  Display* silent = XOpenDisplay(x_.display().c_str());
  ASSERT_NE(silent, nullptr);
  Window w = XCreateSimpleWindow(silent, DefaultRootWindow(silent), 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(silent, XInternAtom(silent, "CLIPBOARD", False), w, CurrentTime);
  XSync(silent, False);
  EXPECT_FALSE(platform::ReadClipboardFiles(none, x_.display(), 200));
  XCloseDisplay(silent);
  EXPECT_TRUE(none.empty());
}

// Images offered by our own owner: read back whole (in pieces when large),
// BMP before PNG, listed under TARGETS; the offer ends when another program
// takes the clipboard.
TEST_F(ClipboardImportTest, OfferedImagesAreReadBackAndGiveWayToTheNextOwner) {
  if (!StartX()) GTEST_SKIP() << "no Xvfb";
  std::string bmp = "BM";
  for (int i = 0; i < 300000; ++i) bmp += char(i * 7);
  {
    platform::ClipboardOffer offer;
    ASSERT_TRUE(offer.Offer({{"image/bmp", bmp}, {"image/png", "\x89PNG..."}}, x_.display(), 65536));
    EXPECT_TRUE(offer.owned());
    std::string bytes, type;
    ASSERT_EQ(platform::ReadClipboardImage(bytes, type, x_.display()), platform::ClipboardRead::kFound);
    EXPECT_EQ(type, "image/bmp");
    EXPECT_EQ(bytes, bmp);

    Display* d = XOpenDisplay(x_.display().c_str());
    ASSERT_NE(d, nullptr);
    Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    const Atom clipboard = XInternAtom(d, "CLIPBOARD", False), prop = XInternAtom(d, "T", False);
    XConvertSelection(d, clipboard, XInternAtom(d, "TARGETS", False), prop, w, CurrentTime);
    XEvent ev;
    do XNextEvent(d, &ev);
    while (ev.type != SelectionNotify);
    ASSERT_EQ(ev.xselection.property, prop);
    Atom type32;
    int format;
    unsigned long n, after;
    unsigned char* data = nullptr;
    ASSERT_EQ(XGetWindowProperty(d, w, prop, 0, 64, True, XA_ATOM, &type32, &format, &n, &after, &data), Success);
    std::vector<std::string> names;
    for (unsigned long i = 0; i < n; ++i) {
      char* name = XGetAtomName(d, reinterpret_cast<Atom*>(data)[i]);
      names.emplace_back(name);
      XFree(name);
    }
    XFree(data);
    EXPECT_EQ(names, (std::vector<std::string>{"TARGETS", "TIMESTAMP", "image/bmp", "image/png"}));
    XCloseDisplay(d);

    ClipboardOwner next(x_.display(), {{"image/jpeg", "\xFF\xD8jpeg"}});
    ASSERT_TRUE(next.ok());
    for (int i = 0; i < 100 && offer.owned(); ++i) ::usleep(10000);
    EXPECT_FALSE(offer.owned());
    ASSERT_EQ(platform::ReadClipboardImage(bytes, type, x_.display()), platform::ClipboardRead::kFound);
    EXPECT_EQ(type, "image/jpeg");
  }
  std::string bytes, type;
  EXPECT_EQ(platform::ReadClipboardImage(bytes, type, x_.display()), platform::ClipboardRead::kNothing);
  EXPECT_EQ(platform::ReadClipboardImage(bytes, type, ":99999"), platform::ClipboardRead::kUnreachable);
}

// The whole path of the import's clipboard command: copied files become the
// file list and import as files; text from SDL reaches "Temp.dat" with its
// lines, whatever line ends it came with.
TEST_F(ClipboardImportTest, SystemClipboardFeedsTheImport) {
  if (!StartX()) GTEST_SKIP() << "no Xvfb";
  const std::string mmf = dir / "Cr\xC3\xA8me.mmf";
  WriteBytes(mmf,
             "MMMMM----- Recipe via Meal-Master (tm) v8.05\r\n      Title: Custard\r\n Categories: Desserts\r\n\r\n"
             "      1 c  Cream\r\n\r\n  Bake.\r\nMMMMM\r\n");
  SystemClipboard clipboard;
  std::vector<std::string> list;
  {
    ClipboardOwner owner(x_.display(), {{"text/uri-list", "file://" + dir / "Cr%C3%A8me.mmf\r\n"}});
    ASSERT_TRUE(owner.ok());
    ImportFromClipboard(ctx, clipboard, list);
  }
  ASSERT_EQ(list, std::vector<std::string>{mmf});
  int format = 0;
  EXPECT_EQ(ImportList(list, format), 1);
  EXPECT_EQ(Stored().at(0).title, "Custard");

  ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  const char* texts[] = {"Title: Pie\nCategories: Pies\n\n  1 c  flour\n",
                         "Title: Pie\r\nCategories: Pies\r\n\r\n  1 c  flour\r\n",
                         "Title: Pie\rCategories: Pies\r\r  1 c  flour\r"};
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    ASSERT_EQ(SDL_SetClipboardText(text), 0);
    list.clear();
    ImportFromClipboard(ctx, clipboard, list);
    ASSERT_EQ(list, std::vector<std::string>{ctx.files.scratchImport});
    EXPECT_EQ(ReadBytes(ctx.files.scratchImport), "Title: Pie\rCategories: Pies\r\r 1 c flour\r");
  }
}

}  // namespace
}  // namespace pantrela::testing
