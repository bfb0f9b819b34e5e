// Real export files of other programs (the shared test data): every one is
// detected and read with the right number of recipes and titles, and where
// another program's parse ships beside a file, its ingredients and
// directions are found in what was stored.
#include <cctype>

#include "foundation/file.h"
#include "import/import_files.h"
#include "import_fixture.h"

namespace pantrela::testing {
namespace {

// Just enough JSON for the parses beside the samples: objects, arrays,
// strings, numbers and literals.
struct Json {
  enum Kind { kNull, kString, kNumber, kArray, kObject } kind = kNull;
  std::string text;
  std::vector<Json> items;
  std::vector<std::pair<std::string, Json>> members;
  const Json* Get(const std::string& key) const {
    for (const auto& [k, v] : members)
      if (k == key) return &v;
    return nullptr;
  }
};

class JsonReader {
 public:
  explicit JsonReader(const std::string& s) : s_(s) {}
  Json Value() {
    Space();
    Json v;
    if (p_ >= s_.size()) return v;
    const char c = s_[p_];
    if (c == '{') {
      v.kind = Json::kObject;
      ++p_;
      while (Space(), p_ < s_.size() && s_[p_] != '}') {
        std::string key = String();
        Space();
        ++p_;  // ':'
        v.members.emplace_back(key, Value());
        Space();
        if (p_ < s_.size() && s_[p_] == ',') ++p_;
      }
      ++p_;
    } else if (c == '[') {
      v.kind = Json::kArray;
      ++p_;
      while (Space(), p_ < s_.size() && s_[p_] != ']') {
        v.items.push_back(Value());
        Space();
        if (p_ < s_.size() && s_[p_] == ',') ++p_;
      }
      ++p_;
    } else if (c == '"') {
      v.kind = Json::kString;
      v.text = String();
    } else {
      v.kind = Json::kNumber;
      while (p_ < s_.size() && !strchr(",}] \r\n\t", s_[p_])) v.text += s_[p_++];
    }
    return v;
  }

