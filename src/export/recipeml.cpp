// RecipeML 0.5: one document, one <recipe> per exported recipe. The body is
// 7-bit: markup characters become entities and every byte from 127 up a
// numeric reference to its character, so nothing is lost and no encoding
// needs declaring.
#include "export/writers.h"
#include "foundation/numtext.h"
#include "foundation/wrap_text.h"
#include "ingredients/ingredient_line.h"
#include "ingredients/text_ops.h"
#include "platform/codepage.h"

namespace pantrela {

namespace {

void Line(std::string& out, std::string_view text) {
  out.append(text);
  out += "\r\n";
}

// The Unicode code point of a Windows-1252 byte.
uint32_t CodePointOf(unsigned char c) {
  if (c < 0x80 || c >= 0xA0) return c;
  const std::string u = Cp1252ToUtf8(std::string_view(reinterpret_cast<const char*>(&c), 1));
  const auto b = [&](size_t i) { return uint32_t(uint8_t(u[i])); };
  if (u.size() == 2) return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
  if (u.size() == 3) return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
  return c;
}

}  // namespace

std::string XmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "&quot;"; break;
      case '&': out += "&amp;"; break;
      case '\'': out += "&apos;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default:
        if (c >= 127) out += "&#" + Plain(CodePointOf(c)) + ";";
        else if (c < 32) out += '?';
        else out += char(c);
    }
  }
  return out;
}

void WriteRecipeMlRecipe(const ExportRecipe& r, const ExportStyle& style, std::string& out) {
  const CurrentRecord& rec = r.record;
  Line(out, "<recipe>");
  Line(out, "<head>");
  Line(out, "<title>" + XmlEscape(rec.title) + "</title>");
  Line(out, "<categories>");
  Line(out, "<cat>" + XmlEscape(r.chapter) + "</cat>");
  Line(out, "</categories>");
  if (rec.servings() > 0 && rec.kind() == kKindRecipe) Line(out, "<yield>" + Fmt(rec.servings()) + "</yield>");
  Line(out, "</head>");
  if (rec.kind() == kKindRecipe) {
    Line(out, "<ingredients>");
    Line(out, "<ing-div>");
    bool firstLine = true;
    for (const std::string& line : IngredientLines(rec.ingredients)) {
      // The line is parsed as stored and each part escaped on its own, so
      // an escape never splits a quantity from its unit or loses its "&".
      if (IsHeadingLine(line)) {
        if (!firstLine) Line(out, "</ing-div><ing-div>");
        Line(out, "<title>" + XmlEscape(std::string_view(line).substr(0, line.size() - 1)) + "</title>");
      } else if (!textops::TrimSpaces(line).empty()) {
        const SplitIngredient s = SplitIngredientLine(line, int(UnitStyle::Full), style.ingredientFormat);
        const std::string qty(textops::TrimSpaces(s.whole + " " + s.fraction));
        Line(out, "<ing>");
        Line(out, "<amt><qty>" + XmlEscape(qty) + "</qty><unit>" + XmlEscape(s.unit) + "</unit></amt>");
        Line(out, "<item>" + XmlEscape(s.item) + "</item>");
        Line(out, "</ing>");
      }
      firstLine = false;
    }
    Line(out, "</ing-div>");
    Line(out, "</ingredients>");
    Line(out, "<directions><step>");
    for (const std::string& line : WrapTextLines(rec.directions, 67)) {
      if (textops::TrimSpaces(line).empty()) Line(out, "</step><step>");
      else Line(out, XmlEscape(line) + " ");
    }
    Line(out, "</step></directions>");
  } else if (rec.kind() == kKindInfo) {
    Line(out, "<ingredients></ingredients>");
    Line(out, "<directions><step>");
    for (const std::string& line : WrapTextLines(rec.directions, 78)) Line(out, XmlEscape(line));
    Line(out, "</step></directions>");
  }
  Line(out, "</recipe>");
}

}  // namespace pantrela
