#include "import/import_files.h"

#include <algorithm>

#include "foundation/codepage.h"
#include "foundation/context.h"
#include "foundation/file.h"
#include "foundation/numtext.h"
#include "foundation/vendor.h"
#include "import/import_formats.h"
#include "import/manual_import.h"
#include "import/recipe_builder.h"
#include "ingredients/ingredient_line.h"
#include "platform/clipboard.h"
#include "web/entities.h"

namespace pantrela {

std::string AntivirusHelpAddress() { return VendorAddressesFromEnvironment().antivirus; }
namespace {

std::string FileName(const std::string& path) {
  size_t cut = path.find_last_of('/');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The last part of a path as messages show it (Windows-1252); the path
// itself stays as the file system gave it.
std::string ShownFileName(const std::string& path) { return FileNameForDisplay(FileName(path)); }

}  // namespace

bool SystemClipboard::FileDropList(std::vector<std::string>& files) { return platform::ReadClipboardFiles(files); }

bool SystemClipboard::UnicodeText(std::string& text) { return platform::ReadClipboardText(text); }

void ImportFromClipboard(AppContext& ctx, ImportClipboard& clipboard, std::vector<std::string>& list,
                         const std::function<void(const std::string&)>& openAddress) {
  Dialogs& dialogs = ctx.dialogs();
  if (!clipboard.Open()) {
    dialogs.Message("Failure Opening Clipboard (IFC)", "OK", 1);
    return;
  }
  std::vector<std::string> files;
  std::string utf8;
  if (clipboard.FileDropList(files)) {
    clipboard.Close();
    list.insert(list.end(), files.begin(), files.end());
    return;
  }
  if (!clipboard.UnicodeText(utf8)) {
    clipboard.Close();
    int button = dialogs.Message(
        "There is no text on the clipboard.||If you are having difficulties importing from the clipboard|"
        "make sure your antivirus software is not blocking the clipboard.|"
        "Click the ANTIVIRUS button for assistance.",
        "Antivirus|Cancel", 1);
    if (button == 1 && openAddress) openAddress(AntivirusHelpAddress());
    return;
  }
  clipboard.Close();
  std::string text = MapClipboardUtf8(utf8);
  CollapseSpaces(text);
  File out = File::Open(OpenMode::Write, ctx.files.scratchImport);
  if (!out.WriteAll(text)) {
    ReportWriteFailure(ctx, ctx.files.scratchImport, out.lastError());
    out.Close();
    DeleteFile(ctx.files.scratchImport);
    return;
  }
  out.Close();
  list.assign(1, ctx.files.scratchImport);
}

std::string ImportSummaryLine(int stored, size_t skipped) {
  return Plain(int64_t(stored)) + (stored == 1 ? " recipe" : " recipes") + " stored, " + Plain(int64_t(skipped)) +
         (skipped == 1 ? " entry" : " entries") + " skipped";
}

std::string ImportSkipLine(const ImportSkip& skip) {
  return FileName(skip.file) + ", " + skip.position + ": " + skip.reason;
}

int ImportFiles(AppContext& ctx, ImportTarget& target, int& format, const std::vector<std::string>& list,
                ManualImportView* manual, std::vector<ImportSkip>* skipped) {
  Dialogs& dialogs = ctx.dialogs();
  if (list.empty()) {
    dialogs.Message("There are no files to import", "OK", 1);
    DeleteFile(ctx.files.scratchImport);
    return 0;
  }
  const std::map<int, FormatReader> readers = ImportReaders();
  RecipeBuilder builder(ctx, target);
  const size_t count = list.size();
  for (size_t n = 0; n < count && !ctx.Quitting() && target.FailureText().empty(); ++n) {
    std::string file = list[n];
    const std::string label = count > 1 ? "File " + Plain(int64_t(n + 1)) + " of " + Plain(int64_t(count)) : "";
    // What keeps a file from being read is said before any reader opens it;
    // a FIFO or device is never opened (it would block).
    if (const std::string why = UnreadableReason(file); !why.empty()) {
      ctx.Log("Import: " + file + " " + why);
      dialogs.Message(ShownFileName(file) + " " + why, "OK", 1);
      continue;
    }
    if (format == kFormatDetect) DetectImportFormat(ctx, file, format);
    int64_t chapter = 0, recordId = 0;
    bool cancel = false;
    builder.SetFile(file);
    auto reader = readers.find(format);
    if (reader != readers.end()) {
      reader->second(builder, file, label, chapter, recordId, cancel);
    } else if (manual) {
      // Manual import, also for a file detection did not recognise.
      ManualImport(builder, *manual, file, chapter, recordId, cancel);
    } else {
      dialogs.Message("The format of this file was not recognized:||" + ShownFileName(file), "OK", 1);
    }
    if (cancel) break;
  }
  DeleteFile(ctx.files.scratchImport);
  EmptyFolder(ctx.files.dataFolder + "temp/");
  if (const std::string failure = target.FailureText(); !failure.empty()) {
    // A record could not be written: the whole run is taken back.
    target.AbandonImport();
    std::string line = failure;
    std::replace(line.begin(), line.end(), '|', ' ');
    ctx.Log("Import: unable to write " + line);
    dialogs.Message("Unable to write " + failure + "||No recipes were imported.", "OK", 1);
    return 0;
  }
  builder.Finish();
  // A failed save was reported and taken back by the target.
  if (!target.FailureText().empty()) return 0;
  ctx.Log("Import: " + ImportSummaryLine(builder.stored(), builder.skipped().size()));
  for (const ImportSkip& skip : builder.skipped()) ctx.Log("Import skipped: " + ImportSkipLine(skip));
  if (skipped) *skipped = builder.skipped();
  return builder.stored();
}

int ManualImportTextFile(AppContext& ctx, ImportTarget& target, ManualImportView& view, const std::string& file) {
  RecipeBuilder builder(ctx, target);
  builder.SetFile(file);
  int64_t chapter = 0, recordId = 0;
  bool cancel = false;
  ManualImport(builder, view, file, chapter, recordId, cancel);
  builder.Finish();
  ctx.Log("Import: " + ImportSummaryLine(builder.stored(), builder.skipped().size()));
  return builder.stored();
}

}  // namespace pantrela
