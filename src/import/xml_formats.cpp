#include "import/xml_formats.h"

#include <vector>

#include "foundation/context.h"
#include "foundation/file.h"
#include "foundation/numtext.h"
#include "import/reader_support.h"
#include "import/recipe_builder.h"
#include "ingredients/ingredient_line.h"
#include "ingredients/measures.h"
#include "web/entities.h"
#include "web/html_text.h"

namespace pantrela {
namespace {

std::string Decoded(std::string text) {
  DecodeEntities(text);
  return text;
}

// The part of a picture reference after its last "/" or "\", so a picture
// is only looked for beside the recipe file.
std::string BareName(const std::string& name) {
  size_t cut = name.find_last_of("/\\");
  std::string bare = cut == std::string::npos ? name : name.substr(cut + 1);
  return bare == "." || bare == ".." ? std::string() : bare;
}

}  // namespace

void ImportRecipeMl(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                    int64_t& recordId, bool& cancel) {
  if (!Exists(file)) return;
  ReaderRun run(b, "Importing RecipeML Recipes", label, chapter, recordId, cancel);
  const std::string folder = FolderOf(file);
  enum Section { kNone = 0, kHead = 1, kIngredients = 2, kDirections = 3 };
  int section = kNone;
  std::string title, category, qty, unit, item;
  int servings = 0;
  int64_t number = 0;
  bool started = false;
  auto reset = [&] {
    b.ResetImportRecipe();
    title.clear();
    category.clear();
    qty.clear();
    unit.clear();
    item.clear();
    servings = 0;
    section = kNone;
  };
  auto close = [&] {
    if (!title.empty() && !category.empty()) {
      int64_t ch = 0;
      b.StoreImportedRecipe("", title, category, servings, ch);
    } else if (started) {
      b.NoteSkipped(title.empty() ? "the recipe has no title" : "the recipe has no category");
    }
    started = false;
    reset();
  };
  reset();
  WalkXmlFile(
      b.ctx(), file, [&](size_t pos, size_t size) { return run.Stop(pos, size); },
      [&](std::string& text, std::string& tag, std::string& lt) {
        const std::string t = Trimmed(text);
        if (lt == "<recipe>" || StartsWith(lt, "<recipe ")) {
          close();
          started = true;
          b.SetEntryPosition("recipe " + Plain(++number));
        } else if (lt == "</recipe>") {
          close();
        } else if (lt == "<head>") {
          section = kHead;
        } else if (lt == "<ingredients>") {
          section = kIngredients;
        } else if (lt == "<directions>") {
          section = kDirections;
        } else if (lt == "</ing-div>") {
          b.AddIngredientText("\r");
        } else if (lt == "</dir-div>") {
          b.AddDirectionText("\r");
        } else if (lt == "</title>") {
          std::string s = t;
          TitleCase(s);
          if (section == kHead) title = s;
          else if (section == kIngredients && !s.empty()) b.AddIngredientText(s + ":\r");
        } else if (lt == "</cat>") {
          if (category.empty()) {
            category = t;
            TitleCase(category);
          }
        } else if (lt == "</yield>") {
          if (!t.empty()) servings = ValInt(t);
        } else if (lt == "</q1>") {
          // The low end of a range stands for the amount.
          if (section == kHead && servings == 0) servings = ValInt(t);
          else if (section == kIngredients && qty.empty()) qty = t;
        } else if (lt == "</qty>") {
          if (!t.empty()) qty = t;
        } else if (lt == "</unit>") {
          if (section == kIngredients) unit = t;
        } else if (lt == "</item>") {
          item = t;
        } else if (lt == "</ing>") {
          if (!qty.empty() || !unit.empty() || !item.empty()) AddIngredientLine(b, Trimmed(qty + " " + unit + " " + item));
          qty.clear();
          unit.clear();
          item.clear();
        } else if (lt == "</step>") {
          std::string s = text;
          for (size_t at; (at = s.find('\r')) != std::string::npos;) s.erase(at, 1);
          b.AddDirectionText(Trimmed(s) + "\r\r");
        } else if (StartsWith(lt, "<img ") || StartsWith(lt, "<photo ")) {
          // A picture file next to the recipe file becomes the photo.
          const std::string name = BareName(Trimmed(XmlAttr(tag, "src=")));
          if (!name.empty() && b.record().photo.empty()) PhotoFromFile(b, folder + name);
        }
      });
  if (started && !title.empty()) close();  // a file cut off inside a recipe
}

void ImportLivingCookbook(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                          int64_t& recordId, bool& cancel) {
  if (!Exists(file)) return;
  ReaderRun run(b, "Importing Living Cookbook Recipes", label, chapter, recordId, cancel);
  std::vector<std::pair<std::string, std::string>> chapters, cookbooks;
  auto addEntry = [](std::vector<std::pair<std::string, std::string>>& table, const std::string& tag) {
    std::string name = Decoded(XmlAttr(tag, "name="));
    if (name.size() > 199) name.resize(199);
    table.emplace_back(XmlAttr(tag, "id="), name);
  };
  auto lookup = [](const std::vector<std::pair<std::string, std::string>>& table, const std::string& id) {
    if (id.empty()) return std::string();
    for (const auto& [key, name] : table)
      if (key == id) return name;
    return std::string();
  };
  std::string title, category, comments, host, fileType;
  int servings = 0, pictures = 0;
  int64_t number = 0;
  bool photoTaken = false, inRecipe = false;
  auto finish = [&] {
    if (!Trimmed(title).empty()) {
      if (!comments.empty()) {
        b.AddDirectionText("");
        b.AddDirectionText("Comments:");
        b.AddDirectionText("");
        b.AddDirectionText(comments);
      }
      if (!host.empty()) {
        b.AddDirectionText("");
        b.AddDirectionText("Source: " + host);
      }
      int64_t ch = 0;
      b.StoreImportedRecipe("", title, category, servings, ch);
    } else {
      b.ctx().Log("Recipe With No Title - " + file);
      b.NoteSkipped("the recipe has no title");
    }
    b.ResetImportRecipe();
    inRecipe = false;
  };
  WalkTags(
      b.ctx(), file, [&](size_t pos, size_t size) { return run.Stop(pos, size); },
      [&](std::string_view rawText, std::string_view rawTag) {
        const std::string tag(rawTag);
        const std::string lt = LowerText(tag);
        if (Contains(lt, "<cookbookchapter ")) {
          addEntry(chapters, tag);
        } else if (Contains(lt, "<cookbook ") && Contains(lt, "name=")) {
          addEntry(cookbooks, tag);
        } else if (Contains(lt, "<recipe ") && Contains(lt, "name=")) {
          if (inRecipe) finish();
          b.ResetImportRecipe();
          inRecipe = true;
          b.SetEntryPosition("recipe " + Plain(++number));
          photoTaken = false;
          fileType.clear();
          title = Decoded(XmlAttr(tag, "name="));
          servings = ValInt(XmlAttr(tag, "servings="));
          comments = Decoded(XmlAttr(tag, "comments="));
          host = XmlAttr(tag, "webpage=");
          for (const char* scheme : {"http://", "https://"})
            if (StartsWith(LowerText(host), scheme)) host.erase(0, std::string_view(scheme).size());
          host = host.substr(0, host.find('/'));
          category = lookup(chapters, XmlAttr(tag, "cookbookchapterid="));
          if (category.empty()) category = lookup(cookbooks, XmlAttr(tag, "cookbookid="));
          // A recipe written as one empty element has nothing more to come.
          if (EndsWith(lt, "/>")) finish();
        } else if (Contains(lt, "<recipeingredient ")) {
          const std::string d = Decoded(tag);
          AddIngredientLine(b, Trimmed(XmlAttr(d, "quantity=") + " " + XmlAttr(d, "unit=") + " " +
                                       XmlAttr(d, "ingredient=")));
        } else if (Contains(lt, "</recipeprocedure") || Contains(lt, "</proceduretext")) {
          b.AddDirectionText(Trimmed(Decoded(std::string(rawText))));
        } else if (Contains(lt, "</recipeauthornote")) {
          b.AddDirectionText("");
          b.AddDirectionText(Trimmed(Decoded(std::string(rawText))));
        } else if (Contains(lt, "<recipeimage") && !Contains(lt, "<recipeimages>")) {
          fileType = Trimmed(XmlAttr(tag, "filetype="));
        } else if (Contains(lt, "</recipeimage") && !Contains(lt, "</recipeimages") && !photoTaken) {
          const std::string bytes = DecodeBase64(rawText);
          const std::string type = BareName(fileType);
          if (!type.empty() && !bytes.empty()) {
            photoTaken = PhotoFromBytes(b, bytes, "Picture" + Plain(int64_t(pictures++)) + "." + type);
          }
        } else if (Contains(lt, "</recipe>")) {
          if (inRecipe) finish();
        }
      });
  if (inRecipe && !Trimmed(title).empty()) finish();
}

namespace {

// A Mac Gourmet property list, walked with the nesting of its dictionaries
// and arrays, so a value is known by the key it stands under and by the key
// of the recipe entry it belongs to ("NAME" of the recipe, not of a
// category or a piece of equipment).
class MacGourmetReader {
 public:
  explicit MacGourmetReader(RecipeBuilder& b) : b_(b) {}

