// The core of pantrela-cli: the command registry, the option parsing and
// the run around one command.
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "app/cli.h"
#include "app/terminal_dialogs.h"
#include "foundation/codepage.h"

namespace pantrela::cli {

namespace {

std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}

// Ctrl-C and termination set the quit flag, so long operations end at their
// next poll and the shut-down still runs.
std::atomic<int>* g_quitFlag = nullptr;
extern "C" void OnSignal(int sig) {
  if (g_quitFlag) g_quitFlag->store(1);
  std::signal(sig, SIG_DFL);  // a second Ctrl-C ends the process at once
}

void Usage(std::FILE* out) {
  std::fprintf(out, "usage: pantrela-cli [--data-dir DIR] [--yes] COMMAND ...\n\ncommands:\n");
  for (const Command& c : Commands()) std::fprintf(out, "  %s\n", c.usage);
}

}  // namespace

bool Register(const Command& c) {
  Registry().push_back(c);
  return true;
}

const std::vector<Command>& Commands() { return Registry(); }

std::string TerminalText(const std::string& text) {
  std::string s;
  s.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      s += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      s += text[i];
    }
  }
  return Cp1252ToUtf8(s);
}

void PrintText(std::FILE* out, const std::string& text) {
  std::string s = TerminalText(text);
  std::fwrite(s.data(), 1, s.size(), out);
}

int Run(const std::vector<std::string>& args, const std::string& programPath) {
  Application app;
  app.options.programPath = programPath;
  if (const char* env = std::getenv("PANTRELA_DATA_DIR")) app.options.envDataDir = env;
  bool yes = false;
  size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--") {
      ++i;
      break;
    }
    if (a.empty() || a[0] != '-') break;
    if (a == "--yes" || a == "-y") {
      yes = true;
    } else if (a == "--data-dir" || a == "-d") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        std::fprintf(stderr, "pantrela-cli: --data-dir needs a folder\n");
        return kUsage;
      }
      app.options.dataDirOverride = args[++i];
    } else if (a.rfind("--data-dir=", 0) == 0 && a.size() > 11) {
      app.options.dataDirOverride = a.substr(11);
    } else if (a == "--help" || a == "-h") {
      Usage(stdout);
      return kOk;
    } else {
      std::fprintf(stderr, "pantrela-cli: unknown option %s\n", a.c_str());
      Usage(stderr);
      return kUsage;
    }
  }
  if (i >= args.size()) {
    Usage(stderr);
    return kUsage;
  }
  std::string name = args[i];
  std::vector<std::string> rest(args.begin() + long(i) + 1, args.end());
  const Command* command = nullptr;
  for (const Command& c : Commands())
    if (name == c.name) command = &c;
  if (!command) {
    std::fprintf(stderr, "pantrela-cli: unknown command %s\n", name.c_str());
    Usage(stderr);
    return kUsage;
  }
  // Handing a file list over is part of the start-up itself.
  if (name == "open") {
    if (rest.empty()) {
      std::fprintf(stderr, "usage: pantrela-cli %s\n", command->usage);
      return kUsage;
    }
    app.options.commandLine = CommandLineText(rest);
  }

  TerminalDialogs dialogs(app.ctx, yes);
  app.ctx.SetDialogs(&dialogs);
  AddLayerSteps(app);

  g_quitFlag = &app.ctx.quit;
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);

  StartResult started = StartUp(app);
  int rc;
  if (started == StartResult::SecondCopy) {
    // Another copy holds the data folder; a handed-over request waits for it.
    if (name == "open") {
      rc = kOk;
    } else {
      std::fprintf(stderr, "pantrela-cli: %s is already running on %s\n", kProgramName,
                   app.ctx.files.dataFolder.c_str());
      rc = kFailed;
    }
  } else if (started == StartResult::Failed) {
    rc = kFailed;
  } else {
    Session session{app.ctx, yes, &app};
    rc = command->run(session, rest);
    ShutDown(app);
  }
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  g_quitFlag = nullptr;
  app.ctx.SetDialogs(nullptr);
  std::fflush(stdout);
  return rc;
}

}  // namespace pantrela::cli
