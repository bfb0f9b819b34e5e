#include "platform/image_codec.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "photo_fixtures.h"
#include "platform/image_surface.h"
#include "support/temp_dir.h"

namespace pantrela::platform {
namespace {

using testing::Bmp24;
using testing::MakeImage;
using testing::PhotoData;
using testing::PixelAt;
using testing::PutLE;
using testing::Rgb;

std::string Fixture(const std::string& name) { return testing::ReadBytes(PhotoData(name)); }

TEST(ImageCodec, DecodesEveryFileKindWithItsPixels) {
  struct Case {
    const char* file;
    int w, h;
    int x, y;
    uint8_t r, g, b, a;
  };
  const Case cases[] = {
      {"transparent.png", 4, 2, 0, 0, 0, 0, 0, 0},      {"transparent.png", 4, 2, 3, 1, 0, 0, 255, 255},
      {"red_green.png", 2, 1, 0, 0, 255, 0, 0, 255},    {"red_green.png", 2, 1, 1, 0, 0, 255, 0, 255},
      {"small.gif", 3, 2, 0, 0, 255, 0, 0, 255},        {"small.gif", 3, 2, 2, 1, 0, 0, 255, 255},
      {"icon.ico", 16, 16, 0, 0, 255, 0, 0, 255},       {"icon.ico", 16, 16, 5, 9, 0, 255, 0, 255},
      {"rle8.bmp", 5, 3, 0, 0, 255, 0, 0, 255},         {"rle8.bmp", 5, 3, 4, 2, 0, 0, 255, 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.x) + "," + std::to_string(c.y));
    Image img;
    ASSERT_EQ(DecodeImageFileStatus(PhotoData(c.file), img), kCodecOk);
    ASSERT_EQ(img.width, c.w);
    ASSERT_EQ(img.height, c.h);
    const uint8_t* p = PixelAt(img, c.x, c.y);
    EXPECT_EQ(p[3], c.a);
    if (c.a) {
      EXPECT_EQ(p[0], c.r);
      EXPECT_EQ(p[1], c.g);
      EXPECT_EQ(p[2], c.b);
    }
  }
}

TEST(ImageCodec, BmpFileAndJpegRoundTrip) {
  std::string bmp = Bmp24(5, 3, [](int x, int y) { return Rgb{uint8_t(x * 50), uint8_t(y * 100), 200}; });
  Image img;
  ASSERT_TRUE(DecodeImage(bmp, img));
  ASSERT_EQ(img.width, 5);
  ASSERT_EQ(img.height, 3);
  EXPECT_EQ(PixelAt(img, 4, 2)[0], 200);
  EXPECT_EQ(PixelAt(img, 4, 2)[1], 200);
  // The file header's pixel offset is honoured: a gap of 8 bytes before the pixels.
  std::string gap = bmp.substr(0, 54) + std::string(8, '\x55') + bmp.substr(54);
  gap[10] = 62;
  ASSERT_TRUE(DecodeImage(gap, img));
  EXPECT_EQ(PixelAt(img, 4, 2)[0], 200);
  EXPECT_EQ(PixelAt(img, 0, 0)[2], 200);

  std::string jpeg;
  ASSERT_TRUE(EncodeJpeg(MakeImage(16, 8, [](int, int) { return Rgb{200, 100, 50}; }), jpeg));
  ASSERT_GT(jpeg.size(), 10u);
  EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8");
  EXPECT_EQ(jpeg.substr(6, 4), "JFIF");
  Image back;
  ASSERT_TRUE(DecodeImage(jpeg, back));
  EXPECT_EQ(back.width, 16);
  EXPECT_EQ(back.height, 8);
  EXPECT_NEAR(PixelAt(back, 3, 3)[0], 200, 4);
  EXPECT_NEAR(PixelAt(back, 3, 3)[1], 100, 4);
  EXPECT_NEAR(PixelAt(back, 3, 3)[2], 50, 4);
}

// A BMP file header and 40-byte info header claiming the given size, with no
// pixels behind it.
std::string BmpHeaderOnly(int32_t w, int32_t h, int bpp = 24) {
  std::string s = "BM";
  PutLE(s, 54, 4);
  PutLE(s, 0, 4);
  PutLE(s, 54, 4);
  PutLE(s, 40, 4);
  PutLE(s, uint32_t(w), 4);
  PutLE(s, uint32_t(h), 4);
  PutLE(s, 1, 2);
  PutLE(s, uint64_t(bpp), 2);
  s.append(24, '\0');
  return s;
}

uint32_t Crc32(const std::string& s) {
  uint32_t c = 0xFFFFFFFF;
  for (unsigned char b : s) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

std::string BE32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }

// A PNG signature and a valid IHDR chunk claiming w x h, 8-bit RGBA.
std::string PngHeader(uint32_t w, uint32_t h) {
  std::string body = "IHDR" + BE32(w) + BE32(h) + std::string("\x08\x06\0\0\0", 5);
  return std::string("\x89PNG\r\n\x1A\n", 8) + BE32(13) + body + BE32(Crc32(body)) + BE32(0) + "IDAT" + BE32(Crc32("IDAT"));
}

// A real JPEG whose frame header claims w x h.
std::string JpegClaiming(uint16_t w, uint16_t h) {
  std::string jpeg;
  EncodeJpeg(MakeImage(16, 16, [](int, int) { return Rgb{5, 5, 5}; }), jpeg);
  size_t sof = jpeg.find("\xFF\xC0");
  if (sof == std::string::npos) return "";
  jpeg[sof + 5] = char(h >> 8);
  jpeg[sof + 6] = char(h);
  jpeg[sof + 7] = char(w >> 8);
  jpeg[sof + 8] = char(w);
  return jpeg;
}

TEST(ImageCodec, RefusesBadAndOversizedDataWithoutDecodingIt) {
  std::string png = Fixture("red_green.png");
  std::string gif = Fixture("small.gif");
  std::string jpeg;
  ASSERT_TRUE(EncodeJpeg(MakeImage(64, 64, [](int x, int y) { return Rgb{uint8_t(x), uint8_t(y), 9}; }), jpeg));
  std::string gifHuge = "GIF89a";
  PutLE(gifHuge, 20000, 2);
  PutLE(gifHuge, 20000, 2);
  gifHuge += std::string("\0\0\0\x2C\0\0\0\0", 8);
  PutLE(gifHuge, 20000, 2);
  PutLE(gifHuge, 20000, 2);
  gifHuge += std::string("\0\x02\x02\x4C\x01\0\x3B", 7);
  struct Case {
    const char* what;
    std::string bytes;
    int status;  // -1: any failure
  };
  const Case cases[] = {
      {"empty", "", kCodecUnknownType},
      {"text", "hello, world", kCodecUnknownType},
      {"svg", "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'/>", kCodecUnknownType},
      {"tiff", std::string("II*\0\x08\0\0\0", 8), kCodecUnknownType},
      {"png cut", png.substr(0, 40), -1},
      {"gif cut", gif.substr(0, 15), -1},
      {"jpeg cut", jpeg.substr(0, jpeg.size() / 3), -1},
      {"jpeg head only", "\xFF\xD8\xFF", -1},
      {"bmp 20000 x 20000", BmpHeaderOnly(20000, 20000), kCodecTooLarge},
      {"bmp 16385 x 1", BmpHeaderOnly(16385, 1), kCodecTooLarge},
      {"bmp 8000 x 8000 (256 MB)", BmpHeaderOnly(8000, 8000), kCodecTooLarge},
      {"bmp 0 x 0", BmpHeaderOnly(0, 0), -1},
      {"bmp cut", Bmp24(40, 40, [](int, int) { return Rgb{}; }).substr(0, 300), -1},
      {"gif 20000 x 20000", gifHuge, -1},
      {"png 20000 x 20000", PngHeader(20000, 20000), kCodecTooLarge},
      {"png 5000 x 5000 (100 MB)", PngHeader(5000, 5000), kCodecTooLarge},
      {"jpeg 20000 x 20000", JpegClaiming(20000, 20000), kCodecTooLarge},
      {"jpeg 0 x 16", JpegClaiming(0, 16), -1},
      {"bmp header size 0xA9A9A9A9", [] { std::string b = BmpHeaderOnly(1, 1); b.replace(14, 4, "\xA9\xA9\xA9\xA9"); return b; }(),
       kCodecCorrupt},
      {"bmp pixel offset past the end", [] { std::string b = Bmp24(2, 2, [](int, int) { return Rgb{}; }); b[10] = 100; return b; }(),
       kCodecCorrupt},
      {"bmp compression 9", [] { std::string b = Bmp24(2, 2, [](int, int) { return Rgb{}; }); b[30] = 9; return b; }(),
       kCodecCorrupt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Image img;
    img.width = 7;  // any earlier content is cleared
    int status = DecodeImageStatus(c.bytes, img);
    if (c.status >= 0)
      EXPECT_EQ(status, c.status);
    else
      EXPECT_NE(status, kCodecOk);
    EXPECT_TRUE(img.empty());
    EXPECT_TRUE(img.rgba.empty());
  }
  Image img;
  EXPECT_EQ(DecodeImageFileStatus("/nonexistent/folder/x.png", img), kCodecFileUnreadable);
  // An oversized file is refused before it is read (a sparse file here).
  testing::TempDir dir;
  testing::WriteBytes(dir / "big.png", PngHeader(10, 10));
  std::filesystem::resize_file(dir / "big.png", 2 * kMaxImageBytes + 1);
  EXPECT_EQ(DecodeImageFileStatus(dir / "big.png", img), kCodecTooLarge);
  EXPECT_EQ(DecodeImageFileStatus(dir.path(), img), kCodecFileUnreadable);
}

// A run-length bitmap: 2 x 2 pixels, two palette colours, rows of one run.
std::string Rle8Bmp(uint32_t coloursUsed, uint16_t bits = 8, uint32_t paletteEntries = 2) {
  const std::string pixels("\x02\x00\x00\x00\x02\x01\x00\x01", 8);
  std::string b = "BM";
  const uint32_t offset = 14 + 40 + 4 * paletteEntries;
  PutLE(b, offset + uint32_t(pixels.size()), 4);
  PutLE(b, 0, 4);
  PutLE(b, offset, 4);
  PutLE(b, 40, 4);
  PutLE(b, 2, 4);
  PutLE(b, 2, 4);
  PutLE(b, 1, 2);
  PutLE(b, bits, 2);
  PutLE(b, 1, 4);  // RLE8
  PutLE(b, uint32_t(pixels.size()), 4);
  PutLE(b, 2835, 4);
  PutLE(b, 2835, 4);
  PutLE(b, coloursUsed, 4);
  PutLE(b, 0, 4);
  for (uint32_t i = 0; i < paletteEntries; ++i) b += i == 0 ? std::string("\0\0\xFF\0", 4) : std::string("\0\xFF\0\0", 4);
  return b + pixels;
}

// Run-length bitmaps go to the general decoder only after their header
// fields were checked against the file: a small file claiming billions of
// colours is refused instead of making the decoder allocate gigabytes.
TEST(ImageCodec, RunLengthBitmapsAreCheckedBeforeDecoding) {
  Image img;
  ASSERT_EQ(DecodeImageStatus(Rle8Bmp(2), img), kCodecOk);
  ASSERT_EQ(img.width, 2);
  // Rows are stored bottom up: the top row is colour 1 (green), the bottom
  // row colour 0 (red).
  EXPECT_EQ(img.rgba[1], 0xFF);
  EXPECT_EQ(img.rgba[2 * 4 * 1 + 0], 0xFF);
  EXPECT_EQ(img.rgba[2 * 4 * 1 + 1], 0);
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"colours used 0xFF000000", Rle8Bmp(0xFF000000u)},
      {"colours used 257 at 8 bits", Rle8Bmp(257)},
      {"palette beyond the file", Rle8Bmp(200)},
      {"RLE8 at 4 bits", Rle8Bmp(2, 4)},
      {"image size beyond the file", [] { std::string b = Rle8Bmp(2); b[34] = char(0xFF); b[35] = char(0x7F); return b; }()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(DecodeImageStatus(c.bytes, img), kCodecCorrupt);
    EXPECT_TRUE(img.empty());
  }
  // Such a header with no palette at all, as the fuzzer found it.
  std::string fuzzed = Rle8Bmp(0xFF000000u, 8, 0);
  EXPECT_EQ(fuzzed.size(), 62u);
  EXPECT_EQ(DecodeImageStatus(fuzzed, img), kCodecCorrupt);
}

TEST(ImageCodec, SizeLimits) {
  EXPECT_TRUE(ImageSizeAllowed(16384, 1));
  EXPECT_TRUE(ImageSizeAllowed(4096, 4096));  // exactly 64 MB decoded
  EXPECT_FALSE(ImageSizeAllowed(4096, 4097));
  EXPECT_FALSE(ImageSizeAllowed(16385, 1));
  EXPECT_FALSE(ImageSizeAllowed(0, 10));
  EXPECT_FALSE(ImageSizeAllowed(10, -1));
}

TEST(ImageCodec, StartupFindsTheFormats) {
  uint64_t token = 0;
  EXPECT_EQ(ImageCodecs().Startup(token), kCodecOk);
  EXPECT_GE(token, 5u);
}

TEST(ImageCodec, RenderOverWhiteBlendsByAlpha) {
  Image img = MakeImage(3, 1, [](int, int) { return Rgb{0, 0, 0}; });
  img.rgba[3] = 0;
  img.rgba[7] = 128;
  RenderOverWhite(img);
  const uint8_t want[] = {255, 255, 255, 255, 127, 127, 127, 255, 0, 0, 0, 255};
  EXPECT_EQ(std::vector<uint8_t>(want, want + 12), img.rgba);
}

TEST(ImageCodec, NearestPixelScalingDropsAndRepeatsWithoutAveraging) {
  // Columns 0..3 of distinct colours, rows 0..1.
  Image src = MakeImage(4, 2, [](int x, int y) { return Rgb{uint8_t(10 * x), uint8_t(100 + y), 0}; });
  auto reds = [](const Image& img, int y) {
    std::vector<int> v;
    for (int x = 0; x < img.width; ++x) v.push_back(PixelAt(img, x, y)[0]);
    return v;
  };
  Image half = ScaleNearest(src, 2, 1);
  ASSERT_EQ(half.width, 2);
  EXPECT_EQ(reds(half, 0), (std::vector<int>{0, 20}));
  EXPECT_EQ(PixelAt(half, 0, 0)[1], 100);
  Image three = ScaleNearest(src, 3, 2);
  EXPECT_EQ(reds(three, 1), (std::vector<int>{0, 10, 20}));
  EXPECT_EQ(PixelAt(three, 0, 1)[1], 101);
  Image twice = ScaleNearest(src, 8, 4);
  EXPECT_EQ(reds(twice, 3), (std::vector<int>{0, 0, 10, 10, 20, 20, 30, 30}));
  EXPECT_EQ(PixelAt(twice, 0, 1)[1], 100);
  EXPECT_EQ(PixelAt(twice, 0, 2)[1], 101);
  EXPECT_TRUE(ScaleNearest(src, 0, 3).empty());
  EXPECT_TRUE(ScaleNearest(src, 20000, 1).empty());
  EXPECT_TRUE(ScaleNearest(Image(), 2, 2).empty());
}

TEST(ImageCodec, DibRowsBottomUpPadded) {
  // 3 x 2: top row red, green, blue; bottom row white, black, (8, 16, 24).
  const Rgb px[2][3] = {{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}}, {{255, 255, 255}, {0, 0, 0}, {8, 16, 24}}};
  Image img = MakeImage(3, 2, [&](int x, int y) { return px[y][x]; });
  // 16-bit: 0x7FFF, 0x0000, (1<<10 | 2<<5 | 3) = 0x0443, pad; then 0x7C00, 0x03E0, 0x001F, pad.
  const std::string want16("\xFF\x7F\x00\x00\x43\x04\x00\x00"
                           "\x00\x7C\xE0\x03\x1F\x00\x00\x00",
                           16);
  EXPECT_EQ(DibRows16(img), want16);
  // 24-bit rows: 9 bytes + 3 padding, blue-green-red.
  const std::string want24("\xFF\xFF\xFF\x00\x00\x00\x18\x10\x08\x00\x00\x00"
                           "\x00\x00\xFF\x00\xFF\x00\xFF\x00\x00\x00\x00\x00",
                           24);
  EXPECT_EQ(DibRows24(img), want24);
  EXPECT_EQ(DibRows16(Image()), "");
}

