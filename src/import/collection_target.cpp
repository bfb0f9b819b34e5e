#include "import/collection_target.h"

#include <cerrno>

#include "foundation/shell.h"

namespace pantrela {

std::vector<std::pair<std::string, int64_t>> CollectionImportTarget::UserChapters() {
  std::vector<std::pair<std::string, int64_t>> chapters;
  for (uint32_t off : collection_.EntryOffsets()) {
    EntryView e = collection_.Entry(off);
    if (e.kind() == kKindChapter && e.chapterKey() > kReservedKeyMax)
      chapters.emplace_back(std::string(e.title()), e.chapterKey());
  }
  return chapters;
}

void CollectionImportTarget::Failed(const std::string& path) {
  const std::string name = path.substr(path.rfind('/') + 1);
  failure_ = name + ":|" + SystemErrorText(collection_.lastError() ? collection_.lastError() : EIO);
}

bool CollectionImportTarget::AppendRecord(const CurrentRecord& record) {
  if (!failure_.empty()) return false;
  collection_.current() = record;
  if (collection_.AppendCurrent() == kNoEntry) {
    Failed(collection_.ctx().files.recipe);
    return false;
  }
  ++appended_;
  return true;
}

void CollectionImportTarget::AbandonImport() {
  collection_.AbandonChanges();
  collection_.BuildChapterList();
  collection_.BuildRecipeList();
  appended_ = 0;
}

void CollectionImportTarget::FinishImport(int stored, int64_t lastChapter, int64_t lastRecordId) {
  if (appended_ == 0) return;
  // A failed save has already been reported and taken back.
  if (!collection_.SortAndSaveIndex()) {
    Failed(collection_.ctx().files.index);
    collection_.BuildChapterList();
    collection_.BuildRecipeList();
    return;
  }
  collection_.BuildChapterList();
  if (stored == 0) {
    collection_.BuildRecipeList();
    return;
  }
  collection_.ChooseChapter(lastChapter);
  collection_.BuildRecipeList();
  ListModel& recipes = collection_.recipeList();
  for (int i = 0; i < recipes.count(); ++i) {
    EntryView e = collection_.Entry(recipes.entries[size_t(i)]);
    if (e.recordId() == lastRecordId) {
      // The new recipe becomes current and, as after every list build, the
      // one checked recipe of the list.
      recipes.current = i;
      for (uint32_t off : recipes.entries) collection_.SetChecked(off, false);
      collection_.SetChecked(recipes.entries[size_t(i)], true);
      collection_.LoadCurrent(uint64_t(e.fileOffset()));
      break;
    }
  }
}

}  // namespace pantrela
