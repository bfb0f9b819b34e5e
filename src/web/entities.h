// Character references and UTF-8 sequences in downloaded pages and XML
// files, decoded into the program's single-byte (Windows-1252) text.
#pragma once

#include <string>
#include <string_view>

namespace pantrela {

// The replacement text of one key of the entity table ("&#189;", "&frac12;",
// "C2BD"), or "" when the key has no row. Matching is exact and
// case-sensitive.
std::string LookupEntity(std::string_view key);

// Number of rows of the entity table (each row: the keys of one character).
int EntityRowCount();

// Decodes references ("&name;", "&#123;", "&#x7B;") and the UTF-8 sequences
// that lead with bytes 194, 195 and 226, turns tab and line feed into
// spaces, drops other control bytes and finally cleans the line as every
// imported line is cleaned. Unknown references stay as written.
void DecodeEntities(std::string& text);

// Clipboard text arrives as UTF-16. Each unit is mapped to the program's
// text (typographic quotes and dashes to plain ones, vulgar fractions to
// "-1/2" and the like, trade and copyright marks removed) and the result is
// made single-byte; units without a Windows-1252 byte become "?". The text
// ends at the first NUL unit.
std::string MapClipboardUnicode(std::u16string_view units);
// The same for clipboard text handed over as UTF-8 (the platform's form).
std::string MapClipboardUtf8(std::string_view utf8);

// UTF-8 to UTF-16 units; malformed bytes become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);

}  // namespace pantrela
