// XML recipe files: RecipeML, Living Cookbook FDX and Mac Gourmet property
// lists. None builds a document tree; each acts on the tags as they come.
#pragma once

#include <cstdint>
#include <string>

namespace pantrela {

class RecipeBuilder;

// The reader of import format 22 (see FormatReader).
void ImportRecipeMl(RecipeBuilder& builder, const std::string& file, const std::string& label, int64_t& chapter,
                    int64_t& recordId, bool& cancel);
// The reader of import format 15.
void ImportLivingCookbook(RecipeBuilder& builder, const std::string& file, const std::string& label,
                          int64_t& chapter, int64_t& recordId, bool& cancel);
// The reader of import format 16, for both key styles (lower-case keys as
// "name", "ingredients"; upper-case keys as "NAME", "INGREDIENTS_TREE").
void ImportMacGourmet(RecipeBuilder& builder, const std::string& file, const std::string& label,
                      int64_t& chapter, int64_t& recordId, bool& cancel);

}  // namespace pantrela
