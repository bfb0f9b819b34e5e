// Fails calls of the file layer on purpose, the way a full disk or a broken
// medium would: the Nth call of one kind (1-based) and, for a full disk,
// every later one too. With `pathPart` only calls on files whose path holds
// it are counted (the status log, say, keeps working). The system's calls
// come back when the object goes.
#pragma once

#include <cerrno>

namespace pantrela::testing {

class FileFault {
 public:
  enum Call { kOpen, kWrite, kSync, kRename, kUnlink };
  FileFault(Call call, int nth, int error = ENOSPC, bool andLater = true, const char* pathPart = nullptr);
  ~FileFault();
  FileFault(const FileFault&) = delete;
  FileFault& operator=(const FileFault&) = delete;
  // Calls of the chosen kind made so far, and how many of them failed.
  int calls() const;
  int failures() const;
};

}  // namespace pantrela::testing
