#include "backup/cloud_record.h"

#include <algorithm>
#include <cstdlib>

#include "ingredients/ingredient_line.h"
#include "ingredients/measures.h"

namespace pantrela {

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Calls fn for every CR-separated line of a text (an empty text has one
// empty line).
template <typename Fn>
void ForEachLine(std::string_view text, Fn fn) {
  size_t start = 0;
  for (;;) {
    size_t cr = text.find('\r', start);
    fn(text.substr(start, cr == std::string_view::npos ? std::string_view::npos : cr - start));
    if (cr == std::string_view::npos) break;
    start = cr + 1;
  }
}

bool MoreThanBlanks(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c != ' '; });
}

void ReplaceAll(std::string& s, std::string_view from, std::string_view to) {
  std::string out;
  size_t pos = 0;
  for (;;) {
    size_t hit = s.find(from, pos);
    if (hit == std::string::npos) break;
    out.append(s, pos, hit - pos);
    out.append(to);
    pos = hit + from.size();
  }
  if (pos == 0) return;
  out.append(s, pos, std::string::npos);
  s = std::move(out);
}

std::string LongText(std::string_view value) {
  std::string s(value);
  ReplaceAll(s, "<br>", "\r");
  if (s.size() > kLongTextMax) s.resize(kLongTextMax);
  ReplaceAll(s, "&deg;", "\xB0");
  return s;
}

}  // namespace

std::string FoldToAscii(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    switch (c) {
      case 0x91: case 0x92: case 0x93: case 0x94: case 0xB4: out += '\''; break;
      case 0x99: case 0xA9: case 0xAE: break;
      case 0xB0: out += "&deg;"; break;
      case 0xBC: out += "1/4"; break;
      case 0xBD: out += "1/2"; break;
      case 0xBE: out += "3/4"; break;
      case 0xC7: out += 'C'; break;
      case 0xD0: out += 'D'; break;
      case 0xD1: out += 'N'; break;
      case 0xDD: out += 'Y'; break;
      case 0xE7: out += 'c'; break;
      case 0xF0: out += 'o'; break;
      case 0xF1: out += 'n'; break;
      case 0xFD: case 0xFF: out += 'y'; break;
      case 0xFE: out += 'b'; break;
      default:
        if (c >= 0xC0 && c <= 0xC5) out += 'A';
        else if (c >= 0xC8 && c <= 0xCB) out += 'E';
        else if (c >= 0xCC && c <= 0xCF) out += 'I';
        else if (c >= 0xD2 && c <= 0xD6) out += 'O';
        else if (c >= 0xD9 && c <= 0xDC) out += 'U';
        else if (c >= 0xE0 && c <= 0xE5) out += 'a';
        else if (c >= 0xE8 && c <= 0xEB) out += 'e';
        else if (c >= 0xEC && c <= 0xEF) out += 'i';
        else if (c >= 0xF2 && c <= 0xF6) out += 'o';
        else if (c >= 0xF9 && c <= 0xFC) out += 'u';
        else out += char(c);
    }
  }
  return out;
}

std::string HexNumber(int64_t value) {
  uint64_t v = uint64_t(value);
  if (v == 0) return "0";
  std::string s;
  while (v) {
    s += kHexDigits[v & 15];
    v >>= 4;
  }
  return std::string(s.rbegin(), s.rend());
}

std::string Hex16(int64_t value) {
  std::string s(16, '0');
  uint64_t v = uint64_t(value);
  for (int i = 15; i >= 0; --i, v >>= 4) s[size_t(i)] = kHexDigits[v & 15];
  return s;
}

int64_t ReadHex(std::string_view text) {
  uint64_t v = 0;
  for (size_t i = 0; i < text.size() && i < 16; ++i) {
    int d = HexValue(text[i]);
    if (d < 0) break;
    v = (v << 4) | uint64_t(d);
  }
  return int64_t(v);
}

