// Recipe photos: the complete bytes of an image file, kept in the current
// record and in field 5 of a stored record. Everything that looks inside
// those bytes lives here: the type by signature, decoding for the screen,
// the printer and the clipboard, RGB pixels for the PDF cookbook, and turning
// an image file or a clipboard bitmap into a photo that fits the recipe view
// (a 16-bit BMP file image of at most 480 x 360 pixels).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "foundation/context.h"
#include "platform/image_codec.h"

namespace pantrela {

// The largest photo the recipe view shows.
inline constexpr int kPhotoFitWidth = 480;
inline constexpr int kPhotoFitHeight = 360;

// The program's texts for the two codec failures.
inline constexpr const char* kCodecStartFailed = "Error Initializing GDI+";
inline constexpr const char* kUnsupportedImage = "Unsupported Image Type";

// "JPG" ("JFIF" at offset 6), "PNG" (byte 137 and "PNG"), "BMP" ("BM") or ""
// for anything else, a JPEG opening with another application block included.
std::string PhotoType(std::string_view photo);

// A decoded photo: opaque RGBA pixels (transparent parts over white).
struct PhotoBitmap {
  platform::Image image;
  int width = 0;
  int height = 0;
  std::string type;  // as PhotoType; "" when nothing was decoded
  bool empty() const { return image.empty(); }
};

// Decodes a photo. Width and height are 0 and the image empty when the photo
// is empty, of the empty type, or cannot be decoded. JPEG and PNG photos go
// through the codecs; failures are logged ("Error Initializing GDI+",
// "Unsupported Image Type"), never shown. BMP photos are made from their
// info header and pixel data (see DibPixelOffset). `codecs` null means the
// platform's codecs.
PhotoBitmap DecodePhoto(const AppContext& ctx, std::string_view photo,
                        const platform::ImageCodecs* codecs = nullptr);

// Where the pixel data of a device-independent bitmap starts, counted from
// the start of `bytes`, for an info header at `headerOffset` (14 in a BMP
// file, 0 on the clipboard): header size + palette size + mask size, not the
// file header's offset field. The palette is 4 x colours used when that is
// above 0, else 4 x 2^bits when bits per pixel is below 16, else none; the
// masks take 12 bytes with 16 or 32 bits per pixel and compression 3.
// 0 when the header does not fit in `bytes`.
uint64_t DibPixelOffset(std::string_view bytes, size_t headerOffset);
// Makes an image of such a bitmap with the pixel data found by the rule
// above. False (and an empty image) when it cannot be made.
bool DibToImage(std::string_view bytes, size_t headerOffset, platform::Image& out);

// The 16-bit BMP file image of a bitmap, same size: "BM", file size, pixel
// data at 54, a 40-byte info header, rows bottom-up in 5-5-5, padded to 4.
// "" for an empty bitmap.
std::string BitmapToBmp(const platform::Image& bitmap);

// The size a photo of w x h takes in the 480 x 360 box: never enlarged;
// larger ones scaled by MIN(480 / w, 360 / h), each side rounded (at least 1).
void FitSize(int w, int h, int& newWidth, int& newHeight);

// Scales the bitmap into the box by the nearest-pixel rule and returns its
// 16-bit BMP file image; with `log` set the steps are logged the way a photo
// load records them.
std::string FitBitmap(const platform::Image& bitmap, const StatusLog* log = nullptr);

// Line height of the screen font (1.15 x size, rounded; size 0 counts as
// 20) and the number of text lines a photo of that height takes:
// 1 + INT(height / line height).
int ScreenLineHeight(int screenFontSize);
int PhotoLineCount(int photoHeight, int screenFontSize);

// Loads an image file (JPEG, PNG, GIF, ICO or BMP) as a fitted photo. On
// success the BMP file image replaces `photo`, `photoLines` is set and true
// is returned. A missing file leaves both unchanged; a codec failure shows
// "Error Initializing GDI+" or "Unsupported Image Type" ("OK") and leaves
// them unchanged. Every step is logged.
bool LoadImageFile(const AppContext& ctx, Dialogs& dialogs, const std::string& path, std::string& photo,
                   int& photoLines, const platform::ImageCodecs* codecs = nullptr);

// A device-independent bitmap from the clipboard (beginning with its info
// header) as a fitted photo; false and `photo` unchanged when it cannot be
// made. `width` and `height` receive the photo's size.
bool DibToPhoto(std::string_view dib, std::string& photo, int& width, int& height);

// An image taken from the clipboard (a BMP, PNG or JPEG file image) as a
// fitted photo; false and `photo` unchanged when it cannot be made.
bool ClipboardImageToPhoto(std::string_view image, std::string& photo, int& width, int& height);

// The first file of a dropped or pasted list whose name ends in ".JPG",
// ".BMP", ".GIF", ".ICO" or ".PNG" (any case), or "".
std::string FirstPhotoFile(const std::vector<std::string>& files);

// The photo as RGB pixels: width x height x 3 bytes, top row first, red,
// green, blue, no padding. False (and 0 x 0, no pixels) when there is no
// photo or it cannot be decoded.
bool PhotoToRgb(const AppContext& ctx, std::string_view photo, int& width, int& height, std::string& rgb,
                const platform::ImageCodecs* codecs = nullptr);

}  // namespace pantrela
