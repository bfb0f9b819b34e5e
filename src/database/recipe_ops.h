// Operations on the checked recipes of the recipe list: copy and move to
// another chapter, delete; and the chapter chooser they share.
#pragma once

#include <cstdint>
#include <vector>

#include "database/collection.h"

namespace pantrela {

inline constexpr const char* kNoRecipesSelected = "No recipes have been selected.";
inline constexpr const char* kConfirmDeleteSelected = "Are you sure you want|to delete all selected recipes?";

// The checked entries of the recipe list, in list order.
std::vector<uint32_t> CheckedRecipes(const Collection& collection);

// The current recipe and the checked recipes by record ID, kept while the
// index is saved and reloaded.
struct RecipeChecks {
  int64_t currentId = 0;
  std::vector<int64_t> checkedIds;
};
RecipeChecks RememberRecipeChecks(const Collection& collection);
// Checks the recipes of the (rebuilt) recipe list that were checked and
// makes the remembered current recipe current again when it is listed.
void RestoreRecipeChecks(Collection& collection, const RecipeChecks& checks);

// The pop-up list of the user chapters' names in chapter-list order, opened
// at (x, y); the chosen chapter's key, or 0 when dismissed.
int64_t ChooseUserChapter(Collection& collection, int x, int y);

// "Copy recipes to another chapter" / "Move recipes to another chapter":
// with nothing checked the message kNoRecipesSelected; otherwise the
// chapter chooser at (x, y) and TransferCheckedRecipes.
void CopyOrMoveCommand(Collection& collection, bool move, int x, int y);

// Copies (a new record with a fresh record ID in `chapterKey`) or moves
// (the record's chapter key rewritten in place, its record ID and file
// offset kept) every checked recipe; then the index is sorted, saved and
// reloaded, the checks are put back and the list keeps its scroll. After a
// move the first moved recipe's old position becomes current. A write that
// fails is reported and leaves the collection as it was; false then.
bool TransferCheckedRecipes(Collection& collection, bool move, int64_t chapterKey);

// "Delete selected recipes" and the index screen's "Delete": the question
// kConfirmDeleteSelected, then DeleteCheckedRecipes. False when nothing was
// deleted.
bool DeleteSelectedCommand(Collection& collection);
// Marks every checked recipe deleted (index and file), saves the index, and
// makes the recipe at the first deleted one's position current and the only
// checked one; the list keeps its scroll.
bool DeleteCheckedRecipes(Collection& collection);

}  // namespace pantrela
