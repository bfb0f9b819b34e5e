// The application context: every process-wide value of the program (paths,
// settings, the log, the quit flag, the busy mark, the current screen, the
// news text) lives here, created by main() or by a test on a temporary data
// folder and passed by reference. Higher layers keep their own state
// (the collection, the window) in objects that refer to this one.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "foundation/dialogs.h"
#include "foundation/record_id.h"
#include "foundation/settings.h"
#include "foundation/status_log.h"

namespace pantrela {

inline constexpr const char* kProgramName = "Pantrela";
inline constexpr const char* kVersionText = "9.68";

// Full paths of every data file; folders end with '/'.
struct FileTable {
  std::string programFolder;
  std::string dataFolder;
  std::string tempFolder;
  std::string grocery;        // Grocery747.dat
  std::string scratchImport;  // Temp.dat
  std::string meal;           // Event860.dat
  std::string settings;       // Setup747.dat
  std::string recipe34;       // Recipe34.dat
  std::string recipe;         // Recipe860.dat
  std::string compaction;     // Recipe860.bak
  std::string dictionary;     // Spell54.dat
  std::string index;          // Index860.dat
  std::string statusLog;      // status.log
  std::string handOver;       // command.dat
  std::string journal;        // Recipe860.jnl: an operation on the recipe file that has not finished

  // Builds every path from the two folders (each ending with '/').
  static FileTable For(const std::string& programFolder, const std::string& dataFolder);
};

// Screen numbers of the screen loop.
enum Screen : int {
  kScreenNone = 0,
  kScreenRecipes = 3,
  kScreenRecipe = 4,
  kScreenGrocery = 5,
  kScreenMeals = 6,
  kScreenOptions = 7,
  kScreenAbout = 8,
  kScreenManualImport = 11,
};

struct AppContext {
  AppContext() = default;
  AppContext(const AppContext&) = delete;
  AppContext& operator=(const AppContext&) = delete;

  FileTable files;
  Settings settings;
  StatusLog log;
  RecordIdMaker ids;
  WorkArea workArea;             // from the platform; 1920 x 1080 without a display

  std::atomic<int> quit{0};      // > 0 ends every loop
  bool popupUp = false;
  int screen = kScreenNone;
  std::string grocerySearchWord;  // an ingredient word clicked in the recipe view

  // News text left by the update thread; shared with it under the mutex.
  std::mutex newsMutex;
  std::string newsText;
  std::atomic<bool> newsReady{false};

  // Sets the file table and the log path.
  void SetFolders(const std::string& programFolder, const std::string& dataFolder) {
    files = FileTable::For(programFolder, dataFolder);
    log.SetPath(files.statusLog);
  }
  void Log(std::string_view text) const { log.Log(text); }
  bool Quitting() const { return quit.load() > 0; }

  // How the program asks and tells the user. Until someone sets dialogs of
  // their own (the window, the terminal, a test) every question gets its
  // default answer and nothing is shown.
  Dialogs& dialogs() const { return *dialogs_; }
  // Null goes back to the default answers.
  void SetDialogs(Dialogs* d) { dialogs_ = d ? d : &defaultDialogs_; }

  // The busy mark refuses resizing, screen switches and clean-up. It is set
  // only here, so the window (through onBusyChange) always knows of it.
  bool Busy() const { return busy_; }
  void SetBusy(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (onBusyChange) onBusyChange(busy);
  }
  std::function<void(bool busy)> onBusyChange;

 private:
  mutable DefaultAnswerDialogs defaultDialogs_;
  Dialogs* dialogs_ = &defaultDialogs_;
  bool busy_ = false;
};

// Marks the program busy for its lifetime and puts the previous mark back.
class BusyScope {
 public:
  explicit BusyScope(AppContext& ctx) : ctx_(ctx), was_(ctx.Busy()) { ctx.SetBusy(true); }
  ~BusyScope() { ctx_.SetBusy(was_); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  AppContext& ctx_;
  bool was_;
};

// Tells the user that a file could not be written: "Unable to write NAME:"
// and the system's reason for `error`, through the dialogs (on standard
// error in pantrela-cli), and logs the same line.
void ReportWriteFailure(AppContext& ctx, const std::string& path, int error);

// Writes the settings file; a failure is reported as above and leaves the
// previous file in place. False when it failed.
bool SaveSettings(AppContext& ctx);

}  // namespace pantrela
