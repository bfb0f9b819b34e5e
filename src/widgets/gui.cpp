#include "widgets/gui.h"

#include <algorithm>
#include <cmath>

#include "widgets/list_widgets.h"
#include "widgets/text_field.h"

namespace pantrela::widgets {
namespace {

bool IsArrowCaption(const std::string& s) {
  return s == "ARROW_UP" || s == "ARROW_DOWN" || s == "ARROW_LEFT" || s == "ARROW_RIGHT" || s == "BIG_LEFT" ||
         s == "BIG_RIGHT" || s == "BIG_DOWN";
}

uint32_t Shade(uint32_t c, int delta) {
  auto ch = [&](int shift) { return uint32_t(std::clamp(int((c >> shift) & 0xFF) + delta, 0, 255)) << shift; };
  return ch(0) | ch(8) | ch(16);
}

}  // namespace

std::vector<std::string> SplitList(std::string_view list) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    size_t bar = list.find('|', start);
    if (bar == std::string_view::npos) {
      out.emplace_back(list.substr(start));
      return out;
    }
    out.emplace_back(list.substr(start, bar - start));
    start = bar + 1;
  }
}

void FontSet::Rebuild(const Settings& settings) {
  std::string face = platform::FontInstalled(settings.screen_font) ? settings.screen_font : "Arial";
  int size = settings.screen_font_size == 0 ? 20 : std::abs(settings.screen_font_size);
  fonts[kFontNone] = FontDesc{face, size, 400, 4};
  fonts[kFontScreen] = FontDesc{face, size, 400, 4};
  fonts[kFontScreenBold] = FontDesc{face, size, 700, 4};
  fonts[kFontScreenLarge] = FontDesc{face, size + 8, 700, 4};
  fonts[kFontSmall] = FontDesc{"Arial", 15, 400, 0};
  fonts[kFontSmallBold] = FontDesc{"Arial", 15, 700, 0};
  fonts[kFontList] = FontDesc{"Arial", 20, 400, 4};
  fonts[kFontListBold] = FontDesc{"Arial", 20, 700, 4};
  fonts[kFontHeading24] = FontDesc{"Arial", 24, 700, 4};
  fonts[kFontHeading28] = FontDesc{"Arial", 28, 700, 4};
  fonts[kFontMessage] = FontDesc{"Arial", 20, 700, 4};
  fonts[kFontLabel17] = FontDesc{"Arial", 17, 700, 4};
  fonts[kFontButton] = FontDesc{"Arial", 20, 400, 5};
  fonts[kFontTab] = FontDesc{"Arial", 20, 400, 5};
  fieldHeight = int(std::lround(1.15 * size));
  rowHeight = int(std::lround(1.15 * 20));
  smallRowHeight = 16;
}

int Control::AcceleratorLetter() const {
  int pos = accelerator >= 100 ? accelerator - 100 : accelerator;
  if (pos <= 0 || pos > int(caption.size())) return 0;
  return UpperLetter(static_cast<unsigned char>(caption[pos - 1]));
}

Gui::Gui(AppContext& context) : ctx(context), window(context) {
  // The busy mark reaches the window however it is set.
  ctx.onBusyChange = [this](bool busy) { window.SetBusy(busy); };
}

Gui::~Gui() { ctx.onBusyChange = nullptr; }

bool Gui::Open() {
  fonts.Rebuild(ctx.settings);
  if (!window.Open()) return false;
  window.SetBusy(ctx.Busy());
  canvas.Resize(window.ClientWidth(), window.ClientHeight());
  window.onResize = [this](int w, int h) {
    canvas.Resize(w, h);
    if (onLayout) onLayout(w, h);
  };
  window.onExpose = [this] { ShowAll(); };
  return true;
}

void Gui::AddModalBox(int& count, int left, int top, int W, int H) {
  AddControl(count, {.id = kIdDecoration, .kind = kKindSnapshot, .x1 = left - 10, .y1 = top - 10, .x2 = left + W + 12,
                     .y2 = top + H + 12});
  AddControl(count, {.id = kIdTopBar, .x1 = 0, .y1 = 0, .x2 = Width(), .y2 = 44});
  AddControl(count, {.id = kIdDecoration, .kind = kKindBox, .x1 = left, .y1 = top, .x2 = left + W, .y2 = top + H,
                     .foreground = kBlack, .background = kBoxFill});
}

