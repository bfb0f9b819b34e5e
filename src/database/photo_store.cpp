#include "database/photo_store.h"

#include "foundation/file.h"
#include "platform/image_codec.h"

namespace pantrela {

bool ConvertBmpPhotoForStorage(const AppContext& ctx, Dialogs& dialogs, std::string& photo) {
  if (photo.size() < 2 || photo[0] != 'B' || photo[1] != 'M') return false;
  const std::string bmpPath = ctx.files.dataFolder + "temp.bmp";
  const std::string jpgPath = ctx.files.dataFolder + "temp.jpg";
  {
    File f = File::Open('o', bmpPath);
    f.Write(photo);
  }
  platform::Image image;
  std::string jpeg;
  bool ok = platform::DecodeImageFile(bmpPath, image) && platform::EncodeJpeg(image, jpeg);
  if (ok) {
    File f = File::Open('o', jpgPath);
    ok = f.Write(jpeg) == int64_t(jpeg.size());
  }
  if (ok) {
    std::string back;
    ok = ReadWholeFile(jpgPath, back) && !back.empty();
    if (ok) photo = std::move(back);
  }
  DeleteFile(bmpPath);
  DeleteFile(jpgPath);
  return ok;
}

}  // namespace pantrela