// Info header (40 bytes) of a device-independent bitmap.
std::string Info(int32_t w, int32_t h, int bpp, uint32_t compression = 0, uint32_t coloursUsed = 0) {
  std::string s;
  PutLE(s, 40, 4);
  PutLE(s, uint32_t(w), 4);
  PutLE(s, uint32_t(h), 4);
  PutLE(s, 1, 2);
  PutLE(s, uint64_t(bpp), 2);
  PutLE(s, compression, 4);
  PutLE(s, 0, 4);
  PutLE(s, 0, 4);
  PutLE(s, 0, 4);
  PutLE(s, coloursUsed, 4);
  PutLE(s, 0, 4);
  return s;
}

TEST(ImageCodec, ImageFromDibEveryDepth) {
  // Palette: index 0 black, 1 red, 2 green, 3 blue (blue, green, red, 0).
  const std::string pal4("\0\0\0\0\0\0\xFF\0\0\xFF\0\0\xFF\0\0\0", 16);
  struct Case {
    const char* what;
    std::string info;
    std::string pixels;
    int w, h;
    std::vector<Rgb> want;  // row by row from the top
  };
  auto masks = [](uint32_t r, uint32_t g, uint32_t b) {
    std::string s;
    PutLE(s, r, 4);
    PutLE(s, g, 4);
    PutLE(s, b, 4);
    return s;
  };
  const Rgb K{0, 0, 0}, R{255, 0, 0}, G{0, 255, 0}, B{0, 0, 255}, W{255, 255, 255};
  const Case cases[] = {
      // 1 bit: 2 x 2, palette black/red; top row (stored last) 1 0, bottom 0 1.
      {"1 bit", Info(2, 2, 1, 0, 2) + pal4.substr(0, 8), std::string("\x40\0\0\0\x80\0\0\0", 8), 2, 2, {R, K, K, R}},
      {"4 bit", Info(3, 1, 4, 0, 4) + pal4, std::string("\x12\x30\0\0", 4), 3, 1, {R, G, B}},
      {"8 bit", Info(2, 1, 8, 0, 4) + pal4, std::string("\x03\x02\0\0", 4), 2, 1, {B, G}},
      {"8 bit index past palette is black", Info(1, 1, 8, 0, 2) + pal4.substr(0, 8), std::string("\x03\0\0\0", 4), 1,
       1, {K}},
      {"16 bit 5-5-5", Info(2, 1, 16), std::string("\x00\x7C\xFF\x7F", 4), 2, 1, {R, W}},
      {"16 bit 5-6-5 masks", Info(2, 1, 16, 3) + masks(0xF800, 0x07E0, 0x001F), std::string("\xE0\x07\x1F\x00", 4), 2,
       1, {G, B}},
      {"24 bit", Info(1, 2, 24), std::string("\xFF\0\0\0\0\0\xFF\0", 8), 1, 2, {R, B}},
      {"32 bit", Info(2, 1, 32), std::string("\0\xFF\0\0\xFF\xFF\xFF\0", 8), 2, 1, {G, W}},
      {"32 bit masks", Info(1, 1, 32, 3) + masks(0xFF, 0xFF00, 0xFF0000), std::string("\xFF\0\0\0", 4), 1, 1, {R}},
      {"top-down", Info(1, -2, 24), std::string("\xFF\0\0\0\0\0\xFF\0", 8), 1, 2, {B, R}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Image img;
    ASSERT_TRUE(ImageFromDib(c.info, c.pixels, img));
    ASSERT_EQ(img.width, c.w);
    ASSERT_EQ(img.height, c.h);
    for (int i = 0; i < c.w * c.h; ++i) {
      const uint8_t* p = PixelAt(img, i % c.w, i / c.w);
      EXPECT_EQ(p[0], c.want[size_t(i)].r) << i;
      EXPECT_EQ(p[1], c.want[size_t(i)].g) << i;
      EXPECT_EQ(p[2], c.want[size_t(i)].b) << i;
      EXPECT_EQ(p[3], 255) << i;
    }
  }
}

TEST(ImageCodec, ImageFromDibRefusesMalformedHeaders) {
  struct Case {
    const char* what;
    std::string info;
    std::string pixels;
  };
  const Case cases[] = {
      {"short header", Info(1, 1, 24).substr(0, 39), std::string(4, '\0')},
      {"header size 12", [] { std::string s = Info(1, 1, 24); s[0] = 12; return s; }(), std::string(4, '\0')},
      {"header size past the data", [] { std::string s = Info(1, 1, 24); s[0] = 80; return s; }(),
       std::string(4, '\0')},
      {"2 bits per pixel", Info(1, 1, 2), std::string(4, '\0')},
      {"run-length compressed", Info(1, 1, 8, 1), std::string(4, '\0')},
      {"masks missing", Info(1, 1, 16, 3), std::string(4, '\0')},
      {"pixels short", Info(3, 3, 24), std::string(35, '\0')},
      {"zero width", Info(0, 1, 24), std::string(4, '\0')},
      {"zero height", Info(1, 0, 24), std::string(4, '\0')},
      {"too wide", Info(16385, 1, 24), std::string(16385 * 3 + 4, '\0')},
      {"too large", Info(16384, 16384, 1), std::string(4, '\0')},
      {"most negative height", Info(1, INT32_MIN, 24), std::string(4, '\0')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Image img;
    EXPECT_FALSE(ImageFromDib(c.info, c.pixels, img));
    EXPECT_TRUE(img.empty());
  }
}

TEST(ImageSurface, PremultipliedArgbAndBack) {
  Image img = MakeImage(2, 1, [](int x, int) { return x ? Rgb{255, 255, 255} : Rgb{255, 0, 0}; });
  img.rgba[7] = 128;  // right pixel half transparent
  SurfacePtr s = ImageToSurface(img);
  ASSERT_TRUE(s);
  EXPECT_EQ(cairo_image_surface_get_format(s.get()), CAIRO_FORMAT_ARGB32);
  EXPECT_EQ(cairo_image_surface_get_width(s.get()), 2);
  const auto* px = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s.get()));
  EXPECT_EQ(px[0], 0xFFFF0000u);
  EXPECT_EQ(px[1], 0x80808080u);
  Image back = SurfaceToImage(s.get());
  ASSERT_EQ(back.width, 2);
  EXPECT_EQ(std::vector<uint8_t>(back.rgba.begin(), back.rgba.begin() + 4), (std::vector<uint8_t>{255, 0, 0, 255}));
  EXPECT_EQ(back.rgba[7], 128);
  EXPECT_EQ(back.rgba[4], 255);
  EXPECT_FALSE(ImageToSurface(Image()));
}

}  // namespace
}  // namespace pantrela::platform
