// Saving the current record after an edit, as a new record, and deleting
// one recipe: the steps the recipe editor, the recipe view and pantrela-cli
// share.
#pragma once

#include <cstdint>
#include <string>

#include "database/collection.h"

namespace pantrela {

inline constexpr const char* kSaveFailed = "The recipe could not be saved.";
inline constexpr const char* kConfirmDeleteRecipe = "Are you sure you want to delete the current recipe?";

// Appends the current record as a new version of the entry `oldEntry` (its
// record ID kept) or, with kNoEntry, as a new record with a fresh record ID.
// The new entry gets the search-hit flag when `searchHit`; the old version is
// marked deleted only once the new one is written. The index is sorted,
// saved and reloaded with the chapter checks kept; when the record went to
// another user chapter that chapter becomes current (and the only checked
// one). The recipe list is rebuilt with the saved record current.
// A record that cannot be written leaves everything as it was, shows
// kSaveFailed and answers false.
bool SaveCurrentRecord(Collection& collection, uint32_t oldEntry, bool searchHit);

// Position of the entry with this record ID in the recipe list, or -1.
int FindInRecipeList(const Collection& collection, int64_t recordId);

// Marks the recipe at `position` of the recipe list deleted (index and
// file), saves the index and rebuilds the list; the list keeps the same
// position (the next recipe moves up into it). False for a bad position.
bool DeleteRecipeAt(Collection& collection, int position);

inline constexpr const char* kNoPhotoAttached = "There is no photo attached to this recipe";

// True when the record has a photo to save or copy (32 bytes or more).
bool HasPhoto(const CurrentRecord& record);
// The file name "Save Photo" writes: an empty name becomes "Pantrela Photo",
// and any extension gives way to the photo's own type in lower case ("jpg",
// "png" or "bmp"; a photo of no known type keeps the name as it is).
std::string PhotoFileName(const std::string& name, const std::string& photo);

}  // namespace pantrela
