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
#include "ui/manual_import_screen.h"
#include "ui/screens.h"
#include "widgets/modal_loop.h"
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

void Redraw(Gui& gui, int id) {
  int i = gui.Find(id);
  if (i < 0) return;
  gui.DrawControl(i);
  gui.ShowControl(i);
}

}  // namespace

// ---------------------------------------------------------------- Find

namespace {

// The search form: the search text, the chapter to search in (a drop-down
// list of the chapters) and the three fields to search.
class FindFormDialog {
 public:
  FindFormDialog(Screens& s, SearchRequest& request);
  // True on OK with a request that passed the checks.
  bool Run();

 private:
  std::string ScopeName(int64_t key) const;
  void Build();
  void AddCaption(int& n, const char* text, int y);
  void AddSwitches(int& n, int y);
  void PickScope();
  // One event; true when the form ends.
  bool Handle(int id);
  bool Accept();

  Screens& s_;
  Gui& g_;
  SearchRequest& request_;
  const std::vector<std::pair<std::string, int64_t>> scopes_;
  bool* switches_[3];
  int left_ = 0, top_ = 0, W_ = 600, H_ = 0, capX_ = 0, fieldX_ = 0, fieldX2_ = 0;
  int fieldIndex_ = -1;
  bool result_ = false;
  FieldCaret caret_;
};

FindFormDialog::FindFormDialog(Screens& s, SearchRequest& request)
    : s_(s),
      g_(s.gui),
      request_(request),
      scopes_(SearchScopeChoices(s.collection)),
      switches_{&request.titles, &request.ingredients, &request.directions},
      caret_(s.gui) {
  // A scope whose chapter is gone falls back to all chapters.
  if (std::none_of(scopes_.begin(), scopes_.end(), [&](const auto& sc) { return sc.second == request.scope; }))
    request.scope = kChapterAll;
  const int FH = g_.fonts.fieldHeight;
  // Title, three rows, the buttons.
  H_ = 60 + (FH + 14) + (FH + 18) + FH + 24 + 30 + 18;
  left_ = g_.Width() / 2 - W_ / 2;
  top_ = g_.Height() / 2 - H_ / 2;
  capX_ = left_ + 200;
  fieldX_ = capX_ + 10;
  fieldX2_ = left_ + W_ - 30;
}

std::string FindFormDialog::ScopeName(int64_t key) const {
  for (const auto& sc : scopes_)
    if (sc.second == key) return sc.first;
  return std::string(kReservedChapterNames[0]);
}

void FindFormDialog::AddCaption(int& n, const char* text, int y) {
  g_.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = left_ + 10, .y1 = y + 2, .x2 = capX_,
                    .y2 = y + g_.fonts.fieldHeight, .foreground = kBlack, .font = kFontMessage, .caption = text,
                    .align = 1});
}

void FindFormDialog::AddSwitches(int& n, int y) {
  const char* const names[3] = {"Titles", "Ingredients", "Directions"};
  int x = fieldX_;
  for (int i = 0; i < 3; ++i) {
    g_.AddControl(n, {.id = kIdCheckBase + i, .kind = kKindCheckBox, .x1 = x, .y1 = y + 2, .x2 = x + 18,
                      .y2 = y + 20, .foreground = kBlack, .background = kWhite, .value = *switches_[i]});
    const int tw = g_.canvas.TextWidth(g_.fonts[kFontMessage], names[i]);
    g_.AddControl(n, {.id = kIdCheckBase + i, .kind = kKindText, .x1 = x + 24, .y1 = y, .x2 = x + 24 + tw,
                      .y2 = y + g_.fonts.fieldHeight, .foreground = kBlack, .font = kFontMessage,
                      .caption = names[i]});
    x += 24 + tw + 24;
  }
}

