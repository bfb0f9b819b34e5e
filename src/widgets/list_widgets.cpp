#include "widgets/list_widgets.h"

#include <algorithm>
#include <cstdint>

#include "platform/window.h"

namespace pantrela::widgets {

ScrollThumb ScrollThumb::Place(int trackTop, int trackHeight, int total, int visible, int position) {
  ScrollThumb t;
  t.trackTop = trackTop;
  t.trackHeight = std::max(0, trackHeight);
  t.range = std::max(0, total - visible);
  const int share = int(int64_t(t.trackHeight) * visible / std::max(1, total));
  t.height = std::min(t.trackHeight, std::max(kMinHeight, share));
  const int travel = t.trackHeight - t.height;
  t.top = trackTop + int(int64_t(travel) * std::clamp(position, 0, t.range) / std::max(1, t.range));
  return t;
}

int ScrollThumb::PositionFor(int y, int grab) const {
  const int travel = std::max(1, trackHeight - height);
  const int along = std::clamp(y - grab - trackTop, 0, travel);
  return int(int64_t(along) * range / travel);
}

std::optional<int> NavigationTarget(int virtualKey, int selected, int count, int page) {
  if (count <= 0) return std::nullopt;
  const int from = std::max(0, selected);
  int to;
  switch (virtualKey) {
    case platform::kVkUp: to = selected - 1; break;
    case platform::kVkDown: to = selected + 1; break;
    case platform::kVkPrior: to = from - page; break;
    case platform::kVkNext: to = from + page; break;
    case platform::kVkHome: to = 0; break;
    case platform::kVkEnd: to = count - 1; break;
    default: return std::nullopt;
  }
  return std::clamp(to, 0, count - 1);
}

int UpperLetter(int c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  return c;
}

std::optional<int> TypeAheadTarget(int charKey, int count, const std::function<int(int row)>& firstChar) {
  const int key = UpperLetter(charKey);
  const bool letter = (key >= 'A' && key <= 'Z') || (key >= 0xC0 && key <= 0xDE && key != 0xD7);
  if (!letter) return std::nullopt;
  for (int row = 0; row < count; ++row)
    if (UpperLetter(firstChar(row)) == key) return row;
  return std::nullopt;
}

int ScrollToShow(int offset, int start, int end, int size) {
  if (start < offset) return start;
  if (end > offset + size) return end - size;
  return offset;
}

}  // namespace pantrela::widgets
