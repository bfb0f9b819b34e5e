// Running an import: collecting files from the clipboard and importing a
// list of files with their format readers.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace pantrela {

struct AppContext;
class ImportTarget;
struct ImportSkip;
class ManualImportView;

// Where the help page about antivirus programs that block the clipboard is
// (under the configured vendor site).
std::string AntivirusHelpAddress();

// What an import needs of the clipboard.
class ImportClipboard {
 public:
  virtual ~ImportClipboard() = default;
  // False when the clipboard cannot be opened.
  virtual bool Open() = 0;
  virtual void Close() {}
  // True when the clipboard holds a dropped-file list; `files` receives it.
  virtual bool FileDropList(std::vector<std::string>& files) = 0;
  // True when the clipboard holds Unicode text; `text` receives it as UTF-8.
  virtual bool UnicodeText(std::string& text) = 0;
};

// The system clipboard (see platform/clipboard.h): files copied in a file
// manager are its file list; text arrives with CR LF line ends.
class SystemClipboard : public ImportClipboard {
 public:
  bool Open() override { return true; }
  bool FileDropList(std::vector<std::string>& files) override;
  bool UnicodeText(std::string& text) override;
};

// Appends the clipboard's files to the list, or writes its text to
// "Temp.dat" and makes that the list's one entry. Without text the user is
// told, and "Antivirus" hands the help address to `openAddress`.
void ImportFromClipboard(AppContext& ctx, ImportClipboard& clipboard, std::vector<std::string>& list,
                         const std::function<void(const std::string&)>& openAddress = {});

// Imports every file of the list with the format `format` (0 detects it per
// file; the detected code replaces `format` so it stays in force for the
// following files and later imports). Cleans "Temp.dat" and "temp/" up
// afterwards and lets the target sort, save and reload. Returns the number
// of recipes stored.
// Manual import (format 1, and a file detection does not recognise) runs
// on `manual`, the screen; without one the user is told the format was not
// recognized. The end of a run is written to the status log: the number of
// recipes stored and of entries skipped, then one line per skip with its
// file, position and reason; `skipped` (when given) receives the skips.
int ImportFiles(AppContext& ctx, ImportTarget& target, int& format, const std::vector<std::string>& list,
                ManualImportView* manual = nullptr, std::vector<ImportSkip>* skipped = nullptr);

// The summary line of a run ("12 recipes stored, 1 entry skipped") and the
// line of one skip ("file.xml, recipe 3: the recipe has no category").
std::string ImportSummaryLine(int stored, size_t skipped);
std::string ImportSkipLine(const ImportSkip& skip);

}  // namespace pantrela
