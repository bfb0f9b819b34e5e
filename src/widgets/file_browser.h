// The file and folder browser: one modal box with a list of the special
// folders, the drives and the current folder's contents, a destination
// line, a file-name field and the buttons "New Folder", "OK" and "Cancel".
// Files and folders can be deleted from it with a right click.
//
// Linux has no drive letters: the "drives" are the mounted file systems
// worth offering, lettered from C: the root, the home folder, then
// removable media mounted under /media and /run/media.
#pragma once

#include <string>
#include <vector>

#include "widgets/window_dialogs.h"
#include "widgets/gui.h"

namespace pantrela::widgets {

// Entry types of the browser list.
enum BrowserType : int {
  kBrowseDrive = 1,
  kBrowseParent = 2,
  kBrowseFolder = 3,
  kBrowseFile = 4,
  kBrowseDesktop = 5,
  kBrowseDocuments = 6,
};

struct BrowserDrive {
  char letter = 'C';
  std::string path;   // mount point, ending with '/'
  std::string label;  // shown after "Drive X:    "
};

struct BrowserEntry {
  char drive = '0';   // '0' for the special folders, else the drive letter
  int type = 0;       // BrowserType
  std::string shown;  // the text of the row
  std::string name;   // real name on disk (folders and files), or the path (drives, special folders)
  // Sort key: drive letter or '0', type digit, shown text.
  std::string Key() const { return std::string(1, drive) + char('0' + type) + shown; }
};

// The drives this machine offers (C: root, D: home, then removable media).
std::vector<BrowserDrive> BrowserDrives();

// The drive whose mount point is the longest prefix of `folder`, or null.
const BrowserDrive* DriveOf(const std::vector<BrowserDrive>& drives, const std::string& folder);

// A name written entirely in capitals is shown with only its first letter
// in capitals ("README.TXT" -> "Readme.txt").
std::string BrowserShownName(const std::string& name);

// The sorted list for `folder`: the special folders (given paths, may be
// ""), every drive, ".." unless the folder is its drive's root, and the
// folder's entries (folders then files, each after its own drive).
std::vector<BrowserEntry> BuildBrowserList(const std::vector<BrowserDrive>& drives, const std::string& folder,
                                           const std::string& desktop, const std::string& documents);

// Rows the list shows for a client height and field height.
int BrowserRows(int clientHeight, int fieldHeight);

// Runs the browser. `folder` and `fileName` in and out; true when a choice
// was made (OK or a file opened), false on Cancel (both restored) or quit.
bool RunFileBrowser(Gui& gui, WindowDialogs& dialogs, const std::string& title, std::string& folder,
                    std::string& fileName);

// Control ids of the browser (besides kIdButtonBase + 0..2 and kIdFieldBase).
inline constexpr int kIdBrowserList = 800;
inline constexpr int kIdBrowserUp = 801;
inline constexpr int kIdBrowserDown = 802;
inline constexpr int kIdBrowserDestination = 803;

}  // namespace pantrela::widgets
