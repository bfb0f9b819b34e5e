// pantrela-seedgen: builds the seed files from their sources at build time.
//   pantrela-seedgen settings SOURCE.txt OUTPUT
// SOURCE holds "key=value" lines ('#' starts a comment line); every key must
// be a settings key. The output is a settings file holding those entries.
#include <cstdio>
#include <string>

#include "foundation/file.h"
#include "foundation/settings.h"

using namespace pantrela;

static int SettingsSeed(const std::string& source, const std::string& output) {
  std::string text;
  if (!ReadWholeFile(source, text)) {
    std::fprintf(stderr, "seedgen: cannot read %s\n", source.c_str());
    return 1;
  }
  std::string image;
  size_t pos = 0;
  int lineNo = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    size_t eq = line.find('=');
    std::string key = line.substr(0, eq);
    if (eq == std::string::npos || !IsSettingsKey(key)) {
      std::fprintf(stderr, "%s:%d: not a settings entry: %s\n", source.c_str(), lineNo, line.c_str());
      return 1;
    }
    image += SettingsEntry(key, line.substr(eq + 1));
  }
  if (!WriteFileAtomic(output, image, 0644)) {
    std::fprintf(stderr, "seedgen: cannot write %s\n", output.c_str());
    return 1;
  }
  return 0;
}

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "settings") return SettingsSeed(argv[2], argv[3]);
  std::fprintf(stderr, "usage: pantrela-seedgen settings SOURCE OUTPUT\n");
  return 2;
}
