// fuzz-deps: pantrela_foundation
// The settings reader on arbitrary file bytes: it must never crash, always
// leave a placement inside the clamps, and read back what it writes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "foundation/settings.h"

using namespace pantrela;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const WorkArea area{0, 0, 1920, 1080};
  Settings s;
  ParseSettings(s, std::string_view(reinterpret_cast<const char*>(data), size), area);
  if (s.window_wide < 790 || s.window_high < 550 || s.window_state == 2 || s.window_x > area.right - 400 ||
      s.window_y > area.bottom - 400)
    std::abort();
  // What was read survives a write and a second read unchanged.
  std::string image = SettingsFileImage(s);
  Settings again;
  ParseSettings(again, image, area);
  if (SettingsFileImage(again) != image) std::abort();
  return 0;
}
