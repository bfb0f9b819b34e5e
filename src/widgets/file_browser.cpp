#include "widgets/file_browser.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "foundation/file.h"
#include "foundation/numtext.h"
#include "platform/codepage.h"
#include "platform/system.h"
#include "widgets/text_field.h"

namespace pantrela::widgets {
namespace {

int Lower(int c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

bool KeyDown(const platform::InputState& in, int vk) { return in.keyDown && in.virtualKey == vk; }

bool Ready(const std::string& path) { return !path.empty() && ::access(path.c_str(), R_OK | X_OK) == 0; }

// Names on disk are UTF-8; the interface draws Windows-1252 texts.
std::string Shown(const std::string& diskText) { return FileNameForDisplay(diskText); }

std::string WithSlash(std::string p) {
  if (p.empty() || p.back() != '/') p += '/';
  return p;
}

// Mount points from /proc/mounts ("\040" and friends are octal escapes).
std::vector<std::string> RemovableMounts() {
  std::vector<std::string> out;
  std::string text;
  if (!ReadWholeFile("/proc/mounts", text)) return out;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    size_t a = line.find(' ');
    if (a == std::string::npos) continue;
    size_t b = line.find(' ', a + 1);
    std::string raw = line.substr(a + 1, b == std::string::npos ? std::string::npos : b - a - 1), mount;
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == '\\' && i + 3 < raw.size() && raw[i + 1] >= '0' && raw[i + 1] <= '3') {
        mount += char((raw[i + 1] - '0') * 64 + (raw[i + 2] - '0') * 8 + (raw[i + 3] - '0'));
        i += 3;
      } else {
        mount += raw[i];
      }
    }
    if (mount.rfind("/media/", 0) == 0 || mount.rfind("/run/media/", 0) == 0) {
      mount = WithSlash(mount);
      if (std::find(out.begin(), out.end(), mount) == out.end()) out.push_back(mount);
    }
  }
  return out;
}

}  // namespace

std::vector<BrowserDrive> BrowserDrives() {
  std::vector<BrowserDrive> drives;
  auto add = [&](const std::string& path, const std::string& label) {
    if (drives.size() >= 24) return;
    for (const auto& d : drives)
      if (d.path == path) return;
    drives.push_back({char('C' + drives.size()), path, label});
  };
  add("/", "(/)");
  std::string home = platform::SpecialFolderPath(platform::SpecialFolder::Home);
  if (home.size() > 1) add(home, "(" + Shown(home.substr(0, home.size() - 1)) + ")");
  for (const auto& m : RemovableMounts()) add(m, "(Removable Disk) " + Shown(m.substr(0, m.size() - 1)));
  return drives;
}

const BrowserDrive* DriveOf(const std::vector<BrowserDrive>& drives, const std::string& folder) {
  const BrowserDrive* best = nullptr;
  for (const auto& d : drives) {
    if (folder.rfind(d.path, 0) == 0 && (!best || d.path.size() > best->path.size())) best = &d;
  }
  return best;
}

std::string BrowserShownName(const std::string& name) {
  bool upper = false;
  for (char c : name) {
    if (c >= 'a' && c <= 'z') return name;
    if (c >= 'A' && c <= 'Z') upper = true;
  }
  if (!upper) return name;
  std::string out = name;
  for (size_t i = 1; i < out.size(); ++i) out[i] = char(Lower(static_cast<unsigned char>(out[i])));
  return out;
}

std::vector<BrowserEntry> BuildBrowserList(const std::vector<BrowserDrive>& drives, const std::string& folder,
                                           const std::string& desktop, const std::string& documents) {
  std::vector<BrowserEntry> list;
  list.push_back({'0', kBrowseDesktop, "Desktop", desktop});
  list.push_back({'0', kBrowseDocuments, "My Documents", documents});
  for (const auto& d : drives)
    list.push_back({d.letter, kBrowseDrive, std::string("Drive ") + d.letter + ":    " + d.label, d.path});
  if (const BrowserDrive* own = DriveOf(drives, folder)) {
    if (folder != own->path) list.push_back({own->letter, kBrowseParent, "..", ".."});
    if (DIR* dir = ::opendir(folder.c_str())) {
      while (const dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        int type = e->d_type == DT_DIR ? kBrowseFolder : kBrowseFile;
        if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
          // Links show what they point to; dangling ones are left out.
          struct stat st {};
          if (::stat((folder + name).c_str(), &st) != 0) continue;
          type = S_ISDIR(st.st_mode) ? kBrowseFolder : kBrowseFile;
        }
        list.push_back({own->letter, type, BrowserShownName(Shown(name)), name});
      }
      ::closedir(dir);
    }
  }
  // Case-insensitive order of the keys, each folded once.
  std::vector<std::pair<std::string, size_t>> keys;
  keys.reserve(list.size());
  for (size_t i = 0; i < list.size(); ++i) {
    std::string k = list[i].Key();
    for (char& c : k) c = char(Lower(static_cast<unsigned char>(c)));
    keys.emplace_back(std::move(k), i);
  }
  std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<BrowserEntry> sorted;
  sorted.reserve(list.size());
  for (const auto& k : keys) sorted.push_back(std::move(list[k.second]));
  return sorted;
}

