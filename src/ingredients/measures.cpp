#include "ingredients/measures.h"

#include <cmath>
#include <vector>

#include "foundation/numtext.h"
#include "ingredients/text_ops.h"

namespace pantrela {

using textops::ReplaceAll;

std::string IngredientFormatLabel(int ingredientFormat) {
  if (ingredientFormat < 0 || ingredientFormat >= int(kIngredientFormatLabels.size())) return {};
  return kIngredientFormatLabels[size_t(ingredientFormat)];
}

bool ChooseIngredientFormat(Dialogs& dialogs, int32_t& ingredientFormat) {
  std::vector<std::string> choices(kIngredientFormatLabels.begin(), kIngredientFormatLabels.end());
  int selected = (ingredientFormat >= 0 && ingredientFormat <= 2) ? ingredientFormat : 0;
  int button = dialogs.ChooseFromList("Select Format of Ingredient Measurements", choices, "OK|Cancel", selected);
  if (button != 1 || selected < 0 || selected > 2) return false;
  ingredientFormat = selected;
  return true;
}

namespace {

struct FractionBound {
  float below;  // single precision, compared against a double
  const char* text;
};

constexpr FractionBound kFractions[] = {
    {0.0372f, nullptr}, {0.0937f, "1/16"}, {0.1562f, "1/8"},  {0.2187f, "3/16"},  {0.2812f, "1/4"},
    {0.3229f, "5/16"},  {0.3541f, "1/3"},  {0.4062f, "3/8"},  {0.4687f, "7/16"},  {0.5312f, "1/2"},
    {0.5937f, "9/16"},  {0.6475f, "5/8"},  {0.6787f, "2/3"},  {0.7187f, "11/16"}, {0.7812f, "3/4"},
    {0.8437f, "13/16"}, {0.9062f, "7/8"},  {0.9687f, "15/16"},
};

}  // namespace

std::string FormatQuantity(double value) {
  if (!std::isfinite(value)) return "0";
  // Whole parts beyond 64 bits cannot be written; quantities never get near.
  constexpr double kLimit = 9.0e18;
  if (value > kLimit) value = kLimit;
  if (value < -kLimit) value = -kLimit;
  double wholePart = std::trunc(value);
  double f = value - wholePart;
  int64_t whole = int64_t(wholePart);
  const char* fraction = nullptr;
  bool found = false;
  for (const FractionBound& b : kFractions) {
    if (f < double(b.below)) {
      fraction = b.text;
      found = true;
      break;
    }
  }
  if (!found) ++whole;
  if (!fraction) return Plain(whole);
  if (whole >= 1) return Plain(whole) + "-" + fraction;
  return fraction;
}

std::string FormatIngredientLine(int32_t quantity, std::string_view unit, std::string_view item) {
  std::string_view u = textops::TrimSpaces(unit);
  std::string_view i = textops::TrimSpaces(item);
  std::string line;
  if (quantity >= 5) line = FormatQuantity(double(quantity) / 100.0);
  line.reserve(line.size() + u.size() + i.size() + 2);
  // Amount, unit and item joined by single blanks; empty parts leave no blank.
  for (std::string_view part : {u, i}) {
    if (part.empty()) continue;
    if (!line.empty()) line += ' ';
    line.append(part);
  }
  return line;
}

void CleanImportLine(std::string& text) {
  textops::RemoveChar(text, '\0');
  for (char& c : text)
    if (c == '\t') c = ' ';
  textops::RemoveChar(text, '\n');
  textops::RemoveChar(text, char(153));  // trade mark
  textops::RemoveChar(text, char(169));  // copyright
  textops::RemoveChar(text, char(174));  // registered
  ReplaceAll(text, "\xBC", "1/4");
  ReplaceAll(text, "\xBD", "1/2");
  ReplaceAll(text, "\xBE", "3/4");
  ReplaceAll(text, " .", ".");
  ReplaceAll(text, " ,", ",");
  for (char& c : text)
    if ((unsigned char)c == 146) c = '\'';
  if (text.find('<') != std::string::npos) {
    ReplaceAll(text, "<b>", "");
    ReplaceAll(text, "<B>", "");
    ReplaceAll(text, "</b>", "");
    ReplaceAll(text, "</B>", "");
  }
  {
    size_t lead = 0;
    while (lead < text.size() && text[lead] == '-') ++lead;
    if (lead) text.erase(0, lead);
  }
  if (text.find("(-") != std::string::npos) {
    for (const char* d : {"2", "3", "4", "5", "6", "8"}) {
      ReplaceAll(text, std::string("(-1/") + d, std::string("(1/") + d);
    }
  }
  if (text.find(" -") != std::string::npos) {
    for (const char* d : {"1", "2", "3", "4", "5", "6", "7"}) {
      ReplaceAll(text, std::string(" -") + d + "/", std::string(" ") + d + "/");
    }
  }
  if (text.find(" /") != std::string::npos) {
    ReplaceAll(text, "1 / 2 ", "1/2 ");
    ReplaceAll(text, "1 / 3 ", "1/3 ");
    ReplaceAll(text, "1 / 4 ", "1/4 ");
    ReplaceAll(text, "1 / 8 ", "1/8 ");
    ReplaceAll(text, "2 / 3 ", "2/3 ");
    ReplaceAll(text, "3 / 4 ", "3/4 ");
    ReplaceAll(text, " 1 /2", " 1/2");
    ReplaceAll(text, " 1 /3", " 1/3");
    ReplaceAll(text, " 1 /4", " 1/4");
    ReplaceAll(text, " 1 /8", " 1/8");
  }
}

}  // namespace pantrela