void Gui::RepaintAfterResize(int& seen) {
  if (window.sizeChanges == seen) return;
  seen = window.sizeChanges;
  DrawAllControls();
  ShowAll();
}

int Gui::AddControl(int& count, Control control) {
  if (count < 0) count = 0;
  if (count == 0) {
    highlighted_ = -1;
    downIndex_ = -1;
    caretField = -1;
  }
  if (size_t(count) >= table.size()) table.resize(size_t(count) + 1);
  Control& c = table[size_t(count)];
  c = std::move(control);
  c.state = kStateNormal;
  c.reserved = 0;
  if (c.caption.size() > 219) c.caption.resize(219);
  const int index = count++;
  if (c.id == kIdEnd) table.resize(size_t(count));
  return index;
}

int Gui::Find(int id) const {
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i].id == kIdEnd) break;
    if (table[i].id == id) return int(i);
  }
  return -1;
}

Control* Gui::ById(int id) {
  int i = Find(id);
  return i < 0 ? nullptr : &table[size_t(i)];
}

void Gui::SaveControls() { saved_.push_back(table); }

void Gui::RestoreControls() {
  if (saved_.empty()) return;
  table = std::move(saved_.back());
  saved_.pop_back();
  highlighted_ = -1;
  downIndex_ = -1;
  caretField = -1;
}

Gui::KindPainter Gui::SetKindPainter(int kind, KindPainter painter) {
  KindPainter old = painters_[kind];
  painters_[kind] = std::move(painter);
  return old;
}

void Gui::ShowBuffer(int x, int y, int w, int h) {
  window.Present(canvas.Pixels(), canvas.Stride(), canvas.Width(), canvas.Height(), x, y, w, h);
}

void Gui::ShowControl(int index) {
  if (index < 0 || size_t(index) >= table.size()) return;
  const Control& c = table[size_t(index)];
  ShowBuffer(c.x1, c.y1, c.x2 - c.x1 + 1, c.y2 - c.y1 + 1);
}

void Gui::DrawAllControls() {
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i].id == kIdEnd) break;
    DrawControl(int(i));
  }
}

void Gui::DrawControl(int index) {
  if (index < 0 || size_t(index) >= table.size()) return;
  const Control& c = table[size_t(index)];
  if (c.id == kIdEnd) return;
  canvas.SetClip(c.x1, c.y1, c.x2, c.y2);
  PaintByKind(c, index);
  canvas.ClearClip();
}

void Gui::PaintTab(const Control& c) {
  const FontDesc& font = fonts[c.font];
  const int w = c.x2 - c.x1, h = c.y2 - c.y1;
  bool current = c.id == ctx.screen;
  uint32_t face = current ? c.foreground : c.background;
  if (c.state == kStateHover && !current) face = Shade(face, 20);
  cairo_t* cr = canvas.Cairo();
  double r = 8;
  cairo_new_path(cr);
  cairo_move_to(cr, c.x1, c.y2);
  cairo_arc(cr, c.x1 + r, c.y1 + r, r, M_PI, 1.5 * M_PI);
  cairo_arc(cr, c.x2 - r, c.y1 + r, r, 1.5 * M_PI, 2 * M_PI);
  cairo_line_to(cr, c.x2, c.y2);
  cairo_close_path(cr);
  cairo_set_source_rgb(cr, (face & 0xFF) / 255.0, ((face >> 8) & 0xFF) / 255.0, ((face >> 16) & 0xFF) / 255.0);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  canvas.DrawText(0, 0, platform::kTextMeasure, 0, font, c.caption);
  canvas.DrawText(c.x1 + w / 2, c.y1 + (h - canvas.LastTextHeight()) / 2 + 1, platform::kTextCentre, kBlack, font,
                  c.caption);
}

