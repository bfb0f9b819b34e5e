// The recipe collection: the recipe file "Recipe860.dat", the master index
// image of "Index860.dat", the chapter and recipe lists built over it and the
// current record. One object per data folder; it refers to the application
// context for paths, the log, record IDs, the busy mark and the dialogs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "database/master_index.h"
#include "database/record.h"
#include "foundation/bytes.h"
#include "foundation/context.h"

namespace pantrela {

// The recipes planned in the meal calendar; the calendar fills it. Without
// one the "Recipes Selected For Meals" view is empty.
class MealPlanSource {
 public:
  virtual ~MealPlanSource() = default;
  // Loads the meal list when it is not loaded yet.
  virtual void EnsureLoaded() {}
  virtual bool IsPlanned(int64_t recordId) const = 0;
};

// A list control's content: offsets of index entries, the current position
// and the scroll state. Selection marks live in flag bit 2 of the entries.
struct ListModel {
  std::vector<uint32_t> entries;
  int current = 0;
  int scroll = 0;         // pixel scroll offset
  int itemHeight = 20;    // the screen font's line height
  int visibleHeight = 0;
  int totalHeight = 0;    // itemHeight x count
  std::vector<uint32_t> displayCache;  // recipe list: one slot per entry, all bits set when reset

  int count() const { return int(entries.size()); }
  void ClampCurrent() {
    if (current >= count()) current = count() - 1;
    if (current < 0) current = 0;
  }
};

// What RememberChapterState keeps across an index reload.
struct ChapterState {
  int64_t currentKey = kChapterAll;
  std::vector<int64_t> checkedKeys;
};

inline constexpr uint32_t kNoEntry = 0xFFFFFFFFu;

class Collection {
 public:
  explicit Collection(AppContext& ctx);
  Collection(const Collection&) = delete;
  Collection& operator=(const Collection&) = delete;

  AppContext& ctx() { return ctx_; }
  Dialogs& dialogs() { return ctx_.dialogs(); }

  // ----- master index (recipe file and index) -----
  const ByteImage& index() const { return index_; }
  ByteImage& index() { return index_; }
  EntryView Entry(uint32_t off) const { return EntryView{&index_, off}; }
  std::vector<uint32_t> EntryOffsets() const { return IndexEntryOffsets(index_); }
  void SetEntryFlag(uint32_t off, uint8_t bit, bool on);
  void SetEntryKind(uint32_t off, uint8_t kind) { index_.Set8(off + kEntKind, kind); }
  void SetEntryFileOffset(uint32_t off, int64_t fileOffset) { index_.Set64(off + kEntFileOffset, fileOffset); }

  // Loads "Index860.dat", spot-checks it against the recipe file and
  // rebuilds it when it is missing or does not match; then builds the
  // chapter list. Start-up calls this once.
  void LoadMasterIndex();
  // Replaces the index by a scan of the recipe file ("Building Recipe
  // Index"), sorts and saves it and builds both lists. False when the index
  // could not be saved (reported; the image in memory is the new one).
  bool BuildIndexFromRecipeFile();
  // Sorts the image into index order and saves it atomically. Records
  // appended since the last save are synced to disk first. A failure is
  // reported through the dialogs; the changes since the last save are then
  // taken back (see AbandonChanges) and the previous index file stays.
  bool SortAndSaveIndex();
  // Saves the image as it is (after in-place changes), like SortAndSaveIndex.
  bool SaveIndex();
  // fsyncs the recipe file when records were appended or marked since the
  // last sync; the mark stays when the sync fails.
  [[nodiscard]] bool SyncRecipeFile();

  // ----- unfinished changes (see journal.h) -----
  // True while records were appended or marked deleted since the last
  // index save.
  bool changesOpen() const { return changesOpen_; }
  // Takes back every append and deletion mark since the last index save:
  // the recipe file is cut back, the marks are undone and the index image
  // is read again from its file.
  void AbandonChanges();
  // The error number of the last failed write (0 when none).
  int lastError() const { return lastError_; }

