// The text formats: the program's own exchange format, Meal-Master,
// Mastercook, generic text and the recipe index.
#include <algorithm>
#include <cmath>
#include <limits>

#include "export/writers.h"
#include "foundation/context.h"
#include "foundation/numtext.h"
#include "foundation/wrap_text.h"
#include "ingredients/ingredient_line.h"
#include "ingredients/measures.h"
#include "ingredients/text_ops.h"

namespace pantrela {

namespace {

constexpr const char* kCrLf = "\r\n";

void Line(std::string& out, std::string_view text) {
  out.append(text);
  out += kCrLf;
}

void Lines(std::string& out, std::string_view text, int width) {
  for (const std::string& l : WrapTextLines(text, width)) Line(out, l);
}

// n / 2 rounded to the nearest whole number, halves to even.
int HalfRoundedEven(int n) {
  int q = n >= 0 ? n / 2 : -((-n + 1) / 2);  // floor
  if (n % 2 != 0 && q % 2 != 0) ++q;
  return q;
}

std::string PadLeft(std::string_view s, size_t width) {
  return s.size() >= width ? std::string(s) : std::string(width - s.size(), ' ') + std::string(s);
}

std::string PadRight(std::string_view s, size_t width) {
  std::string out(s.substr(0, width));
  out.append(width - out.size(), ' ');
  return out;
}

std::string ExportedFrom(const ExportStyle& style) {
  return std::string("Exported from ") + kProgramName + " " + kVersionText + " (" + style.webAddress + ")";
}

// The next piece of an item text: all of it when shorter than `limit`,
// otherwise its first `limit` characters cut after the last space among them
// (the piece keeps the space), or all `limit` when there is none.
std::string_view NextPiece(std::string_view t, size_t limit) {
  if (t.size() < limit) return t;
  std::string_view head = t.substr(0, limit);
  size_t space = head.rfind(' ');
  return space == std::string_view::npos ? head : head.substr(0, space + 1);
}

}  // namespace

std::vector<std::string> IngredientLines(std::string_view text) {
  return WrapTextLines(text, std::numeric_limits<int>::max());
}

bool IsHeadingLine(std::string_view text) {
  std::string_view t = textops::TrimSpaces(text);
  return t.size() < 60 && !t.empty() && t.back() == ':';
}

std::string PhotoBase64Lines(std::string_view bytes) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4 * 78 / 76 + 4);
  size_t column = 0;
  auto put = [&](char c) {
    out += c;
    if (++column == 76) {
      out += kCrLf;
      column = 0;
    }
  };
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const uint32_t b0 = uint8_t(bytes[i]);
    const uint32_t b1 = i + 1 < bytes.size() ? uint8_t(bytes[i + 1]) : 0;
    const uint32_t b2 = i + 2 < bytes.size() ? uint8_t(bytes[i + 2]) : 0;
    const uint32_t v = (b0 << 16) | (b1 << 8) | b2;
    put(kAlphabet[(v >> 18) & 63]);
    put(kAlphabet[(v >> 12) & 63]);
    put(kAlphabet[(v >> 6) & 63]);
    put(kAlphabet[v & 63]);
  }
  if (column > 0) out += kCrLf;
  return out;
}

SplitIngredient SplitIngredientLine(std::string_view line, int unitStyle, int ingredientFormat) {
  const ParsedIngredient p = ParseIngredientLine(line, 1.0, ingredientFormat);
  SplitIngredient s;
  const int64_t q = p.quantity;
  int64_t whole = q >= 0 ? q / 100 : -((-q + 99) / 100);  // INT rounds down
  std::string fraction = FormatQuantity(double(q) / 100.0 - double(whole));
  // A fraction that rounds up to a whole one (0.97 and above) is carried
  // into the whole number instead of being written as a second "1".
  if (fraction == "1") {
    ++whole;
    fraction.clear();
  }
  if (fraction == "0") fraction.clear();
  s.whole = whole == 0 ? "" : Fmt(whole);
  s.fraction = fraction;
  s.unit = RecognizeUnit(UnitStyle(unitStyle), p.quantity, p.unit, p.item);
  s.item = p.item;
  return s;
}

