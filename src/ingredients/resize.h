// Servings resize: scales every ingredient amount of a recipe from the
// servings it was written for to the servings wanted.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/dialogs.h"
#include "foundation/settings.h"

namespace pantrela {

// Asks for the original and desired servings (the original field starts with
// `servings`), stores the desired value in `servings` and rescales
// `ingredients`. Returns 1 when resized, 0 when the user cancelled. The
// caller resets the ingredient editor's caret, selection and scroll and
// saves the record.
int ResizeRecipe(uint8_t& servings, std::string& ingredients, const Settings& settings, Dialogs& dialogs);

// Rewrites CR-separated ingredient text with every quantity multiplied by
// ratio; "== NAME ==" lines become "Name:" headings and "(name):" lines
// "name:". Every line of the result ends with CR; an empty text stays empty.
void ResizeIngredientText(std::string& text, double ratio, int ingredientFormat);

}  // namespace pantrela
