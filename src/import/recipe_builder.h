// The recipe builder every importer shares: a reader resets it, adds
// ingredient and direction text piece by piece, and stores the recipe, which
// tidies the texts, finds or creates the chapter and appends the record.
// Where the records go is an ImportTarget, so a batch of thousands of
// recipes is appended and synced once at its end.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "database/record.h"
#include "foundation/bytes.h"

namespace pantrela {

struct AppContext;

inline constexpr const char* kImportedChapter = "* Imported Recipes";
inline constexpr const char* kUntitledRecipe = "* Untitled Recipe";

// The collection as an import sees it.
class ImportTarget {
 public:
  virtual ~ImportTarget() = default;
  // Every user chapter (kind 2 entry) of the index as (name, key), read once
  // when an import run starts.
  virtual std::vector<std::pair<std::string, int64_t>> UserChapters() = 0;
  // Appends the record (one write, no sync); false when it could not be
  // written.
  virtual bool AppendRecord(const CurrentRecord& record) = 0;
  // End of a run: when anything was appended, sync the recipe file once,
  // then sort, save and reload the index; make the chapter and recipe of
  // the last stored record current.
  virtual void FinishImport(int stored, int64_t lastChapter, int64_t lastRecordId) = 0;
  // A failed run: everything appended since the run began is taken back.
  virtual void AbandonImport() {}
  // Why the last append or the finish failed ("" while nothing failed): the
  // file's name, ":|" and the system's reason.
  virtual std::string FailureText() const { return {}; }
};

// Lines kept by readers that look ahead: 200-byte slots, each a
// zero-terminated text of at most 199 bytes (longer text is cut); the
// buffer grows by 20000 bytes when the next slot would not fit.
class LineTable {
 public:
  static constexpr size_t kSlot = 200;
  static constexpr size_t kGrowth = 20000;
  void Add(std::string_view text);
  std::string Get(size_t i) const { return image_.GetZ(i * kSlot); }
  size_t count() const { return count_; }
  bool empty() const { return count_ == 0; }
  void Clear() { count_ = 0; }

 private:
  ByteImage image_;
  size_t count_ = 0;
};

inline void AddTableLine(LineTable& table, std::string_view text) { table.Add(text); }

// Skips leading and trailing bytes of value 32 or less, keeps at most two
// CR in a row, drops a space after a CR or a space, and ends a non-empty
// text with one CR.
void TidyText(std::string& text);

// The stored form of an imported title (see the rules in the source).
std::string CleanImportTitle(std::string title);

// The host of a source address ("" when it has no "//").
std::string SourceHost(std::string_view address);

// An entry of an import file that was not stored: which file, where in it
// ("line 12", "recipe 3") and why.
struct ImportSkip {
  std::string file;
  std::string position;
  std::string reason;
};

class RecipeBuilder {
 public:
  RecipeBuilder(AppContext& ctx, ImportTarget& target);

  // Starts a new recipe: header zeroed, texts and photo emptied.
  void ResetImportRecipe();
  void AddIngredientText(std::string text);
  void AddDirectionText(std::string text);
  // Finishes and appends the recipe. Returns its record ID (0 when the record
  // could not be written); `chapter` receives its chapter key.
  int64_t StoreImportedRecipe(const std::string& source, const std::string& title, std::string category,
                              int servings, int64_t& chapter);

  // Chapter of that name (trimmed, case-insensitive), or 0. Looked up in a
  // table made once per run, not by walking the index.
  int64_t FindChapterByName(const std::string& name);
  // Appends a chapter record (name cut to 220) and returns its new key.
  int64_t CreateChapter(const std::string& name);

  CurrentRecord& record() { return rec_; }
  // Recipes stored through this builder, and the last one's chapter and ID.
  int stored() const { return stored_; }
  int64_t lastChapter() const { return lastChapter_; }
  int64_t lastRecordId() const { return lastRecordId_; }
  // Ends the run on the target (sync, sort, save, reload).
  void Finish() { target_.FinishImport(stored_, lastChapter_, lastRecordId_); }

  AppContext& ctx() { return ctx_; }

  // The file being read, for the skip notes.
  void SetFile(const std::string& file) { file_ = file; }
  const std::string& file() const { return file_; }
  // Where the entry being read starts ("line 12", "recipe 3").
  void SetEntryPosition(std::string position) { position_ = std::move(position); }
  // Notes that the entry being read is not stored, and why.
  void NoteSkipped(std::string reason);
  const std::vector<ImportSkip>& skipped() const { return skipped_; }

 private:
  static std::string Key(const std::string& name);
  void LoadChapters();

  AppContext& ctx_;
  ImportTarget& target_;
  CurrentRecord rec_;
  bool chaptersLoaded_ = false;
  std::unordered_map<std::string, int64_t> chapters_;
  std::string file_;
  std::string position_;
  std::vector<ImportSkip> skipped_;
  int stored_ = 0;
  int64_t lastChapter_ = 0;
  int64_t lastRecordId_ = 0;
};

}  // namespace pantrela
