// System facts and services the foundation needs from Linux.
#pragma once

#include <string>

#include "foundation/settings.h"

namespace pantrela::platform {

// Full path of the running executable ("" when unknown).
std::string ExecutablePath();

struct OsInfo {
  std::string sysname, release, version, machine;
  int major = 0, minor = 0, build = 0;
};
OsInfo DetectOs();

enum class SpecialFolder { Desktop, Documents, LocalAppData, ProgramFiles, Temp, Fonts, Home };
// The folder with a trailing '/', or "" when there is none.
std::string SpecialFolderPath(SpecialFolder which);

// The usable area of the first display (without panels and docks), in
// screen pixels. False, leaving the values alone, when there is no display
// to ask (no DISPLAY or WAYLAND_DISPLAY, or an offscreen video driver).
bool DisplayWorkArea(int& left, int& top, int& right, int& bottom);

}  // namespace pantrela::platform
