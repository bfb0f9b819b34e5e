#include "platform/image_codec.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstring>


namespace pantrela::platform {

namespace {

struct SizeCheck {
  bool tooLarge = false;
};

void OnSizePrepared(GdkPixbufLoader*, int w, int h, gpointer data) {
  auto* check = static_cast<SizeCheck*>(data);
  if (w <= 0 || h <= 0 || w > kMaxImageSide || h > kMaxImageSide || uint64_t(w) * uint64_t(h) * 4 > kMaxImageBytes)
    check->tooLarge = true;
}

bool FromPixbuf(GdkPixbuf* pb, Image& out) {
  int w = gdk_pixbuf_get_width(pb), h = gdk_pixbuf_get_height(pb);
  if (w <= 0 || h <= 0) return false;
  int channels = gdk_pixbuf_get_n_channels(pb);
  int stride = gdk_pixbuf_get_rowstride(pb);
  bool alpha = gdk_pixbuf_get_has_alpha(pb);
  const guchar* px = gdk_pixbuf_read_pixels(pb);
  out.width = w;
  out.height = h;
  out.rgba.assign(size_t(w) * size_t(h) * 4, 0);
  for (int y = 0; y < h; ++y) {
    const guchar* row = px + size_t(y) * size_t(stride);
    uint8_t* dst = out.rgba.data() + size_t(y) * size_t(w) * 4;
    for (int x = 0; x < w; ++x) {
      const guchar* s = row + size_t(x) * size_t(channels);
      dst[4 * x + 0] = s[0];
      dst[4 * x + 1] = s[1];
      dst[4 * x + 2] = s[2];
      dst[4 * x + 3] = alpha ? s[3] : 255;
    }
  }
  return true;
}

}  // namespace

bool DecodeImage(const std::string& bytes, Image& out) {
  out = Image();
  if (bytes.empty()) return false;
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
  SizeCheck check;
  g_signal_connect(loader, "size-prepared", G_CALLBACK(OnSizePrepared), &check);
  GError* err = nullptr;
  bool ok = gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(bytes.data()), bytes.size(), &err);
  if (err) {
    g_error_free(err);
    err = nullptr;
  }
  // Refuse oversized images before the decoder allocates them: closing the
  // loader after the size is known stops the decode.
  bool closed = gdk_pixbuf_loader_close(loader, &err);
  if (err) g_error_free(err);
  GdkPixbuf* pb = (ok && closed && !check.tooLarge) ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
  bool result = pb && FromPixbuf(pb, out);
  g_object_unref(loader);
  if (!result) out = Image();
  return result;
}

bool DecodeImageFile(const std::string& path, Image& out) {
  gchar* data = nullptr;
  gsize len = 0;
  if (!g_file_get_contents(path.c_str(), &data, &len, nullptr)) {
    out = Image();
    return false;
  }
  std::string bytes(data, len);
  g_free(data);
  return DecodeImage(bytes, out);
}

bool EncodeJpeg(const Image& image, std::string& jpeg) {
  jpeg.clear();
  if (image.empty()) return false;
  GdkPixbuf* pb = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, image.width, image.height);
  if (!pb) return false;
  int stride = gdk_pixbuf_get_rowstride(pb);
  guchar* px = gdk_pixbuf_get_pixels(pb);
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* s = image.rgba.data() + size_t(y) * size_t(image.width) * 4;
    guchar* d = px + size_t(y) * size_t(stride);
    for (int x = 0; x < image.width; ++x) {
      unsigned a = s[4 * x + 3];
      for (int c = 0; c < 3; ++c) d[3 * x + c] = guchar((s[4 * x + c] * a + 255 * (255 - a) + 127) / 255);
    }
  }
  gchar* buf = nullptr;
  gsize len = 0;
  bool ok = gdk_pixbuf_save_to_buffer(pb, &buf, &len, "jpeg", nullptr, nullptr);
  g_object_unref(pb);
  if (ok) jpeg.assign(buf, len);
  g_free(buf);
  return ok;
}

}  // namespace pantrela::platform
