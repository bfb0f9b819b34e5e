#include "app/app_startup.h"

#include "foundation/file.h"

namespace pantrela {

StartResult StartUp(AppContext& ctx, const StartOptions& opt) {
  std::string program = opt.programPath;
  std::string folder = program.substr(0, program.rfind('/') + 1);
  std::string data = opt.dataDirOverride.empty() ? folder : opt.dataDirOverride;
  if (!data.empty() && data.back() != '/') data += '/';
  CreateFolders(data);
  ctx.SetFolders(folder, data);
  ctx.log.Delete();
  ctx.Log(std::string(kProgramName) + " " + kVersionText + " Status Log\r\n");
  ReadSettings(ctx.settings, ctx.files.settings, ctx.workArea);
  return StartResult::Running;
}

void ShutDown(AppContext& ctx) { WriteSettings(ctx.settings, ctx.files.settings); }

}  // namespace pantrela
