// Small images for the photo tests, written by hand from the BMP layout so
// that no test depends on the writer it checks.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/image_codec.h"

namespace pantrela::testing {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
};

inline void PutLE(std::string& s, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += char((v >> (8 * i)) & 0xFF);
}

// A 24-bit BMP file (54-byte headers, rows bottom-up, padded to 4 bytes).
inline std::string Bmp24(int w, int h, const std::function<Rgb(int x, int y)>& pixel) {
  int stride = (w * 3 + 3) & ~3;
  std::string s = "BM";
  PutLE(s, 54 + uint64_t(stride) * h, 4);
  PutLE(s, 0, 4);
  PutLE(s, 54, 4);
  PutLE(s, 40, 4);
  PutLE(s, uint32_t(w), 4);
  PutLE(s, uint32_t(h), 4);
  PutLE(s, 1, 2);
  PutLE(s, 24, 2);
  s.append(24, '\0');
  for (int row = h - 1; row >= 0; --row) {
    std::string line;
    for (int x = 0; x < w; ++x) {
      Rgb p = pixel(x, row);
      line += char(p.b);
      line += char(p.g);
      line += char(p.r);
    }
    line.resize(size_t(stride), '\0');
    s += line;
  }
  return s;
}

// An opaque RGBA image filled by the function.
inline platform::Image MakeImage(int w, int h, const std::function<Rgb(int x, int y)>& pixel) {
  platform::Image img;
  img.width = w;
  img.height = h;
  img.rgba.resize(size_t(w) * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      Rgb p = pixel(x, y);
      uint8_t* d = &img.rgba[(size_t(y) * w + x) * 4];
      d[0] = p.r;
      d[1] = p.g;
      d[2] = p.b;
      d[3] = 255;
    }
  return img;
}

inline const uint8_t* PixelAt(const platform::Image& img, int x, int y) {
  return &img.rgba[(size_t(y) * img.width + x) * 4];
}

inline uint32_t LE32At(const std::string& s, size_t off) {
  return uint32_t(uint8_t(s[off])) | uint32_t(uint8_t(s[off + 1])) << 8 | uint32_t(uint8_t(s[off + 2])) << 16 |
         uint32_t(uint8_t(s[off + 3])) << 24;
}
inline uint16_t LE16At(const std::string& s, size_t off) {
  return uint16_t(uint8_t(s[off]) | uint8_t(s[off + 1]) << 8);
}

inline std::string PhotoData(const std::string& name) { return std::string(PANTRELA_TEST_DATA) + "/photos/" + name; }

}  // namespace pantrela::testing
