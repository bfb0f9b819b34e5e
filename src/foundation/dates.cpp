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

bool IsValidDate(int y, int m, int d) { return y >= 1 && y <= 9999 && d >= 1 && d <= DaysInMonth(y, m); }

// The civil-calendar day count of H. Hinnant's days_from_civil.
int DayNumber(const Ymd& date) {
  const int y = date.year - (date.month <= 2 ? 1 : 0);
  const int era = FloorDiv(y, 400);
  const int yoe = y - era * 400;
  const int mp = (date.month + 9) % 12;
  const int doy = (153 * mp + 2) / 5 + date.day - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

Ymd DateOfDayNumber(int days) {
  const int z = days + 719468;
  const int era = FloorDiv(z, 146097);
  const int doe = z - era * 146097;
  const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int mp = (5 * doy + 2) / 153;
  const int d = doy - (153 * mp + 2) / 5 + 1;
  const int m = mp < 10 ? mp + 3 : mp - 9;
  return {yoe + era * 400 + (m <= 2 ? 1 : 0), m, d};
}

}  // namespace pantrela
