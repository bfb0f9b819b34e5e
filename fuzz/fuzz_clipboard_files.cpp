// fuzz-deps: pantrela_platform
// The file lists other programs put on the clipboard ("text/uri-list",
// "x-special/gnome-copied-files") and the line ends of clipboard text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/clipboard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (const std::string& path : pantrela::platform::FilesFromUriList(text, "host"))
    if (path.empty() || path[0] != '/' || path.find('\0') != std::string::npos) __builtin_trap();
  const std::string crlf = pantrela::platform::ClipboardLineEnds(text);
  // Every LF ends up after a CR, and doing it again changes nothing.
  for (size_t i = 0; i < crlf.size(); ++i)
    if (crlf[i] == '\n' && (i == 0 || crlf[i - 1] != '\r')) __builtin_trap();
  if (pantrela::platform::ClipboardLineEnds(crlf) != crlf) __builtin_trap();
  return 0;
}
