#include "foundation/wrap_text.h"

namespace pantrela {

namespace {

// The one line-breaking walk. `width(b)` is what byte b adds to the
// measure, `restart(b)` the measure a new line begins with after a break
// while the scan stands on b.
template <class Width, class Restart>
std::vector<uint32_t> Walk(std::string_view text, int limit, int maxBreaks, Width width, Restart restart) {
  std::vector<uint32_t> starts{0};
  const size_t n = text.size();
  int count = 0;
  size_t space = std::string_view::npos;
  int breaks = 0;
  size_t stop = n;
  for (size_t i = 0; i < n; ++i) {
    const char b = text[i];
    if (b == ' ') space = i;
    count += width(static_cast<unsigned char>(b));
    size_t next;
    bool restartHere = false;
    if (b == '\r') {
      next = i + 1;
    } else if (count >= limit) {
      restartHere = true;
      if (space != std::string_view::npos) {
        next = space + 1;
        i = space;  // the scan resumes after the space
      } else {
        next = i;   // this byte opens the next line
      }
    } else {
      continue;
    }
    starts.push_back(uint32_t(next));
    count = restartHere ? restart(static_cast<unsigned char>(text[i])) : 0;
    space = std::string_view::npos;
    if (++breaks >= maxBreaks) {
      stop = i + 1;
      break;
    }
  }
  starts.push_back(uint32_t(stop < starts.back() ? starts.back() : stop));
  return starts;
}

}  // namespace

std::vector<uint32_t> WrapLineStarts(std::string_view text, int width, int maxBreaks) {
  return Walk(text, width, maxBreaks, [](unsigned char) { return 1; }, [](unsigned char) { return 0; });
}

std::vector<uint32_t> WrapLineStarts(std::string_view text, const WrapMeasure& m, int maxBreaks) {
  const int* w = m.widths;
  return Walk(text, m.limit, maxBreaks, [w](unsigned char b) { return w[b]; }, [w](unsigned char b) { return w[b]; });
}

std::vector<std::string> WrapTextLines(std::string_view text, int width) {
  const std::vector<uint32_t> starts = WrapLineStarts(text, width);
  std::vector<std::string> lines;
  lines.reserve(starts.size() - 1);
  for (size_t k = 0; k + 1 < starts.size(); ++k) {
    std::string_view line = text.substr(starts[k], starts[k + 1] - starts[k]);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
    lines.emplace_back(line);
  }
  return lines;
}

}  // namespace pantrela
