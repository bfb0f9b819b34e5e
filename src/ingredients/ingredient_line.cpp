#include "ingredients/ingredient_line.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>

#include "foundation/numtext.h"
#include "ingredients/text_ops.h"

namespace pantrela {

using textops::IsAsciiLetter;
using textops::IsDigit;
using textops::ReplaceAll;

namespace ingredients_detail {

int32_t RoundQuantity(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  double floorValue = std::floor(value);
  double diff = value - floorValue;
  double result = floorValue;
  if (diff > 0.5) {
    result = floorValue + 1;
  } else if (diff == 0.5) {
    // Halves go to the even neighbour.
    if (std::fmod(floorValue, 2.0) != 0) result = floorValue + 1;
  }
  if (result >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (result <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return int32_t(result);
}

}  // namespace ingredients_detail

using ingredients_detail::RoundQuantity;

namespace {

// VAL of the quantity texts, which hold only digits, "-", ".", "/" and
// blanks. Short plain numbers are read directly (the result is the correctly
// rounded value, as a decimal conversion gives); anything else goes through
// the general reader.
double QuantityVal(std::string_view t) {
  size_t i = 0;
  bool negative = false;
  if (i < t.size() && t[i] == '-') {
    negative = true;
    ++i;
  }
  uint64_t mantissa = 0;
  int digits = 0, fracDigits = 0;
  while (i < t.size() && IsDigit(t[i])) {
    mantissa = mantissa * 10 + uint64_t(t[i] - '0');
    ++digits;
    ++i;
  }
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && IsDigit(t[i])) {
      mantissa = mantissa * 10 + uint64_t(t[i] - '0');
      ++digits;
      ++fracDigits;
      ++i;
    }
  }
  if (digits > 15 || fracDigits > 15) return Val(t);
  static constexpr double kPowers[16] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  double v = double(mantissa) / kPowers[fracDigits];
  return negative ? -v : v;
}

// (numerator / denominator + whole) x 100 as a quantity; a zero denominator
// gives no quantity rather than an infinite one.
int32_t FractionQuantity(double whole, double numerator, double denominator) {
  if (denominator == 0) return 0;
  return RoundQuantity((numerator / denominator + whole) * 100.0);
}

bool InQuantitySet(unsigned char c) { return c == ' ' || (c >= 45 && c <= 57); }

bool InLeadStripSet(char c) {
  static constexpr std::string_view kSet = "!-=+\\|@#$%^&*{}[]<>?/~`;:,";
  return kSet.find(c) != std::string_view::npos;
}

// Reads the quantity prefix at the front of s (s is collapsed and trimmed,
// longer than one character). Returns the quantity and sets `consumed` to the
// number of leading characters that belong to it (s.size() when the whole
// line is digits and separators).
int32_t ReadQuantityPrefix(std::string_view s, size_t& consumed) {
  size_t scan = 0;
  while (scan < s.size() && InQuantitySet((unsigned char)s[scan])) ++scan;
  if (scan == s.size()) {
    consumed = s.size();
    return 0;  // VAL of an empty prefix
  }
  std::string_view p = s.substr(0, scan);
  while (!p.empty() && p.back() == ' ') p.remove_suffix(1);
  while (!p.empty() && p.back() == '-') p.remove_suffix(1);
  while (!p.empty() && p.back() == '.') p.remove_suffix(1);
  while (!p.empty() && p.back() == '/') p.remove_suffix(1);
  {
    size_t slash = p.find('/'), space = p.find(' ');
    if (slash != std::string_view::npos && space != std::string_view::npos && slash < space) p = p.substr(0, space);
  }
  const size_t length = p.size();
  // Positions counted from 1, 0 when absent.
  auto pos1 = [&](char c) -> size_t {
    size_t at = p.find(c);
    return at == std::string_view::npos ? 0 : at + 1;
  };
  const size_t sp = pos1(' '), da = pos1('-'), sl = pos1('/');

  if (sp == 0 && da == 0 && sl == 0) {
    consumed = length;
    return RoundQuantity(QuantityVal(p) * 100.0);
  }
  if (sp > 0 && sl > sp && (sl - sp == 2 || sl - sp == 3)) {
    // '1 1/2', '1 11/16'
    consumed = length;
    return FractionQuantity(QuantityVal(p.substr(0, sp - 1)), QuantityVal(p.substr(sp, sl - sp - 1)),
                            QuantityVal(p.substr(sl)));
  }
  if (sp > 0) {
    // '2 - 3': only the number before the blank is the quantity.
    consumed = sp - 1;
    return RoundQuantity(QuantityVal(p.substr(0, sp - 1)) * 100.0);
  }
  if (da == 0 && sl > 0) {
    std::string_view before = p.substr(0, sl - 1);
    double numerator = QuantityVal(before);
    double denominator = QuantityVal(p.substr(sl));
    double whole = 0;
    if (before.size() > 1 && denominator < numerator) {
      // A mixed number written without its blank: '11/2' is 1 1/2.
      whole = QuantityVal(before.substr(0, 1));
      numerator = QuantityVal(before.substr(1));
    }
    consumed = length;
    return FractionQuantity(whole, numerator, denominator);
  }
  if (da > 0 && sl > 0 && da < sl) {
    // '1-1/2'
    consumed = length;
    return FractionQuantity(QuantityVal(p.substr(0, da - 1)), QuantityVal(p.substr(da, sl - da - 1)),
                            QuantityVal(p.substr(sl)));
  }
  // A range such as '2-3' stays in the item text.
  consumed = 0;
  return 0;
}

struct UnitRow {
  std::array<std::string_view, 9> spellings;
  const char* full;
  const char* abbreviated;
};

// The unit vocabulary; the first row holding a spelling wins.
constexpr UnitRow kUnits[] = {
    {{"cup", "c", "cp"}, "cup", "c"},
    {{"teaspoon", "teaspooon", "t", "tea", "tsp", "ts", "teasp", "tspn", "tsps"}, "teaspoon", "ts"},
    {{"tablespoon", "tablespooon", "tb", "tbs", "tbsp", "tbl", "tab", "tablesp", "tblsp"}, "tablespoon", "tb"},
    {{"large", "lrg", "lg"}, "large", "lg"},
    {{"medium", "med", "md"}, "medium", "md"},
    {{"small", "sml", "sm"}, "small", "sm"},
    {{"pint", "pt"}, "pint", "pt"},
    {{"quart", "qt"}, "quart", "qt"},
    {{"gallon", "gal", "ga"}, "gallon", "ga"},
    {{"liter", "lit", "l"}, "liter", "l"},
    {{"pound", "lb"}, "pound", "lb"},
    {{"ounce", "oz"}, "ounce", "oz"},
    {{"square", "sq"}, "square", "sq"},
    {{"can", "cn"}, "can", "cn"},
    {{"package", "pkg", "pk"}, "package", "pk"},
    {{"pinch", "pn", "pinche"}, "pinch", "pn"},
    {{"drop", "dr"}, "drop", "dr"},
    {{"dash", "ds", "dashe"}, "dash", "ds"},
    {{"carton", "ct"}, "carton", "ct"},
    {{"bunch", "bn", "bunche"}, "bunch", "bn"},
    {{"slice", "sl", "slc"}, "slice", "sl"},
    {{"box", "bx", "boxe"}, "box", "bx"},
    {{"clove", "cl", "centiliter"}, "clove", "cl"},  // Full: "clove" only for garlic
    {{"deciliter", "dl"}, "dl", "dl"},
    {{"milliliter", "ml"}, "ml", "ml"},
    {{"milligram", "mg"}, "mg", "mg"},
    {{"decigram", "dg"}, "dg", "dg"},
    {{"centigram", "cg"}, "cg", "cg"},
    {{"kilogram", "kg"}, "kg", "kg"},
    {{"gram", "g"}, "g", "g"},
    {{"each", "ea", "x"}, "each", "ea"},
};
constexpr size_t kCloveRow = 22;
static_assert(std::string_view(kUnits[kCloveRow].full) == "clove");
constexpr size_t kNoUnit = std::size(kUnits);

// The first row that holds the spelling, or kNoUnit.
size_t FindUnitRow(std::string_view key) {
  static const std::unordered_map<std::string_view, size_t> kBySpelling = [] {
    std::unordered_map<std::string_view, size_t> map;
    for (size_t row = 0; row < std::size(kUnits); ++row)
      for (std::string_view spelling : kUnits[row].spellings)
        if (!spelling.empty()) map.emplace(spelling, row);  // an earlier row wins
    return map;
  }();
  if (key.size() > 11) return kNoUnit;  // no spelling is longer
  auto it = kBySpelling.find(key);
  return it == kBySpelling.end() ? kNoUnit : it->second;
}

bool ContainsGarlic(std::string_view line) {
  static constexpr char kWord[] = "garlic";
  for (size_t i = 0; i + 6 <= line.size(); ++i) {
    size_t k = 0;
    while (k < 6 && textops::Lower1252((unsigned char)line[i + k]) == (unsigned char)kWord[k]) ++k;
    if (k == 6) return true;
  }
  return false;
}

}  // namespace

std::string RecognizeUnit(UnitStyle style, int32_t quantity, std::string_view word, std::string_view line) {
  for (char c : word) {
    if (IsDigit((unsigned char)c)) return {};
  }
  std::string u;
  for (char c : word)
    if (IsAsciiLetter((unsigned char)c)) u += c;
  if (u.empty()) return {};
  if (u == "T") u = "tb";  // a capital T is a tablespoon, a small t a teaspoon
  for (char& c : u) c = char(textops::Lower1252((unsigned char)c));
  while (!u.empty() && u.back() == 's') u.pop_back();
  std::string_view key = u;
  if (key.empty()) return {};

  size_t row = FindUnitRow(key);
  if (row == kNoUnit) return {};

  std::string unit;
  if (style == UnitStyle::Abbreviated) return kUnits[row].abbreviated;
  if (row == kCloveRow) {
    unit = ContainsGarlic(line) ? "clove" : "cl";
  } else {
    unit = kUnits[row].full;
  }
  if (quantity > 100) {
    static constexpr std::string_view kWithEs[] = {"pinch", "box", "bunch", "dash"};
    static constexpr std::string_view kNoPlural[] = {"ml",    "cc",    "dl",     "cl",    "mg",  "g",
                                                     "kg",    "small", "medium", "large", "each"};
    for (std::string_view w : kWithEs)
      if (unit == w) return unit + "es";
    for (std::string_view w : kNoPlural)
      if (unit == w) return unit;
    if (unit.back() != 's') unit += 's';
  }
  return unit;
}

void CollapseSpaces(std::string& text) {
  size_t w = 0;
  for (size_t r = 0; r < text.size(); ++r) {
    unsigned char c = (unsigned char)text[r];
    if (c <= 10) continue;
    if (c == ' ' && w > 0 && text[w - 1] == ' ') continue;
    text[w++] = char(c);
  }
  text.resize(w);
  textops::TrimSpacesInPlace(text);
}

int32_t LeadingInteger(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && !IsDigit((unsigned char)text[i])) ++i;
  size_t start = i;
  while (i < text.size() && IsDigit((unsigned char)text[i])) ++i;
  if (start == i) return 0;
  return ValInt(text.substr(start, i - start));
}

