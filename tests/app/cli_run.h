// Runs the real companion with a shell command line and collects what it
// printed.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace pantrela::testing {

// Standard error joins the output unless `withErrors` is false (then it is
// dropped). Returns the exit status, -1 when it could not run.
inline int RunCli(const std::string& args, std::string* out = nullptr, bool withErrors = true) {
  std::string cmd = std::string(PANTRELA_CLI_PATH) + " " + args + (withErrors ? " 2>&1" : " 2>/dev/null");
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return -1;
  std::string text;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
  int status = ::pclose(p);
  if (out) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace pantrela::testing
