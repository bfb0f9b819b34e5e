// "Copy Photo" in one recipe's editor and "Paste Photo" in another's, over a
// real X server's clipboard (Xvfb): the pasted photo is the same picture.
#include <cstdlib>
#include <cmath>

#include "database/photo.h"
#include "ui/recipe_view.h"
#include "ui_harness.h"

// Last: Xlib's macros clash with the headers above.
#include "support/x_clipboard.h"

namespace pantrela::ui::testing {
namespace {

constexpr int kCopyPhoto = 152, kPastePhoto = 153, kSave = 158, kCancel = 159;

// A picture with a gradient and a sharp edge, as a JPEG photo.
std::string TestPhoto(int w, int h) {
  platform::Image im;
  im.width = w;
  im.height = h;
  im.rgba.resize(size_t(w) * size_t(h) * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &im.rgba[(size_t(y) * size_t(w) + size_t(x)) * 4];
      p[0] = uint8_t(x * 255 / w);
      p[1] = uint8_t(y * 255 / h);
      p[2] = x < w / 2 ? 40 : 220;
      p[3] = 255;
    }
  std::string jpeg;
  EXPECT_TRUE(platform::EncodeJpeg(im, jpeg));
  return jpeg;
}

// Mean difference per channel of two decoded photos of the same size.
double MeanDifference(const PhotoBitmap& a, const PhotoBitmap& b) {
  double sum = 0;
  for (size_t i = 0; i < a.image.rgba.size(); ++i) sum += std::abs(int(a.image.rgba[i]) - int(b.image.rgba[i]));
  return sum / double(a.image.rgba.size());
}

class PhotoClipboardTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    if (const char* d = std::getenv("DISPLAY")) savedDisplay_ = d;
  }
  void TearDown() override {
    UiTest::TearDown();
    if (savedDisplay_.empty()) ::unsetenv("DISPLAY");
    else ::setenv("DISPLAY", savedDisplay_.c_str(), 1);
  }
  void ClickId(int id) { PushClick(CX(id), CY(id)); }

  pantrela::testing::Xvfb x_;
  std::string savedDisplay_;
};

TEST_F(PhotoClipboardTest, ACopiedPhotoPastesIntoAnotherRecipeAsTheSamePicture) {
  if (x_.display().empty()) GTEST_SKIP() << "no Xvfb";
  ::setenv("DISPLAY", x_.display().c_str(), 1);
  const std::string photo = TestPhoto(160, 120);
  WriteBytes(ctx.files.recipe, GenRecord(0, 1001, 2, {{1, "Cakes"}}) +
                                   GenRecord(11, 1001, 0, {{1, "Angel Cake"}, {5, photo}}) +
                                   GenRecord(12, 1001, 0, {{1, "Bundt Cake"}}));
  Open();
  bool copied = false, pasted = false;
  steps = {
      [&] { PushKey(SDLK_RETURN); },  // the view of "Angel Cake"
      [&] { ClickId(kIdViewEdit); },
      [&] { ClickId(kCopyPhoto); },
      [&] {
        copied = Shows("Photo copied to clipboard");
        PushKey(SDLK_RETURN);
      },
      [&] { ClickId(kCancel); },
      [&] { PushKey(SDLK_RIGHT); },  // "Bundt Cake"
      [&] { ClickId(kIdViewEdit); },
      [&] { ClickId(kPastePhoto); },
      [&] {
        pasted = !Shows("There is no photo on the clipboard") && !Shows("Clipboard is not available");
        ClickId(kSave);
      },
      [&] { EXPECT_EQ(Db().current().title, "Bundt Cake"); },
  };
  Run();
  EXPECT_TRUE(copied);
  ASSERT_TRUE(pasted);
  const PhotoBitmap want = DecodePhoto(ctx, photo);
  const PhotoBitmap got = DecodePhoto(ctx, Db().current().photo);
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(got.type, "JPG");  // made JPEG when the record was saved
  ASSERT_EQ(got.width, want.width);
  ASSERT_EQ(got.height, want.height);
  // 5 bits a channel on the clipboard and a second JPEG pass lose a little.
  EXPECT_LT(MeanDifference(want, got), 6.0);
}

// Without an X display there is no clipboard to paste from, and "Copy
// Photo" says it failed.
TEST_F(PhotoClipboardTest, WithoutADisplayCopyAndPasteSaySo) {
  ::setenv("DISPLAY", ":99999", 1);
  WriteBytes(ctx.files.recipe, GenRecord(0, 1001, 2, {{1, "Cakes"}}) +
                                   GenRecord(11, 1001, 0, {{1, "Angel Cake"}, {5, TestPhoto(40, 30)}}));
  Open();
  bool failed = false, unavailable = false;
  steps = {
      [&] { PushKey(SDLK_RETURN); },
      [&] { ClickId(kIdViewEdit); },
      [&] { ClickId(kCopyPhoto); },
      [&] {
        failed = Shows("Failed to copy photo to clipboard");
        PushKey(SDLK_RETURN);
      },
      [&] { ClickId(kPastePhoto); },
      [&] {
        unavailable = Shows("Clipboard is not available");
        PushKey(SDLK_RETURN);
      },
      [&] { ClickId(kCancel); },
  };
  Run();
  EXPECT_TRUE(failed);
  EXPECT_TRUE(unavailable);
}

}  // namespace
}  // namespace pantrela::ui::testing
