#include <gtest/gtest.h>

#include "db_fixture.h"

namespace pantrela::testing {
namespace {

using RecordTest = DbTest;

TEST_F(RecordTest, TitleOnlyRecordIsHeaderTitleFieldAndEndMark) {
  db.ClearCurrent();
  db.current().title = "Soup";
  db.current().setRecordId(0x0102030405060708);
  db.current().setChapterKey(0x1122334455667788);
  db.current().setServings(4);
  uint32_t entry = db.AppendCurrent();
  ASSERT_EQ(entry, 0u);
  std::string file = ReadBytes(ctx.files.recipe);
  ASSERT_EQ(file.size(), 36u + 6 + 4 + 6);
  // Everything but the write stamp (bytes 8-15), which is fresh.
  std::string expected = std::string("\x34\x00\x00\x00QXRS", 8) + std::string(8, '?') +
                         std::string("\x08\x07\x06\x05\x04\x03\x02\x01\x88\x77\x66\x55\x44\x33\x22\x11", 16) +
                         std::string("\x00\x00\x04\x00", 4) + std::string("\x01\x00\x04\x00\x00\x00Soup", 10) +
                         std::string("\xff\xff\x00\x00\x00\x00", 6);
  EXPECT_EQ(file.substr(0, 8), expected.substr(0, 8));
  EXPECT_EQ(file.substr(16), expected.substr(16));
  EXPECT_NE(file.substr(8, 8), std::string(8, '\0'));
  // Its index entry: length, flags, kind, reserved, id, key, offset, title, zero.
  std::string idx(db.index().view());
  std::string expectedEntry = std::string("\x21\x00\x00\x00", 4) +
                              std::string("\x08\x07\x06\x05\x04\x03\x02\x01\x88\x77\x66\x55\x44\x33\x22\x11", 16) +
                              std::string(8, '\0') + "Soup" + std::string(1, '\0');
  EXPECT_EQ(idx, expectedEntry);
}

TEST_F(RecordTest, FieldsAreWrittenInOrderOnlyWhenNotEmpty) {
  struct Case {
    std::string ingr, dirs, photo;
    std::vector<uint16_t> types;
  } cases[] = {
      {"", "", "", {1, 65535}},
      {"", "Note text", "", {1, 3, 65535}},  // information text: no field 2
      {"1 egg", "Boil.", "", {1, 2, 3, 65535}},
      {"1 egg", "", std::string("\x89PNG\r\n\x1a\n....", 12), {1, 2, 5, 65535}},
  };
  for (const auto& c : cases) {
    db.ClearCurrent();
    db.current().title = "T";
    db.current().ingredients = c.ingr;
    db.current().directions = c.dirs;
    db.current().photo = c.photo;
    std::string rec = BuildRecordBytes(db.current(), 99);
    std::vector<uint16_t> types;
    size_t pos = 36;
    while (pos + 6 <= rec.size()) {
      auto p = reinterpret_cast<const uint8_t*>(rec.data() + pos);
      types.push_back(GetLE16(p));
      pos += 6 + GetLE32(p + 2);
    }
    EXPECT_EQ(types, c.types) << c.ingr << "/" << c.dirs;
    EXPECT_EQ(pos, rec.size());
    EXPECT_EQ(GetLE32(reinterpret_cast<const uint8_t*>(rec.data())), rec.size());
  }
}

TEST_F(RecordTest, LongTitleIsCutTo220AndEntryLengthIs249) {
  db.ClearCurrent();
  db.current().title = std::string(300, 'x');
  db.current().ingredients = std::string(70000, 'i');
  uint32_t e = db.AppendCurrent();
  EXPECT_EQ(db.Entry(e).length(), 249);
  EXPECT_EQ(db.Entry(e).title().size(), 220u);
  db.LoadCurrent(0);
  EXPECT_EQ(db.current().title, std::string(220, 'x'));
  EXPECT_EQ(db.current().ingredients.size(), 65000u);
}

TEST_F(RecordTest, LoadSkipsUnknownFieldsAndCutsOnRead) {
  std::string photo = std::string("\xff\xd8\xff\xe0", 4) + "jpegdata";
  WriteBytes(ctx.files.recipe, RawRecipe(1, 200, "first") +
                                   RawRecord(5, 200, 0,
                                             {{1, std::string(300, 't')}, {3, "Stir."}, {4, "unknown!"}, {5, photo}},
                                             7, 6));
  db.LoadCurrent(RawRecipe(1, 200, "first").size());
  EXPECT_EQ(db.current().title, std::string(256, 't'));
  EXPECT_EQ(db.current().directions, "Stir.");
  EXPECT_EQ(db.current().photo, photo);
  EXPECT_EQ(db.current().recordId(), 5);
  EXPECT_EQ(db.current().servings(), 6);
}

TEST_F(RecordTest, LoadFromBadOffsetsLeavesRecordEmptyAndLogs) {
  std::string rec = RawRecipe(1, 200, "Soup");
  WriteBytes(ctx.files.recipe, rec + rec.substr(0, 40));  // second record torn
  db.current().title = "stale";
  db.LoadCurrent(rec.size() + 20);
  EXPECT_TRUE(db.current().title.empty());
  EXPECT_TRUE(Logged("Load Data Record - Too small for header"));
  db.LoadCurrent(rec.size());
  EXPECT_TRUE(db.current().title.empty());
  EXPECT_TRUE(Logged("Load Data Record - Too small for record"));
  db.LoadCurrent(0);
  EXPECT_EQ(db.current().title, "Soup");
}

TEST_F(RecordTest, LoadFromMissingFileCreatesNothing) {
  db.LoadCurrent(0);
  EXPECT_TRUE(db.current().title.empty());
  EXPECT_FALSE(Exists(ctx.files.recipe));
}

TEST_F(RecordTest, MarkDeletedChangesOnlyTheKindByte) {
  Add("A", 200);
  uint32_t b = Add("B", 200);
  std::string before = ReadBytes(ctx.files.recipe);
  db.MarkDeleted(b);
  std::string after = ReadBytes(ctx.files.recipe);
  uint64_t at = db.Entry(b).fileOffset();
  EXPECT_EQ(db.Entry(b).kind(), kKindDeleted);
  EXPECT_EQ(uint8_t(after[at + 32]), kKindDeleted);
  after[at + 32] = before[at + 32];
  EXPECT_EQ(after, before);
}

TEST_F(RecordTest, PhotosAreFlaggedAndBitmapsBecomeJpeg) {
  // A 2 x 1 24-bit bitmap written from the BMP layout.
  std::string bmp = "BM" + LE(62, 4) + LE(0, 4) + LE(54, 4) + LE(40, 4) + LE(2, 4) + LE(1, 4) + LE(1, 2) +
                    LE(24, 2) + LE(0, 4) + LE(8, 4) + LE(2835, 4) + LE(2835, 4) + LE(0, 4) + LE(0, 4) +
                    std::string("\x00\x00\xff\x00\xff\x00\x00\x00", 8);
  db.ClearCurrent();
  db.current().title = "Photo";
  db.current().photo = bmp;
  uint32_t e = db.AppendCurrent();
  EXPECT_TRUE(db.Entry(e).flags() & kFlagPhoto);
  db.LoadCurrent(db.Entry(e).fileOffset());
  ASSERT_GE(db.current().photo.size(), 2u);
  EXPECT_EQ(db.current().photo.substr(0, 2), "\xff\xd8");
  EXPECT_FALSE(Exists(dir / "temp.bmp"));
  EXPECT_FALSE(Exists(dir / "temp.jpg"));
}

// The one walk over a record's fields, on bodies laid out by hand.
TEST(RecordFieldCursor, WalksFieldsAndStopsWhereTheRecordDoes) {
  const std::string title = LE(1, 2) + LE(3, 4) + "Pie";
  const std::string photo = LE(5, 2) + LE(4, 4) + "JPEG";
  const std::string end = LE(65535, 2) + LE(0, 4);
  struct Case {
    const char* what;
    std::string body;
    bool stopAtEnd;
    std::vector<std::string> seen;  // "type:data" of every field given
  } cases[] = {
      {"title, photo, end", title + photo + end, true, {"1:Pie", "5:JPEG"}},
      {"the end mark walked over", title + end + photo, false, {"1:Pie", "65535:", "5:JPEG"}},
      {"the end mark stops", title + end + photo, true, {"1:Pie"}},
      {"a field running past the end is cut, nothing follows", title + LE(3, 2) + LE(100, 4) + "Stir", true,
       {"1:Pie", "3:Stir"}},
      {"a field header that does not fit", title + LE(2, 2) + LE(0, 2), true, {"1:Pie"}},
      {"unknown types are given too", LE(9, 2) + LE(2, 4) + "xx" + title, true, {"9:xx", "1:Pie"}},
      {"empty", "", true, {}},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryBytes bytes{c.body};
    RecordFieldCursor field(bytes, 0, c.body.size(), c.stopAtEnd);
    std::vector<std::string> seen;
    while (field.Next()) seen.push_back(std::to_string(field.type()) + ":" + std::string(field.data()));
    EXPECT_EQ(seen, c.seen);
  }
}

}  // namespace
}  // namespace pantrela::testing
