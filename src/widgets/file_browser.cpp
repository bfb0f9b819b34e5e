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
#include "widgets/list_widgets.h"
#include "widgets/modal_loop.h"
#include "widgets/text_field.h"

namespace pantrela::widgets {
namespace {

int Lower(int c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

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

namespace {

constexpr int kBarWide = 22;

// The browser itself: its layout, the list with its selection and scroll,
// the file-name field and what each event does to them.
class FileBrowser {
 public:
  FileBrowser(Gui& gui, WindowDialogs& dialogs, const std::string& title, const std::string& folder,
              const std::string& fileName);
  // True when a choice was made (OK or a file opened); `folder()` and
  // `fileName()` hold it.
  bool Run();
  const std::string& folder() const { return folder_; }
  const std::string& fileName() const { return fileName_; }

 private:
  void StartFolder(const std::string& given);
  void Build();
  void AddTexts(int& n);
  void PaintList(Gui& g, int index);
  void RepaintList();
  void RepaintAll();
  void EmptyField();
  void Rebuild();
  void ChangeFolder(const std::string& to);
  void Open(int row);
  void AskDelete(int row);
  void NewFolder();
  // One event; true when the browser ends (result_ set).
  bool Handle(int id);
  bool HandleListKeys(const platform::InputState& in);
  bool HandleListMouse(const platform::InputState& in);
  void HandleField(const platform::InputState& in);
  int LastFirst() const { return std::max(0, int(list_.size()) - rows_); }
  void Accept() {
    fileName_ = gui_.table[size_t(fieldIndex_)].caption;
    result_ = 1;
  }

  Gui& gui_;
  WindowDialogs& dialogs_;
  const std::string title_;
  const std::vector<BrowserDrive> drives_;
  std::string desktop_, documents_;
  std::string folder_, fileName_;
  int rows_ = 1;
  int listIndex_ = -1, destIndex_ = -1, fieldIndex_ = -1;
  std::vector<BrowserEntry> list_;
  int sel_ = -1, first_ = 0;
  int result_ = -1;  // -1 running, 0 cancelled, 1 chosen
  bool fieldHasKeyboard_ = false;
  bool dragging_ = false;
  FieldCaret caret_;
};

FileBrowser::FileBrowser(Gui& gui, WindowDialogs& dialogs, const std::string& title, const std::string& folder,
                         const std::string& fileName)
    : gui_(gui), dialogs_(dialogs), title_(title), drives_(BrowserDrives()), fileName_(fileName), caret_(gui) {
  const std::string home = platform::SpecialFolderPath(platform::SpecialFolder::Home);
  desktop_ = platform::SpecialFolderPath(platform::SpecialFolder::Desktop);
  documents_ = platform::SpecialFolderPath(platform::SpecialFolder::Documents);
  if (!IsDirectory(desktop_)) desktop_ = home;
  if (!IsDirectory(documents_)) documents_ = home;
  StartFolder(folder);
  rows_ = BrowserRows(gui.Height(), gui.fonts.fieldHeight);
}

// The folder is cut back to its last '/'; an empty one, or one whose drive
// is not ready, becomes the first ready drive.
void FileBrowser::StartFolder(const std::string& given) {
  const size_t slash = given.rfind('/');
  folder_ = slash == std::string::npos ? std::string() : given.substr(0, slash + 1);
  const BrowserDrive* own = folder_.empty() ? nullptr : DriveOf(drives_, folder_);
  if (own && Ready(own->path)) return;
  folder_ = "/";
  for (const auto& d : drives_) {
    if (Ready(d.path)) {
      folder_ = d.path;
      return;
    }
  }
}

void FileBrowser::Build() {
  const int FH = gui_.fonts.fieldHeight;
  const int W = 700, H = FH * rows_ + 28 + FH + 130;
  const int left = gui_.Width() / 2 - W / 2, top = std::max(0, gui_.Height() / 2 - H / 2);
  const int listLeft = left + 20, listTop = top + 44;
  const int listRight = left + W - 20 - kBarWide, listBottom = listTop + FH * rows_ + 2;
  int n = 0;
  gui_.AddModalBox(n, left, top, W, H);
  gui_.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = left, .y1 = top + 8, .x2 = left + W,
                      .y2 = top + 36, .foreground = kBlack, .font = kFontListBold, .caption = title_.substr(0, 200),
                      .align = 2});
  listIndex_ = gui_.AddControl(n, {.id = kIdBrowserList, .kind = kKindChoiceList, .x1 = listLeft, .y1 = listTop,
                                   .x2 = listRight, .y2 = listBottom, .foreground = kBlack, .background = kWhite,
                                   .font = kFontList});
  gui_.AddControl(n, {.id = kIdBrowserUp, .kind = kKindButton, .x1 = listRight, .y1 = listTop,
                      .x2 = listRight + kBarWide, .y2 = listTop + 22, .foreground = kBlack,
                      .background = kButtonFace, .font = kFontList, .caption = "ARROW_UP"});
  gui_.AddControl(n, {.id = kIdBrowserDown, .kind = kKindButton, .x1 = listRight, .y1 = listBottom - 22,
                      .x2 = listRight + kBarWide, .y2 = listBottom, .foreground = kBlack,
                      .background = kButtonFace, .font = kFontList, .caption = "ARROW_DOWN"});
  AddTexts(n);
  const char* captions[3] = {"New Folder", "OK", "Cancel"};
  const int bW = 130, buttonsLeft = left + W / 2 - (3 * bW + 20) / 2, buttonsY = top + H - 40;
  for (int i = 0; i < 3; ++i) {
    const int x = buttonsLeft + i * (bW + 10);
    gui_.AddControl(n, {.id = kIdButtonBase + i, .kind = kKindButton, .x1 = x, .y1 = buttonsY, .x2 = x + bW,
                        .y2 = buttonsY + 28, .foreground = kBlack, .background = kButtonFace,
                        .font = kFontButton, .caption = captions[i]});
  }
  gui_.AddControl(n, {.id = kIdEnd});
}

// The destination line and the file-name field under the list.
void FileBrowser::AddTexts(int& n) {
  const Control& list = gui_.table[size_t(listIndex_)];
  const int FH = gui_.fonts.fieldHeight;
  const int listLeft = list.x1, right = list.x2 + kBarWide, textLeft = listLeft + 110;
  const int lineY = list.y2 + 12, fieldY = lineY + FH + 10;
  gui_.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = listLeft, .y1 = lineY, .x2 = textLeft - 8,
                      .y2 = lineY + FH, .foreground = kBlack, .font = kFontMessage, .caption = "Destination:",
                      .align = 1});
  destIndex_ = gui_.AddControl(n, {.id = kIdBrowserDestination, .kind = kKindText, .x1 = textLeft, .y1 = lineY,
                                   .x2 = right, .y2 = lineY + FH, .foreground = kBlack, .font = kFontScreen});
  gui_.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = listLeft, .y1 = fieldY, .x2 = textLeft - 8,
                      .y2 = fieldY + FH, .foreground = kBlack, .font = kFontMessage, .caption = "File Name:",
                      .align = 1});
  fieldIndex_ = gui_.AddControl(n, {.id = kIdFieldBase, .kind = kKindTextField, .x1 = textLeft, .y1 = fieldY,
                                    .x2 = right, .y2 = fieldY + FH, .foreground = kBlack, .background = kWhite,
                                    .font = kFontScreen, .maxLength = kMaxFieldText});
}

