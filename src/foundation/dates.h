// Calendar helpers and packed dates (year * 65536 + month * 256 + day),
// which compare in calendar order as plain integers.
#pragma once

#include <cstdint>
#include <string>

namespace pantrela {

struct Ymd {
  int year = 0, month = 0, day = 0;
  bool operator==(const Ymd&) const = default;
};

inline int32_t PackDate(int y, int m, int d) { return int32_t(y) * 65536 + m * 256 + d; }
inline Ymd UnpackDate(int32_t p) { return {int(uint32_t(p) >> 16), (p >> 8) & 0xFF, p & 0xFF}; }
Ymd Today();
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
// 0 = Sunday.
int Weekday(int year, int month, int day);
std::string WeekdayName(int year, int month, int day);
// True for a date of the calendar (year 1 to 9999, a month and a day that exist).
bool IsValidDate(int year, int month, int day);
// Days since 1970-01-01 (negative before it), and back.
int DayNumber(const Ymd& date);
Ymd DateOfDayNumber(int days);
inline Ymd AddDays(const Ymd& date, int days) { return DateOfDayNumber(DayNumber(date) + days); }

}  // namespace pantrela
