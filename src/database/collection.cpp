#include "database/collection.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "database/journal.h"
#include "database/photo_store.h"
#include "foundation/file.h"
#include "foundation/numtext.h"
#include "foundation/progress.h"

namespace pantrela {

namespace {

uint64_t FileSizeOf(const std::string& path) {
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0) return 0;
  return uint64_t(st.st_size);
}

}  // namespace

std::string TrimSpaces(std::string_view text) {
  size_t b = text.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  size_t e = text.find_last_not_of(' ');
  return std::string(text.substr(b, e - b + 1));
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = char(c + 32);
  return out;
}

Collection::Collection(AppContext& ctx) : ctx_(ctx) {}

void Collection::SetEntryFlag(uint32_t off, uint8_t bit, bool on) {
  uint8_t f = index_.Get8(off + kEntFlags);
  index_.Set8(off + kEntFlags, on ? uint8_t(f | bit) : uint8_t(f & ~bit));
}

void Collection::ReloadSavedIndex() {
  std::string bytes;
  ReadWholeFile(ctx_.files.index, bytes);
  index_ = ByteImage(bytes);
}

// ----- loading and verifying -----

void Collection::LoadMasterIndex() {
  const FileTable& f = ctx_.files;
  RecoverUnfinishedChanges();
  if (!Exists(f.index)) {
    ctx_.Log("Load Master Index: Index file is missing");
    Rebuild(false);
    return;
  }
  std::string bytes;
  ReadWholeFile(f.index, bytes);
  index_ = ByteImage(bytes);
  if (index_.size() < 120) {
    ctx_.Log("Load Master Index: Index file is too small");
    Rebuild(false);
    return;
  }
  if (!Exists(f.recipe)) {
    ctx_.Log("Load Master Index: Recipe file does not exist");
    Rebuild(false);
    return;
  }
  // An entry shorter than its fixed part cannot be walked past: damage.
  if (!IndexImageIsWalkable(index_)) {
    ctx_.Log("Load Master Index: Index entry is damaged");
    Rebuild(true);
    return;
  }
  const uint64_t recipeSize = FileSizeOf(f.recipe);
  if (recipeSize < kMinRecordSize) {
    ctx_.Log("Load Master Index: Recipe file is smaller than a valid record");
    BuildChapterList();
    return;
  }

  int64_t chaptersCounted = 0, first = -1, mid = -1, last = -1;
  const size_t half = index_.size() / 2;
  for (size_t off = 0; off < index_.size(); off += index_.Get8(off)) {
    uint8_t kind = index_.Get8(off + kEntKind);
    if (kind == kKindChapter) ++chaptersCounted;
    if (kind == kKindRecipe || kind == kKindInfo) {
      if (first < 0) first = int64_t(off);
      if (mid < 0 && off > half) mid = int64_t(off);
      last = int64_t(off);
    }
  }
  ctx_.Log("First Pointer: " + Spaced(first) + " - Mid Pointer: " + Spaced(mid) + " - Last Pointer: " + Spaced(last));
  if (chaptersCounted < 4) {
    ctx_.Log("Load Master Index - Chapter Count: " + Spaced(chaptersCounted));
    Rebuild(true);
    return;
  }

  struct Check {
    int64_t pointer;
    const char* pastEnd;
    const char* mismatch;
  };
  const Check checks[3] = {
      {first, "First Pointer Past File End", "Load Master Index: First record does not match"},
      {mid, "Load Master Index: Middle Pointer Past File End", "Load Master Index: Middle record does not match"},
      {last, "Load Master Index: Last Pointer Past File End", "Load Master Index: Last record does not match"},
  };
  File recipe = File::Open(OpenMode::Read, f.recipe);
  for (const Check& c : checks) {
    if (c.pointer < 0) continue;
    EntryView e = Entry(uint32_t(c.pointer));
    uint64_t fileOffset = uint64_t(e.fileOffset());
    if (fileOffset > recipeSize - kRecordHeaderSize) {
      ctx_.Log(c.pastEnd);
      recipe.Close();
      Rebuild(true);
      return;
    }
    uint8_t header[kRecordHeaderSize] = {};
    recipe.Seek(fileOffset);
    recipe.Read(header, kRecordHeaderSize);
    if (!HasRecordMagic(header) || int64_t(GetLE64(header + kHdrRecordId)) != e.recordId()) {
      ctx_.Log(c.mismatch);
      recipe.Close();
      Rebuild(true);
      return;
    }
  }
  recipe.Close();
  BuildChapterList();
}

