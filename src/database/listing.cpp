#include "database/listing.h"

#include "foundation/codepage.h"
#include "foundation/numtext.h"
#include "platform/image_codec.h"

namespace pantrela {

namespace {

// A Windows-1252 text as a JSON string in UTF-8; CR line breaks become "\n".
std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (char ch : Cp1252ToUtf8(text)) {
    const unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\r': out += "\\n"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          static const char kHex[] = "0123456789abcdef";
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 15];
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}

std::string PhotoJson(std::string_view photo) {
  if (photo.empty()) return "null";
  std::string type = platform::ImageSignatureType(photo);
  if (type == "jpeg") type = "jpg";
  platform::Image image;
  const bool decoded = !type.empty() && platform::DecodeImageStatus(photo, image) == platform::kCodecOk;
  return std::string("{\"type\": ") + (type.empty() ? std::string("null") : "\"" + type + "\"") +
         ", \"bytes\": " + Plain(int64_t(photo.size())) + ", \"width\": " + Plain(int64_t(decoded ? image.width : 0)) +
         ", \"height\": " + Plain(int64_t(decoded ? image.height : 0)) + "}";
}

}  // namespace

std::string ChapterListText(const Collection& collection) {
  std::string out;
  for (uint32_t e : collection.chapterList().entries) {
    out.append(collection.Entry(e).title());
    out += "\r\n";
  }
  return out;
}

std::string RecipeListText(const Collection& collection) {
  std::string out;
  for (uint32_t e : collection.recipeList().entries) {
    EntryView v = collection.Entry(e);
    out.append(v.title());
    out += '\t';
    out += collection.ChapterDisplayName(v.chapterKey());
    out += "\r\n";
  }
  return out;
}

uint32_t FindRecipeByTitle(const Collection& collection, std::string_view title) {
  for (uint32_t e : collection.EntryOffsets()) {
    EntryView v = collection.Entry(e);
    if ((v.kind() == kKindRecipe || v.kind() == kKindInfo) && v.title() == title) return e;
  }
  return kNoEntry;
}

std::string RecipeText(const CurrentRecord& record) {
  std::string out = record.title + "\r";
  if (record.servings() > 0) out += "Serves " + Plain(record.servings()) + "\r";
  out += "\r";
  if (!record.ingredients.empty()) out += record.ingredients + "\r";
  out += "\r";
  if (!record.directions.empty()) out += record.directions + "\r";
  return out;
}

}  // namespace pantrela

namespace pantrela {

std::string RecipeJson(const Collection& collection, const CurrentRecord& record) {
  std::string ingredients = "[";
  const std::string_view text = record.ingredients;
  for (size_t start = 0; start < text.size();) {
    size_t cr = text.find('\r', start);
    if (cr == std::string_view::npos) cr = text.size();
    if (ingredients.size() > 1) ingredients += ", ";
    ingredients += JsonString(text.substr(start, cr - start));
    start = cr + 1;
  }
  ingredients += "]";
  return "{\"title\": " + JsonString(record.title) +
         ", \"chapter\": " + JsonString(collection.ChapterDisplayName(record.chapterKey())) +
         ", \"servings\": " + Plain(int64_t(record.servings())) + ", \"ingredients\": " + ingredients +
         ", \"directions\": " + JsonString(record.directions) +
         ", \"kind\": " + (record.kind() == kKindInfo ? "\"information\"" : "\"recipe\"") +
         ", \"record_id\": " + Plain(record.recordId()) + ", \"photo\": " + PhotoJson(record.photo) + "}";
}

}  // namespace pantrela
