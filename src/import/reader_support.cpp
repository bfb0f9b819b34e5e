#include "import/reader_support.h"

#include "database/photo.h"
#include "foundation/context.h"
#include "foundation/file.h"
#include "import/recipe_builder.h"
#include "ingredients/ingredient_line.h"
#include "ingredients/measures.h"

namespace pantrela {

ReaderRun::ReaderRun(RecipeBuilder& builder, const char* caption, const std::string& label, int64_t& chapter,
                     int64_t& recordId, bool& cancel)
    : b_(builder),
      progress_(builder.ctx()),
      caption_(caption),
      label_(label),
      chapter_(chapter),
      recordId_(recordId),
      cancel_(cancel) {}

ReaderRun::~ReaderRun() {
  progress_.Close();
  if (b_.lastRecordId() != 0) {
    chapter_ = b_.lastChapter();
    recordId_ = b_.lastRecordId();
  }
}

bool ReaderRun::Stop(uint64_t position, uint64_t size) {
  if (progress_.stopped()) return true;
  if (b_.ctx().Quitting()) return progress_.Stop();
  // Stopped while not quitting: the space bar, which cancels the import.
  if (progress_.Step(caption_, label_, double(position), double(size)) && !b_.ctx().Quitting()) cancel_ = true;
  return progress_.stopped();
}

void AddIngredientLine(RecipeBuilder& builder, std::string_view line) {
  ParsedIngredient p = ParseIngredientLine(line, 1.0, builder.ctx().settings);
  builder.AddIngredientText(FormatIngredientLine(p.quantity, p.unit, p.item) + "\r");
}

std::string DecodeBase64(std::string_view text, size_t limit) {
  auto value = [](char c) -> int {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    if (c == '=') return 0;
    return -1;
  };
  std::string out;
  out.reserve(text.size() / 4 * 3);
  uint32_t group = 0;
  int n = 0;
  for (char c : text) {
    int v = value(c);
    if (v < 0) continue;
    group = (group << 6) | uint32_t(v);
    if (++n < 4) continue;
    const char bytes[3] = {char(group >> 16), char(group >> 8), char(group)};
    for (char b : bytes) {
      if (out.size() >= limit) return out;
      out += b;
    }
    group = 0;
    n = 0;
  }
  return out;
}

std::string XmlAttr(std::string_view tag, std::string_view name) {
  const std::string lower = LowerText(tag);
  size_t at = 0;
  while ((at = lower.find(name, at)) != std::string::npos) {
    const unsigned char before = at == 0 ? ' ' : (unsigned char)lower[at - 1];
    if (before <= ' ' || before == '<') break;
    ++at;
  }
  if (at == std::string::npos) return "";
  size_t q1 = tag.find('"', at + name.size());
  if (q1 == std::string_view::npos) return "";
  size_t q2 = tag.find('"', q1 + 1);
  if (q2 == std::string_view::npos) return "";
  return std::string(tag.substr(q1 + 1, q2 - q1 - 1));
}

bool PhotoFromFile(RecipeBuilder& builder, const std::string& path) {
  if (path.empty() || !Exists(path) || IsDirectory(path)) return false;
  // A photo that cannot be read is logged and left out; the import goes on
  // without asking.
  DefaultAnswerDialogs quiet;
  std::string photo;
  int lines = 0;
  if (!LoadImageFile(builder.ctx(), quiet, path, photo, lines)) return false;
  builder.record().photo = std::move(photo);
  return true;
}

bool PhotoFromBytes(RecipeBuilder& builder, std::string_view bytes, const std::string& scratchName) {
  if (bytes.empty()) return false;
  const std::string scratch = builder.ctx().files.dataFolder + scratchName;
  if (!WriteFileAtomic(scratch, bytes)) return false;
  const bool ok = PhotoFromFile(builder, scratch);
  DeleteFile(scratch);
  return ok;
}

std::string FolderOf(const std::string& path) {
  size_t cut = path.find_last_of('/');
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string LowerText(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = char(c + 32);
  return out;
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }
bool EndsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}
bool Contains(std::string_view s, std::string_view part) { return s.find(part) != std::string_view::npos; }

std::string Trimmed(std::string_view s) {
  size_t a = 0, b = s.size();
  while (a < b && (s[a] == ' ' || s[a] == '\t')) ++a;
  while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t')) --b;
  return std::string(s.substr(a, b - a));
}

}  // namespace pantrela
