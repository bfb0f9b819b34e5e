// Meal-Master text files (MM, MMF, TXT): any number of recipes, each a
// header block, an ingredient block in one or two columns with section
// headers, free direction text and an end marker.
#pragma once

#include <cstdint>
#include <string>

namespace pantrela {

class RecipeBuilder;

// The reader of import format 19 (see FormatReader).
void ImportMealMaster(RecipeBuilder& builder, const std::string& file, const std::string& label, int64_t& chapter,
                      int64_t& recordId, bool& cancel);

}  // namespace pantrela
