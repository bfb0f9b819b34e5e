// pantrela-cli import: imports recipe files the way the import dialog does.
#include <cstdio>
#include <cstdlib>
#include <climits>
#include <string>
#include <vector>

#include "app/cli.h"
#include "database/collection.h"
#include "foundation/numtext.h"
#include "import/collection_target.h"
#include "import/import_files.h"
#include "platform/clipboard.h"
#include "import/recipe_builder.h"

namespace pantrela::cli {
namespace {

std::string FullPath(const std::string& path) {
  char buf[PATH_MAX];
  return ::realpath(path.c_str(), buf) ? std::string(buf) : path;
}

int Import(Session& s, const std::vector<std::string>& args) {
  int format = 0;
  bool chapters = false, clipboard = false;
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--format") {
      if (++i >= args.size()) return kUsage;
      const std::string& code = args[i];
      if (code.empty() || code.find_first_not_of("0123456789") != std::string::npos) return kUsage;
      format = ValInt(code);
    } else if (args[i] == "--chapters") {
      chapters = true;
    } else if (args[i] == "--clipboard") {
      clipboard = true;
    } else if (args[i].rfind("--", 0) == 0) {
      return kUsage;
    } else {
      files.push_back(FullPath(args[i]));
    }
  }
  if (files.empty() == !clipboard) return kUsage;
  if (clipboard) {
    // As the import dialog's Clipboard button: copied files, else the text.
    platform::ClipboardSession session;
    SystemClipboard system;
    ImportFromClipboard(s.ctx, system, files);
    if (files.empty()) return kFailed;
  }
  const int32_t savedChapterSetting = s.ctx.settings.import_chapter;
  if (chapters) s.ctx.settings.import_chapter = 1;
  CollectionImportTarget target(s.db());
  std::vector<ImportSkip> skipped;
  const int stored = ImportFiles(s.ctx, target, format, files, &skipped);
  s.ctx.settings.import_chapter = savedChapterSetting;
  std::printf("%s\n", ImportSummaryLine(stored, skipped.size()).c_str());
  for (const ImportSkip& skip : skipped) std::printf("skipped: %s\n", ImportSkipLine(skip).c_str());
  return stored > 0 ? kOk : kFailed;
}

}  // namespace

PANTRELA_CLI_COMMAND("import", "import [--format CODE] [--chapters] FILE...|--clipboard", Import);

}  // namespace pantrela::cli
