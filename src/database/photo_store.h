// Turning a bitmap photo into the JPEG bytes that are stored with a record.
#pragma once

#include <string>

#include "foundation/context.h"

namespace pantrela {

namespace platform {
class ImageCodecs;
}

// When the photo begins with "BM" it is converted to a JPEG file image
// through the data folder's scratch files "temp.bmp" and "temp.jpg" (both
// deleted afterwards) and true is returned. Any other photo is left alone.
// When the codecs cannot convert it, the bitmap stays as it is; when they
// cannot start, "Error Initializing GDI+" is shown first.
bool ConvertBmpPhotoForStorage(const AppContext& ctx, Dialogs& dialogs, std::string& photo);
// The same with the given codecs.
bool ConvertBmpPhotoForStorage(const AppContext& ctx, Dialogs& dialogs, std::string& photo,
                               const platform::ImageCodecs& codecs);

}  // namespace pantrela
