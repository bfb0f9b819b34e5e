#include "import/import_dialog.h"

#include <vector>

#include "foundation/context.h"
#include "foundation/file.h"
#include "import/import_files.h"
#include "import/import_formats.h"
#include "platform/system.h"

namespace pantrela {
namespace {

std::string FormatEntryShown(int format) {
  std::string entry;
  const int count = ImportFormatList(0, entry);
  for (int i = 0; i < count; ++i) {
    ImportFormatList(i, entry);
    if (ImportFormatCode(entry) == format) return entry.substr(3);
  }
  ImportFormatList(0, entry);
  return entry.substr(3);
}

}  // namespace

int ImportRecipesDialog(AppContext& ctx, ImportTarget& target, ImportDialogView& view, ImportClipboard& clipboard,
                        int& format, const std::function<void(const std::string&)>& openAddress) {
  if (ctx.Quitting()) return 0;
  std::vector<std::string> list;
  bool cancelled = false;
  bool fromFile = false;  // a file choice reports an empty list; the clipboard has said why already
  for (bool open = true; open && !ctx.Quitting();) {
    switch (view.Wait(FormatEntryShown(format), ctx.settings.import_chapter != 0)) {
      case ImportDialogEvent::kFormatField: {
        std::vector<std::string> entries;
        std::string entry;
        const int count = ImportFormatList(0, entry);
        for (int i = 0; i < count; ++i) {
          ImportFormatList(i, entry);
          entries.push_back(entry.substr(3));
        }
        int x = 0, y = 0, width = 300;
        view.FieldPosition(x, y, width);
        const int chosen = ctx.dialogs().PopupList(x, y, width, entries);
        if (chosen >= 0 && chosen < count) {
          ImportFormatList(chosen, entry);
          format = ImportFormatCode(entry);
        }
        break;
      }
      case ImportDialogEvent::kToggleChapters:
        ctx.settings.import_chapter = ctx.settings.import_chapter ? 0 : 1;
        break;
      case ImportDialogEvent::kClipboard:
        ImportFromClipboard(ctx, clipboard, list, openAddress);
        open = false;
        break;
      case ImportDialogEvent::kFile: {
        std::string folder = ctx.settings.import_path;
        if (folder.empty()) folder = platform::SpecialFolderPath(platform::SpecialFolder::Documents);
        std::string name;
        if (!ctx.dialogs().BrowseFiles("Import Recipes", folder, name)) {
          cancelled = true;
        } else {
          if (!folder.empty() && folder.back() != '/') folder += '/';
          const std::string full = name.find('/') == std::string::npos ? folder + name : name;
          if (!name.empty() && Exists(full) && !IsDirectory(full)) {
            ctx.settings.import_path = full.substr(0, full.find_last_of('/') + 1);
            SaveSettings(ctx);
            list.push_back(full);
          }
          fromFile = true;
        }
        open = false;
        break;
      }
      case ImportDialogEvent::kCancel:
        cancelled = true;
        open = false;
        break;
    }
  }
  view.Leave();
  SaveSettings(ctx);
  if (cancelled || ctx.Quitting() || (list.empty() && !fromFile)) return 0;
  return ImportFiles(ctx, target, format, list);
}

}  // namespace pantrela
