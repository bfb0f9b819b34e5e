#include "app/app_startup.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "foundation/file.h"
#include "foundation/numtext.h"
#include "platform/system.h"

#ifndef PANTRELA_INSTALL_PREFIX
#define PANTRELA_INSTALL_PREFIX "/usr/local"
#endif

namespace pantrela {

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string WithSlash(std::string s) {
  if (!s.empty() && s.back() != '/') s += '/';
  return s;
}

std::string Trim(std::string s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

}  // namespace

bool Application::RunStage(Stage stage) {
  for (auto& step : steps)
    if (step.stage == stage && step.run && !step.run(*this)) {
      ctx.Log("Start-up step failed: " + step.name);
      return false;
    }
  return true;
}

std::vector<std::string> DefaultInstallPrefixes() {
  std::vector<std::string> out;
  std::string prefix = WithSlash(Lower(PANTRELA_INSTALL_PREFIX));
  if (prefix.size() > 1) out.push_back(prefix);
  for (const char* p : {"/usr/", "/opt/"})
    if (std::find(out.begin(), out.end(), p) == out.end()) out.push_back(p);
  return out;
}

bool IsInstalled(const std::string& programFolder, const std::vector<std::string>& installPrefixes) {
  std::string folder = Lower(programFolder);
  for (const auto& raw : installPrefixes) {
    // Prefixes end with '/', so "/usr/" never matches "/usrlocal/".
    std::string p = WithSlash(Lower(raw));
    if (p.size() > 1 && folder.compare(0, p.size(), p) == 0) return true;
  }
  return false;
}

std::string ChooseDataFolder(const DataFolderChoice& in) {
  if (!in.dataDirOverride.empty()) return WithSlash(in.dataDirOverride);
  if (!in.envDataDir.empty()) return WithSlash(in.envDataDir);
  if (IsInstalled(in.programFolder, in.installPrefixes) && !in.localAppData.empty())
    return WithSlash(in.localAppData) + kProgramName + "/";
  return in.programFolder;
}

std::string CommandLineText(const std::vector<std::string>& args) {
  if (args.empty()) return {};
  if (args.size() == 1)
    return args[0].find(' ') == std::string::npos ? args[0] : "\"" + args[0] + "\"";
  std::string out;
  for (const auto& a : args) {
    if (!out.empty()) out += ' ';
    out += "\"" + a + "\"";
  }
  return out;
}

int AcquireInstanceLock(const std::string& dataFolder) {
  std::string path = dataFolder + kProgramName + ".lock";
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return -2;
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    int err = errno;
    ::close(fd);
    return err == EWOULDBLOCK ? -1 : -2;
  }
  return fd;
}

void ReleaseInstanceLock(int fd) {
  if (fd < 0) return;
  ::flock(fd, LOCK_UN);
  ::close(fd);
}

void SeedDataFiles(const FileTable& files) {
  const struct {
    const char* seed;
    const std::string* target;
  } seeds[] = {
      {"z-grocery747.dat", &files.grocery},
      {"z-recipe860.dat", &files.recipe},
      {"z-spell54.dat", &files.dictionary},
      {"z-setup747.dat", &files.settings},
  };
  for (const auto& s : seeds) {
    std::string from = files.programFolder + s.seed;
    const std::string& to = *s.target;
    if (from == to || !Exists(from) || IsDirectory(from)) continue;
    if (Exists(to)) {
      bool emptySettings = &to == &files.settings && !IsDirectory(to) && File::Open(OpenMode::Read, to).Size() == 0;
      if (!emptySettings) continue;
    }
    std::string bytes;
    // A seed that cannot be written leaves the file missing; its owner
    // starts empty or rebuilds it, as without a seed.
    if (ReadWholeFile(from, bytes) && !WriteFileAtomic(to, bytes, &to == &files.settings ? 0600 : 0644))
      continue;
  }
}

void RemoveLeftovers(const FileTable& files) {
  const std::string* targets[] = {&files.grocery, &files.meal,  &files.settings, &files.recipe,
                                  &files.index,   &files.dictionary, &files.handOver};
  std::vector<std::string> doomed;
  if (DIR* d = ::opendir(files.dataFolder.c_str())) {
    while (const dirent* e = ::readdir(d)) {
      const std::string name = e->d_name;
      bool ours = name == files.compaction.substr(files.compaction.rfind('/') + 1);
      for (const std::string* t : targets) ours = ours || IsAtomicTempName(name, *t);
      if (ours) doomed.push_back(files.dataFolder + name);
    }
    ::closedir(d);
  }
  for (const std::string& path : doomed) {
    // Only regular files; a link of such a name is left alone, its target
    // never touched.
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) DeleteFile(path);
  }
}

void LogSystem(const AppContext& ctx) {
  platform::OsInfo os = platform::DetectOs();
  std::string sp = Trim(os.version);
  ctx.Log("GetVersionEx: " + Plain(os.major) + " - " + Plain(os.minor) + " - " + Plain(os.build) + " - " +
          Plain(2) + " - " + sp);
  bool is64 = os.machine.find("64") != std::string::npos || sizeof(void*) == 8;
  ctx.Log(std::string("Wow64: ") + (is64 ? "1" : "0"));
  std::string name = os.sysname.empty() ? "Unknown" : os.sysname;
  if (!sp.empty()) name += ", " + sp;
  name += is64 ? " (64-bit)" : " (32-bit)";
  ctx.Log(name + " - " + Plain(os.major) + "." + Plain(os.minor) + "." + Plain(os.build) + "\r\n");
}