void FileBrowser::PaintList(Gui& g, int index) {
  const Control& c = g.table[size_t(index)];
  const int FH = g.fonts.fieldHeight;
  g.canvas.FramedFill(c.x1, c.y1, c.x2, c.y2, kWhite, kFrameColour);
  for (int r = 0; r < rows_ && first_ + r < int(list_.size()); ++r) {
    const int i = first_ + r, y = c.y1 + 1 + FH * r;
    const BrowserEntry& e = list_[size_t(i)];
    const bool on = i == sel_;
    if (on) g.canvas.FillRect(c.x1 + 1, y, c.x2 - 1, y + FH, kNavy);
    // Folder contents are indented under their drive.
    const int indent = (e.type == kBrowseParent || e.type == kBrowseFolder || e.type == kBrowseFile) ? 30 : 5;
    const std::string text = e.type == kBrowseFolder ? e.shown + "/" : e.shown;
    g.canvas.DrawText(c.x1 + indent, y + 1, platform::kTextLeft, on ? kWhite : kBlack,
                      g.fonts[e.type == kBrowseDrive ? kFontListBold : kFontList], text);
  }
  // The track between the arrows, with a thumb for the visible part.
  const int trackTop = c.y1 + 22, trackBottom = c.y2 - 22;
  g.canvas.SetClip(c.x1, c.y1, c.x2 + kBarWide, c.y2);
  g.canvas.FramedFill(c.x2, trackTop, c.x2 + kBarWide, trackBottom, Rgb(220, 220, 220), kFrameColour);
  const ScrollThumb t =
      ScrollThumb::Place(trackTop, std::max(1, trackBottom - trackTop), int(list_.size()), rows_, first_);
  if (t.Scrolls()) g.canvas.FramedFill(c.x2 + 1, t.top, c.x2 + kBarWide - 1, t.top + t.height, kButtonFace, kBlack);
}

