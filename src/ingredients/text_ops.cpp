#include "ingredients/text_ops.h"

namespace pantrela::textops {

void ReplaceAll(std::string& s, std::string_view from, std::string_view to) {
  if (from.empty()) return;
  size_t pos = s.find(from);
  if (pos == std::string::npos) return;
  if (from.size() == to.size()) {
    while (pos != std::string::npos) {
      s.replace(pos, from.size(), to);
      pos = s.find(from, pos + to.size());
    }
    return;
  }
  std::string out;
  out.reserve(s.size() + (to.size() > from.size() ? 8 * (to.size() - from.size()) : 0));
  size_t last = 0;
  while (pos != std::string::npos) {
    out.append(s, last, pos - last);
    out.append(to);
    last = pos + from.size();
    pos = s.find(from, last);
  }
  out.append(s, last, std::string::npos);
  s.swap(out);
}

void RemoveChar(std::string& s, char c) {
  size_t pos = s.find(c);
  if (pos == std::string::npos) return;
  size_t w = pos;
  for (size_t r = pos; r < s.size(); ++r)
    if (s[r] != c) s[w++] = s[r];
  s.resize(w);
}

std::string_view TrimSpaces(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return s.substr(b, e - b);
}

void TrimSpacesInPlace(std::string& s) {
  size_t e = s.size();
  while (e > 0 && s[e - 1] == ' ') --e;
  s.resize(e);
  size_t b = 0;
  while (b < s.size() && s[b] == ' ') ++b;
  if (b) s.erase(0, b);
}

unsigned char Lower1252(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c < 128) return c;
  if (c >= 192 && c <= 222 && c != 215) return c + 32;
  switch (c) {
    case 138: return 154;  // S caron
    case 140: return 156;  // OE
    case 142: return 158;  // Z caron
    case 159: return 255;  // Y diaeresis
    default: return c;
  }
}

unsigned char Upper1252(unsigned char c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c < 128) return c;
  if (c >= 224 && c <= 254 && c != 247) return c - 32;
  switch (c) {
    case 154: return 138;
    case 156: return 140;
    case 158: return 142;
    case 255: return 159;
    default: return c;
  }
}

void LowerInPlace(std::string& s) {
  for (char& ch : s) ch = char(Lower1252((unsigned char)ch));
}

}  // namespace pantrela::textops
