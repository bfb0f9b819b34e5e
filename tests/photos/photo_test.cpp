#include "database/photo.h"

#include <gtest/gtest.h>

#include "database/photo_store.h"
#include "foundation/file.h"
#include "foundation/numtext.h"
#include "photo_fixtures.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

namespace pantrela {
namespace {

using testing::Bmp24;
using testing::LE16At;
using testing::LE32At;
using testing::MakeImage;
using testing::PhotoData;
using testing::PixelAt;
using testing::PutLE;
using testing::Rgb;
using testing::ScriptedDialogs;
using testing::TempDir;

// A context on a fresh data folder, its status log inside it.
struct Fixture {
  TempDir dir;
  AppContext ctx;
  ScriptedDialogs dialogs;
  Fixture() {
    ctx.SetFolders(dir.path(), dir.path());
    ctx.SetDialogs(&dialogs);
  }
  std::string Log() const { return testing::ReadBytes(ctx.files.statusLog); }
};

// Codecs that cannot start.
struct BrokenCodecs : platform::ImageCodecs {
  int Startup(uint64_t& token) const override {
    token = 0;
    return platform::kCodecNotStarted;
  }
};

std::string JfifJpeg(int w, int h, Rgb colour) {
  std::string jpeg;
  EXPECT_TRUE(platform::EncodeJpeg(MakeImage(w, h, [&](int, int) { return colour; }), jpeg));
  return jpeg;
}

// The same JPEG with its JFIF block replaced by an Exif block.
std::string ExifJpeg() {
  std::string jfif = JfifJpeg(8, 8, {10, 20, 30});
  size_t app0 = (uint8_t(jfif[4]) << 8) | uint8_t(jfif[5]);
  std::string exif = std::string("\xFF\xD8\xFF\xE1", 4);
  std::string body = std::string("Exif\0\0", 6) + std::string("MM\0\x2A\0\0\0\x08\0\0", 10);
  exif += char((body.size() + 2) >> 8);
  exif += char((body.size() + 2) & 0xFF);
  exif += body;
  exif += jfif.substr(4 + app0);
  return exif;
}

TEST(Photo, TypeBySignature) {
  std::string exif = ExifJpeg();
  struct Case {
    std::string bytes;
    const char* type;
  };
  const Case cases[] = {
      {JfifJpeg(4, 4, {1, 2, 3}), "JPG"},
      {std::string("\xFF\xD8\xFF\xE0\0\x10JFIF", 10), "JPG"},
      {exif, ""},
      {testing::ReadBytes(PhotoData("red_green.png")), "PNG"},
      {"\x89PNG", "PNG"},
      {"\x89PNX", ""},
      {"BM", "BMP"},
      {"BMxxxxxxxx", "BMP"},
      {"B", ""},
      {"", ""},
      {"GIF89a", ""},
      {std::string("\xFF\xD8\xFF\xE0\0\x10JFI", 9), ""},
  };
  for (const Case& c : cases) EXPECT_EQ(PhotoType(c.bytes), c.type) << ::testing::PrintToString(c.bytes.substr(0, 12));
}

// Header fields of a BMP file image made by the program.
void ExpectProgramBmp(const std::string& bmp, int w, int h) {
  ASSERT_GE(bmp.size(), 54u);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(LE32At(bmp, 2), bmp.size());
  EXPECT_EQ(LE32At(bmp, 6), 0u);
  EXPECT_EQ(LE32At(bmp, 10), 54u);
  EXPECT_EQ(LE32At(bmp, 14), 40u);
  EXPECT_EQ(LE32At(bmp, 18), uint32_t(w));
  EXPECT_EQ(LE32At(bmp, 22), uint32_t(h));
  EXPECT_EQ(LE16At(bmp, 26), 1);
  EXPECT_EQ(LE16At(bmp, 28), 16);
  EXPECT_EQ(bmp.substr(30, 24), std::string(24, '\0'));
  EXPECT_EQ(bmp.size(), 54u + size_t((w * 2 + 3) & ~3) * size_t(h));
}

TEST(Photo, LoadedPhotosFitTheBoxAndAreNeverEnlarged) {
  struct Case {
    int w, h, fitW, fitH;
  };
  const Case cases[] = {{1000, 500, 480, 240}, {500, 1000, 180, 360}, {200, 100, 200, 100},
                        {481, 361, 480, 360},  {480, 360, 480, 360},  {3, 1, 3, 1},
                        {9000, 2, 480, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
    Fixture f;
    std::string path = f.dir / "picture.bmp";
    testing::WriteBytes(path, Bmp24(c.w, c.h, [](int x, int y) { return Rgb{uint8_t(x), uint8_t(y), 7}; }));
    std::string photo = "old";
    int lines = -1;
    ASSERT_TRUE(LoadImageFile(f.ctx, f.dialogs, path, photo, lines));
    ExpectProgramBmp(photo, c.fitW, c.fitH);
    EXPECT_EQ(lines, 1 + c.fitH / 23);
    EXPECT_TRUE(f.dialogs.shown.empty());
    int w = 0, h = 0;
    FitSize(c.w, c.h, w, h);
    EXPECT_EQ(w, c.fitW);
    EXPECT_EQ(h, c.fitH);
  }
}

TEST(Photo, FittingDropsColumnsWithoutAveraging) {
  // Black even columns and white odd ones: halving keeps the even columns
  // only, so every pixel stays black; averaging would give grey.
  platform::Image stripes = MakeImage(960, 100, [](int x, int) { return x % 2 ? Rgb{255, 255, 255} : Rgb{}; });
  std::string bmp = FitBitmap(stripes);
  ExpectProgramBmp(bmp, 480, 50);
  EXPECT_EQ(bmp.substr(54), std::string(480 * 2 * 50, '\0'));
}

TEST(Photo, BitmapToBmpByteForByte) {
  // 3 x 2: top row red, green, blue; bottom row white, black, (8, 16, 24).
  const Rgb px[2][3] = {{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}}, {{255, 255, 255}, {0, 0, 0}, {8, 16, 24}}};
  std::string bmp = BitmapToBmp(MakeImage(3, 2, [&](int x, int y) { return px[y][x]; }));
  const std::string want(
      "BM\x46\0\0\0"
      "\0\0\0\0"
      "\x36\0\0\0"
      "\x28\0\0\0"
      "\x03\0\0\0"
      "\x02\0\0\0"
      "\x01\0\x10\0"
      "\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"
      "\xFF\x7F\x00\x00\x43\x04\x00\x00"
      "\x00\x7C\xE0\x03\x1F\x00\x00\x00",
      70);
  EXPECT_EQ(bmp, want);
  EXPECT_EQ(BitmapToBmp(platform::Image()), "");
}

TEST(Photo, LoadLogsEveryStep) {
  Fixture f;
  f.ctx.settings.screen_font_size = 30;  // line height 35 (34.5 rounded)
  std::string path = f.dir / "wide.bmp";
  testing::WriteBytes(path, Bmp24(1000, 500, [](int, int) { return Rgb{1, 2, 3}; }));
  std::string photo;
  int lines = 0;
  ASSERT_TRUE(LoadImageFile(f.ctx, f.dialogs, path, photo, lines));
  EXPECT_EQ(lines, 1 + 240 / 35);
  uint64_t token = 0;
  platform::ImageCodecs().Startup(token);
  const std::string want = "Load BMP\r\n" + path + "\r\n" + path + " Exists\r\n" + "Startup: " + Spaced(int64_t(token)) +
                           " - Status:  0\r\n" + path + "\r\n" +
                           "Create Bitmap From File:  1 - Status:  0\r\n"
                           "Width:  1000 - Status:  0\r\n"
                           "Height:  500 - Status:  0\r\n"
                           "Create Bitmap Handle:  2 - Status:  0\r\n"
                           "New Dimension:  480 -  240\r\n"
                           "RGB_Size:  0\r\n"
                           "New BPP:  16\r\n"
                           "Temporary Bitmap:  3\r\n"
                           "Device Contexts:  4 -  5\r\n"
                           "Get Object:  24 -  24\r\n"
                           "Data Size:  230400\r\n"
                           "BM Height:  240\r\n"
                           "BM Width Bytes:  960\r\n"
                           "Pic Size:  230454\r\n"
                           "Image Buffer:  6\r\n"
                           "Temp BMP:  7\r\n"
                           "GetDIBbits:  240\r\n"
                           "Plines:  7 -  240 -  35\r\n"
                           "Exit Load Bmp\r\n\r\n";
  EXPECT_EQ(f.Log(), want);
}

TEST(Photo, LoadFailuresLeaveThePhotoAlone) {
  struct Case {
    const char* what;
    std::string file;   // "" for a missing file
    bool brokenCodecs;
    const char* message;  // "" for none
    const char* lastLog;
  };
  std::string huge = Bmp24(2, 2, [](int, int) { return Rgb{}; });
  huge.replace(18, 8, std::string("\x20\x4E\0\0\x20\x4E\0\0", 8));  // 20000 x 20000
  std::string zero = Bmp24(2, 2, [](int, int) { return Rgb{}; });
  zero.replace(18, 8, std::string(8, '\0'));
  const Case cases[] = {
      {"missing file", "", false, "", ""},
      {"codecs cannot start", "BM", true, "Error Initializing GDI+", "Startup:  0 - Status:  1"},
      {"not an image", "plain text, not a picture", false, "Unsupported Image Type",
       "Create Bitmap From File:  0 - Status:  3"},
      {"cut PNG", testing::ReadBytes(PhotoData("transparent.png")).substr(0, 60), false, "Unsupported Image Type",
       "Create Bitmap From File:  0 - Status:  4"},
      {"huge BMP", huge, false, "Unsupported Image Type", "Create Bitmap From File:  0 - Status:  5"},
      {"zero-size BMP", zero, false, "Unsupported Image Type", ""},
      {"exif JPEG", ExifJpeg().substr(0, 30), false, "Unsupported Image Type", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fixture f;
    std::string path = f.dir / "in.png";
    if (!c.file.empty()) testing::WriteBytes(path, c.file);
    BrokenCodecs broken;
    std::string photo = "unchanged";
    int lines = 42;
    EXPECT_FALSE(LoadImageFile(f.ctx, f.dialogs, path, photo, lines, c.brokenCodecs ? &broken : nullptr));
    EXPECT_EQ(photo, "unchanged");
    EXPECT_EQ(lines, 42);
    if (*c.message) {
      ASSERT_EQ(f.dialogs.shown.size(), 1u);
      EXPECT_EQ(f.dialogs.shown[0].text, c.message);
      EXPECT_EQ(f.dialogs.shown[0].buttons, "OK");
    } else {
      EXPECT_TRUE(f.dialogs.shown.empty());
    }
    std::string log = f.Log();
    EXPECT_EQ(log.substr(0, 10 + path.size() + 2), "Load BMP\r\n" + path + "\r\n");
    if (*c.lastLog) {
      EXPECT_NE(log.find(std::string(c.lastLog) + "\r\n"), std::string::npos) << log;
    }
    EXPECT_EQ(log.find("Exit Load Bmp"), std::string::npos);
  }
}

TEST(Photo, GifIcoAndExifJpegFilesLoad) {
  // A camera JPEG (Exif block first) is not a stored "JPG" photo, but as a
  // file it loads like any other.
  {
    Fixture f;
    testing::WriteBytes(f.dir / "camera.jpg", ExifJpeg());
    std::string photo;
    int lines = 0;
    ASSERT_TRUE(LoadImageFile(f.ctx, f.dialogs, f.dir / "camera.jpg", photo, lines));
    ExpectProgramBmp(photo, 8, 8);
  }
  for (auto [file, w, h] : {std::tuple{"small.gif", 3, 2}, std::tuple{"icon.ico", 16, 16}}) {
    SCOPED_TRACE(file);
    Fixture f;
    std::string photo;
    int lines = 0;
    ASSERT_TRUE(LoadImageFile(f.ctx, f.dialogs, PhotoData(file), photo, lines));
    ExpectProgramBmp(photo, w, h);
    // Top-left pixel is red in both: the last row of the file, 0x7C00.
    size_t topRow = 54 + size_t((w * 2 + 3) & ~3) * size_t(h - 1);
    EXPECT_EQ(LE16At(photo, topRow), 0x7C00);
  }
}

TEST(Photo, TransparentPartsBecomeWhite) {
  Fixture f;
  std::string png = testing::ReadBytes(PhotoData("transparent.png"));
  PhotoBitmap bm = DecodePhoto(f.ctx, png);
  ASSERT_EQ(bm.type, "PNG");
  ASSERT_EQ(bm.width, 4);
  ASSERT_EQ(bm.height, 2);
  const uint8_t white[] = {255, 255, 255, 255}, blue[] = {0, 0, 255, 255};
  EXPECT_TRUE(std::equal(white, white + 4, PixelAt(bm.image, 0, 0)));
  EXPECT_TRUE(std::equal(white, white + 4, PixelAt(bm.image, 1, 1)));
  EXPECT_TRUE(std::equal(blue, blue + 4, PixelAt(bm.image, 3, 1)));
  EXPECT_EQ(f.Log(), "");

  // Loaded from a file the same parts are white 5-5-5 pixels.
  std::string photo;
  int lines = 0;
  ASSERT_TRUE(LoadImageFile(f.ctx, f.dialogs, PhotoData("transparent.png"), photo, lines));
  EXPECT_EQ(LE16At(photo, 54), 0x7FFF);
  EXPECT_EQ(LE16At(photo, 54 + 6), 0x001F);
}

TEST(Photo, DecodeByType) {
  Fixture f;
  std::string jpeg = JfifJpeg(6, 4, {0, 0, 255});
  PhotoBitmap bm = DecodePhoto(f.ctx, jpeg);
  EXPECT_EQ(bm.type, "JPG");
  EXPECT_EQ(bm.width, 6);
  EXPECT_EQ(bm.height, 4);
  EXPECT_GT(PixelAt(bm.image, 2, 2)[2], 240);

  std::string bmp = BitmapToBmp(MakeImage(5, 3, [](int x, int) { return x == 4 ? Rgb{0, 255, 0} : Rgb{255, 0, 0}; }));
  bm = DecodePhoto(f.ctx, bmp);
  EXPECT_EQ(bm.type, "BMP");
  ASSERT_EQ(bm.width, 5);
  ASSERT_EQ(bm.height, 3);
  EXPECT_EQ(PixelAt(bm.image, 4, 0)[1], 255);
  EXPECT_EQ(PixelAt(bm.image, 0, 2)[0], 255);
  EXPECT_EQ(f.Log(), "");

  // The empty type, empty photos and undecodable ones give nothing.
  struct Case {
    std::string bytes;
    const char* log;
  };
  std::string bmpCut = bmp.substr(0, bmp.size() - 1);
  const Case bad[] = {
      {ExifJpeg(), ""},
      {"", ""},
      {"GIF89a....", ""},
      {jpeg.substr(0, 40), "Unsupported Image Type\r\n"},
      {std::string("\x89PNG\r\n\x1A\n", 8), "Unsupported Image Type\r\n"},
      {bmpCut, "Unsupported Image Type\r\n"},
      {"BM", "Unsupported Image Type\r\n"},
  };
  for (const Case& c : bad) {
    SCOPED_TRACE(::testing::PrintToString(c.bytes.substr(0, 12)));
    Fixture g;
    PhotoBitmap none = DecodePhoto(g.ctx, c.bytes);
    EXPECT_EQ(none.width, 0);
    EXPECT_EQ(none.height, 0);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(g.Log(), c.log);
  }
  BrokenCodecs broken;
  Fixture g;
  EXPECT_TRUE(DecodePhoto(g.ctx, jpeg, &broken).empty());
  EXPECT_EQ(g.Log(), "Error Initializing GDI+\r\n");
}

// An 8-bit BMP whose file header points at the wrong place: the pixels are
// found after the info header and a palette of 256 entries.
std::string Bmp8(uint32_t coloursUsed, uint32_t statedOffset) {
  std::string s = "BM";
  uint32_t entries = coloursUsed ? coloursUsed : 256;
  PutLE(s, 54 + 4 * entries + 4, 4);
  PutLE(s, 0, 4);
  PutLE(s, statedOffset, 4);
  PutLE(s, 40, 4);
  PutLE(s, 2, 4);  // 2 x 1
  PutLE(s, 1, 4);
  PutLE(s, 1, 2);
  PutLE(s, 8, 2);
  PutLE(s, 0, 4);
  s.append(12, '\0');
  PutLE(s, coloursUsed, 4);
  PutLE(s, 0, 4);
  for (uint32_t i = 0; i < entries; ++i) {
    s += char(0);         // blue
    s += char(i);         // green
    s += char(255 - i);   // red
    s += char(0);
  }
  s += std::string("\x01\x02\0\0", 4);
  return s;
}

TEST(Photo, BmpPixelsAreFoundAfterPaletteAndMasks) {
  struct Case {
    const char* what;
    int bpp;
    uint32_t compression, coloursUsed, headerSize;
    uint64_t offset;
  };
  const Case cases[] = {
      {"8 bit, colours used 0", 8, 0, 0, 40, 14 + 40 + 1024},
      {"8 bit, 2 colours", 8, 0, 2, 40, 14 + 40 + 8},
      {"4 bit", 4, 0, 0, 40, 14 + 40 + 64},
      {"1 bit", 1, 0, 0, 40, 14 + 40 + 8},
      {"16 bit", 16, 0, 0, 40, 54},
      {"16 bit masks", 16, 3, 0, 40, 66},
      {"24 bit", 24, 0, 0, 40, 54},
      {"24 bit with a colour table", 24, 0, 3, 40, 66},
      {"32 bit masks", 32, 3, 0, 40, 66},
      {"32 bit, compression 3, V5 header", 32, 3, 0, 124, 14 + 124 + 12},
      {"32 bit plain", 32, 0, 0, 108, 14 + 108},
  };
  for (const Case& c : cases) {
    std::string s(14, '\0');
    PutLE(s, c.headerSize, 4);
    s.append(10, '\0');
    PutLE(s, uint64_t(c.bpp), 2);
    PutLE(s, c.compression, 4);
    s.append(12, '\0');
    PutLE(s, c.coloursUsed, 4);
    s.append(4, '\0');
    EXPECT_EQ(DibPixelOffset(s, 14), c.offset) << c.what;
    EXPECT_EQ(DibPixelOffset(s.substr(14), 0), c.offset - 14) << c.what;
  }
  EXPECT_EQ(DibPixelOffset("BM", 14), 0u);
  EXPECT_EQ(DibPixelOffset(std::string(53, 'x'), 14), 0u);

  Fixture f;
  for (uint32_t stated : {54u, 0u, 1078u, 99999u}) {
    PhotoBitmap bm = DecodePhoto(f.ctx, Bmp8(0, stated));
    ASSERT_EQ(bm.width, 2) << stated;
    ASSERT_EQ(bm.height, 1);
    // Indices 1 and 2: red 254, 253; green 1, 2.
    EXPECT_EQ(PixelAt(bm.image, 0, 0)[0], 254);
    EXPECT_EQ(PixelAt(bm.image, 0, 0)[1], 1);
    EXPECT_EQ(PixelAt(bm.image, 1, 0)[0], 253);
  }
  PhotoBitmap two = DecodePhoto(f.ctx, Bmp8(3, 54));
  ASSERT_EQ(two.width, 2);
  EXPECT_EQ(PixelAt(two.image, 1, 0)[1], 2);
}

TEST(Photo, RgbPixelsTopRowFirst) {
  Fixture f;
  int w = 0, h = 0;
  std::string rgb;
  ASSERT_TRUE(PhotoToRgb(f.ctx, testing::ReadBytes(PhotoData("red_green.png")), w, h, rgb));
  EXPECT_EQ(w, 2);
  EXPECT_EQ(h, 1);
  EXPECT_EQ(rgb, std::string("\xFF\0\0\0\xFF\0", 6));

  // A program bitmap of 3 x 2: rows top first, no padding (9 bytes a row).
  std::string bmp = BitmapToBmp(MakeImage(3, 2, [](int x, int y) { return y ? Rgb{0, 0, 255} : Rgb{255, 0, 0}; }));
  ASSERT_TRUE(PhotoToRgb(f.ctx, bmp, w, h, rgb));
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h, 2);
  EXPECT_EQ(rgb, std::string("\xFF\0\0\xFF\0\0\xFF\0\0\0\0\xFF\0\0\xFF\0\0\xFF", 18));

  for (const std::string& none : {std::string(), ExifJpeg(), std::string("BM")}) {
    rgb = "x";
    EXPECT_FALSE(PhotoToRgb(f.ctx, none, w, h, rgb));
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(rgb, "");
  }
}

TEST(Photo, LineCount) {
  struct Case {
    int height, fontSize, lines;
  };
  const Case cases[] = {{240, 20, 11}, {360, 20, 16}, {22, 20, 1}, {23, 20, 2}, {240, 0, 11}, {0, 20, 1},
                        {360, 10, 31}, {100, 30, 3}};
  for (const Case& c : cases)
    EXPECT_EQ(PhotoLineCount(c.height, c.fontSize), c.lines) << c.height << " " << c.fontSize;
  EXPECT_EQ(ScreenLineHeight(20), 23);
  EXPECT_EQ(ScreenLineHeight(0), 23);
}

TEST(Photo, ClipboardBitmapsAndFileLists) {
  // A 32-bit clipboard bitmap with colour masks, 600 x 200: fitted to 480 x 160.
  std::string dib;
  PutLE(dib, 40, 4);
  PutLE(dib, 600, 4);
  PutLE(dib, 200, 4);
  PutLE(dib, 1, 2);
  PutLE(dib, 32, 2);
  PutLE(dib, 3, 4);
  dib.append(20, '\0');
  PutLE(dib, 0xFF0000, 4);
  PutLE(dib, 0x00FF00, 4);
  PutLE(dib, 0x0000FF, 4);
  for (int i = 0; i < 600 * 200; ++i) dib += std::string("\0\0\xFF\0", 4);  // red
  std::string photo = "old";
  int w = 0, h = 0;
  ASSERT_TRUE(DibToPhoto(dib, photo, w, h));
  EXPECT_EQ(w, 480);
  EXPECT_EQ(h, 160);
  ExpectProgramBmp(photo, 480, 160);
  EXPECT_EQ(LE16At(photo, 54), 0x7C00);
  photo = "old";
  EXPECT_FALSE(DibToPhoto(dib.substr(0, 1000), photo, w, h));
  EXPECT_FALSE(DibToPhoto("", photo, w, h));
  EXPECT_EQ(photo, "old");

  EXPECT_EQ(FirstPhotoFile({"/a/notes.txt", "/a/b.Jpg", "/a/c.png"}), "/a/b.Jpg");
  EXPECT_EQ(FirstPhotoFile({"x.gif"}), "x.gif");
  EXPECT_EQ(FirstPhotoFile({"y.ICO", "z.bmp"}), "y.ICO");
  EXPECT_EQ(FirstPhotoFile({"a.jpeg", "b.tif", ".PN", ""}), "");
}

TEST(PhotoStore, BitmapBecomesJpegOthersStayAsTheyAre) {
  Fixture f;
  std::string bmp = BitmapToBmp(MakeImage(40, 30, [](int x, int) { return Rgb{uint8_t(x * 6), 128, 0}; }));
  std::string photo = bmp;
  ASSERT_TRUE(ConvertBmpPhotoForStorage(f.ctx, f.dialogs, photo));
  EXPECT_EQ(photo.substr(6, 4), "JFIF");
  EXPECT_EQ(PhotoType(photo), "JPG");
  PhotoBitmap back = DecodePhoto(f.ctx, photo);
  EXPECT_EQ(back.width, 40);
  EXPECT_EQ(back.height, 30);
  EXPECT_NEAR(PixelAt(back.image, 20, 10)[1], 128, 6);
  EXPECT_FALSE(Exists(f.dir / "temp.bmp"));
  EXPECT_FALSE(Exists(f.dir / "temp.jpg"));
  EXPECT_TRUE(f.dialogs.shown.empty());

  for (std::string other : {testing::ReadBytes(PhotoData("red_green.png")), JfifJpeg(8, 8, {1, 2, 3}), ExifJpeg(),
                            std::string("GIF89a")}) {
    std::string copy = other;
    EXPECT_FALSE(ConvertBmpPhotoForStorage(f.ctx, f.dialogs, copy));
    EXPECT_EQ(copy, other);
  }
  // A damaged bitmap is kept as it is.
  std::string cut = bmp.substr(0, 100);
  photo = cut;
  EXPECT_FALSE(ConvertBmpPhotoForStorage(f.ctx, f.dialogs, photo));
  EXPECT_EQ(photo, cut);
  EXPECT_FALSE(Exists(f.dir / "temp.bmp"));
  EXPECT_TRUE(f.dialogs.shown.empty());
}

TEST(PhotoStore, CodecsThatCannotStartKeepTheBitmap) {
  Fixture f;
  std::string bmp = BitmapToBmp(MakeImage(4, 4, [](int, int) { return Rgb{1, 2, 3}; }));
  std::string photo = bmp;
  EXPECT_FALSE(ConvertBmpPhotoForStorage(f.ctx, f.dialogs, photo, BrokenCodecs()));
  EXPECT_EQ(photo, bmp);
  ASSERT_EQ(f.dialogs.Messages(), std::vector<std::string>{"Error Initializing GDI+"});
  EXPECT_EQ(f.dialogs.shown[0].buttons, "OK");
  EXPECT_FALSE(Exists(f.dir / "temp.bmp"));
}

}  // namespace
}  // namespace pantrela
