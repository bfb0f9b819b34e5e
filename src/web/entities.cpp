#include "web/entities.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "ingredients/measures.h"


namespace pantrela {
namespace {

struct EntityRow {
  std::vector<std::string> keys;
  std::string text;
};

// HTML names of the characters 160 to 255. Four of the stored keys are
// misspelt and never match; their numeric and UTF-8 keys still do.
const char* const kLatinNames[96] = {
    "&nbsp;",   "&iexcl;",  "&cent;",   "&pound;",  "&curren;", "&yen;",    "&brvbar;", "&sect;",
    "&uml;",    "&copy;",   "&ordf;",   "&laquo;",  "&not;",    "&shy;",    "&reg;",    "&macr;",
    "&deg;",    "&plusmn",  "&sup2;",   "&sup3;",   "&acute;",  "&micro;",  "&para;",   "&middot",
    "&cedil;",  "&sup1;",   "&ordm;",   "&raquo;",  "&frac14;", "&frac12;", "&frac34;", "&iquest;",
    "&Agrave;", "&Aacute;", "&Acirc;",  "&Atilde;", "&Auml;",   "&Aring;",  "&AElig;",  "&Ccedil;",
    "&Egrave;", "&Eacute",  "&Ecirc;",  "&Euml;",   "&Igrave;", "&Iacute;", "&Icirc;",  "&Iuml;",
    "&ETH;",    "&Ntilde;", "&Ograve;", "&Oacute;", "&Ocirc;",  "&Otilde;", "&Ouml;",   "&times;",
    "&Oslash;", "&Ugrave;", "&Uacute;", "&Ucirc;",  "&Uuml;",   "&Yaccute;", "&THORN;", "&szlig;",
    "&agrave;", "&aacute;", "&acirc;",  "&atilde;", "&auml;",   "&aring;",  "&aelig;",  "&ccedil;",
    "&egrave;", "&eacute;", "&ecirc;",  "&euml;",   "&igrave;", "&iacute;", "&icirc;",  "&iuml;",
    "&eth;",    "&ntilde;", "&ograve;", "&oacute;", "&ocirc;",  "&otilde;", "&ouml;",   "&divide;",
    "&oslash;", "&ugrave;", "&uacute;", "&ucirc;",  "&uuml;",   "&yacute;", "&thorn;",  "&yuml;"};

std::string Hex2(unsigned v) {
  static const char* const kDigits = "0123456789ABCDEF";
  return {kDigits[(v >> 4) & 15], kDigits[v & 15]};
}

// The UTF-8 bytes of a code point written as upper-case hexadecimal pairs.
std::string Utf8Key(unsigned cp) {
  if (cp < 0x80) return Hex2(cp);
  if (cp < 0x800) return Hex2(0xC0 | (cp >> 6)) + Hex2(0x80 | (cp & 63));
  return Hex2(0xE0 | (cp >> 12)) + Hex2(0x80 | ((cp >> 6) & 63)) + Hex2(0x80 | (cp & 63));
}

std::string Numeric(unsigned cp) { return "&#" + std::to_string(cp) + ";"; }

std::vector<EntityRow> BuildRows() {
  std::vector<EntityRow> rows;
  for (unsigned cp : {10u, 13u, 32u}) rows.push_back({{Numeric(cp)}, " "});
  for (unsigned cp = 33; cp <= 126; ++cp) {
    EntityRow r{{Numeric(cp)}, std::string(1, char(cp))};
    switch (cp) {
      case '"': r.keys.push_back("&quot;"); break;
      case '&': r.keys.push_back("&amp;"); break;
      case '\'': r.keys.push_back("&apos;"); break;
      case '<': r.keys.push_back("&lt;"); break;
      case '>': r.keys.push_back("&gt;"); break;
      default: break;
    }
    rows.push_back(r);
  }
  for (unsigned cp = 160; cp <= 255; ++cp) {
    std::string text(1, char(cp));
    switch (cp) {
      case 160: text = " "; break;
      case 173: text = "-"; break;
      case 184: text = ","; break;
      case 188: text = "-1/4"; break;
      case 189: text = "-1/2"; break;
      case 190: text = "-3/4"; break;
      default: break;
    }
    rows.push_back({{Numeric(cp), kLatinNames[cp - 160], Utf8Key(cp)}, text});
  }
  struct Wide {
    unsigned cp;
    const char* name;  // "" when the row has no HTML name
    const char* text;
  };
  static const Wide kWide[] = {
      {8194, "&ensp;", " "},   {8195, "&emsp;", " "},     {8201, "&thinsp;", " "},
      {8208, "", "-"},         {8209, "", "-"},           {8210, "", "-"},
      {8211, "&ndash;", "-"},  {8212, "&mdash;", "-"},    {8213, "", "-"},
      {8216, "&lsquo;", "'"},  {8217, "&rsquo;", "'"},    {8218, "&sbquo;", "'"},
      {8219, "", "'"},         {8220, "&ldquo;", "\""},   {8221, "&rdquo;", "\""},
      {8222, "&bdquo;", "\""}, {8223, "", "\""},          {8226, "&bull;", "\xB7"},
      {8227, "", "\xB7"},      {8228, "", "."},           {8229, "", ".."},
      {8230, "&hellip;", "..."}, {8232, "", "\r"},        {8233, "", "\r"},
      {8260, "&frasl;", "/"},  {8482, "&trade;", "\x99"}, {8531, "&frac13;", "-1/3"},
      {8532, "&frac23;", "-2/3"}, {8533, "&frac15;", "-1/5"}, {8534, "&frac25;", "-2/5"},
      {8535, "&frac35;", "-3/5"}, {8536, "&frac45;", "-4/5"}, {8537, "&frac16;", "-1/6"},
      {8538, "&frac56;", "-5/6"}, {8539, "&frac18;", "-1/8"}, {8540, "&frac38;", "-3/8"},
      {8541, "&frac58;", "-5/8"}, {8542, "&frac78;", "-7/8"},
  };
  for (const Wide& w : kWide) {
    EntityRow r{{Numeric(w.cp)}, w.text};
    if (*w.name) r.keys.push_back(w.name);
    r.keys.push_back(Utf8Key(w.cp));
    rows.push_back(r);
  }
  // Square bullets, known only by their UTF-8 bytes (the last key is stored
  // misspelt and never matches).
  rows.push_back({{"E296A0", "E296A1", "E296Ab"}, " "});
  return rows;
}

struct EntityTable {
  int rowCount = 0;
  std::unordered_map<std::string, std::string> byKey;
  EntityTable() {
    std::vector<EntityRow> rows = BuildRows();
    rowCount = int(rows.size());
    for (const EntityRow& r : rows)
      for (const std::string& k : r.keys) byKey.emplace(k, r.text);
  }
};

const EntityTable& Table() {
  static const EntityTable table;
  return table;
}

const std::string* Find(const std::string& key) {
  const auto& m = Table().byKey;
  auto it = m.find(key);
  return it == m.end() ? nullptr : &it->second;
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
int HexValue(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

// The leading number of a reference's digits as BASIC's VAL reads it:
// blanks skipped, an optional sign, then digits. At most nine characters
// reach here, so the value cannot overflow.
std::string DecimalOf(std::string_view digits) {
  size_t i = 0;
  while (i < digits.size() && digits[i] == ' ') ++i;
  bool negative = false;
  if (i < digits.size() && (digits[i] == '-' || digits[i] == '+')) negative = digits[i++] == '-';
  int64_t v = 0;
  while (i < digits.size() && digits[i] >= '0' && digits[i] <= '9') v = v * 10 + (digits[i++] - '0');
  return std::to_string(negative ? -v : v);
}

std::string HexToDecimal(std::string_view digits) {
  int64_t v = 0;
  for (size_t i = 0; i < digits.size() && IsHexDigit(digits[i]); ++i) v = v * 16 + HexValue(digits[i]);
  return std::to_string(v);
}

}  // namespace

std::string LookupEntity(std::string_view key) {
  const std::string* hit = Find(std::string(key));
  return hit ? *hit : std::string();
}

int EntityRowCount() { return Table().rowCount; }

void DecodeEntities(std::string& text) {
  const size_t n = text.size();
  std::string out;
  out.reserve(n);
  std::string key;
  size_t i = 0;
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == 9 || c == 10) {
      out += ' ';
      ++i;
    } else if (c < 32) {
      ++i;
    } else if (c == '&') {
      // A reference ends at a ";" within the next nine characters.
      size_t semi = std::string::npos;
      for (size_t j = i + 1; j < n && j <= i + 9; ++j) {
        if (text[j] == ';') {
          semi = j;
          break;
        }
      }
      const std::string* hit = nullptr;
      if (semi != std::string::npos) {
        std::string_view cand(text.data() + i, semi - i + 1);
        if (cand.size() >= 3 && cand[1] == '#' && (cand[2] == 'x' || cand[2] == 'X'))
          key = "&#" + HexToDecimal(cand.substr(3, cand.size() - 4)) + ";";
        else if (cand.size() >= 2 && cand[1] == '#')
          key = "&#" + DecimalOf(cand.substr(2, cand.size() - 3)) + ";";
        else
          key.assign(cand);
        hit = Find(key);
      }
      if (hit) {
        out += *hit;
        i = semi + 1;
      } else {
        out += '&';
        ++i;
      }
    } else if ((c == 194 || c == 195) && i + 1 < n) {
      key = Hex2(c) + Hex2(static_cast<unsigned char>(text[i + 1]));
      if (const std::string* hit = Find(key)) {
        out += *hit;
        i += 2;
      } else {
        out += char(c);
        ++i;
      }
    } else if (c == 226 && i + 2 < n) {
      key = Hex2(c) + Hex2(static_cast<unsigned char>(text[i + 1])) + Hex2(static_cast<unsigned char>(text[i + 2]));
      if (const std::string* hit = Find(key)) {
        out += *hit;
        i += 3;
      } else {
        out += char(c);
        ++i;
      }
    } else {
      out += char(c);
      ++i;
    }
  }
  CleanImportLine(out);
  text = std::move(out);
}

namespace {

// Windows-1252 byte of a Unicode code point; '?' when it has none.
char ToCp1252(char32_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return char(u);
  // The five C1 codes that Windows-1252 leaves undefined map to themselves.
  if (u == 0x81 || u == 0x8D || u == 0x8F || u == 0x90 || u == 0x9D) return char(u);
  static const char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                     0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  for (int k = 0; k < 32; ++k)
    if (kHigh[k] != 0 && kHigh[k] == u) return char(0x80 + k);
  return '?';
}

}  // namespace

std::string MapClipboardUnicode(std::u16string_view units) {
  static const char* const kThirds[12] = {"-1/3", "-2/3", "-1/5", "-2/5", "-3/5", "-4/5",
                                          "-1/6", "-5/6", "-1/8", "-3/8", "-5/8", "-7/8"};
  std::string out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    if (u == 0) break;
    switch (u) {
      case 9: out += ' '; continue;
      case 169: case 174: case 8226: case 8227: case 8482: continue;
      case 188: out += "-1/4"; continue;
      case 189: out += "-1/2"; continue;
      case 190: out += "-3/4"; continue;
      case 8211: case 8212: out += '-'; continue;
      case 8216: case 8217: out += '\''; continue;
      case 8220: case 8221: case 8243: out += '"'; continue;
      default: break;
    }
    if (u >= 8531 && u <= 8542) {
      out += kThirds[u - 8531];
    } else if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      out += '?';  // a character outside the basic plane: one mark for the pair
      ++i;
    } else {
      out += ToCp1252(u);
    }
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t cp = 0xFFFD;
    size_t len = 1;
    if (c < 0x80) {
      cp = c;
    } else if (c >= 0xC2 && c <= 0xF4) {
      len = c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
      bool ok = i + len <= s.size();
      char32_t v = c & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
      for (size_t k = 1; ok && k < len; ++k) {
        const unsigned char cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80) ok = false;
        v = (v << 6) | (cc & 63);
      }
      if (ok && ((len == 3 && v < 0x800) || (len == 4 && (v < 0x10000 || v > 0x10FFFF)) ||
                 (v >= 0xD800 && v <= 0xDFFF)))
        ok = false;
      if (ok) cp = v;
      else len = 1;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += char16_t(0xD800 + (cp >> 10));
      out += char16_t(0xDC00 + (cp & 0x3FF));
    } else {
      out += char16_t(cp);
    }
    i += len;
  }
  return out;
}

std::string MapClipboardUtf8(std::string_view utf8) { return MapClipboardUnicode(Utf8ToUtf16(utf8)); }

}  // namespace pantrela
