// fuzz-deps: pantrela_ui
// The hand-over text a second copy or a drop leaves in "command.dat": split
// into file names, and a list of names written back and split again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/screens.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> names = pantrela::ui::HandOverFileNames(text);
  (void)pantrela::ui::UpperAscii(text);
  // Names without quotes survive the round trip unchanged.
  std::vector<std::string> clean;
  for (const auto& n : names)
    if (n.find('"') == std::string::npos && n.find('\0') == std::string::npos && n.front() != ' ' &&
        n.back() != ' ')
      clean.push_back(n);
  if (clean.size() > 1 || (clean.size() == 1 && clean[0].find(' ') != std::string::npos)) {
    std::vector<std::string> again = pantrela::ui::HandOverFileNames(pantrela::ui::HandOverText(clean));
    if (again != clean) __builtin_trap();
  }
  return 0;
}
