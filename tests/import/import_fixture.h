// A data folder with an open collection, for import tests, and a reader of
// what ended up in the recipe file.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "database/collection.h"
#include "foundation/context.h"
#include "import/collection_target.h"
#include "import/recipe_builder.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

namespace pantrela::testing {

struct StoredRecipe {
  std::string title;
  std::string ingredients;
  std::string directions;
  std::string chapter;
  int kind = 0;
  int servings = 0;
  std::string photo;
};

class ImportTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // Recipes and information texts in the order they were appended.
  std::vector<StoredRecipe> Stored();
  // Writes the text to a file in the data folder and imports it.
  int ImportText(const std::string& text, int format = 19, const std::string& name = "in.mmf");
  // Imports the files with a fresh collection object each time.
  int ImportList(const std::vector<std::string>& files, int& format);
  // Starts again with an empty collection.
  void StartEmpty();
  // Empties the data folder's "temp/" folder.
  void EmptyTemp();

  TempDir dir;
  AppContext ctx;
  ScriptedDialogs dialogs;
  std::unique_ptr<Collection> collection;
};

// CR-separated text as lines (for readable failure output).
std::vector<std::string> Lines(const std::string& text);

}  // namespace pantrela::testing
