// Measurement formatting: decimal quantities as cook's fractions ('1-1/2'),
// parsed ingredients back into display lines, the measurement format choice,
// and the clean-up every imported text line goes through.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/dialogs.h"

namespace pantrela {

// Labels of the ingredient_format values 0, 1 and 2.
inline constexpr std::array<const char*, 3> kIngredientFormatLabels = {
    "Full Measures", "Abbreviated Measures", "No Formatting (keep original)"};
// The label of a format value ("" outside 0..2).
std::string IngredientFormatLabel(int ingredientFormat);

// The measurement format choice dialog. On OK `ingredientFormat` takes the
// chosen value and the result is true; the caller saves the settings.
bool ChooseIngredientFormat(Dialogs& dialogs, int32_t& ingredientFormat);

// A quantity as whole number and fraction in sixteenths, thirds and halves:
// 1.5 -> '1-1/2', 0.25 -> '1/4', 2.97 -> '3', 0.02 -> '0'.
std::string FormatQuantity(double value);

// quantity (hundredths), unit and item as one display line; quantities below
// 5 hundredths show no amount.
std::string FormatIngredientLine(int32_t quantity, std::string_view unit, std::string_view item);

// Normalises an imported ingredient or direction line in place: control
// characters, trade mark signs, vulgar fractions, stray dashes before
// fractions, spaced fractions and bold tags.
void CleanImportLine(std::string& text);

}  // namespace pantrela
