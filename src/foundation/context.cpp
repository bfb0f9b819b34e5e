#include "foundation/context.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

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
  return t;
}

int ProgressPercent(double value, double maximum) {
  double p = std::floor(100.0 * value / std::max(1.0, maximum));
  if (!(p < 100)) return 100;
  return int(p);
}

}  // namespace pantrela
