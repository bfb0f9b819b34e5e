#include "foundation/numtext.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace pantrela {

std::string Plain(int64_t n) { return std::to_string(n); }

std::string Spaced(int64_t n) { return n < 0 ? std::to_string(n) : " " + std::to_string(n); }

static std::string GroupThousands(const std::string& digits) {
  std::string out;
  int count = 0;
  for (size_t i = digits.size(); i-- > 0;) {
    out.insert(out.begin(), digits[i]);
    if (++count % 3 == 0 && i > 0) out.insert(out.begin(), ',');
  }
  return out;
}

std::string Thousands(int64_t n) {
  std::string digits = std::to_string(n < 0 ? -(n + 1) + uint64_t(1) : uint64_t(n));
  return (n < 0 ? "-" : "") + GroupThousands(digits);
}

std::string Format(double value, std::string_view mask) {
  size_t point = mask.find('.');
  std::string_view intMask = mask.substr(0, point);
  std::string_view fracMask = point == std::string_view::npos ? std::string_view() : mask.substr(point + 1);
  int minInt = 0;
  bool group = false;
  for (char c : intMask) {
    if (c == '0') ++minInt;
    if (c == ',') group = true;
  }
  int fracDigits = 0, minFrac = 0;
  for (char c : fracMask) {
    if (c == '0' || c == '#') ++fracDigits;
    if (c == '0') minFrac = fracDigits;
  }
  bool negative = value < 0;
  double a = std::fabs(value);
  // Round half away from zero at the last shown fraction digit.
  double scale = std::pow(10.0, fracDigits);
  double scaled = std::floor(a * scale + 0.5 + 1e-9);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.0f", scaled);
  std::string all = buf;
  while (int(all.size()) <= fracDigits) all.insert(all.begin(), '0');
  std::string intDigits = all.substr(0, all.size() - fracDigits);
  std::string frac = all.substr(all.size() - fracDigits);
  // Drop leading zeros beyond what the mask demands.
  size_t firstNonZero = intDigits.find_first_not_of('0');
  intDigits = firstNonZero == std::string::npos ? "" : intDigits.substr(firstNonZero);
  while (int(intDigits.size()) < minInt) intDigits.insert(intDigits.begin(), '0');
  while (int(frac.size()) > minFrac && !frac.empty() && frac.back() == '0') frac.pop_back();
  std::string out = group ? GroupThousands(intDigits) : intDigits;
  if (point != std::string_view::npos && !frac.empty()) out += "." + frac;
  else if (point != std::string_view::npos && minFrac == 0 && fracDigits > 0) {
    // "#.##" of a whole number keeps no point.
  }
  bool allZero = scaled == 0;
  if (negative && !allZero) out.insert(out.begin(), '-');
  return out;
}

double Val(std::string_view t) {
  size_t i = 0;
  while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
  size_t start = i;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
  size_t digitsStart = i;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
  }
  if (i == digitsStart || (i == digitsStart + 1 && t[digitsStart] == '.')) return 0;
  size_t mantEnd = i;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    size_t j = i + 1;
    if (j < t.size() && (t[j] == '-' || t[j] == '+')) ++j;
    size_t expDigits = j;
    while (j < t.size() && t[j] >= '0' && t[j] <= '9') ++j;
    if (j > expDigits) mantEnd = j;
  }
  std::string num(t.substr(start, mantEnd - start));
  double v = std::strtod(num.c_str(), nullptr);
  if (!std::isfinite(v)) return 0;
  return v;
}

int32_t ValInt(std::string_view text) {
  double v = Val(text);
  if (v >= double(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  if (v <= double(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  return int32_t(v);
}

}  // namespace pantrela
