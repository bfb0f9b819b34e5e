// bench-deps: pantrela_import
// Importing a generated Meal-Master file end to end: reading, parsing,
// storing every recipe, then syncing, sorting and saving the index.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "database/collection.h"
#include "foundation/context.h"
#include "foundation/file.h"
#include "import/collection_target.h"
#include "import/import_files.h"

namespace {

using namespace pantrela;

const char* const kUnits[] = {"c ", "tb", "ts", "lb", "oz", "  ", "sm", "lg", "pn", "cn"};
const char* const kItems[] = {"Onions; chopped",   "Butter",          "All-purpose flour", "Chicken broth",
                              "Salt and pepper",   "Garlic cloves",   "Brown sugar",       "Eggs; beaten",
                              "Tomatoes; diced",   "Grated cheddar",  "Olive oil",         "Fresh parsley"};
const char* const kCategories[] = {"Soups",    "Breads",   "Desserts", "Main dish", "Vegetables", "Salads",
                                   "Poultry",  "Beef",     "Pasta",    "Cookies",   "Cakes",      "Sauces",
                                   "Seafood",  "Pork",     "Beverages", "Appetizers"};

std::string Column(const std::string& text) {
  std::string t = text;
  t.resize(40, ' ');
  return t;
}

std::string IngredientLine(unsigned r) {
  std::string amount = std::to_string(1 + r % 4);
  if (r % 3 == 0) amount += " 1/2";
  amount.insert(0, 7 - amount.size(), ' ');
  return amount + " " + kUnits[r % 10] + " " + kItems[(r / 10) % 12];
}

std::string GenerateFile(int recipes) {
  std::string out;
  out.reserve(size_t(recipes) * 1100);
  unsigned r = 12345;
  auto next = [&r] { return r = r * 1103515245u + 12345u; };
  for (int i = 0; i < recipes; ++i) {
    out += "MMMMM----- Recipe via Meal-Master (tm) v8.05\r\n\r\n";
    out += "      Title: Generated Recipe " + std::to_string(next() % 100000) + " " + std::to_string(i) + "\r\n";
    out += " Categories: " + std::string(kCategories[next() % 16]) + ", Generated\r\n";
    out += "      Yield: " + std::to_string(2 + next() % 8) + " servings\r\n\r\n";
    for (int k = 0; k < 4; ++k) out += Column(IngredientLine(next() >> 8)) + IngredientLine(next() >> 8) + "\r\n";
    out += IngredientLine(next() >> 8) + "\r\n";
    out += "           -finely chopped\r\n";
    out += "MMMMM--------------------------SAUCE-------------------------------\r\n";
    out += IngredientLine(next() >> 8) + "\r\n" + IngredientLine(next() >> 8) + "\r\n\r\n";
    out += "  Melt the butter in a large saucepan over medium heat. Add the onions and\r\n"
           "  cook until soft, about 5 minutes. Stir in the flour and cook 1 minute.\r\n\r\n"
           "  Whisk in the broth, bring to a boil and simmer 20 minutes. Season with\r\n"
           "  salt and pepper and serve hot.\r\n\r\nMMMMM\r\n\r\n";
  }
  return out;
}

std::string MakeFolder() {
  char pattern[] = "/tmp/bench_import.XXXXXX";
  const char* made = ::mkdtemp(pattern);
  return made ? std::string(made) + "/" : std::string();
}

// A MasterCook MX2 file of generated recipes.
std::string GenerateMx2(int recipes) {
  std::string out = "<?xml version=\"1.0\" standalone=\"yes\" encoding=\"ISO-8859-1\"?>\r\n"
                    "<!DOCTYPE mx2 SYSTEM \"mx2.dtd\">\r\n<mx2 source=\"bench\">\r\n";
  unsigned r = 777;
  auto next = [&r] { return r = r * 1103515245u + 12345u; };
  for (int i = 0; i < recipes; ++i) {
    out += "<RcpE name=\"Generated Recipe " + std::to_string(i) + "\" author=\"n/a\">\r\n<Serv qty=\"" +
           std::to_string(2 + next() % 8) + "\"/>\r\n<CatS><CatT>" + kCategories[next() % 16] +
           "</CatT><CatT>Generated</CatT></CatS>\r\n";
    for (int k = 0; k < 10; ++k)
      out += "<IngR name=\"" + std::string(kItems[next() % 12]) + "\" unit=\"cup\" qty=\"" +
             std::to_string(1 + next() % 4) + "\" code=\"I\"><IPrp>chopped</IPrp><INtI>1</INtI></IngR>\r\n";
    out += "<DirS><DirT>Melt the butter in a large saucepan over medium heat. Add the onions and cook until soft."
           "</DirT><DirT>Whisk in the broth, bring to a boil and simmer 20 minutes.</DirT></DirS>\r\n"
           "<Srce>Bench</Srce><Note>Keeps well.</Note>\r\n</RcpE>\r\n";
  }
  return out + "</mx2>\r\n";
}

// The same recipes as a Mastercook text export, the widest line format.
std::string GenerateMastercookText(int recipes) {
  std::string out;
  unsigned r = 4242;
  auto next = [&r] { return r = r * 1103515245u + 12345u; };
  for (int i = 0; i < recipes; ++i) {
    out += "                    *  Exported from  Mastercook  *\r\n\r\n                     Generated Recipe " +
           std::to_string(i) + "\r\n\r\nRecipe By     : Bench\r\nServing Size  : " + std::to_string(2 + next() % 8) +
           "     Preparation Time :0:00\r\nCategories    : " + kCategories[next() % 16] +
           "\r\n\r\n  Amount  Measure       Ingredient -- Preparation Method\r\n"
           "--------  ------------  --------------------------------\r\n";
    for (int k = 0; k < 10; ++k)
      out += "   " + std::to_string(1 + next() % 4) + "      cups          " + kItems[next() % 12] +
             " -- chopped\r\n";
    out += "\r\nMelt the butter in a large saucepan over medium heat. Add the onions and\r\n"
           "cook until soft, about 5 minutes.\r\n\r\nServe hot.\r\n\r\n"
           "                   - - - - - - - - - - - - - - - - - -\r\n\r\n\r\n";
  }
  return out;
}

// Imports the generated file into a fresh data folder per iteration.
void ImportGenerated(benchmark::State& state, const std::string& name, const std::string& bytes, int recipes) {
  const std::string folder = MakeFolder();
  const std::string source = folder + name;
  if (!WriteFileAtomic(source, bytes)) std::abort();
  int stored = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string data = folder + "data/";
    DeleteTree(data);
    CreateFolders(data);
    AppContext ctx;
    ctx.SetFolders(data, data);
    ctx.settings.import_chapter = 1;
    auto collection = std::make_unique<Collection>(ctx);
    OpenCollection(*collection);
    state.ResumeTiming();

    CollectionImportTarget target(*collection);
    int format = 0;
    stored = ImportFiles(ctx, target, format, {source});
  }
  if (stored != recipes) state.SkipWithError("not every recipe was stored");
  state.counters["recipes"] = stored;
  DeleteTree(folder);
}

