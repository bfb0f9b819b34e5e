// The collection as the target of an import: records are appended to the
// recipe file and index image one by one; at the end of the run the file is
// synced once, the index sorted, saved and reloaded, and the last stored
// recipe becomes current.
#pragma once

#include "database/collection.h"
#include "import/recipe_builder.h"

namespace pantrela {

class CollectionImportTarget : public ImportTarget {
 public:
  explicit CollectionImportTarget(Collection& collection) : collection_(collection) {}
  std::vector<std::pair<std::string, int64_t>> UserChapters() override;
  bool AppendRecord(const CurrentRecord& record) override;
  void FinishImport(int stored, int64_t lastChapter, int64_t lastRecordId) override;
  int appended() const { return appended_; }

 private:
  Collection& collection_;
  int appended_ = 0;
};

}  // namespace pantrela
