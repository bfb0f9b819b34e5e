#include "ingredients/resize.h"

#include <vector>

#include "foundation/numtext.h"
#include "ingredients/ingredient_line.h"
#include "ingredients/measures.h"
#include "ingredients/text_ops.h"

namespace pantrela {

namespace {

// A servings answer: VAL of the text, rounded to a whole number, 0..255.
int ServingsValue(const std::string& text) {
  int32_t v = ingredients_detail::RoundQuantity(Val(text));
  if (v < 0) return 0;
  if (v > 255) return 255;
  return v;
}

bool IsOnly(const std::string& s, char c) { return s.find_first_not_of(c) == std::string::npos; }

std::string ResizeLine(std::string line, double ratio, int ingredientFormat) {
  textops::ReplaceAll(line, ",", ", ");
  textops::ReplaceAll(line, ";", "; ");
  textops::ReplaceAll(line, "\xBC", " 1/4");
  textops::ReplaceAll(line, "\xBD", " 1/2");
  textops::ReplaceAll(line, "\xBE", " 3/4");
  CollapseSpaces(line);
  while (!line.empty() && line.back() == ';') line.pop_back();

  const size_t n = line.size();
  if (n >= 2 && line.compare(0, 2, "==") == 0 && line.compare(n - 2, 2, "==") == 0 && !IsOnly(line, '=')) {
    // '== SAUCE ==' is a heading: 'Sauce:'
    size_t b = line.find_first_not_of('=');
    size_t e = line.find_last_not_of('=');
    line = line.substr(b, e - b + 1);
    CollapseSpaces(line);
    TitleCase(line);
    while (!line.empty() && line.back() == ':') line.pop_back();
    line += ':';
  } else if (n >= 3 && line.front() == '(' && line.compare(n - 2, 2, "):") == 0) {
    line = line.substr(1, n - 3);
    textops::LowerInPlace(line);
    line += ':';
  }

  if (line.compare(0, 4, "1 x ") == 0) {
    // '1 x 400g can tomatoes': the parser keeps only a marker amount for
    // "1 x", which would come out as '0'; scale the one instead.
    int32_t count = ingredients_detail::RoundQuantity(100.0 * ratio);
    std::string rest = line.substr(4);
    CollapseSpaces(rest);
    if (count <= 0) return rest;
    return FormatQuantity(double(count) / 100.0) + " x " + rest;
  }

  ParsedIngredient parsed = ParseIngredientLine(line, ratio, ingredientFormat);
  std::string out;
  if (parsed.quantity > 0) {
    out = FormatQuantity(double(parsed.quantity) / 100.0);
    out += ' ';
  }
  out += parsed.unit;
  out += ' ';
  out += parsed.item;
  CollapseSpaces(out);
  return out;
}

}  // namespace

void ResizeIngredientText(std::string& text, double ratio, int ingredientFormat) {
  if (text.empty()) return;
  std::string result;
  result.reserve(text.size() + text.size() / 4 + 16);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\r', start);
    bool lastWithoutCr = end == std::string::npos;
    if (lastWithoutCr) end = text.size();
    std::string line = text.substr(start, end - start);
    textops::RemoveChar(line, '\n');
    // A final run of line feeds after the last CR is no line of its own.
    if (!(lastWithoutCr && line.empty())) {
      result += ResizeLine(std::move(line), ratio, ingredientFormat);
      result += '\r';
    }
    start = end + 1;
  }
  text.swap(result);
}

int ResizeRecipe(uint8_t& servings, std::string& ingredients, const Settings& settings, Dialogs& dialogs) {
  static constexpr char kTitle[] = "Resize Recipe Ingredients";
  std::vector<FormField> fields(2);
  fields[0].text = Plain(servings);
  std::string message = kTitle;
  int original = 0, desired = 0;
  for (;;) {
    int button = dialogs.Form(message, "Original Servings:|Desired Servings:", 1, "OK|Cancel", 105, fields);
    if (button != 1) return 0;
    if (fields.size() < 2) fields.resize(2);
    original = ServingsValue(fields[0].text);
    desired = ServingsValue(fields[1].text);
    message = kTitle;
    if (original == 0) message += "|* Original servings must be larger than zero *";
    if (desired == 0) message += "|* Desired servings must be larger than zero *";
    if (original != 0 && desired != 0) break;
  }
  servings = uint8_t(desired);
  ResizeIngredientText(ingredients, double(desired) / double(original), settings.ingredient_format);
  return 1;
}

}  // namespace pantrela
