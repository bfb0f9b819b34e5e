// Small byte-string helpers shared by the ingredient code: BASIC-style
// replace, trims and Windows-1252 case mapping.
#pragma once

#include <string>
#include <string_view>

namespace pantrela::textops {

// Replaces every occurrence of `from` by `to` in one left-to-right pass;
// replaced text is not searched again ("---" with "--" -> "-" gives "--").
void ReplaceAll(std::string& s, std::string_view from, std::string_view to);
// Removes every occurrence of the byte c.
void RemoveChar(std::string& s, char c);

// Leading and trailing blanks (code 32 only).
std::string_view TrimSpaces(std::string_view s);
void TrimSpacesInPlace(std::string& s);

inline bool IsAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
inline bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Case mapping of the Windows-1252 code page (ASCII letters, the accented
// Latin letters and the few letter pairs at 138..159).
unsigned char Lower1252(unsigned char c);
unsigned char Upper1252(unsigned char c);
void LowerInPlace(std::string& s);

}  // namespace pantrela::textops
