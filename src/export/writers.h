// The record writers of the export formats. Each appends the bytes of one
// recipe (CR LF line ends, Windows-1252 text) to `out`; the writer loop
// hands every recipe's bytes to its output as soon as they are made, so only
// one recipe is held at a time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "database/record.h"

namespace pantrela {

// What the writers take from outside the recipe.
struct ExportStyle {
  int ingredientFormat = 0;  // the ingredient_format setting, read by the line parser
  std::string webAddress;    // the vendor's address in the "Exported from" lines
};

// One recipe as the writers read it: the current record and its chapter's name.
struct ExportRecipe {
  const CurrentRecord& record;
  std::string_view chapter;
};

// The lines of an ingredients text as the Meal-Master and RecipeML writers
// take them: one per stored line (up to the wrapped-line limit), never
// broken inside an ingredient.
std::vector<std::string> IngredientLines(std::string_view text);

// Heading test: trimmed of spaces, shorter than 60 characters and ending in ":".
bool IsHeadingLine(std::string_view text);

// Base64 of the photo bytes without "=" padding (missing bytes count as
// zero, so the text always has 4 x ceil(size / 3) characters), in lines of
// 76 characters, each ended by CR LF.
std::string PhotoBase64Lines(std::string_view bytes);

// Amount and unit of one wrapped ingredient line, as the Meal-Master,
// Mastercook and RecipeML writers split it.
struct SplitIngredient {
  std::string whole;     // "" for none
  std::string fraction;  // "" for none
  std::string unit;      // "" for none
  std::string item;
};
SplitIngredient SplitIngredientLine(std::string_view line, int unitStyle, int ingredientFormat);

void WriteOwnTextRecipe(const ExportRecipe& r, const ExportStyle& style, std::string& out);
void WriteMealMasterRecipe(const ExportRecipe& r, const ExportStyle& style, std::string& out);
void WriteMastercookRecipe(const ExportRecipe& r, const ExportStyle& style, std::string& out);
void WriteGenericRecipe(const ExportRecipe& r, const ExportStyle& style, std::string& out);

// The recipe index: a chapter heading whenever the chapter changes (two
// empty lines before every heading but the first), then "  " + title.
void WriteRecipeIndexEntry(std::string_view chapter, std::string_view title, std::string& previousChapter,
                           std::string& out);

// RecipeML: the document start (no line end, the first recipe follows on the
// same line), one recipe, and the end.
inline constexpr const char* kRecipeMlStart = "<?xml version=\"1.0\" ?><recipeml version=\"0.5\">";
inline constexpr const char* kRecipeMlEnd = "</recipeml>\r\n";
void WriteRecipeMlRecipe(const ExportRecipe& r, const ExportStyle& style, std::string& out);
// Markup characters as entities; bytes from 127 up as numeric references to
// their Unicode characters; other control bytes as "?". Pure 7-bit output.
std::string XmlEscape(std::string_view text);

}  // namespace pantrela
