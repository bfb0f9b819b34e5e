#include "database/editing.h"

#include "database/master_index.h"
#include "database/photo.h"

namespace pantrela {

int FindInRecipeList(const Collection& collection, int64_t recordId) {
  const ListModel& list = collection.recipeList();
  for (int i = 0; i < list.count(); ++i)
    if (collection.Entry(list.entries[size_t(i)]).recordId() == recordId) return i;
  return -1;
}

bool SaveCurrentRecord(Collection& collection, uint32_t oldEntry, bool searchHit) {
  CurrentRecord& rec = collection.current();
  if (oldEntry == kNoEntry) {
    rec.setRecordId(collection.ctx().ids.Make());
  }
  const ChapterState state = collection.RememberChapterState();
  const uint32_t entry = collection.AppendCurrent();
  if (entry == kNoEntry) {
    collection.ctx().Log("Save Record - Unable to write " + collection.ctx().files.recipe);
    collection.dialogs().Message(kSaveFailed, "OK", 1);
    return false;
  }
  if (searchHit) collection.SetEntryFlag(entry, kFlagHit, true);
  if (oldEntry != kNoEntry) collection.MarkDeleted(oldEntry);
  const int64_t id = rec.recordId();
  const int64_t chapter = rec.chapterKey();
  collection.SortAndSaveIndex();
  collection.LoadMasterIndex();
  collection.RestoreChapterState(state);
  if (chapter != collection.CurrentChapterKey() && chapter > kReservedKeyMax &&
      !collection.ChapterNameByKey(chapter).empty())
    collection.ChooseChapter(chapter);
  collection.BuildRecipeList();
  const int at = FindInRecipeList(collection, id);
  if (at >= 0) collection.recipeList().current = at;
  return true;
}

bool DeleteRecipeAt(Collection& collection, int position) {
  ListModel& list = collection.recipeList();
  if (position < 0 || position >= list.count()) return false;
  const ChapterState state = collection.RememberChapterState();
  collection.MarkDeleted(list.entries[size_t(position)]);
  collection.SortAndSaveIndex();
  collection.LoadMasterIndex();
  collection.RestoreChapterState(state);
  collection.BuildRecipeList();
  collection.recipeList().current = position;
  collection.recipeList().ClampCurrent();
  return true;
}

bool HasPhoto(const CurrentRecord& record) { return record.photo.size() >= 32; }

std::string PhotoFileName(const std::string& nameIn, const std::string& photo) {
  std::string name = nameIn.empty() ? std::string("Pantrela Photo") : nameIn;
  std::string type = PhotoType(photo);
  if (type.empty()) return name;
  type = LowerAscii(type);
  const size_t slash = name.rfind('/');
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) name.resize(dot);
  return name + "." + type;
}

}  // namespace pantrela
