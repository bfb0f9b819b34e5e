#include "foundation/context.h"

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <cstdlib>

#include "foundation/file.h"
#include "foundation/shell.h"

namespace pantrela {

FileTable FileTable::For(const std::string& programFolder, const std::string& dataFolder) {
  FileTable t;
  t.programFolder = programFolder;
  t.dataFolder = dataFolder;
  const char* tmp = std::getenv("TMPDIR");
  t.tempFolder = (tmp && *tmp) ? std::string(tmp) : std::string("/tmp");
  if (t.tempFolder.back() != '/') t.tempFolder += '/';
  t.grocery = dataFolder + "Grocery747.dat";
  t.scratchImport = dataFolder + "Temp.dat";
  t.meal = dataFolder + "Event860.dat";
  t.settings = dataFolder + "Setup747.dat";
  t.recipe34 = dataFolder + "Recipe34.dat";
  t.recipe = dataFolder + "Recipe860.dat";
  t.compaction = dataFolder + "Recipe860.bak";
  t.dictionary = dataFolder + "Spell54.dat";
  t.index = dataFolder + "Index860.dat";
  t.statusLog = dataFolder + "status.log";
  t.handOver = dataFolder + "command.dat";
  t.journal = dataFolder + "Recipe860.jnl";
  return t;
}

int ProgressPercent(double value, double maximum) {
  double p = std::floor(100.0 * value / std::max(1.0, maximum));
  if (!(p < 100)) return 100;
  return int(p);
}

void ReportWriteFailure(AppContext& ctx, const std::string& path, int error) {
  const std::string name = path.substr(path.rfind('/') + 1);
  const std::string reason = SystemErrorText(error ? error : EIO);
  ctx.Log("Unable to write " + name + ": " + reason);
  ctx.dialogs().Message("Unable to write " + name + ":|" + reason, "OK", 1);
}

bool SaveSettings(AppContext& ctx) {
  if (ctx.files.settings.empty()) return true;
  if (WriteSettings(ctx.settings, ctx.files.settings)) return true;
  ReportWriteFailure(ctx, ctx.files.settings, errno);
  return false;
}

}  // namespace pantrela
