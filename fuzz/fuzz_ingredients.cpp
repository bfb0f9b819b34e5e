// fuzz-deps: pantrela_ingredients
// Ingredient text from any source: the line parser and formatter in all three
// measurement formats, the import line clean-up and the servings rescaling.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ingredients/ingredient_line.h"
#include "ingredients/measures.h"
#include "ingredients/resize.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The first byte picks the format and the resize ratio; the rest is text.
  const int format = data[0] % 3;
  static const double kRatios[] = {1.0, 2.0, 0.5, 1.0 / 3.0, 255.0, 1.0 / 255.0, 0.0, 1e9};
  const double ratio = kRatios[(data[0] >> 2) % 8];
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  pantrela::ParsedIngredient p = pantrela::ParseIngredientLine(text, ratio, format);
  std::string line = pantrela::FormatIngredientLine(p.quantity, p.unit, p.item);
  if (line.size() > text.size() + 64 + (text.size() + 1) * 4) std::abort();

  std::string cleaned = text;
  pantrela::CleanImportLine(cleaned);
  if (cleaned.size() > text.size() * 3 + 1) std::abort();

  std::string resized = text;
  pantrela::ResizeIngredientText(resized, ratio, format);
  if (!resized.empty() && resized.back() != '\r') std::abort();

  std::string titled = text;
  pantrela::TitleCase(titled);
  if (titled.size() != text.size()) std::abort();
  std::string collapsed = text;
  pantrela::CollapseSpaces(collapsed);
  (void)pantrela::LeadingInteger(text);
  (void)pantrela::FormatQuantity(p.quantity / 100.0);
  return 0;
}
