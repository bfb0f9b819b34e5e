// pantrela-cli import --clipboard against a real X server whose clipboard
// the test holds: text copied with Linux line ends imports with its lines,
// files copied in a file manager import as files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/cli_run.h"
#include "foundation/file.h"
#include "support/temp_dir.h"

// Last: Xlib's macros clash with the headers above.
#include "support/x_clipboard.h"

namespace pantrela::testing {
namespace {

// Points the companion at the test's X server for the test's duration.
class Environment {
 public:
  Environment(const std::string& display) {
    Save("DISPLAY");
    Save("SDL_VIDEODRIVER");
    ::setenv("DISPLAY", display.c_str(), 1);
    ::setenv("SDL_VIDEODRIVER", "x11", 1);
  }
  ~Environment() {
    for (const auto& [name, value] : saved_) {
      if (value.first) ::setenv(name.c_str(), value.second.c_str(), 1);
      else ::unsetenv(name.c_str());
    }
  }

 private:
  void Save(const char* name) {
    const char* v = std::getenv(name);
    saved_[name] = {v != nullptr, v ? v : ""};
  }
  std::map<std::string, std::pair<bool, std::string>> saved_;
};

TEST(CliClipboard, ImportsCopiedTextAndCopiedFiles) {
  Xvfb x;
  if (x.display().empty()) GTEST_SKIP() << "no Xvfb";
  Environment env(x.display());
  TempDir dir;
  const std::string data = "--data-dir " + dir / "data/" + " ";
  std::string out;
  {
    ClipboardOwner owner(x.display(),
                         {{"UTF8_STRING",
                           "MMMMM----- Recipe via Meal-Master (tm) v8.05\n\n      Title: Pie\n Categories: Pies\n\n"
                           "      1 c  flour\n      2 ts salt\n\n  Mix.\n  Bake.\nMMMMM\n"}});
    ASSERT_TRUE(owner.ok());
    ASSERT_EQ(RunCli(data + "import --clipboard", &out), 0) << out;
  }
  EXPECT_NE(out.find("1 recipe stored"), std::string::npos) << out;
  ASSERT_EQ(RunCli(data + "show --json Pie", &out, false), 0) << out;
  EXPECT_NE(out.find("\"ingredients\": [\"1 cup flour\", \"2 teaspoons salt\"], \"directions\": \"Mix. Bake.\\n\""),
            std::string::npos)
      << out;
  EXPECT_FALSE(Exists(dir / "data/Temp.dat"));

  WriteBytes(dir / "Cr\xC3\xA8me.mmf",
             "MMMMM----- Recipe via Meal-Master (tm) v8.05\r\n      Title: Custard\r\n Categories: Desserts\r\n\r\n"
             "      1 c  Cream\r\n\r\n  Bake.\r\nMMMMM\r\n");
  {
    ClipboardOwner owner(x.display(), {{"x-special/gnome-copied-files", "copy\nfile://" + dir / "Cr%C3%A8me.mmf"},
                                       {"UTF8_STRING", dir / "Cr\xC3\xA8me.mmf"}});
    ASSERT_TRUE(owner.ok());
    ASSERT_EQ(RunCli(data + "import --clipboard", &out), 0) << out;
  }
  EXPECT_NE(out.find("1 recipe stored"), std::string::npos) << out;
  EXPECT_EQ(RunCli(data + "show Custard", &out), 0) << out;

  // An empty clipboard says so; files and --clipboard do not go together.
  EXPECT_EQ(RunCli(data + "import --clipboard", &out), 1) << out;
  EXPECT_NE(out.find("There is no text on the clipboard."), std::string::npos) << out;
  EXPECT_EQ(RunCli(data + "import --clipboard " + dir / "Cr\xC3\xA8me.mmf", &out), 2) << out;
}

}  // namespace
}  // namespace pantrela::testing
