// The program: start-up, the screen loop, shut-down. Built without the
// window layer, a run performs the start-up, tells where its data folder is
// and shuts down cleanly.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/app_startup.h"
#include "app/terminal_dialogs.h"
#include "foundation/codepage.h"
#include "platform/system.h"

int main(int argc, char** argv) {
  pantrela::Application app;
  app.options.programPath = pantrela::platform::ExecutablePath();
  app.options.withWindow = true;
  if (const char* env = std::getenv("PANTRELA_DATA_DIR")) app.options.envDataDir = env;
  std::vector<std::string> rest;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--data-dir" && i + 1 < argc) app.options.dataDirOverride = argv[++i];
    else if (a.rfind("--data-dir=", 0) == 0) app.options.dataDirOverride = a.substr(11);
    else rest.push_back(a);
  }
  // The copy that imports the files may run in another folder: relative
  // file names are made full here.
  if (char* cwd = ::getcwd(nullptr, 0)) {
    for (auto& a : rest)
      if (!a.empty() && a[0] != '/' && a.find("://") == std::string::npos) a = std::string(cwd) + "/" + a;
    std::free(cwd);
  }
  // Files dropped on the program's icon or a web address.
  app.options.commandLine = pantrela::CommandLineText(rest);
  // Until a window layer sets its own dialogs, messages go to the terminal.
  pantrela::TerminalDialogs terminal(app.ctx, false);
  app.ctx.SetDialogs(&terminal);
  pantrela::AddLayerSteps(app);

  switch (pantrela::StartUp(app)) {
    case pantrela::StartResult::SecondCopy: return 0;  // the first copy takes the request
    case pantrela::StartResult::Failed: return 1;
    case pantrela::StartResult::Running: break;
  }
  if (app.screenLoop) {
    app.screenLoop(app);
  } else {
    std::printf("%s data folder: %s\n", pantrela::kProgramName,
                pantrela::Cp1252ToUtf8(app.ctx.files.dataFolder).c_str());
  }
  pantrela::ShutDown(app);
  app.ctx.SetDialogs(nullptr);
  return 0;
}
