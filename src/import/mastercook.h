// Mastercook files: the plain-text export (MC2, TXT) and the XML form
// (MX2; an MZ2 archive is unpacked to its MX2 before it gets here).
#pragma once

#include <cstdint>
#include <string>

namespace pantrela {

class RecipeBuilder;

// The reader of import format 17 (see FormatReader).
void ImportMastercookText(RecipeBuilder& builder, const std::string& file, const std::string& label,
                          int64_t& chapter, int64_t& recordId, bool& cancel);
// The reader of import format 18.
void ImportMastercookXml(RecipeBuilder& builder, const std::string& file, const std::string& label,
                         int64_t& chapter, int64_t& recordId, bool& cancel);

}  // namespace pantrela
