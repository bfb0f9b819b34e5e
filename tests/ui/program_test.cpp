// The real program: a second copy hands its file to the running one; the
// window while the index is rebuilt; the About screen's buttons.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "foundation/file.h"
#include "foundation/settings.h"
#include "ui_harness.h"

extern char** environ;

namespace pantrela::ui::testing {
namespace {

using Clock = std::chrono::steady_clock;

pid_t Start(const std::vector<std::string>& args, const std::string& folder = "") {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  pid_t pid = -1;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

int WaitExit(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

template <class F>
bool WaitFor(F done, int ms) {
  auto end = Clock::now() + std::chrono::milliseconds(ms);
  while (Clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

TEST(Program, SecondCopyWithMealMasterFileMakesTheFirstImportIt) {
  const std::string exe = std::string(PANTRELA_BINARY_DIR) + "/src/app/pantrela";
  if (access(exe.c_str(), X_OK) != 0) GTEST_SKIP() << "program not built";
  pantrela::testing::TempDir dir;
  const std::string data = dir.path();
  const std::string mm = dir / "hand over.mmf";
  pantrela::testing::WriteBytes(
      mm, "MMMMM----- Recipe via Meal-Master (tm) v8.05\r\n\r\n      Title: Second Copy Stew\r\n"
          " Categories: Stews\r\n      Yield: 4 servings\r\n\r\n      1 lb  Beef\r\n\r\n  Simmer.\r\n\r\nMMMMM\r\n");
  pid_t first = Start({exe, "--data-dir", data});
  ASSERT_GT(first, 0);
  const std::string log = data + "status.log";
  // Running once the recipe list is built and the screen loop has started.
  ASSERT_TRUE(WaitFor([&] { return pantrela::testing::ReadBytes(log).find("Build Recipe List") != std::string::npos; },
                      10000));
  std::this_thread::sleep_for(std::chrono::milliseconds(400));

  // Started in the file's folder with its bare name.
  pid_t second = Start({exe, "--data-dir", data, "hand over.mmf"}, data);
  ASSERT_GT(second, 0);
  EXPECT_EQ(WaitExit(second), 0);  // it leaves the file and ends
  auto handed = Clock::now();
  bool imported = WaitFor(
      [&] { return pantrela::testing::ReadBytes(data + "Index860.dat").find("Second Copy Stew") != std::string::npos; },
      3000);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - handed).count();
  EXPECT_TRUE(imported);
  // The poll runs every 300 ms; the import itself takes a few ms.
  EXPECT_LT(ms, 1000) << "picked up after " << ms << " ms";
  EXPECT_FALSE(Exists(data + "command.dat"));
  std::string text = pantrela::testing::ReadBytes(log);
  EXPECT_NE(text.find("Drag/Drop File List: " + UpperAscii("\"" + mm + "\"")), std::string::npos);

  kill(first, SIGTERM);
  EXPECT_EQ(WaitExit(first), 0);
}

// Forwards to the window's dialogs and, at the first progress step of the
// rebuild, drags the window border: SDL reports the new size at once.
class ResizingDialogs : public Dialogs {
 public:
  ResizingDialogs(Dialogs& inner, widgets::Gui& gui) : inner_(inner), gui_(gui) {}
  int Message(const std::string& m, const std::string& b, int d) override { return inner_.Message(m, b, d); }
  int Form(const std::string& m, const std::string& c, int d, const std::string& b, int l,
           std::vector<FormField>& f) override {
    return inner_.Form(m, c, d, b, l, f);
  }
  int ChooseFromList(const std::string& p, const std::vector<std::string>& c, const std::string& b, int& s) override {
    return inner_.ChooseFromList(p, c, b, s);
  }
  int PopupList(int x, int y, int w, const std::vector<std::string>& e) override { return inner_.PopupList(x, y, w, e); }
  bool BrowseFiles(const std::string& t, std::string& f, std::string& n) override { return inner_.BrowseFiles(t, f, n); }
  void ProgressOpen() override { inner_.ProgressOpen(); }
  void ProgressUpdate(const std::string& t, const std::string& l, double v, double m) override {
    inner_.ProgressUpdate(t, l, v, m);
    if (tried) return;
    tried = true;
    busyDuring = gui_.ctx.Busy();
    resizableDuring = (SDL_GetWindowFlags(gui_.window.Handle()) & SDL_WINDOW_RESIZABLE) != 0;
    SDL_SetWindowSize(gui_.window.Handle(), 900, 640);
    while (gui_.window.Pump(false)) {
    }
    clientWidthDuring = gui_.window.ClientWidth();
    settingsWidthDuring = gui_.ctx.settings.window_wide;
  }
  void ProgressClose() override { inner_.ProgressClose(); }
  bool ProgressStop() override { return inner_.ProgressStop(); }
  void SystemMessage(const std::string& t, const std::string& x) override { inner_.SystemMessage(t, x); }

  bool tried = false, busyDuring = false, resizableDuring = true;
  int clientWidthDuring = 0, settingsWidthDuring = 0;

 private:
  Dialogs& inner_;
  widgets::Gui& gui_;
};

TEST_F(UiTest, BorderDragDuringIndexRebuildDoesNothingAndResizingWorksAfterwards) {
  // No index: the start-up rebuilds it from the recipe file.
  WriteBytes(ctx.files.recipe, pantrela::testing::GenerateRecipeFile(300, 5));
  program = std::make_unique<Program>(ctx);
  ASSERT_TRUE(program->OpenWindow());
  const int widthBefore = Gui().window.ClientWidth();
  const int settingsBefore = ctx.settings.window_wide;
  ResizingDialogs resizing(program->screens->dialogs, Gui());
  ctx.SetDialogs(&resizing);
  program->OpenDatabase();
  ctx.SetDialogs(&program->screens->dialogs);
  ASSERT_TRUE(resizing.tried) << "the rebuild showed no progress";
  EXPECT_TRUE(resizing.busyDuring);
  // The offscreen driver keeps no resizable flag; a real display does.
  if (std::string(SDL_GetCurrentVideoDriver()) != "offscreen") EXPECT_FALSE(resizing.resizableDuring);
  EXPECT_EQ(resizing.clientWidthDuring, widthBefore);
  EXPECT_EQ(resizing.settingsWidthDuring, settingsBefore);
  EXPECT_FALSE(ctx.Busy());
  EXPECT_TRUE(SDL_GetWindowFlags(Gui().window.Handle()) & SDL_WINDOW_RESIZABLE);
  // The size the window got anyway is laid out once the rebuild is over.
  EXPECT_EQ(Gui().Width(), 900);
  EXPECT_TRUE(Gui().window.redraw);

  // Afterwards a resize lays the screen out again and is kept at shut-down.
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  int listRightAfter = 0;
  Gui().idleHook = [&] {
    static int step = 0;
    if (step++ == 0) {
      SDL_SetWindowSize(Gui().window.Handle(), 1000, 700);
      return;
    }
    listRightAfter = Index().chapterBox().barX1 + 20;
    SDL_Event q{};
    q.type = SDL_QUIT;
    SDL_PushEvent(&q);
  };
  Run();
  EXPECT_EQ(Gui().window.ClientWidth(), 1000);
  EXPECT_EQ(listRightAfter, 20 + int(0.26 * 1000));
  EXPECT_EQ(ctx.settings.window_state, 1);
  EXPECT_EQ(ctx.settings.window_wide, Gui().window.OuterRect().w);
}

TEST_F(UiTest, AboutButtonsOpenTheConfiguredAddresses) {
  WriteSmallCollection();
  Open();
  std::vector<std::string> opened;
  std::string mailTo, subject;
  program->screens->openAddress = [&](const std::string& a) { opened.push_back(a); };
  program->screens->openMail = [&](const std::string& to, const std::string& s) {
    mailTo = to;
    subject = s;
    return true;
  };
  bool showsVersion = false;
  steps.push_back([&] { PushClick(CX(kScreenAbout), CY(kScreenAbout)); });
  steps.push_back([&] {
    showsVersion = Shows("Pantrela  Version 9.68");
    for (int id = 200; id <= 204; ++id) steps.push_back([this, id] { PushClick(CX(id), CY(id)); });
  });
  Run();
  EXPECT_TRUE(showsVersion);
  EXPECT_EQ(opened, (std::vector<std::string>{"https://vendor.example/", "https://vendor.example/guide/",
                                              "https://vendor.example/upgrade/", "https://vendor.example/newsletter/"}));
  EXPECT_EQ(mailTo, "mailto:support@vendor.example");
  EXPECT_EQ(subject, "Pantrela 9.68");
}

TEST_F(UiTest, PointingAtTheTitleAreaKeepsTheTabsPainted) {
  WriteSmallCollection();
  Open();
  int before = -1, after = -1;
  auto tabPixel = [&] {
    const widgets::Control* tab = Gui().ById(kScreenRecipes);
    return Gui().canvas.PixelAt(tab->x1 + 6, tab->y2 - 4);
  };
  steps.push_back([&] {
    before = tabPixel();
    PushMove(215, 5);  // the title area between the title image and the tabs
  });
  steps.push_back([&] { PushMove(215, 30); });
  steps.push_back([&] { after = tabPixel(); });
  Run();
  EXPECT_EQ(after, before);
  EXPECT_NE(before, int(widgets::kTopBarColour));
}

TEST_F(UiTest, TabsDoNotSwitchWhileBusy) {
  WriteSmallCollection();
  Open();
  int screenBusy = 0, screenFree = 0;
  steps.push_back([&] {
    ctx.SetBusy(true);
    PushClick(CX(kScreenGrocery), CY(kScreenGrocery));
  });
  steps.push_back([&] {
    screenBusy = ctx.screen;
    ctx.SetBusy(false);
    PushClick(CX(kScreenGrocery), CY(kScreenGrocery));
  });
  steps.push_back([&] { screenFree = ctx.screen; });
  Run();
  EXPECT_EQ(screenBusy, kScreenRecipes);
  EXPECT_EQ(screenFree, kScreenGrocery);
}

}  // namespace
}  // namespace pantrela::ui::testing
