// The journal "Recipe860.jnl": what an unfinished change of the recipe file
// needs to be taken back after a crash or a kill.
//
// A change that appends records or marks records deleted opens the journal
// with the recipe file's length before the change; each record about to be
// marked deleted adds its offset and old kind first. Saving the index that
// lists the change closes the journal again. A journal found at the next
// start is an unfinished change: the recipe file is cut back to the length
// and the marks are undone, unless the saved index already lists a record
// beyond that length (the change was saved and only the closing was missed).
//
// A clean-up opens a journal of its own kind before it puts the compacted
// file in place; found at the next start it means that the index may not
// match the recipe file, which is then indexed afresh.
//
// Layout (little-endian):
//
//   Offset  Size  Meaning
//   ------  ----  -----------------------------------------------------
//      0      4   magic "QXJN"
//      4      1   kind: 'A' appends and marks, 'C' clean-up
//      5      3   reserved, 0
//      8      8   recipe file length before the change
//     16    9 n   marks: 8 record offset, 1 kind byte before the mark
//
// A torn last mark is ignored: its record was not marked yet.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pantrela {

inline constexpr size_t kJnlMagic = 0;
inline constexpr size_t kJnlKind = 4;
inline constexpr size_t kJnlLength = 8;
inline constexpr size_t kJnlMarks = 16;
inline constexpr size_t kJnlMarkSize = 9;
static_assert(kJnlLength == kJnlKind + 4 && kJnlMarks == kJnlLength + 8);

inline constexpr char kJournalAppend = 'A';
inline constexpr char kJournalCleanUp = 'C';

struct JournalMark {
  uint64_t offset;
  uint8_t oldKind;
};

struct Journal {
  char kind = 0;
  uint64_t recipeLength = 0;
  std::vector<JournalMark> marks;
};

// Writes a fresh journal (synced); false with errno set when it failed.
[[nodiscard]] bool StartJournal(const std::string& path, char kind, uint64_t recipeLength);
// Appends marks (synced); false with errno set when it failed.
[[nodiscard]] bool AddJournalMarks(const std::string& path, const std::vector<JournalMark>& marks);
// Reads a journal; false when there is none or it is not one.
bool ReadJournal(const std::string& path, Journal& out);

}  // namespace pantrela
