#include "database/record.h"

#include <algorithm>

#include "foundation/file.h"

namespace pantrela {

void CurrentRecord::Clear() {
  header = ByteImage(kRecordHeaderSize);
  title.clear();
  ingredients.clear();
  directions.clear();
  std::string().swap(photo);
}

namespace {

void AppendField(std::string& out, uint16_t type, std::string_view data) {
  AppendLE16(out, type);
  AppendLE32(out, uint32_t(data.size()));
  out.append(data);
}

}  // namespace

std::string BuildRecordBytes(const CurrentRecord& rec, int64_t writeStamp) {
  std::string_view title(rec.title);
  std::string_view ingredients(rec.ingredients);
  std::string_view directions(rec.directions);
  title = title.substr(0, kTitleWriteMax);
  ingredients = ingredients.substr(0, kLongTextMax);
  directions = directions.substr(0, kLongTextMax);

  std::string out(reinterpret_cast<const char*>(rec.header.data()), kRecordHeaderSize);
  out.reserve(kRecordHeaderSize + 30 + title.size() + ingredients.size() + directions.size() + rec.photo.size());
  out[4] = 'Q';
  out[5] = 'X';
  out[6] = 'R';
  out[7] = 'S';
  PutLE64(reinterpret_cast<uint8_t*>(&out[kHdrWriteStamp]), uint64_t(writeStamp));
  if (!title.empty()) AppendField(out, kFieldTitle, title);
  if (!ingredients.empty()) AppendField(out, kFieldIngredients, ingredients);
  if (!directions.empty()) AppendField(out, kFieldDirections, directions);
  if (!rec.photo.empty()) AppendField(out, kFieldPhoto, rec.photo);
  AppendField(out, kFieldEnd, {});
  PutLE32(reinterpret_cast<uint8_t*>(&out[kHdrLength]), uint32_t(out.size()));
  return out;
}

void ParseRecordFields(std::string_view fields, CurrentRecord& rec) {
  size_t pos = 0;
  const size_t n = fields.size();
  const auto* p = reinterpret_cast<const uint8_t*>(fields.data());
  while (pos < n) {
    if (n - pos < 6) break;
    uint16_t type = GetLE16(p + pos);
    uint64_t length = GetLE32(p + pos + 2);
    size_t start = pos + 6;
    size_t avail = std::min<uint64_t>(length, n - start);
    std::string_view data = fields.substr(start, avail);
    switch (type) {
      case kFieldTitle: rec.title.assign(data.substr(0, kTitleReadMax)); break;
      case kFieldIngredients: rec.ingredients.assign(data.substr(0, kLongTextMax)); break;
      case kFieldDirections: rec.directions.assign(data.substr(0, kLongTextMax)); break;
      case kFieldPhoto: rec.photo.assign(data); break;
      default: break;
    }
    if (length > n - start) break;
    pos = start + size_t(length);
  }
}

void MarkRecordDeleted(File& file, uint64_t offset) {
  uint8_t header[kRecordHeaderSize];
  file.Seek(offset);
  if (file.Read(header, kRecordHeaderSize) != int64_t(kRecordHeaderSize)) return;
  // Only a record is touched: a stale offset never overwrites other bytes.
  if (!HasRecordMagic(header)) return;
  header[kHdrKind] = kKindDeleted;
  file.Seek(offset);
  file.Write(header, kRecordHeaderSize);
}

}  // namespace pantrela
