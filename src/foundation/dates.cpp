#include "foundation/dates.h"

#include <ctime>

namespace pantrela {

Ymd Today() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  ::localtime_r(&now, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

static int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
static int FloorMod(int a, int b) { return a - b * FloorDiv(a, b); }

int Weekday(int y, int m, int d) {
  int a = FloorDiv(14 - m, 12);
  int yy = y - a;
  int mm = m + 12 * a - 2;
  return FloorMod(d + yy + FloorDiv(yy, 4) - FloorDiv(yy, 100) + FloorDiv(yy, 400) + FloorDiv(31 * mm, 12), 7);
}

std::string WeekdayName(int y, int m, int d) {
  static const char* names[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  return names[Weekday(y, m, d)];
}

}  // namespace pantrela