void Collection::Rebuild(bool announce) {
  chapters_.entries.clear();
  recipes_.entries.clear();
  recipes_.displayCache.clear();
  if (announce) dialogs().Message("An error was detected in the recipe database.|It will now be rebuilt.", "OK", 1);
  CleanUp();
  BuildChapterList();
}

void OpenCollection(Collection& collection) {
  collection.LoadMasterIndex();
  collection.BuildRecipeList();
}

// ----- building from the recipe file -----

bool Collection::BuildIndexFromRecipeFile() {
  BusyScope busy(ctx_);
  std::string image;
  image.reserve(8000);
  for (int i = 0; i < 4; ++i)
    AppendIndexEntry(image, 0, kKindChapter, ctx_.ids.Make(), i + 1, 0, kReservedChapterNames[i]);

  if (Exists(ctx_.files.recipe)) {
    File file = File::Open(OpenMode::Read, ctx_.files.recipe);
    const uint64_t size = file.Size();
    FileWindow win(file.fd(), size);
    ProgressScope progress(ctx_);
    uint64_t off = 0;
    auto resync = [&](uint64_t from) {
      // Damaged bytes: the next candidate is the next record magic.
      uint64_t magic = win.FindMagic(from + 1 + 4);
      return magic >= size ? size : magic - 4;
    };
    while (!progress.LetEventsThrough()) {
      progress.Update("Building Recipe Index", "", double(off), double(size));
      if (off + kRecordHeaderSize > size) {
        ctx_.Log("Load Record: End of File Reached");
        break;
      }
      const uint8_t* h = win.Get(off, kRecordHeaderSize);
      if (!h || !HasRecordMagic(h)) {
        off = resync(off);
        continue;
      }
      const uint64_t length = GetLE32(h);
      const uint8_t kind = h[kHdrKind];
      const int64_t recordId = int64_t(GetLE64(h + kHdrRecordId));
      const int64_t chapterKey = int64_t(GetLE64(h + kHdrChapterKey));
      if (off + length > size) {
        ctx_.Log("Load Record: End of File Before Finishing Record (" + Thousands(int64_t(off)) + " - " +
                 Thousands(int64_t(length)) + " - " + Thousands(int64_t(size)) + ")");
        // A damaged length must not hide the records after it: keep
        // looking for the next record instead of ending the scan.
        off = resync(off);
        continue;
      }
      if (length <= kRecordHeaderSize) {
        ctx_.Log("Load Record: Record Size Too Small (" + Spaced(int64_t(length)) + ")");
        off = resync(off);
        continue;
      }
      if (kind == kKindDeleted) {
        off += length;
        continue;
      }
      std::string title;
      uint8_t flags = 0;
      RecordFieldCursor field(win, off + kRecordHeaderSize, off + length);
      while (field.Next()) {
        if (field.type() == kFieldTitle) title.assign(field.data().substr(0, kTitleWriteMax));
        else if (field.type() == kFieldPhoto) flags |= kFlagPhoto;
      }
      AppendIndexEntry(image, flags, kind, recordId, chapterKey, int64_t(off), title);
      off += length;
    }
    if (progress.stopped()) {
      // The program is closing: half an index is never saved; the one on
      // disk stays for the next start.
      ReloadSavedIndex();
      BuildChapterList();
      BuildRecipeList();
      return false;
    }
  }
  image.shrink_to_fit();
  index_ = ByteImage(image);
  const bool saved = SortAndSaveIndex();
  BuildChapterList();
  BuildRecipeList();
  return saved;
}

// ----- sorting and saving -----

bool Collection::SyncRecipeFile() {
  if (!unsynced_) return true;
  File f = File::Open(OpenMode::Update, ctx_.files.recipe);
  if (!f.valid() || !f.Sync()) {
    lastError_ = f.lastError();
    return false;
  }
  unsynced_ = false;
  return true;
}

bool Collection::SortAndSaveIndex() {
  std::string sorted = SortedIndexImage(index_);
  if (!SyncRecipeFile()) return ChangeFailed(ctx_.files.recipe, lastError_);
  if (!WriteFileAtomic(ctx_.files.index, sorted)) {
    const int error = errno;
    if (!changesOpen_) index_ = ByteImage(sorted);
    return ChangeFailed(ctx_.files.index, error);
  }
  index_ = ByteImage(sorted);
  CloseChanges();
  return true;
}

