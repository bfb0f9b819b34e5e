// pantrela-cli's entry and the commands of the foundation: info and open.
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli.h"
#include "platform/system.h"

namespace pantrela::cli {

namespace {

int Info(Session& s, const std::vector<std::string>& args) {
  if (!args.empty()) return kUsage;
  const FileTable& f = s.ctx.files;
  const std::pair<const char*, const std::string*> rows[] = {
      {"Data folder", &f.dataFolder},      {"Program folder", &f.programFolder},
      {"Temporary folder", &f.tempFolder}, {"Recipe860.dat", &f.recipe},
      {"Index860.dat", &f.index},          {"Recipe860.bak", &f.compaction},
      {"Recipe34.dat", &f.recipe34},       {"Grocery747.dat", &f.grocery},
      {"Event860.dat", &f.meal},           {"Setup747.dat", &f.settings},
      {"Spell54.dat", &f.dictionary},      {"status.log", &f.statusLog},
      {"Temp.dat", &f.scratchImport},      {"command.dat", &f.handOver},
  };
  for (const auto& [label, path] : rows) {
    std::printf("%-17s ", label);
    PrintText(stdout, *path);
    std::printf("\n");
  }
  return kOk;
}

// The start-up has already left the request in "command.dat"; the program
// picks it up on its recipe screen.
int Open(Session& s, const std::vector<std::string>&) {
  std::printf("Handed over in ");
  PrintText(stdout, s.ctx.files.handOver);
  std::printf("\n");
  return kOk;
}

}  // namespace

PANTRELA_CLI_COMMAND("info", "info", Info);
PANTRELA_CLI_COMMAND("open", "open FILE...|URL", Open);

}  // namespace pantrela::cli

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return pantrela::cli::Run(args, pantrela::platform::ExecutablePath());
}
