// The system clipboard as an import reads it: line ends of Linux text, and
// the files a file manager copied, read from a real X server (Xvfb) whose
// clipboard a small owner in this test holds.
#include "platform/clipboard.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <SDL2/SDL.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <thread>

#include "foundation/file.h"
#include "import/import_files.h"
#include "import_fixture.h"

// Last: Xlib's macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

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

// An X server of our own for the test (kept up between clients: a reset
// would refuse the next connection for a moment).
class Xvfb {
 public:
  Xvfb() {
    int fds[2];
    if (::access("/usr/bin/Xvfb", X_OK) != 0 || ::pipe(fds) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(fds[0]);
      const std::string fd = std::to_string(fds[1]);
      ::execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-noreset", "-screen", "0", "64x64x24",
              static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    char c;
    while (::poll(&p, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    if (!number.empty()) display_ = ":" + number;
  }
  ~Xvfb() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// Holds the CLIPBOARD selection and answers requests for its targets;
// values of more than `incrAbove` bytes go in pieces (the INCR transfer).
class ClipboardOwner {
 public:
  ClipboardOwner(const std::string& display, std::map<std::string, std::string> targets, size_t incrAbove = 1 << 20)
      : targets_(std::move(targets)), incrAbove_(incrAbove) {
    d_ = XOpenDisplay(display.c_str());
    if (!d_) return;
    w_ = XCreateSimpleWindow(d_, DefaultRootWindow(d_), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(d_, XInternAtom(d_, "CLIPBOARD", False), w_, CurrentTime);
    XSync(d_, False);
    thread_ = std::thread([this] { Serve(); });
  }
  ~ClipboardOwner() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (d_) XCloseDisplay(d_);
  }
  bool ok() const { return d_ != nullptr; }
  int requests() const { return requests_; }

 private:
  void Serve() {
    const Atom incr = XInternAtom(d_, "INCR", False);
    struct Pending {
      Window requestor;
      Atom property, type;
      std::string rest;
      bool done = false;
    };
    std::vector<Pending> pending;
    while (!stop_) {
      while (XPending(d_) > 0) {
        XEvent ev;
        XNextEvent(d_, &ev);
        if (ev.type == SelectionRequest) {
          ++requests_;
          const XSelectionRequestEvent& r = ev.xselectionrequest;
          char* name = XGetAtomName(d_, r.target);
          auto it = targets_.find(name ? name : "");
          if (name) XFree(name);
          XSelectionEvent n{};
          n.type = SelectionNotify;
          n.requestor = r.requestor;
          n.selection = r.selection;
          n.target = r.target;
          n.time = r.time;
          n.property = None;
          if (it != targets_.end()) {
            const std::string& v = it->second;
            if (v.size() > incrAbove_) {
              long size = long(v.size());
              XSelectInput(d_, r.requestor, PropertyChangeMask);
              XChangeProperty(d_, r.requestor, r.property, incr, 32, PropModeReplace,
                              reinterpret_cast<unsigned char*>(&size), 1);
              pending.push_back({r.requestor, r.property, r.target, v});
            } else {
              XChangeProperty(d_, r.requestor, r.property, r.target, 8, PropModeReplace,
                              reinterpret_cast<const unsigned char*>(v.data()), int(v.size()));
            }
            n.property = r.property;
          }
          XSendEvent(d_, r.requestor, False, 0, reinterpret_cast<XEvent*>(&n));
        } else if (ev.type == PropertyNotify && ev.xproperty.state == PropertyDelete) {
          for (Pending& p : pending) {
            if (p.done || p.requestor != ev.xproperty.window || p.property != ev.xproperty.atom) continue;
            const std::string piece = p.rest.substr(0, incrAbove_);
            p.rest.erase(0, piece.size());
            XChangeProperty(d_, p.requestor, p.property, p.type, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(piece.data()), int(piece.size()));
            p.done = piece.empty();
          }
        }
        XFlush(d_);
      }
      pollfd p{ConnectionNumber(d_), POLLIN, 0};
      ::poll(&p, 1, 10);
    }
  }

  std::map<std::string, std::string> targets_;
  size_t incrAbove_;
  Display* d_ = nullptr;
  Window w_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
};

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
