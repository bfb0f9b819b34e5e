// Windows-1252 texts at the edge of the program: the terminal, the
// clipboard and drawing work in UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace pantrela {

// Every byte becomes its Windows-1252 character; the five unassigned bytes
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of the same
// number, as the system's conversion does.
std::string Cp1252ToUtf8(std::string_view bytes);

// UTF-8 back to Windows-1252; characters the code page lacks and broken
// sequences become '?'.
std::string Utf8ToCp1252(std::string_view utf8);

// True when the bytes are well-formed UTF-8 with at least one character
// beyond ASCII.
bool LooksUtf8(std::string_view bytes);

// A file or folder name as the file system holds it, as the Windows-1252
// text that messages and lists show. Names are UTF-8 on Linux; a name that
// is not (an older single-byte name) is shown byte for byte. Only for
// showing: files are opened by their real bytes.
std::string FileNameForDisplay(std::string_view name);

}  // namespace pantrela
