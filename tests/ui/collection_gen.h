// Writes a recipe file of generated chapters and recipes laid out by hand
// (header, fields, end mark), for screen tests, screenshots and benchmarks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace pantrela::testing {

inline void PutLE(std::string& s, uint64_t v, int n) {
  for (int i = 0; i < n; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
}

struct GenField {
  uint16_t type;
  std::string data;
};

inline std::string GenRecord(int64_t recordId, int64_t chapterKey, uint8_t kind, const std::vector<GenField>& fields) {
  std::string body;
  for (const auto& f : fields) {
    PutLE(body, f.type, 2);
    PutLE(body, f.data.size(), 4);
    body += f.data;
  }
  PutLE(body, 65535, 2);
  PutLE(body, 0, 4);
  std::string h;
  PutLE(h, 36 + body.size(), 4);
  h += "QXRS";
  PutLE(h, 7, 8);
  PutLE(h, uint64_t(recordId), 8);
  PutLE(h, uint64_t(chapterKey), 8);
  h.push_back(char(kind));
  h.push_back('\0');
  h.push_back('\4');
  h.push_back('\0');
  return h + body;
}

// Key of the generated chapter i.
inline int64_t GenChapterKey(int i) { return 1000 + i; }

// `chapters` chapters "Chapter 01" ...; `recipes` recipes spread over them
// in turn, every `photoEvery`-th with a (token) photo field. Returns the
// bytes of "Recipe860.dat".
inline std::string GenerateRecipeFile(int recipes, int chapters, int photoEvery = 7) {
  static const char* const kWords[] = {"Apple",  "Basil",  "Carrot", "Dill",   "Egg",    "Fennel", "Garlic",
                                       "Honey",  "Lemon",  "Mango",  "Nutmeg", "Onion",  "Pepper", "Quince",
                                       "Rhubarb", "Saffron", "Thyme", "Vanilla", "Walnut", "Yam"};
  static const char* const kDishes[] = {"Pie", "Soup", "Salad", "Bread", "Stew", "Cake", "Tart", "Roast"};
  std::string out;
  out.reserve(size_t(recipes) * 120 + 4096);
  char name[64];
  for (int c = 0; c < chapters; ++c) {
    std::snprintf(name, sizeof name, "Chapter %02d", c + 1);
    out += GenRecord(0, GenChapterKey(c), 2, {{1, name}});
  }
  for (int r = 0; r < recipes; ++r) {
    std::snprintf(name, sizeof name, "%s %s %s No. %d", kWords[r % 20], kWords[(r / 20) % 20], kDishes[r % 8], r + 1);
    std::vector<GenField> f{{1, name}, {2, "1 cup flour\r2 eggs"}, {3, "Mix and bake."}};
    if (photoEvery > 0 && r % photoEvery == 0) f.push_back({5, std::string("\xFF\xD8\xFF\xE0 token", 10)});
    out += GenRecord(5000000 + r, chapters > 0 ? GenChapterKey(r % chapters) : 0, 0, f);
  }
  return out;
}

}  // namespace pantrela::testing
