// Start-up and shut-down shared by the program and pantrela-cli.
#pragma once

#include <string>
#include <vector>

#include "foundation/context.h"

namespace pantrela {

struct StartOptions {
  std::string programPath;   // the executable's own path
  std::string dataDirOverride;  // --data-dir (wins over PANTRELA_DATA_DIR)
  std::string commandLine;   // file list or web address handed over
};

enum class StartResult { Running, SecondCopy, Failed };

// Runs the start-up steps that need no window.
StartResult StartUp(AppContext& ctx, const StartOptions& opt);
// Writes the settings, deletes scratch files and releases the lock.
void ShutDown(AppContext& ctx);

}  // namespace pantrela