bool Collection::SaveIndex() {
  if (!SyncRecipeFile()) return ChangeFailed(ctx_.files.recipe, lastError_);
  if (!WriteFileAtomic(ctx_.files.index, index_.view())) return ChangeFailed(ctx_.files.index, errno);
  CloseChanges();
  return true;
}

// ----- unfinished changes -----

namespace {

// Cuts the recipe file back to `length` and undoes the deletion marks
// (last first); true when the file is as it was.
bool TakeBackChanges(const std::string& recipe, uint64_t length, const std::vector<JournalMark>& marks) {
  if (!Exists(recipe)) return true;
  File f = File::Open(OpenMode::Update, recipe);
  if (!f.valid()) return false;
  if (f.Size() > length && ::ftruncate(f.fd(), off_t(length)) != 0) return false;
  for (auto m = marks.rbegin(); m != marks.rend(); ++m) {
    uint8_t header[kRecordHeaderSize];
    f.Seek(m->offset);
    // Only a deletion mark is undone: a record now deleted gets its live
    // kind back; nothing else is ever changed by a journal.
    if (m->offset + kRecordHeaderSize > length || f.Read(header, kRecordHeaderSize) != int64_t(kRecordHeaderSize) ||
        !HasRecordMagic(header) || header[kHdrKind] != kKindDeleted || m->oldKind >= kKindDeleted)
      continue;
    f.Seek(m->offset + kHdrKind);
    if (f.Write(&m->oldKind, 1) != 1) return false;
  }
  return f.Sync();
}

// True when the saved index already lists the journal's change: an entry
// of a record at or beyond the old length, or a marked record as deleted.
bool IndexListsChange(const std::string& indexPath, const Journal& j) {
  std::string bytes;
  if (!ReadWholeFile(indexPath, bytes)) return false;
  ByteImage image(bytes);
  if (!IndexImageIsWalkable(image)) return false;
  for (uint32_t off : IndexEntryOffsets(image)) {
    EntryView e{&image, off};
    const bool reserved = e.kind() == kKindChapter && e.chapterKey() <= kReservedKeyMax;
    if (!reserved && uint64_t(e.fileOffset()) >= j.recipeLength) return true;
    if (e.kind() == kKindDeleted)
      for (const JournalMark& m : j.marks)
        if (m.offset == uint64_t(e.fileOffset())) return true;
  }
  return false;
}

}  // namespace

bool Collection::OpenChanges() {
  if (changesOpen_) return true;
  const uint64_t length = FileSizeOf(ctx_.files.recipe);
  if (!StartJournal(ctx_.files.journal, kJournalAppend, length)) {
    lastError_ = errno;
    return false;
  }
  changesOpen_ = true;
  changesStart_ = length;
  return true;
}

void Collection::CloseChanges() {
  if (!changesOpen_) return;
  changesOpen_ = false;
  // A journal left behind is recognised as saved at the next start.
  DeleteFile(ctx_.files.journal);
}

bool Collection::ChangeFailed(const std::string& path, int error) {
  lastError_ = error;
  ReportWriteFailure(ctx_, path, error);
  AbandonChanges();
  return false;
}

void Collection::AbandonChanges() {
  if (!changesOpen_) return;
  Journal j;
  if (!ReadJournal(ctx_.files.journal, j)) j.marks.clear();
  // When the file cannot be put back now, the journal stays and the next
  // start tries again.
  if (TakeBackChanges(ctx_.files.recipe, changesStart_, j.marks)) DeleteFile(ctx_.files.journal);
  changesOpen_ = false;
  unsynced_ = false;
  std::string bytes;
  ReadWholeFile(ctx_.files.index, bytes);
  index_ = ByteImage(bytes);
  if (!IndexImageIsWalkable(index_)) index_ = ByteImage(std::string());
}

void Collection::RecoverUnfinishedChanges() {
  const std::string& path = ctx_.files.journal;
  Journal j;
  if (!ReadJournal(path, j)) {
    // Nothing was changed before a journal is complete.
    if (Exists(path)) DeleteFile(path);
    return;
  }
  if (j.kind == kJournalCleanUp) {
    ctx_.Log("Unfinished clean-up: the index is built from the recipe file");
    if (BuildIndexFromRecipeFile()) DeleteFile(path);
    return;
  }
  if (IndexListsChange(ctx_.files.index, j)) {
    DeleteFile(path);
    return;
  }
  ctx_.Log("Unfinished change of the recipe file taken back (" + Thousands(int64_t(j.recipeLength)) + " - " +
           Thousands(int64_t(FileSizeOf(ctx_.files.recipe))) + ")");
  if (TakeBackChanges(ctx_.files.recipe, j.recipeLength, j.marks)) DeleteFile(path);
}

