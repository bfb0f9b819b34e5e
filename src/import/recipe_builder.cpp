#include "import/recipe_builder.h"

#include <algorithm>

#include "database/photo.h"
#include "foundation/context.h"
#include "foundation/numtext.h"
#include "ingredients/ingredient_line.h"
#include "ingredients/measures.h"
#include "ingredients/text_ops.h"
#include "web/entities.h"

namespace pantrela {
namespace {

// Ingredient and direction text keep at most this many bytes (the record's
// capacity less one).
constexpr size_t kTextRoom = kLongTextMax - 1;

void AppendWithin(std::string& target, std::string_view piece) {
  if (target.size() >= kTextRoom) return;
  target.append(piece.substr(0, kTextRoom - target.size()));
}

// Drops every byte below 32 except CR.
void DropControls(std::string& s) {
  s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return (unsigned char)c < 32 && c != '\r'; }), s.end());
}

bool EndsWithFolded(std::string_view s, std::string_view tail) {
  if (s.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i)
    if (textops::Lower1252((unsigned char)s[s.size() - tail.size() + i]) != (unsigned char)tail[i]) return false;
  return true;
}

// Drops a leading label word ("TITLE", "RECIPE") with its ":". Only a
// label is dropped: the word must be followed by a ":" (after blanks), so
// "Recipes For Summer" and "Recipe 1" keep their words.
void DropLeadingLabel(std::string& s, std::string_view word) {
  if (s.rfind(word, 0) != 0) return;
  std::string_view rest = textops::TrimSpaces(std::string_view(s).substr(word.size()));
  if (rest.empty() || rest[0] != ':') return;
  s = std::string(textops::TrimSpaces(rest.substr(1)));
}

}  // namespace

void LineTable::Add(std::string_view text) {
  if ((count_ + 1) * kSlot > image_.size()) image_.Resize(image_.size() + kGrowth);
  size_t n = std::min<size_t>(text.size(), kSlot - 1);
  // Text up to a NUL byte is all a slot can hold.
  size_t nul = text.substr(0, n).find('\0');
  if (nul != std::string_view::npos) n = nul;
  image_.PutZ(count_ * kSlot, text.substr(0, n));
  ++count_;
}

void TidyText(std::string& text) {
  size_t a = 0, b = text.size();
  while (a < b && (unsigned char)text[a] <= 32) ++a;
  while (b > a && (unsigned char)text[b - 1] <= 32) --b;
  std::string out;
  out.reserve(b - a + 1);
  int crRun = 0;
  for (size_t i = a; i < b; ++i) {
    const char c = text[i];
    if (c == '\r') {
      if (++crRun > 2) continue;
    } else {
      if (c == ' ' && !out.empty() && (out.back() == '\r' || out.back() == ' ')) continue;
      crRun = 0;
    }
    out += c;
  }
  if (!out.empty()) out += '\r';
  text = std::move(out);
}

std::string CleanImportTitle(std::string title) {
  // References are decoded first, while their names still have their own
  // case ("&amp;" would not be found once the title is upper-cased).
  DecodeEntities(title);
  while (!title.empty() && title.back() == '.') title.pop_back();
  textops::TrimSpacesInPlace(title);
  for (char& c : title) c = char(textops::Upper1252((unsigned char)c));
  DropLeadingLabel(title, "TITLE");
  DropLeadingLabel(title, "RECIPE");
  CollapseSpaces(title);
  TitleCase(title);
  title.erase(std::remove_if(title.begin(), title.end(),
                             [](char ch) {
                               unsigned char c = (unsigned char)ch;
                               return c < 32 || (c >= 127 && c <= 191);
                             }),
              title.end());
  if (!title.empty() && title[0] == '.') title.erase(0, 1);
  if (title.size() >= 2 && title.front() == '*' && title.back() == '*') title = title.substr(1, title.size() - 2);
  else if (title == "*") title.clear();
  if (EndsWithFolded(title, "recipe")) {
    title.resize(title.size() - 6);
    textops::TrimSpacesInPlace(title);
  }
  if (title.empty()) title = kUntitledRecipe;
  if (title.size() > 250) title.resize(250);
  return title;
}

std::string SourceHost(std::string_view address) {
  size_t at = address.find("//");
  if (at == std::string_view::npos) return "";
  std::string_view rest = address.substr(at + 2);
  std::string host(rest.substr(0, rest.find('/')));
  textops::LowerInPlace(host);
  return host;
}

RecipeBuilder::RecipeBuilder(AppContext& ctx, ImportTarget& target) : ctx_(ctx), target_(target) {}

