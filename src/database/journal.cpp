#include "database/journal.h"

#include <cerrno>

#include "foundation/bytes.h"
#include "foundation/file.h"

namespace pantrela {

bool StartJournal(const std::string& path, char kind, uint64_t recipeLength) {
  std::string bytes = "QXJN";
  bytes += kind;
  bytes.append(3, '\0');
  AppendLE64(bytes, recipeLength);
  return WriteFileAtomic(path, bytes, 0644);
}

bool AddJournalMarks(const std::string& path, const std::vector<JournalMark>& marks) {
  if (marks.empty()) return true;
  std::string bytes;
  for (const JournalMark& m : marks) {
    AppendLE64(bytes, m.offset);
    bytes += char(m.oldKind);
  }
  File f = File::Open(OpenMode::Append, path);
  if (!f.valid() || !f.WriteAll(bytes) || !f.Sync()) {
    errno = f.lastError() ? f.lastError() : EIO;
    return false;
  }
  return true;
}

bool ReadJournal(const std::string& path, Journal& out) {
  if (!Exists(path)) return false;
  std::string bytes;
  if (!ReadWholeFile(path, bytes) || bytes.size() < kJnlMarks || bytes.compare(0, 4, "QXJN") != 0) return false;
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  out.kind = bytes[kJnlKind];
  out.recipeLength = GetLE64(p + kJnlLength);
  out.marks.clear();
  for (size_t at = kJnlMarks; at + kJnlMarkSize <= bytes.size(); at += kJnlMarkSize)
    out.marks.push_back({GetLE64(p + at), p[at + 8]});
  return out.kind == kJournalAppend || out.kind == kJournalCleanUp;
}

}  // namespace pantrela
