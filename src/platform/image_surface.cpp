#include "platform/image_surface.h"

#include <algorithm>
#include <cstring>

namespace pantrela::platform {

SurfacePtr ImageToSurface(const Image& image) {
  if (image.empty() || image.rgba.size() < size_t(image.width) * size_t(image.height) * 4) return nullptr;
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_surface_flush(surface.get());
  unsigned char* data = cairo_image_surface_get_data(surface.get());
  int stride = cairo_image_surface_get_stride(surface.get());
  if (!data) return nullptr;
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* s = image.rgba.data() + size_t(y) * size_t(image.width) * 4;
    auto* d = reinterpret_cast<uint32_t*>(data + size_t(y) * size_t(stride));
    for (int x = 0; x < image.width; ++x) {
      uint32_t a = s[4 * x + 3];
      auto pre = [a](uint32_t c) { return (c * a + 127) / 255; };
      // Native-endian 32-bit pixels: alpha in the top byte, then red, green, blue.
      d[x] = (a << 24) | (pre(s[4 * x]) << 16) | (pre(s[4 * x + 1]) << 8) | pre(s[4 * x + 2]);
    }
  }
  cairo_surface_mark_dirty(surface.get());
  return surface;
}

Image SurfaceToImage(cairo_surface_t* surface) {
  Image out;
  if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return out;
  cairo_format_t format = cairo_image_surface_get_format(surface);
  if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) return out;
  cairo_surface_flush(surface);
  int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  if (!data || !ImageSizeAllowed(w, h)) return out;
  out.width = w;
  out.height = h;
  out.rgba.resize(size_t(w) * size_t(h) * 4);
  for (int y = 0; y < h; ++y) {
    const auto* s = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
    uint8_t* d = out.rgba.data() + size_t(y) * size_t(w) * 4;
    for (int x = 0; x < w; ++x) {
      uint32_t px = s[x];
      uint32_t a = format == CAIRO_FORMAT_ARGB32 ? px >> 24 : 255;
      auto un = [a](uint32_t c) { return a ? uint8_t(std::min<uint32_t>(255, (c * 255 + a / 2) / a)) : uint8_t(0); };
      d[4 * x] = un((px >> 16) & 0xFF);
      d[4 * x + 1] = un((px >> 8) & 0xFF);
      d[4 * x + 2] = un(px & 0xFF);
      d[4 * x + 3] = uint8_t(a);
    }
  }
  return out;
}

}  // namespace pantrela::platform
