#include "platform/window.h"

#include "platform/canvas.h"
#include "platform/codepage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

namespace pantrela::platform {
namespace {

// Lines scrolled per wheel notch (the desktop's usual value).
constexpr int kWheelScrollLines = 3;

uint32_t RegisteredTimerEvent() {
  static const uint32_t type = SDL_RegisterEvents(1);
  return type;
}

uint32_t TimerCallback(uint32_t interval, void* param) {
  SDL_Event e{};
  e.type = RegisteredTimerEvent();
  e.user.code = static_cast<int>(reinterpret_cast<intptr_t>(param));
  SDL_PushEvent(&e);
  return interval;
}

int VirtualKeyOf(SDL_Keycode k) {
  switch (k) {
    case SDLK_BACKSPACE: return kVkBack;
    case SDLK_TAB: return kVkTab;
    case SDLK_RETURN: case SDLK_KP_ENTER: return kVkReturn;
    case SDLK_ESCAPE: return kVkEscape;
    case SDLK_PAGEUP: return kVkPrior;
    case SDLK_PAGEDOWN: return kVkNext;
    case SDLK_END: return kVkEnd;
    case SDLK_HOME: return kVkHome;
    case SDLK_LEFT: return kVkLeft;
    case SDLK_UP: return kVkUp;
    case SDLK_RIGHT: return kVkRight;
    case SDLK_DOWN: return kVkDown;
    case SDLK_INSERT: return kVkInsert;
    case SDLK_DELETE: return kVkDelete;
    case SDLK_SPACE: return 32;
    default: break;
  }
  if (k >= SDLK_F1 && k <= SDLK_F12) return kVkF1 + (k - SDLK_F1);
  if (k >= 'a' && k <= 'z') return k - 'a' + 'A';
  if (k >= '0' && k <= '9') return k;
  return 0;
}

}  // namespace

std::string Utf8FromAnsi(std::string_view ansi) { return Cp1252ToUtf8(ansi); }

std::string AnsiFromUtf8(std::string_view utf8) { return Utf8ToCp1252(utf8); }

WindowRect RecentredRect(const WindowRect& window, const WorkArea& work) {
  WindowRect r;
  r.w = std::max(window.w, kMinWindowWidth);
  r.h = std::max(window.h, kMinWindowHeight);
  const int workW = work.right - work.left, workH = work.bottom - work.top;
  // floor division, also for a work area smaller than the window
  auto half = [](int v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); };
  r.x = std::max(0, work.left + half(workW - r.w));
  r.y = std::max(0, work.top + half(workH - r.h));
  r.x = std::max(0, std::min(r.x, work.right - kMinWindowWidth));
  r.y = std::max(0, std::min(r.y, work.bottom - kMinWindowHeight));
  return r;
}

Window::Window(AppContext& ctx) : ctx_(ctx) {}

Window::~Window() {
  for (auto& t : timers_) SDL_RemoveTimer(t.second);
  timers_.clear();
  if (texture_) SDL_DestroyTexture(texture_);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  if (window_) SDL_DestroyWindow(window_);
  if (sdlStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER);
}

