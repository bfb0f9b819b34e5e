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
#include "import/manual_import.h"
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
  const int stored = ImportFiles(s.ctx, target, format, files, nullptr, &skipped);
  s.ctx.settings.import_chapter = savedChapterSetting;
  std::printf("%s\n", ImportSummaryLine(stored, skipped.size()).c_str());
  for (const ImportSkip& skip : skipped) std::printf("skipped: %s\n", ImportSkipLine(skip).c_str());
  return stored > 0 ? kOk : kFailed;
}

// "A-B" or "A" (lines from 1) as a 0-based range; false when malformed.
bool LineRange(const std::string& text, int& from, int& to) {
  const size_t dash = text.find('-');
  const std::string a = text.substr(0, dash), b = dash == std::string::npos ? a : text.substr(dash + 1);
  auto number = [](const std::string& t) {
    return !t.empty() && t.size() < 9 && t.find_first_not_of("0123456789") == std::string::npos;
  };
  if (!number(a) || !number(b)) return false;
  from = ValInt(a) - 1;
  to = ValInt(b) - 1;
  return from >= 0 && to >= from;
}

// Manual import without a window: --list shows the lines as the screen
// numbers them; the marking options mark line ranges, and the marked lines
// are saved as one recipe.
int ManualImportCommand(Session& s, const std::vector<std::string>& args) {
  std::string file;
  bool list = false;
  std::vector<std::pair<ManualMark, std::string>> marks;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    ManualMark mark = kMarkNone;
    if (a == "--list") {
      list = true;
      continue;
    }
    if (a == "--title") mark = kMarkTitle;
    else if (a == "--yield") mark = kMarkYield;
    else if (a == "--ingredients") mark = kMarkIngredients;
    else if (a == "--directions") mark = kMarkDirections;
    else if (a.rfind("--", 0) == 0 || !file.empty()) return kUsage;
    else {
      file = FullPath(a);
      continue;
    }
    if (++i >= args.size()) return kUsage;
    marks.emplace_back(mark, args[i]);
  }
  if (file.empty() || (!list && marks.empty())) return kUsage;
  ManualLines lines;
  // Lines are wrapped at their 148th byte only: the terminal has no list
  // font.
  if (!LoadManualLines(s.ctx, file, 1 << 30, [](unsigned char) { return 1; }, lines)) {
    std::fprintf(stderr, "pantrela-cli: cannot read %s\n", file.c_str());
    return kFailed;
  }
  if (list) {
    for (int i = 0; i < lines.count(); ++i) {
      std::printf("%5d  ", i + 1);
      PrintText(stdout, lines.lines[size_t(i)].text);
      std::printf("\n");
    }
    if (marks.empty()) return kOk;
  }
  for (const auto& [mark, range] : marks) {
    int from = 0, to = 0;
    if (!LineRange(range, from, to) || to >= lines.count()) {
      std::fprintf(stderr, "pantrela-cli: no lines %s in %s\n", range.c_str(), file.c_str());
      return kUsage;
    }
    for (int i = from; i <= to; ++i) lines.lines[size_t(i)].mark = mark;
  }
  if (const char* missing = MissingSegmentMessage(lines)) {
    std::fprintf(stderr, "%s\n", missing);
    return kFailed;
  }
  CollectionImportTarget target(s.db());
  RecipeBuilder builder(s.ctx, target);
  int64_t chapter = 0, recordId = 0;
  SaveMarkedRecipe(builder, lines, chapter, recordId);
  builder.Finish();
  std::printf("%s\n", ImportSummaryLine(builder.stored(), builder.skipped().size()).c_str());
  return builder.stored() > 0 ? kOk : kFailed;
}

}  // namespace

PANTRELA_CLI_COMMAND("manual-import",
                     "manual-import FILE [--list] [--title A-B] [--yield A] [--ingredients A-B] [--directions A-B]",
                     ManualImportCommand);
PANTRELA_CLI_COMMAND("import", "import [--format CODE] [--chapters] FILE...|--clipboard", Import);

}  // namespace pantrela::cli
