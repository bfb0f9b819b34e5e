// Running an export: the export index (the ticked recipes in chapter-then-
// title order), the outputs the bytes go to, and the common writer loop
// with its progress and key-stop.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "database/collection.h"
#include "export/writers.h"

namespace pantrela {

// Positions of master-index entries, in the order every writer emits them.
using ExportIndex = std::vector<uint32_t>;

// Where an export's bytes go. Write answers false once the bytes could not
// be stored; the loop then stops.
class ExportOutput {
 public:
  virtual ~ExportOutput() = default;
  virtual bool Write(std::string_view bytes) = 0;
};

// Bytes kept in memory.
class StringOutput : public ExportOutput {
 public:
  bool Write(std::string_view bytes) override {
    text.append(bytes);
    return true;
  }
  std::string text;
};

// A file written under a temporary name in the target's folder and renamed
// over the target only when every byte is on disk, so a failed or stopped
// export never leaves half a file under the chosen name.
class ExportFileOutput : public ExportOutput {
 public:
  explicit ExportFileOutput(std::string target);
  ~ExportFileOutput() override;
  ExportFileOutput(const ExportFileOutput&) = delete;
  ExportFileOutput& operator=(const ExportFileOutput&) = delete;

  // Creates the temporary file (exclusively, never through a link).
  bool Open();
  bool Write(std::string_view bytes) override;
  // Syncs the temporary file and renames it over the target.
  bool Commit();
  // Removes the temporary file (also done by the destructor when not committed).
  void Abandon();
  // The system error number of the failure (0 when none).
  int error() const { return error_; }
  const std::string& target() const { return target_; }

 private:
  std::string target_;
  std::string temp_;
  class Impl;
  Impl* impl_ = nullptr;
  int error_ = 0;
  bool committed_ = false;
};

// The title page of an e-book or cookbook. Without one the writer asks
// with its book prompt.
struct BookDetails {
  std::string title;
  std::string subtitle;
  std::string author;
  std::string pageSize;  // a page size name of the cookbook; "" for the default
};

// What an export reads besides the collection.
struct ExportJob {
  Collection& collection;
  Dialogs& dialogs;
  ExportStyle style;
  const BookDetails* book = nullptr;
};

// The style the program writes with: its settings and the vendor's address.
ExportStyle ExportStyleOf(const AppContext& ctx);

enum class ExportStatus {
  kDone,      // every recipe written
  kStopped,   // a key was typed; the recipes so far were written
  kFailed,    // the output could not take the bytes
  kNoWriter,  // the format has no writer in this build
  kCancelled, // the book prompt was cancelled; nothing was written
};

// The entries of `list` whose ticked flag is set, in list order, with the
// progress "Building Export Index".
ExportIndex CollectTickedRecipes(ExportJob& job, const std::vector<uint32_t>& list);
// Orders the index by chapter name + " - " + title, trimmed and lower-cased,
// compared byte by byte.
void SortExportIndex(const Collection& collection, ExportIndex& index);
// True for the formats this build can write.
bool HasExportWriter(int code);
// The writer loop of format `code` over the index (progress "Exporting
// Recipes", the key-stop after each recipe). Codes without a writer write
// nothing and give kNoWriter.
ExportStatus WriteExport(ExportJob& job, const ExportIndex& index, int code, ExportOutput& out);

// The result of writing one export file.
struct ExportFileResult {
  ExportStatus status = ExportStatus::kFailed;
  int error = 0;       // system error number when it failed
  bool created = false;  // the file exists under its name afterwards
};
// Collects and sorts the ticked recipes of the shown recipe list and writes
// format `code` to folder + fileName. A failed export leaves any file that
// was there before untouched; a stopped one keeps the recipes written so far.
ExportFileResult BuildExportIndex(ExportJob& job, const std::string& folder, const std::string& fileName, int code);
// The same for a given export index (already sorted).
ExportFileResult WriteExportFile(ExportJob& job, const ExportIndex& index, const std::string& path, int code);

}  // namespace pantrela
