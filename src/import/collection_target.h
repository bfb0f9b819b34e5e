// The collection as the target of an import: records are appended to the
// recipe file and index image one by one; at the end of the run the file is
// synced once, the index sorted, saved and reloaded, and the last stored
// recipe becomes current. The run is one change of the collection (see
// database/journal.h): when a write fails, or the program is killed before
// the index is saved, none of its records stays.
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
  void AbandonImport() override;
  std::string FailureText() const override { return failure_; }
  int appended() const { return appended_; }

 private:
  void Failed(const std::string& path);

  Collection& collection_;
  int appended_ = 0;
  std::string failure_;
};

}  // namespace pantrela
