#include <cstdio>
#include <cstring>

#include "app/app_startup.h"
#include "platform/system.h"

int main(int argc, char** argv) {
  pantrela::AppContext ctx;
  pantrela::StartOptions opt;
  opt.programPath = pantrela::platform::ExecutablePath();
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--data-dir") == 0 && i + 1 < argc) opt.dataDirOverride = argv[++i];
  if (pantrela::StartUp(ctx, opt) != pantrela::StartResult::Running) return 0;
  std::printf("Pantrela data folder: %s\n", ctx.files.dataFolder.c_str());
  pantrela::ShutDown(ctx);
  return 0;
}
