// The two forms of the index screen: the search form ("Find") and the
// import dialog ("Select Import Format").
#include <SDL2/SDL.h>

#include <algorithm>

#include "foundation/file.h"
#include "import/collection_target.h"
#include "import/import_files.h"
#include "import/import_formats.h"
#include "platform/system.h"
#include "platform/window.h"
#include "ui/screens.h"
#include "widgets/text_field.h"

namespace pantrela::ui {

using namespace widgets;
using platform::InputState;

namespace {

constexpr int kIdOk = kIdButtonBase;
constexpr int kIdCancel = kIdButtonBase + 1;
constexpr int kIdSearchText = kIdFieldBase;
constexpr int kIdPickField = kIdFieldBase + 1;
constexpr int kIdCheckBase = 6010;
constexpr uint32_t kFieldFace = kWhite;

// A modal piece over a frozen image of the screen: the table and the
// snapshot are put aside and come back when it ends.
class ModalFrame {
 public:
  explicit ModalFrame(Gui& gui) : gui_(gui) {
    popupWas_ = gui.ctx.popupUp;
    caretWas_ = gui.caretField;
    gui.SaveControls();
    snapshot_ = gui.canvas.TakeSnapshot();
    gui.canvas.Snapshot();
    gui.ctx.popupUp = true;
  }
  ~ModalFrame() {
    gui_.canvas.PutSnapshot(0, 0, gui_.Width(), gui_.Height());
    gui_.ShowAll();
    gui_.RestoreControls();
    gui_.canvas.GiveSnapshot(snapshot_);
    gui_.caretField = caretWas_;
    gui_.ctx.popupUp = popupWas_;
  }

