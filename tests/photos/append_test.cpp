#include <gtest/gtest.h>

#include "database/collection.h"
#include "database/photo.h"
#include "foundation/file.h"
#include "photo_fixtures.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

namespace pantrela {
namespace {

using testing::LE16At;
using testing::LE32At;
using testing::Rgb;

// The data of field 5 of the record at `offset` in the recipe file, walked by
// hand from the record layout; "" when the record has none.
std::string StoredPhoto(const std::string& file, size_t offset) {
  size_t end = offset + LE32At(file, offset);
  for (size_t p = offset + 36; p + 6 <= end;) {
    uint16_t type = LE16At(file, p);
    uint32_t len = LE32At(file, p + 2);
    if (type == 5) return file.substr(p + 6, len);
    p += 6 + len;
  }
  return "";
}

TEST(PhotoAppend, BitmapPhotoIsStoredAsJpegOthersUnchanged) {
  testing::TempDir dir;
  testing::ScriptedDialogs dialogs;
  AppContext ctx;
  ctx.SetFolders(dir.path(), dir.path());
  ctx.SetDialogs(&dialogs);
  Collection db(ctx);

  std::string bmp = BitmapToBmp(testing::MakeImage(30, 20, [](int x, int) { return Rgb{uint8_t(8 * x), 90, 200}; }));
  std::string png = testing::ReadBytes(testing::PhotoData("red_green.png"));
  std::string jpeg;
  ASSERT_TRUE(platform::EncodeJpeg(testing::MakeImage(8, 8, [](int, int) { return Rgb{1, 2, 3}; }), jpeg));

  struct Case {
    const char* what;
    std::string photo;
    bool becomesJpeg;
  };
  const Case cases[] = {{"bmp", bmp, true}, {"png", png, false}, {"jpeg", jpeg, false}};
  std::vector<uint32_t> entries;
  for (const Case& c : cases) {
    db.ClearCurrent();
    db.current().title = std::string("With ") + c.what;
    db.current().photo = c.photo;
    db.current().setRecordId(ctx.ids.Make());
    db.current().setChapterKey(1);
    entries.push_back(db.AppendCurrent());
  }
  const std::string file = testing::ReadBytes(ctx.files.recipe);
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(cases[i].what);
    EntryView e = db.Entry(entries[i]);
    EXPECT_TRUE(e.flags() & kFlagPhoto);
    std::string stored = StoredPhoto(file, size_t(e.fileOffset()));
    if (cases[i].becomesJpeg) {
      ASSERT_GT(stored.size(), 10u);
      EXPECT_EQ(stored.substr(6, 4), "JFIF");
      PhotoBitmap back = DecodePhoto(ctx, stored);
      EXPECT_EQ(back.width, 30);
      EXPECT_EQ(back.height, 20);
    } else {
      EXPECT_EQ(stored, cases[i].photo);
    }
  }
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_FALSE(Exists(dir / "temp.bmp"));
  EXPECT_FALSE(Exists(dir / "temp.jpg"));
}

}  // namespace
}  // namespace pantrela