void Gui::PaintButton(const Control& c) {
  const FontDesc& font = fonts[c.font];
  const int w = c.x2 - c.x1, h = c.y2 - c.y1;
  uint32_t face = c.background;
  int shift = 0;
  if (c.state == kStateLeft || c.state == kStateRight) {
    face = Shade(face, -30);
    shift = 1;
  } else if (c.state == kStateHover) {
    face = Shade(face, 25);
  }
  canvas.FillRect(c.x1, c.y1, c.x2, c.y2, face);
  canvas.FrameRect(c.x1, c.y1, c.x2, c.y2, Rgb(90, 90, 90), 1);
  if (IsArrowCaption(c.caption)) {
    int bw = c.caption.rfind("BIG", 0) == 0 ? 28 : 16;
    canvas.DrawBitmap(c.caption, c.x1 + (w - bw) / 2 + shift, c.y1 + (h - bw) / 2 + shift, kWhite);
    return;
  }
  canvas.DrawText(0, 0, platform::kTextMeasure, 0, font, c.caption);
  int tw = canvas.LastTextWidth(), th = canvas.LastTextHeight();
  int tx = c.x1 + w / 2 - tw / 2 + shift, ty = c.y1 + (h - th) / 2 + shift;
  canvas.DrawText(tx, ty, platform::kTextLeft, c.foreground, font, c.caption);
  int pos = c.accelerator >= 100 ? c.accelerator - 100 : c.accelerator;
  if (pos > 0 && pos <= int(c.caption.size())) {
    int before = canvas.TextWidth(font, std::string_view(c.caption).substr(0, size_t(pos - 1)));
    int letter = canvas.TextWidth(font, std::string_view(c.caption).substr(size_t(pos - 1), 1));
    canvas.FillRect(tx + before, ty + th - 2, tx + before + letter, ty + th - 1, c.foreground);
  }
}

void Gui::PaintByKind(const Control& c, int index) {
  const FontDesc& font = fonts[c.font];
  int w = c.x2 - c.x1, h = c.y2 - c.y1;
  switch (c.kind) {
    case kKindFill:
      canvas.FillRect(c.x1, c.y1, c.x2, c.y2, c.background);
      break;
    case kKindTab:
      PaintTab(c);
      break;
    case kKindButton:
      PaintButton(c);
      break;
    case kKindText: {
      int x = c.align == 1 ? c.x2 : c.align == 2 ? c.x1 + w / 2 : c.x1;
      int mode = c.align == 1 ? platform::kTextRight : c.align == 2 ? platform::kTextCentre : platform::kTextLeft;
      canvas.DrawText(x, c.y1, mode, c.foreground, font, c.caption);
      break;
    }
    case kKindBox:
      canvas.FramedFill(c.x1, c.y1, c.x2, c.y2, kBoxFill, kBlack);
      break;
    case kKindFilled:
      canvas.FillRect(c.x1, c.y1, c.x2, c.y2, c.foreground);
      break;
    case kKindOutline:
      canvas.FrameRect(c.x1, c.y1, c.x2, c.y2, c.foreground, 1);
      break;
    case kKindDotted:
      canvas.DottedRect(c.x1, c.y1, c.x2, c.y2, c.foreground);
      break;
    case kKindBlend:
      canvas.BlendPicture(c.picture, c.x1, c.y1, w, h, c.opacity);
      break;
    case kKindBitmap:
      canvas.DrawBitmap(c.caption, c.x1, c.y1, int(c.background));
      break;
    case kKindSnapshot:
      canvas.PutSnapshot(c.x1, c.y1, c.x2, c.y2);
      break;
    case kKindFramedFill:
      canvas.FramedFill(c.x1, c.y1, c.x2, c.y2, c.foreground, c.background);
      break;
    case kKindTextField:
      DrawTextField(*this, index, caretField == index);
      break;
    case kKindCheckBox:
      canvas.FramedFill(c.x1, c.y1, c.x2, c.y2, kWhite, Rgb(60, 60, 60));
      if (c.value) canvas.DrawBitmap("CHECKED_BOX", c.x1 + (w - 16) / 2 + 1, c.y1 + (h - 16) / 2 + 1, kWhite);
      break;
    case kKindPicture: {
      canvas.DrawText(0, 0, platform::kTextMeasure, 0, font, c.caption);
      int th = c.caption.empty() ? 0 : canvas.LastTextHeight() + 2;
      canvas.DrawPictureScaled(c.picture, c.x1, c.y1, w, h - th);
      if (th) canvas.DrawText(c.x1 + w / 2, c.y2 - th + 1, platform::kTextCentre, c.foreground, font, c.caption);
      break;
    }
    default: {
      auto it = painters_.find(c.kind);
      if (it != painters_.end() && it->second) it->second(*this, index);
      break;
    }
  }
}