 private:
  Gui& gui_;
  cairo_surface_t* snapshot_ = nullptr;
  bool popupWas_ = false;
  int caretWas_ = -1;
};

void Redraw(Gui& gui, int id) {
  int i = gui.Find(id);
  if (i < 0) return;
  gui.DrawControl(i);
  gui.ShowControl(i);
}

}  // namespace

// ---------------------------------------------------------------- Find

bool IndexScreen::FindForm(SearchRequest& request) {
  Gui& g = s_.gui;
  AppContext& ctx = s_.ctx;
  if (ctx.Quitting()) return false;
  const std::vector<std::pair<std::string, int64_t>> scopes = SearchScopeChoices(s_.collection);
  auto scopeName = [&](int64_t key) {
    for (const auto& sc : scopes)
      if (sc.second == key) return sc.first;
    return std::string(kReservedChapterNames[0]);
  };
  // A scope whose chapter is gone falls back to all chapters.
  if (std::none_of(scopes.begin(), scopes.end(), [&](const auto& sc) { return sc.second == request.scope; }))
    request.scope = kChapterAll;

  const bool busyWas = ctx.busy;
  ctx.busy = true;
  const int FH = g.fonts.fieldHeight;
  // Title, three rows, the buttons.
  const int W = 600, H = 60 + (FH + 14) + (FH + 18) + FH + 24 + 30 + 18;
  const int left = g.Width() / 2 - W / 2, top = g.Height() / 2 - H / 2;
  const int capX = left + 200, fieldX = capX + 10, fieldX2 = left + W - 30;
  bool result = false;
  {
    ModalFrame frame(g);
    int n = 0;
    g.AddModalBox(n, left, top, W, H);
    int k = g.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = left, .y1 = top + 12, .x2 = left + W,
                             .y2 = top + 42, .foreground = kBlack, .font = kFontHeading24, .caption = "Find"});
    g.table[size_t(k)].align = 2;
    int y = top + 60;
    auto caption = [&](const char* text, int yy) {
      int c = g.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = left + 10, .y1 = yy + 2, .x2 = capX,
                               .y2 = yy + FH, .foreground = kBlack, .font = kFontMessage, .caption = text});
      g.table[size_t(c)].align = 1;
    };
    caption("Search For:", y);
    const int fieldIndex = g.AddControl(n, {.id = kIdSearchText, .kind = kKindTextField, .x1 = fieldX, .y1 = y,
                                            .x2 = fieldX2, .y2 = y + FH, .foreground = kBlack, .background = kWhite,
                                            .font = kFontScreen, .caption = request.text});
    Control& f = g.table[size_t(fieldIndex)];
    f.maxLength = int(kMaxSearchText);
    f.caret = f.anchor = f.selectionEnd = int(f.caption.size());
    y += FH + 14;
    caption("In This Chapter:", y);
    g.AddControl(n, {.id = kIdPickField, .kind = kKindButton, .x1 = fieldX, .y1 = y, .x2 = fieldX2, .y2 = y + FH + 4,
                     .foreground = kBlack, .background = kFieldFace, .font = kFontScreen,
                     .caption = scopeName(request.scope)});
    y += FH + 18;
    caption("Fields To Search:", y);
    const char* const names[3] = {"Titles", "Ingredients", "Directions"};
    bool* switches[3] = {&request.titles, &request.ingredients, &request.directions};
    int x = fieldX;
    for (int i = 0; i < 3; ++i) {
      int b = g.AddControl(n, {.id = kIdCheckBase + i, .kind = kKindCheckBox, .x1 = x, .y1 = y + 2, .x2 = x + 18,
                               .y2 = y + 20, .foreground = kBlack, .background = kWhite});
      g.table[size_t(b)].value = *switches[i];
      int tw = g.canvas.TextWidth(g.fonts[kFontMessage], names[i]);
      g.AddControl(n, {.id = kIdCheckBase + i, .kind = kKindText, .x1 = x + 24, .y1 = y, .x2 = x + 24 + tw,
                       .y2 = y + FH, .foreground = kBlack, .font = kFontMessage, .caption = names[i]});
      x += 24 + tw + 24;
    }
    const int by = top + H - 48, bw = 110, bx = left + W / 2 - bw - 10;  // 18 px under the buttons
    g.AddControl(n, {.id = kIdOk, .kind = kKindButton, .x1 = bx, .y1 = by, .x2 = bx + bw, .y2 = by + 30,
                     .foreground = kBlack, .background = kButtonFace, .font = kFontButton, .caption = "OK"});
    g.AddControl(n, {.id = kIdCancel, .kind = kKindButton, .x1 = bx + bw + 20, .y1 = by, .x2 = bx + 2 * bw + 20,
                     .y2 = by + 30, .foreground = kBlack, .background = kButtonFace, .font = kFontButton,
                     .caption = "Cancel"});
    g.AddControl(n, {.id = kIdEnd});
    KeepCaretVisible(g, g.table[size_t(fieldIndex)]);
    g.caretField = fieldIndex;
    g.DrawAllControls();
    g.ShowAll();
    g.window.SetTimer(kTimerCaret, 300);
    bool caretOn = true;
    int sizeSeen = g.window.sizeChanges;

    auto pickScope = [&] {
      std::vector<std::string> names2;
      for (const auto& sc : scopes) names2.push_back(sc.first);
      const Control* pf = g.ById(kIdPickField);
      int choice = s_.dialogs.PopupList(pf->x1, pf->y2, pf->x2 - pf->x1, names2);
      if (choice >= 0 && choice < int(scopes.size())) {
        request.scope = scopes[size_t(choice)].second;
        g.ById(kIdPickField)->caption = scopes[size_t(choice)].first;
        Redraw(g, kIdPickField);
      }
    };
    while (!ctx.Quitting()) {
      int id = g.WaitEvent(true);
      if (ctx.Quitting()) break;
      const InputState& in = g.Input();
      g.RepaintAfterResize(sizeSeen);
      if (id == kIdCancel || in.charKey == 27) break;
      if (id == kIdOk || in.charKey == 13) {
        request.text = g.table[size_t(fieldIndex)].caption;
        std::string error = SearchRequestError(request);
        if (error.empty()) {
          result = true;
          break;
        }
        s_.dialogs.Message(error);
        continue;
      }
      if (id == kIdPickField || in.charKey == 9) {
        pickScope();
        continue;
      }
      if (id >= kIdCheckBase && id < kIdCheckBase + 3) {
        bool* sw = switches[id - kIdCheckBase];
        *sw = !*sw;
        g.ById(id)->value = *sw;
        Redraw(g, id);
        continue;
      }
      if (in.timer && in.lastTimer == kTimerCaret) {
        caretOn = !caretOn;
        g.caretField = caretOn ? fieldIndex : -1;
        DrawTextField(g, fieldIndex, caretOn);
        g.ShowControl(fieldIndex);
        continue;
      }
      int flag = 0;
      EditTextField(g, fieldIndex, flag);
      if (flag == -1) {
        caretOn = true;
        g.caretField = fieldIndex;
        DrawTextField(g, fieldIndex, true);
        g.ShowControl(fieldIndex);
        g.window.SetTimer(kTimerCaret, 300);
      }
    }
    g.window.KillTimer(kTimerCaret);
    request.text = g.table[size_t(fieldIndex)].caption;
  }
  ctx.busy = busyWas;
  return result;
}

