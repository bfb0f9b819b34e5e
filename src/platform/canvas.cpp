#include "platform/canvas.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/window.h"

namespace pantrela::platform {
namespace {

void SetColour(cairo_t* cr, uint32_t c) {
  cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0);
}

std::string FontKey(const FontDesc& f) {
  return f.face + "\x01" + std::to_string(f.height) + "\x01" + std::to_string(f.weight);
}

}  // namespace

bool FontInstalled(const std::string& face) {
  if (face.empty()) return false;
  FcPattern* pat = FcPatternCreate();
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
  FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* fs = FcFontList(nullptr, pat, os);
  bool found = fs && fs->nfont > 0;
  if (fs) FcFontSetDestroy(fs);
  FcObjectSetDestroy(os);
  FcPatternDestroy(pat);
  return found;
}

Picture PictureFromImage(const Image& image) {
  Picture p;
  if (image.empty() || image.rgba.size() < size_t(image.width) * image.height * 4) return p;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return p;
  }
  cairo_surface_flush(s);
  uint8_t* dst = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* src = &image.rgba[size_t(y) * image.width * 4];
    uint32_t* row = reinterpret_cast<uint32_t*>(dst + size_t(y) * stride);
    for (int x = 0; x < image.width; ++x) {
      uint32_t r = src[4 * x], g = src[4 * x + 1], b = src[4 * x + 2], a = src[4 * x + 3];
      r = r * a / 255;
      g = g * a / 255;
      b = b * a / 255;
      row[x] = (a << 24) | (r << 16) | (g << 8) | b;
    }
  }
  cairo_surface_mark_dirty(s);
  p.surface.reset(s, cairo_surface_destroy);
  p.width = image.width;
  p.height = image.height;
  return p;
}

Canvas::~Canvas() {
  for (auto& f : fonts_) pango_font_description_free(f.second);
  for (auto& b : bitmaps_) cairo_surface_destroy(b.second);
  if (layout_) g_object_unref(layout_);
  if (cr_) cairo_destroy(cr_);
  if (surface_) cairo_surface_destroy(surface_);
}