void TitleCase(std::string& text) {
  int previous = -1;  // none at the start
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = (unsigned char)text[i];
    bool lower;
    if (previous >= 0 && (IsAsciiLetter((unsigned char)previous) || previous >= 127)) {
      lower = true;
    } else if (previous == '\'') {
      lower = i != 1;
    } else {
      lower = false;
    }
    text[i] = char(lower ? textops::Lower1252(c) : textops::Upper1252(c));
    if (c != '\r') previous = c;
  }
  // A trailing roman numeral II or III, standing as its own word.
  size_t n = text.size();
  size_t run = 0;
  while (run < n && run < 4 && (text[n - 1 - run] == 'i' || text[n - 1 - run] == 'I')) ++run;
  if (run == 2 || run == 3) {
    size_t start = n - run;
    unsigned char before = start > 0 ? (unsigned char)text[start - 1] : ' ';
    if (!IsAsciiLetter(before) && before < 127) {
      for (size_t i = start; i < n; ++i) text[i] = 'I';
    }
  }
}

ParsedIngredient ParseIngredientLine(std::string_view line, double factor, int ingredientFormat) {
  ParsedIngredient result;
  std::string s;
  // Single-byte vulgar fractions become dashed fractions ('1½' -> '1-1/2').
  auto isVulgar = [](char ch) { return (unsigned char)ch >= 188 && (unsigned char)ch <= 190; };
  if (std::none_of(line.begin(), line.end(), isVulgar)) {
    s.assign(line);
  } else {
    s.reserve(line.size() + 16);
    for (char ch : line) {
      switch ((unsigned char)ch) {
        case 188: s += "-1/4"; break;
        case 189: s += "-1/2"; break;
        case 190: s += "-3/4"; break;
        default: s += ch;
      }
    }
  }
  if (!s.empty() && s[0] == '-') s.erase(0, 1);
  if (s.find('-') != std::string::npos) {
    ReplaceAll(s, "--", "-");
    // A fraction standing alone after a blank loses the dash given above.
    ReplaceAll(s, " -1/8", " 1/8");
    ReplaceAll(s, " -1/4", " 1/4");
    ReplaceAll(s, " -1/3", " 1/3");
    ReplaceAll(s, " -1/2", " 1/2");
    ReplaceAll(s, " -3/4", " 3/4");
  }
  if (s.find(" / ") != std::string::npos) {
    ReplaceAll(s, "1 / 8 ", "1/8 ");
    ReplaceAll(s, "1 / 4 ", "1/4 ");
    ReplaceAll(s, "1 / 3 ", "1/3 ");
    ReplaceAll(s, "1 / 2 ", "1/2 ");
    ReplaceAll(s, "2 / 3 ", "2/3 ");
    ReplaceAll(s, "3 / 4 ", "3/4 ");
  }
  for (char& ch : s)
    if ((unsigned char)ch < 32) ch = ' ';
  {
    size_t lead = 0;
    while (lead < s.size() && InLeadStripSet(s[lead])) ++lead;
    if (lead) s.erase(0, lead);
  }
  CollapseSpaces(s);
  ReplaceAll(s, " -- ", ", ");

  int32_t quantity = 0;
  if (s.compare(0, 4, "1 x ") == 0) {
    s.erase(0, 4);
    quantity = 1;
  } else if (s.compare(0, 5, "0.00 ") == 0) {
    s.erase(0, 5);
    quantity = 1;
  } else if (s.size() > 1) {
    size_t consumed = 0;
    quantity = ReadQuantityPrefix(s, consumed);
    if (consumed) s.erase(0, consumed);
    textops::TrimSpacesInPlace(s);
  }

  if (factor != 1.0) quantity = RoundQuantity(double(quantity) * factor);
  result.quantity = quantity;

  size_t space = s.find(' ');
  std::string_view word;
  if (space != std::string::npos) word = textops::TrimSpaces(std::string_view(s).substr(0, space));
  std::string unit = word.empty() ? std::string() : RecognizeUnit(UnitStyleFor(ingredientFormat), quantity, word, s);
  if (!unit.empty()) {
    result.unit = ingredientFormat == kFormatKeepOriginal ? std::string(word) : std::move(unit);
    s.erase(0, space + 1);
    textops::TrimSpacesInPlace(s);
    result.item = std::move(s);
  } else {
    result.item = std::move(s);
  }
  return result;
}

}  // namespace pantrela
