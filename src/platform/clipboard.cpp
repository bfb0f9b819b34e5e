#include "platform/clipboard.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <unistd.h>

#include <SDL2/SDL.h>

#include <chrono>
#include <climits>
#include <functional>
#include <thread>

#include "platform/codepage.h"

namespace pantrela::platform {

bool PutClipboardText(std::string_view ansi) {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
  std::string text;
  text.reserve(ansi.size());
  for (char c : ansi)
    if (c != '\0') text += c;
  return SDL_SetClipboardText(Cp1252ToUtf8(text).c_str()) == 0;
}

ClipboardSession::ClipboardSession() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) {
    ok_ = true;
  } else if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
    started_ = ok_ = true;
  }
}

ClipboardSession::~ClipboardSession() {
  if (started_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

std::string ClipboardLineEnds(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += c;
  }
  return out;
}

bool ReadClipboardText(std::string& utf8) {
  if (!SDL_WasInit(SDL_INIT_VIDEO) || !SDL_HasClipboardText()) return false;
  char* t = SDL_GetClipboardText();
  if (!t) return false;
  utf8 = ClipboardLineEnds(t);
  SDL_free(t);
  return !utf8.empty();
}

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecoded(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    int hi, lo;
    if (s[i] == '%' && i + 2 < s.size() && (hi = HexValue(s[i + 1])) >= 0 && (lo = HexValue(s[i + 2])) >= 0) {
      out += char(hi * 16 + lo);
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::string ThisHost() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = char(x + 32);
    if (y >= 'A' && y <= 'Z') y = char(y + 32);
    if (x != y) return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> FilesFromUriList(std::string_view text, std::string_view hostName) {
  const std::string host = hostName.empty() ? ThisHost() : std::string(hostName);
  std::vector<std::string> files;
  bool first = true;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\0')) line.remove_suffix(1);
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    const bool wasFirst = first;
    first = false;
    if (line.empty() || line[0] == '#') continue;
    if (wasFirst && (line == "copy" || line == "cut")) continue;  // the GNOME form's first line
    if (line.size() < 7 || !EqualNoCase(line.substr(0, 7), "file://")) continue;
    std::string_view rest = line.substr(7);
    const size_t slash = rest.find('/');
    if (slash == std::string_view::npos) continue;
    const std::string_view authority = rest.substr(0, slash);
    if (!authority.empty() && !EqualNoCase(authority, "localhost") && !EqualNoCase(authority, host)) continue;
    std::string_view path = rest.substr(slash);
    path = path.substr(0, path.find_first_of("?#"));
    std::string decoded = PercentDecoded(path);
    if (decoded.find('\0') != std::string::npos) continue;  // no real path holds a NUL
    files.push_back(std::move(decoded));
  }
  return files;
}

namespace {

constexpr size_t kMaxSelectionBytes = 16u << 20;

using Clock = std::chrono::steady_clock;

// Waits for an event of `type` on our window. SDL's own selection requests
// are answered meanwhile, so a clipboard the program itself owns still
// answers.
bool WaitForEvent(Display* d, Window w, int type, XEvent& ev, Clock::time_point deadline) {
  for (;;) {
    while (XPending(d) > 0) {
      XNextEvent(d, &ev);
      if (ev.type == type && ev.xany.window == w) return true;
    }
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_PumpEvents();
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd p{ConnectionNumber(d), POLLIN, 0};
    ::poll(&p, 1, int(left < 10 ? left : 10));
  }
}

// Takes (and deletes) the property's bytes. False when it holds none of
// 8-bit format or runs past the cap.
bool TakeProperty(Display* d, Window w, Atom property, std::string& out, Atom& type) {
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(d, w, property, 0, long(kMaxSelectionBytes / 4), True, AnyPropertyType, &type, &format,
                         &items, &after, &data) != Success)
    return false;
  bool ok = type != None && after == 0;
  if (ok && format == 8) out.append(reinterpret_cast<const char*>(data), items);
  if (data) XFree(data);
  return ok;
}

// Converts the CLIPBOARD selection to `target` and reads it, following the
// incremental transfer for large ones. False when the owner refuses the
// target or does not answer in time.
bool ReadTarget(Display* d, Window w, Atom clipboard, Atom target, Atom property, std::string& out,
                Clock::time_point deadline) {
  XConvertSelection(d, clipboard, target, property, w, CurrentTime);
  XEvent ev;
  if (!WaitForEvent(d, w, SelectionNotify, ev, deadline)) return false;
  if (ev.xselection.property == None) return false;
  Atom type = None;
  std::string first;
  if (!TakeProperty(d, w, property, first, type)) return false;
  const Atom incr = XInternAtom(d, "INCR", False);
  if (type != incr) {
    out = std::move(first);
    return true;
  }
  // Incremental: every new value of the property is the next piece, an
  // empty one ends the transfer.
  std::string whole;
  for (;;) {
    XEvent pe;
    do {
      if (!WaitForEvent(d, w, PropertyNotify, pe, deadline)) return false;
    } while (pe.xproperty.atom != property || pe.xproperty.state != PropertyNewValue);
    std::string piece;
    if (!TakeProperty(d, w, property, piece, type)) return false;
    if (piece.empty()) break;
    whole += piece;
    if (whole.size() > kMaxSelectionBytes) return false;
  }
  out = std::move(whole);
  return true;
}


// Reads the first of `names` the owner gives whose value `accept` takes.
ClipboardRead ReadFirstTarget(const std::string& display, std::initializer_list<const char*> names, int timeoutMs,
                              const std::function<bool(const char* name, std::string& value)>& accept) {
  Display* d = XOpenDisplay(display.empty() ? nullptr : display.c_str());
  if (!d) return ClipboardRead::kUnreachable;
  const Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
  ClipboardRead result = ClipboardRead::kNothing;
  if (XGetSelectionOwner(d, clipboard) != None) {
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(d, w, PropertyChangeMask);
    const Atom property = XInternAtom(d, "PANTRELA_CLIPBOARD", False);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (const char* name : names) {
      std::string value;
      if (!ReadTarget(d, w, clipboard, XInternAtom(d, name, False), property, value, deadline)) continue;
      if (!accept(name, value)) continue;
      result = ClipboardRead::kFound;
      break;
    }
    XDestroyWindow(d, w);
  }
  XCloseDisplay(d);
  return result;
}

}  // namespace

bool ReadClipboardFiles(std::vector<std::string>& paths, const std::string& display, int timeoutMs) {
  return ReadFirstTarget(display, {"text/uri-list", "x-special/gnome-copied-files"}, timeoutMs,
                         [&](const char*, std::string& text) {
                           std::vector<std::string> files = FilesFromUriList(text);
                           if (files.empty()) return false;
                           paths.insert(paths.end(), files.begin(), files.end());
                           return true;
                         }) == ClipboardRead::kFound;
}

ClipboardRead ReadClipboardImage(std::string& bytes, std::string& type, const std::string& display, int timeoutMs) {
  return ReadFirstTarget(display, {"image/bmp", "image/png", "image/jpeg"}, timeoutMs,
                         [&](const char* name, std::string& value) {
                           if (value.empty()) return false;
                           bytes = std::move(value);
                           type = name;
                           return true;
                         });
}

namespace {

// Errors on our own connections are expected (a requestor's window may go
// while we answer it) and must not end the program, which Xlib's default
// handler does; errors on other connections go to the handler before ours.
std::vector<Display*>& OfferDisplays() {
  static std::vector<Display*> displays;  // Xlib's error handler is process-wide
  return displays;
}
XErrorHandler& PreviousErrorHandler() {
  static XErrorHandler previous = nullptr;
  return previous;
}
int OfferErrorHandler(Display* d, XErrorEvent* e) {
  for (Display* own : OfferDisplays())
    if (own == d) return 0;
  return PreviousErrorHandler() ? PreviousErrorHandler()(d, e) : 0;
}

}  // namespace

struct ClipboardOffer::Server {
  Display* d = nullptr;
  Window w = 0;
  Time time = CurrentTime;
  std::map<std::string, std::string> targets;
  size_t incrAbove = 0;
  std::thread thread;
  std::atomic<bool> stop{false};
  std::atomic<bool> owned{false};
  std::atomic<int> requests{0};

  ~Server() {
    stop = true;
    if (thread.joinable()) thread.join();
    if (d) {
      auto& list = OfferDisplays();
      std::erase(list, d);
      XDestroyWindow(d, w);
      XCloseDisplay(d);
    }
  }

  // The server's time now, from a property change on our window (taking a
  // selection at CurrentTime is what the conventions forbid).
  Time ServerTime() {
    const Atom a = XInternAtom(d, "PANTRELA_TIME", False);
    unsigned char none = 0;
    XChangeProperty(d, w, a, XA_STRING, 8, PropModeAppend, &none, 0);
    XEvent ev;
    const auto deadline = Clock::now() + std::chrono::milliseconds(1000);
    if (WaitForEvent(d, w, PropertyNotify, ev, deadline)) return ev.xproperty.time;
    return CurrentTime;
  }

  // Answers one request; pieces of incremental transfers are queued.
  struct Pending {
    Window requestor;
    Atom property, type;
    std::string rest;
    Clock::time_point started;
  };

  void Answer(const XSelectionRequestEvent& r, std::vector<Pending>& pending) {
    ++requests;
    const Atom property = r.property == None ? r.target : r.property;
    const Atom targetsAtom = XInternAtom(d, "TARGETS", False);
    const Atom timestampAtom = XInternAtom(d, "TIMESTAMP", False);
    XSelectionEvent n{};
    n.type = SelectionNotify;
    n.requestor = r.requestor;
    n.selection = r.selection;
    n.target = r.target;
    n.time = r.time;
    n.property = None;
    if (r.target == targetsAtom) {
      std::vector<long> atoms{long(targetsAtom), long(timestampAtom)};
      for (const auto& [name, value] : targets) atoms.push_back(long(XInternAtom(d, name.c_str(), False)));
      XChangeProperty(d, r.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(atoms.data()), int(atoms.size()));
      n.property = property;
    } else if (r.target == timestampAtom) {
      long t = long(time);
      XChangeProperty(d, r.requestor, property, XA_INTEGER, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&t),
                      1);
      n.property = property;
    } else {
      char* name = XGetAtomName(d, r.target);
      auto it = targets.find(name ? name : "");
      if (name) XFree(name);
      if (it != targets.end()) {
        const std::string& v = it->second;
        if (v.size() > incrAbove) {
          long size = long(v.size());
          XSelectInput(d, r.requestor, PropertyChangeMask);
          XChangeProperty(d, r.requestor, property, XInternAtom(d, "INCR", False), 32, PropModeReplace,
                          reinterpret_cast<unsigned char*>(&size), 1);
          pending.push_back({r.requestor, property, r.target, v, Clock::now()});
        } else {
          XChangeProperty(d, r.requestor, property, r.target, 8, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(v.data()), int(v.size()));
        }
        n.property = property;
      }
    }
    XSendEvent(d, r.requestor, False, 0, reinterpret_cast<XEvent*>(&n));
  }

  void Serve() {
    std::vector<Pending> pending;
    while (!stop && (owned || !pending.empty())) {
      while (XPending(d) > 0) {
        XEvent ev;
        XNextEvent(d, &ev);
        if (ev.type == SelectionClear && ev.xselectionclear.window == w) {
          owned = false;
        } else if (ev.type == SelectionRequest) {
          Answer(ev.xselectionrequest, pending);
        } else if (ev.type == PropertyNotify && ev.xproperty.state == PropertyDelete) {
          for (Pending& p : pending) {
            if (p.requestor != ev.xproperty.window || p.property != ev.xproperty.atom) continue;
            const std::string piece = p.rest.substr(0, incrAbove);
            p.rest.erase(0, piece.size());
            XChangeProperty(d, p.requestor, p.property, p.type, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(piece.data()), int(piece.size()));
            if (piece.empty()) p.requestor = None;  // the empty piece ended it
          }
        }
      }
      // Finished transfers, and those whose reader went quiet, are dropped.
      const auto now = Clock::now();
      std::erase_if(pending, [&](const Pending& p) {
        return p.requestor == None || now - p.started > std::chrono::seconds(30);
      });
      XFlush(d);
      pollfd p{ConnectionNumber(d), POLLIN, 0};
      ::poll(&p, 1, 20);
    }
  }
};

