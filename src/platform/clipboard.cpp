#include "platform/clipboard.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <unistd.h>

#include <SDL2/SDL.h>

#include <chrono>
#include <climits>

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

}  // namespace

bool ReadClipboardFiles(std::vector<std::string>& paths, const std::string& display, int timeoutMs) {
  Display* d = XOpenDisplay(display.empty() ? nullptr : display.c_str());
  if (!d) return false;
  const Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
  bool found = false;
  if (XGetSelectionOwner(d, clipboard) != None) {
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(d, w, PropertyChangeMask);
    const Atom property = XInternAtom(d, "PANTRELA_CLIPBOARD", False);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (const char* name : {"text/uri-list", "x-special/gnome-copied-files"}) {
      std::string text;
      if (!ReadTarget(d, w, clipboard, XInternAtom(d, name, False), property, text, deadline)) continue;
      std::vector<std::string> files = FilesFromUriList(text);
      if (files.empty()) continue;
      paths.insert(paths.end(), files.begin(), files.end());
      found = true;
      break;
    }
    XDestroyWindow(d, w);
  }
  XCloseDisplay(d);
  return found;
}

}  // namespace pantrela::platform
