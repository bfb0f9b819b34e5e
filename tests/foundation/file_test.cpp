#include "foundation/file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace pantrela {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

TEST(File, OpenModes) {
  TempDir dir;
  // "i" creates a missing file empty.
  {
    File f = File::Open('i', dir / "new.txt");
    EXPECT_TRUE(f.valid());
    EXPECT_EQ(f.Size(), 0u);
  }
  EXPECT_EQ(Exists(dir / "new.txt"), 1);

  WriteBytes(dir / "a.txt", "abc");
  EXPECT_EQ(File::Open('a', dir / "a.txt").Write(std::string_view("def")), 3);
  EXPECT_EQ(ReadBytes(dir / "a.txt"), "abcdef");

  EXPECT_EQ(File::Open('o', dir / "a.txt").Write(std::string_view("x")), 1);
  EXPECT_EQ(ReadBytes(dir / "a.txt"), "x");

  // "u" reads and writes in place without truncating.
  WriteBytes(dir / "u.txt", "12345");
  {
    File f = File::Open('u', dir / "u.txt");
    f.Seek(2);
    EXPECT_EQ(f.Write(std::string_view("ab")), 2);
    f.Seek(0);
    EXPECT_EQ(f.ReadBytes(10), "12ab5");
  }

  // An unknown letter opens nothing and creates nothing.
  File bad = File::Open('x', dir / "none.txt");
  EXPECT_FALSE(bad.valid());
  EXPECT_EQ(Exists(dir / "none.txt"), 0);
  EXPECT_EQ(bad.Size(), 0u);
  EXPECT_EQ(bad.Tell(), 0u);
  char buf[4] = {'k', 'k', 'k', 'k'};
  EXPECT_EQ(bad.Read(buf, 4), 0);
  EXPECT_EQ(buf[0], 'k');
  EXPECT_EQ(bad.Write(std::string_view("zz")), 0);
}

TEST(File, WriteTextAddsCrLfWithTheFlag) {
  TempDir dir;
  {
    File f = File::Open('o', dir / "t.txt");
    f.WriteText("one", true);
    f.WriteText("two", false);
  }
  EXPECT_EQ(ReadBytes(dir / "t.txt"), "one\r\ntwo");
}

std::vector<std::string> ReadAllLines(const std::string& path, int strip) {
  std::vector<std::string> lines;
  File f = File::Open('i', path);
  std::string line = "<unset>";
  while (!f.AtEnd()) {
    f.ReadLine(line, strip);
    lines.push_back(line);
  }
  return lines;
}

TEST(File, ReadLineBreakRules) {
  struct Case {
    const char* name;
    std::string bytes;
    int strip;
    std::vector<std::string> lines;
  } cases[] = {
      {"CR LF keeps the CR", "abc\r\ndef", 0, {"abc\r", "def"}},
      {"CR LF stripped", "abc\r\ndef", 1, {"abc", "def"}},
      {"bare LF gets a CR mark", "abc\ndef\n", 0, {"abc\r", "def\r"}},
      {"bare LF stripped", "abc\ndef\n", 1, {"abc", "def"}},
      {"bare CR", "a\rb", 0, {"a\r", "b"}},
      {"LF before CR", "\n\rx", 0, {"\r", "\r", "x"}},
      {"empty lines", "\r\n\r\nz", 1, {"", "", "z"}},
  };
  for (const auto& c : cases) {
    TempDir dir;
    WriteBytes(dir / "l.txt", c.bytes);
    EXPECT_EQ(ReadAllLines(dir / "l.txt", c.strip), c.lines) << c.name;
  }
}

TEST(File, ReadLineCutsLongLinesAtTheLastSpace) {
  TempDir dir;
  std::string text;
  while (text.size() < 1000) text += "word" + std::to_string(text.size() % 7) + " ";
  text.resize(1000);
  WriteBytes(dir / "long.txt", text);
  std::vector<std::string> pieces = ReadAllLines(dir / "long.txt", 1);
  std::string joined;
  for (size_t i = 0; i < pieces.size(); ++i) {
    EXPECT_LE(pieces[i].size(), 256u);
    if (i + 1 < pieces.size()) {
      EXPECT_EQ(pieces[i].back(), ' ');
    }
    joined += pieces[i];
  }
  EXPECT_EQ(joined, text);
  EXPECT_GE(pieces.size(), 4u);

  // Without any space the line comes in 260-byte reads.
  WriteBytes(dir / "solid.txt", std::string(1000, 'x'));
  std::vector<std::string> solid = ReadAllLines(dir / "solid.txt", 1);
  ASSERT_EQ(solid.size(), 4u);
  EXPECT_EQ(solid[0].size(), 260u);
  EXPECT_EQ(solid[3].size(), 220u);
}