  void Tag(std::string& text, std::string& lt) {
    if (Contains(lt, "</key>")) {
      key_ = LowerText(Trimmed(text));
      b_.ctx().Log("XML KEY: " + key_);
      return;
    }
    if (lt == "<dict>" || lt == "<array>") {
      const bool isDict = lt == "<dict>";
      const bool recipe = isDict && RecipeDepth() < 0;
      frames_.push_back({isDict, ValueKey(), recipe});
      if (recipe) StartRecipe();
      key_.clear();
      return;
    }
    if (lt == "</dict>" || lt == "</array>") {
      if (frames_.empty()) return;
      const Frame f = frames_.back();
      frames_.pop_back();
      if (f.isDict && f.recipe) EndRecipe();
      else if (f.isDict && Branch() == "ingredients") EndIngredient();
      key_.clear();
      return;
    }
    const bool value = lt == "</string>" || lt == "</integer>" || lt == "</real>" || lt == "</data>" ||
                       lt == "<true/>" || lt == "<false/>";
    if (!value || RecipeDepth() < 0) return;
    Value(ValueKey(), lt == "<true/>" ? std::string("true") : text, lt == "</data>");
    if (!frames_.back().isDict) return;
    key_.clear();
  }

  void Finish() {
    if (RecipeDepth() >= 0) {
      frames_.clear();
      EndRecipe();
    }
  }

