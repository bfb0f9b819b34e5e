#include "foundation/text_list.h"

namespace pantrela {

std::vector<std::string> SplitList(std::string_view text, char separator) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    const size_t at = text.find(separator, start);
    out.emplace_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
    if (at == std::string_view::npos) return out;
    start = at + 1;
  }
}

}  // namespace pantrela
