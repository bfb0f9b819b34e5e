// Generates recipe collections for benchmarks and for trying the screens on
// large data: N recipes with realistic text sizes (titles 10-60 bytes,
// ingredients about 400 bytes, directions about 1,200 bytes), filed in user
// chapters, a share of them with a photo. The same seed gives the same texts.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/context.h"

namespace pantrela::bench {

struct GeneratorOptions {
  int recipes = 1000;
  int chapters = 200;
  double photoShare = 0.05;      // share of recipes with a photo
  size_t photoBytes = 40 * 1024;  // size of each photo
  uint32_t seed = 1;
};

// Writes "Recipe860.dat" and a matching sorted "Index860.dat" into the
// context's data folder, replacing what is there. Returns the recipe file
// size in bytes.
uint64_t GenerateCollection(AppContext& ctx, const GeneratorOptions& options);

// A data folder under the system's temporary folder holding a generated
// collection of `recipes` recipes, generated on first use and kept for later
// runs ("pantrela-bench-<recipes>/"). The context is pointed at it.
void UseGeneratedCollection(AppContext& ctx, int recipes);

// Ends the benchmark with a message when a file could not be written.
void Require(bool written, const std::string& path);

// Resident and peak memory of this process in kilobytes (VmRSS, VmHWM).
int64_t ResidentKb();
int64_t PeakResidentKb();

}  // namespace pantrela::bench
