// The recipe record: a 36-byte header ("QXRS"), typed length-prefixed fields
// and an end mark, and the current record the program works on.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/bytes.h"

namespace pantrela {

class File;

// Record layout (all integers little-endian):
//
//   Offset  Size  Meaning
//   ------  ----  ---------------------------------------------------------
//      0      4   record length: every byte of the record, end mark included
//      4      4   magic "QXRS"
//      8      8   write stamp: a record ID made when this version was written
//     16      8   record ID of the recipe (kept by every version; 0 for chapters)
//     24      8   chapter key (a chapter record's own key)
//     32      1   kind: 0 recipe, 1 information text, 2 chapter, 3 deleted
//     33      1   reserved, 0
//     34      1   servings, 0-255 (0 = not given)
//     35      1   reserved, 0
//     36      *   fields, then the end mark
//
// Field layout:
//
//   Offset  Size  Meaning
//   ------  ----  ---------------------------------------------------------
//      0      2   field type (table below)
//      2      4   data length L
//      6      L   data
//
//   Type   Field        Data
//   -----  -----------  ------------------------------------------------------
//      1   title        text, at most 220 bytes written (256 accepted on reading)
//      2   ingredients  text, at most 65000 bytes, lines ended by CR
//      3   directions   text, at most 65000 bytes
//      5   photo        the bytes of an image file
//  65535   end mark     length 0
//
// Fields are written in the order 1, 2, 3, 5, each only when not empty;
// readers skip unknown types by their length.

// Header offsets.
inline constexpr size_t kHdrLength = 0;
inline constexpr size_t kHdrMagic = 4;
inline constexpr size_t kHdrWriteStamp = 8;
inline constexpr size_t kHdrRecordId = 16;
inline constexpr size_t kHdrChapterKey = 24;
inline constexpr size_t kHdrKind = 32;
inline constexpr size_t kHdrReserved1 = 33;
inline constexpr size_t kHdrServings = 34;
inline constexpr size_t kHdrReserved2 = 35;
inline constexpr size_t kRecordHeaderSize = 36;

// Field header offsets.
inline constexpr size_t kFldType = 0;
inline constexpr size_t kFldLength = 2;
inline constexpr size_t kFldData = 6;
inline constexpr size_t kFieldHeaderSize = 6;

inline constexpr size_t kMinRecordSize = kRecordHeaderSize + kFieldHeaderSize;  // header + end mark
inline constexpr size_t kTitleWriteMax = 220;
inline constexpr size_t kTitleReadMax = 256;
inline constexpr size_t kLongTextMax = 65000;

static_assert(kHdrMagic == kHdrLength + 4 && kHdrWriteStamp == kHdrMagic + 4 && kHdrRecordId == kHdrWriteStamp + 8 &&
              kHdrChapterKey == kHdrRecordId + 8 && kHdrKind == kHdrChapterKey + 8 && kHdrReserved1 == kHdrKind + 1 &&
              kHdrServings == kHdrReserved1 + 1 && kHdrReserved2 == kHdrServings + 1 &&
              kRecordHeaderSize == kHdrReserved2 + 1);
static_assert(kFldLength == kFldType + 2 && kFldData == kFldLength + 4 && kFieldHeaderSize == kFldData);
static_assert(kMinRecordSize == 42);

// Field types.
inline constexpr uint16_t kFieldTitle = 1;
inline constexpr uint16_t kFieldIngredients = 2;
inline constexpr uint16_t kFieldDirections = 3;
inline constexpr uint16_t kFieldPhoto = 5;
inline constexpr uint16_t kFieldEnd = 65535;

// Record kinds.
enum RecordKind : uint8_t { kKindRecipe = 0, kKindInfo = 1, kKindChapter = 2, kKindDeleted = 3 };

inline bool HasRecordMagic(const uint8_t* header) {
  return header[4] == 'Q' && header[5] == 'X' && header[6] == 'R' && header[7] == 'S';
}

// The current record: header and the four field texts.
struct CurrentRecord {
  ByteImage header{kRecordHeaderSize};
  std::string title;        // up to 256 bytes as read, 220 as written
  std::string ingredients;  // up to 65000
  std::string directions;   // up to 65000
  std::string photo;        // complete image file bytes; empty = no photo

  void Clear();

