// bench-deps: pantrela_foundation
// The foundation's hot paths: reading text files line by line, reading the
// settings file, making record IDs.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "foundation/file.h"
#include "foundation/record_id.h"
#include "foundation/settings.h"

using namespace pantrela;

static std::string ScratchFile(const char* name) {
  const char* t = std::getenv("TMPDIR");
  return std::string(t && *t ? t : "/tmp") + "/pantrela-bench-" + std::to_string(::getpid()) + "-" + name;
}

// A 1 MB recipe text file of short CR LF lines, read with the line reader.
static void BM_ReadLine1MB(benchmark::State& state) {
  std::string path = ScratchFile("lines.txt");
  std::string text;
  while (text.size() < (1 << 20)) text += "1 1/2 cups all-purpose flour, sifted twice\r\n";
  if (!WriteFileAtomic(path, text)) std::abort();
  for (auto _ : state) {
    File f = File::Open('i', path);
    std::string line;
    size_t lines = 0;
    while (!f.AtEnd()) {
      f.ReadLine(line, 1);
      ++lines;
    }
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
  DeleteFile(path);
}
BENCHMARK(BM_ReadLine1MB)->Unit(benchmark::kMillisecond);

static void BM_SettingsReadWrite(benchmark::State& state) {
  std::string path = ScratchFile("Setup747.dat");
  Settings s;
  for (auto& p : s.print) p.assign(400, '\1');
  if (!WriteSettings(s, path)) std::abort();
  for (auto _ : state) {
    Settings in;
    ReadSettings(in, path, WorkArea{});
    benchmark::DoNotOptimize(in.window_x);
  }
  DeleteFile(path);
}
BENCHMARK(BM_SettingsReadWrite)->Unit(benchmark::kMicrosecond);

static void BM_MakeRecordId(benchmark::State& state) {
  RecordIdMaker maker;
  for (auto _ : state) benchmark::DoNotOptimize(maker.Make());
}
BENCHMARK(BM_MakeRecordId);

BENCHMARK_MAIN();
