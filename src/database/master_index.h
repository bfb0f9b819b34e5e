// The master index "Index860.dat": one variable-length entry per record plus
// the four reserved chapters, held in memory as the exact file image. This
// header has the entry layout, the index order and the raw record reader.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/bytes.h"

namespace pantrela {

class File;
class StatusLog;

// Entry layout (the file is these entries one after the other, no header;
// integers little-endian):
//
//   Offset  Size  Meaning
//   ------  ----  ---------------------------------------------------------
//      0      1   entry length: 29 + title length (at most 249)
//      1      1   flags: bit 0 hit of the last search, bit 1 has a photo,
//                 bit 2 checked in its list
//      2      1   kind, as the record's: 0 recipe, 1 information text,
//                 2 chapter, 3 deleted
//      3      1   reserved, 0
//      4      8   record ID (0 for user chapters)
//     12      8   chapter key (1-4 for the reserved chapters)
//     20      8   offset of the record in the recipe file (0 for the
//                 reserved chapters)
//     28    n+1   title (at most 220 bytes) and one zero byte
inline constexpr size_t kEntLength = 0;
inline constexpr size_t kEntFlags = 1;
inline constexpr size_t kEntKind = 2;
inline constexpr size_t kEntReserved = 3;
inline constexpr size_t kEntRecordId = 4;
inline constexpr size_t kEntChapterKey = 12;
inline constexpr size_t kEntFileOffset = 20;
inline constexpr size_t kEntTitle = 28;
inline constexpr size_t kEntryFixed = 29;  // entry length = 29 + title length
static_assert(kEntFlags == kEntLength + 1 && kEntKind == kEntFlags + 1 && kEntReserved == kEntKind + 1 &&
              kEntRecordId == kEntReserved + 1 && kEntChapterKey == kEntRecordId + 8 &&
              kEntFileOffset == kEntChapterKey + 8 && kEntTitle == kEntFileOffset + 8 && kEntryFixed == kEntTitle + 1);
static_assert(kEntryFixed + 220 <= 255, "the longest title still fits the length byte");

// Flag bits.
inline constexpr uint8_t kFlagHit = 1;
inline constexpr uint8_t kFlagPhoto = 2;
inline constexpr uint8_t kFlagChecked = 4;

// Reserved chapters.
inline constexpr int64_t kChapterAll = 1;
inline constexpr int64_t kChapterSearch = 2;
inline constexpr int64_t kChapterMeals = 3;
inline constexpr int64_t kChapterPhotos = 4;
inline constexpr int64_t kReservedKeyMax = 100;
inline constexpr const char* kReservedChapterNames[4] = {"All Recipes", "Search Results",
                                                         "Recipes Selected For Meals", "Recipes With Photos"};
inline constexpr const char* kNoAssignedChapter = "* No Assigned Chapter";

// Appends one entry to an index image held as bytes.
void AppendIndexEntry(std::string& image, uint8_t flags, uint8_t kind, int64_t recordId, int64_t chapterKey,
                      int64_t fileOffset, std::string_view title);

// Read-only view of one entry in an image.
struct EntryView {
  const ByteImage* image;
  size_t off;
  uint8_t length() const { return image->Get8(off + kEntLength); }
  uint8_t flags() const { return image->Get8(off + kEntFlags); }
  uint8_t kind() const { return image->Get8(off + kEntKind); }
  int64_t recordId() const { return image->Get64(off + kEntRecordId); }
  int64_t chapterKey() const { return image->Get64(off + kEntChapterKey); }
  int64_t fileOffset() const { return image->Get64(off + kEntFileOffset); }
  std::string_view title() const {
    size_t len = length();
    if (len < kEntryFixed || !image->InRange(off, len)) return {};
    return std::string_view(reinterpret_cast<const char*>(image->data()) + off + kEntTitle, len - kEntryFixed);
  }
};

// True when the image is a clean sequence of entries: every length byte at
// least 29 and the last entry ends exactly at the end of the image.
bool IndexImageIsWalkable(const ByteImage& image);

// Offsets of all entries in memory order (the image must be walkable).
std::vector<uint32_t> IndexEntryOffsets(const ByteImage& image);

// Index order: the sort key is the chapter key as 8 upper-case hex digits
// when it is 100 or less, else "FFFFFFFF", followed by the title; keys are
// compared bytewise with a-z folded to A-Z, a shorter text before a longer
// one that begins with it.
std::string SortKeyOf(const EntryView& e);
// Compares two byte texts with a-z folded to A-Z.
int CompareFolded(std::string_view a, std::string_view b);

// The image rearranged into ascending sort-key order (equal keys keep their
// order).
std::string SortedIndexImage(const ByteImage& image);

// Result of LoadRawRecord.
enum RawRecordResult { kRawLoaded = 0, kRawEndOfFile = 1, kRawNotRecord = 2, kRawDeleted = 3 };

// Reads the record at `offset` of an open recipe file of size `fileSize`
// into `buffer` (the whole record on kRawLoaded, the header otherwise),
// logging the end-of-file and too-small cases.
RawRecordResult LoadRawRecord(File& file, uint64_t fileSize, uint64_t offset, std::string& buffer,
                              const StatusLog& log);

// Reads byte ranges of a file through a window, for sequential scans.
class FileWindow {
 public:
  explicit FileWindow(int fd, uint64_t fileSize, size_t windowSize = 1 << 20);
  uint64_t size() const { return size_; }
  // Pointer to `count` bytes at `offset`, or null when they are not all in the
  // file. Valid until the next call. Requests larger than the window grow it.
  const uint8_t* Get(uint64_t offset, size_t count);
  // Position of the next "QXRS" magic at or after `from`, or the file size.
  uint64_t FindMagic(uint64_t from);

 private:
  int fd_;
  uint64_t size_;
  size_t windowSize_;
  std::vector<uint8_t> buf_;
  uint64_t start_ = 0;
  size_t have_ = 0;
};

}  // namespace pantrela
