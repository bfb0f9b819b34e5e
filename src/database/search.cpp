#include "database/search.h"

#include <cstring>

#include "database/collection.h"
#include "foundation/file.h"
#include "foundation/numtext.h"
#include "foundation/progress.h"

namespace pantrela {

namespace {

bool IsWordChar(uint8_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '\'' || (c >= 128 && c <= 173);
}

char KindBefore(const std::string& t, size_t i) {
  if (i == 0) return '+';
  char c = t[i - 1];
  return c == '-' ? '-' : c == '/' ? '/' : '+';
}

void FoldInto(std::string_view in, std::string& out) {
  out.resize(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    char c = in[i];
    out[i] = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
  }
}

bool Contains(std::string_view hay, std::string_view needle) {
  if (needle.empty()) return true;
  return ::memmem(hay.data(), hay.size(), needle.data(), needle.size()) != nullptr;
}

// Matches a field already folded to upper case.
bool MatchFolded(std::string_view folded, const std::vector<QueryTerm>& terms) {
  bool anySlash = false, slashHit = false;
  for (const QueryTerm& t : terms) {
    if (t.kind == '/') {
      anySlash = true;
      if (!slashHit && Contains(folded, t.text)) slashHit = true;
    } else {
      bool found = Contains(folded, t.text);
      if (t.kind == '+' && !found) return false;
      if (t.kind == '-' && found) return false;
    }
  }
  return !anySlash || slashHit;
}

}  // namespace

std::vector<QueryTerm> ParseQuery(std::string_view text) {
  std::string t = TrimSpaces(text);
  for (char& c : t)
    if (c >= 'a' && c <= 'z') c = char(c - 32);
  std::vector<QueryTerm> terms;
  size_t i = 0;
  const size_t n = t.size();
  while (i < n && terms.size() < kMaxQueryTerms) {
    uint8_t c = uint8_t(t[i]);
    if (c == '"') {
      size_t close = t.find('"', i + 1);
      if (close == std::string::npos) {
        ++i;  // a quote without a partner is skipped
        continue;
      }
      std::string phrase = TrimSpaces(std::string_view(t).substr(i + 1, close - i - 1));
      // An empty phrase would be found everywhere; it is no term.
      if (!phrase.empty()) terms.push_back({KindBefore(t, i), phrase});
      i = close + 1;
    } else if (IsWordChar(c)) {
      size_t j = i;
      while (j < n && IsWordChar(uint8_t(t[j]))) ++j;
      terms.push_back({KindBefore(t, i), t.substr(i, j - i)});
      i = j;
    } else {
      ++i;
    }
  }
  return terms;
}

bool MatchField(std::string_view field, const std::vector<QueryTerm>& terms) {
  std::string folded;
  FoldInto(field, folded);
  return MatchFolded(folded, terms);
}

std::string SearchRequestError(const SearchRequest& request) {
  if (TrimSpaces(request.text).empty()) return "Please enter the text you want to search for";
  if (!request.titles && !request.ingredients && !request.directions)
    return "You must select at least one field to search";
  return {};
}

bool ConfirmSearchRequest(Dialogs& dialogs, const SearchRequest& request) {
  std::string error = SearchRequestError(request);
  if (error.empty()) return true;
  dialogs.Message(error, "OK", 1);
  return false;
}

std::vector<std::pair<std::string, int64_t>> SearchScopeChoices(const Collection& collection) {
  std::vector<std::pair<std::string, int64_t>> out;
  out.emplace_back(kReservedChapterNames[0], kChapterAll);
  for (uint32_t e : collection.chapterList().entries) {
    EntryView v = collection.Entry(e);
    if (v.chapterKey() > kReservedKeyMax) out.emplace_back(std::string(v.title()), v.chapterKey());
  }
  return out;
}

int RunSearch(Collection& collection, const SearchRequest& request) {
  AppContext& ctx = collection.ctx();
  const std::vector<QueryTerm> terms = ParseQuery(request.text);
  const std::vector<uint32_t> offsets = collection.EntryOffsets();
  for (uint32_t off : offsets) collection.SetEntryFlag(off, kFlagHit, false);

  int count = 0;
  if (Exists(ctx.files.recipe)) {
    File file = File::Open(OpenMode::Read, ctx.files.recipe);
    const uint64_t size = file.Size();
    FileWindow win(file.fd(), size, 8192);
    ProgressScope progress(ctx);
    std::string folded;
    const double total = double(collection.index().size());
    for (uint32_t off : offsets) {
      if (progress.Stop()) break;
      progress.Update("Searching Records", Plain(count) + " Matches", off, total);
      EntryView e = collection.Entry(off);
      if (e.kind() == kKindChapter || e.kind() == kKindDeleted) continue;
      if (request.scope != kChapterAll && e.chapterKey() != request.scope) continue;
      const uint64_t at = uint64_t(e.fileOffset());
      if (at > size || at + kRecordHeaderSize > size) {
        ctx.Log("FIND Load - Too small for header");
        break;
      }
      const uint8_t* h = win.Get(at, kRecordHeaderSize);
      if (!h) break;
      const uint64_t end = std::min<uint64_t>(at + GetLE32(h), size);
      RecordFieldCursor field(win, at + kRecordHeaderSize, end);
      bool match = false;
      while (!match && field.Next()) {
        const uint16_t type = field.type();
        const bool tested = (type == kFieldTitle && request.titles) ||
                            (type == kFieldIngredients && request.ingredients) ||
                            (type == kFieldDirections && request.directions);
        if (tested) {
          FoldInto(field.data(), folded);
          match = MatchFolded(folded, terms);
        }
      }
      if (match) {
        collection.SetEntryFlag(off, kFlagHit, true);
        ++count;
      }
    }
    progress.Close();
  }
  collection.SaveIndex();
  collection.SelectChapterByKey(kChapterSearch);
  collection.BuildRecipeList();
  return count;
}

}  // namespace pantrela
