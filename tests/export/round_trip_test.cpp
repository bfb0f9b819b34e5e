// Real Meal-Master and Mastercook files imported, exported in each text
// format and RecipeML, and imported again: the titles, ingredient lines and
// directions come back as they were.
#include <dirent.h>

#include <algorithm>
#include <map>
#include <set>

#include "export/export_formats.h"
#include "export_fixture.h"
#include "foundation/vendor.h"
#include "platform/image_codec.h"
#include "foundation/wrap_text.h"
#include "ingredients/ingredient_line.h"
#include "import/collection_target.h"
#include "import/import_files.h"
#include "import/import_formats.h"

namespace pantrela::testing {
namespace {

struct Source {
  std::string path;
  int reader;
};

std::vector<Source> RealFiles() {
  std::vector<Source> out;
  const std::string base = SharedTestData();
  if (base.empty()) return out;
  for (const auto& [folder, ext, reader] : std::vector<std::tuple<std::string, std::string, int>>{
           {"mealmaster/", ".mmf", kFormatMealMaster},
           {"mastercook/", ".mxp", kFormatMastercookText},
           {"mastercook/", ".mx2", kFormatMastercookXml}}) {
    DIR* d = ::opendir((base + folder).c_str());
    if (!d) continue;
    while (dirent* e = ::readdir(d)) {
      const std::string name = e->d_name;
      if (name.size() > ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0)
        out.push_back({base + folder + name, reader});
    }
    ::closedir(d);
  }
  std::sort(out.begin(), out.end(), [](const Source& a, const Source& b) { return a.path < b.path; });
  return out;
}

struct Target {
  int exportCode;
  int reader;
  const char* name;
  bool photos;
};

const Target kTargets[] = {
    {kExportMealMaster, kFormatMealMaster, "out.mmf", false},
    {kExportOwnText, kFormatOwnText, "out.qx", true},
    {kExportMastercook, kFormatMastercookText, "out.mxp", false},
    {kExportRecipeMl, kFormatRecipeMl, "out.xml", false},
};

// The last paragraph of our own exports, which a reader takes in as text.
std::string WithoutExportTrailer(std::string directions) {
  const std::string trailer = "Exported from Pantrela 9.68 (" + VendorAddressesFromEnvironment().home + ")\r";
  const std::string end = "\r\r" + trailer;
  for (;;) {
    if (directions == trailer) return {};
    if (directions.size() < end.size() || directions.compare(directions.size() - end.size(), end.size(), end) != 0)
      return directions;
    directions.resize(directions.size() - end.size() + 1);
  }
}

std::vector<RecipeData> StoredIn(Collection& c) {
  std::vector<RecipeData> out;
  for (uint32_t off : c.EntryOffsets()) {
    EntryView e = c.Entry(off);
    if (e.kind() != kKindRecipe && e.kind() != kKindInfo) continue;
    c.LoadCurrent(uint64_t(e.fileOffset()));
    const CurrentRecord& r = c.current();
    out.push_back({c.ChapterNameByKey(r.chapterKey()), r.title, r.ingredients, r.directions, r.servings(), r.kind(),
                   r.photo});
  }
  std::stable_sort(out.begin(), out.end(), [](const RecipeData& a, const RecipeData& b) {
    return std::make_tuple(a.title, a.ingredients, WithoutExportTrailer(a.directions)) <
           std::make_tuple(b.title, b.ingredients, WithoutExportTrailer(b.directions));
  });
  return out;
}

// The characters of a recipe's texts in order, lower-cased, without the
// spaces, line breaks and dashes that rewrapping moves.
std::string Letters(const RecipeData& r) {
  std::string out;
  for (char c : r.ingredients + WithoutExportTrailer(r.directions))
    if (c != ' ' && c != '\r' && c != '\t' && c != '-') out += char(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

int ImportInto(AppContext& ctx, Collection& c, const std::string& file, int format) {
  CollectionImportTarget target(c);
  return ImportFiles(ctx, target, format, {file});
}

// One data folder holding what an import read.
struct Stage {
  TempDir dir;
  AppContext ctx;
  ScriptedDialogs dialogs;
  std::unique_ptr<Collection> collection;
  std::vector<RecipeData> recipes;

  Stage(const std::string& file, int reader) {
    ctx.SetFolders(dir.path(), dir.path());
    ctx.SetDialogs(&dialogs);
    collection = std::make_unique<Collection>(ctx);
    OpenCollection(*collection);
    ImportInto(ctx, *collection, file, reader);
    recipes = StoredIn(*collection);
  }
  // Exports every recipe; returns the file.
  std::string Export(int code, const std::string& name) {
    collection->SelectChapterByKey(kChapterAll);
    collection->BuildRecipeList();
    for (uint32_t e : collection->recipeList().entries) collection->SetChecked(e, true);
    ExportJob job{*collection, dialogs, ExportStyleOf(ctx)};
    EXPECT_EQ(BuildExportIndex(job, dir.path(), name, code).status, ExportStatus::kDone);
    return dir / name;
  }
};

// The lines of a text.
std::vector<std::string> TextLines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < text.size()) {
    size_t cr = text.find('\r', start);
    if (cr == std::string::npos) cr = text.size();
    out.push_back(text.substr(start, cr - start));
    start = cr + 1;
  }
  return out;
}

// What a reader cannot take back exactly, whoever wrote the file; such
// recipes are left out of the exact comparison (and counted).
std::string ReaderLimit(int exportCode, const RecipeData& r) {
  // Every reader: the import clean-up of titles and direction lines, and
  // direction lines of one paragraph joined again after the writer wrapped
  // them.
  if (r.title.size() >= 6 && LowerAscii(r.title.substr(r.title.size() - 6)) == "recipe")
    return "a title ending in \"recipe\" loses that word on every import";
  const std::vector<std::string> directions = TextLines(r.directions);
  for (size_t i = 0; i + 1 < directions.size(); ++i)
    if (!directions[i].empty() && !directions[i + 1].empty())
      return "direction lines of one paragraph come back as one line";
  if (r.directions.find(" ,") != std::string::npos || r.directions.find(" .") != std::string::npos)
    return "a space before \",\" or \".\" is closed by the line clean-up";
  if (exportCode == kExportRecipeMl)
    for (const std::string* t : {&r.title, &r.ingredients, &r.directions})
      for (unsigned char c : *t)
        if (c >= 127 && c < 160) return "a character 127-159 comes back from the RecipeML reader as its plain form";
  if (exportCode == kExportMastercook && r.directions.find("- - - - - - -") != std::string::npos)
    return "directions holding the Mastercook end line end the recipe there";
  const int width = exportCode == kExportMastercook ? 72 : r.kind == kKindRecipe ? 67 : 78;
  for (const std::string& l : WrapTextLines(r.directions, width)) {
    if (!l.empty() && (l[0] == '-' || l[0] == ',' || l[0] == '.'))
      return "a wrapped direction line loses its leading \"-\" or the space before its \",\"";
    if (exportCode == kExportMastercook && LowerAscii(l).rfind("amount", 0) == 0)
      return "a direction line beginning with \"amount\" is taken for the ingredient heading";
  }

  // Every reader parses each ingredient line again.
  const std::vector<std::string> lines = TextLines(r.ingredients);
  if (r.ingredients.empty() && (exportCode == kExportMealMaster || exportCode == kExportMastercook))
    return "no ingredients: the directions would be read as ingredients";
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    if (!l.empty() && std::string("!-=+\\|@#$%^&*{}[]<>?/~`;:,").find(l[0]) != std::string::npos)
      return "a leading punctuation mark is dropped by the line parser";
    if (!l.empty() && l.back() == '-') return "a line ending in \"-\" is joined to the next one or loses the dash";
    if (exportCode == kExportOwnText) continue;
    const ParsedIngredient p = ParseIngredientLine(l, 1.0, 0);
    if (p.quantity == 0 && !p.unit.empty()) return "a unit without an amount comes back as a word";
    if (exportCode == kExportRecipeMl) {
      if (!p.item.empty() && p.item[0] == '-') return "an item beginning with \"-\" loses it in the RecipeML reader";
      if (l.empty() && (i + 1 >= lines.size() || !IsHeadingLine(lines[i + 1])) && i + 1 < lines.size())
        return "an empty ingredient line is not carried by RecipeML";
      if (IsHeadingLine(l)) {
        std::string titled = l;
        TitleCase(titled);
        if (titled != l || (i > 0 && !lines[i - 1].empty()))
          return "a heading comes back in title case after an empty line";
      }
      continue;
    }
    const bool headingNext = i + 1 < lines.size() && !lines[i + 1].empty() && lines[i + 1].back() == ':';
    if (l.empty() && i + 1 < lines.size() && !lines[i + 1].empty() &&
        (exportCode == kExportMastercook || !headingNext))
      return "an empty line inside the ingredients ends them";
    if (exportCode == kExportMealMaster && IsHeadingLine(l)) {
      std::string titled = l;
      TitleCase(titled);
      if (titled != l || (i > 0 && !lines[i - 1].empty()))
        return "a heading comes back in title case after an empty line";
    }
  }
  return {};
}

// A real file is imported (A), exported and imported again (B), and B is
// exported and imported once more (C): the titles, ingredient lines and
// directions of A, B and C are the same. Our own "Exported from" line,
// which a reader takes in as the last paragraph of text, is set aside.
TEST(RoundTrip, RealFilesSurviveExportAndReimport) {
  const std::vector<Source> sources = RealFiles();
  if (sources.empty()) GTEST_SKIP() << "no shared test data";
  const auto readers = ImportReaders();
  std::vector<std::string> skipped;
  std::map<std::string, int> limits;
  int checked = 0;
  for (const Source& src : sources) {
    if (!readers.count(src.reader)) {
      skipped.push_back(src.path + " (no reader " + std::to_string(src.reader) + ")");
      continue;
    }
    Stage a(src.path, src.reader);
    if (a.recipes.empty()) continue;
    for (const Target& t : kTargets) {
      if (!readers.count(t.reader)) {
        skipped.push_back(std::string(t.name) + " (no reader " + std::to_string(t.reader) + ")");
        continue;
      }
      const std::string what = src.path + " as " + t.name;
      Stage b(a.Export(t.exportCode, t.name), t.reader);
      ASSERT_EQ(b.recipes.size(), a.recipes.size()) << what;
      Stage c(b.Export(t.exportCode, t.name), t.reader);
      ASSERT_EQ(c.recipes.size(), b.recipes.size()) << what;
      for (size_t i = 0; i < a.recipes.size(); ++i) {
        const RecipeData& ra = a.recipes[i];
        const std::string limit = ReaderLimit(t.exportCode, ra);
        if (!limit.empty()) {
          ++limits[std::string(t.name) + ": " + limit];
          continue;
        }
        for (const RecipeData* r : {&b.recipes[i], &c.recipes[i]}) {
          EXPECT_EQ(r->title, ra.title) << what;
          EXPECT_EQ(r->ingredients, ra.ingredients) << what << ": " << ra.title;
          EXPECT_EQ(WithoutExportTrailer(r->directions), ra.directions) << what << ": " << ra.title;
          if (t.photos) EXPECT_EQ(r->photo, ra.photo) << what << ": " << ra.title;
        }
        ++checked;
      }
    }
  }
  for (const std::string& s : skipped) std::printf("not round-tripped: %s\n", s.c_str());
  for (const auto& [why, n] : limits) std::printf("left out of the exact comparison: %d, %s\n", n, why.c_str());
  EXPECT_GT(checked, 0);
}

TEST_F(ExportTest, OwnFormatCarriesPhotos) {
  if (!ImportReaders().count(kFormatOwnText)) GTEST_SKIP() << "no reader for the own format";
  // JPEG photos of a few sizes (the reader keeps photos of 64 x 64 pixels
  // and more), so their Base64 text ends in each of its three ways.
  std::vector<RecipeData> recipes;
  std::set<size_t> remainders;
  for (int side = 64; side < 120 && remainders.size() < 3; side += 7) {
    platform::Image image;
    image.width = side;
    image.height = side;
    for (int i = 0; i < side * side; ++i)
      for (int c = 0; c < 4; ++c) image.rgba.push_back(uint8_t(c == 3 ? 255 : (i * (c + 3) + side) % 256));
    std::string jpeg;
    ASSERT_TRUE(platform::EncodeJpeg(image, jpeg));
    if (!remainders.insert(jpeg.size() % 3).second) continue;
    recipes.push_back({"Photos", "With " + std::to_string(side), "1 egg\r", "Bake.\r", 2, 0, jpeg});
  }
  ASSERT_EQ(remainders.size(), 3u);
  Add(recipes);
  Tick();
  ExportJob job = Job();
  ASSERT_EQ(BuildExportIndex(job, dir.path(), "photos.qx", kExportOwnText).status, ExportStatus::kDone);
  Stage back(dir / "photos.qx", kFormatOwnText);
  const std::vector<RecipeData> before = StoredIn(*collection);
  ASSERT_EQ(back.recipes.size(), before.size());
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(back.recipes[i].title, before[i].title);
    EXPECT_TRUE(back.recipes[i].photo == before[i].photo)
        << before[i].title << ": " << back.recipes[i].photo.size() << " bytes back of " << before[i].photo.size();
    EXPECT_EQ(back.recipes[i].servings, before[i].servings);
  }
}

}  // namespace
}  // namespace pantrela::testing