// ----- the current record -----

void Collection::LoadCurrent(uint64_t fileOffset) {
  current_.Clear();
  if (!Exists(ctx_.files.recipe)) return;
  File f = File::Open(OpenMode::Read, ctx_.files.recipe);
  const uint64_t size = f.Size();
  if (fileOffset > size || fileOffset + kRecordHeaderSize > size) {
    ctx_.Log("Load Data Record - Too small for header");
    return;
  }
  f.Seek(fileOffset);
  f.Read(current_.header, 0, kRecordHeaderSize);
  uint64_t length = current_.header.Get32(kHdrLength);
  uint64_t n = length > kRecordHeaderSize ? length - kRecordHeaderSize : 0;
  if (fileOffset + kRecordHeaderSize + n > size) {
    ctx_.Log("Load Data Record - Too small for record");
    return;
  }
  std::string body = f.ReadBytes(int64_t(n));
  f.Close();
  std::vector<std::string> problems;
  ParseRecordFields(body, current_, &problems);
  for (const std::string& p : problems)
    ctx_.Log("Load Data Record - " + p + " (record " + std::to_string(current_.recordId()) + ")");
}

uint32_t Collection::AppendCurrent() {
  if (current_.photo.size() >= 2 && current_.photo[0] == 'B' && current_.photo[1] == 'M')
    ConvertBmpPhotoForStorage(ctx_, dialogs(), current_.photo);
  std::string bytes = BuildRecordBytes(current_, ctx_.ids.Make());
  if (!OpenChanges()) return kNoEntry;
  File f = File::Open(OpenMode::Append, ctx_.files.recipe);
  if (!f.valid()) {
    lastError_ = f.lastError();
    return kNoEntry;
  }
  const uint64_t position = f.Tell();
  if (!f.WriteAll(bytes)) {
    lastError_ = f.lastError();
    // A torn record is taken back so the file never ends in a half record.
    if (::ftruncate(f.fd(), off_t(position)) != 0) unsynced_ = true;
    return kNoEntry;
  }
  f.Close();
  unsynced_ = true;

  std::string entry;
  AppendIndexEntry(entry, current_.photo.empty() ? 0 : kFlagPhoto, current_.kind(), current_.recordId(),
                   current_.chapterKey(), int64_t(position), current_.title);
  entry[kEntReserved] = char(current_.header.Get8(kHdrReserved1));
  const uint32_t at = uint32_t(index_.size());
  index_.Append(entry);
  return at;
}

bool Collection::MarkDeleted(uint32_t entryOff) { return MarkEntriesDeleted({entryOff}); }

bool Collection::MarkEntriesDeleted(const std::vector<uint32_t>& entries) {
  if (entries.empty()) return true;
  if (!Exists(ctx_.files.recipe)) {
    for (uint32_t e : entries) SetEntryKind(e, kKindDeleted);
    return true;
  }
  if (!OpenChanges()) return ChangeFailed(ctx_.files.journal, lastError_);
  File f = File::Open(OpenMode::Update, ctx_.files.recipe);
  if (!f.valid()) return ChangeFailed(ctx_.files.recipe, f.lastError());
  // Each record's kind before the mark goes into the journal first, so a
  // crash before the index is saved can undo the marks.
  std::vector<JournalMark> marks;
  marks.reserve(entries.size());
  for (uint32_t e : entries) {
    const uint64_t at = uint64_t(Entry(e).fileOffset());
    uint8_t header[kRecordHeaderSize];
    f.Seek(at);
    if (f.Read(header, kRecordHeaderSize) == int64_t(kRecordHeaderSize) && HasRecordMagic(header) &&
        header[kHdrKind] != kKindDeleted)
      marks.push_back({at, header[kHdrKind]});
  }
  if (!AddJournalMarks(ctx_.files.journal, marks)) return ChangeFailed(ctx_.files.journal, errno);
  for (uint32_t e : entries) {
    SetEntryKind(e, kKindDeleted);
    if (!MarkRecordDeleted(f, uint64_t(Entry(e).fileOffset()))) return ChangeFailed(ctx_.files.recipe, f.lastError());
  }
  unsynced_ = true;
  return true;
}

}  // namespace pantrela
