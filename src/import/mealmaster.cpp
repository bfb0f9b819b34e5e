#include "import/mealmaster.h"

#include <algorithm>
#include <vector>

#include "foundation/context.h"
#include "foundation/file.h"
#include "foundation/numtext.h"
#include "foundation/progress.h"
#include "import/line_reader.h"
#include "import/recipe_builder.h"
#include "ingredients/ingredient_line.h"
#include "ingredients/measures.h"
#include "ingredients/text_ops.h"

namespace pantrela {
namespace {

constexpr size_t kMaxDirectionLines = 300;
constexpr size_t kSplitColumn = 36;  // 1-based column from which a right column is looked for

enum State { kSeekTitle = 0, kHeader = 1, kIngredients = 2, kDirections = 3 };

bool StartsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }
bool EndsWith(std::string_view s, std::string_view p) {
  return s.size() >= p.size() && s.substr(s.size() - p.size()) == p;
}
bool OnlyOf(std::string_view s, char c) {
  return std::all_of(s.begin(), s.end(), [c](char x) { return x == c; });
}

// The column layout of a Meal-Master ingredient line: an amount of digits
// and fraction marks in columns 1-7, a blank, a unit code of up to two
// letters in columns 9-10, a blank and the text.
bool LooksLikeIngredient(std::string_view raw) {
  if (raw.size() < 12 || raw[7] != ' ' || raw[10] != ' ' || raw[11] == ' ') return false;
  bool digit = false;
  for (size_t i = 0; i < 7; ++i) {
    char c = raw[i];
    if (c >= '0' && c <= '9') digit = true;
    else if (c != ' ' && c != '/' && c != '.' && c != '-') return false;
  }
  for (size_t i = 8; i < 10; ++i)
    if (raw[i] != ' ' && !textops::IsAsciiLetter((unsigned char)raw[i])) return false;
  return digit;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  textops::LowerInPlace(out);
  return out;
}

// A section header's text: the marker character stripped from both ends,
// inner runs of it shrunk to one, every word capitalised, ":" appended.
std::string SectionHeading(std::string_view h, char marker, bool trim) {
  size_t a = 0, b = h.size();
  while (a < b && h[a] == marker) ++a;
  while (b > a && h[b - 1] == marker) --b;
  std::string out;
  for (size_t i = a; i < b; ++i) {
    if (h[i] == marker && !out.empty() && out.back() == marker) continue;
    out += h[i];
  }
  if (trim) textops::TrimSpacesInPlace(out);
  bool wordStart = true;
  for (char& c : out) {
    unsigned char u = (unsigned char)c;
    c = char(wordStart ? textops::Upper1252(u) : textops::Lower1252(u));
    wordStart = c == ' ';
  }
  return out + ":";
}

class MealMasterReader {
 public:
  MealMasterReader(RecipeBuilder& builder) : b_(builder), ctx_(builder.ctx()) {}

  void Run(const std::string& file, const std::string& label, int64_t& chapter, int64_t& recordId, bool& cancel) {
    if (!Exists(file)) return;
    LineReader in(file);
    ProgressScope progress(ctx_);
    Reset();
    std::string line;
    while (!ctx_.Quitting() && in.Next(line)) {
      if (progress.Step("Importing Meal Master Recipes", label, double(in.position()), double(in.size()))) {
        cancel = true;
        break;
      }
      OneLine(line);
      if (in.AtEnd() && (state_ == kIngredients || state_ == kDirections)) EndRecipe(true);
    }
    progress.Close();
    if (b_.lastRecordId() != 0) {
      chapter = b_.lastChapter();
      recordId = b_.lastRecordId();
    }
  }

 private:
  void Reset() {
    left_.Clear();
    right_.Clear();
    directions_.Clear();
    title_.clear();
    category_.clear();
    servings_ = 0;
    b_.ResetImportRecipe();
    state_ = kSeekTitle;
    afterRecipeHeader_ = false;
  }

  void MoveRightToLeft() {
    for (size_t i = 0; i < right_.count(); ++i) left_.Add(right_.Get(i));
    right_.Clear();
  }

  void AddHeading(const std::string& h) {
    state_ = kIngredients;
    MoveRightToLeft();
    if (!left_.empty()) left_.Add("");
    left_.Add(h);
  }

