// The real program under a virtual X server with a window manager:
// maximising the window and closing it stores window_state 3 and keeps the
// last normal rectangle in the settings file.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <string>

#include "foundation/file.h"
#include "foundation/settings.h"
#include "support/temp_dir.h"

namespace pantrela {
namespace {

bool HaveTool(const char* name) {
  std::string cmd = std::string("command -v ") + name + " >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

// Starts the window manager, then the program; waits for its window,
// maximises it (mode "max"), closes it as the title bar's close button does and waits
// for the program to end. Exit codes 3 to 5 say which wait ran out.
const char kScript[] = R"(#!/bin/sh
exe="$1"; data="$2"; mode="$3"
# ctest runs the other tests with the offscreen driver; this one needs X11.
export SDL_VIDEODRIVER=x11
openbox >/dev/null 2>&1 &
wm=$!
i=0; while ! wmctrl -m >/dev/null 2>&1; do i=$((i+1)); [ $i -gt 50 ] && exit 3; sleep 0.1; done
"$exe" --data-dir "$data" >/dev/null 2>&1 &
pid=$!
i=0; while ! wmctrl -l | grep -q ' Pantrela$'; do i=$((i+1)); [ $i -gt 100 ] && { kill $pid; exit 4; }; sleep 0.1; done
sleep 0.5
[ "$mode" = max ] && wmctrl -r Pantrela -b add,maximized_vert,maximized_horz
i=0; while ! xprop -name Pantrela _NET_WM_STATE 2>/dev/null | grep -q MAXIMIZED_HORZ; do i=$((i+1)); [ $i -gt 50 ] && break; sleep 0.1; done
sleep 0.5
wmctrl -c Pantrela
i=0; while kill -0 $pid 2>/dev/null; do i=$((i+1)); [ $i -gt 80 ] && { kill $pid; exit 5; }; sleep 0.1; done
wait $pid
code=$?
kill $wm 2>/dev/null
exit $code
)";

TEST(Maximise, QuittingMaximisedStoresStateThreeAndTheNormalRectangle) {
  if (!HaveTool("xvfb-run") || !HaveTool("openbox") || !HaveTool("wmctrl") || !HaveTool("xprop"))
    GTEST_SKIP() << "needs xvfb-run, openbox, wmctrl and xprop";
  const std::string exe = PANTRELA_EXE_PATH;
  if (!Exists(exe)) GTEST_SKIP() << "program not built";
  pantrela::testing::TempDir dir;
  const std::string data = dir / "data/";
  ASSERT_TRUE(CreateFolders(data));
  Settings s;
  s.window_x = 100;
  s.window_y = 80;
  s.window_wide = 820;
  s.window_high = 600;
  s.window_state = 1;
  ASSERT_TRUE(WriteSettings(s, data + "Setup747.dat"));
  pantrela::testing::WriteBytes(dir / "run.sh", kScript);
  auto run = [&](const char* mode) {
    const std::string cmd = "timeout 20 xvfb-run -a -s '-screen 0 1280x1024x24' sh '" + dir.path() + "run.sh' '" +
                            exe + "' '" + data + "' " + mode + " >'" + dir.path() + "out.txt' 2>&1";
    int rc = std::system(cmd.c_str());
    EXPECT_EQ(rc, 0) << pantrela::testing::ReadBytes(dir / "out.txt");
    Settings after;
    WorkArea area;
    area.left = 0;
    area.top = 0;
    area.right = 1280;
    area.bottom = 1024;
    ReadSettings(after, data + "Setup747.dat", area);
    return after;
  };
  Settings after = run("max");
  EXPECT_EQ(after.window_state, 3);
  // The normal rectangle is the one the window had before it was maximised
  // (the window manager may have placed it, never at the maximised size).
  EXPECT_EQ(after.window_wide, 820);
  EXPECT_EQ(after.window_high, 600);
  EXPECT_GE(after.window_x, 0);
  EXPECT_GE(after.window_y, 0);
  EXPECT_LE(after.window_x + after.window_wide, 1280);
  EXPECT_LE(after.window_y + after.window_high, 1024);

  // Started maximised and closed again: still maximised, same normal rectangle.
  Settings again = run("keep");
  EXPECT_EQ(again.window_state, 3);
  EXPECT_EQ(again.window_wide, 820);
  EXPECT_EQ(again.window_high, 600);
  EXPECT_EQ(again.window_x, after.window_x);
  EXPECT_EQ(again.window_y, after.window_y);
}

}  // namespace
}  // namespace pantrela
