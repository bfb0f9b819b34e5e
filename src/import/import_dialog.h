// The import command of the recipe screen: choose a format, whether recipes
// are sorted into the chapters their categories name, and where the recipes
// come from (a file or the clipboard); then import them. The dialog's look
// belongs to the screen, which implements ImportDialogView.
#pragma once

#include <functional>
#include <string>

namespace pantrela {

struct AppContext;
class ImportClipboard;
class ImportTarget;

// What the user did in the dialog.
enum class ImportDialogEvent { kCancel, kFormatField, kToggleChapters, kFile, kClipboard };

class ImportDialogView {
 public:
  virtual ~ImportDialogView() = default;
  // Shows the caption "Select Import Format", the format entry (without its
  // code), the check option "Sort to categories defined in recipes" and the
  // buttons "File", "Clipboard" and "Cancel"; returns the next event (the
  // format field or Tab: kFormatField; the option or D: kToggleChapters).
  virtual ImportDialogEvent Wait(const std::string& formatEntry, bool sortToCategories) = 0;
  // Where the format field is, for the popup list under it.
  virtual void FieldPosition(int& x, int& y, int& width) { x = y = 0, width = 300; }
  // Called when the dialog is left (the screen repaints).
  virtual void Leave() {}
};

// Runs the dialog and, unless it was cancelled, the import. `format` is the
// chosen format code, kept by the caller for the rest of the session.
// Returns the number of recipes stored.
int ImportRecipesDialog(AppContext& ctx, ImportTarget& target, ImportDialogView& view, ImportClipboard& clipboard,
                        int& format, const std::function<void(const std::string&)>& openAddress = {});

}  // namespace pantrela