void FileBrowser::RepaintList() {
  const Control& c = gui_.table[size_t(listIndex_)];
  gui_.DrawControl(listIndex_);
  gui_.DrawControl(listIndex_ + 1);
  gui_.DrawControl(listIndex_ + 2);
  gui_.ShowBuffer(c.x1, c.y1, c.x2 + kBarWide - c.x1 + 1, c.y2 - c.y1 + 1);
}

void FileBrowser::RepaintAll() {
  gui_.DrawAllControls();
  gui_.ShowAll();
}

void FileBrowser::EmptyField() {
  Control& f = gui_.table[size_t(fieldIndex_)];
  f.caption.clear();
  f.caret = f.anchor = f.selectionEnd = f.firstVisible = 0;
}

void FileBrowser::Rebuild() {
  list_ = BuildBrowserList(drives_, folder_, desktop_, documents_);
  sel_ = std::clamp(sel_, -1, int(list_.size()) - 1);
  first_ = std::clamp(first_, 0, LastFirst());
}

// After every change of folder the list is rebuilt, selection and scroll
// reset and the file-name field emptied.
void FileBrowser::ChangeFolder(const std::string& to) {
  folder_ = to;
  sel_ = -1;
  first_ = 0;
  Rebuild();
  EmptyField();
  fieldHasKeyboard_ = false;
  gui_.table[size_t(destIndex_)].caption = Shown(folder_).substr(0, 219);
}

void FileBrowser::Open(int row) {
  if (row < 0 || row >= int(list_.size())) return;
  const BrowserEntry e = list_[size_t(row)];
  switch (e.type) {
    case kBrowseDrive:
      if (Ready(e.name)) ChangeFolder(e.name);
      else dialogs_.Message(std::string("Drive ") + e.drive + ": Not Ready", "OK", 1);
      break;
    case kBrowseParent: {
      const std::string up = folder_.substr(0, folder_.size() - 1);
      ChangeFolder(up.substr(0, up.rfind('/') + 1));
      break;
    }
    case kBrowseFolder: ChangeFolder(folder_ + e.name + "/"); break;
    case kBrowseDesktop:
    case kBrowseDocuments:
      if (!e.name.empty()) ChangeFolder(e.name);
      break;
    case kBrowseFile:
      // The name as it is on disk, not as it is shown.
      fileName_ = e.name;
      result_ = 1;
      return;
  }
  RepaintAll();
}

void FileBrowser::AskDelete(int row) {
  const BrowserEntry e = list_[size_t(row)];
  if (e.type != kBrowseFolder && e.type != kBrowseFile) return;
  const std::string path = folder_ + e.name;
  std::string question;
  if (e.type == kBrowseFolder) {
    question = "(Folder)|" + Shown(e.name);
  } else {
    struct stat st {};
    const long long size = ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : 0;
    question = "(File)|" + Shown(e.name) + "|" + Format(double(size), "#,") + " Bytes";
  }
  if (dialogs_.Message(question, "Delete|Cancel", 2) != 1) return;
  // DeleteTree removes a link to a folder as a link, leaving what it points to.
  if (e.type == kBrowseFolder) DeleteTree(path + "/");
  else DeleteFile(path);
  sel_ = std::max(-1, row - 1);
  Rebuild();
  EmptyField();
  if (sel_ >= 0) first_ = ScrollToShow(first_, sel_, sel_ + 1, rows_);
  RepaintAll();
}

void FileBrowser::NewFolder() {
  std::vector<FormField> fields(1);
  fields[0].maxChars = 60;
  const int b = dialogs_.Form("Add New Folder To|" + Shown(folder_), "", 1, "OK|Cancel", 60, fields);
  std::string name = fields.empty() ? std::string() : fields[0].text;
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
  const size_t lead = name.find_first_not_of(" \t");
  name = lead == std::string::npos ? std::string() : name.substr(lead);
  if (b == 1 && !name.empty() && name != "." && name != "..") {
    CreateFolders(folder_ + (LooksUtf8(name) ? name : platform::Utf8FromAnsi(name)) + "/");
    Rebuild();
  }
  RepaintAll();
}

bool FileBrowser::HandleListKeys(const platform::InputState& in) {
  if (list_.empty() || !in.keyDown) return false;
  const auto to = NavigationTarget(in.virtualKey, sel_, int(list_.size()), rows_);
  if (!to) return false;
  const int wasSel = sel_, wasFirst = first_;
  sel_ = *to;
  fieldHasKeyboard_ = false;
  first_ = ScrollToShow(first_, sel_, sel_ + 1, rows_);
  if (sel_ != wasSel || first_ != wasFirst) RepaintList();
  return true;
}