void FindFormDialog::Build() {
  const int FH = g_.fonts.fieldHeight;
  int n = 0;
  g_.AddModalBox(n, left_, top_, W_, H_);
  g_.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = left_, .y1 = top_ + 12, .x2 = left_ + W_,
                    .y2 = top_ + 42, .foreground = kBlack, .font = kFontHeading24, .caption = "Find", .align = 2});
  int y = top_ + 60;
  AddCaption(n, "Search For:", y);
  fieldIndex_ = g_.AddControl(n, {.id = kIdSearchText, .kind = kKindTextField, .x1 = fieldX_, .y1 = y,
                                  .x2 = fieldX2_, .y2 = y + FH, .foreground = kBlack, .background = kWhite,
                                  .font = kFontScreen, .maxLength = int(kMaxSearchText), .caption = request_.text});
  Control& f = g_.table[size_t(fieldIndex_)];
  f.caret = f.anchor = f.selectionEnd = int(f.caption.size());
  y += FH + 14;
  AddCaption(n, "In This Chapter:", y);
  g_.AddControl(n, {.id = kIdPickField, .kind = kKindButton, .x1 = fieldX_, .y1 = y, .x2 = fieldX2_,
                    .y2 = y + FH + 4, .foreground = kBlack, .background = kFieldFace, .font = kFontScreen,
                    .caption = ScopeName(request_.scope)});
  y += FH + 18;
  AddCaption(n, "Fields To Search:", y);
  AddSwitches(n, y);
  const int by = top_ + H_ - 48, bw = 110, bx = left_ + W_ / 2 - bw - 10;  // 18 px under the buttons
  g_.AddControl(n, {.id = kIdOk, .kind = kKindButton, .x1 = bx, .y1 = by, .x2 = bx + bw, .y2 = by + 30,
                    .foreground = kBlack, .background = kButtonFace, .font = kFontButton, .caption = "OK"});
  g_.AddControl(n, {.id = kIdCancel, .kind = kKindButton, .x1 = bx + bw + 20, .y1 = by, .x2 = bx + 2 * bw + 20,
                    .y2 = by + 30, .foreground = kBlack, .background = kButtonFace, .font = kFontButton,
                    .caption = "Cancel"});
  g_.AddControl(n, {.id = kIdEnd});
  KeepCaretVisible(g_, g_.table[size_t(fieldIndex_)]);
}

void FindFormDialog::PickScope() {
  std::vector<std::string> names;
  for (const auto& sc : scopes_) names.push_back(sc.first);
  const Control* pf = g_.ById(kIdPickField);
  const int choice = s_.dialogs.PopupList(pf->x1, pf->y2, pf->x2 - pf->x1, names);
  if (choice < 0 || choice >= int(scopes_.size())) return;
  request_.scope = scopes_[size_t(choice)].second;
  g_.ById(kIdPickField)->caption = scopes_[size_t(choice)].first;
  Redraw(g_, kIdPickField);
}

bool FindFormDialog::Accept() {
  request_.text = g_.table[size_t(fieldIndex_)].caption;
  const std::string error = SearchRequestError(request_);
  if (error.empty()) return result_ = true;
  s_.dialogs.Message(error);
  return false;
}

bool FindFormDialog::Handle(int id) {
  const InputState& in = g_.Input();
  if (id == kIdCancel) return true;
  if (id == kIdOk || in.charKey == platform::kCharEnter) return Accept();
  if (id == kIdPickField || in.charKey == platform::kCharTab) {
    PickScope();
    return false;
  }
  if (id >= kIdCheckBase && id < kIdCheckBase + 3) {
    bool* sw = switches_[id - kIdCheckBase];
    *sw = !*sw;
    g_.ById(id)->value = *sw;
    Redraw(g_, id);
    return false;
  }
  if (in.timer && in.lastTimer == kTimerCaret) {
    caret_.Blink();
    return false;
  }
  // Everything else, Esc included (it empties the field), is the field's.
  caret_.Edit();
  return false;
}

bool FindFormDialog::Run() {
  if (g_.ctx.Quitting()) return false;
  ModalLoop loop(g_, ModalLoop::Busy::kYes);
  Build();
  g_.caretField = fieldIndex_;
  g_.DrawAllControls();
  g_.ShowAll();
  caret_.Focus(fieldIndex_);
  int id = 0;
  while (loop.Next(id)) {
    if (Handle(id)) break;
  }
  request_.text = g_.table[size_t(fieldIndex_)].caption;
  return result_;
}

}  // namespace

bool IndexScreen::FindForm(SearchRequest& request) { return FindFormDialog(s_, request).Run(); }

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

namespace {

// The import dialog: the format (a drop-down list of the formats), the
// sort-to-categories switch and the buttons "File", "Clipboard", "Cancel".
class ImportFormatDialog {
 public:
  enum Choice { kNone, kFile, kClipboard, kCancel };
  explicit ImportFormatDialog(Screens& s);
  Choice Run();

 private:
  std::string LabelOf(int code) const;
  void Build();
  void PickFormat();
  void ToggleSort();
  Choice Handle(int id);

