#include "platform/system.h"

#include <SDL.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstdio>
#include <cstring>

namespace pantrela::platform {

std::string ExecutablePath() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  return std::string(buf, size_t(n));
}

OsInfo DetectOs() {
  OsInfo info;
  struct utsname u;
  if (::uname(&u) != 0) return info;
  info.sysname = u.sysname;
  info.release = u.release;
  info.version = u.version;
  info.machine = u.machine;
  std::sscanf(u.release, "%d.%d.%d", &info.major, &info.minor, &info.build);
  return info;
}

static std::string WithSlash(std::string p) {
  if (p.size() < 1) return {};
  if (p.back() != '/') p += '/';
  return p;
}

static std::string Home() {
  const char* h = std::getenv("HOME");
  return (h && *h) ? std::string(h) : std::string();
}

// XDG user folder from user-dirs.dirs, e.g. XDG_DESKTOP_DIR="$HOME/Desktop".
static std::string UserDir(const char* key, const char* fallback) {
  std::string home = Home();
  if (home.empty()) return {};
  const char* cfg = std::getenv("XDG_CONFIG_HOME");
  std::string path = (cfg && *cfg ? std::string(cfg) : home + "/.config") + "/user-dirs.dirs";
  if (FILE* f = std::fopen(path.c_str(), "r")) {
    char line[1024];
    std::string prefix = std::string(key) + "=\"";
    while (std::fgets(line, sizeof line, f)) {
      std::string s = line;
      if (s.rfind(prefix, 0) != 0) continue;
      s = s.substr(prefix.size());
      size_t q = s.find('"');
      if (q != std::string::npos) s = s.substr(0, q);
      if (s.rfind("$HOME", 0) == 0) s = home + s.substr(5);
      std::fclose(f);
      return s;
    }
    std::fclose(f);
  }
  return home + "/" + fallback;
}

std::string SpecialFolderPath(SpecialFolder which) {
  std::string p;
  switch (which) {
    case SpecialFolder::Desktop: p = UserDir("XDG_DESKTOP_DIR", "Desktop"); break;
    case SpecialFolder::Documents: p = UserDir("XDG_DOCUMENTS_DIR", "Documents"); break;
    case SpecialFolder::LocalAppData: {
      const char* x = std::getenv("XDG_DATA_HOME");
      p = (x && *x) ? std::string(x) : (Home().empty() ? "" : Home() + "/.local/share");
      break;
    }
    case SpecialFolder::ProgramFiles: p = "/usr"; break;
    case SpecialFolder::Temp: {
      const char* t = std::getenv("TMPDIR");
      p = (t && *t) ? t : "/tmp";
      break;
    }
    case SpecialFolder::Fonts: p = "/usr/share/fonts"; break;
    case SpecialFolder::Home: p = Home(); break;
  }
  p = WithSlash(p);
  return p.size() < 5 ? std::string() : p;
}

bool DisplayWorkArea(int& left, int& top, int& right, int& bottom) {
  const char* x = std::getenv("DISPLAY");
  const char* w = std::getenv("WAYLAND_DISPLAY");
  if (!(x && *x) && !(w && *w)) return false;
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) return false;
  // The video subsystem is reference-counted: this leaves a window layer
  // that already runs untouched.
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  SDL_Rect r;
  bool ok = SDL_GetDisplayUsableBounds(0, &r) == 0 && r.w > 0 && r.h > 0;
  if (ok) {
    left = r.x;
    top = r.y;
    right = r.x + r.w;
    bottom = r.y + r.h;
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return ok;
}

}  // namespace pantrela::platform
