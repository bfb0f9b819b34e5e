// bench-deps: pantrela_database pantrela_platform pantrela_foundation
// Photo paths that run while the user waits: showing a stored photo, fitting
// a camera-sized picture, storing a bitmap photo, and handing a photo to
// the drawing code.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "database/photo.h"
#include "database/photo_store.h"
#include "platform/image_codec.h"
#include "platform/image_surface.h"

namespace {

using namespace pantrela;

platform::Image Picture(int w, int h) {
  platform::Image img;
  img.width = w;
  img.height = h;
  img.rgba.resize(size_t(w) * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &img.rgba[(size_t(y) * w + x) * 4];
      p[0] = uint8_t(x * 7 + y);
      p[1] = uint8_t(y * 3);
      p[2] = uint8_t((x ^ y) & 0xFF);
      p[3] = 255;
    }
  return img;
}

void BM_DecodeStoredJpeg480x360(benchmark::State& state) {
  std::string jpeg;
  platform::EncodeJpeg(Picture(480, 360), jpeg);
  AppContext ctx;
  for (auto _ : state) benchmark::DoNotOptimize(DecodePhoto(ctx, jpeg));
}
BENCHMARK(BM_DecodeStoredJpeg480x360)->Unit(benchmark::kMillisecond);

void BM_DecodeBmpPhoto480x360(benchmark::State& state) {
  std::string bmp = BitmapToBmp(Picture(480, 360));
  AppContext ctx;
  for (auto _ : state) benchmark::DoNotOptimize(DecodePhoto(ctx, bmp));
}
BENCHMARK(BM_DecodeBmpPhoto480x360)->Unit(benchmark::kMillisecond);

void BM_FitCameraPicture4000x3000(benchmark::State& state) {
  platform::Image img = Picture(4000, 3000);
  for (auto _ : state) benchmark::DoNotOptimize(FitBitmap(img));
}
BENCHMARK(BM_FitCameraPicture4000x3000)->Unit(benchmark::kMillisecond);

void BM_DecodeCameraJpeg4000x3000(benchmark::State& state) {
  std::string jpeg;
  platform::EncodeJpeg(Picture(4000, 3000), jpeg);
  for (auto _ : state) {
    platform::Image img;
    benchmark::DoNotOptimize(platform::DecodeImageStatus(jpeg, img));
  }
}
BENCHMARK(BM_DecodeCameraJpeg4000x3000)->Unit(benchmark::kMillisecond);

void BM_StoreBitmapPhotoAsJpeg(benchmark::State& state) {
  std::string bmp = BitmapToBmp(Picture(480, 360));
  char tmpl[] = "/tmp/pantrela-bench-XXXXXX";
  std::string folder = std::string(mkdtemp(tmpl)) + "/";
  AppContext ctx;
  ctx.files.dataFolder = folder;
  DefaultAnswerDialogs dialogs;
  for (auto _ : state) {
    std::string photo = bmp;
    ConvertBmpPhotoForStorage(ctx, dialogs, photo);
    benchmark::DoNotOptimize(photo);
  }
  std::system(("rm -rf " + folder).c_str());
}
BENCHMARK(BM_StoreBitmapPhotoAsJpeg)->Unit(benchmark::kMillisecond);

void BM_PhotoToSurface480x360(benchmark::State& state) {
  platform::Image img = Picture(480, 360);
  for (auto _ : state) benchmark::DoNotOptimize(platform::ImageToSurface(img));
}
BENCHMARK(BM_PhotoToSurface480x360)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