  Screens& s_;
  Gui& g_;
  std::vector<std::string> labels_;
  std::vector<int> codes_;
};

constexpr const char* kSortText = "Sort to categories defined in recipes";

ImportFormatDialog::ImportFormatDialog(Screens& s) : s_(s), g_(s.gui) {
  std::string entry;
  for (int i = 0, count = ImportFormatList(0, entry); i < count; ++i) {
    ImportFormatList(i, entry);
    labels_.push_back(entry.size() > 3 ? entry.substr(3) : std::string());
    codes_.push_back(ImportFormatCode(entry));
  }
}

std::string ImportFormatDialog::LabelOf(int code) const {
  for (size_t i = 0; i < codes_.size(); ++i)
    if (codes_[i] == code) return labels_[i];
  return labels_.empty() ? std::string() : labels_[0];
}

void ImportFormatDialog::Build() {
  const int FH = g_.fonts.fieldHeight;
  const int W = 520, H = 210;
  const int left = g_.Width() / 2 - W / 2, top = g_.Height() / 2 - H / 2;
  int n = 0;
  g_.AddModalBox(n, left, top, W, H);
  g_.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = left, .y1 = top + 14, .x2 = left + W,
                    .y2 = top + 40, .foreground = kBlack, .font = kFontMessage, .caption = "Select Import Format",
                    .align = 2});
  const int fx1 = left + 40, fx2 = left + W - 40;
  int y = top + 50;
  g_.AddControl(n, {.id = kIdPickField, .kind = kKindButton, .x1 = fx1, .y1 = y, .x2 = fx2, .y2 = y + FH + 6,
                    .foreground = kBlack, .background = kFieldFace, .font = kFontScreen,
                    .caption = LabelOf(s_.importFormat)});
  y += FH + 22;
  g_.AddControl(n, {.id = kIdCheckBase, .kind = kKindCheckBox, .x1 = fx1, .y1 = y + 2, .x2 = fx1 + 18, .y2 = y + 20,
                    .foreground = kBlack, .background = kWhite, .value = s_.ctx.settings.import_chapter != 0});
  const int tw = g_.canvas.TextWidth(g_.fonts[kFontMessage], kSortText);
  g_.AddControl(n, {.id = kIdCheckBase, .kind = kKindText, .x1 = fx1 + 26, .y1 = y, .x2 = fx1 + 26 + tw,
                    .y2 = y + FH, .foreground = kBlack, .font = kFontMessage, .caption = kSortText});
  const int by = top + H - 50, bw = 120, bx = left + W / 2 - (3 * bw + 40) / 2;
  const char* const captions[3] = {"File", "Clipboard", "Cancel"};
  for (int i = 0; i < 3; ++i)
    g_.AddControl(n, {.id = kIdButtonBase + i, .kind = kKindButton, .x1 = bx + i * (bw + 20), .y1 = by,
                      .x2 = bx + i * (bw + 20) + bw, .y2 = by + 30, .foreground = kBlack,
                      .background = kButtonFace, .font = kFontButton, .caption = captions[i]});
  g_.AddControl(n, {.id = kIdEnd});
}

void ImportFormatDialog::PickFormat() {
  const Control* pf = g_.ById(kIdPickField);
  const int choice = s_.dialogs.PopupList(pf->x1, pf->y2, pf->x2 - pf->x1, labels_);
  if (choice < 0 || choice >= int(codes_.size())) return;
  s_.importFormat = codes_[size_t(choice)];
  g_.ById(kIdPickField)->caption = labels_[size_t(choice)];
  Redraw(g_, kIdPickField);
}

void ImportFormatDialog::ToggleSort() {
  int32_t& sort = s_.ctx.settings.import_chapter;
  sort = sort ? 0 : 1;
  g_.ById(kIdCheckBase)->value = sort;
  Redraw(g_, kIdCheckBase);
}

ImportFormatDialog::Choice ImportFormatDialog::Handle(int id) {
  const InputState& in = g_.Input();
  if (id == kIdPickField || in.charKey == platform::kCharTab) PickFormat();
  else if (id == kIdCheckBase || in.charKey == 'd' || in.charKey == 'D') ToggleSort();
  else if (id == kIdButtonBase) return kFile;
  else if (id == kIdButtonBase + 1) return kClipboard;
  else if (id == kIdButtonBase + 2 || in.charKey == platform::kCharEscape) return kCancel;
  return kNone;
}

ImportFormatDialog::Choice ImportFormatDialog::Run() {
  if (g_.ctx.Quitting()) return kNone;
  ModalLoop loop(g_);
  Build();
  g_.DrawAllControls();
  g_.ShowAll();
  Choice choice = kNone;
  int id = 0;
  while (choice == kNone && loop.Next(id)) choice = Handle(id);
  return choice;
}

}  // namespace

bool IndexScreen::ImportDialog(std::vector<std::string>& files) {
  AppContext& ctx = s_.ctx;
  if (ctx.Quitting()) return false;
  const ImportFormatDialog::Choice leave = ImportFormatDialog(s_).Run();
  bool run = false;
  if (leave == ImportFormatDialog::kClipboard) {
    SystemClipboard clipboard;
    ImportFromClipboard(ctx, clipboard, files, s_.openAddress);
    run = !files.empty();
  } else if (leave == ImportFormatDialog::kFile) {
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
  ManualImportScreen manual(s_);
  ImportFiles(s_.ctx, target, s_.importFormat, files, &manual);
  ListModel& R = List(false);
  R.itemHeight = itemHeight();
  ScrollToCurrent();
}

}  // namespace pantrela::ui
