// A data folder with a collection to export from: recipes are added by
// chapter name, ticked, and read back after an import.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include <memory>
#include <string>
#include <vector>

#include "database/collection.h"
#include "export/export_run.h"
#include "foundation/context.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

namespace pantrela::testing {

// A file-size limit standing in for a full disk: writes past `bytes` fail
// with EFBIG while it lives.
class FullDisk {
 public:
  explicit FullDisk(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    old_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit l = saved_;
    l.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &l);
  }
  ~FullDisk() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, old_);
  }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

 private:
  rlimit saved_{};
  void (*old_)(int) = nullptr;
};

struct RecipeData {
  std::string chapter;
  std::string title;
  std::string ingredients;
  std::string directions;
  int servings = 0;
  int kind = 0;
  std::string photo;
};

class ExportTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // Appends the recipes, sorts and saves the index and shows "All Recipes".
  void Add(const std::vector<RecipeData>& recipes);
  // Ticks the recipes of the shown list with these titles (all when empty)
  // and unticks the rest.
  void Tick(const std::vector<std::string>& titles = {});
  // The job the writers run with (the placeholder vendor address).
  ExportJob Job();
  // Every recipe and information text of the collection, in file order.
  std::vector<RecipeData> Stored();

  TempDir dir;
  AppContext ctx;
  ScriptedDialogs dialogs;
  std::unique_ptr<Collection> collection;
};

}  // namespace pantrela::testing