ClipboardOffer::ClipboardOffer() = default;
ClipboardOffer::~ClipboardOffer() = default;

bool ClipboardOffer::Offer(std::map<std::string, std::string> targets, const std::string& display, size_t incrAbove) {
  server_.reset();
  auto server = std::make_unique<Server>();
  server->d = XOpenDisplay(display.empty() ? nullptr : display.c_str());
  if (!server->d) return false;
  if (OfferDisplays().empty()) {
    XErrorHandler previous = XSetErrorHandler(OfferErrorHandler);
    if (previous != OfferErrorHandler) PreviousErrorHandler() = previous;
  }
  OfferDisplays().push_back(server->d);
  Display* d = server->d;
  server->w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
  XSelectInput(d, server->w, PropertyChangeMask);
  server->targets = std::move(targets);
  server->incrAbove = incrAbove == 0 ? 1 : incrAbove;
  server->time = server->ServerTime();
  const Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
  XSetSelectionOwner(d, clipboard, server->w, server->time);
  if (XGetSelectionOwner(d, clipboard) != server->w) return false;
  XSync(d, False);
  server->owned = true;
  Server* raw = server.get();
  server->thread = std::thread([raw] { raw->Serve(); });
  server_ = std::move(server);
  return true;
}

void ClipboardOffer::Withdraw() { server_.reset(); }

bool ClipboardOffer::owned() const { return server_ && server_->owned; }

int ClipboardOffer::requests() const { return server_ ? int(server_->requests) : 0; }

}  // namespace pantrela::platform