int Gui::WaitEvent(bool wait) {
  if (window.redraw && !ctx.popupUp) return 0;
  if (wait && idleHook && !SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) {
    SDL_PumpEvents();
    if (!SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) idleHook();
  }
  if (!window.Pump(wait)) return 0;
  platform::InputState& in = window.Input();
  int result = 0;
  bool byKey = false;
  if (in.charKey) {
    int key = UpperLetter(in.charKey);
    size_t n = std::min(table.size(), size_t(kMaxChoosable));
    for (size_t i = 0; i < n; ++i) {
      Control& c = table[i];
      if (c.id == kIdEnd) break;
      if (c.id == kIdDecoration) continue;
      if (ctx.popupUp && c.kind == kKindTab) continue;
      int letter = c.AcceleratorLetter();
      if (letter == 0 || letter != key) continue;
      c.state = kStateLeft;
      DrawControl(int(i));
      ShowControl(int(i));
      // Shown pressed until the key comes up.
      while (window.AnyKeyDown() && !ctx.Quitting()) window.Pump(true);
      table[i].state = kStateNormal;
      DrawControl(int(i));
      ShowControl(int(i));
      if (highlighted_ == int(i)) highlighted_ = -1;
      result = table[i].id;
      byKey = true;
      break;
    }
  }
  if (!byKey) TrackPointer(result);
  if (result >= 3 && result <= 8 && !ctx.popupUp && !ctx.Busy()) ctx.screen = result;
  if (updateChecks) updateChecks();
  return result;
}

void Gui::TrackPointer(int& result) {
  platform::InputState& in = window.Input();
  int hit = -1;
  size_t n = std::min(table.size(), size_t(kMaxChoosable));
  for (size_t i = 0; i < n; ++i) {
    const Control& c = table[i];
    if (c.id == kIdEnd) break;
    if (c.id == kIdDecoration) continue;
    if (c.Contains(in.mouseX, in.mouseY)) hit = int(i);  // the last one drawn is on top
  }
  overIndex = hit;
  overId = hit >= 0 ? table[size_t(hit)].id : 0;

  if (in.pressed) {
    down_ = true;
    downIndex_ = hit;
    downButton_ = in.heldButton;
    if (hit >= 0 && table[size_t(hit)].id == kIdTopBar && in.heldButton == 1) {
      platform::WindowRect r = window.OuterRect();
      int gx = 0, gy = 0;
      SDL_GetGlobalMouseState(&gx, &gy);
      dragging_ = true;
      dragDX_ = gx - r.x;
      dragDY_ = gy - r.y;
    }
  }
  if (dragging_ && in.moved && down_) {
    int gx = 0, gy = 0;
    SDL_GetGlobalMouseState(&gx, &gy);
    window.MoveTo(gx - dragDX_, gy - dragDY_);
  }

  if (in.heldButton && hit >= 0) {
    pressedIndex = hit;
    pressedId = table[size_t(hit)].id;
    if (!window.TimerRunning(platform::kTimerRepeat)) window.SetTimer(platform::kTimerRepeat, 40);
  } else {
    pressedIndex = -1;
    pressedId = 0;
  }
  if (!in.heldButton) window.KillTimer(platform::kTimerRepeat);

  int chosenIndex = -1;
  if (in.released) {
    if (hit >= 0 && hit == downIndex_ &&
        (table[size_t(hit)].state == kStateLeft || table[size_t(hit)].state == kStateRight)) {
      chosenIndex = hit;
      result = table[size_t(hit)].id;
    }
    if (dragging_) {
      dragging_ = false;
      SaveSettings();
    }
    down_ = false;
    downIndex_ = -1;
  }

  int newState = hit < 0 ? kStateNormal : down_ ? (downButton_ == 2 ? kStateRight : kStateLeft) : kStateHover;
  if (chosenIndex >= 0) newState = kStateNormal;
  if (highlighted_ >= 0 && size_t(highlighted_) < table.size() && highlighted_ != hit) {
    if (table[size_t(highlighted_)].state != kStateNormal) {
      table[size_t(highlighted_)].state = kStateNormal;
      DrawControl(highlighted_);
      ShowControl(highlighted_);
    }
  }
  if (hit >= 0 && table[size_t(hit)].state != newState) {
    table[size_t(hit)].state = newState;
    DrawControl(hit);
    ShowControl(hit);
  }
  highlighted_ = hit;

  if (result == kIdTopBar && downButton_ == 2) {
    // Right click on the top bar: back into the work area, at least the
    // smallest size, centred.
    platform::WindowRect r = platform::RecentredRect(window.OuterRect(), window.DisplayWorkArea());
    window.SetOuterRect(r);
    SaveSettings();
    window.redraw = true;
  }
}

void Gui::SaveSettings() {
  pantrela::SaveSettings(ctx);
}

}  // namespace pantrela::widgets