void WriteOwnTextRecipe(const ExportRecipe& r, const ExportStyle& style, std::string& out) {
  const CurrentRecord& rec = r.record;
  Line(out, std::string(kProgramName) + " Chapter: " + std::string(r.chapter));
  Line(out, "");
  Line(out, rec.title);
  Line(out, std::string(rec.title.size(), '='));
  if (!rec.ingredients.empty()) {
    // A recipe's ingredients go one stored line to a written line, so that
    // a long ingredient is not read back as two.
    if (rec.kind() == kKindRecipe)
      for (const std::string& l : IngredientLines(rec.ingredients)) Line(out, l);
    else
      Lines(out, rec.ingredients, 78);
  }
  if (!rec.directions.empty()) {
    Line(out, ".");
    Lines(out, rec.directions, 67);
  }
  if (!rec.photo.empty()) {
    Line(out, "");
    Line(out, "Photo: " + Fmt(int64_t(rec.photo.size())));
    out += PhotoBase64Lines(rec.photo);
  }
  Line(out, "");
  Line(out, "Servings: " + Fmt(rec.kind() == kKindInfo ? 0 : rec.servings()));
  Line(out, "");
  Line(out, ExportedFrom(style));
  Line(out, "");
  Line(out, "");
}

void WriteMealMasterRecipe(const ExportRecipe& r, const ExportStyle& style, std::string& out) {
  const CurrentRecord& rec = r.record;
  const bool recipe = rec.kind() == kKindRecipe;
  Line(out, "MMMMM----- Meal-Master Recipe");
  Line(out, "");
  Line(out, "      Title: " + std::string(textops::TrimSpaces(rec.title)));
  Line(out, " Categories: " + std::string(r.chapter));
  if (rec.servings() > 0 && recipe) Line(out, "      Yield: " + Fmt(rec.servings()));
  Line(out, "");
  if (recipe) {
    // Each stored ingredient line is written whole: an item too long for
    // one line goes on in continuation lines, which a reader joins again,
    // instead of being broken into two ingredients at column 78.
    for (const std::string& line : IngredientLines(rec.ingredients)) {
      if (IsHeadingLine(line)) {
        // A heading is written whole, with whatever words it begins with.
        const std::string_view text = textops::TrimSpaces(line);
        const std::string_view name = text.substr(0, text.size() - 1);
        std::string heading(70, '-');
        heading.replace(0, 5, "MMMMM");
        const int column = std::max(6, 35 - HalfRoundedEven(int(text.size())));
        heading.replace(size_t(column - 1), name.size(), name);
        Line(out, heading);
        continue;
      }
      const SplitIngredient s = SplitIngredientLine(line, int(UnitStyle::Abbreviated), style.ingredientFormat);
      std::string amount(textops::TrimSpaces(s.whole + " " + s.fraction));
      if (amount.size() > 7) amount.resize(7);
      std::string_view t = s.item;
      bool first = true;
      do {
        std::string_view piece = NextPiece(t, 29);
        if (first) Line(out, PadLeft(amount, 7) + " " + PadRight(s.unit, 2) + " " + std::string(piece));
        else Line(out, std::string(11, ' ') + "-" + std::string(piece));
        first = false;
        t.remove_prefix(piece.size());
      } while (!t.empty());
    }
    Line(out, "");
    Lines(out, rec.directions, 67);
  } else {
    Lines(out, rec.directions, 78);
  }
  Line(out, "");
  Line(out, "  " + ExportedFrom(style));
  Line(out, "");
  Line(out, "MMMMM");
  Line(out, "");
}

