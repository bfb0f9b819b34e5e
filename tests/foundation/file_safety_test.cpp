// The file layer against hostile data folders (links, special files) and
// failing system calls (a full disk, an I/O error).
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <gtest/gtest.h>

#include "foundation/context.h"
#include "foundation/file.h"
#include "foundation/settings.h"
#include "support/file_faults.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

namespace pantrela {
namespace {

using testing::FileFault;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

unsigned ModeOf(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 ? unsigned(st.st_mode & 07777) : 0u;
}

bool IsLink(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// Every writer of the file layer, pointed at a link in the data folder whose
// target lies outside it: the target keeps its bytes and its mode.
TEST(FileSafety, WritersNeverWriteThroughALink) {
  struct Case {
    const char* name;
    std::function<void(const std::string& link)> run;
  };
  const Case cases[] = {
      {"open to write", [](const std::string& l) { EXPECT_FALSE(File::Open(OpenMode::Write, l).valid()); }},
      {"open to append", [](const std::string& l) { EXPECT_FALSE(File::Open(OpenMode::Append, l).valid()); }},
      {"open to update", [](const std::string& l) { EXPECT_FALSE(File::Open(OpenMode::Update, l).valid()); }},
      {"copy onto", [](const std::string& l) {
         WriteBytes(l + ".src", "copied");
         EXPECT_FALSE(CopyFileBytes(l + ".src", l));
       }},
      {"clear read-only", [](const std::string& l) { ClearReadOnly(l); }},
      {"atomic rewrite", [](const std::string& l) {
         // The link itself is replaced by the new file.
         ASSERT_TRUE(WriteFileAtomic(l, "new", 0600));
         EXPECT_FALSE(IsLink(l));
         EXPECT_EQ(ReadBytes(l), "new");
       }},
      {"delete", [](const std::string& l) {
         EXPECT_TRUE(DeleteFile(l));
         EXPECT_EQ(Exists(l), 0);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir data, outside;
    const std::string target = outside / "precious.dat";
    WriteBytes(target, "precious bytes");
    ::chmod(target.c_str(), 0444);
    const std::string link = data / "Recipe860.dat";
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    c.run(link);
    EXPECT_EQ(ReadBytes(target), "precious bytes");
    EXPECT_EQ(ModeOf(target), 0444u);
  }
}

TEST(FileSafety, TemporaryNamesAreFreshAndExclusive) {
  TempDir data, outside;
  const std::string target = outside / "victim.dat";
  WriteBytes(target, "victim");
  ::chmod(target.c_str(), 0444);
  // Links under the names a rewrite of this process could be guessed to use.
  const std::string path = data / "Index860.dat";
  for (const std::string& guess : {path + ".tmp" + std::to_string(::getpid()), path + ".tmp"})
    ASSERT_EQ(::symlink(target.c_str(), guess.c_str()), 0);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(WriteFileAtomic(path, "index " + std::to_string(i)));
  EXPECT_EQ(ReadBytes(path), "index 2");
  EXPECT_EQ(ReadBytes(target), "victim");
  EXPECT_EQ(ModeOf(target), 0444u);
}

TEST(FileSafety, ReadingNeverCreatesThroughADanglingLink) {
  TempDir data, outside;
  const std::string target = outside / "created-elsewhere.dat";
  const std::string link = data / "Setup747.dat";
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  File f = File::Open(OpenMode::Read, link);
  EXPECT_FALSE(f.valid());
  EXPECT_EQ(Exists(target), 0);
  // Settings read through it start from the defaults; the save replaces the
  // link by a file of the data folder.
  Settings s;
  ReadSettings(s, link, WorkArea{});
  EXPECT_EQ(Exists(target), 0);
  ASSERT_TRUE(WriteSettings(s, link));
  EXPECT_FALSE(IsLink(link));
  EXPECT_EQ(Exists(target), 0);
}

TEST(FileSafety, FoldersBehindLinksAreNeverEmptied) {
  TempDir data, outside;
  WriteBytes(outside / "keep.txt", "keep");
  CreateFolders(outside / "sub");
  WriteBytes(outside / "sub/deep.txt", "deep");
  const std::string temp = data / "temp";
  ASSERT_EQ(::symlink(outside.path().c_str(), temp.c_str()), 0);
  EmptyFolder(temp + "/");
  EXPECT_FALSE(IsLink(temp));
  EXPECT_EQ(ReadBytes(outside / "keep.txt"), "keep");
  EXPECT_EQ(ReadBytes(outside / "sub/deep.txt"), "deep");

  // A real folder holding a link to a folder: the link goes, not its target.
  ASSERT_TRUE(MakeRealFolder(temp + "/"));
  ASSERT_EQ(::symlink(outside.path().c_str(), (temp + "/inner").c_str()), 0);
  WriteBytes(temp + "/own.txt", "own");
  EmptyFolder(temp + "/");
  EXPECT_TRUE(IsDirectory(temp));
  EXPECT_EQ(Exists(temp + "/own.txt"), 0);
  EXPECT_EQ(Exists(temp + "/inner"), 0);
  EXPECT_EQ(ReadBytes(outside / "sub/deep.txt"), "deep");

  // A link in a folder's place is replaced by a real folder.
  ::rmdir(temp.c_str());
  ASSERT_EQ(::symlink(outside.path().c_str(), temp.c_str()), 0);
  ASSERT_TRUE(MakeRealFolder(temp + "/"));
  EXPECT_FALSE(IsLink(temp));
  EXPECT_TRUE(IsDirectory(temp));
  EXPECT_EQ(ReadBytes(outside / "keep.txt"), "keep");
}

// Files that are not regular files are refused at once, never opened to
// block; the reason names what is wrong.
TEST(FileSafety, SpecialFilesAreRefusedAtOnce) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
  CreateFolders(dir / "folder");
  ASSERT_EQ(::symlink((dir / "loop").c_str(), (dir / "loop").c_str()), 0);
  int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::string sockPath = dir / "sock";
  const bool haveSocket = sockPath.size() < sizeof addr.sun_path;
  if (haveSocket) {
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", sockPath.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  }
  WriteBytes(dir / "plain.txt", "text");

  struct Case {
    std::string path;
    std::string reason;
  } cases[] = {
      {dir / "fifo", "is not a regular file"},
      {dir / "folder", "is a folder"},
      {dir / "missing.txt", "does not exist"},
      {dir / "loop", "cannot be read: too many levels of symbolic links"},
      {"/dev/null", "is not a regular file"},
      {dir / "plain.txt", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(UnreadableReason(c.path), c.reason);
    // (Reading a missing file creates it empty.)
    File f = File::Open(OpenMode::Read, c.path);
    EXPECT_EQ(f.valid(), c.reason.empty() || c.reason == "does not exist");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  }
  if (haveSocket) {
    EXPECT_EQ(UnreadableReason(sockPath), "is not a regular file");
  }
  ::close(sock);
  if (::geteuid() != 0) {
    ::chmod((dir / "plain.txt").c_str(), 0);
    EXPECT_EQ(UnreadableReason(dir / "plain.txt"), "cannot be read: permission denied");
  }
}

TEST(FileSafety, NewFilesKeepTheUmask) {
  TempDir dir;
  const mode_t old = ::umask(077);
  ASSERT_TRUE(WriteFileAtomic(dir / "Index860.dat", "x"));
  ASSERT_TRUE(WriteFileAtomic(dir / "Setup747.dat", "x", 0600));
  ::umask(old);
  EXPECT_EQ(ModeOf(dir / "Index860.dat"), 0600u);
  EXPECT_EQ(ModeOf(dir / "Setup747.dat"), 0600u);
  ::umask(022);
  ASSERT_TRUE(WriteFileAtomic(dir / "Index860.dat", "y"));
  ASSERT_TRUE(WriteFileAtomic(dir / "Setup747.dat", "y", 0600));
  ::umask(old);
  EXPECT_EQ(ModeOf(dir / "Index860.dat"), 0644u);
  EXPECT_EQ(ModeOf(dir / "Setup747.dat"), 0600u);
}

TEST(FileSafety, AtomicTempNames) {
  struct Case {
    const char* name;
    bool ours;
  } cases[] = {
      {"Index860.dat.tmp1234", true},     {"Index860.dat.tmp1234.5678", true}, {"Index860.dat.tmp", false},
      {"Index860.dat.tmpx", false},       {"Index860.dat", false},             {"Index860.dat.tmp12/3", false},
      {"Other.dat.tmp1234", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsAtomicTempName(c.name, "/data/Index860.dat"), c.ours) << c.name;
}

// Each failing call of a whole-file rewrite: the old file stays as it was,
// no temporary file is left, the failure and its reason come back.
TEST(FileSafety, AtomicRewriteOnAFailingDisk) {
  struct Case {
    FileFault::Call call;
    int error;
  } cases[] = {
      {FileFault::kOpen, ENOSPC},
      {FileFault::kWrite, ENOSPC},
      {FileFault::kWrite, EIO},
      {FileFault::kSync, EIO},
      {FileFault::kRename, EIO},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.call));
    TempDir dir;
    WriteBytes(dir / "Index860.dat", "old index");
    {
      FileFault fault(c.call, 1, c.error);
      errno = 0;
      EXPECT_FALSE(WriteFileAtomic(dir / "Index860.dat", "new index"));
      EXPECT_EQ(errno, c.error);
      EXPECT_EQ(fault.failures(), 1);
    }
    EXPECT_EQ(ReadBytes(dir / "Index860.dat"), "old index");
    EXPECT_EQ(Exists(dir / "Index860.dat.tmp*"), 0);
  }
}

TEST(FileSafety, ShortWritesAndFailedSyncsAreReported) {
  TempDir dir;
  File f = File::Open(OpenMode::Write, dir / "out.dat");
  ASSERT_TRUE(f.valid());
  {
    FileFault fault(FileFault::kWrite, 1, ENOSPC);
    EXPECT_FALSE(f.WriteAll("abc"));
    EXPECT_EQ(f.lastError(), ENOSPC);
    EXPECT_FALSE(f.WriteText("line", true));
  }
  {
    FileFault fault(FileFault::kSync, 1, EIO);
    EXPECT_FALSE(f.Sync());
    EXPECT_EQ(f.lastError(), EIO);
  }
  EXPECT_TRUE(f.WriteAll("abc"));
  EXPECT_TRUE(f.Sync());
}

TEST(FileSafety, SettingsSaveOnAFullDiskSaysSoAndKeepsTheOldFile) {
  TempDir dir;
  AppContext ctx;
  ctx.SetFolders(dir.path(), dir.path());
  testing::ScriptedDialogs dialogs;
  ctx.SetDialogs(&dialogs);
  ctx.settings.window_x = 11;
  ASSERT_TRUE(SaveSettings(ctx));
  const std::string before = ReadBytes(ctx.files.settings);
  ctx.settings.window_x = 99;
  {
    FileFault fault(FileFault::kWrite, 1, ENOSPC);
    EXPECT_FALSE(SaveSettings(ctx));
  }
  EXPECT_EQ(ReadBytes(ctx.files.settings), before);
  ASSERT_FALSE(dialogs.shown.empty());
  EXPECT_EQ(dialogs.shown.back().text, "Unable to write Setup747.dat:|No space left on device");
}

}  // namespace
}  // namespace pantrela
