#include "platform/shell.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace pantrela::platform {

static bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string FindExecutable(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
  const char* path = std::getenv("PATH");
  std::string dirs = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    if (dir.empty()) dir = ".";
    std::string full = dir + "/" + name;
    if (IsExecutableFile(full)) return full;
    start = end + 1;
  }
  return {};
}

int StartDetached(const std::string& program, const std::vector<std::string>& args) {
  std::string exe = FindExecutable(program);
  if (exe.empty()) return ENOENT;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(exe.c_str()));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  // A short-lived intermediate process starts the program and ends at once,
  // so the program is not our child and never lingers as a zombie. The
  // intermediate reports through its exit status whether the start worked.
  pid_t mid = ::fork();
  if (mid < 0) return errno;
  if (mid == 0) {
    ::setsid();
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    pid_t child;
    int rc = ::posix_spawn(&child, exe.c_str(), &fa, nullptr, argv.data(), environ);
    ::_exit(rc > 255 ? 255 : rc);
  }
  int status = 0;
  while (::waitpid(mid, &status, 0) < 0) {
    if (errno != EINTR) return errno;
  }
  if (!WIFEXITED(status)) return ECHILD;
  return WEXITSTATUS(status);
}

std::string SystemErrorText(int code) {
  char buf[256];
  std::string text = ::strerror_r(code, buf, sizeof buf);
  if (text.size() > 255) text.resize(255);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '\0')) text.pop_back();
  return text;
}

}  // namespace pantrela::platform
