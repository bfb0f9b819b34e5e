// Image codecs (gdk-pixbuf): decoding JPEG, PNG, GIF, ICO and BMP from bytes
// or a file, and encoding JPEG with the codec's defaults.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pantrela::platform {

// A decoded image: 8-bit RGBA rows, top row first, no padding.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
  bool empty() const { return width <= 0 || height <= 0; }
};

// Largest image the program decodes: 16,384 pixels a side, 64 MB decoded.
inline constexpr int kMaxImageSide = 16384;
inline constexpr uint64_t kMaxImageBytes = 64ull << 20;

// False (and an empty image) for data no codec reads, or for images larger
// than the limits above.
bool DecodeImage(const std::string& bytes, Image& out);
bool DecodeImageFile(const std::string& path, Image& out);
// JPEG file image of the image, drawn over opaque white.
bool EncodeJpeg(const Image& image, std::string& jpeg);

}  // namespace pantrela::platform