bool Window::Open() {
  if (window_) return true;
  // The whole interface is painted in memory: the system's own window
  // framebuffer (shared memory on X11) shows it fastest, without a GL
  // texture in between.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) return false;
  sdlStarted_ = true;
  timerEvent_ = RegisteredTimerEvent();
  Settings& s = ctx_.settings;
  WindowRect want{s.window_x, s.window_y, s.window_wide, s.window_high};
  if (want.w <= 0 || want.h <= 0) {
    want = RecentredRect(WindowRect{0, 0, kMinWindowWidth, kMinWindowHeight}, ctx_.workArea);
  }
  want.w = std::max(want.w, kMinWindowWidth);
  want.h = std::max(want.h, kMinWindowHeight);
  opened_ = want;
  shownOnce_ = false;
  window_ = SDL_CreateWindow(kProgramName, want.x, want.y, want.w, want.h,
                             SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN);
  if (!window_) return false;
  int top = 0, left = 0, bottom = 0, right = 0;
  if (SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0) top = left = bottom = right = 0;
  SDL_SetWindowMinimumSize(window_, kMinWindowWidth - left - right, kMinWindowHeight - top - bottom);
  SDL_SetWindowSize(window_, want.w - left - right, want.h - top - bottom);
  SDL_SetWindowPosition(window_, want.x + left, want.y + top);
  if (cairo_surface_t* icon = RenderBitmapResource("PROGRAM")) {
    cairo_surface_flush(icon);
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(
        cairo_image_surface_get_data(icon), cairo_image_surface_get_width(icon), cairo_image_surface_get_height(icon),
        32, cairo_image_surface_get_stride(icon), SDL_PIXELFORMAT_RGB888);
    if (s) {
      SDL_SetWindowIcon(window_, s);
      SDL_FreeSurface(s);
    }
    cairo_surface_destroy(icon);
  }
  // The window's own surface takes the back buffer's changed rectangles
  // directly; a renderer with a texture only where there is no surface.
  if (!SDL_GetWindowSurface(window_)) {
    renderer_ = SDL_CreateRenderer(window_, -1, 0);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  }
  // The window stays hidden: the first screen (or the first dialog before
  // it) shows it with the saved window_state.
  ReadClientSize();
  laidOutW_ = clientW_;
  laidOutH_ = clientH_;
  SDL_StartTextInput();
  return true;
}

void Window::ReadClientSize() {
  if (!window_) return;
  int w = 0, h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  clientW_ = w;
  clientH_ = h;
}

WindowRect Window::OuterRect() const {
  WindowRect r;
  if (!window_) return r;
  int top = 0, left = 0, bottom = 0, right = 0;
  if (SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0) top = left = bottom = right = 0;
  SDL_GetWindowPosition(window_, &r.x, &r.y);
  SDL_GetWindowSize(window_, &r.w, &r.h);
  r.x -= left;
  r.y -= top;
  r.w += left + right;
  r.h += top + bottom;
  return r;
}

WorkArea Window::DisplayWorkArea() const {
  WorkArea a = ctx_.workArea;
  if (!window_) return a;
  int display = SDL_GetWindowDisplayIndex(window_);
  SDL_Rect b;
  if (display >= 0 && SDL_GetDisplayUsableBounds(display, &b) == 0 && b.w > 0 && b.h > 0) {
    a.left = b.x;
    a.top = b.y;
    a.right = b.x + b.w;
    a.bottom = b.y + b.h;
  }
  return a;
}

void Window::MoveTo(int x, int y) {
  if (!window_) return;
  int top = 0, left = 0, bottom = 0, right = 0;
  if (SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0) top = left = 0;
  SDL_SetWindowPosition(window_, x + left, y + top);
  RecordPlacement();
}

void Window::SetOuterRect(const WindowRect& r) {
  if (!window_) return;
  int top = 0, left = 0, bottom = 0, right = 0;
  if (SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0) top = left = bottom = right = 0;
  if (SDL_GetWindowFlags(window_) & SDL_WINDOW_MAXIMIZED) SDL_RestoreWindow(window_);
  SDL_SetWindowSize(window_, r.w - left - right, r.h - top - bottom);
  SDL_SetWindowPosition(window_, r.x + left, r.y + top);
  ReadClientSize();
  ++sizeChanges;
  ctx_.settings.window_state = 1;
  RecordPlacement();
  laidOutW_ = clientW_;
  laidOutH_ = clientH_;
  if (onResize) onResize(clientW_, clientH_);
  redraw = true;
}

void Window::Raise() {
  if (window_) SDL_RaiseWindow(window_);
}

void Window::ShowState(int state) {
  if (!window_) return;
  SDL_ShowWindow(window_);
  if (!shownOnce_) {
    shownOnce_ = true;
    // Now that the window manager framed the window, the outer rectangle
    // from the settings is made exact (the client was sized without the
    // frame); otherwise the window would grow by its title bar every start.
    int top = 0, left = 0, bottom = 0, right = 0;
    auto framed = [&] {
      return SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) == 0 && (top | left | bottom | right) != 0;
    };
    // On X11 the window manager announces the frame a moment after the map.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && std::string_view(driver) == "x11") {
      for (int i = 0; i < 25 && !framed(); ++i) {
        SDL_Delay(10);
        SDL_PumpEvents();
      }
    }
    if (framed()) {
      SDL_SetWindowSize(window_, opened_.w - left - right, opened_.h - top - bottom);
      SDL_SetWindowPosition(window_, opened_.x + left, opened_.y + top);
    }
  }
  Uint32 flags = SDL_GetWindowFlags(window_);
  if (state == 3 && !(flags & SDL_WINDOW_MAXIMIZED)) SDL_MaximizeWindow(window_);
  if (state == 1 && (flags & (SDL_WINDOW_MAXIMIZED | SDL_WINDOW_MINIMIZED))) SDL_RestoreWindow(window_);
}

