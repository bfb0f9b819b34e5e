#include "platform/image_codec.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace pantrela::platform {

namespace {

uint32_t LE32(std::string_view s, size_t off) {
  const auto* p = reinterpret_cast<const uint8_t*>(s.data()) + off;
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
uint16_t LE16(std::string_view s, size_t off) {
  const auto* p = reinterpret_cast<const uint8_t*>(s.data()) + off;
  return uint16_t(p[0] | (p[1] << 8));
}

}  // namespace

const char* ImageSignatureType(std::string_view b) {
  auto starts = [&](size_t off, std::string_view sig) { return b.size() >= off + sig.size() && b.substr(off, sig.size()) == sig; };
  if (starts(0, "\xFF\xD8\xFF")) return "jpeg";
  if (starts(0, "\x89PNG")) return "png";
  if (starts(0, "GIF8")) return "gif";
  if (starts(0, "BM")) return "bmp";
  if (starts(0, std::string_view("\0\0\1\0", 4)) || starts(0, std::string_view("\0\0\2\0", 4))) return "ico";
  return "";
}

namespace {

struct SizeCheck {
  bool tooLarge = false;
};

void OnSizePrepared(GdkPixbufLoader* loader, int w, int h, gpointer data) {
  auto* check = static_cast<SizeCheck*>(data);
  if (!ImageSizeAllowed(w, h)) {
    check->tooLarge = true;
    // A size of 0 x 0 tells the decoder to stop before it allocates pixels.
    gdk_pixbuf_loader_set_size(loader, 0, 0);
  }
}

bool FromPixbuf(GdkPixbuf* pb, Image& out) {
  int w = gdk_pixbuf_get_width(pb), h = gdk_pixbuf_get_height(pb);
  if (!ImageSizeAllowed(w, h)) return false;
  if (gdk_pixbuf_get_bits_per_sample(pb) != 8 || gdk_pixbuf_get_colorspace(pb) != GDK_COLORSPACE_RGB) return false;
  int channels = gdk_pixbuf_get_n_channels(pb);
  int stride = gdk_pixbuf_get_rowstride(pb);
  bool alpha = gdk_pixbuf_get_has_alpha(pb);
  if (channels < (alpha ? 4 : 3)) return false;
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

bool HasFormat(GSList* formats, const char* name, bool writable) {
  for (GSList* l = formats; l; l = l->next) {
    auto* f = static_cast<GdkPixbufFormat*>(l->data);
    gchar* n = gdk_pixbuf_format_get_name(f);
    bool match = n && std::strcmp(n, name) == 0 && (!writable || gdk_pixbuf_format_is_writable(f));
    g_free(n);
    if (match) return true;
  }
  return false;
}

// Channel value of a masked pixel, widened to 8 bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;
  explicit Channel(uint32_t m) : mask(m) {
    if (m) {
      shift = std::countr_zero(m);
      max = m >> shift;
    }
  }
  uint8_t operator()(uint32_t px) const {
    if (!max) return 0;
    uint32_t v = (px & mask) >> shift;
    return uint8_t((uint64_t(v) * 255 + max / 2) / max);
  }
};

// The fields the general decoder sizes its work by, checked against the
// file: planes, bits per pixel that suit the compression, a colour count no
// larger than the bits allow, the palette and the pixel data within the
// file. A file that fails is refused before the decoder sees it (a small
// file claiming billions of colours would make it allocate gigabytes).
bool BmpFieldsFitFile(std::string_view bytes, uint32_t headerSize) {
  const uint64_t size = bytes.size();
  const uint64_t offset = LE32(bytes, 10);
  if (offset < 14 + uint64_t(headerSize) || offset > size) return false;
  if (headerSize == 12) {
    const uint16_t planes = LE16(bytes, 22), bits = LE16(bytes, 24);
    if (planes != 1 || (bits != 1 && bits != 4 && bits != 8 && bits != 24)) return false;
    const uint64_t colours = bits <= 8 ? (1u << bits) : 0;
    return 14 + 12 + colours * 3 <= size;
  }
  const uint16_t planes = LE16(bytes, 26), bits = LE16(bytes, 28);
  const uint32_t compression = LE32(bytes, 30);
  const uint64_t imageSize = LE32(bytes, 34);
  const uint64_t used = LE32(bytes, 46);
  if (planes != 1) return false;
  if ((compression == 1 && bits != 8) || (compression == 2 && bits != 4)) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  const uint64_t most = bits <= 8 ? (1u << bits) : 0;
  if (bits <= 8 && used > most) return false;
  if (bits > 8 && used > (size / 4)) return false;
  const uint64_t colours = used ? used : most;
  if (14 + uint64_t(headerSize) + colours * 4 > size) return false;
  return imageSize <= size - offset;
}

// Uncompressed and colour-masked BMP files are decoded here, so that a cut
// file is refused instead of coming back half-filled, and their size is
// checked before anything is allocated. -1 hands other kinds (run-length
// compressed, OS/2 headers) to the general decoder.
int DecodeBmpFile(std::string_view bytes, Image& out) {
  if (bytes.size() < 14 + 12) return kCodecCorrupt;
  uint32_t headerSize = LE32(bytes, 14);
  // Only the header sizes that exist; the general decoder trusts the field.
  if (headerSize != 12 && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 64 &&
      headerSize != 108 && headerSize != 124)
    return kCodecCorrupt;
  if (bytes.size() < 14 + uint64_t(headerSize)) return kCodecCorrupt;
  if (headerSize == 12) {
    if (!ImageSizeAllowed(LE16(bytes, 18), LE16(bytes, 20))) return kCodecTooLarge;
    return BmpFieldsFitFile(bytes, headerSize) ? -1 : kCodecCorrupt;
  }
  uint32_t compression = LE32(bytes, 30);
  int64_t width = int32_t(LE32(bytes, 18)), height = int32_t(LE32(bytes, 22));
  if (!ImageSizeAllowed(width, height < 0 ? -height : height)) return kCodecTooLarge;
  if (compression == 1 || compression == 2)  // run-length encoded
    return BmpFieldsFitFile(bytes, headerSize) ? -1 : kCodecCorrupt;
  if (compression != 0 && compression != 3) return kCodecCorrupt;
  uint64_t offset = LE32(bytes, 10);
  if (offset < 14 + uint64_t(headerSize) || offset > bytes.size()) return kCodecCorrupt;
  std::string_view info = bytes.substr(14, size_t(offset) - 14);
  return ImageFromDib(info, bytes.substr(size_t(offset)), out) ? kCodecOk : kCodecCorrupt;
}

}  // namespace

bool ImageSizeAllowed(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
         uint64_t(width) * uint64_t(height) * 4 <= kMaxImageBytes;
}

int DecodeImageStatus(std::string_view bytes, Image& out) {
  out = Image();
  const char* type = ImageSignatureType(bytes);
  if (!*type) return kCodecUnknownType;
  if (std::strcmp(type, "bmp") == 0) {
    int status = DecodeBmpFile(bytes, out);
    if (status >= 0) return status;
  }
  GError* err = nullptr;
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type(type, &err);
  if (err) g_error_free(err);
  if (!loader) return kCodecNotStarted;
  SizeCheck check;
  g_signal_connect(loader, "size-prepared", G_CALLBACK(OnSizePrepared), &check);
  err = nullptr;
  bool ok = gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(bytes.data()), bytes.size(), &err);
  if (err) {
    g_error_free(err);
    err = nullptr;
  }
  bool closed = gdk_pixbuf_loader_close(loader, &err);
  if (err) g_error_free(err);
  int status = kCodecOk;
  if (check.tooLarge) {
    status = kCodecTooLarge;
  } else {
    GdkPixbuf* pb = (ok && closed) ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
    if (!pb)
      status = kCodecCorrupt;
    else if (!FromPixbuf(pb, out))
      status = kCodecTooLarge;
  }
  g_object_unref(loader);
  if (status != kCodecOk) out = Image();
  return status;
}