TEST(File, ReadLineAcrossLargeFilesAndSeeks) {
  TempDir dir;
  std::string text;
  std::vector<std::string> expected;
  for (int i = 0; text.size() < 200000; ++i) {
    std::string line = "line " + std::to_string(i) + std::string(size_t(i % 50), 'x');
    expected.push_back(line);
    text += line + (i % 3 ? "\r\n" : "\n");
  }
  WriteBytes(dir / "big.txt", text);
  EXPECT_EQ(ReadAllLines(dir / "big.txt", 1), expected);
  File f = File::Open('i', dir / "big.txt");
  std::string line;
  f.ReadLine(line, 1);
  f.Seek(text.size() - 10);
  f.ReadLine(line, 1);
  EXPECT_EQ(line, text.substr(text.size() - 10, text.back() == '\n' ? 10 - (text[text.size() - 2] == '\r' ? 2 : 1) : 10));
  f.Seek(0);
  f.ReadLine(line, 1);
  EXPECT_EQ(line, expected[0]);
  EXPECT_EQ(f.Tell(), 7u);  // "line 0" LF
}

TEST(File, ReadLineAtTheEndKeepsThePreviousLine) {
  TempDir dir;
  WriteBytes(dir / "one.txt", "only\r\n");
  File f = File::Open('i', dir / "one.txt");
  std::string line;
  f.ReadLine(line, 1);
  EXPECT_EQ(line, "only");
  EXPECT_TRUE(f.AtEnd());
  f.ReadLine(line, 1);
  EXPECT_EQ(line, "only");
}

TEST(File, ExistsMatchesWildcardsOnly) {
  TempDir dir;
  WriteBytes(dir / "Recipe860.dat", "x");
  WriteBytes(dir / "odd[1].txt", "x");
  EXPECT_EQ(Exists(dir / "Recipe860.dat"), 1);
  EXPECT_EQ(Exists(dir / "*.dat"), 1);
  EXPECT_EQ(Exists(dir / "Recipe86?.dat"), 1);
  EXPECT_EQ(Exists(dir / "*.mmf"), 0);
  EXPECT_EQ(Exists(dir / "odd[1].txt"), 1);
  EXPECT_EQ(Exists(dir / "odd[1]*"), 1);
  EXPECT_EQ(Exists(dir / "odd1.txt"), 0);
  EXPECT_EQ(Exists(""), 0);
}

TEST(File, FoldersAndDeletion) {
  TempDir dir;
  // One level only: a missing parent is ignored.
  CreateFolder(dir / "one/");
  EXPECT_TRUE(IsDirectory(dir / "one"));
  CreateFolder(dir / "missing/two/");
  EXPECT_FALSE(IsDirectory(dir / "missing"));
  CreateFolder(dir / "one/");  // existing: no error

  ASSERT_TRUE(CreateFolders(dir / "tree/a/b"));
  WriteBytes(dir / "tree/a/b/f.txt", "1");
  WriteBytes(dir / "tree/g.txt", "2");
  DeleteTree(dir / "tree/");
  EXPECT_EQ(Exists(dir / "tree"), 0);

  // A link to a folder goes; the linked folder keeps its contents.
  ASSERT_TRUE(CreateFolders(dir / "kept"));
  WriteBytes(dir / "kept/k.txt", "3");
  ASSERT_EQ(::symlink((dir / "kept").c_str(), (dir / "link").c_str()), 0);
  DeleteTree(dir / "link/");
  EXPECT_EQ(Exists(dir / "link"), 0);
  EXPECT_EQ(ReadBytes(dir / "kept/k.txt"), "3");
}

