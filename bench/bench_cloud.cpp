// bench-deps: pantrela_backup pantrela_server pantrela_collection_generator
// Cloud backup and restore of a generated collection (10,000 recipes unless
// PANTRELA_BENCH_RECIPES says otherwise) against pantrela-server running in
// this process on 127.0.0.1. Each iteration is one whole command: the
// account, the archive, the upload in pieces and the finish; or the listing,
// the downloads, the rebuilt recipe file and the clean-up.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "backup/cloud.h"
#include "collection_generator.h"
#include "database/collection.h"
#include "foundation/file.h"
#include "server/vendor_server.h"

namespace {

using namespace pantrela;

std::string TempFolder(const char* name) {
  std::string t = std::string("/tmp/pantrela-bench-") + name + "-XXXXXX";
  if (!::mkdtemp(t.data())) std::abort();
  return t + "/";
}

struct Setup {
  DefaultAnswerDialogs dialogs;
  AppContext source, target;
  std::unique_ptr<server::VendorServer> server;
  std::thread thread;
  VendorHost host;
  CloudCredentials login{"bench1", "secret1"};
  std::string serverData;

  Setup() {
    const char* n = std::getenv("PANTRELA_BENCH_RECIPES");
    bench::GeneratorOptions g;
    g.recipes = n ? std::atoi(n) : 10000;
    std::string a = TempFolder("cloud-source"), b = TempFolder("cloud-target");
    serverData = TempFolder("cloud-server");
    source.SetFolders(a, a);
    target.SetFolders(b, b);
    source.SetDialogs(&dialogs);
    target.SetDialogs(&dialogs);
    bench::GenerateCollection(source, g);
    server::Options o;
    o.port = 0;
    o.dataFolder = serverData;
    o.quiet = true;
    server = std::make_unique<server::VendorServer>(o);
    if (!server->Bind()) std::abort();
    thread = std::thread([this] { server->Run(); });
    host = VendorHost::Parse("127.0.0.1:" + std::to_string(server->port()));
  }
  ~Setup() {
    server->Stop();
    thread.join();
    for (const std::string& f : {source.files.dataFolder, target.files.dataFolder, serverData}) DeleteTree(f);
  }
};

Setup& S() {
  static Setup s;
  return s;
}

void BM_CloudBackup(benchmark::State& state) {
  Setup& s = S();
  for (auto _ : state) {
    Collection db(s.source);
    OpenCollection(db);
    if (CloudBackup(db, s.host, &s.login) != CloudOutcome::Done) state.SkipWithError("backup failed");
  }
  File f = File::Open('i', s.source.files.recipe);
  state.counters["recipe_file_MB"] = double(f.Size()) / 1e6;
}
BENCHMARK(BM_CloudBackup)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_CloudRestore(benchmark::State& state) {
  Setup& s = S();
  {
    Collection db(s.source);
    OpenCollection(db);
    if (CloudBackup(db, s.host, &s.login) != CloudOutcome::Done) state.SkipWithError("backup failed");
  }
  int64_t recipes = 0;
  for (auto _ : state) {
    Collection db(s.target);
    OpenCollection(db);
    if (CloudRestore(db, s.host, &s.login) != CloudOutcome::Done) state.SkipWithError("restore failed");
    recipes = 0;
    for (uint32_t off : db.EntryOffsets()) recipes += db.Entry(off).kind() == kKindRecipe;
  }
  state.counters["recipes"] = double(recipes);
}
BENCHMARK(BM_CloudRestore)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
