// pantrela-cli set-photo and get-photo on the starter recipes.
#include <gtest/gtest.h>

#include <string>

#include "app/cli_run.h"
#include "foundation/file.h"
#include "platform/image_codec.h"
#include "support/temp_dir.h"

namespace pantrela::testing {
namespace {

// A picture of w x h: left half red, right half blue.
platform::Image TwoColours(int w, int h) {
  platform::Image im;
  im.width = w;
  im.height = h;
  im.rgba.resize(size_t(w) * size_t(h) * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &im.rgba[(size_t(y) * size_t(w) + size_t(x)) * 4];
      p[0] = x < w / 2 ? 230 : 10;
      p[2] = x < w / 2 ? 10 : 230;
      p[3] = 255;
    }
  return im;
}

TEST(CliPhoto, SetStoresAFittedPhotoAsANewVersionAndGetWritesItsBytes) {
  TempDir dir;
  const std::string data = "--data-dir " + dir.path() + " ";
  std::string jpeg;
  ASSERT_TRUE(platform::EncodeJpeg(TwoColours(1000, 500), jpeg));
  ASSERT_TRUE(WriteFileAtomic(dir / "big.jpg", jpeg));
  std::string out;
  ASSERT_EQ(RunCli(data + "set-photo 'Buttermilk Pancakes' " + dir / "big.jpg", &out), 0) << out;
  ASSERT_EQ(RunCli(data + "show --json 'Buttermilk Pancakes'", &out, false), 0);
  EXPECT_NE(out.find("\"type\": \"jpg\""), std::string::npos) << out;
  EXPECT_NE(out.find("\"width\": 480, \"height\": 240"), std::string::npos) << out;
  // One recipe of that title: the old version is gone from the list.
  ASSERT_EQ(RunCli(data + "list", &out, false), 0);
  EXPECT_EQ(out.find("Buttermilk Pancakes"), out.rfind("Buttermilk Pancakes")) << out;

  // The extension follows the photo's type; the bytes decode to the picture.
  ASSERT_EQ(RunCli(data + "get-photo 'Buttermilk Pancakes' " + dir / "out.bmp", &out, false), 0);
  EXPECT_EQ(out, dir / "out.jpg" + "\n");
  platform::Image back;
  ASSERT_TRUE(platform::DecodeImage(ReadBytes(dir / "out.jpg"), back));
  ASSERT_EQ(back.width, 480);
  ASSERT_EQ(back.height, 240);
  const uint8_t* left = &back.rgba[(120 * 480 + 100) * 4];
  const uint8_t* right = &back.rgba[(120 * 480 + 380) * 4];
  EXPECT_GT(left[0], 180);
  EXPECT_LT(left[2], 60);
  EXPECT_GT(right[2], 180);
  EXPECT_LT(right[0], 60);
}

TEST(CliPhoto, RefusalsExitWithOne) {
  TempDir dir;
  const std::string data = "--data-dir " + dir.path() + " ";
  ASSERT_TRUE(WriteFileAtomic(dir / "notes.png", "not a picture"));
  struct Case {
    std::string args;
    const char* said;
  } cases[] = {
      {"set-photo 'No Such Recipe' " + dir / "notes.png", "no recipe titled"},
      {"set-photo 'Buttermilk Pancakes' " + dir / "notes.png", "Unsupported Image Type"},
      {"set-photo 'Buttermilk Pancakes' " + dir / "missing.png", "no file"},
      {"get-photo 'Buttermilk Pancakes' " + dir / "x.jpg", "There is no photo attached to this recipe"},
  };
  for (const Case& c : cases) {
    std::string out;
    EXPECT_EQ(RunCli(data + c.args, &out), 1) << c.args << "\n" << out;
    EXPECT_NE(out.find(c.said), std::string::npos) << c.args << "\n" << out;
  }
  EXPECT_EQ(RunCli(data + "set-photo OnlyOne", nullptr), 2);
}

}  // namespace
}  // namespace pantrela::testing
