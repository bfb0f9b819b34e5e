// Pieces every list shares: the scroll thumb's place on its track, and the
// keys that move a list's selection (arrows, paging, Home/End, a first
// letter). Positions and sizes are in any one unit: rows for the dialogs'
// lists, pixels for the index screen's lists.
#pragma once

#include <functional>
#include <optional>

namespace pantrela::widgets {

// The thumb of a scroll bar: its top and height on a track, for content of
// `total` units of which `visible` are shown from `position` on.
struct ScrollThumb {
  static constexpr int kMinHeight = 16;

  int trackTop = 0, trackHeight = 0;
  int top = 0, height = 0;
  int range = 0;  // the largest position (0 when everything is visible)

  static ScrollThumb Place(int trackTop, int trackHeight, int total, int visible, int position);
  // True when there is something to scroll (the thumb is drawn).
  bool Scrolls() const { return range > 0; }
  bool Contains(int y) const { return y >= top && y < top + height; }
  // Where a press at y grabs the thumb: its distance from the thumb's top,
  // or half the thumb when the press is beside it (the thumb jumps there).
  int GrabAt(int y) const { return Contains(y) ? y - top : height / 2; }
  // The position that puts the thumb's top at `y - grab`.
  int PositionFor(int y, int grab) const;
};

// The selection a navigation key leads to in a list of `count` rows whose
// selection is `selected` (-1 for none): Up and Down one row, Page Up and
// Page Down `page` rows, Home and End the ends. Nothing for another key
// or an empty list.
std::optional<int> NavigationTarget(int virtualKey, int selected, int count, int page);

// A Windows-1252 letter in upper case (a-z and the accented letters from
// 0xE0, 0xF7 excepted); any other byte as it is. Accelerators and
// type-ahead compare letters through it.
int UpperLetter(int c);

// The first row whose text starts with the letter typed (A to Z and the
// accented letters, either case), or nothing.
std::optional<int> TypeAheadTarget(int charKey, int count, const std::function<int(int row)>& firstChar);

// The offset that shows the item from `start` to `end` in a view of `size`
// scrolled to `offset`, moving as little as possible.
int ScrollToShow(int offset, int start, int end, int size);

}  // namespace pantrela::widgets