void Canvas::Resize(int width, int height) {
  width = std::max(1, width);
  height = std::max(1, height);
  if (surface_ && width == width_ && height == height_) return;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_t* cr = cairo_create(s);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  if (surface_) {
    cairo_set_source_surface(cr, surface_, 0, 0);
    cairo_paint(cr);
  }
  if (layout_) {
    g_object_unref(layout_);
    layout_ = nullptr;
  }
  if (cr_) cairo_destroy(cr_);
  if (surface_) cairo_surface_destroy(surface_);
  surface_ = s;
  cr_ = cr;
  width_ = width;
  height_ = height;
  layout_ = pango_cairo_create_layout(cr_);
  cairo_font_options_t* opts = cairo_font_options_create();
  cairo_font_options_set_antialias(opts, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_metrics(opts, CAIRO_HINT_METRICS_ON);
  pango_cairo_context_set_font_options(pango_layout_get_context(layout_), opts);
  cairo_font_options_destroy(opts);
  pango_layout_context_changed(layout_);
}

const uint8_t* Canvas::Pixels() {
  if (!surface_) return nullptr;
  cairo_surface_flush(surface_);
  return cairo_image_surface_get_data(surface_);
}

int Canvas::Stride() const { return surface_ ? cairo_image_surface_get_stride(surface_) : 0; }

int Canvas::PixelAt(int x, int y) {
  if (!surface_ || x < 0 || y < 0 || x >= width_ || y >= height_) return -1;
  const uint8_t* p = Pixels() + size_t(y) * Stride() + size_t(x) * 4;
  uint32_t v;
  std::memcpy(&v, p, 4);
  int r = (v >> 16) & 0xFF, g = (v >> 8) & 0xFF, b = v & 0xFF;
  return r + 256 * g + 65536 * b;
}

PangoFontDescription* Canvas::FontFor(const FontDesc& font) {
  std::string key = FontKey(font);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  PangoFontDescription* d = pango_font_description_new();
  pango_font_description_set_family(d, font.face.empty() ? "Arial" : font.face.c_str());
  pango_font_description_set_weight(d, font.weight >= 600 ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  int height = font.height == 0 ? 20 : std::abs(font.height);
  // The height is that of a text line (ascent + descent): scale the em size
  // by the face's own metrics.
  pango_font_description_set_absolute_size(d, 100.0 * PANGO_SCALE);
  PangoFontMetrics* m = pango_context_get_metrics(pango_layout_get_context(layout_), d, nullptr);
  double line = m ? (pango_font_metrics_get_ascent(m) + pango_font_metrics_get_descent(m)) / double(PANGO_SCALE) : 115.0;
  if (m) pango_font_metrics_unref(m);
  if (line <= 1) line = 115.0;
  pango_font_description_set_absolute_size(d, height * 100.0 / line * PANGO_SCALE);
  fonts_[key] = d;
  return d;
}

void Canvas::DrawText(int x, int y, int mode, uint32_t colour, const FontDesc& font, std::string_view text) {
  if (!cr_) return;
  std::string utf8 = Utf8FromAnsi(text);
  pango_layout_set_font_description(layout_, FontFor(font));
  pango_layout_set_text(layout_, utf8.data(), int(utf8.size()));
  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout_, nullptr, &logical);
  lastW_ = text.empty() ? 0 : logical.width;
  lastH_ = logical.height;
  if (mode == kTextMeasure || text.empty()) return;
  int left = x;
  if (mode == kTextRight) left = x - lastW_;
  else if (mode == kTextCentre) left = x - lastW_ / 2;
  SetColour(cr_, colour);
  cairo_move_to(cr_, left, y);
  pango_cairo_show_layout(cr_, layout_);
}

void Canvas::FillRect(int x1, int y1, int x2, int y2, uint32_t colour) {
  if (!cr_ || x2 <= x1 || y2 <= y1) return;
  SetColour(cr_, colour);
  cairo_rectangle(cr_, x1, y1, x2 - x1, y2 - y1);
  cairo_fill(cr_);
}

void Canvas::FrameRect(int x1, int y1, int x2, int y2, uint32_t colour, int penWidth) {
  if (!cr_ || x2 <= x1 || y2 <= y1) return;
  int p = std::max(1, penWidth);
  SetColour(cr_, colour);
  // Four filled bands: crisp edges whatever the pen width.
  cairo_rectangle(cr_, x1, y1, x2 - x1, std::min(p, y2 - y1));
  cairo_rectangle(cr_, x1, std::max(y1, y2 - p), x2 - x1, std::min(p, y2 - y1));
  cairo_rectangle(cr_, x1, y1, std::min(p, x2 - x1), y2 - y1);
  cairo_rectangle(cr_, std::max(x1, x2 - p), y1, std::min(p, x2 - x1), y2 - y1);
  cairo_fill(cr_);
}

void Canvas::DottedRect(int x1, int y1, int x2, int y2, uint32_t colour) {
  if (!cr_ || x2 <= x1 || y2 <= y1) return;
  SetColour(cr_, colour);
  cairo_save(cr_);
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
  double dash[] = {1.0, 1.0};
  cairo_set_dash(cr_, dash, 2, 0);
  cairo_set_line_width(cr_, 1);
  cairo_rectangle(cr_, x1 + 0.5, y1 + 0.5, x2 - x1 - 1, y2 - y1 - 1);
  cairo_stroke(cr_);
  cairo_restore(cr_);
}

void Canvas::FramedFill(int x1, int y1, int x2, int y2, uint32_t fill, uint32_t frame) {
  FillRect(x1, y1, x2, y2, fill);
  FrameRect(x1, y1, x2, y2, frame, 1);
}

void Canvas::Line(int x1, int y1, int x2, int y2, uint32_t colour, int penWidth) {
  if (!cr_) return;
  SetColour(cr_, colour);
  cairo_set_line_width(cr_, penWidth);
  cairo_move_to(cr_, x1 + 0.5, y1 + 0.5);
  cairo_line_to(cr_, x2 + 0.5, y2 + 0.5);
  cairo_stroke(cr_);
}

void Canvas::SetClip(int x1, int y1, int x2, int y2) {
  if (!cr_) return;
  cairo_reset_clip(cr_);
  cairo_rectangle(cr_, x1, y1, std::max(0, x2 - x1), std::max(0, y2 - y1));
  cairo_clip(cr_);
}

void Canvas::ClearClip() {
  if (cr_) cairo_reset_clip(cr_);
}

cairo_surface_t* Canvas::BitmapFor(std::string_view name, int keyColour) {
  std::string key = std::string(name) + "\x01" + std::to_string(keyColour);
  auto it = bitmaps_.find(key);
  if (it != bitmaps_.end()) return it->second;
  cairo_surface_t* src = RenderBitmapResource(name);
  if (!src) return nullptr;
  int w = cairo_image_surface_get_width(src), h = cairo_image_surface_get_height(src);
  cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_surface_flush(src);
  cairo_surface_flush(out);
  const uint8_t* sp = cairo_image_surface_get_data(src);
  uint8_t* dp = cairo_image_surface_get_data(out);
  int ss = cairo_image_surface_get_stride(src), ds = cairo_image_surface_get_stride(out);
  uint32_t keyRgb = keyColour < 0 ? 0xFFFFFFFFu
                                  : (uint32_t(keyColour & 0xFF) << 16) | (uint32_t(keyColour) & 0xFF00) |
                                        ((uint32_t(keyColour) >> 16) & 0xFF);
  for (int y = 0; y < h; ++y) {
    const uint32_t* s = reinterpret_cast<const uint32_t*>(sp + size_t(y) * ss);
    uint32_t* d = reinterpret_cast<uint32_t*>(dp + size_t(y) * ds);
    for (int x = 0; x < w; ++x) {
      uint32_t rgb = s[x] & 0xFFFFFF;
      d[x] = (rgb == keyRgb) ? 0 : (0xFF000000u | rgb);
    }
  }
  cairo_surface_mark_dirty(out);
  cairo_surface_destroy(src);
  bitmaps_[key] = out;
  return out;
}

bool Canvas::DrawBitmap(std::string_view name, int x, int y, int keyColour) {
  if (!cr_) return false;
  cairo_surface_t* b = BitmapFor(name, keyColour);
  if (!b) return false;
  cairo_set_source_surface(cr_, b, x, y);
  cairo_paint(cr_);
  return true;
}

void Canvas::DrawPictureScaled(const Picture& picture, int x, int y, int w, int h) {
  BlendPicture(picture, x, y, w, h, 1.0);
}

void Canvas::BlendPicture(const Picture& picture, int x, int y, int w, int h, double opacity) {
  if (!cr_ || picture.empty() || w <= 0 || h <= 0) return;
  cairo_save(cr_);
  cairo_rectangle(cr_, x, y, w, h);
  cairo_clip(cr_);
  cairo_translate(cr_, x, y);
  cairo_scale(cr_, double(w) / picture.width, double(h) / picture.height);
  cairo_set_source_surface(cr_, picture.surface.get(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
  if (opacity >= 1.0) cairo_paint(cr_);
  else cairo_paint_with_alpha(cr_, std::max(0.0, opacity));
  cairo_restore(cr_);
}

void Canvas::Snapshot() {
  if (!surface_) return;
  snapshot_.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width_, height_));
  cairo_t* c = cairo_create(snapshot_.get());
  cairo_set_source_surface(c, surface_, 0, 0);
  cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
  cairo_paint(c);
  cairo_destroy(c);
}

void Canvas::PutSnapshot(int x1, int y1, int x2, int y2) {
  if (!cr_ || !snapshot_ || x2 <= x1 || y2 <= y1) return;
  cairo_save(cr_);
  cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr_, snapshot_.get(), 0, 0);
  cairo_rectangle(cr_, x1, y1, x2 - x1, y2 - y1);
  cairo_fill(cr_);
  cairo_restore(cr_);
}

bool Canvas::WritePng(const std::string& path) {
  return surface_ && cairo_surface_write_to_png(surface_, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace pantrela::platform
