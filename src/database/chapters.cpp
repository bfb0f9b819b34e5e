// Chapter list, recipe list and the chapter menu.
#include <algorithm>
#include <unordered_set>

#include "database/collection.h"
#include "foundation/file.h"
#include "foundation/numtext.h"
#include "foundation/progress.h"

namespace pantrela {

void Collection::BuildChapterList() {
  chapters_.entries.clear();
  for (size_t off = 0; off < index_.size();) {
    uint8_t len = index_.Get8(off);
    if (len < kEntryFixed) break;
    if (index_.Get8(off + kEntKind) == kKindChapter) chapters_.entries.push_back(uint32_t(off));
    off += len;
  }
  ctx_.Log("Build Chapter List: " + Spaced(chapters_.count()) + " chapters");
  chapters_.totalHeight = chapters_.itemHeight * chapters_.count();
  chapters_.ClampCurrent();
  for (uint32_t e : chapters_.entries) SetChecked(e, false);
  if (!chapters_.entries.empty()) SetChecked(chapters_.entries[size_t(chapters_.current)], true);
}

int64_t Collection::CurrentChapterKey() const {
  if (chapters_.entries.empty()) return kChapterAll;
  int pos = std::clamp(chapters_.current, 0, chapters_.count() - 1);
  return Entry(chapters_.entries[size_t(pos)]).chapterKey();
}

std::vector<int64_t> Collection::CheckedChapterKeys() const {
  std::vector<int64_t> keys;
  for (uint32_t e : chapters_.entries) {
    EntryView v = Entry(e);
    if (v.chapterKey() > kReservedKeyMax && (v.flags() & kFlagChecked)) keys.push_back(v.chapterKey());
  }
  return keys;
}

void Collection::BuildRecipeList() {
  std::vector<int64_t> checked = CheckedChapterKeys();
  std::sort(checked.begin(), checked.end());
  const int64_t k = CurrentChapterKey();
  if (k == kChapterMeals && mealPlan_) mealPlan_->EnsureLoaded();

  recipes_.entries.clear();
  for (size_t off = 0; off < index_.size();) {
    uint8_t len = index_.Get8(off);
    if (len < kEntryFixed) break;
    EntryView e = Entry(uint32_t(off));
    uint8_t kind = e.kind();
    if (kind == kKindRecipe || kind == kKindInfo) {
      bool take = false;
      if (k == kChapterAll) take = true;
      else if (k == kChapterSearch) take = e.flags() & kFlagHit;
      else if (k == kChapterPhotos) take = e.flags() & kFlagPhoto;
      else if (k == kChapterMeals) take = mealPlan_ && mealPlan_->IsPlanned(e.recordId());
      else if (k > kReservedKeyMax) take = std::binary_search(checked.begin(), checked.end(), e.chapterKey());
      if (take) recipes_.entries.push_back(uint32_t(off));
    }
    off += len;
  }
  ctx_.Log("Build Recipe List: " + Spaced(recipes_.count()) + " recipes");
  recipes_.totalHeight = recipes_.itemHeight * recipes_.count();
  for (uint32_t e : recipes_.entries) SetChecked(e, false);
  recipes_.ClampCurrent();
  if (!recipes_.entries.empty()) SetChecked(recipes_.entries[size_t(recipes_.current)], true);
  recipes_.displayCache.assign(recipes_.entries.size(), 0xFFFFFFFFu);
}

void Collection::SelectChapterByKey(int64_t key) {
  for (size_t i = 0; i < chapters_.entries.size(); ++i)
    if (Entry(chapters_.entries[i]).chapterKey() == key) {
      chapters_.current = int(i);
      return;
    }
}

void Collection::ClearChapterChecks() {
  for (uint32_t e : chapters_.entries) SetChecked(e, false);
}

void Collection::ChooseChapter(int64_t key) {
  SelectChapterByKey(key);
  ClearChapterChecks();
  if (!chapters_.entries.empty()) {
    uint32_t e = chapters_.entries[size_t(std::clamp(chapters_.current, 0, chapters_.count() - 1))];
    if (Entry(e).chapterKey() > kReservedKeyMax) SetChecked(e, true);
  }
}

std::string Collection::ChapterNameByKey(int64_t key) const {
  for (uint32_t e : chapters_.entries)
    if (Entry(e).chapterKey() == key) return std::string(Entry(e).title());
  return {};
}

std::string Collection::ChapterDisplayName(int64_t key) const {
  for (uint32_t e : chapters_.entries)
    if (Entry(e).chapterKey() == key) return std::string(Entry(e).title());
  return kNoAssignedChapter;
}

int64_t Collection::FindChapterByName(std::string_view name) const {
  const std::string wanted = LowerAscii(TrimSpaces(name));
  for (uint32_t e : chapters_.entries)
    if (LowerAscii(TrimSpaces(Entry(e).title())) == wanted) return Entry(e).chapterKey();
  return 0;
}

int64_t Collection::CreateChapter(std::string_view name) {
  ClearCurrent();
  current_.title.assign(name.substr(0, kTitleWriteMax));
  const int64_t key = ctx_.ids.Make();
  current_.setChapterKey(key);
  current_.setKind(kKindChapter);
  current_.setRecordId(0);
  uint32_t entry = AppendCurrent();
  if (entry == kNoEntry) {
    ChangeFailed(ctx_.files.recipe, lastError_);
    return 0;
  }
  // Until the caller reloads, the new chapter is already findable.
  chapters_.entries.push_back(entry);
  return key;
}

int64_t Collection::FindOrCreateUserChapter(std::string_view name) {
  const std::string wanted = LowerAscii(TrimSpaces(name));
  for (uint32_t e : chapters_.entries) {
    EntryView v = Entry(e);
    if (v.kind() == kKindChapter && v.chapterKey() > kReservedKeyMax && LowerAscii(TrimSpaces(v.title())) == wanted)
      return v.chapterKey();
  }
  return CreateChapter(TrimSpaces(name));
}

ChapterState Collection::RememberChapterState() const {
  return ChapterState{CurrentChapterKey(), CheckedChapterKeys()};
}

void Collection::RestoreChapterState(const ChapterState& state) {
  SelectChapterByKey(state.currentKey);
  ClearChapterChecks();
  for (uint32_t e : chapters_.entries)
    if (std::find(state.checkedKeys.begin(), state.checkedKeys.end(), Entry(e).chapterKey()) != state.checkedKeys.end())
      SetChecked(e, true);
}

// ----- the chapter menu -----

namespace {
constexpr const char* kReservedNoEdit = "The top four chapters are reserved.||This chapter cannot be edited.";
constexpr const char* kReservedNoDelete = "The top four chapters are reserved.||This chapter cannot be deleted.";
}  // namespace

void Collection::AddChapter() {
  std::vector<FormField> fields(1);
  int button = dialogs().Form("Enter New Chapter Title", "", 1, "OK|Cancel", 60, fields);
  std::string name = fields.empty() ? std::string() : TrimSpaces(fields[0].text);
  if (button == 1 && !name.empty()) {
    int64_t key = CreateChapter(name);
    if (key != 0 && SortAndSaveIndex()) {
      LoadMasterIndex();
      ChooseChapter(key);
    } else {
      BuildChapterList();
    }
  }
  BuildRecipeList();
}

void Collection::EditChapter() {
  const int64_t key = CurrentChapterKey();
  if (key <= kReservedKeyMax || chapters_.entries.empty()) {
    dialogs().Message(kReservedNoEdit, "OK", 1);
    BuildRecipeList();
    return;
  }
  const uint32_t old = chapters_.entries[size_t(std::clamp(chapters_.current, 0, chapters_.count() - 1))];
  std::vector<FormField> fields(1);
  fields[0].text = std::string(Entry(old).title());
  int button = dialogs().Form("Edit Chapter Title", "", 1, "OK|Cancel", 100 + 60, fields);
  std::string name = fields.empty() ? std::string() : TrimSpaces(fields[0].text);
  if (button == 1 && !name.empty()) {
    ChapterState state = RememberChapterState();
    ClearCurrent();
    current_.title.assign(std::string_view(name).substr(0, kTitleWriteMax));
    current_.setChapterKey(key);
    current_.setKind(kKindChapter);
    current_.setRecordId(0);
    if (MarkDeleted(old)) {
      if (AppendCurrent() == kNoEntry) ChangeFailed(ctx_.files.recipe, lastError_);
      else SortAndSaveIndex();
    }
    LoadMasterIndex();
    RestoreChapterState(state);
  }
  BuildRecipeList();
}

void Collection::DeleteChapter() {
  const int64_t key = CurrentChapterKey();
  if (key <= kReservedKeyMax || chapters_.entries.empty()) {
    dialogs().Message(kReservedNoDelete, "OK", 1);
    BuildRecipeList();
    return;
  }
  const int pos = std::clamp(chapters_.current, 0, chapters_.count() - 1);
  const std::string name = ChapterNameByKey(key);
  const std::string question = std::string("You are about to delete the chapter|") + "|" + name + "||" +
                               "All recipes in this chapter will also be deleted.|" + "Do you want to continue?";
  if (dialogs().Message(question, "OK|Cancel", 2) != 1) {
    BuildRecipeList();
    return;
  }
  const int64_t nextKey = Entry(chapters_.entries[size_t(pos > 0 ? pos - 1 : 0)]).chapterKey();
  ProgressScope progress(ctx_);
  const double total = double(index_.size());
  std::vector<uint32_t> doomed;
  for (size_t off = 0; off < index_.size();) {
    uint8_t len = index_.Get8(off);
    if (len < kEntryFixed) break;
    progress.Update("Deleting Chapter", "", double(off), total);
    EntryView e = Entry(uint32_t(off));
    if (e.chapterKey() == key && e.kind() != kKindDeleted) doomed.push_back(uint32_t(off));
    off += len;
  }
  progress.Close();
  if (MarkEntriesDeleted(doomed)) SortAndSaveIndex();
  LoadMasterIndex();
  ChooseChapter(nextKey);
  BuildRecipeList();
}

void Collection::RemoveEmptyChapters() {
  const std::string question = std::string("You are about to delete all chapters|") + "that do not contain recipes.||" +
                               "Do you wish to continue?";
  if (dialogs().Message(question, "OK|Cancel", 2) != 1) {
    BuildRecipeList();
    return;
  }
  std::unordered_set<int64_t> used;
  std::vector<uint32_t> offsets = EntryOffsets();
  for (uint32_t off : offsets) {
    EntryView e = Entry(off);
    if (e.kind() == kKindRecipe || e.kind() == kKindInfo) used.insert(e.chapterKey());
  }
  ProgressScope progress(ctx_);
  std::vector<uint32_t> doomed;
  for (size_t i = 0; i < offsets.size(); ++i) {
    progress.Update("Removing Empty Chapters", "", double(i), double(offsets.size()));
    EntryView e = Entry(offsets[i]);
    if (e.kind() == kKindChapter && e.chapterKey() > kReservedKeyMax && !used.count(e.chapterKey()))
      doomed.push_back(offsets[i]);
  }
  progress.Close();
  if (MarkEntriesDeleted(doomed)) SortAndSaveIndex();
  LoadMasterIndex();
  ChooseChapter(kChapterAll);
  BuildRecipeList();
}

void Collection::FindChapters() {
  std::vector<FormField> fields(1);
  int button = dialogs().Form("Find Chapters", "", 1, "OK|Cancel", 30, fields);
  const std::string text = fields.empty() ? std::string() : LowerAscii(TrimSpaces(fields[0].text));
  if (button != 1 || text.empty()) {
    BuildRecipeList();
    return;
  }
  ClearChapterChecks();
  ProgressScope progress(ctx_);
  int firstMatch = -1;
  for (size_t i = 0; i < chapters_.entries.size(); ++i) {
    if (progress.Stop()) break;
    progress.Update("Searching Chapters", "", double(i), double(chapters_.entries.size()));
    EntryView e = Entry(chapters_.entries[i]);
    if (e.chapterKey() > kReservedKeyMax && LowerAscii(e.title()).find(text) != std::string::npos) {
      SetChecked(chapters_.entries[i], true);
      if (firstMatch < 0) firstMatch = int(i);
    }
  }
  progress.Close();
  if (firstMatch >= 0) chapters_.current = firstMatch;
  else SelectChapterByKey(kChapterAll);
  BuildRecipeList();
}

}  // namespace pantrela
