// Imports against what a hostile or broken data folder does: unreadable and
// special files, a full disk, links in the scratch folder, archives that
// unpack far beyond their size.
#include <minizip/zip.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

#include "foundation/file.h"
#include "import/import_files.h"
#include "import/import_formats.h"
#include "import_fixture.h"
#include "support/file_faults.h"

namespace pantrela::testing {
namespace {

std::string MealMaster(int recipes) {
  std::string text;
  for (int i = 0; i < recipes; ++i)
    text += "---------- Recipe via Meal-Master (tm) v8.01\r\n      Title: Dish " + std::to_string(i) +
            "\r\n Categories: Mains\r\n\r\n      1 c  Rice\r\n\r\n  Cook.\r\n-----\r\n\r\n";
  return text;
}

void WriteZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries) {
  zipFile z = zipOpen64(path.c_str(), 0);
  ASSERT_TRUE(z);
  for (const auto& [name, data] : entries) {
    zip_fileinfo zi{};
    ASSERT_EQ(zipOpenNewFileInZip64(z, name.c_str(), &zi, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 9, 1), ZIP_OK);
    zipWriteInFileInZip(z, data.data(), unsigned(data.size()));
    zipCloseFileInZip(z);
  }
  zipClose(z, nullptr);
}

TEST_F(ImportTest, WhatKeepsAFileFromBeingReadIsSaidAtOnce) {
  ASSERT_EQ(::mkfifo((dir / "pipe.mmf").c_str(), 0644), 0);
  CreateFolders(dir / "folder.mmf/");
  ASSERT_EQ(::symlink((dir / "loop.mmf").c_str(), (dir / "loop.mmf").c_str()), 0);
  struct Case {
    std::string name;
    std::string message;
  } cases[] = {
      {"pipe.mmf", "pipe.mmf is not a regular file"},
      {"folder.mmf", "folder.mmf is a folder"},
      {"missing.mmf", "missing.mmf does not exist"},
      {"loop.mmf", "loop.mmf cannot be read: too many levels of symbolic links"},
  };
  for (int format : {0, 19}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name + " format " + std::to_string(format));
      dialogs.shown.clear();
      int f = format;
      const auto start = std::chrono::steady_clock::now();
      EXPECT_EQ(ImportList({dir / c.name}, f), 0);
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
      EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{c.message});
    }
  }
  EXPECT_EQ(Exists(dir / "missing.mmf"), 0);  // never created by looking
}

// A full disk at the record appends, the sync or the index save of an
// import: nothing of the run stays, the collection is what it was before,
// also after a clean-up, and the user is told.
TEST_F(ImportTest, AFullDiskDuringImportStoresNothing) {
  ASSERT_EQ(ImportText(MealMaster(3), 19, "before.mmf"), 3);
  struct Case {
    const char* name;
    FileFault::Call call;
    int nth;
    const char* file;
    const char* message;
  } cases[] = {
      {"first record", FileFault::kWrite, 1, "Recipe860.dat",
       "Unable to write Recipe860.dat:|No space left on device||No recipes were imported."},
      {"fifth record", FileFault::kWrite, 5, "Recipe860.dat",
       "Unable to write Recipe860.dat:|No space left on device||No recipes were imported."},
      {"recipe sync", FileFault::kSync, 1, "Recipe860.dat", "Unable to write Recipe860.dat:|No space left on device"},
      {"index save", FileFault::kWrite, 1, "Index860.dat", "Unable to write Index860.dat:|No space left on device"},
      {"index rename", FileFault::kRename, 1, "Index860.dat", "Unable to write Index860.dat:|No space left on device"},
  };
  WriteBytes(dir / "big.mmf", MealMaster(40));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string recipeBefore = ReadBytes(ctx.files.recipe);
    const std::string indexBefore = ReadBytes(ctx.files.index);
    dialogs.shown.clear();
    int format = 19;
    {
      FileFault fault(c.call, c.nth, ENOSPC, true, c.file);
      EXPECT_EQ(ImportList({dir / "big.mmf"}, format), 0);
      EXPECT_GT(fault.failures(), 0);
    }
    EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{c.message});
    EXPECT_EQ(ReadBytes(ctx.files.recipe), recipeBefore);
    EXPECT_EQ(ReadBytes(ctx.files.index), indexBefore);
    EXPECT_EQ(Stored().size(), 3u);
    Collection again(ctx);
    OpenCollection(again);
    EXPECT_EQ(Exists(ctx.files.journal), 0);
    ASSERT_TRUE(again.CleanUp());
    int recipes = 0;
    for (uint32_t off : again.EntryOffsets()) recipes += again.Entry(off).kind() == kKindRecipe;
    EXPECT_EQ(recipes, 3);
    collection->LoadMasterIndex();
  }
}