int DecodeImageFileStatus(const std::string& path, Image& out) {
  out = Image();
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return kCodecFileUnreadable;
  // No image within the limits needs a file twice the largest decoded size.
  uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return kCodecFileUnreadable;
  if (size > 2 * kMaxImageBytes) return kCodecTooLarge;
  std::ifstream in(path, std::ios::binary);
  if (!in) return kCodecFileUnreadable;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return kCodecFileUnreadable;
  return DecodeImageStatus(bytes, out);
}

bool DecodeImage(const std::string& bytes, Image& out) { return DecodeImageStatus(bytes, out) == kCodecOk; }

namespace {

// The image drawn over opaque white, saved by gdk-pixbuf as `type`.
bool EncodeOverWhite(const Image& image, const char* type, std::string& out) {
  out.clear();
  if (image.empty() || image.rgba.size() != size_t(image.width) * size_t(image.height) * 4) return false;
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
  bool ok = gdk_pixbuf_save_to_buffer(pb, &buf, &len, type, nullptr, nullptr);
  g_object_unref(pb);
  if (ok) out.assign(buf, len);
  g_free(buf);
  return ok;
}

}  // namespace

bool EncodeJpeg(const Image& image, std::string& jpeg) { return EncodeOverWhite(image, "jpeg", jpeg); }
bool EncodePng(const Image& image, std::string& png) { return EncodeOverWhite(image, "png", png); }