void RecipeBuilder::ResetImportRecipe() { rec_.Clear(); }

void RecipeBuilder::NoteSkipped(std::string reason) { skipped_.push_back({file_, position_, std::move(reason)}); }

void RecipeBuilder::AddIngredientText(std::string text) {
  CleanImportLine(text);
  if (!text.empty()) text[0] = char(textops::Upper1252((unsigned char)text[0]));
  DropControls(text);
  AppendWithin(rec_.ingredients, text);
}

void RecipeBuilder::AddDirectionText(std::string text) {
  CleanImportLine(text);
  if (textops::TrimSpaces(text).empty()) {
    text = "\r\r";  // a paragraph break
  } else if (!rec_.directions.empty() && rec_.directions.back() != '\r') {
    text.insert(text.begin(), ' ');  // pieces of one paragraph run on
  }
  DropControls(text);
  AppendWithin(rec_.directions, text);
}

std::string RecipeBuilder::Key(const std::string& name) {
  std::string k(textops::TrimSpaces(name));
  textops::LowerInPlace(k);
  return k;
}

void RecipeBuilder::LoadChapters() {
  if (chaptersLoaded_) return;
  chaptersLoaded_ = true;
  for (auto& [name, key] : target_.UserChapters()) chapters_.emplace(Key(name), key);
}

int64_t RecipeBuilder::FindChapterByName(const std::string& name) {
  LoadChapters();
  auto it = chapters_.find(Key(name));
  return it == chapters_.end() ? 0 : it->second;
}

int64_t RecipeBuilder::CreateChapter(const std::string& name) {
  if (!target_.FailureText().empty()) return 0;
  LoadChapters();
  CurrentRecord chapter;
  chapter.title = name.substr(0, kTitleWriteMax);
  const int64_t key = ctx_.ids.Make();
  chapter.setChapterKey(key);
  chapter.setKind(kKindChapter);
  if (!target_.AppendRecord(chapter)) return 0;
  chapters_.emplace(Key(chapter.title), key);
  return key;
}

int64_t RecipeBuilder::StoreImportedRecipe(const std::string& source, const std::string& title, std::string category,
                                           int servings, int64_t& chapter) {
  chapter = 0;
  // After a failed write nothing more is stored; the run is taken back.
  if (!target_.FailureText().empty()) return 0;
  TidyText(rec_.ingredients);
  TidyText(rec_.directions);

  CollapseSpaces(category);
  DecodeEntities(category);
  TitleCase(category);
  category.erase(std::remove_if(category.begin(), category.end(),
                                [](char ch) {
                                  unsigned char c = (unsigned char)ch;
                                  return c < 32 || c > 165 || c == 127;
                                }),
                 category.end());
  textops::TrimSpacesInPlace(category);

  bool info = false;
  if (!rec_.ingredients.empty() && rec_.directions.empty()) {
    rec_.directions = std::move(rec_.ingredients);
    rec_.ingredients.clear();
    info = true;
  }

  const std::string host = SourceHost(source);
  if (!rec_.directions.empty() && !host.empty()) {
    rec_.directions += "\rSource: " + host;
    TidyText(rec_.directions);
  }

  if (!rec_.photo.empty()) {
    PhotoBitmap bitmap = DecodePhoto(ctx_, rec_.photo);
    ctx_.Log("Photo Buffer: 1 - p_size: " + Plain(int64_t(rec_.photo.size())) + " - Format: " + bitmap.type +
             " - Wide: " + Plain(bitmap.width) + " - High: " + Plain(bitmap.height));
    if (bitmap.width < 64 || bitmap.height < 64) rec_.photo.clear();
  }

  if (ctx_.settings.import_chapter == 0 || category.empty()) category = kImportedChapter;
  chapter = FindChapterByName(category);
  if (chapter == 0) chapter = CreateChapter(category);

  rec_.title = CleanImportTitle(title).substr(0, kTitleWriteMax);

  rec_.header.Fill(0, kRecordHeaderSize, 0);
  rec_.setKind(info ? kKindInfo : kKindRecipe);
  const int64_t id = ctx_.ids.Make();
  rec_.setRecordId(id);
  rec_.setChapterKey(chapter);
  rec_.setServings(uint8_t(std::clamp(servings, 0, 255)));

  if (!target_.AppendRecord(rec_)) {
    NoteSkipped("the recipe could not be written");
    return 0;
  }
  ++stored_;
  lastChapter_ = chapter;
  lastRecordId_ = id;
  return id;
}

}  // namespace pantrela