 private:
  void Space() {
    while (p_ < s_.size() && isspace((unsigned char)s_[p_])) ++p_;
  }
  std::string String() {
    std::string out;
    ++p_;
    while (p_ < s_.size() && s_[p_] != '"') {
      if (s_[p_] == '\\' && p_ + 1 < s_.size()) {
        ++p_;
        if (s_[p_] == 'u') p_ += 4;  // outside ASCII: left out
        else out += s_[p_] == 'n' ? '\n' : s_[p_];
      } else {
        out += s_[p_];
      }
      ++p_;
    }
    ++p_;
    return out;
  }
  const std::string& s_;
  size_t p_ = 0;
};

// Letters and digits only, lower case: formatting differences drop out.
std::string Alnum(const std::string& s) {
  std::string out;
  for (unsigned char c : s)
    if (isalnum(c)) out += char(tolower(c));
  return out;
}

struct RealFile {
  const char* path;
  int format;
  std::vector<std::string> titles;
  const char* json;  // another program's parse beside it, or nullptr
};

TEST_F(ImportTest, RealFilesOfOtherPrograms) {
  const std::string shared = SharedTestData();
  if (shared.empty()) GTEST_SKIP() << "no shared test data";
  const RealFile files[] = {
      {"mastercook/krecipes_mxptest.mxp", 17, {"Cookies Test", "Cookies Test"}, nullptr},
      {"mastercook/silver-bullet_input.mxp",
       17,
       {"Recipe 1", "Recipe 2", "Recipe 3", "Recipe 4", "Recipe 5", "Recipe 6", "Recipe 7", "Recipe 8"},
       "mastercook/silver-bullet_input.json"},
      {"mastercook/krecipes_mx2test.mx2", 18, {"Cookies Test", "Cookies Test"}, nullptr},
      {"mastercook/silver-bullet_comprehensive.mx2",
       18,
       {"Recipe With Only A Name", "Recipe With Everything Filled Out, Including An Embedded", "Recipe With Only A Name",
        "Another Recipe With Only A Name"},
       nullptr},
      {"recipeml/krecipes_recipemltest.xml", 22, {"Cookies_Test", "Cookies_Test"}, nullptr},
      {"recipeml/cooked-slop_14_Karat_Cake.xml", 22, {"14 Karat Cake W/Cream Cheese Frosting"}, nullptr},
      {"other/silver-bullet_minimal.fdx", 15, {"Recipe With Only A Name"}, nullptr},
      {"other/mg2en_1.mgourmet3", 16, {"Recipe A", "Recipe B"}, nullptr},
      {"other/krecipes_nyctest.txt", 20, {"Cookies_Test", "Cookies_Test"}, nullptr},
      {"other/cooked-slop_accuchef_sample.out", 3, {"A Taste Of Thailand"}, nullptr},
      {"other/cooked-slop_fromscratch_sample.fs", 12, {"Amy's Cornbread", "Apple Cobbler"}, nullptr},
  };
  for (const RealFile& f : files) {
    SCOPED_TRACE(f.path);
    DeleteFile(ctx.files.recipe);
    DeleteFile(ctx.files.index);
    collection = std::make_unique<Collection>(ctx);
    OpenCollection(*collection);
    int format = 0;
    EXPECT_EQ(ImportList({shared + f.path}, format), int(f.titles.size()));
    EXPECT_EQ(format, f.format);
    auto stored = Stored();
    ASSERT_EQ(stored.size(), f.titles.size());
    for (size_t i = 0; i < stored.size(); ++i) EXPECT_EQ(stored[i].title, f.titles[i]);
    if (!f.json) continue;
    const std::string json = ReadBytes(shared + f.json);
    const Json parse = JsonReader(json).Value();
    ASSERT_EQ(parse.items.size(), stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
      const Json& r = parse.items[i];
      SCOPED_TRACE(r.Get("title")->text);
      EXPECT_EQ(Alnum(stored[i].title), Alnum(r.Get("title")->text));
      const std::string text = Alnum(stored[i].ingredients + stored[i].directions);
      for (const Json& ing : r.Get("ingredients")->items) {
        for (const char* field : {"amount", "measure", "text", "preparationMethod"}) {
          const std::string want = Alnum(ing.Get(field)->text);
          if (!want.empty()) {
            EXPECT_NE(text.find(want), std::string::npos) << field << ": " << want;
          }
        }
      }
      for (const Json& d : r.Get("directions")->items)
        EXPECT_NE(Alnum(stored[i].directions).find(Alnum(d.text)), std::string::npos) << d.text;
    }
  }
}

// What the files carry beyond titles: sections, photos, categories.
TEST_F(ImportTest, RealFilesDetails) {
  const std::string shared = SharedTestData();
  if (shared.empty()) GTEST_SKIP() << "no shared test data";
  ctx.settings.import_chapter = 1;
  int format = 0;
  ImportList({shared + "other/mg2en_1.mgourmet3"}, format);
  auto stored = Stored();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[1].chapter, "Basic");
  EXPECT_EQ(stored[1].servings, 4);
  EXPECT_EQ(Lines(stored[1].ingredients),
            (std::vector<std::string>{"1 clove Garlic", "1-1/2 pounds Chicken, chopped", "", "Group 1:",
                                      "3 threads saffron", "2 teaspoons salt", "", "Group 2:", "1 onion, diced",
                                      "4 tablespoons walnuts, minced", "Fish Stock"}));
  EXPECT_EQ(stored[1].directions.rfind("Prepare the ingredients.\r\rMix the ingredients.\r\rCook the dish.", 0), 0u);
  // Recipe B carries its own picture; Recipe A has none.
  EXPECT_TRUE(stored[0].photo.empty());
  EXPECT_EQ(stored[1].photo.substr(0, 2), "\xFF\xD8");

  format = 0;
  ImportList({shared + "mastercook/silver-bullet_comprehensive.mx2"}, format);
  stored = Stored();
  ASSERT_EQ(stored.size(), 6u);
  EXPECT_EQ(stored[3].chapter, "Category 1");
  EXPECT_EQ(stored[3].servings, 42);
  EXPECT_EQ(Lines(stored[3].ingredients)[0], "It's a subtitle!");
  EXPECT_NE(stored[3].ingredients.find("\r1-1/2 cups egg bagel, but cook it\r"), std::string::npos);
  EXPECT_NE(stored[3].directions.find("Source: The Big Cookbook\r\rSource: On the web"), std::string::npos);

  format = 0;
  ImportList({shared + "other/cooked-slop_fromscratch_sample.fs"}, format);
  stored = Stored();
  ASSERT_EQ(stored.size(), 8u);
  EXPECT_EQ(stored[6].chapter, "Breads");
  EXPECT_EQ(stored[6].servings, 4);
  EXPECT_EQ(Lines(stored[6].ingredients)[0], "1 package Frozen broccoli");
}

}  // namespace
}  // namespace pantrela::testing
