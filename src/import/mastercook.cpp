#include "import/mastercook.h"

#include <vector>

#include "foundation/context.h"
#include "foundation/file.h"
#include "foundation/numtext.h"
#include "import/line_reader.h"
#include "import/reader_support.h"
#include "import/recipe_builder.h"
#include "ingredients/ingredient_line.h"
#include "ingredients/measures.h"
#include "web/html_text.h"

namespace pantrela {
namespace {

enum TextState {
  kBetween = 0,
  kHeaderSeen = 1,
  kTitleTaken = 2,
  kFields = 3,
  kFieldSeen = 4,
  kIngredients = 5,
  kDirections = 6,
};

class MastercookTextReader {
 public:
  explicit MastercookTextReader(RecipeBuilder& b) : b_(b) {}

  void Run(const std::string& file, const std::string& label, int64_t& chapter, int64_t& recordId, bool& cancel) {
    if (!Exists(file)) return;
    LineReader in(file);
    ReaderRun run(b_, "Importing Mastercook Recipes", label, chapter, recordId, cancel);
    Reset();
    std::string line;
    while (!run.Stop(in.position(), in.size()) && in.Next(line)) {
      ++lineNumber_;
      OneLine(line);
    }
    // At the end of the file (or when stopped) a recipe in progress is kept.
    if (state_ >= kTitleTaken) Finish();
  }

 private:
  void Reset() {
    ingredients_.Clear();
    directions_.Clear();
    title_.clear();
    category_.clear();
    servings_ = 0;
    headingSeen_ = false;
    b_.ResetImportRecipe();
  }

  static bool IsFieldLine(const std::string& lt) {
    return StartsWith(lt, "serving size") || StartsWith(lt, "categories") || StartsWith(lt, "recipe by");
  }

  void OneLine(const std::string& line) {
    std::string raw = line;
    while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\t')) raw.pop_back();
    const std::string lt = LowerText(Trimmed(raw));

    if (Contains(lt, "exported") &&
        ((EndsWith(lt, " *") && StartsWith(lt, "* ")) || Contains(lt, "mastercook"))) {
      // A recipe that got its title is kept even when nothing followed it.
      if (state_ >= kTitleTaken) Finish();
      state_ = kHeaderSeen;
      b_.SetEntryPosition("line " + Plain(lineNumber_));
      return;
    }
    if (state_ == kHeaderSeen) {
      if (!lt.empty()) {
        title_ = Trimmed(raw);
        state_ = kTitleTaken;
      }
      return;
    }
    if (state_ == kTitleTaken && lt.empty()) {
      state_ = kFields;
      return;
    }
    // Header fields separated by empty lines: before any ingredient, a field
    // line after an empty line still belongs to the header.
    const bool beforeIngredients = state_ == kIngredients && !headingSeen_ && ingredients_.empty();
    if ((state_ == kFields || state_ == kFieldSeen || beforeIngredients) && IsFieldLine(lt)) {
      if (StartsWith(lt, "serving size")) {
        size_t colon = raw.find(':');
        servings_ = colon == std::string::npos ? 0 : ValInt(Trimmed(std::string_view(raw).substr(colon + 1)));
      } else if (StartsWith(lt, "categories")) {
        size_t colon = raw.find(':');
        std::string c = colon == std::string::npos ? std::string() : Trimmed(std::string_view(raw).substr(colon + 1));
        // The first category of the column layout ends at a double space
        // or a tab.
        c = c.substr(0, std::min(c.find("  "), c.find('\t')));
        category_ = Trimmed(c);
      }
      state_ = kFieldSeen;
      return;
    }
    if (state_ == kFieldSeen && lt.empty()) {
      state_ = kIngredients;
      return;
    }
    // The column heading; also when the recipe has no field lines at all.
    if (state_ >= kFields && StartsWith(lt, "amount")) {
      state_ = kIngredients;
      headingSeen_ = true;
      return;
    }
    if (state_ == kIngredients && lt.empty()) {
      if (beforeIngredients) return;  // more empty lines under the header
      state_ = kDirections;
      return;
    }
    if (state_ == kIngredients) {
      if (!StartsWith(lt, "------")) ingredients_.Add(raw);
      return;
    }
    if (Contains(lt, "- - - - - - -")) {
      if (state_ >= kTitleTaken) Finish();
      state_ = kBetween;
      return;
    }
    if (state_ == kDirections) {
      const size_t last = raw.rfind("  ");
      if (directions_.empty() && last != std::string::npos && last >= 14 && raw.compare(last - 14, 2, "  ") == 0) {
        ingredients_.Add(raw);
        state_ = kIngredients;
      } else {
        directions_.Add(raw);
      }
    }
  }

  void Finish() {
    std::vector<std::string> joined;
    for (size_t i = 0; i < ingredients_.count(); ++i) {
      std::string e = ingredients_.Get(i);
      CollapseSpaces(e);
      size_t at;
      while ((at = e.find(" -- ")) != std::string::npos) e.replace(at, 4, ", ");
      if (!joined.empty() && StartsWith(e, "-- ")) {
        std::string& prev = joined.back();
        while (!prev.empty() && prev.back() == ' ') prev.pop_back();
        prev += ' ';
        prev += Trimmed(std::string_view(e).substr(3));
      } else {
        joined.push_back(std::move(e));
      }
    }
    for (const std::string& e : joined) AddIngredientLine(b_, e);
    for (size_t i = 0; i < directions_.count(); ++i) {
      std::string d = directions_.Get(i);
      CollapseSpaces(d);
      b_.AddDirectionText(d);
    }
    int64_t chapter = 0;
    b_.StoreImportedRecipe("", title_, category_, servings_, chapter);
    Reset();
  }

