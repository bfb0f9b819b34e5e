// Putting text on the desktop clipboard.
#pragma once

#include <string_view>

namespace pantrela::platform {

// Puts Windows-1252 text on the clipboard as plain UTF-8 text (a NUL byte,
// which the clipboard cannot carry, is left out). False when there is no
// clipboard to put it on (no window system in this process).
bool PutClipboardText(std::string_view ansi);

}  // namespace pantrela::platform
