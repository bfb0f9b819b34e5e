#include "import/other_formats.h"

#include <algorithm>
#include <memory>

#include "foundation/context.h"
#include "foundation/file.h"
#include "foundation/numtext.h"
#include "import/line_reader.h"
#include "import/reader_support.h"
#include "import/recipe_builder.h"
#include "ingredients/ingredient_line.h"
#include "ingredients/text_ops.h"
#include "web/entities.h"

namespace pantrela {

std::string SingleByteText(std::string bytes) {
  bool le = bytes.size() >= 2 && (unsigned char)bytes[0] == 0xFF && (unsigned char)bytes[1] == 0xFE;
  const bool be = bytes.size() >= 2 && (unsigned char)bytes[0] == 0xFE && (unsigned char)bytes[1] == 0xFF;
  size_t start = le || be ? 2 : 0;
  if (!le && !be && bytes.size() >= 4 && bytes[0] != 0 && bytes[1] == 0 && bytes[2] != 0 && bytes[3] == 0) le = true;
  if (!le && !be) return bytes;
  std::u16string units;
  units.reserve((bytes.size() - start) / 2);
  for (size_t i = start; i + 1 < bytes.size(); i += 2) {
    const unsigned a = (unsigned char)bytes[i], b = (unsigned char)bytes[i + 1];
    const char16_t u = char16_t(le ? a | (b << 8) : (a << 8) | b);
    if (u == 0) continue;  // a stray NUL unit would end the text
    units += u;
  }
  return MapClipboardUnicode(units);
}

namespace {

std::string AfterFirstColon(const std::string& s) {
  size_t c = s.find(':');
  return c == std::string::npos ? std::string() : Trimmed(std::string_view(s).substr(c + 1));
}
std::string AfterLastColon(const std::string& s) {
  size_t c = s.rfind(':');
  return c == std::string::npos ? std::string() : Trimmed(std::string_view(s).substr(c + 1));
}
std::string FirstCategory(const std::string& s) { return Trimmed(std::string_view(s).substr(0, s.find(','))); }
bool OnlyOf(std::string_view s, char c) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [c](char x) { return x == c; });
}
std::string Titled(std::string s) {
  TitleCase(s);
  return s;
}

// The shape every line format shares: a state, the header values, and the
// ingredient and direction lines handed to the builder as they come.
class LineFormat {
 public:
  explicit LineFormat(RecipeBuilder& b) : b_(b) {}
  virtual ~LineFormat() = default;

  // One line: raw as read, t trimmed, lt trimmed and lower-cased.
  virtual void Line(const std::string& raw, const std::string& t, const std::string& lt) = 0;
  // The end of the file (or a stop): a recipe in progress may be kept.
  virtual void End() {}

  void Run(const std::string& file, const char* caption, const std::string& label, int64_t& chapter,
           int64_t& recordId, bool& cancel) {
    if (!Exists(file)) return;
    LineReader in(file);
    ReaderRun run(b_, caption, label, chapter, recordId, cancel);
    Reset();
    std::string line;
    while (!run.Stop(in.position(), in.size()) && in.Next(line)) {
      ++lineNumber_;
      Feed(line);
    }
    End();
  }

