#include "database/record.h"

#include <algorithm>

#include "foundation/file.h"
#include "foundation/numtext.h"

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

namespace {

const char* FieldName(uint16_t type) {
  switch (type) {
    case kFieldTitle: return "Title";
    case kFieldIngredients: return "Ingredients";
    case kFieldDirections: return "Directions";
    case kFieldPhoto: return "Photo";
    default: return "Field";
  }
}

// Bytes a text field should not hold: the five that Windows-1252 leaves
// undefined, and control bytes other than tab, LF and CR.
size_t ForeignBytes(std::string_view text) {
  size_t n = 0;
  for (unsigned char c : text)
    n += (c < 32 && c != 9 && c != 10 && c != 13) || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
  return n;
}

}  // namespace

void ParseRecordFields(std::string_view fields, CurrentRecord& rec, std::vector<std::string>* problems) {
  // Loading skips the end mark like any other unknown field.
  MemoryBytes body{fields};
  RecordFieldCursor field(body, 0, fields.size(), false);
  const auto note = [&](std::string text) {
    if (problems) problems->push_back(std::move(text));
  };
  while (field.Next()) {
    std::string_view data = field.data();
    const uint16_t type = field.type();
    if (data.size() < field.length())
      note(std::string(FieldName(type)) + " field of " + Thousands(int64_t(field.length())) +
           " bytes runs past the end of the record: " + Thousands(int64_t(data.size())) + " read");
    const size_t max = type == kFieldTitle ? kTitleReadMax : kLongTextMax;
    const bool text = type == kFieldTitle || type == kFieldIngredients || type == kFieldDirections;
    if (text && data.size() > max) {
      note(std::string(FieldName(type)) + " of " + Thousands(int64_t(data.size())) + " bytes cut to " +
           Thousands(int64_t(max)));
      data = data.substr(0, max);
    }
    if (text) {
      if (const size_t foreign = ForeignBytes(data))
        note(std::string(FieldName(type)) + " holds " + Thousands(int64_t(foreign)) +
             (foreign == 1 ? " byte" : " bytes") + " that are not Windows-1252 text");
    }
    switch (type) {
      case kFieldTitle: rec.title.assign(data); break;
      case kFieldIngredients: rec.ingredients.assign(data); break;
      case kFieldDirections: rec.directions.assign(data); break;
      case kFieldPhoto: rec.photo.assign(data); break;
      default: break;
    }
  }
}

bool MarkRecordDeleted(File& file, uint64_t offset) {
  uint8_t header[kRecordHeaderSize];
  file.Seek(offset);
  if (file.Read(header, kRecordHeaderSize) != int64_t(kRecordHeaderSize)) return true;
  // Only a record is touched: a stale offset never overwrites other bytes.
  if (!HasRecordMagic(header)) return true;
  // The kind byte alone is written, in place.
  const uint8_t kind = kKindDeleted;
  file.Seek(offset + kHdrKind);
  return file.Write(&kind, 1) == 1;
}

}  // namespace pantrela
