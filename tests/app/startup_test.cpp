#include "app/app_startup.h"

#include <algorithm>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

#include "app/cli.h"
#include "app/cli_run.h"
#include "app/terminal_dialogs.h"
#include "foundation/file.h"
#include "foundation/settings.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

namespace pantrela {
namespace {

using testing::ReadBytes;
using testing::RunCli;
using testing::TempDir;
using testing::WriteBytes;

TEST(DataFolder, Choice) {
  const std::vector<std::string> prefixes = {"/usr/local/", "/usr/", "/opt/"};
  struct {
    const char* name;
    std::string program, option, env, expected;
  } cases[] = {
      {"installed", "/usr/bin/", "", "", "/home/c/.local/share/Pantrela/"},
      {"installed, other letter case", "/OPT/Pantrela/Bin/", "", "", "/home/c/.local/share/Pantrela/"},
      {"install prefix", "/usr/local/bin/", "", "", "/home/c/.local/share/Pantrela/"},
      {"prefix needs a whole folder name", "/optional/bin/", "", "", "/optional/bin/"},
      {"portable", "/home/c/apps/pantrela/", "", "", "/home/c/apps/pantrela/"},
      {"environment", "/usr/bin/", "", "/data/env", "/data/env/"},
      {"option wins", "/usr/bin/", "/data/opt/", "/data/env", "/data/opt/"},
  };
  for (const auto& c : cases) {
    DataFolderChoice in{c.program, prefixes, "/home/c/.local/share/", c.option, c.env};
    EXPECT_EQ(ChooseDataFolder(in), c.expected) << c.name;
  }
  EXPECT_FALSE(IsInstalled("/usr2/bin/", prefixes));
}

TEST(CommandLine, HandOverText) {
  EXPECT_EQ(CommandLineText({}), "");
  EXPECT_EQ(CommandLineText({"/r/a.mmf"}), "/r/a.mmf");
  EXPECT_EQ(CommandLineText({"http://x.org/r?id=1"}), "http://x.org/r?id=1");
  EXPECT_EQ(CommandLineText({"/r/my file.mmf"}), "\"/r/my file.mmf\"");
  EXPECT_EQ(CommandLineText({"/r/a.mmf", "/r/b c.mxp"}), "\"/r/a.mmf\" \"/r/b c.mxp\"");
}

// A program folder with seeds and a separate data folder.
struct Fixture {
  TempDir dir;
  std::string program = dir / "prog/";
  std::string data = dir / "data/";
  Fixture() {
    CreateFolders(program);
    CreateFolders(data);
  }
  void Start(Application& app, const std::string& commandLine = "") {
    app.options.programPath = program + "pantrela";
    app.options.dataDirOverride = data;
    app.options.commandLine = commandLine;
  }
};

TEST(StartUp, LogBeginsWithTitleAndPaths) {
  Fixture fx;
  WriteBytes(fx.data + "status.log", "old run\r\n");
  Application app;
  fx.Start(app);
  ASSERT_EQ(StartUp(app), StartResult::Running);
  std::string log = ReadBytes(fx.data + "status.log");
  std::string head = "Pantrela 9.68 Status Log\r\n\r\nProgram Files 1 - " + DefaultInstallPrefixes()[0] +
                     "\r\nProgram Files 2 - /usr/\r\nApp Path - " + fx.program + "\r\nData Path - " + fx.data +
                     "\r\n\r\nGetVersionEx: ";
  EXPECT_EQ(log.substr(0, head.size()), head);
  EXPECT_EQ(log.find("old run"), std::string::npos);
  EXPECT_NE(log.find("\r\nWow64: "), std::string::npos);
  EXPECT_EQ(app.ctx.files.recipe, fx.data + "Recipe860.dat");
  EXPECT_EQ(app.ctx.files.programFolder, fx.program);
  ShutDown(app);
}

TEST(StartUp, SeedsNeverReplaceDataFiles) {
  Fixture fx;
  WriteBytes(fx.program + "z-recipe860.dat", "seed recipes");
  WriteBytes(fx.program + "z-grocery747.dat", "seed grocery");
  WriteBytes(fx.program + "z-setup747.dat", SettingsEntry("screen_font_size", "27"));
  WriteBytes(fx.data + "Grocery747.dat", "my grocery");
  Application app;
  fx.Start(app);
  ASSERT_EQ(StartUp(app), StartResult::Running);
  EXPECT_EQ(ReadBytes(fx.data + "Recipe860.dat"), "seed recipes");
  EXPECT_EQ(ReadBytes(fx.data + "Grocery747.dat"), "my grocery");
  EXPECT_EQ(Exists(fx.data + "Spell54.dat"), 0);  // no seed, nothing copied
  // The seeded settings take effect on the second read.
  EXPECT_EQ(app.ctx.settings.screen_font_size, 27);
  ShutDown(app);

  // The next start keeps what the user has.
  WriteBytes(fx.data + "Recipe860.dat", "my recipes");
  Application again;
  fx.Start(again);
  ASSERT_EQ(StartUp(again), StartResult::Running);
  EXPECT_EQ(ReadBytes(fx.data + "Recipe860.dat"), "my recipes");
  ShutDown(again);
}

TEST(StartUp, ShutDownWritesSettingsAndRemovesScratchFiles) {
  Fixture fx;
  WriteBytes(fx.data + "Setup747.dat", SettingsEntry("grocery_sort", "2"));
  ::chmod((fx.data + "Setup747.dat").c_str(), 0444);
  ::chmod(fx.data.c_str(), 0755);
  Application app;
  fx.Start(app);
  ASSERT_EQ(StartUp(app), StartResult::Running);
  struct stat st;
  ASSERT_EQ(::stat((fx.data + "Setup747.dat").c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IWUSR);  // read-only cleared
  EXPECT_EQ(app.ctx.settings.grocery_sort, 2);
  app.ctx.settings.grocery_sort = 3;
  WriteBytes(fx.data + "temp.htm", "page");
  WriteBytes(fx.data + "Temp.dat", "import");
  ShutDown(app);
  EXPECT_EQ(Exists(fx.data + "temp.htm"), 0);
  EXPECT_EQ(Exists(fx.data + "Temp.dat"), 0);
  Settings s;
  ReadSettings(s, fx.data + "Setup747.dat", WorkArea{});
  EXPECT_EQ(s.grocery_sort, 3);
  ASSERT_EQ(::stat((fx.data + "Setup747.dat").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(StartUp, StepsRunInStageOrderAndAFailedStepEnds) {
  Fixture fx;
  WriteBytes(fx.program + "z-setup747.dat", SettingsEntry("meal_time", "6"));
  std::vector<std::string> order;
  Application app;
  fx.Start(app);
  for (Stage s : {Stage::Stopped, Stage::Ready, Stage::Database, Stage::Upgrade, Stage::Window, Stage::Display,
                  Stage::Stopping})
    app.AddStep(s, "step", [&order, s](Application& a) {
      order.push_back(std::to_string(int(s)) + (a.ctx.settings.meal_time == 6 ? "+" : ""));
      return true;
    });
  ASSERT_EQ(StartUp(app), StartResult::Running);
  ShutDown(app);
  // The seed is in place (and read) between Upgrade and Database.
  EXPECT_EQ(order, (std::vector<std::string>{"0", "1", "2", "3+", "4+", "5+", "6+"}));

  Application failing;
  fx.Start(failing);
  failing.AddStep(Stage::Database, "index", [](Application&) { return false; });
  EXPECT_EQ(StartUp(failing), StartResult::Failed);
  // The lock is free again.
  int fd = AcquireInstanceLock(fx.data);
  EXPECT_GE(fd, 0);
  ReleaseInstanceLock(fd);
}

TEST(StartUp, SecondCopyLeavesItsCommandLine) {
  Fixture fx;
  Application first;
  fx.Start(first);
  ASSERT_EQ(StartUp(first), StartResult::Running);
  Application second;
  fx.Start(second, "\"/r/a.mmf\" \"/r/b.mmf\"");
  EXPECT_EQ(StartUp(second), StartResult::SecondCopy);
  EXPECT_EQ(ReadBytes(fx.data + "command.dat"), "\"/r/a.mmf\" \"/r/b.mmf\"");
  ShutDown(second);  // nothing to do for a copy that never started
  ShutDown(first);
  // After the first copy ends, a new one runs.
  Application third;
  fx.Start(third);
  EXPECT_EQ(StartUp(third), StartResult::Running);
  ShutDown(third);
}

TEST(Companion, SecondProcessHandsOverWhileTheFirstHoldsTheLock) {
  Fixture fx;
  Application first;
  fx.Start(first);
  ASSERT_EQ(StartUp(first), StartResult::Running);
  std::string out;
  EXPECT_EQ(RunCli("--data-dir " + fx.data + " open /r/new.mmf", &out), 0) << out;
  EXPECT_EQ(ReadBytes(fx.data + "command.dat"), "/r/new.mmf");
  // Any other command refuses to work beside the running copy.
  EXPECT_EQ(RunCli("--data-dir " + fx.data + " info", &out), 1);
  EXPECT_NE(out.find("already running"), std::string::npos) << out;
  // The first copy's log is untouched by the second process.
  EXPECT_EQ(ReadBytes(fx.data + "status.log").find("Pantrela 9.68 Status Log\r\n"), 0u);
  ShutDown(first);
}

TEST(Companion, ExitStatusAndInfo) {
  Fixture fx;
  std::string out;
  EXPECT_EQ(RunCli("", &out), 2);
  EXPECT_NE(out.find("usage: pantrela-cli"), std::string::npos);
  EXPECT_EQ(RunCli("--data-dir " + fx.data + " frobnicate", &out), 2);
  EXPECT_EQ(RunCli("--bogus info", &out), 2);
  EXPECT_EQ(RunCli("--data-dir", &out), 2);
  EXPECT_EQ(RunCli("--data-dir " + fx.data + " open", &out), 2);
  EXPECT_EQ(RunCli("--help", &out), 0);
  EXPECT_EQ(RunCli("--data-dir " + fx.data + " info", &out), 0) << out;
  EXPECT_NE(out.find("Data folder       " + fx.data + "\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Recipe860.dat     " + fx.data + "Recipe860.dat\n"), std::string::npos) << out;
  // The run went through the whole start-up and shut-down.
  EXPECT_EQ(ReadBytes(fx.data + "status.log").rfind("Pantrela 9.68 Status Log\r\n", 0), 0u);
  EXPECT_EQ(Exists(fx.data + "Setup747.dat"), 1);
  // A relative folder becomes a full path.
  std::string cmd0 = "cd " + fx.dir.path() + " && " + PANTRELA_CLI_PATH + " --data-dir=data3 info 2>&1";
  FILE* p0 = ::popen(cmd0.c_str(), "r");
  ASSERT_NE(p0, nullptr);
  std::string relOut;
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, p0)) > 0) relOut.append(chunk, got);
  EXPECT_EQ(::pclose(p0), 0);
  EXPECT_EQ(relOut.rfind("Data folder       " + fx.dir / "data3/\n", 0), 0u) << relOut;
  // The environment variable chooses the folder when no option is given.
  std::string envDir = fx.dir / "env/";
  std::string cmd = "PANTRELA_DATA_DIR=" + envDir + " " + PANTRELA_CLI_PATH + " --yes info 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  out.clear();
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  EXPECT_EQ(::pclose(p), 0);
  EXPECT_NE(out.find("Data folder       " + envDir + "\n"), std::string::npos) << out;
}

// The import prints what it stored and skipped; manual import marks line
// ranges of any text file.
TEST(Companion, ImportSummaryAndManualImport) {
  Fixture fx;
  const std::string xml = fx.dir / "two.xml";
  WriteBytes(xml, "<?xml version=\"1.0\"?><recipeml><recipe><head><title>Kept Stew</title><categories><cat>Soups"
                  "</cat></categories></head><directions><step>Stir.</step></directions></recipe>"
                  "<recipe><head><title>No Category</title></head></recipe></recipeml>");
  std::string out;
  EXPECT_EQ(RunCli("--data-dir " + fx.data + " import " + xml, &out), 0) << out;
  EXPECT_EQ(out, "1 recipe stored, 1 entry skipped\nskipped: two.xml, recipe 2: the recipe has no category\n");
  const std::string text = fx.dir / "note.txt";
  WriteBytes(text, "# Pancakes\r\nServes 4\r\n1 cup flour\r\n\r\n\r\nMix and fry.\r\n");
  EXPECT_EQ(RunCli("--data-dir " + fx.data + " manual-import " + text + " --list", &out), 0) << out;
  EXPECT_EQ(out, "    1  Pancakes\n    2  Serves 4\n    3  1 cup flour\n    4  \n    5  Mix and fry.\n");
  EXPECT_EQ(RunCli("--data-dir " + fx.data + " manual-import " + text + " --title 1 --ingredients 3", &out), 1);
  EXPECT_EQ(out, "You have not defined a directions segment\n");
  EXPECT_EQ(RunCli("--data-dir " + fx.data + " manual-import " + text + " --title 1 --directions 9", &out), 2);
  EXPECT_EQ(RunCli("--data-dir " + fx.data + " manual-import " + text +
                       " --title 1 --yield 2 --ingredients 3 --directions 4-5",
                   &out),
            0)
      << out;
  EXPECT_EQ(RunCli("--data-dir " + fx.data + " show Pancakes", &out), 0) << out;
  EXPECT_EQ(out, "Pancakes\nServes 4\n\n1 cup flour\n\n\nMix and fry.\n\n");
}

TEST(Companion, NewDataFolderStartsWithTheStarterRecipes) {
  // The seeds beside the executable give a new collection its starter
  // recipes, each in the chapter of its category; the index is built on the
  // first start.
  Fixture fx;
  std::string out;
  ASSERT_EQ(RunCli("--data-dir " + fx.data + " list", &out), 0) << out;
  EXPECT_NE(out.find("Tomato Lentil Soup\tSoups\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Buttermilk Pancakes\tBreakfast\n"), std::string::npos) << out;
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 5) << out;
  EXPECT_EQ(Exists(fx.data + "Index860.dat"), 1);
  // A second start keeps the collection as it is.
  ASSERT_EQ(RunCli("--yes --data-dir " + fx.data + " delete-chapter Soups", &out), 0) << out;
  ASSERT_EQ(RunCli("--data-dir " + fx.data + " list", &out), 0) << out;
  EXPECT_EQ(out.find("Tomato Lentil Soup"), std::string::npos) << out;
}

// Every command, info included, runs the whole start-up: the master index
// is loaded and verified (and built or rebuilt) before the command.
TEST(Companion, InfoLoadsAndVerifiesTheIndex) {
  Fixture fx;
  std::string out;
  ASSERT_EQ(RunCli("--data-dir " + fx.data + " info", &out), 0) << out;
  EXPECT_EQ(Exists(fx.data + "Index860.dat"), 1);
  EXPECT_NE(ReadBytes(fx.data + "status.log").find("Load Master Index: Index file is missing"), std::string::npos);
  // A damaged index is rebuilt by the next start, whatever the command.
  WriteBytes(fx.data + "Index860.dat", "short");
  ASSERT_EQ(RunCli("--data-dir " + fx.data + " info", &out), 0) << out;
  EXPECT_NE(ReadBytes(fx.data + "status.log").find("Load Master Index: Index file is too small"), std::string::npos);
  EXPECT_GT(ReadBytes(fx.data + "Index860.dat").size(), 120u);
}

TEST(Companion, RecipesAsJson) {
  Fixture fx;
  std::string out;
  ASSERT_EQ(RunCli("--data-dir " + fx.data + " show --json \"Tomato Lentil Soup\"", &out), 0) << out;
  EXPECT_EQ(out.rfind("{\"title\": \"Tomato Lentil Soup\", \"chapter\": \"Soups\", \"servings\": 4, "
                      "\"ingredients\": [\"2 tablespoons Olive oil\", ",
                      0),
            0u)
      << out;
  EXPECT_NE(out.find("\"kind\": \"recipe\", \"record_id\": "), std::string::npos) << out;
  EXPECT_EQ(out.size() - out.find("\"photo\": null}\n"), 15u) << out;
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
  // The list: an array with one object a line.
  ASSERT_EQ(RunCli("--data-dir " + fx.data + " list --json", &out), 0) << out;
  EXPECT_EQ(out.rfind("[\n{\"title\": \"Buttermilk Pancakes\", \"chapter\": \"Breakfast\", ", 0), 0u) << out;
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 7) << out;
  EXPECT_EQ(std::count(out.begin(), out.end(), '{'), 5) << out;
  EXPECT_EQ(out.substr(out.size() - 4), "}\n]\n") << out;
  ASSERT_EQ(RunCli("--data-dir " + fx.data + " list --chapter Soups --json", &out), 0) << out;
  EXPECT_EQ(out.rfind("[\n{\"title\": \"Tomato Lentil Soup\", ", 0), 0u) << out;
  EXPECT_EQ(std::count(out.begin(), out.end(), '{'), 1) << out;
  ASSERT_EQ(RunCli("--data-dir " + fx.data + " add-chapter Empty", &out), 0) << out;
  ASSERT_EQ(RunCli("--data-dir " + fx.data + " list --json --chapter Empty", &out), 0) << out;
  EXPECT_EQ(out, "[]\n");
  EXPECT_EQ(RunCli("--data-dir " + fx.data + " list --json --chapter Missing", &out), 1) << out;
  EXPECT_EQ(RunCli("--data-dir " + fx.data + " show --json \"No Such\"", &out), 1) << out;
  EXPECT_EQ(RunCli("--data-dir " + fx.data + " show --json", &out), 2) << out;
}

TEST(Companion, TerminalDialogsShowTheProgramsText) {
  AppContext ctx;
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  TerminalDialogs plain(ctx, false, f);
  EXPECT_EQ(plain.Message("Delete the recipe?||It is gone for good.", "OK|Cancel", 2), 2);
  TerminalDialogs yes(ctx, true, f);
  EXPECT_EQ(yes.Message("Delete the recipe?", "OK|Cancel", 2), 1);
  EXPECT_EQ(yes.Message("Caf\xE9 done", "OK", 1), 1);
  std::vector<FormField> fields;
  EXPECT_EQ(plain.Form("Add Grocery Item", "Item|Store", 1, "OK|Cancel", 79, fields), 1);
  EXPECT_EQ(fields.size(), 2u);
  plain.ProgressOpen();
  plain.ProgressUpdate("Importing", "x", 5, 10);  // not a terminal: no bar
  plain.ProgressClose();
  EXPECT_FALSE(plain.ProgressStop());
  ctx.quit = 1;
  EXPECT_TRUE(plain.ProgressStop());
  std::rewind(f);
  std::string text;
  char buf[1024];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  std::fclose(f);
  EXPECT_EQ(text,
            "Delete the recipe?\n\nIt is gone for good.\n(OK/Cancel): Cancel\n"
            "Delete the recipe?\n(OK/Cancel): OK\n"
            "Caf\xC3\xA9 done\n"
            "Add Grocery Item\n  Item: \n  Store: \n(OK/Cancel): OK\n");
  EXPECT_EQ(cli::TerminalText("Line 1\rLine 2\r\n\xBD cup"), "Line 1\nLine 2\n\xC2\xBD cup");
}

}  // namespace
}  // namespace pantrela