int ImageCodecs::Startup(uint64_t& token) const {
  token = 0;
  GSList* formats = gdk_pixbuf_get_formats();
  bool ok = HasFormat(formats, "jpeg", true);
  for (const char* name : {"png", "gif", "ico", "bmp"}) ok = ok && HasFormat(formats, name, false);
  token = g_slist_length(formats);
  g_slist_free(formats);
  if (!ok) token = 0;
  return ok ? kCodecOk : kCodecNotStarted;
}

void RenderOverWhite(Image& image) {
  for (size_t i = 0; i + 3 < image.rgba.size(); i += 4) {
    unsigned a = image.rgba[i + 3];
    if (a == 255) continue;
    for (int c = 0; c < 3; ++c) image.rgba[i + c] = uint8_t((image.rgba[i + c] * a + 255 * (255 - a) + 127) / 255);
    image.rgba[i + 3] = 255;
  }
}

Image ScaleNearest(const Image& image, int newWidth, int newHeight) {
  Image out;
  if (image.empty() || image.rgba.size() < size_t(image.width) * size_t(image.height) * 4 ||
      !ImageSizeAllowed(newWidth, newHeight))
    return out;
  out.width = newWidth;
  out.height = newHeight;
  out.rgba.resize(size_t(newWidth) * size_t(newHeight) * 4);
  std::vector<size_t> column(static_cast<size_t>(newWidth));
  for (int x = 0; x < newWidth; ++x) column[size_t(x)] = size_t(int64_t(x) * image.width / newWidth) * 4;
  for (int y = 0; y < newHeight; ++y) {
    size_t sy = size_t(int64_t(y) * image.height / newHeight);
    const uint8_t* src = image.rgba.data() + sy * size_t(image.width) * 4;
    uint8_t* dst = out.rgba.data() + size_t(y) * size_t(newWidth) * 4;
    for (int x = 0; x < newWidth; ++x) std::memcpy(dst + 4 * size_t(x), src + column[size_t(x)], 4);
  }
  return out;
}

std::string DibRows16(const Image& image) {
  if (image.empty() || image.rgba.size() < size_t(image.width) * size_t(image.height) * 4) return {};
  size_t stride = DibStride(image.width, 16);
  std::string rows(stride * size_t(image.height), '\0');
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* s = image.rgba.data() + size_t(y) * size_t(image.width) * 4;
    char* d = rows.data() + size_t(image.height - 1 - y) * stride;
    for (int x = 0; x < image.width; ++x) {
      uint16_t v = uint16_t(((s[4 * x] >> 3) << 10) | ((s[4 * x + 1] >> 3) << 5) | (s[4 * x + 2] >> 3));
      d[2 * x] = char(v & 0xFF);
      d[2 * x + 1] = char(v >> 8);
    }
  }
  return rows;
}

std::string DibRows24(const Image& image) {
  if (image.empty() || image.rgba.size() < size_t(image.width) * size_t(image.height) * 4) return {};
  size_t stride = DibStride(image.width, 24);
  std::string rows(stride * size_t(image.height), '\0');
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* s = image.rgba.data() + size_t(y) * size_t(image.width) * 4;
    char* d = rows.data() + size_t(image.height - 1 - y) * stride;
    for (int x = 0; x < image.width; ++x) {
      d[3 * x] = char(s[4 * x + 2]);
      d[3 * x + 1] = char(s[4 * x + 1]);
      d[3 * x + 2] = char(s[4 * x]);
    }
  }
  return rows;
}