// A failed step ends the program with nothing saved; only the lock goes.
static StartResult Abandon(Application& app) {
  ReleaseInstanceLock(app.instanceLock);
  app.instanceLock = -1;
  return StartResult::Failed;
}

StartResult StartUp(Application& app) {
  AppContext& ctx = app.ctx;
  const StartOptions& opt = app.options;

  // 1. Screen metrics; no screen yet. Without a display the work area stays
  // the fixed 1920 x 1080 one.
  ctx.screen = kScreenNone;
  if (opt.withWindow) {
    WorkArea& w = ctx.workArea;
    platform::DisplayWorkArea(w.left, w.top, w.right, w.bottom);
  }
  if (!app.RunStage(Stage::Display)) return StartResult::Failed;

  // 2. Program folder, data folder and every data-file path.
  std::string program = opt.programPath;
  std::string programFolder = program.substr(0, program.rfind('/') + 1);
  DataFolderChoice choice;
  choice.programFolder = programFolder;
  choice.installPrefixes = DefaultInstallPrefixes();
  choice.localAppData = platform::SpecialFolderPath(platform::SpecialFolder::LocalAppData);
  choice.dataDirOverride = opt.dataDirOverride;
  choice.envDataDir = opt.envDataDir;
  std::string data = ChooseDataFolder(choice);
  // A relative --data-dir is taken from the current folder, so every path
  // of the file table is a full one.
  if (!data.empty() && data[0] != '/') {
    char cwd[4096];
    if (::getcwd(cwd, sizeof cwd)) data = std::string(cwd) + "/" + data;
  }
  // A fresh account may lack the parent folders too; create them all.
  if (data != programFolder) CreateFolders(data);
  ctx.SetFolders(programFolder, data);

  // Single instance first: a copy that finds another one running hands its
  // command line over and ends without touching the other copy's log or
  // files.
  int lock = AcquireInstanceLock(data);
  if (lock == -1) {
    if (!opt.commandLine.empty() && !WriteFileAtomic(ctx.files.handOver, opt.commandLine))
      ReportWriteFailure(ctx, ctx.files.handOver, errno);
    app.options.commandLine.clear();
    return StartResult::SecondCopy;
  }
  app.instanceLock = lock;

  // 3. A fresh status log.
  ctx.log.Delete();
  ctx.Log(std::string(kProgramName) + " " + kVersionText + " Status Log\r\n");
  ctx.Log("Program Files 1 - " + (choice.installPrefixes.size() > 0 ? choice.installPrefixes[0] : ""));
  ctx.Log("Program Files 2 - " + (choice.installPrefixes.size() > 1 ? choice.installPrefixes[1] : ""));
  ctx.Log("App Path - " + programFolder);
  ctx.Log("Data Path - " + data + "\r\n");

  // 4. Data files may have come read-only from a backup medium.
  const FileTable& f = ctx.files;
  for (const std::string* p : {&f.grocery, &f.meal, &f.settings, &f.recipe, &f.compaction, &f.dictionary, &f.index})
    ClearReadOnly(*p);

  // What a killed run left behind: temporary files of the atomic rewrites
  // and the compaction file.
  RemoveLeftovers(f);

  // 5. The command line is left in "command.dat", where the recipe screen
  // picks it up (the same path as a second copy's request).
  if (!opt.commandLine.empty() && !WriteFileAtomic(f.handOver, opt.commandLine))
    ReportWriteFailure(ctx, f.handOver, errno);
  app.options.commandLine.clear();

  // 7. The system.
  LogSystem(ctx);

  // 11. First settings read (window placement, screen font).
  ReadSettings(ctx.settings, f.settings, ctx.workArea);
  // 12. The system temporary folder.
  std::string temp = platform::SpecialFolderPath(platform::SpecialFolder::Temp);
  if (!temp.empty()) ctx.files.tempFolder = temp;

  // 13-18. Window, fonts, first screen.
  if (!app.RunStage(Stage::Window)) return Abandon(app);
  // 19-22. Takeover and upgrades of older data files.
  if (!app.RunStage(Stage::Upgrade)) return Abandon(app);
  // 23. Seeds, never over an existing data file.
  SeedDataFiles(ctx.files);
  // 24. Second settings read: a freshly seeded file takes effect.
  ReadSettings(ctx.settings, f.settings, ctx.workArea);
  // 25-27. The recipe database and the lists.
  if (!app.RunStage(Stage::Database)) return Abandon(app);
  // 28. Last steps before the screen loop.
  if (!app.RunStage(Stage::Ready)) return Abandon(app);
  app.started = true;
  return StartResult::Running;
}

void ShutDown(Application& app) {
  if (!app.started) return;
  AppContext& ctx = app.ctx;
  app.RunStage(Stage::Stopping);
  SaveSettings(ctx);
  DeleteFile(ctx.files.dataFolder + "temp.htm");
  DeleteFile(ctx.files.scratchImport);
  app.RunStage(Stage::Stopped);
  ReleaseInstanceLock(app.instanceLock);
  app.instanceLock = -1;
  app.started = false;
}

}  // namespace pantrela
