// Lists carried in one string ("OK|Cancel", "qx,txt,xml"): split at a
// separator character.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pantrela {

// The pieces between the separators; an empty text gives one empty piece,
// and two separators side by side an empty piece between them.
std::vector<std::string> SplitList(std::string_view text, char separator);

}  // namespace pantrela