CloudRecordText EncodeCloudRecord(const CurrentRecord& rec, int ingredientFormat) {
  CloudRecordText out;
  out.title = FoldToAscii(rec.title);
  std::string body;
  body.reserve(rec.ingredients.size() + rec.directions.size() + rec.photo.size() * 2 + 200);
  auto line = [&](const char* tag, std::string_view value) {
    body += tag;
    body += value;
    body += "\r\n";
  };
  line("B-", Hex16(rec.writeStamp()));
  line("C-", Hex16(rec.recordId()));
  line("D-", Hex16(rec.chapterKey()));
  line("E-", std::to_string(rec.kind()));
  line("G-", out.title);
  line("H-", std::to_string(rec.servings()));
  if (MoreThanBlanks(rec.ingredients)) {
    std::string joined;
    bool first = true;
    ForEachLine(rec.ingredients, [&](std::string_view l) {
      if (!first) joined += "<br>";
      first = false;
      ParsedIngredient p = ParseIngredientLine(FoldToAscii(l), 1.0, ingredientFormat);
      joined += FormatIngredientLine(p.quantity, p.unit, p.item);
    });
    line("I-", joined);
  }
  {
    std::string joined;
    bool first = true;
    ForEachLine(rec.directions, [&](std::string_view l) {
      if (!first) joined += "<br>";
      first = false;
      std::string f = FoldToAscii(l);
      while (!f.empty() && f.back() == ' ') f.pop_back();
      joined += f;
    });
    line("J-", joined);
  }
  if (!rec.photo.empty()) {
    out.hasPhoto = true;
    std::string hex;
    hex.resize(rec.photo.size() * 2);
    for (size_t i = 0; i < rec.photo.size(); ++i) {
      unsigned char b = static_cast<unsigned char>(rec.photo[i]);
      hex[2 * i] = kHexDigits[b >> 4];
      hex[2 * i + 1] = kHexDigits[b & 15];
    }
    line("K-", hex);
  }
  body += "##\r\n";
  const size_t aLine = 2 + 16 + 2;
  out.text = "A-" + Hex16(int64_t(body.size() + aLine)) + "\r\n" + body;
  return out;
}

void CloudRecordDecoder::DecodeCloudLine(std::string_view line) {
  if (line.size() < 2) return;
  std::string_view tag = line.substr(0, 2), value = line.substr(2);
  if (tag == "A-") {
    record_.Clear();
    open_ = true;
    photoBroken_ = false;
    return;
  }
  if (!open_) return;  // lines before the first "A-" belong to no record
  if (tag == "B-") {
    record_.header.Set64(kHdrWriteStamp, ReadHex(value));
  } else if (tag == "C-") {
    record_.header.Set64(kHdrRecordId, ReadHex(value));
  } else if (tag == "D-") {
    record_.header.Set64(kHdrChapterKey, ReadHex(value));
  } else if (tag == "E-") {
    record_.setKind(uint8_t(std::clamp(std::atoi(std::string(value).c_str()), 0, 255)));
  } else if (tag == "H-") {
    record_.setServings(uint8_t(std::clamp(std::atoi(std::string(value).c_str()), 0, 255)));
  } else if (tag == "G-") {
    record_.title = std::string(value.substr(0, kTitleReadMax));
  } else if (tag == "I-") {
    record_.ingredients = LongText(value);
  } else if (tag == "J-") {
    record_.directions = LongText(value);
  } else if (tag == "K-") {
    // A photo with a broken pair is dropped rather than stored damaged.
    record_.photo.clear();
    photoBroken_ = value.size() % 2 != 0;
    if (!photoBroken_) {
      record_.photo.resize(value.size() / 2);
      for (size_t i = 0; i < record_.photo.size(); ++i) {
        int hi = HexValue(value[2 * i]), lo = HexValue(value[2 * i + 1]);
        if (hi < 0 || lo < 0) {
          photoBroken_ = true;
          break;
        }
        record_.photo[i] = char(hi * 16 + lo);
      }
    }
    if (photoBroken_) record_.photo.clear();
  } else if (tag == "##") {
    if (append_) append_(record_);
    ++records_;
    record_.Clear();
    open_ = false;
  }
}

}  // namespace pantrela
