// The program and pantrela-cli on hostile data folders: links placed where
// the program writes, leftovers of killed runs, special files to import,
// and a second start beside a running copy.
#include <minizip/zip.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>

#include "app/app_startup.h"
#include "foundation/file.h"
#include "support/temp_dir.h"

namespace pantrela {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

struct CliRun {
  int status = -1;
  std::string output;  // standard output and error
  double seconds = 0;
};

CliRun Cli(const std::string& data, const std::string& args) {
  CliRun r;
  const auto start = std::chrono::steady_clock::now();
  std::string cmd = std::string(PANTRELA_CLI_PATH) + " --yes --data-dir " + data + " " + args + " 2>&1 </dev/null";
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
  int status = ::pclose(p);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return r;
}

unsigned ModeOf(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 ? unsigned(st.st_mode & 07777) : 0u;
}

const char* kRecipes =
    "---------- Recipe via Meal-Master (tm) v8.01\r\n      Title: Pie\r\n Categories: Pies\r\n\r\n"
    "      1 c  Flour\r\n\r\n  Bake.\r\n-----\r\n\r\n"
    "---------- Recipe via Meal-Master (tm) v8.01\r\n      Title: Tart\r\n Categories: Pies\r\n\r\n"
    "      2 c  Flour\r\n\r\n  Bake.\r\n-----\r\n";

void WriteZip(const std::string& path, const std::string& name, const std::string& data) {
  zipFile z = zipOpen64(path.c_str(), 0);
  ASSERT_TRUE(z);
  zip_fileinfo zi{};
  zipOpenNewFileInZip64(z, name.c_str(), &zi, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 9, 0);
  zipWriteInFileInZip(z, data.data(), unsigned(data.size()));
  zipCloseFileInZip(z);
  zipClose(z, nullptr);
}

// Links placed where import, clean-up and start-up write: every target
// outside the data folder keeps its bytes and its mode.
TEST(HostileDataFolder, LinksPlacedInTheDataFolderAreNeverWrittenThrough) {
  struct Case {
    const char* name;
    const char* linkName;  // in the data folder
    bool targetIsFolder;
    const char* command;  // pantrela-cli command run afterwards
  } cases[] = {
      {"scratch folder, zipped import", "temp", true, "import book.mz2"},
      {"scratch folder, plain import", "temp", true, "import pies.mmf"},
      {"compaction file", "Recipe860.bak", false, "cleanup"},
      {"read-only recipe file", "Recipe860.dat", false, "list"},
      {"old temporary name of the index", "Index860.dat.tmp1", false, "cleanup"},
      {"old temporary name of the settings", "Setup747.dat.tmp1", false, "info"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir data, outside;
    WriteBytes(data / "pies.mmf", kRecipes);
    WriteZip(data / "book.mz2", "r.mx2", "<!DOCTYPE mx2 SYSTEM>");
    if (std::string(c.linkName) != "Recipe860.dat") {
      CliRun first = Cli(data.path(), "import " + data / "pies.mmf");
      ASSERT_EQ(first.status, 0) << first.output;
    }
    std::string target = outside / "target";
    if (c.targetIsFolder) {
      CreateFolders(target + "/");
      WriteBytes(target + "/keep.txt", "keep");
    } else {
      WriteBytes(target, "precious");
    }
    ::chmod(target.c_str(), c.targetIsFolder ? 0555 : 0444);
    ASSERT_EQ(::symlink(target.c_str(), (data / c.linkName).c_str()), 0);

    std::string command = c.command;
    if (command.rfind("import ", 0) == 0) command = "import " + data / command.substr(7);
    CliRun run = Cli(data.path(), command);
    ::chmod(target.c_str(), 0755);
    if (c.targetIsFolder) {
      EXPECT_EQ(ReadBytes(target + "/keep.txt"), "keep");
      EXPECT_EQ(Exists(target + "/r.mx2"), 0);
    } else {
      EXPECT_EQ(ReadBytes(target), "precious") << run.output;
      ::chmod(target.c_str(), 0444);
      EXPECT_EQ(ModeOf(target), 0444u);
    }
  }
}

TEST(HostileDataFolder, DanglingSettingsLinkCreatesNothing) {
  TempDir data, outside;
  const std::string target = outside / "created-by-us";
  ASSERT_EQ(::symlink(target.c_str(), (data / "Setup747.dat").c_str()), 0);
  CliRun run = Cli(data.path(), "info");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(Exists(target), 0);
}

TEST(HostileDataFolder, StartUpRemovesLeftoversOfKilledRuns) {
  TempDir data, outside;
  WriteBytes(outside / "target", "precious");
  struct Case {
    const char* name;
    bool link;
    bool staysAfterStart;
  } cases[] = {
      {"Index860.dat.tmp4242", false, false},      {"Setup747.dat.tmp17.3", false, false},
      {"Recipe860.bak", false, false},             {"command.dat.tmp9", false, false},
      {"Index860.dat.tmp5151", true, true},        {"Index860.dat.tmpfoo", false, true},
      {"notes.tmp1", false, true},
  };
  for (const Case& c : cases) {
    if (c.link) ASSERT_EQ(::symlink((outside / "target").c_str(), (data / c.name).c_str()), 0);
    else WriteBytes(data / c.name, "left over");
  }
  CliRun run = Cli(data.path(), "info");
  EXPECT_EQ(run.status, 0) << run.output;
  for (const Case& c : cases) {
    struct stat st;
    EXPECT_EQ(::lstat((data / c.name).c_str(), &st) == 0, c.staysAfterStart) << c.name;
  }
  EXPECT_EQ(ReadBytes(outside / "target"), "precious");
}

TEST(HostileDataFolder, SpecialFilesGetTheirMessageWithinASecond) {
  TempDir data;
  ASSERT_EQ(::mkfifo((data / "pipe.mmf").c_str(), 0644), 0);
  CreateFolders(data / "folder.mmf/");
  struct Case {
    std::string args;
    std::string message;
  } cases[] = {
      {"import " + data / "pipe.mmf", "pipe.mmf is not a regular file"},
      {"import --format 19 " + data / "pipe.mmf", "pipe.mmf is not a regular file"},
      {"import " + data / "folder.mmf", "folder.mmf is a folder"},
      {"import " + data / "nothing.mmf", "nothing.mmf does not exist"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    CliRun run = Cli(data.path(), c.args);
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_LT(run.seconds, 1.5);
  }
  // The lock was let go: the next start runs.
  EXPECT_EQ(Cli(data.path(), "info").status, 0);
}

// A second start beside a running copy hands its command line over and
// ends without touching the running copy's status log.
TEST(HostileDataFolder, ASecondStartLeavesTheRunningCopysLogAlone) {
  TempDir dir;
  const std::string data = dir / "data/";
  CreateFolders(data);
  Application first;
  first.options.programPath = dir / "prog/pantrela";
  first.options.dataDirOverride = data;
  ASSERT_EQ(StartUp(first), StartResult::Running);
  first.ctx.Log("a line of the running copy");
  const std::string log = ReadBytes(data + "status.log");

  Application second;
  second.options.programPath = dir / "prog/pantrela";
  second.options.dataDirOverride = data;
  second.options.commandLine = "/r/a.mmf";
  EXPECT_EQ(StartUp(second), StartResult::SecondCopy);
  EXPECT_EQ(ReadBytes(data + "command.dat"), "/r/a.mmf");
  EXPECT_EQ(Cli(data, "list").status, 1);
  EXPECT_EQ(Cli(data, "open /r/b.mmf").status, 0);
  EXPECT_EQ(ReadBytes(data + "command.dat"), "/r/b.mmf");
  EXPECT_EQ(ReadBytes(data + "status.log"), log);
  ShutDown(first);
}

}  // namespace
}  // namespace pantrela