 private:
  struct Frame {
    bool isDict;
    std::string key;  // the key the container stands under
    bool recipe;
  };

  int RecipeDepth() const {
    for (size_t i = 0; i < frames_.size(); ++i)
      if (frames_[i].recipe) return int(i);
    return -1;
  }
  // The key of a value here: the pending key inside a dictionary, the
  // array's own key inside an array.
  std::string ValueKey() const {
    if (frames_.empty() || frames_.back().isDict) return key_;
    return frames_.back().key;
  }
  // Which entry of the recipe the innermost container belongs to: "" at the
  // recipe's own level, "ingredients" inside either ingredient list.
  std::string Branch() const {
    int r = RecipeDepth();
    if (r < 0 || size_t(r + 1) >= frames_.size()) return "";
    const std::string& k = frames_[size_t(r + 1)].key;
    if (k == "ingredients" || k == "ingredients_tree") return "ingredients";
    return k;
  }

  void StartRecipe() {
    b_.ResetImportRecipe();
    b_.SetEntryPosition("recipe " + Plain(++number_));
    title_.clear();
    category_.clear();
    keywords_.clear();
    servings_ = 0;
    ClearIngredient();
  }

  void ClearIngredient() {
    quantity_.clear();
    measurement_.clear();
    description_.clear();
    direction_.clear();
    divider_ = false;
  }

