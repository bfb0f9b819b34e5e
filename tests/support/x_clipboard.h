// Test helpers for the X clipboard: an X server of the test's own (Xvfb)
// and a clipboard owner that answers for the targets it is given. Include
// this header last: Xlib's macros (None, Bool, Status) clash with others.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "platform/clipboard.h"

namespace pantrela::testing {

// An X server of our own for the test (kept up between clients: a reset
// would refuse the next connection for a moment).
class Xvfb {
 public:
  Xvfb() {
    int fds[2];
    if (::access("/usr/bin/Xvfb", X_OK) != 0 || ::pipe(fds) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(fds[0]);
      const std::string fd = std::to_string(fds[1]);
      ::execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-noreset", "-screen", "0", "64x64x24",
              static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    char c;
    while (::poll(&p, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    if (!number.empty()) display_ = ":" + number;
  }
  ~Xvfb() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// Holds the CLIPBOARD selection and answers requests for its targets;
// values of more than `incrAbove` bytes go in pieces (the INCR transfer).
class ClipboardOwner {
 public:
  ClipboardOwner(const std::string& display, std::map<std::string, std::string> targets, size_t incrAbove = 1 << 20) {
    ok_ = offer_.Offer(std::move(targets), display, incrAbove);
  }
  bool ok() const { return ok_; }
  int requests() const { return offer_.requests(); }

 private:
  platform::ClipboardOffer offer_;
  bool ok_ = false;
};

}  // namespace pantrela::testing