int BrowserRows(int clientHeight, int fieldHeight) {
  const int fh = std::max(1, fieldHeight);
  return std::clamp((clientHeight - 28 - fh - 180) / fh, 1, 18);
}

bool RunFileBrowser(Gui& gui, WindowDialogs& dialogs, const std::string& title, std::string& folderIO,
                    std::string& fileName) {
  if (gui.ctx.Quitting()) return false;
  const std::string entryFolder = folderIO, entryName = fileName;
  const std::vector<BrowserDrive> drives = BrowserDrives();
  std::string desktop = platform::SpecialFolderPath(platform::SpecialFolder::Desktop);
  std::string documents = platform::SpecialFolderPath(platform::SpecialFolder::Documents);
  const std::string home = platform::SpecialFolderPath(platform::SpecialFolder::Home);
  if (!IsDirectory(desktop)) desktop = home;
  if (!IsDirectory(documents)) documents = home;

  // The folder is cut back to its last '/'; an empty one, or one whose
  // drive is not ready, becomes the first ready drive.
  std::string folder = folderIO;
  size_t slash = folder.rfind('/');
  folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
  const BrowserDrive* own = folder.empty() ? nullptr : DriveOf(drives, folder);
  if (!own || !Ready(own->path)) {
    folder = "/";
    for (const auto& d : drives) {
      if (Ready(d.path)) {
        folder = d.path;
        break;
      }
    }
  }

  // Layout.
  const int FH = gui.fonts.fieldHeight;
  const int cw = gui.Width(), ch = gui.Height();
  const int rows = BrowserRows(ch, FH);
  const int W = 700, H = FH * rows + 28 + FH + 130;
  const int left = cw / 2 - W / 2, top = std::max(0, ch / 2 - H / 2);
  const int listLeft = left + 20, listTop = top + 44, barW = 22;
  const int listRight = left + W - 20 - barW, listBottom = listTop + FH * rows + 2;
  const int lineY = listBottom + 12, fieldY = lineY + FH + 10, buttonsY = top + H - 40;
  const int textLeft = left + 130;

  platform::Canvas& cv = gui.canvas;
  // Same start as every modal piece: save the table and the screen.
  const bool popupWas = gui.ctx.popupUp;
  const int caretWas = gui.caretField;
  gui.SaveControls();
  cairo_surface_t* snapshot = cv.TakeSnapshot();
  cv.Snapshot();
  gui.ctx.popupUp = true;
  ShowHiddenWindow(gui);

  int n = 0;
  gui.AddModalBox(n, left, top, W, H);
  int k = gui.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = left, .y1 = top + 8, .x2 = left + W,
                             .y2 = top + 36, .foreground = kBlack, .font = kFontListBold,
                             .caption = title.substr(0, 200)});
  gui.table[size_t(k)].align = 2;
  const int listIndex =
      gui.AddControl(n, {.id = kIdBrowserList, .kind = kKindChoiceList, .x1 = listLeft, .y1 = listTop, .x2 = listRight,
                         .y2 = listBottom, .foreground = kBlack, .background = kWhite, .font = kFontList});
  gui.AddControl(n, {.id = kIdBrowserUp, .kind = kKindButton, .x1 = listRight, .y1 = listTop, .x2 = listRight + barW,
                     .y2 = listTop + 22, .foreground = kBlack, .background = kButtonFace, .font = kFontList,
                     .caption = "ARROW_UP"});
  gui.AddControl(n, {.id = kIdBrowserDown, .kind = kKindButton, .x1 = listRight, .y1 = listBottom - 22,
                     .x2 = listRight + barW, .y2 = listBottom, .foreground = kBlack, .background = kButtonFace,
                     .font = kFontList, .caption = "ARROW_DOWN"});
  k = gui.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = listLeft, .y1 = lineY, .x2 = textLeft - 8,
                         .y2 = lineY + FH, .foreground = kBlack, .font = kFontMessage, .caption = "Destination:"});
  gui.table[size_t(k)].align = 1;
  const int destIndex = gui.AddControl(n, {.id = kIdBrowserDestination, .kind = kKindText, .x1 = textLeft, .y1 = lineY,
                                           .x2 = left + W - 20, .y2 = lineY + FH, .foreground = kBlack,
                                           .font = kFontScreen});
  k = gui.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = listLeft, .y1 = fieldY, .x2 = textLeft - 8,
                         .y2 = fieldY + FH, .foreground = kBlack, .font = kFontMessage, .caption = "File Name:"});
  gui.table[size_t(k)].align = 1;
  const int fieldIndex = gui.AddControl(n, {.id = kIdFieldBase, .kind = kKindTextField, .x1 = textLeft, .y1 = fieldY,
                                            .x2 = left + W - 20, .y2 = fieldY + FH, .foreground = kBlack,
                                            .background = kWhite, .font = kFontScreen,
                                            .caption = fileName.substr(0, kMaxFieldText)});
  gui.table[size_t(fieldIndex)].maxLength = kMaxFieldText;
  const char* captions[3] = {"New Folder", "OK", "Cancel"};
  const int bW = 130, buttonsLeft = left + W / 2 - (3 * bW + 20) / 2;
  for (int i = 0; i < 3; ++i) {
    int x = buttonsLeft + i * (bW + 10);
    gui.AddControl(n, {.id = kIdButtonBase + i, .kind = kKindButton, .x1 = x, .y1 = buttonsY, .x2 = x + bW,
                       .y2 = buttonsY + 28, .foreground = kBlack, .background = kButtonFace, .font = kFontButton,
                       .caption = captions[i]});
  }
  gui.AddControl(n, {.id = kIdEnd});

  std::vector<BrowserEntry> list;
  int sel = -1, first = 0;
  auto lastFirst = [&] { return std::max(0, int(list.size()) - rows); };

  Gui::KindPainter old = gui.SetKindPainter(kKindChoiceList, [&](Gui& g, int index) {
    const Control& c = g.table[size_t(index)];
    g.canvas.FramedFill(c.x1, c.y1, c.x2, c.y2, kWhite, kFrameColour);
    for (int r = 0; r < rows && first + r < int(list.size()); ++r) {
      const int i = first + r, y = c.y1 + 1 + FH * r;
      const BrowserEntry& e = list[size_t(i)];
      const bool on = i == sel;
      if (on) g.canvas.FillRect(c.x1 + 1, y, c.x2 - 1, y + FH, kNavy);
      // Folder contents are indented under their drive.
      int indent = (e.type == kBrowseParent || e.type == kBrowseFolder || e.type == kBrowseFile) ? 30 : 5;
      std::string text = e.type == kBrowseFolder ? e.shown + "/" : e.shown;
      g.canvas.DrawText(c.x1 + indent, y + 1, platform::kTextLeft, on ? kWhite : kBlack,
                        g.fonts[e.type == kBrowseDrive ? kFontListBold : kFontList], text);
    }
    // Track between the arrows with a thumb for the visible part.
    const int trackTop = c.y1 + 22, trackBottom = c.y2 - 22, trackH = std::max(1, trackBottom - trackTop);
    g.canvas.FramedFill(c.x2, trackTop, c.x2 + barW, trackBottom, Rgb(220, 220, 220), kFrameColour);
    if (int(list.size()) > rows) {
      int thumbH = std::clamp(trackH * rows / int(list.size()), 12, trackH);
      int y = trackTop + (trackH - thumbH) * first / std::max(1, lastFirst());
      g.canvas.FramedFill(c.x2 + 1, y, c.x2 + barW - 1, y + thumbH, kButtonFace, kBlack);
    }
  });

  auto paintList = [&] {
    const Control& c = gui.table[size_t(listIndex)];
    cv.SetClip(c.x1, c.y1, c.x2 + barW, c.y2);
    gui.DrawControl(listIndex);
    cv.ClearClip();
    gui.DrawControl(listIndex + 1);
    gui.DrawControl(listIndex + 2);
    gui.ShowBuffer(c.x1, c.y1, c.x2 + barW - c.x1 + 1, c.y2 - c.y1 + 1);
  };
  bool caretOn = true;
  auto paintField = [&] {
    gui.caretField = caretOn ? fieldIndex : -1;
    DrawTextField(gui, fieldIndex, caretOn);
    gui.ShowControl(fieldIndex);
  };
  auto emptyField = [&] {
    Control& f = gui.table[size_t(fieldIndex)];
    f.caption.clear();
    f.caret = f.anchor = f.selectionEnd = f.firstVisible = 0;
  };
  bool fieldHasKeyboard = false;
  auto rebuild = [&] {
    list = BuildBrowserList(drives, folder, desktop, documents);
    sel = std::clamp(sel, -1, int(list.size()) - 1);
    first = std::clamp(first, 0, lastFirst());
  };
  auto changeFolder = [&](const std::string& to) {
    folder = to;
    sel = -1;
    first = 0;
    rebuild();
    emptyField();
    fieldHasKeyboard = false;
    gui.table[size_t(destIndex)].caption = Shown(folder).substr(0, 219);
  };
  auto keepVisible = [&] {
    if (sel < 0) return;
    if (sel < first) first = sel;
    if (sel >= first + rows) first = sel - rows + 1;
  };
  changeFolder(folder);
  gui.table[size_t(fieldIndex)].caption = fileName.substr(0, kMaxFieldText);
  {
    Control& f = gui.table[size_t(fieldIndex)];
    f.caret = f.anchor = f.selectionEnd = int(f.caption.size());
    KeepCaretVisible(gui, f);
  }
  gui.caretField = fieldIndex;
  gui.DrawAllControls();
  gui.ShowAll();
  gui.window.SetTimer(kTimerCaret, 300);

  int result = -1;  // -1 running, 0 cancelled, 1 chosen
  auto open = [&](int i) {
    if (i < 0 || i >= int(list.size())) return;
    const BrowserEntry e = list[size_t(i)];
    switch (e.type) {
      case kBrowseDrive:
        if (Ready(e.name)) {
          changeFolder(e.name);
        } else {
          dialogs.Message(std::string("Drive ") + e.drive + ": Not Ready", "OK", 1);
        }
        break;
      case kBrowseParent: {
        std::string up = folder.substr(0, folder.size() - 1);
        changeFolder(up.substr(0, up.rfind('/') + 1));
        break;
      }
      case kBrowseFolder: changeFolder(folder + e.name + "/"); break;
      case kBrowseDesktop:
      case kBrowseDocuments:
        if (!e.name.empty()) changeFolder(e.name);
        break;
      case kBrowseFile:
        // The name as it is on disk, not as it is shown.
        fileName = e.name;
        result = 1;
        return;
    }
    gui.DrawAllControls();
    gui.ShowAll();
  };
  auto askDelete = [&](int i) {
    const BrowserEntry e = list[size_t(i)];
    if (e.type != kBrowseFolder && e.type != kBrowseFile) return;
    const std::string path = folder + e.name;
    std::string question;
    if (e.type == kBrowseFolder) {
      question = "(Folder)|" + Shown(e.name);
    } else {
      struct stat st {};
      long long size = ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : 0;
      question = "(File)|" + Shown(e.name) + "|" + Format(double(size), "#,") + " Bytes";
    }
    if (dialogs.Message(question, "Delete|Cancel", 2) != 1) return;
    // DeleteTree removes a link to a folder as a link, leaving what it points to.
    if (e.type == kBrowseFolder) DeleteTree(path + "/");
    else DeleteFile(path);
    sel = std::max(-1, i - 1);
    rebuild();
    emptyField();
    keepVisible();
    gui.DrawAllControls();
    gui.ShowAll();
  };

  bool dragging = false;
  int sizeSeen = gui.window.sizeChanges;
  while (result < 0 && !gui.ctx.Quitting()) {
    const int id = gui.WaitEvent(true);
    if (gui.ctx.Quitting()) break;
    const platform::InputState& in = gui.Input();
    gui.RepaintAfterResize(sizeSeen);
    const int wasSel = sel, wasFirst = first;
    const Control& lc = gui.table[size_t(listIndex)];
    const int count = int(list.size());
    auto rowAt = [&](int y) { return first + (y - lc.y1 - 1) / FH; };

    if (id == kIdButtonBase + 0) {
      std::vector<FormField> fields(1);
      fields[0].maxChars = 60;
      int b = dialogs.Form("Add New Folder To|" + Shown(folder), "", 1, "OK|Cancel", 60, fields);
      std::string name = fields.empty() ? std::string() : fields[0].text;
      while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
      size_t lead = name.find_first_not_of(" \t");
      name = lead == std::string::npos ? std::string() : name.substr(lead);
      if (b == 1 && !name.empty() && name != "." && name != "..") {
        CreateFolders(folder + (LooksUtf8(name) ? name : platform::Utf8FromAnsi(name)) + "/");
        rebuild();
      }
      gui.DrawAllControls();
      gui.ShowAll();
      continue;
    }
    if (id == kIdButtonBase + 1) {
      fileName = gui.table[size_t(fieldIndex)].caption;
      result = 1;
      break;
    }
    if (id == kIdButtonBase + 2) {
      result = 0;
      break;
    }
    if (in.timer && in.lastTimer == kTimerCaret) {
      caretOn = !caretOn;
      paintField();
      continue;
    }
    if (in.charKey == 13) {
      if (fieldHasKeyboard) {
        fileName = gui.table[size_t(fieldIndex)].caption;
        result = 1;
        break;
      }
      open(sel);
      continue;
    }
    if (in.charKey == 27) {
      result = 0;
      break;
    }
    if (count > 0 && in.keyDown) {
      bool moved = true;
      if (KeyDown(in, platform::kVkUp)) sel = std::max(0, sel - 1);
      else if (KeyDown(in, platform::kVkDown)) sel = std::min(count - 1, sel + 1);
      else if (KeyDown(in, platform::kVkHome)) sel = 0;
      else if (KeyDown(in, platform::kVkEnd)) sel = count - 1;
      else if (KeyDown(in, platform::kVkPrior)) sel = std::max(0, sel - rows);
      else if (KeyDown(in, platform::kVkNext)) sel = std::min(count - 1, std::max(0, sel) + rows);
      else moved = false;
      if (moved) {
        fieldHasKeyboard = false;
        keepVisible();
        if (sel != wasSel || first != wasFirst) paintList();
        continue;
      }
    }
    // Mouse on the list: select, open the selected row, delete, drag.
    if (in.pressed && lc.Contains(in.mouseX, in.mouseY)) {
      const int row = rowAt(in.mouseY);
      if (row >= 0 && row < count && row < first + rows) {
        fieldHasKeyboard = false;
        if (in.heldButton == 2) {
          sel = row;
          paintList();
          askDelete(row);
          continue;
        }
        if (in.heldButton == 1) {
          if (row == sel) {
            gui.ForgetPress();
            open(row);
            continue;
          }
          sel = row;
          dragging = true;
          if (!gui.window.TimerRunning(platform::kTimerRepeat)) gui.window.SetTimer(platform::kTimerRepeat, 40);
        }
      }
    } else if (dragging && in.heldButton == 1 && !in.released) {
      if (in.mouseY < lc.y1) first = std::max(0, first - 1);
      else if (in.mouseY > lc.y2) first = std::min(lastFirst(), first + 1);
    }
    if (in.released || in.heldButton == 0) dragging = false;
    // Scroll arrows step one row while held; the wheel scrolls.
    const bool held = in.heldButton == 1 && !in.released;
    if (held && (in.pressed || (in.timer && in.lastTimer == platform::kTimerRepeat))) {
      if (gui.pressedId == kIdBrowserUp) first = std::max(0, first - 1);
      else if (gui.pressedId == kIdBrowserDown) first = std::min(lastFirst(), first + 1);
    }
    if (in.wheelSteps) first = std::clamp(first - in.wheelSteps, 0, lastFirst());
    if (sel != wasSel || first != wasFirst) {
      paintList();
      continue;
    }
    // Everything else that is a key, or a click on the field, goes to the field.
    const Control& fc = gui.table[size_t(fieldIndex)];
    const bool toField = in.charKey != 0 || in.keyDown ||
                         (in.heldButton == 1 && (in.pressed || in.moved) && fc.Contains(in.mouseX, in.mouseY));
    if (toField) {
      if (in.charKey != 0 || in.keyDown || in.pressed) fieldHasKeyboard = true;
      int flag = 0;
      EditTextField(gui, fieldIndex, flag);
      if (flag == -1) {
        caretOn = true;
        paintField();
        gui.window.SetTimer(kTimerCaret, 300);
      }
    }
  }
  gui.window.KillTimer(kTimerCaret);
  gui.window.KillTimer(platform::kTimerRepeat);
  gui.SetKindPainter(kKindChoiceList, old);

  cv.PutSnapshot(0, 0, gui.Width(), gui.Height());
  gui.ShowAll();
  gui.RestoreControls();
  cv.GiveSnapshot(snapshot);
  gui.caretField = caretWas;
  gui.ctx.popupUp = popupWas;

  if (result == 1) {
    folderIO = folder;
    return true;
  }
  folderIO = entryFolder;
  fileName = entryName;
  return false;
}

}  // namespace pantrela::widgets
