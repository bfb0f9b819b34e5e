// The character line breaker: a text broken into lines of at most `width`
// characters, at the last space of a line where there is one. Every export
// writer lays its ingredients and directions out with it, and a multi-line
// text area running in character mode uses the same line starts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pantrela {

// Most line breaks a wrapped text gets; the rest of a longer text is dropped.
inline constexpr int kWrapLineBreakLimit = 990;

// Start offsets of the lines of `text`, followed by one entry for the end of
// the last line. A CR ends a line (the next one starts after it). When a line
// reaches `width` counted characters it breaks after its last space, and the
// scan resumes there; without a space the byte that reached the width starts
// the next line (uncounted), so a first line without spaces holds width - 1
// characters and a forced continuation holds width. After `maxBreaks` breaks
// the scan stops and the last line ends where it stopped.
std::vector<uint32_t> WrapLineStarts(std::string_view text, int width, int maxBreaks = kWrapLineBreakLimit);

// The same rule with a measure of its own: each byte adds widths[byte] and
// a line breaks when the measure reaches `limit`. After a break the measure
// restarts at the width of the byte the scan stands on (the space a line
// broke after, or the byte that opens the next line). A text area in pixel
// mode lays its lines out with this; the character breaker above is the
// case "every byte counts 1, a break restarts at 0".
struct WrapMeasure {
  const int* widths = nullptr;  // 256 entries
  int limit = 0;
};
std::vector<uint32_t> WrapLineStarts(std::string_view text, const WrapMeasure& measure, int maxBreaks);

// The wrapped lines themselves: each without its final CR and without
// trailing spaces. An empty text gives one empty line.
std::vector<std::string> WrapTextLines(std::string_view text, int width);

}  // namespace pantrela