  // The header line of a recipe begins with "-----" or "mmmmm" and names
  // Meal-Master and a recipe; a line of the directions that mentions
  // "Meal-Master" and "recipe" is text.
  static bool IsRecipeHeader(const std::string& lt) {
    return (StartsWith(lt, "-----") || StartsWith(lt, "mmmmm")) && lt.find("master") != std::string::npos &&
           lt.find("recipe") != std::string::npos;
  }
  // The end marker of a recipe: "-----", "mmmmm" or 77 dashes.
  static bool IsEndMarker(const std::string& lt) {
    return lt == "-----" || lt == "mmmmm" || (lt.size() == 77 && OnlyOf(lt, '-'));
  }

  void OneLine(const std::string& line) {
    std::string_view rawView = line;
    while (!rawView.empty() && rawView.back() == ' ') rawView.remove_suffix(1);
    const std::string raw(rawView);
    const std::string t(textops::TrimSpaces(raw));
    const std::string lt = Lower(t);
    Apply(raw, t, lt);
    previous_ = t;
  }

  void Apply(const std::string& raw, const std::string& t, const std::string& lt) {
    if (state_ == kSeekTitle && StartsWith(lt, "title: ")) {
      title_ = std::string(textops::TrimSpaces(std::string_view(t).substr(7)));
      state_ = kHeader;
      return;
    }
    if (state_ == kSeekTitle) {
      // A recipe whose header block lacks its title line: after the header
      // line of a recipe, an ingredient line starts an untitled recipe
      // rather than being skipped with everything after it.
      if (afterRecipeHeader_ && LooksLikeIngredient(raw)) {
        afterRecipeHeader_ = false;
        state_ = kHeader;
        AddIngredientLine(raw);
        state_ = kIngredients;
        return;
      }
      if (IsRecipeHeader(lt)) afterRecipeHeader_ = true;
      else if (!t.empty() && !StartsWith(lt, "categories: ") && !StartsWith(lt, "yield: ") &&
               !StartsWith(lt, "servings: "))
        afterRecipeHeader_ = false;
    }
    // The header line of the next recipe ends this one, also when it is
    // framed by dashes like a section header ("----- Recipe Extracted from
    // Meal-Master (tm) Database -----"): taken as a heading, it would make
    // every recipe after it part of this one.
    if (state_ >= kHeader && IsRecipeHeader(lt)) {
      EndRecipe(true);
      afterRecipeHeader_ = true;
      return;
    }
    if (state_ == kHeader && StartsWith(lt, "categories: ")) {
      std::string c(textops::TrimSpaces(std::string_view(t).substr(12)));
      category_ = std::string(textops::TrimSpaces(std::string_view(c).substr(0, c.find(','))));
      return;
    }
    if (state_ == kHeader && (StartsWith(lt, "yield: ") || StartsWith(lt, "servings: "))) {
      servings_ = ValInt(std::string_view(t).substr(t.find(' ') + 1));
      return;
    }
    if (state_ >= kHeader && (StartsWith(lt, "-----") || StartsWith(lt, "mmmmm")) && EndsWith(lt, "-----") &&
        !OnlyOf(lt, '-')) {
      std::string h = lt;
      if (StartsWith(h, "mmmmm")) h.erase(0, 5);
      AddHeading(SectionHeading(h, '-', false));
      return;
    }
    if (state_ >= kHeader && StartsWith(lt, "===") && EndsWith(lt, "===") && !OnlyOf(lt, '=')) {
      AddHeading(SectionHeading(lt, '=', true));
      return;
    }
    if (state_ == kIngredients && !left_.empty() && previous_.empty() && !StartsWith(lt, "mmmmm") &&
        !StartsWith(lt, "-----")) {
      state_ = kDirections;
      MoveRightToLeft();
      if (!(directions_.empty() && t.empty()) && directions_.count() < kMaxDirectionLines) directions_.Add(t);
      return;
    }
    // A recipe without directions ends at its end marker too; otherwise the
    // marker would be read as an ingredient and the recipes after it would
    // run into this one.
    if ((state_ == kIngredients || state_ == kHeader) && IsEndMarker(lt)) {
      EndRecipe();
      return;
    }
    // In the header an empty line after an empty line changes nothing, so a
    // header with blank lines keeps its categories and yield; a line laid out
    // as a Meal-Master ingredient starts the ingredients even without the
    // empty line before it.
    if (state_ == kIngredients ||
        (state_ == kHeader && ((previous_.empty() && !t.empty()) || LooksLikeIngredient(raw)))) {
      AddIngredientLine(raw);
      state_ = kIngredients;
      return;
    }
    if (state_ == kDirections && IsEndMarker(lt)) {
      EndRecipe();
      return;
    }
    if (state_ == kDirections) {
      if (directions_.count() < kMaxDirectionLines) directions_.Add(t);
      return;
    }
  }