bool ImageFromDib(std::string_view info, std::string_view pixels, Image& out) {
  out = Image();
  if (info.size() < 40) return false;
  uint32_t headerSize = LE32(info, 0);
  if (headerSize < 40 || headerSize > info.size()) return false;
  int64_t width = int32_t(LE32(info, 4));
  int64_t height = int32_t(LE32(info, 8));
  int bpp = LE16(info, 14);
  uint32_t compression = LE32(info, 16);
  uint32_t coloursUsed = LE32(info, 32);
  bool topDown = height < 0;
  if (topDown) height = -height;
  if (!ImageSizeAllowed(width, height)) return false;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  bool masked = compression == 3;
  if (compression != 0 && !(masked && (bpp == 16 || bpp == 32))) return false;

  // Colour masks: inside a larger header, else the 12 bytes after it.
  uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
  if (bpp == 32 || bpp == 24) {
    masks[0] = 0xFF0000;
    masks[1] = 0x00FF00;
    masks[2] = 0x0000FF;
  }
  if (masked) {
    size_t at = headerSize >= 52 ? 40 : headerSize;
    if (info.size() < at + 12) return false;
    for (int i = 0; i < 3; ++i) masks[i] = LE32(info, at + 4 * size_t(i));
  }

  // Palette: after the header (and the masks of a 40-byte header).
  std::vector<uint8_t> palette;  // RGB triples
  if (bpp <= 8) {
    size_t start = headerSize + ((masked && headerSize < 52) ? 12 : 0);
    uint64_t entries = coloursUsed ? coloursUsed : (1u << bpp);
    if (entries > 256) entries = 256;
    uint64_t available = info.size() > start ? (info.size() - start) / 4 : 0;
    if (entries > available) entries = available;
    palette.resize(size_t(entries) * 3);
    for (size_t i = 0; i < entries; ++i) {
      palette[3 * i] = uint8_t(info[start + 4 * i + 2]);
      palette[3 * i + 1] = uint8_t(info[start + 4 * i + 1]);
      palette[3 * i + 2] = uint8_t(info[start + 4 * i]);
    }
  }

  uint64_t stride = DibStride(width, bpp);
  if (uint64_t(pixels.size()) < stride * uint64_t(height)) return false;

  Channel red(masks[0]), green(masks[1]), blue(masks[2]);
  out.width = int(width);
  out.height = int(height);
  out.rgba.assign(size_t(width) * size_t(height) * 4, 255);
  const auto* base = reinterpret_cast<const uint8_t*>(pixels.data());
  for (int64_t row = 0; row < height; ++row) {
    const uint8_t* s = base + size_t(row) * stride;
    int64_t y = topDown ? row : height - 1 - row;
    uint8_t* d = out.rgba.data() + size_t(y) * size_t(width) * 4;
    for (int64_t x = 0; x < width; ++x, d += 4) {
      switch (bpp) {
        case 1: case 4: case 8: {
          unsigned perByte = 8 / unsigned(bpp);
          unsigned byte = s[size_t(x) / perByte];
          unsigned shift = unsigned(8 - bpp) - unsigned(bpp) * unsigned(size_t(x) % perByte);
          size_t index = (byte >> shift) & ((1u << bpp) - 1);
          if (3 * index + 2 < palette.size()) {
            d[0] = palette[3 * index];
            d[1] = palette[3 * index + 1];
            d[2] = palette[3 * index + 2];
          } else {
            d[0] = d[1] = d[2] = 0;
          }
          break;
        }
        case 16: {
          uint32_t v = uint32_t(s[2 * x]) | (uint32_t(s[2 * x + 1]) << 8);
          d[0] = red(v);
          d[1] = green(v);
          d[2] = blue(v);
          break;
        }
        case 24:
          d[0] = s[3 * x + 2];
          d[1] = s[3 * x + 1];
          d[2] = s[3 * x];
          break;
        case 32: {
          const uint8_t* p = s + 4 * x;
          uint32_t v = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
          d[0] = red(v);
          d[1] = green(v);
          d[2] = blue(v);
          break;
        }
      }
    }
  }
  return true;
}

}  // namespace pantrela::platform
