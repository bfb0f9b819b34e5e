// The recipe record: a 36-byte header ("QXRS"), typed length-prefixed fields
// and an end mark, and the current record the program works on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/bytes.h"

namespace pantrela {

class File;

inline constexpr size_t kRecordHeaderSize = 36;
inline constexpr size_t kMinRecordSize = 42;       // header + end mark
inline constexpr size_t kTitleWriteMax = 220;
inline constexpr size_t kTitleReadMax = 256;
inline constexpr size_t kLongTextMax = 65000;

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

// Builds the bytes of a record from the current record: header copied, the
// magic and write stamp set, fields 1, 2, 3, 5 when not empty (title cut to
// 220, long texts to 65000), the end mark, and the record length.
std::string BuildRecordBytes(const CurrentRecord& rec, int64_t writeStamp);

// Fills `rec` from the bytes that follow a record's header (the fields).
// Titles are cut to 256 bytes, long texts to 65000; unknown fields are
// skipped by their length; a field running past the end is cut there.
void ParseRecordFields(std::string_view fields, CurrentRecord& rec);

// Sets the kind byte of the record at `offset` to 3 (deleted) in place; the
// file was opened with mode 'u' by the caller.
void MarkRecordDeleted(File& file, uint64_t offset);

}  // namespace pantrela
