// fuzz-deps: pantrela_database pantrela_platform pantrela_foundation
// Photo bytes from outside: the type by signature, BMP file and clipboard
// bitmap headers (pixel location, palette, masks, sizes), the codecs' BMP
// path, and fitting whatever decodes.
#include <cstdint>
#include <string>
#include <string_view>

#include "database/photo.h"
#include "platform/image_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  pantrela::AppContext ctx;  // no data folder: nothing is logged or written
  (void)pantrela::PhotoType(input);
  switch (data[0] % 4) {
    case 0: {  // a stored photo as it is
      pantrela::PhotoBitmap bm = pantrela::DecodePhoto(ctx, input);
      if (!bm.empty()) (void)pantrela::FitBitmap(bm.image);
      break;
    }
    case 1: {  // a BMP photo: file header, then the input from the info header on
      std::string bmp = "BM" + std::string(12, '\0') + std::string(input);
      pantrela::PhotoBitmap bm = pantrela::DecodePhoto(ctx, bmp);
      int w = 0, h = 0;
      std::string rgb;
      (void)pantrela::PhotoToRgb(ctx, bmp, w, h, rgb);
      if (!bm.empty() && rgb.size() != size_t(w) * size_t(h) * 3) __builtin_trap();
      break;
    }
    case 2: {  // a clipboard bitmap
      std::string photo;
      int w = 0, h = 0;
      if (pantrela::DibToPhoto(input, photo, w, h) && (w > pantrela::kPhotoFitWidth || h > pantrela::kPhotoFitHeight))
        __builtin_trap();
      break;
    }
    case 3: {  // a BMP file through the codecs, with the stated pixel offset
      pantrela::platform::Image image;
      std::string bmp = "BM" + std::string(input);
      (void)pantrela::platform::DecodeImageStatus(bmp, image);
      break;
    }
  }
  return 0;
}