// Mouse on the list: select, open the selected row, delete, drag; the
// arrows step one row while held and the wheel scrolls. True when the
// event was used.
bool FileBrowser::HandleListMouse(const platform::InputState& in) {
  const int wasSel = sel_, wasFirst = first_;
  const Control& lc = gui_.table[size_t(listIndex_)];
  const int count = int(list_.size());
  if (in.pressed && lc.Contains(in.mouseX, in.mouseY)) {
    const int row = first_ + (in.mouseY - lc.y1 - 1) / gui_.fonts.fieldHeight;
    if (row >= 0 && row < count && row < first_ + rows_) {
      fieldHasKeyboard_ = false;
      if (in.heldButton == 2) {
        sel_ = row;
        RepaintList();
        AskDelete(row);
        return true;
      }
      if (in.heldButton == 1) {
        if (row == sel_) {
          gui_.ForgetPress();
          Open(row);
          return true;
        }
        sel_ = row;
        dragging_ = true;
        if (!gui_.window.TimerRunning(platform::kTimerRepeat)) gui_.window.SetTimer(platform::kTimerRepeat, 40);
      }
    }
  } else if (dragging_ && in.heldButton == 1 && !in.released) {
    if (in.mouseY < lc.y1) first_ = std::max(0, first_ - 1);
    else if (in.mouseY > lc.y2) first_ = std::min(LastFirst(), first_ + 1);
  }
  if (in.released || in.heldButton == 0) dragging_ = false;
  const bool held = in.heldButton == 1 && !in.released;
  if (held && (in.pressed || (in.timer && in.lastTimer == platform::kTimerRepeat))) {
    if (gui_.pressedId == kIdBrowserUp) first_ = std::max(0, first_ - 1);
    else if (gui_.pressedId == kIdBrowserDown) first_ = std::min(LastFirst(), first_ + 1);
  }
  if (in.wheelSteps) first_ = std::clamp(first_ - in.wheelSteps, 0, LastFirst());
  if (sel_ == wasSel && first_ == wasFirst) return false;
  RepaintList();
  return true;
}

// Every other key, and a click on the field, goes to the file-name field.
void FileBrowser::HandleField(const platform::InputState& in) {
  const Control& fc = gui_.table[size_t(fieldIndex_)];
  const bool toField = in.charKey != 0 || in.keyDown ||
                       (in.heldButton == 1 && (in.pressed || in.moved) && fc.Contains(in.mouseX, in.mouseY));
  if (!toField) return;
  if (in.charKey != 0 || in.keyDown || in.pressed) fieldHasKeyboard_ = true;
  caret_.Edit();
}

bool FileBrowser::Handle(int id) {
  const platform::InputState& in = gui_.Input();
  if (id == kIdButtonBase + 0) {
    NewFolder();
    return false;
  }
  if (id == kIdButtonBase + 1) {
    Accept();
    return true;
  }
  if (id == kIdButtonBase + 2 || in.charKey == platform::kCharEscape) {
    result_ = 0;
    return true;
  }
  if (in.timer && in.lastTimer == kTimerCaret) {
    caret_.Blink();
    return false;
  }
  if (in.charKey == platform::kCharEnter) {
    if (fieldHasKeyboard_) Accept();
    else Open(sel_);
    return result_ >= 0;
  }
  if (HandleListKeys(in) || HandleListMouse(in)) return result_ >= 0;
  HandleField(in);
  return false;
}

bool FileBrowser::Run() {
  if (gui_.ctx.Quitting()) return false;
  {
    ModalLoop loop(gui_);
    Build();
    ChangeFolder(folder_);
    Control& f = gui_.table[size_t(fieldIndex_)];
    f.caption = fileName_.substr(0, kMaxFieldText);
    f.caret = f.anchor = f.selectionEnd = int(f.caption.size());
    KeepCaretVisible(gui_, f);
    Gui::KindPainter old = gui_.SetKindPainter(kKindChoiceList, [this](Gui& g, int i) { PaintList(g, i); });
    gui_.caretField = fieldIndex_;
    RepaintAll();
    caret_.Focus(fieldIndex_);
    int id = 0;
    while (result_ < 0 && loop.Next(id)) {
      if (Handle(id)) break;
    }
    gui_.window.KillTimer(platform::kTimerRepeat);
    gui_.SetKindPainter(kKindChoiceList, old);
  }
  return result_ == 1;
}

}  // namespace

bool RunFileBrowser(Gui& gui, WindowDialogs& dialogs, const std::string& title, std::string& folder,
                    std::string& fileName) {
  FileBrowser browser(gui, dialogs, title, folder, fileName);
  if (!browser.Run()) return false;
  folder = browser.folder();
  fileName = browser.fileName();
  return true;
}

}  // namespace pantrela::widgets