  RecipeBuilder& b_;
  LineTable ingredients_, directions_;
  std::string title_, category_;
  int servings_ = 0;
  int state_ = kBetween;
  bool headingSeen_ = false;
  int64_t lineNumber_ = 0;
};

// The part of a picture file name after its last "/" or "\", so a picture
// is only ever looked for beside the recipe file.
std::string BareName(const std::string& name) {
  size_t cut = name.find_last_of("/\\");
  std::string bare = cut == std::string::npos ? name : name.substr(cut + 1);
  return bare == "." || bare == ".." ? std::string() : bare;
}

void AddNote(RecipeBuilder& b, const std::string& label, std::string text) {
  CollapseSpaces(text);
  if (text.empty()) return;
  b.AddDirectionText("");
  b.AddDirectionText(label + text);
}

}  // namespace

void ImportMastercookText(RecipeBuilder& builder, const std::string& file, const std::string& label,
                          int64_t& chapter, int64_t& recordId, bool& cancel) {
  MastercookTextReader(builder).Run(file, label, chapter, recordId, cancel);
}

void ImportMastercookXml(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                         int64_t& recordId, bool& cancel) {
  if (!Exists(file)) return;
  ReaderRun run(b, "Importing Mastercook XML Recipes", label, chapter, recordId, cancel);
  const std::string folder = FolderOf(file);
  std::string ingredient, code, category, title;
  int servings = 0;
  int64_t recipeNumber = 0;
  bool inRecipe = false;
  b.ResetImportRecipe();
  auto endIngredient = [&] {
    std::string line = Trimmed(ingredient);
    if (!line.empty() && line != ":") {
      ParsedIngredient p = ParseIngredientLine(line, 1.0, b.ctx().settings);
      std::string text = FormatIngredientLine(p.quantity, p.unit, p.item);
      // A text line or a subtitle stands apart from the lines above it.
      if (code == "t" || code == "s") text.insert(text.begin(), '\r');
      b.AddIngredientText(text + "\r");
    }
    ingredient.clear();
    code.clear();
  };
  auto store = [&] {
    int64_t ch = 0;
    b.StoreImportedRecipe("", title, category, servings, ch);
    b.ResetImportRecipe();
    inRecipe = false;
  };
  WalkXmlFile(
      b.ctx(), file, [&](size_t pos, size_t size) { return run.Stop(pos, size); },
      [&](std::string& text, std::string& tag, std::string& lt) {
        const bool selfClosing = EndsWith(lt, "/>");
        if (StartsWith(lt, "<rcpe")) {
          if (inRecipe) store();  // a recipe left open is kept
          b.ResetImportRecipe();
          inRecipe = true;
          b.SetEntryPosition("recipe " + Plain(++recipeNumber));
          category.clear();
          servings = 0;
          title = XmlAttr(tag, "name=");
          const std::string picture = BareName(XmlAttr(tag, "img="));
          if (!picture.empty()) PhotoFromFile(b, folder + picture);
        } else if (StartsWith(lt, "<serv")) {
          servings = ValInt(XmlAttr(tag, "qty="));
        } else if (StartsWith(lt, "</catt")) {
          if (category.empty()) category = Trimmed(text);
        } else if (StartsWith(lt, "<ingr")) {
          const std::string name = XmlAttr(tag, "name=");
          code = LowerText(Trimmed(XmlAttr(tag, "code=")));
          const std::string lname = LowerText(name);
          if (Contains(lname, "image:") || Contains(lname, "campaignicon")) ingredient.clear();
          else ingredient = XmlAttr(tag, "qty=") + " " + XmlAttr(tag, "unit=") + " " + name;
          if (selfClosing) endIngredient();
        } else if (StartsWith(lt, "</iprp")) {
          const std::string prep = Trimmed(text);
          if (!prep.empty()) ingredient = Trimmed(ingredient).empty() ? prep : Trimmed(ingredient) + ", " + prep;
        } else if (StartsWith(lt, "</ingr")) {
          endIngredient();
        } else if (StartsWith(lt, "</dirt")) {
          std::string d = text;
          CollapseSpaces(d);
          b.AddDirectionText(d);
          b.AddDirectionText("");
        } else if (StartsWith(lt, "</srce")) {
          AddNote(b, "Source: ", text);
        } else if (StartsWith(lt, "<alts")) {
          AddNote(b, "Source: ", XmlAttr(tag, "source="));
        } else if (StartsWith(lt, "</note")) {
          AddNote(b, "Note: ", text);
        } else if (StartsWith(lt, "</rcpe")) {
          if (inRecipe) store();
        }
      });
  // A file cut off inside a recipe keeps what was read of it.
  if (inRecipe && !title.empty()) store();
}

}  // namespace pantrela
