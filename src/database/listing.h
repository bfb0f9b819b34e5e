// Plain-text listings of the collection for the headless companion: the
// chapter names, a recipe list with its chapter column, one recipe.
#pragma once

#include <string>
#include <string_view>

#include "database/collection.h"

namespace pantrela {

// One chapter name a line (CR LF), in chapter-list order.
std::string ChapterListText(const Collection& collection);
// One line per entry of the current recipe list: title, TAB, the chapter
// name or "* No Assigned Chapter".
std::string RecipeListText(const Collection& collection);
// The first recipe or information text, in index order, with exactly this
// title; kNoEntry when none.
uint32_t FindRecipeByTitle(const Collection& collection, std::string_view title);
// A record as text: title, "Serves N" when servings are given, an empty
// line, the ingredients, an empty line, the directions (CR line breaks).
std::string RecipeText(const CurrentRecord& record);

// A record as one JSON object in UTF-8, for scripts: "title", "chapter" (as
// in the recipe list), "servings", "ingredients" (an array of lines, empty
// lines kept), "directions" (one text, "\n" line ends), "kind" ("recipe" or
// "information"), "record_id" and "photo" (null, or "type" by signature:
// "jpg", "png", "gif", "bmp", "ico" or null, "bytes", and the decoded
// "width" and "height", 0 when the bytes do not decode).
std::string RecipeJson(const Collection& collection, const CurrentRecord& record);

}  // namespace pantrela