TEST(File, ClearReadOnlyKeepsOtherBits) {
  TempDir dir;
  WriteBytes(dir / "ro.dat", "x");
  ::chmod((dir / "ro.dat").c_str(), 0444);
  ClearReadOnly(dir / "ro.dat");
  struct stat st;
  ASSERT_EQ(::stat((dir / "ro.dat").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);
  ClearReadOnly(dir / "missing.dat");  // nothing happens
  EXPECT_EQ(Exists(dir / "missing.dat"), 0);
}

TEST(File, CanCreate) {
  TempDir dir;
  EXPECT_TRUE(CanCreate(dir / "out.txt"));
  EXPECT_EQ(Exists(dir / "out.txt"), 0);
  WriteBytes(dir / "keep.txt", "data");
  EXPECT_TRUE(CanCreate(dir / "keep.txt"));
  EXPECT_EQ(ReadBytes(dir / "keep.txt"), "data");
  EXPECT_FALSE(CanCreate(dir / "no/such/folder/out.txt"));
  if (::geteuid() != 0) {
    CreateFolders(dir / "locked");
    ::chmod((dir / "locked").c_str(), 0555);
    EXPECT_FALSE(CanCreate(dir / "locked/out.txt"));
    EXPECT_EQ(Exists(dir / "locked/out.txt"), 0);
    ::chmod((dir / "locked").c_str(), 0755);
  }
}

TEST(File, ShellDeleteToTrashOrPlain) {
  TempDir dir;
  std::string oldData = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
  ::setenv("XDG_DATA_HOME", (dir / "share").c_str(), 1);
  WriteBytes(dir / "a.txt", "A");
  ShellDelete(true, dir / "a.txt");
  EXPECT_EQ(Exists(dir / "a.txt"), 0);
  EXPECT_EQ(ReadBytes(dir / "share/Trash/files/a.txt"), "A");
  std::string info = ReadBytes(dir / "share/Trash/info/a.txt.trashinfo");
  EXPECT_EQ(info.rfind("[Trash Info]\nPath=", 0), 0u) << info;
  // A second item of the same name gets its own trash name.
  WriteBytes(dir / "a.txt", "B");
  ShellDelete(true, dir / "a.txt");
  EXPECT_EQ(ReadBytes(dir / "share/Trash/files/a.txt.2"), "B");

  WriteBytes(dir / "x1.tmp", "1");
  WriteBytes(dir / "x2.tmp", "2");
  ShellDelete(false, dir / "x*.tmp");
  EXPECT_EQ(Exists(dir / "x*.tmp"), 0);
  // A wildcard that also finds "." and ".." takes only the real items.
  CreateFolders(dir / "box/inner");
  WriteBytes(dir / "box/inner/.hidden", "h");
  WriteBytes(dir / "box/keep.txt", "k");
  ShellDelete(false, dir / "box/inner/.*");
  EXPECT_EQ(Exists(dir / "box/inner/.hidden"), 0);
  EXPECT_TRUE(IsDirectory(dir / "box/inner"));
  EXPECT_EQ(ReadBytes(dir / "box/keep.txt"), "k");
  if (oldData.empty()) ::unsetenv("XDG_DATA_HOME");
  else ::setenv("XDG_DATA_HOME", oldData.c_str(), 1);
}

TEST(File, WriteFileAtomicReplacesWholeFile) {
  TempDir dir;
  WriteBytes(dir / "s.dat", "old contents that are longer");
  ASSERT_TRUE(WriteFileAtomic(dir / "s.dat", std::string("new\0bytes", 9), 0600));
  EXPECT_EQ(ReadBytes(dir / "s.dat"), std::string("new\0bytes", 9));
  struct stat st;
  ASSERT_EQ(::stat((dir / "s.dat").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(Exists(dir / "s.dat.tmp*"), 0);
  EXPECT_FALSE(WriteFileAtomic(dir / "no/folder/s.dat", "x"));
}

TEST(File, CreateFreshReplacesALinkInsteadOfWritingThroughIt) {
  TempDir dir, outside;
  WriteBytes(outside / "victim.dat", "keep");
  ASSERT_EQ(::symlink((outside / "victim.dat").c_str(), (dir / "work.dat").c_str()), 0);
  File f = File::CreateFresh(dir / "work.dat");
  ASSERT_TRUE(f.valid());
  EXPECT_EQ(f.Write("new"), 3);
  f.Close();
  EXPECT_EQ(ReadBytes(outside / "victim.dat"), "keep");
  EXPECT_EQ(ReadBytes(dir / "work.dat"), "new");
  struct stat st;
  ASSERT_EQ(::lstat((dir / "work.dat").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

}  // namespace
}  // namespace pantrela