void Window::RecordPlacement() {
  if (ctx_.settings.window_state != 1) return;
  WindowRect r = OuterRect();
  Settings& s = ctx_.settings;
  if (r.x != s.window_x || r.y != s.window_y || r.w != s.window_wide || r.h != s.window_high)
    previousNormal_ = WindowRect{s.window_x, s.window_y, s.window_wide, s.window_high};
  ctx_.settings.window_x = r.x;
  ctx_.settings.window_y = r.y;
  ctx_.settings.window_wide = r.w;
  ctx_.settings.window_high = r.h;
}

void Window::SetBusy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (!window_) return;
  SDL_SetWindowResizable(window_, busy ? SDL_FALSE : SDL_TRUE);
  if (busy) return;
  // Size messages were dropped while busy: a size the window reached
  // meanwhile (a window manager may not honour the refusal) is laid out now,
  // so no part of the window is left unpainted.
  int w = 0, h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  if (w != laidOutW_ || h != laidOutH_) TakeSizeChange(SDL_WINDOWEVENT_SIZE_CHANGED);
}

void Window::TakeSizeChange(uint8_t event) {
  Uint32 flags = SDL_GetWindowFlags(window_);
  int state = (flags & SDL_WINDOW_MINIMIZED) ? 2 : (flags & SDL_WINDOW_MAXIMIZED) ? 3 : 1;
  if (state == 3 && ctx_.settings.window_state == 1) {
    // The size message of a maximise may come before the state
    // changes: keep the rectangle the window had before it.
    WindowRect r = OuterRect();
    Settings& s = ctx_.settings;
    if (r.x == s.window_x && r.y == s.window_y && r.w == s.window_wide && r.h == s.window_high &&
        previousNormal_.w > 0) {
      s.window_x = previousNormal_.x;
      s.window_y = previousNormal_.y;
      s.window_wide = previousNormal_.w;
      s.window_high = previousNormal_.h;
    }
  }
  ctx_.settings.window_state = state;
  RecordPlacement();
  ReadClientSize();
  const bool changed = laidOutW_ != clientW_ || laidOutH_ != clientH_;
  redraw = true;
  ++sizeChanges;
  if (event != SDL_WINDOWEVENT_MINIMIZED || changed) {
    laidOutW_ = clientW_;
    laidOutH_ = clientH_;
    if (onResize) onResize(clientW_, clientH_);
  }
  if (event == SDL_WINDOWEVENT_RESTORED && onExpose) onExpose();
}

void Window::SetTimer(int id, int ms) {
  KillTimer(id);
  SDL_TimerID t = SDL_AddTimer(uint32_t(std::max(1, ms)), TimerCallback, reinterpret_cast<void*>(intptr_t(id)));
  if (t) timers_.emplace_back(id, t);
}

void Window::KillTimer(int id) {
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->first == id) {
      SDL_RemoveTimer(it->second);
      timers_.erase(it);
      return;
    }
  }
}

bool Window::TimerRunning(int id) const {
  for (auto& t : timers_) if (t.first == id) return true;
  return false;
}

void Window::PostTimerMessage(int id) {
  SDL_Event e{};
  e.type = RegisteredTimerEvent();
  e.user.code = id;
  e.user.data1 = reinterpret_cast<void*>(1);
  SDL_PushEvent(&e);
}

void Window::FireTimer(int id) {
  in_.lastTimer = id;
  in_.timer = true;
  if (id == kTimerButtonRelease) {
    in_.heldButton = 0;
    KillTimer(kTimerButtonRelease);
  }
}

