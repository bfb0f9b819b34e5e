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

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

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
  ClipboardOwner(const std::string& display, std::map<std::string, std::string> targets, size_t incrAbove = 1 << 20)
      : targets_(std::move(targets)), incrAbove_(incrAbove) {
    d_ = XOpenDisplay(display.c_str());
    if (!d_) return;
    w_ = XCreateSimpleWindow(d_, DefaultRootWindow(d_), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(d_, XInternAtom(d_, "CLIPBOARD", False), w_, CurrentTime);
    XSync(d_, False);
    thread_ = std::thread([this] { Serve(); });
  }
  ~ClipboardOwner() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (d_) XCloseDisplay(d_);
  }
  bool ok() const { return d_ != nullptr; }
  int requests() const { return requests_; }

 private:
  void Serve() {
    const Atom incr = XInternAtom(d_, "INCR", False);
    struct Pending {
      Window requestor;
      Atom property, type;
      std::string rest;
      bool done = false;
    };
    std::vector<Pending> pending;
    while (!stop_) {
      while (XPending(d_) > 0) {
        XEvent ev;
        XNextEvent(d_, &ev);
        if (ev.type == SelectionRequest) {
          ++requests_;
          const XSelectionRequestEvent& r = ev.xselectionrequest;
          char* name = XGetAtomName(d_, r.target);
          auto it = targets_.find(name ? name : "");
          if (name) XFree(name);
          XSelectionEvent n{};
          n.type = SelectionNotify;
          n.requestor = r.requestor;
          n.selection = r.selection;
          n.target = r.target;
          n.time = r.time;
          n.property = None;
          if (it != targets_.end()) {
            const std::string& v = it->second;
            if (v.size() > incrAbove_) {
              long size = long(v.size());
              XSelectInput(d_, r.requestor, PropertyChangeMask);
              XChangeProperty(d_, r.requestor, r.property, incr, 32, PropModeReplace,
                              reinterpret_cast<unsigned char*>(&size), 1);
              pending.push_back({r.requestor, r.property, r.target, v});
            } else {
              XChangeProperty(d_, r.requestor, r.property, r.target, 8, PropModeReplace,
                              reinterpret_cast<const unsigned char*>(v.data()), int(v.size()));
            }
            n.property = r.property;
          }
          XSendEvent(d_, r.requestor, False, 0, reinterpret_cast<XEvent*>(&n));
        } else if (ev.type == PropertyNotify && ev.xproperty.state == PropertyDelete) {
          for (Pending& p : pending) {
            if (p.done || p.requestor != ev.xproperty.window || p.property != ev.xproperty.atom) continue;
            const std::string piece = p.rest.substr(0, incrAbove_);
            p.rest.erase(0, piece.size());
            XChangeProperty(d_, p.requestor, p.property, p.type, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(piece.data()), int(piece.size()));
            p.done = piece.empty();
          }
        }
        XFlush(d_);
      }
      pollfd p{ConnectionNumber(d_), POLLIN, 0};
      ::poll(&p, 1, 10);
    }
  }

  std::map<std::string, std::string> targets_;
  size_t incrAbove_;
  Display* d_ = nullptr;
  Window w_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
};

}  // namespace pantrela::testing
