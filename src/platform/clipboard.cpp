#include "platform/clipboard.h"

#include <SDL.h>

#include <string>

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

}  // namespace pantrela::platform