bool Window::Pump(bool wait) {
  if (ctx_.Quitting() || !window_) return false;
  SDL_Event e;
  int got = wait ? SDL_WaitEvent(&e) : SDL_PollEvent(&e);
  if (!got) return false;
  Record(e);
  return true;
}

bool Window::PumpTimeout(int ms) {
  if (ctx_.Quitting() || !window_) return false;
  SDL_Event e;
  if (!SDL_WaitEventTimeout(&e, ms)) return false;
  Record(e);
  return true;
}

void Window::Record(const SDL_Event& e) {
  // Reset at every message, then read the modifier state again.
  in_.wheelSteps = 0;
  in_.charKey = 0;
  in_.pressed = in_.released = in_.keyDown = in_.keyUp = in_.moved = in_.timer = false;
  in_.any = true;
  SDL_Keymod mod = SDL_GetModState();
  in_.shift = (mod & KMOD_SHIFT) != 0;
  in_.ctrl = (mod & KMOD_CTRL) != 0;

  if (e.type == timerEvent_) {
    // A timer message queued before the timer was killed is dropped; a
    // posted one (PostTimerMessage) always counts.
    if (e.user.data1 != nullptr || TimerRunning(e.user.code)) FireTimer(e.user.code);
    return;
  }
  switch (e.type) {
    case SDL_QUIT:
      ctx_.quit = 1;
      break;
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          ctx_.quit = 1;
          break;
        case SDL_WINDOWEVENT_MOVED:
          ReadClientSize();
          RecordPlacement();
          break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_RESIZED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_RESTORED:
          if (busy_) {
            // The window may not change while busy: undo a maximise; a size
            // the window got anyway is taken when the busy mark ends.
            if (e.window.event == SDL_WINDOWEVENT_MAXIMIZED) SDL_RestoreWindow(window_);
            break;
          }
          TakeSizeChange(e.window.event);
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          // Key-up messages may never come for keys held while leaving.
          keysDown_.clear();
          break;
        case SDL_WINDOWEVENT_EXPOSED:
          if (onExpose) onExpose();
          break;
        default:
          // Focus gained and the like: the clipboard watch looks at them.
          if (onOther) onOther(e);
          break;
      }
      break;
    case SDL_TEXTINPUT: {
      std::string ansi = AnsiFromUtf8(e.text.text);
      if (!ansi.empty()) in_.charKey = static_cast<unsigned char>(ansi[0]);
      // Several characters at once (an input method): one message each.
      for (size_t i = 1; i < ansi.size(); ++i) {
        SDL_Event more{};
        more.type = SDL_TEXTINPUT;
        more.text.windowID = e.text.windowID;
        std::string one = Utf8FromAnsi(ansi.substr(i, 1));
        SDL_strlcpy(more.text.text, one.c_str(), sizeof(more.text.text));
        SDL_PushEvent(&more);
      }
      break;
    }
    case SDL_KEYDOWN: {
      SDL_Keycode k = e.key.keysym.sym;
      keysDown_.insert(k);
      in_.keyDown = true;
      bool ctrl = (e.key.keysym.mod & KMOD_CTRL) != 0 || in_.ctrl;
      in_.ctrl = ctrl;
      in_.shift = in_.shift || (e.key.keysym.mod & KMOD_SHIFT) != 0;
      if (k == SDLK_LSHIFT || k == SDLK_RSHIFT || k == SDLK_LCTRL || k == SDLK_RCTRL) {
        in_.virtualKey = 0;
        break;
      }
      in_.virtualKey = VirtualKeyOf(k);
      // The character messages the text input does not send.
      if (k == SDLK_RETURN || k == SDLK_KP_ENTER) in_.charKey = kCharEnter;
      else if (k == SDLK_ESCAPE) in_.charKey = kCharEscape;
      else if (k == SDLK_BACKSPACE) in_.charKey = kCharBackspace;
      else if (k == SDLK_TAB) in_.charKey = kCharTab;
      else if (ctrl && k >= 'a' && k <= 'z') in_.charKey = k - 'a' + 1;
      break;
    }
    case SDL_KEYUP:
      keysDown_.erase(e.key.keysym.sym);
      in_.virtualKey = 0;
      in_.charKey = 0;
      in_.keyUp = true;
      break;
    case SDL_MOUSEBUTTONDOWN:
      in_.mouseX = e.button.x;
      in_.mouseY = e.button.y;
      if (e.button.button == SDL_BUTTON_LEFT) {
        in_.heldButton = 1;
        KillTimer(kTimerButtonRelease);
        in_.pressed = true;
      } else if (e.button.button == SDL_BUTTON_RIGHT) {
        in_.heldButton = 2;
        in_.pressed = true;
      }
      break;
    case SDL_MOUSEBUTTONUP:
      if (e.button.button == SDL_BUTTON_LEFT || e.button.button == SDL_BUTTON_RIGHT) {
        SetTimer(kTimerButtonRelease, 50);
        in_.released = true;
      }
      break;
    case SDL_MOUSEMOTION:
      in_.mouseX = e.motion.x;
      in_.mouseY = e.motion.y;
      in_.moved = true;
      break;
    case SDL_MOUSEWHEEL: {
      int delta = e.wheel.y * 120;
      if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) delta = -delta;
      if ((delta > 0 && in_.wheelAccumulator < 0) || (delta < 0 && in_.wheelAccumulator > 0)) in_.wheelAccumulator = 0;
      in_.wheelAccumulator += delta;
      if (std::abs(in_.wheelAccumulator) >= 120) {
        int steps = static_cast<int>(std::lround(in_.wheelAccumulator / 120.0));
        in_.wheelAccumulator -= steps * 120;
        in_.wheelSteps = steps * (in_.ctrl ? 1 : kWheelScrollLines);
      }
      in_.heldButton = 0;
      break;
    }
    default:
      if (onOther) onOther(e);
      break;
  }
  // The mouse stays captured while a button is held.
  bool capture = in_.heldButton != 0;
  if (capture != captured_) {
    SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE);
    captured_ = capture;
  }
}

