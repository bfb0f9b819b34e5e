// make_collection DATA_FOLDER RECIPES [SEED]: writes a generated collection
// (recipe file and index) into a data folder, for trying the program on
// large collections.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "collection_generator.h"
#include "foundation/file.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: make_collection DATA_FOLDER RECIPES [SEED]\n");
    return 2;
  }
  std::string folder = argv[1];
  if (folder.back() != '/') folder += '/';
  pantrela::bench::GeneratorOptions o;
  o.recipes = std::atoi(argv[2]);
  if (argc == 4) o.seed = uint32_t(std::strtoul(argv[3], nullptr, 10));
  if (o.recipes < 0) return 2;
  if (!pantrela::CreateFolders(folder)) {
    std::fprintf(stderr, "make_collection: cannot create %s\n", folder.c_str());
    return 1;
  }
  pantrela::AppContext ctx;
  ctx.SetFolders(folder, folder);
  uint64_t bytes = pantrela::bench::GenerateCollection(ctx, o);
  std::printf("%d recipes, %llu bytes in %s\n", o.recipes, static_cast<unsigned long long>(bytes), folder.c_str());
  return 0;
}