  void AddIngredientLine(const std::string& raw) {
    size_t p = raw.size() > kSplitColumn - 1 ? raw.find("   ", kSplitColumn - 1) : std::string::npos;
    std::string left, right;
    if (p != std::string::npos) {
      left = std::string(textops::TrimSpaces(std::string_view(raw).substr(0, p + 1)));
      right = std::string(textops::TrimSpaces(std::string_view(raw).substr(p + 1)));
    } else {
      left = std::string(textops::TrimSpaces(raw));
    }
    if (!left.empty()) left_.Add(left);
    if (!right.empty()) right_.Add(right);
  }

  // `openEnd`: the recipe ends at the next recipe's header or at the end of
  // the file rather than at its own end marker. Some files close a recipe
  // with a dashed line of another length than the markers; that line (and
  // the empty lines after it) is the recipe's end, not part of its text.
  // Inside the directions such lines stay: they underline headings.
  void EndRecipe(bool openEnd = false) {
    size_t directionLines = directions_.count();
    while (openEnd && directionLines > 0) {
      const std::string last = directions_.Get(directionLines - 1);
      if (!last.empty() && !(last.size() >= 5 && OnlyOf(last, '-'))) break;
      --directionLines;
    }
    MoveRightToLeft();
    // Continuation lines ("-chopped") join the entry before them.
    std::vector<std::string> joined;
    joined.reserve(left_.count());
    for (size_t i = 0; i < left_.count(); ++i) {
      std::string e = left_.Get(i);
      if (!joined.empty() && StartsWith(e, "-") && !StartsWith(e, "--")) {
        std::string& prev = joined.back();
        while (!prev.empty() && prev.back() == ' ') prev.pop_back();
        prev += ' ';
        prev += textops::TrimSpaces(std::string_view(e).substr(1));
      } else {
        joined.push_back(std::move(e));
      }
    }
    // Words broken at the end of an entry ("pro-") join the next entry.
    std::string acc;
    bool waiting = false;
    auto emit = [&](const std::string& entry) {
      ParsedIngredient parsed = ParseIngredientLine(entry, 1.0, ctx_.settings);
      b_.AddIngredientText(FormatIngredientLine(parsed.quantity, parsed.unit, parsed.item) + "\r");
    };
    for (const std::string& e : joined) {
      if (!waiting) {
        acc = e;
      } else {
        acc.pop_back();
        while (!acc.empty() && acc.back() == ' ') acc.pop_back();
        acc += ' ';
        acc += e;
      }
      waiting = EndsWith(acc, "-") && !EndsWith(acc, "--");
      if (!waiting) emit(acc);
    }
    // A last entry that still ends in "-" is kept as it stands.
    if (waiting) emit(acc);
    for (size_t i = 0; i < directionLines; ++i) {
      std::string d = directions_.Get(i);
      CollapseSpaces(d);
      b_.AddDirectionText(d);
    }
    int64_t chapter = 0;
    b_.StoreImportedRecipe("", title_, category_, servings_, chapter);
    Reset();
  }

  RecipeBuilder& b_;
  AppContext& ctx_;
  LineTable left_, right_, directions_;
  std::string title_, category_, previous_;
  int servings_ = 0;
  int state_ = kSeekTitle;
  bool afterRecipeHeader_ = false;
};

}  // namespace

void ImportMealMaster(RecipeBuilder& builder, const std::string& file, const std::string& label, int64_t& chapter,
                      int64_t& recordId, bool& cancel) {
  MealMasterReader(builder).Run(file, label, chapter, recordId, cancel);
}

}  // namespace pantrela
