// bench-deps: pantrela_widgets
// The file browser's list for a folder of 20,000 files and 500 folders:
// reading the folder, the capitals rule and the case-insensitive sort.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "foundation/file.h"
#include "widgets/file_browser.h"

namespace {

using namespace pantrela;

const std::string& Folder() {
  static const std::string folder = [] {
    char tmpl[] = "/tmp/pantrela-bench-browser-XXXXXX";
    std::string f = std::string(mkdtemp(tmpl)) + "/";
    for (int i = 0; i < 500; ++i) CreateFolders(f + "Folder " + std::to_string(i) + "/");
    for (int i = 0; i < 20000; ++i) {
      std::string name = (i % 3 == 0 ? "RECIPE" : "recipe ") + std::to_string((i * 7919) % 20000) + ".MMF";
      if (FILE* out = std::fopen((f + name).c_str(), "w")) std::fclose(out);
    }
    return f;
  }();
  return folder;
}

void BM_BuildBrowserList(benchmark::State& state) {
  const std::vector<widgets::BrowserDrive> drives = {{'C', "/", "(/)"}};
  const std::string& folder = Folder();
  size_t rows = 0;
  for (auto _ : state) {
    auto list = widgets::BuildBrowserList(drives, folder, "", "");
    rows = list.size();
    benchmark::DoNotOptimize(list);
  }
  state.counters["rows"] = double(rows);
}
BENCHMARK(BM_BuildBrowserList)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  DeleteTree(Folder());
  return 0;
}
