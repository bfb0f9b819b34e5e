// bench-deps: pantrela_ingredients
// Parses and re-formats one million ingredient lines drawn from a mix of the
// forms recipe files and web pages carry (fractions, mixed numbers, ranges,
// units with and without periods, lines without amounts, headings).
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "ingredients/ingredient_line.h"
#include "ingredients/measures.h"
#include "ingredients/resize.h"

namespace {

const char* const kAmounts[] = {"1", "2", "3", "4", "6", "12", "1/2", "1/4", "3/4", "1/3", "2/3", "1/8",
                                "1 1/2", "1-1/2", "2 1/4", "11/2", "1\xBD", "\xBC", "1.5", "0.25", "2-3",
                                "1 x", "8", "16", "15/16", "2 - 3", "10"};
const char* const kUnits[] = {"cup", "cups", "c.", "tsp", "tsp.", "teaspoon", "teaspoons", "Tbsp", "Tbsp.", "T",
                              "tablespoons", "lb", "lbs", "pound", "oz", "ounces", "g", "kg", "ml", "large",
                              "medium", "small", "cloves", "can", "package", "pinch", "dash", "slices", "quart",
                              "pint", "bunch", "", "", "", ""};
const char* const kItems[] = {"all-purpose flour",
                              "sugar",
                              "unsalted butter, softened",
                              "garlic, minced",
                              "olive oil",
                              "salt",
                              "freshly ground black pepper",
                              "eggs, lightly beaten",
                              "milk",
                              "chicken broth",
                              "onion, finely chopped",
                              "diced tomatoes, undrained",
                              "heavy cream",
                              "baking powder",
                              "vanilla extract",
                              "boneless, skinless chicken breasts, cut into 1-inch pieces",
                              "shredded cheddar cheese (about 8 oz)",
                              "fresh parsley, chopped"};
const char* const kWhole[] = {"Salt and pepper to taste", "FILLING:", "Vegetable oil for frying",
                              "== SAUCE ==", "Juice of 1 lemon", "- Garnish -"};

std::vector<std::string> MakeLines(size_t count) {
  std::mt19937 rng(860);
  auto pick = [&](auto& table) { return table[rng() % std::size(table)]; };
  std::vector<std::string> lines;
  lines.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    if (rng() % 16 == 0) {
      lines.emplace_back(pick(kWhole));
      continue;
    }
    std::string line = pick(kAmounts);
    std::string unit = pick(kUnits);
    if (!unit.empty()) line += " " + unit;
    line += " ";
    line += pick(kItems);
    lines.push_back(std::move(line));
  }
  return lines;
}

void BM_ParseAndFormatMillionLines(benchmark::State& state) {
  const std::vector<std::string> lines = MakeLines(1000000);
  const int format = int(state.range(0));
  for (auto _ : state) {
    size_t total = 0;
    for (const std::string& line : lines) {
      pantrela::ParsedIngredient p = pantrela::ParseIngredientLine(line, 1.0, format);
      std::string out = pantrela::FormatIngredientLine(p.quantity, p.unit, p.item);
      total += out.size();
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(lines.size()));
}
BENCHMARK(BM_ParseAndFormatMillionLines)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_CleanImportMillionLines(benchmark::State& state) {
  const std::vector<std::string> lines = MakeLines(1000000);
  for (auto _ : state) {
    size_t total = 0;
    for (const std::string& line : lines) {
      std::string s = line;
      pantrela::CleanImportLine(s);
      total += s.size();
    }
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_CleanImportMillionLines)->Unit(benchmark::kMillisecond);

void BM_ResizeRecipeText(benchmark::State& state) {
  // A 40-line ingredient list, resized as the recipe view does.
  const std::vector<std::string> lines = MakeLines(40);
  std::string text;
  for (const std::string& line : lines) text += line + "\r";
  for (auto _ : state) {
    std::string copy = text;
    pantrela::ResizeIngredientText(copy, 1.5, 0);
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(BM_ResizeRecipeText);

}  // namespace

BENCHMARK_MAIN();