TEST_F(ImportTest, ALinkInPlaceOfTheScratchFolderIsNeverFollowed) {
  TempDir outside;
  WriteBytes(outside / "keep.txt", "keep");
  CreateFolders(outside / "sub/");
  WriteBytes(outside / "sub/deep.mx2", "deep");
  ASSERT_EQ(::symlink(outside.path().c_str(), (dir / "temp").c_str()), 0);
  WriteZip(dir / "book.mz2", {{"r.mx2", "<!DOCTYPE mx2 SYSTEM>"}});
  int format = 0;
  ImportList({dir / "book.mz2"}, format);
  EXPECT_EQ(format, 18);
  EXPECT_EQ(ReadBytes(outside / "keep.txt"), "keep");
  EXPECT_EQ(ReadBytes(outside / "sub/deep.mx2"), "deep");
  EXPECT_EQ(Exists(outside / "r.mx2"), 0);
  struct stat st;
  if (::lstat((dir / "temp").c_str(), &st) == 0) {
    EXPECT_TRUE(S_ISDIR(st.st_mode));
  }
  // A plain import empties the scratch folder the same way.
  ::rmdir((dir / "temp").c_str());
  DeleteTree(dir / "temp");
  ASSERT_EQ(::symlink(outside.path().c_str(), (dir / "temp").c_str()), 0);
  EXPECT_EQ(ImportText(MealMaster(1)), 1);
  EXPECT_EQ(ReadBytes(outside / "keep.txt"), "keep");
  EXPECT_EQ(ReadBytes(outside / "sub/deep.mx2"), "deep");
}

TEST_F(ImportTest, AnArchiveUnpacksOnlyTheEntryTheReaderTakes) {
  // Many large entries that compress to little: only the one .mx2 file
  // is written.
  std::vector<std::pair<std::string, std::string>> entries;
  for (int i = 0; i < 8; ++i) entries.push_back({"filler" + std::to_string(i) + ".txt", std::string(8 << 20, '\0')});
  entries.push_back({"z.mx2", "later by name"});
  entries.push_back({"r.mx2", "<!DOCTYPE mx2 SYSTEM>"});
  WriteZip(dir / "bomb.mz2", entries);
  EXPECT_LT(ReadBytes(dir / "bomb.mz2").size(), 1u << 20);
  std::string file = dir / "bomb.mz2";
  int format = 0;
  DetectImportFormat(ctx, file, format);
  EXPECT_EQ(format, 18);
  EXPECT_EQ(file, dir / "temp/r.mx2");
  std::vector<std::string> inTemp;
  for (const char* n : {"r.mx2", "z.mx2", "filler0.txt", "filler7.txt"})
    if (Exists(dir / "temp/" + n)) inTemp.push_back(n);
  EXPECT_EQ(inTemp, std::vector<std::string>{"r.mx2"});
  // Every entry is still logged with its size.
  EXPECT_NE(ReadBytes(ctx.files.statusLog).find("1/10 - 8388608 - filler0.txt"), std::string::npos);
}

}  // namespace
}  // namespace pantrela::testing
