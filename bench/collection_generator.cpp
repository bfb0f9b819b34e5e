#include "collection_generator.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "database/master_index.h"
#include "database/record.h"
#include "foundation/file.h"

namespace pantrela::bench {

void Require(bool written, const std::string& path) {
  if (written) return;
  std::fprintf(stderr, "cannot write %s\n", path.c_str());
  std::exit(1);
}

namespace {

const char* const kWords[] = {
    "chicken", "beef", "garlic", "onion", "tomato", "basil", "lemon", "butter", "flour", "sugar", "rice",
    "pepper", "salt", "carrot", "celery", "potato", "cream", "cheese", "honey", "ginger", "almond", "apple",
    "cherry", "bean", "lentil", "pasta", "olive", "mushroom", "spinach", "pork", "salmon", "shrimp", "curry",
    "thyme", "parsley", "vanilla", "chocolate", "walnut", "pecan", "oat", "maple", "soup", "stew", "bread",
    "cake", "pie", "salad", "roast", "grilled", "baked", "spicy", "sweet", "smoky", "creamy", "crisp",
    "caf\xe9", "cr\xe8me", "jalape\xf1o", "saut\xe9" "ed", "pur\xe9" "e"};
const char* const kUnits[] = {"cup", "cups", "tablespoon", "teaspoon", "ounce", "pound", "clove", "pinch", "can"};
const char* const kVerbs[] = {"Stir", "Mix", "Simmer", "Bake", "Whisk", "Fold", "Chop", "Season", "Serve", "Heat"};

struct Gen {
  std::mt19937 rng;
  explicit Gen(uint32_t seed) : rng(seed) {}
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
  const char* Word() { return kWords[Int(0, int(std::size(kWords)) - 1)]; }

  std::string Title() {
    size_t target = size_t(Int(10, 60));
    std::string t;
    while (t.size() < target) {
      if (!t.empty()) t += ' ';
      std::string w = Word();
      w[0] = char(w[0] >= 'a' && w[0] <= 'z' ? w[0] - 32 : w[0]);
      t += w;
    }
    return t.substr(0, target);
  }
  std::string Ingredients() {
    size_t target = size_t(Int(300, 500));
    std::string t;
    while (t.size() < target) {
      if (!t.empty()) t += '\r';
      t += std::to_string(Int(1, 4)) + " " + kUnits[Int(0, int(std::size(kUnits)) - 1)] + " " + Word() + " " + Word();
    }
    return t;
  }
  std::string Directions() {
    size_t target = size_t(Int(900, 1500));
    std::string t;
    while (t.size() < target) {
      if (!t.empty()) t += Int(0, 3) == 0 ? "\r\r" : " ";
      t += std::string(kVerbs[Int(0, int(std::size(kVerbs)) - 1)]) + " the " + Word() + " with the " + Word() +
           " and " + Word() + " for " + std::to_string(Int(2, 45)) + " minutes.";
    }
    return t;
  }
  std::string Photo(size_t bytes) {
    std::string p("\xff\xd8\xff\xe0\x00\x10JFIF\x00", 11);
    while (p.size() + 2 < bytes) p.push_back(char(rng() & 0xFF));
    p += "\xff\xd9";
    return p;
  }
};

}  // namespace

uint64_t GenerateCollection(AppContext& ctx, const GeneratorOptions& o) {
  Gen g(o.seed);
  std::string image;
  for (int i = 0; i < 4; ++i)
    AppendIndexEntry(image, 0, kKindChapter, ctx.ids.Make(), i + 1, 0, kReservedChapterNames[i]);

  File out = File::Open('o', ctx.files.recipe);
  std::string pending;
  uint64_t position = 0;
  CurrentRecord rec;
  auto put = [&](uint8_t flags) {
    std::string bytes = BuildRecordBytes(rec, ctx.ids.Make());
    AppendIndexEntry(image, flags, rec.kind(), rec.recordId(), rec.chapterKey(), int64_t(position), rec.title);
    position += bytes.size();
    pending += bytes;
    if (pending.size() > (8u << 20)) {
      Require(out.WriteAll(pending), ctx.files.recipe);
      pending.clear();
    }
  };

  std::vector<int64_t> keys;
  for (int c = 0; c < o.chapters; ++c) {
    rec.Clear();
    rec.title = "Chapter " + std::to_string(c + 1) + " " + g.Word();
    keys.push_back(ctx.ids.Make());
    rec.setChapterKey(keys.back());
    rec.setKind(kKindChapter);
    put(0);
  }
  const int photoEvery = o.photoShare > 0 ? int(1.0 / o.photoShare + 0.5) : 0;
  for (int i = 0; i < o.recipes; ++i) {
    rec.Clear();
    rec.title = g.Title();
    rec.ingredients = g.Ingredients();
    rec.directions = g.Directions();
    if (photoEvery > 0 && i % photoEvery == photoEvery - 1) rec.photo = g.Photo(o.photoBytes);
    rec.setRecordId(ctx.ids.Make());
    rec.setChapterKey(keys.empty() ? 0 : keys[size_t(g.Int(0, int(keys.size()) - 1))]);
    rec.setServings(uint8_t(g.Int(0, 12)));
    put(rec.photo.empty() ? 0 : kFlagPhoto);
  }
  Require(out.WriteAll(pending) && out.Sync(), ctx.files.recipe);
  out.Close();
  Require(WriteFileAtomic(ctx.files.index, SortedIndexImage(ByteImage(image))), ctx.files.index);
  return position;
}

void UseGeneratedCollection(AppContext& ctx, int recipes) {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/pantrela-bench-" + std::to_string(recipes) + "/";
  CreateFolders(folder);
  ctx.SetFolders(folder, folder);
  if (Exists(folder + "generated.ok")) return;
  GeneratorOptions o;
  o.recipes = recipes;
  GenerateCollection(ctx, o);
  Require(WriteFileAtomic(folder + "generated.ok", ""), folder + "generated.ok");
}

namespace {
int64_t StatusKb(const char* key) {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return 0;
  char line[256];
  int64_t kb = 0;
  const size_t n = std::char_traits<char>::length(key);
  while (std::fgets(line, sizeof line, f))
    if (std::string_view(line).substr(0, n) == key) kb = std::atoll(line + n + 1);
  std::fclose(f);
  return kb;
}
}  // namespace

int64_t ResidentKb() { return StatusKb("VmRSS"); }
int64_t PeakResidentKb() { return StatusKb("VmHWM"); }

}  // namespace pantrela::bench