  // Lines taken from text already in memory (split at CR, LF and `extra`).
  void RunText(const std::string& text, const char* caption, const std::string& label, int64_t& chapter,
               int64_t& recordId, bool& cancel, char extra = '\n') {
    ReaderRun run(b_, caption, label, chapter, recordId, cancel);
    Reset();
    size_t pos = 0;
    while (pos < text.size() && !run.Stop(pos, text.size())) {
      size_t end = pos;
      while (end < text.size() && text[end] != '\r' && text[end] != '\n' && text[end] != extra) ++end;
      ++lineNumber_;
      Feed(text.substr(pos, end - pos));
      pos = end + (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    End();
  }

 protected:
  void Feed(const std::string& line) {
    std::string raw = line;
    while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\t')) raw.pop_back();
    const std::string t = Trimmed(raw);
    Line(raw, t, LowerText(t));
    previousEmpty_ = t.empty();
  }

  void Reset() {
    b_.ResetImportRecipe();
    title_.clear();
    category_.clear();
    servings_ = 0;
    state_ = 0;
  }
  void Begin() {
    Reset();
    state_ = 1;
    b_.SetEntryPosition("line " + Plain(lineNumber_));
  }
  void Ingredient(const std::string& t) { AddIngredientLine(b_, t); }
  void Heading(const std::string& text) { b_.AddIngredientText("\r" + text + ":\r"); }
  void Direction(const std::string& t) { b_.AddDirectionText(t); }
  void Paragraph(const std::string& t) {
    if (t.empty()) return;
    b_.AddDirectionText(t);
    b_.AddDirectionText("");
  }
  // Stores the recipe when it has a title (and a category when one is
  // required); otherwise notes why it was left out. Back to state 0.
  void Store(bool needCategory = false) {
    if (title_.empty()) {
      b_.NoteSkipped("the recipe has no title");
    } else if (needCategory && category_.empty()) {
      b_.NoteSkipped("the recipe has no category");
    } else {
      int64_t ch = 0;
      b_.StoreImportedRecipe("", title_, category_, servings_, ch);
    }
    Reset();
  }

  RecipeBuilder& b_;
  std::string title_, category_;
  int servings_ = 0;
  int state_ = 0;
  bool previousEmpty_ = true;
  int64_t lineNumber_ = 0;
};

// Own text export: "<program> Chapter: <name>", the title underlined with
// "=", ingredient lines, ".", direction lines, an optional Base64 photo,
// "Servings: n" and the "Exported from" line.
class OwnTextFormat : public LineFormat {
 public:
  using LineFormat::LineFormat;
  void Line(const std::string&, const std::string& t, const std::string& lt) override {
    if (state_ == 0) {
      if (Contains(lt, "pantrela") && Contains(lt, "chapter:")) {
        Begin();
        category_ = Titled(AfterFirstColon(t));
      }
      return;
    }
    // "Photo: n" and "Servings: n" follow an empty line; the same words
    // inside the recipe's own text are text.
    const std::string value = AfterLastColon(t);
    const bool number = !value.empty() && value.find_first_not_of("0123456789") == std::string::npos;
    const bool field = number && (state_ <= 2 || previousEmpty_ || state_ == 5);
    if (state_ >= 2 && field && StartsWith(lt, "servings:")) {
      servings_ = ValInt(AfterLastColon(t));
      Finish();
      return;
    }
    if (state_ >= 2 && Contains(lt, "exported from pantrela")) {
      Finish();
      return;
    }
    if (state_ >= 2 && field && StartsWith(lt, "photo:")) {
      photoSize_ = size_t(std::max(0, ValInt(AfterLastColon(t))));
      photoText_.clear();
      state_ = 5;
      return;
    }
    switch (state_) {
      case 1:
        if (!t.empty()) {
          title_ = Titled(t);
          state_ = 2;
        }
        break;
      case 2:
        if (StartsWith(t, "=")) state_ = 3;
        break;
      case 3:
        if (lt == ".") state_ = 4;
        else Ingredient(t);
        break;
      case 4:
        Direction(t);
        break;
      case 5:
        photoText_ += t;
        break;
    }
  }
  void End() override {
    if (state_ >= 2) Finish();
  }

 private:
  void Finish() {
    if (photoSize_ > 0) b_.record().photo = DecodeBase64(photoText_, photoSize_);
    photoSize_ = 0;
    photoText_.clear();
    Store();
  }
  size_t photoSize_ = 0;
  std::string photoText_;
};

// From Scratch: "RECIPE BEGINS", "Title    :", "Serves   :", "KeyWords :",
// "Ingredients:", "Instructions:", "Notes:", "RECIPE ENDS".
class FromScratchFormat : public LineFormat {
 public:
  using LineFormat::LineFormat;
  void Line(const std::string&, const std::string& t, const std::string& lt) override {
    if (Contains(lt, "recipe begins")) {
      if (state_ != 0 && !title_.empty()) Store();
      Begin();
      return;
    }
    if (state_ == 0) return;
    if (Contains(lt, "recipe ends")) {
      Store();
      return;
    }
    if (state_ == 1 && title_.empty() && StartsWith(lt, "title  ")) {
      title_ = AfterFirstColon(t);
      state_ = 2;
    } else if (state_ == 2 && StartsWith(lt, "keywords ")) {
      std::string c = FirstCategory(AfterFirstColon(t));
      category_ = Titled(c.substr(0, c.find(' ')));
    } else if (state_ == 2 && StartsWith(lt, "serves ")) {
      servings_ = ValInt(AfterLastColon(t));
    } else if (state_ == 2 && StartsWith(lt, "ingredients:")) {
      state_ = 3;
    } else if (state_ == 3 && StartsWith(lt, "instructions:")) {
      state_ = 4;
    } else if (state_ == 3) {
      if (!t.empty()) Ingredient(t);
    } else if (state_ >= 4 && StartsWith(lt, "notes:")) {
      // Notes become a paragraph of the directions when there are any.
      state_ = 5;
      notesStarted_ = false;
      if (!AfterFirstColon(t).empty()) NoteLine(AfterFirstColon(t));
    } else if (state_ == 4) {
      Direction(t);
    } else if (state_ == 5 && !t.empty()) {
      NoteLine(t);
    }
  }
  void End() override {
    if (state_ >= 2) Store();
  }

 private:
  void NoteLine(const std::string& t) {
    if (!notesStarted_) {
      b_.AddDirectionText("");
      b_.AddDirectionText("Notes:");
      b_.AddDirectionText("");
      notesStarted_ = true;
    }
    Direction(t);
  }
  bool notesStarted_ = false;
};

// Cookbook Wizard: "Exported from Cookbook Wizard", "Recipe Name:",
// "Category:", "Servings:", "Ingredients:", "Instructions:", a rule of
// dashes at the end.
class CookbookWizardFormat : public LineFormat {
 public:
  using LineFormat::LineFormat;
  void Line(const std::string&, const std::string& t, const std::string& lt) override {
    if (state_ == 0) {
      if (Contains(lt, "exported from") && Contains(lt, "cookbook wizard")) Begin();
      return;
    }
    if (Contains(lt, "----------")) {
      Store();
      return;
    }
    if (state_ == 1 && title_.empty() && StartsWith(lt, "recipe name")) {
      title_ = AfterFirstColon(t);
      state_ = 2;
    } else if (state_ == 2 && StartsWith(lt, "category")) {
      if (category_.empty()) category_ = FirstCategory(AfterFirstColon(t));
    } else if (state_ == 2 && StartsWith(lt, "servings")) {
      servings_ = ValInt(AfterFirstColon(t));
    } else if (state_ == 2 && StartsWith(lt, "ingredients:")) {
      state_ = 3;
    } else if (state_ == 3 && StartsWith(lt, "instructions:")) {
      state_ = 4;
    } else if (state_ == 3) {
      if (!t.empty()) Ingredient(t);
    } else if (state_ == 4) {
      Direction(t);
    }
  }
  void End() override {
    if (state_ >= 2) Store();
  }
};

// Compu-Chef (DOS): a line of stars opens a recipe, the title stands
// between runs of stars, "Categories", "Number of servings", an
// "Ingredients ---" rule, the ingredient lines, an empty line, the
// directions, and "Recipe via Compu-Chef" at the end.
class CompuChefFormat : public LineFormat {
 public:
  using LineFormat::LineFormat;
  void Line(const std::string&, const std::string& t, const std::string& lt) override {
    if (Contains(lt, "recipe via compu-chef")) {
      if (state_ != 0) Store();
      return;
    }
    if (state_ == 0) {
      if (OnlyOf(lt, '*')) Begin();
      return;
    }
    if (state_ == 1 && title_.empty() && StartsWith(lt, "*****") && EndsWith(lt, "*****") && !OnlyOf(lt, '*')) {
      std::string s = t;
      s.erase(0, s.find_first_not_of('*'));
      s.erase(s.find_last_not_of('*') + 1);
      title_ = Trimmed(s);
      state_ = 2;
    } else if (state_ == 2 && StartsWith(lt, "categories")) {
      category_ = FirstCategory(AfterFirstColon(t));
      state_ = 3;
    } else if ((state_ == 2 || state_ == 3) && Contains(lt, "number of servings")) {
      servings_ = ValInt(AfterFirstColon(t));
      state_ = 3;
    } else if ((state_ == 2 || state_ == 3) && StartsWith(lt, "ingredients") && EndsWith(lt, "-----")) {
      state_ = 4;
    } else if (state_ == 4) {
      // The ingredients end at the first empty line after them, or at a
      // rule that heads the directions.
      if (EndsWith(lt, "-----")) state_ = 5;
      else if (t.empty()) state_ = ingredientsSeen_ ? 5 : 4;
      else {
        Ingredient(t);
        ingredientsSeen_ = true;
      }
    } else if (state_ == 5) {
      Direction(t);
    }
    if (state_ <= 1) ingredientsSeen_ = false;
  }
  void End() override {
    if (state_ >= 2) Store();
  }

 private:
  bool ingredientsSeen_ = false;
};

// Big Oven: "-= Exported from BigOven =-", the title, header fields,
// "-= Ingredients =-" and "-= Instructions =-" (or ingredients after the
// first empty line of the header and directions after the next), and the
// "can be pasted into BigOven" line at the end.
class BigOvenFormat : public LineFormat {
 public:
  using LineFormat::LineFormat;
  void Line(const std::string&, const std::string& t, const std::string& lt) override {
    if (StartsWith(lt, "-=") && Contains(lt, "exported") && Contains(lt, "bigoven")) {
      if (state_ != 0) Store();
      Begin();
      return;
    }
    if (state_ == 0) return;
    if (Contains(lt, "recipe can be pasted") && Contains(lt, "bigoven")) {
      Store();
      return;
    }
    if (StartsWith(lt, "-=") && EndsWith(lt, "=-")) {
      if (Contains(lt, "ingredient")) state_ = 4;
      else if (Contains(lt, "instruction") || Contains(lt, "direction") || Contains(lt, "method")) state_ = 5;
      return;
    }
    if (state_ == 1) {
      if (!t.empty() && title_.empty()) {
        title_ = t;
        state_ = 2;
      }
      return;
    }
    if ((state_ == 2 || state_ == 3) && StartsWith(lt, "serving size")) {
      servings_ = ValInt(AfterFirstColon(t));
      state_ = 3;
    } else if ((state_ == 2 || state_ == 3) && StartsWith(lt, "categories")) {
      category_ = FirstCategory(AfterFirstColon(t));
      state_ = 3;
    } else if (state_ == 2 || state_ == 3) {
      if (t.empty() && state_ == 3) state_ = 4;
    } else if (state_ == 4) {
      if (t.empty()) {
        if (ingredientsSeen_) state_ = 5;
      } else {
        Ingredient(t);
        ingredientsSeen_ = true;
      }
    } else if (state_ == 5) {
      Direction(t);
    }
    if (state_ <= 1) ingredientsSeen_ = false;
  }
  void End() override {
    if (state_ >= 1) Store();
  }

 private:
  bool ingredientsSeen_ = false;
};

// Now You're Cooking and Recipe Processor: a start line, the title, the
// category, then the ingredient lines up to an empty line, then the
// directions up to the end line. A recipe needs a title and a category.
class TitleCategoryFormat : public LineFormat {
 public:
  TitleCategoryFormat(RecipeBuilder& b, bool processor) : LineFormat(b), processor_(processor) {}
  void Line(const std::string&, const std::string& t, const std::string& lt) override {
    const bool start = processor_ ? StartsWith(lt, "rpw") && Contains(lt, "-----")
                                  : StartsWith(lt, "@@@@@") && Contains(lt, "now you're cooking");
    if (start) {
      if (state_ != 0) Store(true);
      Begin();
      return;
    }
    if (state_ == 0) return;
    const bool end = processor_ ? StartsWith(lt, "+++") : Contains(lt, "exported from");
    if (end) {
      Store(true);
      return;
    }
    switch (state_) {
      case 1:
        if (!t.empty()) {
          title_ = Titled(t);
          state_ = 2;
        }
        break;
      case 2:
        if (!t.empty()) {
          category_ = Titled(FirstCategory(t));
          state_ = 3;
        }
        break;
      case 3:  // before the first ingredient
        if (t.empty()) break;
        state_ = 4;
        [[fallthrough]];
      case 4:
        if (t.empty()) state_ = 5;
        else Ingredient(t);
        break;
      case 5:
        // Nutrition links and analyses are the program's own data.
        if (StartsWith(lt, "nyc nutri")) break;
        if (StartsWith(lt, "yield:") || StartsWith(lt, "servings:")) servings_ = ValInt(AfterFirstColon(t));
        Direction(t);
        break;
    }
  }
  void End() override {
    if (state_ >= 2) Store(true);
  }

 private:
  bool processor_;
};

// AccuChef: every line starts with a one-letter field code: A title,
// B category, D servings, H amount and unit of an ingredient, I its item,
// K its preparation, J a direction, Z the end of the recipe.
class AccuChefFormat : public LineFormat {
 public:
  using LineFormat::LineFormat;
  void Line(const std::string& raw, const std::string&, const std::string& lt) override {
    if (StartsWith(lt, "*****") && Contains(lt, "accuchef")) {
      if (state_ != 0 && !title_.empty()) Finish();
      Begin();
      return;
    }
    if (state_ == 0 || raw.empty()) return;
    const char code = char(textops::Lower1252((unsigned char)raw[0]));
    const std::string value = Trimmed(std::string_view(raw).substr(1));
    switch (code) {
      case 'a':
        if (title_.empty()) title_ = value;
        break;
      case 'b':
        if (category_.empty()) category_ = FirstCategory(value);
        break;
      case 'd':
        servings_ = ValInt(value);
        break;
      case 'h':
        EndIngredient();
        amount_ = value;
        open_ = true;
        break;
      case 'i':
        item_ = item_.empty() ? value : item_ + " " + value;
        open_ = true;
        break;
      case 'k':
        if (!value.empty()) prep_ = prep_.empty() ? value : prep_ + ", " + value;
        break;
      case 'j':
        EndIngredient();
        Paragraph(value);
        break;
      case 'z':
        if (Contains(lt, "recipe definition")) Finish();
        break;
    }
  }
  void End() override {
    if (state_ != 0 && !title_.empty()) Finish();
  }

 private:
  void EndIngredient() {
    if (!open_) return;
    std::string line = Trimmed(amount_ + " " + item_);
    if (!prep_.empty()) line += ", " + prep_;
    const std::string l = LowerText(line);
    if (EndsWith(l, "-----") && !OnlyOf(l, '-')) {
      std::string h = line;
      h.erase(h.find_last_not_of('-') + 1);
      Heading(Trimmed(h));
    } else if (!line.empty()) {
      Ingredient(line);
    }
    amount_.clear();
    item_.clear();
    prep_.clear();
    open_ = false;
  }
  void Finish() {
    EndIngredient();
    Store();
  }
  std::string amount_, item_, prep_;
  bool open_ = false;
};

// Computer Cuisine Deluxe: "Recipe:", "Type:", "Style:", "Serves:",
// "Ingredients:", "Method:", "Recipe Source"/"Recipe Notes" lines, a line
// of ten dashes between recipes. Lines may end at CR, LF or a vertical tab.
class ComputerCuisineFormat : public LineFormat {
 public:
  using LineFormat::LineFormat;
  void Line(const std::string& raw, const std::string& t, const std::string& lt) override {
    if (StartsWith(lt, "recipe:")) {
      if (state_ != 0) Store();
      Begin();
      title_ = Trimmed(std::string_view(t).substr(7));
      return;
    }
    if (state_ == 0) return;
    if (lt.size() >= 10 && OnlyOf(lt, '-')) {
      Store();
      return;
    }
    if (state_ == 1 && StartsWith(lt, "type:")) {
      category_ = FirstCategory(AfterFirstColon(t));
    } else if (state_ == 1 && StartsWith(lt, "style:")) {
      if (category_.empty()) category_ = FirstCategory(AfterFirstColon(t));
    } else if (state_ == 1 && StartsWith(lt, "serves:")) {
      servings_ = ValInt(AfterFirstColon(t));
    } else if (StartsWith(lt, "ingredients:")) {
      state_ = 3;
    } else if (StartsWith(lt, "method:")) {
      state_ = 4;
    } else if (state_ == 3) {
      if (!t.empty()) Ingredient(t);
    } else if (state_ == 4) {
      if (StartsWith(lt, "recipe source") || StartsWith(lt, "recipe notes")) {
        if (!AfterFirstColon(t).empty()) {
          b_.AddDirectionText("");
          b_.AddDirectionText(t + "\r\r");
        }
      } else {
        Direction(t);
      }
    }
    (void)raw;
  }
  void End() override {
    if (state_ != 0) Store();
  }
};

// Cookware Deluxe: the title on the first line, header fields
// ("Servings:", "Course:"), the ingredient lines (a line ending " ----" is
// a heading), the directions, and "Exported from Cookware Deluxe".
class CookwareDeluxeFormat : public LineFormat {
 public:
  using LineFormat::LineFormat;
  void Line(const std::string&, const std::string& t, const std::string& lt) override {
    if (Contains(lt, "exported from cookware deluxe")) {
      if (state_ != 0) Store();
      return;
    }
    if (state_ == 0) {
      if (!t.empty()) {
        Begin();
        title_ = t;
        state_ = 2;
      }
      return;
    }
    if (StartsWith(lt, "servings:")) {
      servings_ = ValInt(AfterLastColon(t));
      fields_ = true;
      return;
    }
    if (StartsWith(lt, "course:")) {
      category_ = FirstCategory(AfterFirstColon(t));
      fields_ = true;
      return;
    }
    if (state_ == 2) {
      // The header ends at a section name, or at the empty line after it.
      if (lt == "ingredients" || lt == "ingredients:") state_ = 3;
      else if (t.empty() && fields_) state_ = 3;
      else if (!t.empty() && t.find(':') == std::string::npos) {
        state_ = 3;
        Line3(t, lt);
      } else if (!t.empty()) fields_ = true;
      return;
    }
    if (state_ == 3) Line3(t, lt);
    else if (state_ == 4) Direction(t);
  }
  // Without its end line a recipe is kept when more than its first line
  // was read (any text would otherwise give a recipe of its first line).
  void End() override {
    if (state_ >= 3 || fields_) Store();
  }

 private:
  void Line3(const std::string& t, const std::string& lt) {
    static const char* const kDirectionNames[] = {"directions", "directions:", "instructions", "instructions:",
                                                  "preparation", "preparation:", "method", "method:"};
    for (const char* n : kDirectionNames)
      if (lt == n) {
        state_ = 4;
        return;
      }
    if (t.empty()) {
      if (ingredientsSeen_) state_ = 4;
      return;
    }
    if (EndsWith(t, " ----")) {
      Heading(Trimmed(t.substr(0, t.size() - 5)));
      return;
    }
    Ingredient(t);
    ingredientsSeen_ = true;
  }
  bool fields_ = false;
  bool ingredientsSeen_ = false;
};

template <class F, class... Args>
void RunLines(RecipeBuilder& b, const std::string& file, const char* caption, const std::string& label,
              int64_t& chapter, int64_t& recordId, bool& cancel, Args&&... args) {
  F format(b, std::forward<Args>(args)...);
  format.Run(file, caption, label, chapter, recordId, cancel);
}

// A one-byte length and the text after it, within `width` bytes.
std::string CountedText(std::string_view record, size_t offset, size_t width) {
  if (offset >= record.size()) return "";
  size_t n = std::min<size_t>((unsigned char)record[offset], width);
  n = std::min(n, record.size() - offset - 1);
  return std::string(record.substr(offset + 1, n));
}

// Every word with its first letter upper case and the rest lower case.
std::string WordsCapitalised(std::string s) {
  bool start = true;
  for (char& c : s) {
    const unsigned char u = (unsigned char)c;
    c = char(start ? textops::Upper1252(u) : textops::Lower1252(u));
    start = c == ' ';
  }
  return s;
}

// The recipe part of a record key: the key without its trailing letters.
std::string KeyBase(std::string key) {
  key = Trimmed(key);
  while (!key.empty() && textops::IsAsciiLetter((unsigned char)key.back())) key.pop_back();
  return key;
}

}  // namespace

void ImportOwnText(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                   int64_t& recordId, bool& cancel) {
  RunLines<OwnTextFormat>(b, file, "Importing Pantrela Recipes", label, chapter, recordId, cancel);
}
void ImportFromScratch(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                       int64_t& recordId, bool& cancel) {
  RunLines<FromScratchFormat>(b, file, "Importing From Scratch Recipes", label, chapter, recordId, cancel);
}
void ImportCookbookWizard(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                          int64_t& recordId, bool& cancel) {
  RunLines<CookbookWizardFormat>(b, file, "Importing Cookbook Wizard Recipes", label, chapter, recordId, cancel);
}
void ImportCompuChef(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                     int64_t& recordId, bool& cancel) {
  RunLines<CompuChefFormat>(b, file, "Importing Compu-Chef Recipes", label, chapter, recordId, cancel);
}
void ImportBigOven(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                   int64_t& recordId, bool& cancel) {
  RunLines<BigOvenFormat>(b, file, "Importing Big Oven Recipes", label, chapter, recordId, cancel);
}
void ImportNowYoureCooking(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                           int64_t& recordId, bool& cancel) {
  RunLines<TitleCategoryFormat>(b, file, "Importing Now You're Cooking Recipes", label, chapter, recordId, cancel,
                                false);
}
void ImportRecipeProcessor(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                           int64_t& recordId, bool& cancel) {
  RunLines<TitleCategoryFormat>(b, file, "Importing Recipe Processor Recipes", label, chapter, recordId, cancel,
                                true);
}
void ImportAccuChef(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                    int64_t& recordId, bool& cancel) {
  RunLines<AccuChefFormat>(b, file, "Importing AccuChef Recipes", label, chapter, recordId, cancel);
}

void ImportComputerCuisine(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                           int64_t& recordId, bool& cancel) {
  std::string text;
  if (!ReadWholeFile(file, text)) return;
  ComputerCuisineFormat format(b);
  format.RunText(text, "Importing Computer Cuisine Recipes", label, chapter, recordId, cancel, '\x0b');
}

void ImportCookwareDeluxe(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                          int64_t& recordId, bool& cancel) {
  std::string text;
  if (!ReadWholeFile(file, text)) return;
  text = SingleByteText(std::move(text));
  CookwareDeluxeFormat format(b);
  format.RunText(text, "Importing Cookware Deluxe Recipes", label, chapter, recordId, cancel);
}

void ImportEdnasCookbook(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                         int64_t& recordId, bool& cancel) {
  std::string bytes;
  if (!ReadWholeFile(file, bytes)) return;
  ReaderRun run(b, "Importing Edna's Cookbook Recipes", label, chapter, recordId, cancel);
  std::string title, category, previousBase, extra;
  bool open = false;
  auto store = [&] {
    if (!open) return;
    if (!extra.empty()) {
      b.AddDirectionText("");
      b.AddDirectionText(extra);
    }
    int64_t ch = 0;
    b.StoreImportedRecipe("", title, category, 0, ch);
    b.ResetImportRecipe();
    open = false;
  };
  int64_t number = 0;
  for (size_t at = kEdnaFirstRecord; at + kEdnaRecordSize <= bytes.size(); at += kEdnaRecordSize) {
    if (run.Stop(at, bytes.size())) break;
    ++number;
    const std::string_view rec(bytes.data() + at, kEdnaRecordSize);
    const std::string key = CountedText(rec, 2, 6);
    const std::string base = KeyBase(key);
    const std::string recTitle = WordsCapitalised(Trimmed(CountedText(rec, 77, 40)));
    if (LowerText(recTitle) == "name of recipe") continue;  // the record of field captions
    if (!open || base.empty() || base != previousBase) {
      store();
      b.ResetImportRecipe();
      b.SetEntryPosition("record " + Plain(number));
      open = true;
      title = recTitle;
      category = WordsCapitalised(Trimmed(CountedText(rec, 9, 16)));
      extra = Trimmed(CountedText(rec, 26, 50));
    }
    previousBase = base;
    for (size_t i = 0; i < 12; ++i) {
      std::string line = LowerText(Trimmed(CountedText(rec, 118 + 34 * i, 33)));
      if (!line.empty()) AddIngredientLine(b, line);
    }
    for (size_t i = 0; i < 12; ++i) {
      const std::string line = CountedText(rec, 526 + 71 * i, 70);
      if (!Trimmed(line).empty()) b.AddDirectionText(line);
    }
  }
  store();
}

void ImportInformationText(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                           int64_t& recordId, bool& cancel) {
  if (!Exists(file)) return;
  ReaderRun run(b, "Import Information Text", label, chapter, recordId, cancel);
  std::string bytes;
  {
    File f = File::Open('i', file);
    bytes = f.ReadBytes(int64_t(std::min<uint64_t>(f.Size(), 64990 * 2 + 2)));
  }
  bytes = SingleByteText(std::move(bytes));
  if (bytes.size() > 64990) bytes.resize(64990);
  std::string text;
  text.reserve(bytes.size());
  for (char c : bytes) {
    if (c == '\n' || c == '\0') continue;
    text += c == '\t' ? ' ' : c;
  }
  size_t slash = file.find_last_of('/');
  std::string title = slash == std::string::npos ? file : file.substr(slash + 1);
  size_t dot = title.rfind('.');
  if (dot != std::string::npos && dot > 0) title.resize(dot);
  TitleCase(title);
  b.ResetImportRecipe();
  b.SetEntryPosition("the whole file");
  if (Trimmed(text).find_first_not_of('\r') == std::string::npos) {
    b.NoteSkipped("the file holds no text");
    return;
  }
  b.record().ingredients = std::move(text);
  int64_t ch = 0;
  b.StoreImportedRecipe("", title, "", 0, ch);
  run.Stop(1, 1);
}

}  // namespace pantrela