  // ----- current record -----
  CurrentRecord& current() { return current_; }
  const CurrentRecord& current() const { return current_; }
  void ClearCurrent() { current_.Clear(); }
  // Clears the current record and loads the record at `offset` into it.
  void LoadCurrent(uint64_t fileOffset);
  // Appends the current record to the recipe file (one write) and its entry
  // to the end of the index image; returns the entry's offset, or kNoEntry
  // when the record could not be written (lastError tells why; nothing of
  // the record stays in the file). The caller sorts and saves the index
  // afterwards; that save syncs the file once for any number of appends.
  uint32_t AppendCurrent();
  // Marks the entry deleted in the index and its record in the recipe file.
  bool MarkDeleted(uint32_t entryOff);
  // The same for several entries, with one journal write for all of them.
  // A failure is reported and takes the changes back.
  bool MarkEntriesDeleted(const std::vector<uint32_t>& entries);

  // ----- chapters and lists -----
  ListModel& chapterList() { return chapters_; }
  const ListModel& chapterList() const { return chapters_; }
  ListModel& recipeList() { return recipes_; }
  const ListModel& recipeList() const { return recipes_; }
  void SetMealPlanSource(MealPlanSource* source) { mealPlan_ = source; }

  void BuildChapterList();
  void BuildRecipeList();
  // Key of the chapter at the chapter list's current position (1 when empty).
  int64_t CurrentChapterKey() const;
  // Makes the chapter with that key current; nothing changes when none has it.
  void SelectChapterByKey(int64_t key);
  // Selects like a plain click: the chapter becomes current, all checks are
  // cleared and a user chapter is checked.
  void ChooseChapter(int64_t key);
  bool IsChecked(uint32_t entryOff) const { return index_.Get8(entryOff + kEntFlags) & kFlagChecked; }
  void SetChecked(uint32_t entryOff, bool on) { SetEntryFlag(entryOff, kFlagChecked, on); }
  void ClearChapterChecks();
  std::vector<int64_t> CheckedChapterKeys() const;
  std::string ChapterNameByKey(int64_t key) const;
  // The name shown for a recipe's chapter: "* No Assigned Chapter" when the
  // key matches no chapter.
  std::string ChapterDisplayName(int64_t key) const;
  // Key of the first chapter whose trimmed lower-case name equals the
  // trimmed lower-case `name`; 0 when none.
  int64_t FindChapterByName(std::string_view name) const;
  // Appends a new chapter record (name cut to 220) and returns its key. The
  // caller sorts and reloads the index.
  int64_t CreateChapter(std::string_view name);
  // The key of the user chapter of that name, created when there is none
  // (for importers; the caller sorts and saves the index afterwards).
  int64_t FindOrCreateUserChapter(std::string_view name);
  ChapterState RememberChapterState() const;
  void RestoreChapterState(const ChapterState& state);

  // Chapter menu: each asks and reports through the dialogs.
  void AddChapter();
  void EditChapter();
  void DeleteChapter();
  void RemoveEmptyChapters();
  void FindChapters();

  // ----- clean-up -----
  // Compacts the recipe file into index order ("Updating Records") and
  // repairs duplicate record IDs. False when a file could not be written
  // (reported); the recipe file and the index then hold what they held.
  bool CleanUp();
  // Returns the number of duplicates repaired, -1 when the file could not
  // be written (reported).
  int RepairDuplicateRecordIds();
  // Gives the first record in file order whose record ID equals `value` a
  // fresh record ID in place.
  void GiveRecordNewId(int64_t value);

 private:
  void Rebuild(bool announce);
  // Opens the journal of a change before its first append or mark.
  bool OpenChanges();
  // The change is saved: the journal goes.
  void CloseChanges();
  // Reports a failed write of `path`, takes the open changes back; false.
  bool ChangeFailed(const std::string& path, int error);
  // At start: finishes or takes back what a crash left unfinished.
  void RecoverUnfinishedChanges();
  // Puts the index back as it was saved (after an abandoned rebuild or
  // clean-up).
  void ReloadSavedIndex();

  AppContext& ctx_;
  ByteImage index_;
  CurrentRecord current_;
  ListModel chapters_;
  ListModel recipes_;
  MealPlanSource* mealPlan_ = nullptr;
  bool unsynced_ = false;
  bool changesOpen_ = false;
  uint64_t changesStart_ = 0;
  int lastError_ = 0;
};

// Start-up step: loads and verifies the master index and builds the chapter
// and recipe lists.
void OpenCollection(Collection& collection);

// Texts trimmed of spaces / lower-cased in A-Z only.
std::string TrimSpaces(std::string_view text);
std::string LowerAscii(std::string_view text);

}  // namespace pantrela
