#include "foundation/settings.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "foundation/bytes.h"
#include "support/temp_dir.h"

namespace pantrela {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// One entry written by hand from the layout: magic 31 D4, key length,
// value length, key, value.
std::string Entry(const std::string& key, const std::string& value) {
  std::string e = "\x31\xD4";
  e += char(key.size() & 0xFF);
  e += char(key.size() >> 8);
  for (int i = 0; i < 4; ++i) e += char((value.size() >> (8 * i)) & 0xFF);
  return e + key + value;
}

const WorkArea kFullHd{0, 0, 1920, 1080};

TEST(Settings, MissingOrEmptyFileGivesCentredDefaults) {
  TempDir dir;
  for (bool create : {false, true}) {
    if (create) WriteBytes(dir / "Setup747.dat", "");
    Settings s;
    ReadSettings(s, dir / "Setup747.dat", kFullHd);
    EXPECT_EQ(s.window_wide, 1600);
    EXPECT_EQ(s.window_high, 1000);
    EXPECT_EQ(s.window_x, 160);
    EXPECT_EQ(s.window_y, 39);  // (1079 - 1000) / 2
    EXPECT_EQ(s.window_state, 1);
    EXPECT_EQ(s.screen_font, "Microsoft Sans Serif");
    EXPECT_EQ(s.screen_font_size, 20);
    EXPECT_EQ(s.cloud_password, "");
    EXPECT_EQ(ReadBytes(dir / "Setup747.dat"), "");  // left behind empty
  }
  // A small work area: no larger than the area, at its left and top edge.
  Settings s;
  ReadSettings(s, dir / "Setup747.dat", WorkArea{100, 50, 1124, 818});
  EXPECT_EQ(s.window_wide, 1024);
  EXPECT_EQ(s.window_high, 767);
  EXPECT_EQ(s.window_x, 100);
  EXPECT_EQ(s.window_y, 50);
}

TEST(Settings, PlacementIsClamped) {
  struct {
    const char* name;
    std::string file;
    int x, y, wide, high, state;
  } cases[] = {
      {"too narrow and low", Entry("window_wide", "300") + Entry("window_high", "200") + Entry("window_x", "10") +
                                 Entry("window_y", "10"),
       10, 10, 790, 550, 1},
      {"far right and down", Entry("window_x", "5000") + Entry("window_y", "4000") + Entry("window_wide", "800") +
                                 Entry("window_high", "600"),
       1520, 680, 800, 600, 1},
      {"far left and up", Entry("window_x", "-3000") + Entry("window_y", "-3000") + Entry("window_wide", "800") +
                              Entry("window_high", "600"),
       -400, -200, 800, 600, 1},
      {"minimised reads as normal", Entry("window_state", "2"), 160, 39, 1600, 1000, 1},
      {"maximised kept", Entry("window_state", "3"), 160, 39, 1600, 1000, 3},
  };
  for (const auto& c : cases) {
    TempDir dir;
    WriteBytes(dir / "s.dat", c.file);
    Settings s;
    ReadSettings(s, dir / "s.dat", kFullHd);
    EXPECT_EQ(s.window_x, c.x) << c.name;
    EXPECT_EQ(s.window_y, c.y) << c.name;
    EXPECT_EQ(s.window_wide, c.wide) << c.name;
    EXPECT_EQ(s.window_high, c.high) << c.name;
    EXPECT_EQ(s.window_state, c.state) << c.name;
  }
}

TEST(Settings, ReaderResynchronisesAndSkipsDamage) {
  TempDir dir;
  std::string damaged = Entry("screen_font_size", "31");
  damaged[0] = 'X';  // corrupted magic
  std::string file = "garbage" + damaged + Entry("export_path", "/home/c/") + "\x31" +
                     Entry("screen_font", "Arial") + Entry("no_such_key", "1") + Entry("grocery_sort", " 2") +
                     Entry("grocery_sort", "3") + Entry("ingredient_format", "abc");
  WriteBytes(dir / "s.dat", file);
  Settings s;
  ReadSettings(s, dir / "s.dat", kFullHd);
  EXPECT_EQ(s.screen_font_size, 20);  // the damaged entry is lost
  EXPECT_EQ(s.export_path, "/home/c/");
  EXPECT_EQ(s.screen_font, "Arial");
  EXPECT_EQ(s.grocery_sort, 3);  // the last duplicate wins
  EXPECT_EQ(s.ingredient_format, 0);
}

TEST(Settings, TruncatedLastEntry) {
  TempDir dir;
  // Truncated value: the key with an empty value.
  std::string cut = Entry("import_chapter", "12345");
  WriteBytes(dir / "v.dat", Entry("grocery_sort", "4") + Entry("backup_path", "/b/") + cut.substr(0, cut.size() - 2));
  Settings s;
  s.import_chapter = 9;
  ReadSettings(s, dir / "v.dat", kFullHd);
  EXPECT_EQ(s.grocery_sort, 4);
  EXPECT_EQ(s.backup_path, "/b/");
  EXPECT_EQ(s.import_chapter, 0);
  // Truncated key: nothing of that entry.
  std::string key = Entry("last_news", "2026/01/01");
  WriteBytes(dir / "k.dat", Entry("grocery_sort", "4") + key.substr(0, 12));
  Settings t;
  ReadSettings(t, dir / "k.dat", kFullHd);
  EXPECT_EQ(t.grocery_sort, 4);
  EXPECT_EQ(t.last_news, "");
}

TEST(Settings, KeysWithoutDefaultKeepTheirValue) {
  TempDir dir;
  WriteBytes(dir / "s.dat", "");
  Settings s;
  s.meal_time = 6;
  s.image_path = "/pics/";
  s.import_path = "/imports/";
  s.export_path = "/exports/";
  ReadSettings(s, dir / "s.dat", kFullHd);
  EXPECT_EQ(s.meal_time, 6);
  EXPECT_EQ(s.image_path, "/pics/");
  EXPECT_EQ(s.import_path, "/imports/");
  EXPECT_EQ(s.export_path, "");
}

TEST(Settings, WriterLayoutIsByteExact) {
  Settings s;
  s.window_x = -8;
  std::string image = SettingsFileImage(s);
  // First entry by hand: 31 D4, 08 00, 02 00 00 00, "window_x", "-8".
  EXPECT_EQ(image.substr(0, 18), std::string("\x31\xD4\x08\x00\x02\x00\x00\x00window_x-8", 18));
  // Last entry: print14 with an empty value.
  EXPECT_EQ(image.substr(image.size() - 15), std::string("\x31\xD4\x07\x00\x00\x00\x00\x00print14", 15));
}

TEST(Settings, RoundTripKeepsEveryValueAndDropsUnknownKeys) {
  TempDir dir;
  WriteBytes(dir / "s.dat", Entry("future_key", "x") + Entry("grocery_sort", "2"));
  Settings in;
  ReadSettings(in, dir / "s.dat", kFullHd);
  in.window_x = 33;
  in.window_y = -20;
  in.window_wide = 1200;
  in.window_high = 900;
  in.window_state = 3;
  in.upgrade_date = 2026 * 65536 + 12 * 256 + 9;
  in.last_news = "2026/12/09";
  in.meal_time = 6;
  in.image_path = "/pics/caf\xE9/";
  in.cloud_user = "cook";
  in.cloud_password = "p|a ss";
  in.ftp_mobi = "host 21 /dir user pw book.mobi";
  in.import_spell = 1;
  for (int i = 0; i < 14; ++i) in.print[size_t(i)] = std::string("\0\x01\xFFrec\0", 7) + char('a' + i);
  ASSERT_TRUE(WriteSettings(in, dir / "s.dat"));
  std::string bytes = ReadBytes(dir / "s.dat");
  EXPECT_EQ(bytes.find("future_key"), std::string::npos);
  EXPECT_EQ(bytes, SettingsFileImage(in));
  struct stat st;
  ASSERT_EQ(::stat((dir / "s.dat").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  Settings out;
  ReadSettings(out, dir / "s.dat", kFullHd);
  EXPECT_EQ(SettingsFileImage(out), SettingsFileImage(in));
  EXPECT_EQ(out.print[13], in.print[13]);
  EXPECT_EQ(out.cloud_password, "p|a ss");
  EXPECT_EQ(out.grocery_sort, 2);
}

TEST(Settings, GarbageNeverCrashesAndGivesSaneValues) {
  TempDir dir;
  std::string junk;
  uint32_t x = 12345;
  for (int i = 0; i < 5000; ++i) {
    x = x * 1103515245 + 12345;
    junk += char(x >> 16);
    if (i % 97 == 0) junk += "\x31\xD4";
  }
  WriteBytes(dir / "s.dat", junk);
  Settings s;
  ReadSettings(s, dir / "s.dat", kFullHd);
  EXPECT_GE(s.window_wide, 790);
  EXPECT_GE(s.window_high, 550);
  EXPECT_LE(s.window_x, 1520);
  EXPECT_LE(s.window_y, 680);
  EXPECT_NE(s.window_state, 2);
}

TEST(Settings, KeyTable) {
  EXPECT_TRUE(IsSettingsKey("window_x"));
  EXPECT_TRUE(IsSettingsKey("cloud_password"));
  EXPECT_TRUE(IsSettingsKey("print14"));
  EXPECT_FALSE(IsSettingsKey("print15"));
  EXPECT_FALSE(IsSettingsKey("Window_x"));
  EXPECT_EQ(SettingsEntry("k", "vv"), std::string("\x31\xD4\x01\x00\x02\x00\x00\x00kvv", 11));
}

}  // namespace
}  // namespace pantrela
