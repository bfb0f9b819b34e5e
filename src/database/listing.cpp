#include "database/listing.h"

#include "foundation/numtext.h"

namespace pantrela {

std::string ChapterListText(const Collection& collection) {
  std::string out;
  for (uint32_t e : collection.chapterList().entries) {
    out.append(collection.Entry(e).title());
    out += "\r\n";
  }
  return out;
}

std::string RecipeListText(const Collection& collection) {
  std::string out;
  for (uint32_t e : collection.recipeList().entries) {
    EntryView v = collection.Entry(e);
    out.append(v.title());
    out += '\t';
    out += collection.ChapterDisplayName(v.chapterKey());
    out += "\r\n";
  }
  return out;
}

uint32_t FindRecipeByTitle(const Collection& collection, std::string_view title) {
  for (uint32_t e : collection.EntryOffsets()) {
    EntryView v = collection.Entry(e);
    if ((v.kind() == kKindRecipe || v.kind() == kKindInfo) && v.title() == title) return e;
  }
  return kNoEntry;
}

std::string RecipeText(const CurrentRecord& record) {
  std::string out = record.title + "\r";
  if (record.servings() > 0) out += "Serves " + Plain(record.servings()) + "\r";
  out += "\r";
  if (!record.ingredients.empty()) out += record.ingredients + "\r";
  out += "\r";
  if (!record.directions.empty()) out += record.directions + "\r";
  return out;
}

}  // namespace pantrela