void WriteMastercookRecipe(const ExportRecipe& r, const ExportStyle& style, std::string& out) {
  const CurrentRecord& rec = r.record;
  const bool recipe = rec.kind() == kKindRecipe;
  Line(out, std::string(20, ' ') + "*  Exported from  Mastercook  *");
  Line(out, "");
  const int indent = HalfRoundedEven(72 - int(rec.title.size()));
  Line(out, std::string(size_t(indent > 0 ? indent : 0), ' ') + rec.title);
  Line(out, "");
  Line(out, std::string("Recipe By     : ") + kProgramName + " " + kVersionText + "  (" + style.webAddress + ")");
  // The servings take four columns from column 17, the preparation time
  // follows after two spaces.
  if (rec.servings() > 0 && recipe)
    Line(out, "Serving Size  : " + PadRight(Fmt(rec.servings()), 4) + "  Preparation Time :0:00");
  else
    Line(out, "Serving Size  :      Preparation Time :0:00");
  Line(out, "Categories    : " + std::string(r.chapter));
  Line(out, "");
  Line(out, "  Amount  Measure       Ingredient -- Preparation Method");
  Line(out, "--------  ------------  --------------------------------");
  if (recipe) {
    // Whole stored lines, as for Meal-Master; a long item goes on in
    // continuation lines marked "-- ", which Mastercook readers join.
    for (const std::string& line : IngredientLines(rec.ingredients)) {
      const SplitIngredient s = SplitIngredientLine(line, int(UnitStyle::Full), style.ingredientFormat);
      std::string amount;
      if (s.whole.size() <= 4 && s.fraction.size() <= 4) {
        amount = PadLeft(s.whole, 4) + PadLeft(s.fraction, 4);
      } else {
        // "11/16" and other five-character fractions do not fit their four
        // columns: the amount then takes both columns as one, whole.
        amount = PadLeft(textops::TrimSpaces(s.whole + " " + s.fraction), 8);
      }
      std::string unit = s.unit;
      textops::LowerInPlace(unit);
      const std::string prefix = amount + "  " + PadRight(unit, 12) + "  ";
      std::string_view t = s.item;
      bool first = true;
      do {
        std::string_view piece = NextPiece(t, 50);
        Line(out, (first ? prefix : std::string(24, ' ') + "-- ") + std::string(piece));
        first = false;
        t.remove_prefix(piece.size());
      } while (!t.empty());
    }
    Line(out, "");
  } else {
    Line(out, "");
  }
  Lines(out, rec.directions, 72);
  Line(out, "");
  Line(out, std::string(19, ' ') + "- - - - - - - - - - - - - - - - - -");
  Line(out, "");
  Line(out, "");
}

void WriteGenericRecipe(const ExportRecipe& r, const ExportStyle& style, std::string& out) {
  const CurrentRecord& rec = r.record;
  const bool recipe = rec.kind() == kKindRecipe;
  Line(out, "Title: " + rec.title);
  Line(out, "Chapter: " + std::string(r.chapter));
  if (recipe && rec.servings() > 0) Line(out, "Servings: " + Fmt(rec.servings()));
  Line(out, "");
  if (!rec.ingredients.empty()) Lines(out, rec.ingredients, recipe ? 67 : 78);
  if (!rec.directions.empty()) {
    Line(out, "");
    for (const std::string& l : WrapTextLines(rec.directions, 67)) {
      out += l;
      out += ' ';
    }
  }
  out += kCrLf;
  out += "\r\n\r\n-----\r\n\r\n";
}

void WriteRecipeIndexEntry(std::string_view chapter, std::string_view title, std::string& previousChapter,
                           std::string& out) {
  if (chapter != previousChapter) {
    if (!previousChapter.empty()) out += "\r\n\r\n";
    Line(out, chapter);
    Line(out, std::string(chapter.size() + 1, '='));
    previousChapter = std::string(chapter);
  }
  Line(out, "  " + std::string(title));
}

}  // namespace pantrela
