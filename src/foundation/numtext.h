// Number-to-text forms used by log lines, messages and every writer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pantrela {

// Plain form: digits, "-" for negatives ('4', '-8', '12345').
std::string Plain(int64_t n);
// Spaced form: as plain with one blank before non-negative values (' 4', '-8').
std::string Spaced(int64_t n);
// FMT(n): the plain form; the name the writers use.
inline std::string Fmt(int64_t n) { return Plain(n); }
// FORMAT(n, mask): "0" a digit always shown, "#" a digit shown when needed,
// "," before the point groups thousands, "." the decimal point.
// Format(5, "00") is "05"; Format(1234.5, "0,.00") is "1,234.50";
// Format(1234, "#,") is "1,234".
std::string Format(double value, std::string_view mask);
// Thousands-separated whole number ("1,234"), "0" for zero.
std::string Thousands(int64_t n);

// VAL as BASIC reads it: leading blanks skipped, an optional sign, digits,
// an optional fraction and exponent; anything else ends the number. Text
// without a leading number reads as 0.
double Val(std::string_view text);
// VAL truncated to a 32-bit integer (clamped), for integer settings.
int32_t ValInt(std::string_view text);

}  // namespace pantrela