  void Value(const std::string& key, const std::string& text, bool data) {
    const std::string branch = Branch();
    const bool atRecipe = int(frames_.size()) - 1 == RecipeDepth();
    if (atRecipe) {
      if (key == "name") title_ = Trimmed(text);
      else if (key == "servings") servings_ = ValInt(Trimmed(text));
      else if (key == "category" && category_.empty()) category_ = Trimmed(text);
      else if (key == "keywords" && keywords_.empty()) keywords_ = Trimmed(text);
      else if (key == "directions") AddParagraph(text);
      else if (key == "note") AddParagraph(text);
      else if (key == "source" && !Trimmed(text).empty()) AddParagraph("Source: " + Trimmed(text));
      else if (key == "image" && data && b_.record().photo.empty()) PhotoFromBytes(b_, DecodeBase64(text), "temp.jpg");
      return;
    }
    if (branch == "ingredients") {
      if (key == "quantity") quantity_ = Trimmed(text);
      else if (key == "measurement") measurement_ = Trimmed(text);
      else if (key == "description") description_ = Trimmed(text);
      else if (key == "direction") direction_ = Trimmed(text);
      else if (key == "is_divider") divider_ = text == "true";
    } else if (branch == "directions_list" || branch == "directions") {
      if (key == "direction_text" || key == "directions") AddParagraph(text);
    } else if (branch == "categories") {
      if (key == "name" && category_.empty()) category_ = Trimmed(text);
    }
  }

  void AddParagraph(const std::string& text) {
    std::string t = Trimmed(text);
    if (t.empty()) return;
    b_.AddDirectionText(t);
    b_.AddDirectionText("");
  }

  void EndIngredient() {
    if (divider_) {
      // A divider heads the group of ingredients under it.
      if (!description_.empty()) b_.AddIngredientText("\r" + description_ + ":\r");
    } else if (!quantity_.empty() || !measurement_.empty() || !description_.empty()) {
      std::string line = quantity_ + " " + measurement_ + " " + description_;
      if (!direction_.empty()) line += ", " + direction_;
      ParsedIngredient p = ParseIngredientLine(Trimmed(line), 1.0, b_.ctx().settings);
      std::string formatted = FormatIngredientLine(p.quantity, p.unit, p.item);
      DecodeEntities(formatted);
      b_.AddIngredientText(formatted + "\r");
    }
    ClearIngredient();
  }

  void EndRecipe() {
    std::string category = category_.empty() ? keywords_ : category_;
    category = Trimmed(category.substr(0, category.find(',')));
    if (!Trimmed(title_).empty()) {
      int64_t ch = 0;
      b_.StoreImportedRecipe("", title_, category, servings_, ch);
    } else {
      b_.NoteSkipped("the recipe has no name");
    }
    b_.ResetImportRecipe();
  }

  RecipeBuilder& b_;
  std::vector<Frame> frames_;
  std::string key_, title_, category_, keywords_;
  std::string quantity_, measurement_, description_, direction_;
  bool divider_ = false;
  int servings_ = 0;
  int64_t number_ = 0;
};

}  // namespace

void ImportMacGourmet(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                      int64_t& recordId, bool& cancel) {
  if (!Exists(file)) return;
  ReaderRun run(b, "Importing Mac Gourmet Recipes", label, chapter, recordId, cancel);
  MacGourmetReader reader(b);
  WalkXmlFile(
      b.ctx(), file, [&](size_t pos, size_t size) { return run.Stop(pos, size); },
      [&](std::string& text, std::string&, std::string& lt) { reader.Tag(text, lt); });
  reader.Finish();  // a file cut off inside a recipe keeps it
}

}  // namespace pantrela