void IndexScreen::Find() {
  SearchRequest request;
  request.text = findText_;
  request.scope = findScope_;
  request.titles = findFields_[0];
  request.ingredients = findFields_[1];
  request.directions = findFields_[2];
  bool ok = FindForm(request);
  findText_ = request.text;
  findScope_ = request.scope;
  findFields_[0] = request.titles;
  findFields_[1] = request.ingredients;
  findFields_[2] = request.directions;
  if (!ok || s_.ctx.Quitting()) return;
  RunSearch(s_.collection, request);
  ListModel& R = List(false);
  R.itemHeight = itemHeight();
  R.scroll = 0;
  ScrollToCurrent();
}

// ---------------------------------------------------------------- Import

bool IndexScreen::ImportDialog(std::vector<std::string>& files) {
  Gui& g = s_.gui;
  AppContext& ctx = s_.ctx;
  if (ctx.Quitting()) return false;
  std::vector<std::string> labels;
  std::vector<int> codes;
  std::string entry;
  for (int i = 0, count = ImportFormatList(0, entry); i < count; ++i) {
    ImportFormatList(i, entry);
    labels.push_back(entry.size() > 3 ? entry.substr(3) : std::string());
    codes.push_back(ImportFormatCode(entry));
  }
  auto labelOf = [&](int code) {
    for (size_t i = 0; i < codes.size(); ++i)
      if (codes[i] == code) return labels[i];
    return labels.empty() ? std::string() : labels[0];
  };
  const char* kSortText = "Sort to categories defined in recipes";
  const int FH = g.fonts.fieldHeight;
  const int W = 520, H = 210;
  const int left = g.Width() / 2 - W / 2, top = g.Height() / 2 - H / 2;
  enum { kNone, kFile, kClipboard, kCancel } leave = kNone;
  {
    ModalFrame frame(g);
    int n = 0;
    g.AddModalBox(n, left, top, W, H);
    int k = g.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = left, .y1 = top + 14, .x2 = left + W,
                             .y2 = top + 40, .foreground = kBlack, .font = kFontMessage,
                             .caption = "Select Import Format"});
    g.table[size_t(k)].align = 2;
    const int fx1 = left + 40, fx2 = left + W - 40;
    int y = top + 50;
    g.AddControl(n, {.id = kIdPickField, .kind = kKindButton, .x1 = fx1, .y1 = y, .x2 = fx2, .y2 = y + FH + 6,
                     .foreground = kBlack, .background = kFieldFace, .font = kFontScreen,
                     .caption = labelOf(s_.importFormat)});
    y += FH + 22;
    int b = g.AddControl(n, {.id = kIdCheckBase, .kind = kKindCheckBox, .x1 = fx1, .y1 = y + 2, .x2 = fx1 + 18,
                             .y2 = y + 20, .foreground = kBlack, .background = kWhite});
    g.table[size_t(b)].value = ctx.settings.import_chapter != 0;
    int tw = g.canvas.TextWidth(g.fonts[kFontMessage], kSortText);
    g.AddControl(n, {.id = kIdCheckBase, .kind = kKindText, .x1 = fx1 + 26, .y1 = y, .x2 = fx1 + 26 + tw, .y2 = y + FH,
                     .foreground = kBlack, .font = kFontMessage, .caption = kSortText});
    const int by = top + H - 50, bw = 120, bx = left + W / 2 - (3 * bw + 40) / 2;
    const char* const captions[3] = {"File", "Clipboard", "Cancel"};
    for (int i = 0; i < 3; ++i)
      g.AddControl(n, {.id = kIdButtonBase + i, .kind = kKindButton, .x1 = bx + i * (bw + 20), .y1 = by,
                       .x2 = bx + i * (bw + 20) + bw, .y2 = by + 30, .foreground = kBlack, .background = kButtonFace,
                       .font = kFontButton, .caption = captions[i]});
    g.AddControl(n, {.id = kIdEnd});
    g.DrawAllControls();
    g.ShowAll();
    int sizeSeen = g.window.sizeChanges;
    while (!ctx.Quitting() && leave == kNone) {
      int id = g.WaitEvent(true);
      if (ctx.Quitting()) break;
      const InputState& in = g.Input();
      g.RepaintAfterResize(sizeSeen);
      if (id == kIdPickField || in.charKey == 9) {
        const Control* pf = g.ById(kIdPickField);
        int choice = s_.dialogs.PopupList(pf->x1, pf->y2, pf->x2 - pf->x1, labels);
        if (choice >= 0 && choice < int(codes.size())) {
          s_.importFormat = codes[size_t(choice)];
          g.ById(kIdPickField)->caption = labels[size_t(choice)];
          Redraw(g, kIdPickField);
        }
      } else if (id == kIdCheckBase || in.charKey == 'd' || in.charKey == 'D') {
        ctx.settings.import_chapter = ctx.settings.import_chapter ? 0 : 1;
        g.ById(kIdCheckBase)->value = ctx.settings.import_chapter;
        Redraw(g, kIdCheckBase);
      } else if (id == kIdButtonBase) {
        leave = kFile;
      } else if (id == kIdButtonBase + 1) {
        leave = kClipboard;
      } else if (id == kIdButtonBase + 2 || in.charKey == 27) {
        leave = kCancel;
      }
    }
  }
  bool run = false;
  if (leave == kClipboard) {
    SystemClipboard clipboard;
    ImportFromClipboard(ctx, clipboard, files, s_.openAddress);
    run = !files.empty();
  } else if (leave == kFile) {
    std::string folder = ctx.settings.import_path;
    if (folder.empty()) folder = platform::SpecialFolderPath(platform::SpecialFolder::Documents);
    std::string name;
    if (s_.dialogs.BrowseFiles("Import Recipes", folder, name)) {
      if (!folder.empty() && folder.back() != '/') folder += '/';
      std::string full = name.find('/') == 0 ? name : folder + name;
      if (!name.empty() && Exists(full) && !IsDirectory(full)) {
        ctx.settings.import_path = full.substr(0, full.rfind('/') + 1);
        SaveSettings(ctx);
        files.push_back(full);
      }
      run = true;
    }
  }
  SaveSettings(ctx);
  return run && !ctx.Quitting();
}

void IndexScreen::Import() {
  std::vector<std::string> files;
  if (!ImportDialog(files)) return;
  CollectionImportTarget target(s_.collection);
  ImportFiles(s_.ctx, target, s_.importFormat, files);
  ListModel& R = List(false);
  R.itemHeight = itemHeight();
  ScrollToCurrent();
}

}  // namespace pantrela::ui
