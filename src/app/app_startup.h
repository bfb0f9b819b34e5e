// Start-up and shut-down, shared by the program and pantrela-cli.
//
// StartUp runs the fixed steps of the program's entry in their order:
//   folders and file table, the single-instance lock (a second copy hands
//   its command line over and ends here, leaving the running copy's log
//   alone), a fresh status log, read-only clearing, removal of a killed
//   run's leftovers, the command-line hand-over, the system lines,
//   the first settings read, [Display, Window], [Upgrade], seeding of the
//   "z-" files, the second settings read, [Database], [Ready].
// The bracketed stages are where higher layers hook in: the window, the
// upgrades of older data files, loading and verifying the master index and
// building the lists, the clipboard listener. Layers add their steps in
// AddLayerSteps (app_layers.cpp), the one place that knows them, so this
// file never depends on the libraries above the foundation.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/context.h"

namespace pantrela {

struct StartOptions {
  std::string programPath;      // the executable's own path
  std::string dataDirOverride;  // --data-dir; wins over PANTRELA_DATA_DIR
  std::string envDataDir;       // PANTRELA_DATA_DIR
  std::string commandLine;      // file list or web address handed over
  bool withWindow = false;      // the program; false for pantrela-cli and tests
};

enum class StartResult { Running, SecondCopy, Failed };

// Hook points of the start-up and shut-down order.
enum class Stage {
  Display,   // take the screen metrics (set ctx.workArea) before settings are read
  Window,    // create the window, fonts and first screen (after the first settings read)
  Upgrade,   // take over or upgrade older data files (before seeding)
  Database,  // load and verify the index, build the lists (after the second settings read)
  Ready,     // last steps before the screen loop (clipboard listener)
  Stopping,  // first shut-down steps, before the settings are written
  Stopped,   // last shut-down steps, after the scratch files are gone
};

struct Application;
class Collection;

// A step returns false to end the program at once (nothing is saved), as
// the start-up failures of the window do.
struct LifecycleStep {
  Stage stage;
  std::string name;
  std::function<bool(Application&)> run;
};

// Everything one run of the program holds: the context, the hook steps,
// and the objects of the higher layers (added here by later layers, owned
// for the whole run).
struct Application {
  AppContext ctx;
  StartOptions options;
  std::vector<LifecycleStep> steps;
  std::vector<std::shared_ptr<void>> layerObjects;
  int instanceLock = -1;  // file descriptor holding the single-instance lock
  // The recipe database, set by the Database stage once the master index is
  // loaded and verified and the lists are built.
  Collection* collection = nullptr;
  // The screen loop of the window layer, run between start-up and shut-down.
  std::function<void(Application&)> screenLoop;
  bool started = false;

  void AddStep(Stage stage, std::string name, std::function<bool(Application&)> run) {
    steps.push_back({stage, std::move(name), std::move(run)});
  }
  // Runs the steps of one stage in the order they were added.
  bool RunStage(Stage stage);
};

// Adds the steps of every layer that is built; see app_layers.cpp.
void AddLayerSteps(Application& app);

// Runs the start-up. SecondCopy: another copy holds the data folder (a
// command line was left in "command.dat" for it); Failed: a step ended the
// program.
StartResult StartUp(Application& app);
// Shut-down: Stopping steps, settings written, scratch files "temp.htm" and
// "Temp.dat" deleted, Stopped steps, lock released. Does nothing when the
// start-up did not finish.
void ShutDown(Application& app);

// ---- pieces of the start-up, usable on their own ----

// Inputs of the data-folder choice. Prefixes end with '/' and are compared
// case-insensitively with the program folder.
struct DataFolderChoice {
  std::string programFolder;           // ends with '/'
  std::vector<std::string> installPrefixes;
  std::string localAppData;            // $XDG_DATA_HOME or ~/.local/share/, ends with '/'
  std::string dataDirOverride;         // --data-dir
  std::string envDataDir;              // PANTRELA_DATA_DIR
};
// The data folder, ending with '/': the option, else the environment
// variable, else localAppData + "Pantrela/" for an installed program, else
// the program folder (portable).
std::string ChooseDataFolder(const DataFolderChoice& in);
bool IsInstalled(const std::string& programFolder, const std::vector<std::string>& installPrefixes);
// The install prefix the program was built for, "/usr/" and "/opt/", each
// ending with '/', in lower case.
std::vector<std::string> DefaultInstallPrefixes();

// The text handed over in "command.dat" for a list of arguments: one
// argument as it is (quoted when it holds a space), several each in double
// quotes, separated by single spaces.
std::string CommandLineText(const std::vector<std::string>& args);

// Single instance: an advisory lock on "Pantrela.lock" in the data folder.
// Returns the descriptor holding it, -1 when another process holds it, -2
// when the lock file cannot be opened (the check then passes).
int AcquireInstanceLock(const std::string& dataFolder);
void ReleaseInstanceLock(int fd);

// Copies every "z-" seed file of the program folder whose data file does not
// exist yet. An empty settings file counts as missing: the first settings
// read leaves one behind, and it holds nothing a seed could overwrite.
void SeedDataFiles(const FileTable& files);

// Removes what a killed run leaves in the data folder: the temporary files
// of the atomic rewrites and the compaction file "Recipe860.bak" (regular
// files only, never through a link).
void RemoveLeftovers(const FileTable& files);

// The operating-system lines of the log, from uname.
void LogSystem(const AppContext& ctx);

}  // namespace pantrela
