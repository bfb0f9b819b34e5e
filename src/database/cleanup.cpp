// Clean-up ("Updating Records"): compaction of the recipe file into index
// order and repair of record IDs that occur twice.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "database/collection.h"
#include "database/journal.h"
#include "foundation/file.h"
#include "foundation/numtext.h"
#include "foundation/progress.h"

namespace pantrela {

namespace {

void SyncFolderOf(const std::string& path) {
  std::string folder = path.substr(0, path.rfind('/') + 1);
  if (folder.empty()) folder = ".";
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool ReadAt(File& f, char* target, size_t count, uint64_t at) {
  size_t got = 0;
  while (got < count) {
    ssize_t n = ::pread(f.fd(), target + got, count - got, off_t(at + got));
    if (n <= 0) return false;
    got += size_t(n);
  }
  return true;
}

bool WriteId(File& f, uint64_t recordOffset, int64_t id) {
  uint8_t bytes[8];
  PutLE64(bytes, uint64_t(id));
  f.Seek(recordOffset + kHdrRecordId);
  return f.Write(bytes, 8) == 8;
}

}  // namespace

bool Collection::CleanUp() {
  if (!BuildIndexFromRecipeFile()) return false;
  if (index_.size() < 28 || !Exists(ctx_.files.recipe)) return true;
  BusyScope busy(ctx_);
  ProgressScope progress(ctx_);

  File in = File::Open(OpenMode::Read, ctx_.files.recipe);
  // A compaction file left behind (or a link in its place) is removed, so
  // the new one is a file of our own.
  DeleteFile(ctx_.files.compaction);
  File out = File::Open(OpenMode::Write, ctx_.files.compaction);
  const uint64_t size = in.Size();
  std::string pending;
  uint64_t outPos = 0;
  bool ok = out.valid();
  std::string failedPath = ctx_.files.compaction;
  int error = out.lastError();
  auto flush = [&] {
    if (ok && !pending.empty() && !out.WriteAll(pending)) {
      ok = false;
      error = out.lastError();
    }
    pending.clear();
  };

  // The new image keeps the reserved chapters and the copied entries, in
  // the same order; entries whose records are not copied go with them, so
  // no entry is left pointing into the old file.
  std::string image;
  image.reserve(index_.size());
  const double total = double(index_.size());
  for (uint32_t off : EntryOffsets()) {
    if (progress.LetEventsThrough()) break;
    progress.Update("Updating Records", "", double(off), total);
    EntryView e = Entry(off);
    if (e.kind() < kKindDeleted && e.chapterKey() > kReservedKeyMax) {
      // Records are read straight into the output buffer: the index order
      // jumps around the old file, so a read-ahead window would be wasted.
      const uint64_t at = uint64_t(e.fileOffset());
      const size_t start = pending.size();
      pending.resize(start + kRecordHeaderSize);
      if (!ReadAt(in, &pending[start], kRecordHeaderSize, at)) {
        pending.resize(start);
        continue;
      }
      const uint64_t length = GetLE32(reinterpret_cast<const uint8_t*>(&pending[start]));
      bool whole = length >= kRecordHeaderSize && at + length <= size;
      if (whole) {
        pending.resize(start + size_t(length));
        whole = ReadAt(in, &pending[start + kRecordHeaderSize], size_t(length) - kRecordHeaderSize,
                       at + kRecordHeaderSize);
      }
      if (!whole) {
        pending.resize(start);
        continue;
      }
      PutLE64(reinterpret_cast<uint8_t*>(&pending[start + kHdrWriteStamp]), uint64_t(ctx_.ids.Make()));
      SetEntryFileOffset(off, int64_t(outPos));
      outPos += length;
      image.append(reinterpret_cast<const char*>(index_.data()) + off, e.length());
      if (pending.size() >= (4u << 20)) flush();
    } else if (e.kind() == kKindChapter && e.chapterKey() >= kChapterAll && e.chapterKey() <= kChapterPhotos &&
               e.fileOffset() == 0) {
      image.append(reinterpret_cast<const char*>(index_.data()) + off, e.length());
    }
  }
  // Closing the program abandons the clean-up: nothing is renamed or saved.
  const bool abandoned = progress.stopped();
  if (abandoned) ok = false;
  flush();
  if (ok && !out.Sync()) {
    ok = false;
    error = out.lastError();
  }
  in.Close();
  out.Close();
  // The journal tells the next start that the index may not match the
  // recipe file from here until the clean-up ends.
  if (ok && !StartJournal(ctx_.files.journal, kJournalCleanUp, size)) {
    ok = false;
    error = errno;
    failedPath = ctx_.files.journal;
  }
  if (ok && FileLayerCalls().rename(ctx_.files.compaction.c_str(), ctx_.files.recipe.c_str()) != 0) {
    ok = false;
    error = errno;
    failedPath = ctx_.files.recipe;
    DeleteFile(ctx_.files.journal);
  }

  bool saved = ok;
  if (ok) {
    // The compacted file is in place before the index that points into it
    // is saved; a crash in between is caught by the journal.
    SyncFolderOf(ctx_.files.recipe);
    index_ = ByteImage(image);
    saved = SaveIndex();
  } else {
    // The old recipe file and the index built from it stay as they are.
    DeleteFile(ctx_.files.compaction);
    ReloadSavedIndex();
  }
  BuildChapterList();
  BuildRecipeList();
  progress.Close();
  if (!ok && !abandoned) ReportWriteFailure(ctx_, failedPath, error);
  const int repaired = saved ? RepairDuplicateRecordIds() : 0;
  if (saved && repaired >= 0) DeleteFile(ctx_.files.journal);
  return ok && saved && repaired >= 0;
}

int Collection::RepairDuplicateRecordIds() {
  if (!Exists(ctx_.files.recipe)) return 0;
  ProgressScope progress(ctx_);
  progress.Update("Building Record ID List", "", 0, 1);

  struct Item {
    int64_t id;
    uint64_t offset;
  };
  std::vector<Item> list;
  int count = 0;
  int failed = 0;
  {
    File f = File::Open(OpenMode::Update, ctx_.files.recipe);
    const uint64_t size = f.Size();
    FileWindow win(f.fd(), size);
    uint64_t off = 0;
    while (off + kRecordHeaderSize <= size && !progress.LetEventsThrough()) {
      const uint8_t* h = win.Get(off, kRecordHeaderSize);
      if (!h) break;
      const uint64_t length = GetLE32(h);
      // A length below the header cannot be stepped over: the walk ends.
      if (length < kRecordHeaderSize) break;
      const uint8_t kind = h[kHdrKind];
      if (HasRecordMagic(h) && (kind == kKindRecipe || kind == kKindInfo))
        list.push_back({int64_t(GetLE64(h + kHdrRecordId)), off});
      off += length;
    }

    // A list cut short by closing the program is not checked.
    if (progress.stopped()) list.clear();
    progress.Update("Sorting Record ID List", "", double(list.size()), double(list.size()));
    std::stable_sort(list.begin(), list.end(), [](const Item& a, const Item& b) { return a.id < b.id; });

    // Each value equal to the one before it is a duplicate; the records of
    // one value are renumbered in file order, the last keeps its ID. The
    // previous value starts at 0, so a recipe without an ID gets one.
    int64_t prev = 0;
    size_t groupStart = 0, renumbered = 0;
    for (size_t i = 0; i < list.size(); ++i) {
      progress.Update("Checking for duplicate record ID's", "", double(i), double(list.size()));
      if (i == 0 || list[i].id != list[i - 1].id) {
        groupStart = i;
        renumbered = 0;
      }
      if (list[i].id == prev) {
        ++count;
        if (!WriteId(f, list[groupStart + renumbered].offset, ctx_.ids.Make())) {
          failed = f.lastError();
          break;
        }
        ++renumbered;
      }
      prev = list[i].id;
    }
    if (count > 0 && !failed && !f.Sync()) failed = f.lastError();
  }
  progress.Close();
  if (failed) {
    // The index is built from the file as it is, renumbered or not.
    lastError_ = failed;
    ReportWriteFailure(ctx_, ctx_.files.recipe, failed);
    BuildIndexFromRecipeFile();
    return -1;
  }
  if (count > 0) {
    ctx_.Log("ERROR: " + Plain(count) + " Duplicate RID's");
    if (!BuildIndexFromRecipeFile()) return -1;
  }
  return count;
}

void Collection::GiveRecordNewId(int64_t value) {
  if (!Exists(ctx_.files.recipe)) return;
  File f = File::Open(OpenMode::Update, ctx_.files.recipe);
  const uint64_t size = f.Size();
  uint64_t off = 0;
  while (off + kRecordHeaderSize <= size && !ctx_.Quitting()) {
    uint8_t h[kRecordHeaderSize];
    f.Seek(off);
    if (f.Read(h, kRecordHeaderSize) != int64_t(kRecordHeaderSize)) break;
    const uint64_t length = GetLE32(h);
    if (HasRecordMagic(h) && int64_t(GetLE64(h + kHdrRecordId)) == value) {
      if (!WriteId(f, off, ctx_.ids.Make()) || !f.Sync()) ReportWriteFailure(ctx_, ctx_.files.recipe, f.lastError());
      return;
    }
    if (length < kRecordHeaderSize) break;
    off += length;
  }
}

}  // namespace pantrela