void BM_ImportMx2(benchmark::State& state) {
  const int recipes = int(state.range(0));
  ImportGenerated(state, "generated.mx2", GenerateMx2(recipes), recipes);
}
BENCHMARK(BM_ImportMx2)->Arg(100)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_ImportMastercookText(benchmark::State& state) {
  const int recipes = int(state.range(0));
  ImportGenerated(state, "generated.txt", GenerateMastercookText(recipes), recipes);
}
BENCHMARK(BM_ImportMastercookText)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

void BM_ImportMealMaster(benchmark::State& state) {
  const int recipes = int(state.range(0));
  const std::string folder = MakeFolder();
  const std::string source = folder + "generated.mmf";
  if (!WriteFileAtomic(source, GenerateFile(recipes))) std::abort();
  int stored = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string data = folder + "data/";
    DeleteTree(data);
    CreateFolders(data);
    AppContext ctx;
    ctx.SetFolders(data, data);
    ctx.settings.import_chapter = 1;
    auto collection = std::make_unique<Collection>(ctx);
    OpenCollection(*collection);
    state.ResumeTiming();

    CollectionImportTarget target(*collection);
    int format = 0;
    stored = ImportFiles(ctx, target, format, {source});
  }
  if (stored != recipes) state.SkipWithError("not every recipe was stored");
  state.counters["recipes"] = stored;
  DeleteTree(folder);
}
BENCHMARK(BM_ImportMealMaster)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