void Window::Present(const uint8_t* pixels, int stride, int bufW, int bufH, int x, int y, int w, int h) {
  if (!window_ || !pixels || bufW <= 0 || bufH <= 0) return;
  if (!renderer_) {
    SDL_Surface* ws = SDL_GetWindowSurface(window_);
    if (!ws) return;
    x = std::max(0, x);
    y = std::max(0, y);
    w = std::min({w, bufW - x, ws->w - x});
    h = std::min({h, bufH - y, ws->h - y});
    if (w <= 0 || h <= 0) return;
    SDL_Rect r{x, y, w, h};
    Uint32 f = ws->format->format;
    if (f == SDL_PIXELFORMAT_ARGB8888 || f == SDL_PIXELFORMAT_RGB888) {
      // Same byte layout as the back buffer (opaque): copy rows.
      if (SDL_MUSTLOCK(ws)) SDL_LockSurface(ws);
      for (int row = 0; row < h; ++row)
        std::memcpy(static_cast<uint8_t*>(ws->pixels) + size_t(y + row) * ws->pitch + size_t(x) * 4,
                    pixels + size_t(y + row) * stride + size_t(x) * 4, size_t(w) * 4);
      if (SDL_MUSTLOCK(ws)) SDL_UnlockSurface(ws);
    } else {
      SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(pixels), bufW, bufH, 32, stride,
                                                            SDL_PIXELFORMAT_ARGB8888);
      if (!src) return;
      SDL_Rect d = r;
      SDL_BlitSurface(src, &r, ws, &d);
      SDL_FreeSurface(src);
    }
    SDL_UpdateWindowSurfaceRects(window_, &r, 1);
    return;
  }
  if (!texture_ || texW_ != bufW || texH_ != bufH) {
    if (texture_) SDL_DestroyTexture(texture_);
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, bufW, bufH);
    texW_ = bufW;
    texH_ = bufH;
    x = 0;
    y = 0;
    w = bufW;
    h = bufH;
  }
  if (!texture_) return;
  x = std::max(0, x);
  y = std::max(0, y);
  w = std::min(w, texW_ - x);
  h = std::min(h, texH_ - y);
  if (w > 0 && h > 0) {
    SDL_Rect r{x, y, w, h};
    SDL_UpdateTexture(texture_, &r, pixels + size_t(y) * stride + size_t(x) * 4, stride);
  }
  SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
  SDL_RenderPresent(renderer_);
}

}  // namespace pantrela::platform
