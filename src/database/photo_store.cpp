#include "database/photo_store.h"

#include "database/photo.h"
#include "foundation/file.h"
#include "platform/image_codec.h"

namespace pantrela {

bool ConvertBmpPhotoForStorage(const AppContext& ctx, Dialogs& dialogs, std::string& photo) {
  return ConvertBmpPhotoForStorage(ctx, dialogs, photo, platform::ImageCodecs());
}

bool ConvertBmpPhotoForStorage(const AppContext& ctx, Dialogs& dialogs, std::string& photo,
                               const platform::ImageCodecs& codecs) {
  if (photo.size() < 2 || photo[0] != 'B' || photo[1] != 'M') return false;
  const std::string bmpPath = ctx.files.dataFolder + "temp.bmp";
  const std::string jpgPath = ctx.files.dataFolder + "temp.jpg";
  bool ok = false;
  {
    File f = File::Open(OpenMode::Write, bmpPath);
    ok = f.Write(photo) == int64_t(photo.size());
  }
  uint64_t token = 0;
  if (codecs.Startup(token) != platform::kCodecOk) {
    DeleteFile(bmpPath);
    dialogs.Message(kCodecStartFailed, "OK");
    return false;
  }
  platform::Image image;
  std::string jpeg;
  ok = ok && codecs.DecodeFile(bmpPath, image) == platform::kCodecOk && codecs.Encode(image, jpeg);
  codecs.Shutdown(token);
  if (ok) {
    File f = File::Open(OpenMode::Write, jpgPath);
    ok = f.Write(jpeg) == int64_t(jpeg.size());
  }
  if (ok) {
    std::string back;
    // Only a complete JPEG file image replaces the bitmap.
    ok = ReadWholeFile(jpgPath, back) && back == jpeg;
    if (ok) photo = std::move(back);
  }
  DeleteFile(bmpPath);
  DeleteFile(jpgPath);
  return ok;
}

}  // namespace pantrela
