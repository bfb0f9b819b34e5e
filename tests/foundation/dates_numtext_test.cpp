#include <gtest/gtest.h>

#include "foundation/codepage.h"
#include "foundation/dates.h"
#include "foundation/numtext.h"

namespace pantrela {
namespace {

TEST(Dates, WeekdayNames) {
  struct {
    int y, m, d;
    const char* name;
  } cases[] = {
      {2000, 1, 1, "Saturday"}, {2026, 12, 9, "Wednesday"}, {1900, 3, 1, "Thursday"},
      {2024, 2, 29, "Thursday"}, {1999, 12, 31, "Friday"},  {2023, 1, 1, "Sunday"},
  };
  for (const auto& c : cases) EXPECT_EQ(WeekdayName(c.y, c.m, c.d), c.name) << c.y << "-" << c.m << "-" << c.d;
}

TEST(Dates, DaysInMonth) {
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(2024, 2), 29);
  EXPECT_EQ(DaysInMonth(2023, 2), 28);
  EXPECT_EQ(DaysInMonth(2023, 4), 30);
  EXPECT_EQ(DaysInMonth(2023, 12), 31);
  EXPECT_EQ(DaysInMonth(2023, 13), 0);
}

TEST(Dates, PackedDatesCompareInCalendarOrder) {
  EXPECT_EQ(PackDate(2026, 12, 9), 2026 * 65536 + 12 * 256 + 9);
  EXPECT_EQ(UnpackDate(PackDate(2026, 12, 9)), (Ymd{2026, 12, 9}));
  EXPECT_LT(PackDate(2025, 12, 31), PackDate(2026, 1, 1));
  EXPECT_LT(PackDate(2026, 1, 31), PackDate(2026, 2, 1));
}

TEST(NumberText, PlainAndSpaced) {
  EXPECT_EQ(Plain(20), "20");
  EXPECT_EQ(Plain(-8), "-8");
  EXPECT_EQ(Spaced(20), " 20");
  EXPECT_EQ(Spaced(0), " 0");
  EXPECT_EQ(Spaced(-8), "-8");
  EXPECT_EQ(Fmt(12345), "12345");
  EXPECT_EQ(Thousands(1234567), "1,234,567");
  EXPECT_EQ(Thousands(0), "0");
}

TEST(NumberText, FormatMasks) {
  struct {
    double v;
    const char* mask;
    const char* out;
  } cases[] = {
      {5, "00", "05"},           {3.5, "0.00", "3.50"},        {1234.5, "0,.00", "1,234.50"},
      {1234, "#,", "1,234"},     {2026, "0000", "2026"},       {7, "0000", "0007"},
      {0.125, "0.00", "0.13"},   {12.99, "0.00", "12.99"},     {1234567.891, "0,.00", "1,234,567.89"},
      {255, "000", "255"},       {42, "00000000", "00000042"}, {0, "0.00", "0.00"},
      {-3.5, "0.00", "-3.50"},   {999.999, "0.00", "1000.00"},
  };
  for (const auto& c : cases) EXPECT_EQ(Format(c.v, c.mask), c.out) << c.v << " " << c.mask;
}

TEST(NumberText, ValReadsLikeBasic) {
  struct {
    const char* text;
    double v;
  } cases[] = {
      {"1600", 1600}, {"  -8", -8},   {"12abc", 12}, {"abc", 0},   {"", 0},      {"3.25", 3.25},
      {".5", 0.5},    {"-.5", -0.5},  {"1e3", 1000}, {"1e", 1},    {"+7", 7},    {".", 0},
      {"-", 0},       {"1,234", 1},   {"\t5", 5},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(Val(c.text), c.v) << "\"" << c.text << "\"";
  EXPECT_EQ(ValInt("99999999999"), 2147483647);
  EXPECT_EQ(ValInt("-99999999999"), -2147483647 - 1);
  EXPECT_EQ(ValInt("1e999"), 0);  // overflow reads as no number
  EXPECT_EQ(ValInt("42.9"), 42);
}

TEST(CodePage, Windows1252AndUtf8) {
  std::string cp = "caf\xE9 \x80 \x93quoted\x94 \x9F";
  std::string utf8 = Cp1252ToUtf8(cp);
  EXPECT_EQ(utf8, "caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cquoted\xE2\x80\x9D \xC5\xB8");
  EXPECT_EQ(Utf8ToCp1252(utf8), cp);
  EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD x \xC3"), "? x ?");
  std::string all;
  for (int i = 0; i < 256; ++i) all += char(i);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
}

}  // namespace
}  // namespace pantrela
