#include "support/file_faults.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "foundation/file.h"

namespace pantrela::testing {
namespace {

struct Plan {
  FileFault::Call call = FileFault::kOpen;
  int nth = 0;
  int error = 0;
  bool andLater = false;
  std::string pathPart;
  int calls = 0;
  int failures = 0;
};
Plan g_plan;

std::string PathOf(int fd) {
  char buf[4096];
  ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), buf, sizeof buf);
  return n > 0 ? std::string(buf, size_t(n)) : std::string();
}

// Counts a call of the planned kind; true when this one is to fail.
bool Fails(FileFault::Call call, const std::string& path) {
  if (call != g_plan.call) return false;
  if (!g_plan.pathPart.empty() && path.find(g_plan.pathPart) == std::string::npos) return false;
  ++g_plan.calls;
  if (g_plan.calls == g_plan.nth || (g_plan.andLater && g_plan.calls > g_plan.nth)) {
    ++g_plan.failures;
    errno = g_plan.error;
    return true;
  }
  return false;
}

int Open(const char* path, int flags, mode_t mode) {
  return Fails(FileFault::kOpen, path) ? -1 : SystemFileCalls().open(path, flags, mode);
}
ssize_t Pwrite(int fd, const void* data, size_t count, off_t at) {
  return Fails(FileFault::kWrite, PathOf(fd)) ? -1 : SystemFileCalls().pwrite(fd, data, count, at);
}
int Fsync(int fd) { return Fails(FileFault::kSync, PathOf(fd)) ? -1 : SystemFileCalls().fsync(fd); }
int Rename(const char* from, const char* to) {
  return Fails(FileFault::kRename, to) ? -1 : SystemFileCalls().rename(from, to);
}
int Unlink(const char* path) { return Fails(FileFault::kUnlink, path) ? -1 : SystemFileCalls().unlink(path); }

}  // namespace

FileFault::FileFault(Call call, int nth, int error, bool andLater, const char* pathPart) {
  g_plan = Plan{call, nth, error, andLater, pathPart ? pathPart : "", 0, 0};
  FileLayerCalls() = FileCalls{&Open, &Pwrite, &Fsync, &Rename, &Unlink};
}

FileFault::~FileFault() {
  FileLayerCalls() = SystemFileCalls();
  g_plan = Plan{};
}

int FileFault::calls() const { return g_plan.calls; }
int FileFault::failures() const { return g_plan.failures; }

}  // namespace pantrela::testing
