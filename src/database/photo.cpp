#include "database/photo.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "foundation/bytes.h"
#include "foundation/file.h"
#include "foundation/numtext.h"

namespace pantrela {

namespace {

uint32_t At32(std::string_view b, size_t off) { return GetLE32(reinterpret_cast<const uint8_t*>(b.data()) + off); }
uint16_t At16(std::string_view b, size_t off) { return GetLE16(reinterpret_cast<const uint8_t*>(b.data()) + off); }

// Handles logged by a photo load, numbered in the order the load makes them.
enum LoadHandle : int {
  kImageHandle = 1,
  kBitmapHandle,
  kTemporaryBitmap,
  kSourceContext,
  kTargetContext,
  kImageBuffer,
  kTempBmp,
};

}  // namespace

std::string PhotoType(std::string_view photo) {
  if (photo.size() >= 10 && photo.substr(6, 4) == "JFIF") return "JPG";
  if (photo.size() >= 4 && uint8_t(photo[0]) == 137 && photo.substr(1, 3) == "PNG") return "PNG";
  if (photo.size() >= 2 && photo.substr(0, 2) == "BM") return "BMP";
  return "";
}

uint64_t DibPixelOffset(std::string_view bytes, size_t headerOffset) {
  // The fields read: header size (+0), bits per pixel (+14), compression
  // (+16) and colours used (+32).
  if (bytes.size() < 40 || headerOffset > bytes.size() - 40) return 0;
  uint64_t headerSize = At32(bytes, headerOffset);
  uint64_t bits = At16(bytes, headerOffset + 14);
  uint32_t compression = At32(bytes, headerOffset + 16);
  uint64_t coloursUsed = At32(bytes, headerOffset + 32);
  uint64_t palette = coloursUsed > 0 ? 4 * coloursUsed : (bits < 16 ? uint64_t(4) << bits : 0);
  uint64_t masks = ((bits == 16 || bits == 32) && compression == 3) ? 12 : 0;
  return headerOffset + headerSize + palette + masks;
}

bool DibToImage(std::string_view bytes, size_t headerOffset, platform::Image& out) {
  out = platform::Image();
  uint64_t start = DibPixelOffset(bytes, headerOffset);
  if (start == 0 || start > bytes.size()) return false;
  return platform::ImageFromDib(bytes.substr(headerOffset, size_t(start) - headerOffset), bytes.substr(size_t(start)),
                                out);
}

PhotoBitmap DecodePhoto(const AppContext& ctx, std::string_view photo, const platform::ImageCodecs* codecs) {
  PhotoBitmap result;
  if (photo.empty()) return result;
  std::string type = PhotoType(photo);
  if (type == "JPG" || type == "PNG") {
    // Decoded from memory; the codec session and its log lines are kept.
    platform::ImageCodecs systemCodecs;
    const platform::ImageCodecs& c = codecs ? *codecs : systemCodecs;
    uint64_t token = 0;
    if (c.Startup(token) != platform::kCodecOk) {
      ctx.Log(kCodecStartFailed);
      return result;
    }
    platform::Image image;
    if (c.Decode(photo, image) != platform::kCodecOk) {
      c.Shutdown(token);
      ctx.Log(kUnsupportedImage);
      return result;
    }
    platform::RenderOverWhite(image);
    c.Shutdown(token);
    result.image = std::move(image);
  } else if (type == "BMP") {
    platform::Image image;
    if (!DibToImage(photo, 14, image)) {
      ctx.Log(kUnsupportedImage);
      return result;
    }
    result.image = std::move(image);
  } else {
    return result;
  }
  result.width = result.image.width;
  result.height = result.image.height;
  result.type = type;
  return result;
}

std::string BitmapToBmp(const platform::Image& bitmap) {
  if (bitmap.empty()) return {};
  std::string rows = platform::DibRows16(bitmap);
  if (rows.empty()) return {};
  std::string bmp;
  bmp.reserve(54 + rows.size());
  bmp += "BM";
  AppendLE32(bmp, uint32_t(54 + rows.size()));
  AppendLE32(bmp, 0);
  AppendLE32(bmp, 54);
  AppendLE32(bmp, 40);
  AppendLE32(bmp, uint32_t(bitmap.width));
  AppendLE32(bmp, uint32_t(bitmap.height));
  AppendLE16(bmp, 1);
  AppendLE16(bmp, 16);
  bmp.append(24, '\0');  // compression, image size, resolutions, colours used, important colours
  bmp += rows;
  return bmp;
}

void FitSize(int w, int h, int& newWidth, int& newHeight) {
  newWidth = w;
  newHeight = h;
  if (w <= 0 || h <= 0) return;
  if (w > kPhotoFitWidth || h > kPhotoFitHeight) {
    double s = std::min(double(kPhotoFitWidth) / w, double(kPhotoFitHeight) / h);
    // A very long, thin image would round one side to nothing; keep a pixel.
    newWidth = std::max(1, int(std::lround(w * s)));
    newHeight = std::max(1, int(std::lround(h * s)));
  }
}

std::string FitBitmap(const platform::Image& bitmap, const StatusLog* log) {
  if (bitmap.empty()) return {};
  int w = 0, h = 0;
  FitSize(bitmap.width, bitmap.height, w, h);
  auto line = [log](const std::string& text) {
    if (log) log->Log(text);
  };
  line("New Dimension: " + Spaced(w) + " - " + Spaced(h));
  line("RGB_Size: " + Spaced(0));
  line("New BPP: " + Spaced(16));
  platform::Image scaled =
      (w == bitmap.width && h == bitmap.height) ? bitmap : platform::ScaleNearest(bitmap, w, h);
  if (scaled.empty()) return {};
  line("Temporary Bitmap: " + Spaced(kTemporaryBitmap));
  line("Device Contexts: " + Spaced(kSourceContext) + " - " + Spaced(kTargetContext));
  line("Get Object: " + Spaced(24) + " - " + Spaced(24));
  uint64_t stride = platform::DibStride(w, 16);
  line("Data Size: " + Spaced(int64_t(stride * uint64_t(h))));
  line("BM Height: " + Spaced(h));
  line("BM Width Bytes: " + Spaced(int64_t(stride)));
  std::string bmp = BitmapToBmp(scaled);
  line("Pic Size: " + Spaced(int64_t(bmp.size())));
  line("Image Buffer: " + Spaced(kImageBuffer));
  line("Temp BMP: " + Spaced(kTempBmp));
  line("GetDIBbits: " + Spaced(h));
  return bmp;
}

int ScreenLineHeight(int screenFontSize) {
  if (screenFontSize <= 0) screenFontSize = 20;
  return std::max(1, int(std::lround(1.15 * screenFontSize)));
}

int PhotoLineCount(int photoHeight, int screenFontSize) {
  return 1 + std::max(0, photoHeight) / ScreenLineHeight(screenFontSize);
}

bool LoadImageFile(const AppContext& ctx, Dialogs& dialogs, const std::string& path, std::string& photo,
                   int& photoLines, const platform::ImageCodecs* codecs) {
  ctx.Log("Load BMP");
  ctx.Log(path);
  if (path.empty() || !Exists(path)) return false;
  ctx.Log(path + " Exists");

  platform::ImageCodecs systemCodecs;
  const platform::ImageCodecs& c = codecs ? *codecs : systemCodecs;
  uint64_t token = 0;
  int status = c.Startup(token);
  ctx.Log("Startup: " + Spaced(int64_t(token)) + " - Status: " + Spaced(status));
  if (status != platform::kCodecOk) {
    dialogs.Message(kCodecStartFailed, "OK");
    return false;
  }

  ctx.Log(path);
  platform::Image image;
  status = c.DecodeFile(path, image);
  ctx.Log("Create Bitmap From File: " + Spaced(status == platform::kCodecOk ? kImageHandle : 0) +
          " - Status: " + Spaced(status));
  if (status != platform::kCodecOk) {
    c.Shutdown(token);
    dialogs.Message(kUnsupportedImage, "OK");
    return false;
  }

  ctx.Log("Width: " + Spaced(image.width) + " - Status: " + Spaced(platform::kCodecOk));
  ctx.Log("Height: " + Spaced(image.height) + " - Status: " + Spaced(platform::kCodecOk));
  platform::RenderOverWhite(image);
  ctx.Log("Create Bitmap Handle: " + Spaced(kBitmapHandle) + " - Status: " + Spaced(platform::kCodecOk));

  std::string bmp = FitBitmap(image, &ctx.log);
  if (bmp.empty()) {
    c.Shutdown(token);
    dialogs.Message(kUnsupportedImage, "OK");
    return false;
  }
  int height = int(At32(bmp, 22));
  photo = std::move(bmp);
  int lineHeight = ScreenLineHeight(ctx.settings.screen_font_size);
  photoLines = PhotoLineCount(height, ctx.settings.screen_font_size);
  ctx.Log("Plines: " + Spaced(photoLines) + " - " + Spaced(height) + " - " + Spaced(lineHeight));

  c.Shutdown(token);
  ctx.Log("Exit Load Bmp\r\n");
  return true;
}

bool DibToPhoto(std::string_view dib, std::string& photo, int& width, int& height) {
  platform::Image image;
  if (!DibToImage(dib, 0, image)) return false;
  std::string bmp = FitBitmap(image);
  if (bmp.empty()) return false;
  width = int(At32(bmp, 18));
  height = int(At32(bmp, 22));
  photo = std::move(bmp);
  return true;
}

bool ClipboardImageToPhoto(std::string_view image, std::string& photo, int& width, int& height) {
  // A BMP file is its device-independent bitmap behind the 14-byte file header.
  if (image.size() > 14 && image.substr(0, 2) == "BM") return DibToPhoto(image.substr(14), photo, width, height);
  platform::Image decoded;
  if (platform::DecodeImageStatus(image, decoded) != platform::kCodecOk) return false;
  platform::RenderOverWhite(decoded);
  std::string bmp = FitBitmap(decoded);
  if (bmp.empty()) return false;
  width = int(At32(bmp, 18));
  height = int(At32(bmp, 22));
  photo = std::move(bmp);
  return true;
}

std::string FirstPhotoFile(const std::vector<std::string>& files) {
  for (const std::string& f : files) {
    if (f.size() < 4) continue;
    std::string ext = f.substr(f.size() - 4);
    for (char& ch : ext) ch = char(std::toupper(static_cast<unsigned char>(ch)));
    if (ext == ".JPG" || ext == ".BMP" || ext == ".GIF" || ext == ".ICO" || ext == ".PNG") return f;
  }
  return "";
}

bool PhotoToRgb(const AppContext& ctx, std::string_view photo, int& width, int& height, std::string& rgb,
                const platform::ImageCodecs* codecs) {
  width = height = 0;
  rgb.clear();
  if (photo.empty()) return false;
  PhotoBitmap bitmap = DecodePhoto(ctx, photo, codecs);
  if (bitmap.empty()) return false;
  // The rows of a 24-bit bitmap, bottom row first, blue-green-red, padded to
  // 4 bytes; written out top row first as red-green-blue without padding.
  std::string rows = platform::DibRows24(bitmap.image);
  width = bitmap.width;
  height = bitmap.height;
  size_t stride = size_t(platform::DibStride(width, 24));
  rgb.resize(size_t(width) * size_t(height) * 3);
  for (int y = 0; y < height; ++y) {
    const char* s = rows.data() + size_t(height - 1 - y) * stride;
    char* d = rgb.data() + size_t(y) * size_t(width) * 3;
    for (int x = 0; x < width; ++x) {
      d[3 * x] = s[3 * x + 2];
      d[3 * x + 1] = s[3 * x + 1];
      d[3 * x + 2] = s[3 * x];
    }
  }
  return true;
}

}  // namespace pantrela
