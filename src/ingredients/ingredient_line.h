// Ingredient lines: the parser that splits '1-1/2 Tbsp. olive oil' into a
// quantity in hundredths, a unit from the fixed vocabulary and the item text,
// the unit recogniser the exporters also call, and three small text helpers
// every importer uses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/settings.h"

namespace pantrela {

struct ParsedIngredient {
  // Hundredths of a unit (150 is one and a half). 0 means no quantity; 1 to 4
  // is a quantity that was written but is too small to show.
  int32_t quantity = 0;
  // Lower case, singular or plural; empty when the line has no known unit.
  // With ingredient_format 2 it is the word as written in the line.
  std::string unit;
  // The rest of the line, trimmed.
  std::string item;
};

// How units are written: names with plurals, or the two-letter codes.
enum class UnitStyle : int { Full = 1, Abbreviated = 2 };

// Values of the ingredient_format setting.
inline constexpr int kFormatFull = 0;
inline constexpr int kFormatAbbreviated = 1;
inline constexpr int kFormatKeepOriginal = 2;

// Full for formats 0 and 2, Abbreviated for 1.
inline UnitStyle UnitStyleFor(int ingredientFormat) {
  return (ingredientFormat & 1) ? UnitStyle::Abbreviated : UnitStyle::Full;
}

// Splits a raw ingredient line. The parsed quantity is multiplied by factor
// (1 for plain parsing, the servings ratio when resizing) and rounded to the
// nearest hundredth, halves to even, within 32 bits.
ParsedIngredient ParseIngredientLine(std::string_view line, double factor, int ingredientFormat);
inline ParsedIngredient ParseIngredientLine(std::string_view line, double factor, const Settings& settings) {
  return ParseIngredientLine(line, factor, settings.ingredient_format);
}

// Maps one word to the unit vocabulary; empty when it is not a unit.
// quantity (hundredths, already scaled) decides the plural in Full style;
// line is the whole remaining line, read only to tell a garlic clove from a
// centilitre.
std::string RecognizeUnit(UnitStyle style, int32_t quantity, std::string_view word, std::string_view line);

// Removes codes 0 to 10, reduces runs of blanks to one and trims blanks.
void CollapseSpaces(std::string& text);

// The first run of digits in the text as a number ('Serves 4-6' gives 4,
// '2.5' gives 2); 0 when there is none. Clamped to 32 bits.
int32_t LeadingInteger(std::string_view text);

// Capitalises the first letter of every word and lower-cases the rest
// ('Grandma's' keeps its small s); a trailing roman "II" or "III" is written
// in capitals.
void TitleCase(std::string& text);

namespace ingredients_detail {
// Conversion of a computed quantity to the 32-bit field: nearest integer,
// halves to even; NaN gives 0, overflow clamps to the 32-bit range.
int32_t RoundQuantity(double value);
}  // namespace ingredients_detail

}  // namespace pantrela
