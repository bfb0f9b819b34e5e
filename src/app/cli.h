// pantrela-cli: each cli_*.cpp file registers its commands with
// PANTRELA_CLI_COMMAND; cli_main.cpp performs start-up, runs the command and
// shuts down.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "app/app_startup.h"
#include "foundation/context.h"

namespace pantrela::cli {

struct Session {
  AppContext& ctx;
  bool yes = false;  // --yes: questions get their first button
  Application* app = nullptr;  // the run's layer objects
  // The recipe database the start-up opened (master index loaded and
  // verified, lists built).
  Collection& db() { return *app->collection; }
};

// Exit codes.
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;

using Handler = int (*)(Session& session, const std::vector<std::string>& args);

struct Command {
  const char* name;
  const char* usage;  // one line: "list [--chapter NAME]"
  Handler run;
};

// Registers a command; used through PANTRELA_CLI_COMMAND.
bool Register(const Command& c);
const std::vector<Command>& Commands();

// Writes recipe or program text (Windows-1252, CR line breaks) to a stream
// as UTF-8 with newlines.
void PrintText(std::FILE* out, const std::string& text);
// The same conversion as a string.
std::string TerminalText(const std::string& text);

// The whole companion: parses the options, starts up, runs the command and
// shuts down. Returns the exit status.
int Run(const std::vector<std::string>& args, const std::string& programPath);

}  // namespace pantrela::cli

#define PANTRELA_CLI_CONCAT2(a, b) a##b
#define PANTRELA_CLI_CONCAT(a, b) PANTRELA_CLI_CONCAT2(a, b)
#define PANTRELA_CLI_COMMAND(name, usage, fn) \
  static const bool PANTRELA_CLI_CONCAT(cli_registered_, __LINE__) = ::pantrela::cli::Register({name, usage, fn})
