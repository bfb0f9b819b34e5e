// Image codecs (gdk-pixbuf): decoding JPEG, PNG, GIF, ICO and BMP from bytes
// or a file, and encoding JPEG with the codec's defaults; plus the bitmap
// operations the photo code needs: rendering over white, nearest-pixel
// scaling, device-independent bitmaps in and out (16-bit 5-5-5 and 24-bit
// rows, bottom row first, padded to 4 bytes).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pantrela::platform {

// A decoded image: 8-bit RGBA rows, top row first, no padding. Alpha is not
// premultiplied.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
  bool empty() const { return width <= 0 || height <= 0; }
};

// Largest image the program decodes: 16,384 pixels a side, 64 MB decoded.
inline constexpr int kMaxImageSide = 16384;
inline constexpr uint64_t kMaxImageBytes = 64ull << 20;
// True when an image of this size is within the limits above.
bool ImageSizeAllowed(int64_t width, int64_t height);

// Status of a codec call, as the photo code logs it.
enum CodecStatus : int {
  kCodecOk = 0,
  kCodecNotStarted = 1,     // a required decoder or encoder is missing
  kCodecFileUnreadable = 2, // the file does not exist or cannot be read
  kCodecUnknownType = 3,    // not JPEG, PNG, GIF, ICO or BMP
  kCodecCorrupt = 4,        // the decoder refused the data
  kCodecTooLarge = 5,       // beyond the size limits, or zero-sized
};

// The decoder for the kind of data the signature shows ("jpeg", "png",
// "gif", "bmp", "ico"), or "" for data the program does not decode.
const char* ImageSignatureType(std::string_view bytes);

// Decodes JPEG, PNG, GIF (first frame), ICO and BMP; any other kind of data
// (told by its signature) is refused without reaching a decoder. Oversized
// images are refused as soon as their header is read, before the pixels are
// allocated. On failure `out` is empty.
int DecodeImageStatus(std::string_view bytes, Image& out);
int DecodeImageFileStatus(const std::string& path, Image& out);
// Boolean form of DecodeImageStatus.
bool DecodeImage(const std::string& bytes, Image& out);
// JPEG file image of the image (JFIF, the encoder's default quality), drawn
// over opaque white.
bool EncodeJpeg(const Image& image, std::string& jpeg);
// PNG file image of the image, drawn over opaque white (for the clipboard).
bool EncodePng(const Image& image, std::string& png);

// The codecs as one service with a start and a stop, so that callers can log
// them as sessions and tests can stand in a codec that fails to start.
class ImageCodecs {
 public:
  virtual ~ImageCodecs() = default;
  // kCodecOk when decoders for JPEG, PNG, GIF, ICO and BMP and a JPEG encoder
  // are present; `token` is then the number of image formats available.
  virtual int Startup(uint64_t& token) const;
  virtual void Shutdown(uint64_t token) const {}
  virtual int DecodeFile(const std::string& path, Image& out) const { return DecodeImageFileStatus(path, out); }
  virtual int Decode(std::string_view bytes, Image& out) const { return DecodeImageStatus(bytes, out); }
  virtual bool Encode(const Image& image, std::string& jpeg) const { return EncodeJpeg(image, jpeg); }
};

// Composites the image over opaque white; every pixel is opaque afterwards.
void RenderOverWhite(Image& image);

// Draws the image into one of the new size by the nearest-pixel rule:
// destination pixel (x, y) takes source pixel (x * w / newW, y * h / newH),
// so rows and columns are dropped or repeated, never averaged. An empty
// image comes back for an empty source or a size outside the limits.
Image ScaleNearest(const Image& image, int newWidth, int newHeight);

// Bytes per row of a device-independent bitmap.
inline uint64_t DibStride(int64_t width, int bitsPerPixel) {
  return ((uint64_t(width) * uint64_t(bitsPerPixel) + 31) / 32) * 4;
}
// Pixel rows, bottom row first, each padded to 4 bytes: 16-bit pixels with
// red in bits 10-14, green 5-9 and blue 0-4 (each channel's top 5 bits), or
// 24-bit pixels as blue, green, red. Colours are taken as they are; alpha is
// ignored.
std::string DibRows16(const Image& image);
std::string DibRows24(const Image& image);

// Makes an image from a device-independent bitmap: `info` starts at its info
// header (at least 40 bytes) and holds the palette or colour masks after it;
// `pixels` is the pixel data. Handles 1, 4, 8, 16, 24 and 32 bits per pixel,
// uncompressed or with colour masks (compression 3), bottom-up or top-down.
// The result is opaque. False (and an empty image) when the header is
// malformed, the size is beyond the limits, or the pixel data is short.
bool ImageFromDib(std::string_view info, std::string_view pixels, Image& out);

}  // namespace pantrela::platform
