#include "database/recipe_ops.h"

#include <algorithm>
#include <cerrno>

#include "foundation/file.h"

namespace pantrela {

std::vector<uint32_t> CheckedRecipes(const Collection& collection) {
  std::vector<uint32_t> out;
  for (uint32_t e : collection.recipeList().entries)
    if (collection.IsChecked(e)) out.push_back(e);
  return out;
}

RecipeChecks RememberRecipeChecks(const Collection& collection) {
  RecipeChecks checks;
  const ListModel& list = collection.recipeList();
  if (!list.entries.empty())
    checks.currentId = collection.Entry(list.entries[size_t(std::clamp(list.current, 0, list.count() - 1))]).recordId();
  for (uint32_t e : CheckedRecipes(collection)) checks.checkedIds.push_back(collection.Entry(e).recordId());
  std::sort(checks.checkedIds.begin(), checks.checkedIds.end());
  return checks;
}

void RestoreRecipeChecks(Collection& collection, const RecipeChecks& checks) {
  ListModel& list = collection.recipeList();
  for (int i = 0; i < list.count(); ++i) {
    const uint32_t e = list.entries[size_t(i)];
    const int64_t id = collection.Entry(e).recordId();
    collection.SetChecked(e, std::binary_search(checks.checkedIds.begin(), checks.checkedIds.end(), id));
    if (id == checks.currentId) list.current = i;
  }
}

int64_t ChooseUserChapter(Collection& collection, int x, int y) {
  std::vector<std::string> names;
  std::vector<int64_t> keys;
  for (uint32_t e : collection.chapterList().entries) {
    const EntryView v = collection.Entry(e);
    if (v.chapterKey() <= kReservedKeyMax) continue;
    names.emplace_back(v.title());
    keys.push_back(v.chapterKey());
  }
  if (names.empty()) return 0;
  const int choice = collection.dialogs().PopupList(x, y, 260, names);
  return choice >= 0 && choice < int(keys.size()) ? keys[size_t(choice)] : 0;
}

void CopyOrMoveCommand(Collection& collection, bool move, int x, int y) {
  if (CheckedRecipes(collection).empty()) {
    collection.dialogs().Message(kNoRecipesSelected, "OK", 1);
    return;
  }
  const int64_t key = ChooseUserChapter(collection, x, y);
  if (key != 0) TransferCheckedRecipes(collection, move, key);
}

namespace {

// The old chapter key and write stamp of a record a move rewrote.
struct Rewritten {
  uint64_t at;
  int64_t oldStamp;
  int64_t oldKey;
};

bool WriteHeaderValue(File& f, uint64_t at, int64_t value) {
  uint8_t bytes[8];
  PutLE64(bytes, uint64_t(value));
  f.Seek(at);
  return f.Write(bytes, 8) == 8;
}

// Puts the old chapter keys and write stamps back (best effort: the write
// that failed may fail again; the record ID, which the index checks, was
// never touched).
void PutBack(File& f, const std::vector<Rewritten>& done) {
  for (const Rewritten& r : done) {
    (void)WriteHeaderValue(f, r.at + kHdrChapterKey, r.oldKey);
    (void)WriteHeaderValue(f, r.at + kHdrWriteStamp, r.oldStamp);
  }
  (void)f.Sync();
}

// Rewrites the chapter key and write stamp of each moved record in place
// and syncs the file. On a failure the records already rewritten get their
// old values back and `error` tells why.
bool RewriteChapterKeys(Collection& db, File& f, const std::vector<uint32_t>& entries, int64_t key,
                        std::vector<Rewritten>& done, int& error) {
  AppContext& ctx = db.ctx();
  Dialogs& d = db.dialogs();
  bool ok = f.valid();
  for (size_t i = 0; i < entries.size() && ok; ++i) {
    d.ProgressUpdate("Moving Recipes", "", double(i), double(entries.size()));
    const uint64_t at = uint64_t(db.Entry(entries[i]).fileOffset());
    uint8_t header[kRecordHeaderSize];
    f.Seek(at);
    if (f.Read(header, kRecordHeaderSize) != int64_t(kRecordHeaderSize) || !HasRecordMagic(header)) continue;
    // A record half rewritten is put back as well.
    done.push_back({at, int64_t(GetLE64(header + kHdrWriteStamp)), int64_t(GetLE64(header + kHdrChapterKey))});
    ok = WriteHeaderValue(f, at + kHdrChapterKey, key) && WriteHeaderValue(f, at + kHdrWriteStamp, ctx.ids.Make());
  }
  if (ok && f.Sync()) return true;
  error = f.lastError() ? f.lastError() : EIO;
  PutBack(f, done);
  return false;
}

}  // namespace

bool TransferCheckedRecipes(Collection& db, bool move, int64_t chapterKey) {
  const std::vector<uint32_t> entries = CheckedRecipes(db);
  if (entries.empty()) return false;
  AppContext& ctx = db.ctx();
  Dialogs& d = db.dialogs();
  const ChapterState chapters = db.RememberChapterState();
  const RecipeChecks checks = RememberRecipeChecks(db);
  const ListModel& list = db.recipeList();
  const int firstAt = int(std::find(list.entries.begin(), list.entries.end(), entries.front()) - list.entries.begin());
  const int scroll = list.scroll;

  bool ok = true;
  d.ProgressOpen();
  if (move) {
    int error = 0;
    std::vector<Rewritten> done;
    File f = File::Open(OpenMode::Update, ctx.files.recipe);
    ok = RewriteChapterKeys(db, f, entries, chapterKey, done, error);
    if (!ok) ReportWriteFailure(ctx, ctx.files.recipe, error);
    if (ok) {
      for (uint32_t e : entries) db.index().Set64(e + kEntChapterKey, chapterKey);
      // A failed save is reported there; the old index file stays, so the
      // records get their old chapters back.
      ok = db.SortAndSaveIndex();
      if (!ok) PutBack(f, done);
    }
  } else {
    for (size_t i = 0; i < entries.size() && ok; ++i) {
      d.ProgressUpdate("Copying Recipes", "", double(i), double(entries.size()));
      db.LoadCurrent(uint64_t(db.Entry(entries[i]).fileOffset()));
      if (db.current().kind() != kKindRecipe && db.current().kind() != kKindInfo) continue;
      db.current().setChapterKey(chapterKey);
      db.current().setRecordId(ctx.ids.Make());
      if (db.AppendCurrent() == kNoEntry) {
        ReportWriteFailure(ctx, ctx.files.recipe, db.lastError());
        db.AbandonChanges();
        ok = false;
      }
    }
    if (ok) ok = db.SortAndSaveIndex();
  }
  d.ProgressClose();
  db.ClearCurrent();

  db.LoadMasterIndex();
  db.RestoreChapterState(chapters);
  db.BuildRecipeList();
  RestoreRecipeChecks(db, checks);
  ListModel& after = db.recipeList();
  if (move && ok) after.current = firstAt;
  after.ClampCurrent();
  after.scroll = scroll;
  return ok;
}

bool DeleteSelectedCommand(Collection& db) {
  if (CheckedRecipes(db).empty()) {
    db.dialogs().Message(kNoRecipesSelected, "OK", 1);
    return false;
  }
  if (db.dialogs().Message(kConfirmDeleteSelected, "OK|Cancel", 1) != 1) return false;
  return DeleteCheckedRecipes(db);
}

bool DeleteCheckedRecipes(Collection& db) {
  const std::vector<uint32_t> entries = CheckedRecipes(db);
  if (entries.empty()) return false;
  Dialogs& d = db.dialogs();
  const ChapterState chapters = db.RememberChapterState();
  const ListModel& list = db.recipeList();
  const int firstAt = int(std::find(list.entries.begin(), list.entries.end(), entries.front()) - list.entries.begin());
  const int scroll = list.scroll;

  d.ProgressOpen();
  d.ProgressUpdate("Deleting Recipes", "", 0, double(entries.size()));
  bool ok = db.MarkEntriesDeleted(entries);
  d.ProgressUpdate("Deleting Recipes", "", double(entries.size()), double(entries.size()));
  if (ok) ok = db.SaveIndex();
  d.ProgressClose();
  if (!ok) db.LoadMasterIndex();

  db.RestoreChapterState(chapters);
  db.BuildRecipeList();
  ListModel& after = db.recipeList();
  for (uint32_t e : after.entries) db.SetChecked(e, false);
  after.current = firstAt;
  after.ClampCurrent();
  if (!after.entries.empty()) db.SetChecked(after.entries[size_t(after.current)], true);
  after.scroll = scroll;
  return ok;
}

}  // namespace pantrela
