// A loopback FTP server for upload tests (Debian's pyftpdlib), and the
// child-process helpers it is started with.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "foundation/file.h"
#include "support/temp_dir.h"

namespace pantrela::testing {

// A process started for one test, stopped by its destructor; its standard
// output and error go to `logFile`.
class Child {
 public:
  Child(const std::vector<std::string>& args, const std::string& logFile) {
    pid_ = ::fork();
    if (pid_ == 0) {
      FILE* f = std::freopen(logFile.c_str(), "w", stderr);
      (void)f;
      ::dup2(2, 1);
      std::vector<char*> argv;
      for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
  }
  ~Child() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

 private:
  pid_t pid_ = -1;
};

// Waits for `marker` + port in the log file; 0 when it does not appear.
inline int WaitForPort(const std::string& logFile, const std::string& marker) {
  for (int i = 0; i < 200; ++i) {
    const std::string log = ReadBytes(logFile);
    size_t at = log.find(marker);
    if (at != std::string::npos) {
      int port = std::atoi(log.c_str() + at + marker.size());
      if (port > 0) return port;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return 0;
}

inline bool HavePyftpdlib() {
  return ::access("/usr/bin/python3", X_OK) == 0 &&
         std::system("/usr/bin/python3 -c 'import pyftpdlib' >/dev/null 2>&1") == 0;
}

// Starts pyftpdlib on a free loopback port serving `root` (which gets a
// "Documents/" folder) to user "u" with password "pw", writing its log to
// `logFile`. Returns the port, 0 when the server is not available.
inline int StartFtpServer(std::unique_ptr<Child>& server, const std::string& root, const std::string& logFile) {
  if (!HavePyftpdlib()) return 0;
  CreateFolders(root + "Documents/");
  server = std::make_unique<Child>(std::vector<std::string>{"/usr/bin/python3", "-m", "pyftpdlib", "-i", "127.0.0.1",
                                                            "-p", "0", "-d", root, "-u", "u", "-P", "pw", "-w"},
                                   logFile);
  return WaitForPort(logFile, "starting FTP server on 127.0.0.1:");
}

}  // namespace pantrela::testing
