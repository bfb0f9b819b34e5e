// The nine-character access code that travels with every upload and with the
// finishing request: four upper-case hexadecimal digits of a 16-bit value,
// then five decimal digits of that value plus a fixed offset, modulo 65536.
// The client makes it and the server checks the pair, so this header is
// shared by both and has no dependencies.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace pantrela {

inline constexpr uint32_t kAccessCodeOffset = 40503;

// The code for the low 16 bits of `counter` (the millisecond counter).
inline std::string MakeAccessCode(uint64_t counter) {
  const unsigned v = unsigned(counter & 0xFFFF);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04X%05u", v, unsigned((v + kAccessCodeOffset) % 65536));
  return buf;
}

// True when the code has the form and its two halves agree.
inline bool AccessCodeValid(std::string_view code) {
  if (code.size() != 9) return false;
  unsigned hex = 0, dec = 0;
  for (size_t i = 0; i < 4; ++i) {
    char c = code[i];
    if (c >= '0' && c <= '9') hex = hex * 16 + unsigned(c - '0');
    else if (c >= 'A' && c <= 'F') hex = hex * 16 + unsigned(c - 'A' + 10);
    else return false;
  }
  for (size_t i = 4; i < 9; ++i) {
    if (code[i] < '0' || code[i] > '9') return false;
    dec = dec * 10 + unsigned(code[i] - '0');
  }
  return dec == (hex + kAccessCodeOffset) % 65536;
}

}  // namespace pantrela