  int64_t writeStamp() const { return header.Get64(kHdrWriteStamp); }
  int64_t recordId() const { return header.Get64(kHdrRecordId); }
  int64_t chapterKey() const { return header.Get64(kHdrChapterKey); }
  uint8_t kind() const { return header.Get8(kHdrKind); }
  uint8_t servings() const { return header.Get8(kHdrServings); }
  void setRecordId(int64_t v) { header.Set64(kHdrRecordId, v); }
  void setChapterKey(int64_t v) { header.Set64(kHdrChapterKey, v); }
  void setKind(uint8_t v) { header.Set8(kHdrKind, v); }
  void setServings(uint8_t v) { header.Set8(kHdrServings, v); }
};

// Bytes in memory, for RecordFieldCursor: a record's body (the bytes after
// its header) or a whole file image.
struct MemoryBytes {
  std::string_view bytes;
  const uint8_t* Get(uint64_t offset, size_t count) const {
    if (offset > bytes.size() || count > bytes.size() - offset) return nullptr;
    return reinterpret_cast<const uint8_t*>(bytes.data()) + offset;
  }
};

// Walks the fields between two offsets of a byte source (anything with
// `const uint8_t* Get(uint64_t offset, size_t count)`, null when the bytes
// are not there), once for every reader: each Next() gives one field's
// type and stated length; data() reads its data on demand, cut where the
// record ends, so a field nobody asks for (a photo) is never read. The walk
// ends at the end of the record, at a field header that does not fit,
// after a field that runs past the end, and - when stopAtEnd is set - at
// the end mark.
template <class Source>
class RecordFieldCursor {
 public:
  RecordFieldCursor(Source& source, uint64_t begin, uint64_t end, bool stopAtEnd = true)
      : source_(source), next_(begin), end_(end), stopAtEnd_(stopAtEnd) {}

  bool Next() {
    if (done_ || next_ > end_ || end_ - next_ < kFieldHeaderSize) return Stop();
    const uint8_t* h = source_.Get(next_, kFieldHeaderSize);
    if (!h) return Stop();
    type_ = GetLE16(h + kFldType);
    length_ = GetLE32(h + kFldLength);
    if (stopAtEnd_ && type_ == kFieldEnd) return Stop();
    dataAt_ = next_ + kFldData;
    avail_ = size_t(std::min<uint64_t>(length_, end_ - dataAt_));
    if (avail_ < length_) done_ = true;  // the field runs past the end: nothing follows
    else next_ = dataAt_ + avail_;
    return true;
  }
  uint16_t type() const { return type_; }
  uint64_t length() const { return length_; }
  // The data within the record; shorter than length() for a cut field,
  // empty when the source cannot give it. Valid until the source is read
  // again.
  std::string_view data() {
    const uint8_t* p = avail_ ? source_.Get(dataAt_, avail_) : nullptr;
    return p ? std::string_view(reinterpret_cast<const char*>(p), avail_) : std::string_view();
  }

 private:
  bool Stop() {
    done_ = true;
    return false;
  }

  Source& source_;
  uint64_t next_;
  uint64_t end_;
  bool stopAtEnd_;
  bool done_ = false;
  uint16_t type_ = 0;
  uint64_t length_ = 0;
  uint64_t dataAt_ = 0;
  size_t avail_ = 0;
};

// Builds the bytes of a record from the current record: header copied, the
// magic and write stamp set, fields 1, 2, 3, 5 when not empty (title cut to
// 220, long texts to 65000), the end mark, and the record length.
std::string BuildRecordBytes(const CurrentRecord& rec, int64_t writeStamp);

// Fills `rec` from the bytes that follow a record's header (the fields).
// Titles are cut to 256 bytes, long texts to 65000; unknown fields are
// skipped by their length; a field running past the end is cut there. With
// `problems` set, each of those repairs, and text fields holding bytes that
// are not Windows-1252 text (undefined or control bytes), is described.
void ParseRecordFields(std::string_view fields, CurrentRecord& rec, std::vector<std::string>* problems = nullptr);

// Sets the kind byte of the record at `offset` to 3 (deleted) in place; the
// file was opened for update by the caller. Bytes that are not a record are
// left alone. False when the write failed.
[[nodiscard]] bool MarkRecordDeleted(File& file, uint64_t offset);

}  // namespace pantrela
