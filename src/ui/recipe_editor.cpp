// The recipe editor (screen 9) and the editing flow around it.
#include <algorithm>
#include <map>

#include "database/editing.h"
#include "database/master_index.h"
#include "database/photo.h"
#include "foundation/file.h"
#include "foundation/numtext.h"
#include "ingredients/resize.h"
#include "platform/clipboard.h"
#include "ui/recipe_view.h"
#include "ui/screens.h"
#include "widgets/text_area.h"

namespace pantrela::ui {

using namespace widgets;

namespace {

constexpr uint32_t kEditorPage = Rgb(214, 224, 230);
constexpr int kScreenEditor = 9;

enum EditorIds : int {
  kIdEdTitle = 140, kIdEdIngredients = 141, kIdEdDirections = 142, kIdEdChapter = 143, kIdEdPhoto = 144,
  kIdEdLoadPhoto = 150, kIdEdSavePhoto, kIdEdCopyPhoto, kIdEdPastePhoto, kIdEdDeletePhoto, kIdEdSpell, kIdEdResize,
  kIdEdServes, kIdEdSave, kIdEdCancel,
};

constexpr const char* kNoPhotoOnClipboard = "There is no photo on the clipboard";

// Leading and trailing bytes of value 32 or below removed.
std::string TrimControl(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && static_cast<unsigned char>(s[a]) <= 32) ++a;
  while (b > a && static_cast<unsigned char>(s[b - 1]) <= 32) --b;
  return s.substr(a, b - a);
}

class Editor {
 public:
  explicit Editor(Screens& s) : s_(s), rec_(s.collection.current()) {
    info_ = rec_.kind() == kKindInfo;
    SetupTitleArea(areas_[0]);
    SetupTextArea(areas_[1]);
    SetupTextArea(areas_[2]);
    areas_[0].text = rec_.title.substr(0, 79);
    areas_[1].text = rec_.ingredients;
    areas_[2].text = rec_.directions;
    focus_ = 0;
  }

  int Run() {
    Gui& g = s_.gui;
    AppContext& ctx = s_.ctx;
    const int previous = ctx.screen;
    ctx.screen = kScreenEditor;
    g.SaveControls();
    g.SetKindPainter(kKindTextArea, [this](Gui&, int index) { PaintControl(index); });
    g.window.redraw = true;
    g.window.PostTimerMessage(0);
    g.window.SetTimer(kTimerCaretBlink, kCaretBlinkMs);
    while (!ctx.Quitting() && result_ == 0) {
      const int id = g.WaitEvent(true);
      if (ctx.Quitting()) break;
      if (g.window.redraw) {
        g.window.redraw = false;
        Layout();
        Paint();
        continue;
      }
      Dispatch(id);
    }
    g.window.KillTimer(kTimerCaretBlink);
    g.SetKindPainter(kKindTextArea, nullptr);
    g.RestoreControls();
    ctx.screen = previous;
    g.window.redraw = true;
    return result_ == 0 ? 2 : result_;
  }

 private:
  TextArea& Area(int i) { return areas_[size_t(i)]; }
  TextArea& Focused() { return areas_[size_t(focus_)]; }
  bool Shown(int i) const { return i == 0 || i == 2 || !info_; }

  void Layout() {
    Gui& g = s_.gui;
    const int W = g.Width(), H = g.Height();
    int n = 0;
    g.AddControl(n, {.id = kIdDecoration, .kind = kKindFill, .x2 = W, .y2 = H, .background = kEditorPage});
    g.AddControl(n, {.id = kIdDecoration, .kind = kKindFill, .x2 = W, .y2 = kTabBarHeight, .background = kTopBarColour});
    g.AddControl(n, {.id = kIdTopBar, .x2 = W, .y2 = kTabBarHeight});
    g.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = 20, .y1 = 10, .x2 = W - 20, .y2 = 36,
                     .foreground = kWhite, .font = kFontHeading24, .caption = "Recipe Editor"});
    const int labelW = 110;
    g.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = 20, .y1 = 58, .x2 = 20 + labelW, .y2 = 80,
                     .foreground = kBlack, .font = kFontMessage, .caption = "Title:"});
    Place(0, 20 + labelW, 54, W - 20, 54 + g.fonts.fieldHeight + 8);
    g.AddControl(n, {.id = kIdEdTitle, .kind = kKindTextArea, .x1 = Area(0).left, .y1 = Area(0).top,
                     .x2 = Area(0).right, .y2 = Area(0).bottom, .value = 0});
    g.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = 20, .y1 = 98, .x2 = 20 + labelW, .y2 = 120,
                     .foreground = kBlack, .font = kFontMessage, .caption = "Chapter:"});
    g.AddControl(n, {.id = kIdEdChapter, .kind = kKindButton, .x1 = 20 + labelW, .y1 = 94, .x2 = 20 + labelW + 360,
                     .y2 = 124, .background = kWhite, .font = kFontScreen,
                     .caption = s_.collection.ChapterDisplayName(rec_.chapterKey())});
    // Buttons: two rows at the bottom.
    const char* captions[10] = {"Load Photo", "Save Photo", "Copy Photo", "Paste Photo", "Delete Photo",
                                "Spell Check", "Resize", "", "Save", "Cancel"};
    const std::string serves = "Serves " + std::to_string(rec_.servings());
    const int bw = (W - 40 - 4 * 10) / 5;
    for (int i = 0; i < 10; ++i) {
      const int row = i / 5, col = i % 5;
      const int x = 20 + col * (bw + 10), y = H - 88 + row * 42;
      g.AddControl(n, {.id = kIdEdLoadPhoto + i, .kind = kKindButton, .x1 = x, .y1 = y, .x2 = x + bw, .y2 = y + 34,
                       .background = kButtonFace, .font = kFontButton, .caption = i == 7 ? serves : captions[i]});
    }
    // Photo frame at the right, text areas to its left.
    const int photoX1 = W - 20 - 200, top = 150, bottom = H - 100;
    g.AddControl(n, {.id = kIdEdPhoto, .kind = kKindTextArea, .x1 = photoX1, .y1 = top, .x2 = W - 20, .y2 = top + 160,
                     .value = 3});
    const int textRight = photoX1 - 14;
    if (info_) {
      Label(n, 20, "Text:");
      Place(2, 20, top, textRight, bottom);
    } else {
      const int mid = 20 + (textRight - 20) * 45 / 100;
      Label(n, 20, "Ingredients:");
      Label(n, mid + 10, "Directions:");
      Place(1, 20, top, mid, bottom);
      Place(2, mid + 10, top, textRight, bottom);
      g.AddControl(n, {.id = kIdEdIngredients, .kind = kKindTextArea, .x1 = Area(1).left, .y1 = top,
                       .x2 = Area(1).right, .y2 = bottom, .value = 1});
    }
    g.AddControl(n, {.id = kIdEdDirections, .kind = kKindTextArea, .x1 = Area(2).left, .y1 = top, .x2 = Area(2).right,
                     .y2 = bottom, .value = 2});
    g.AddControl(n, {.id = kIdEnd});
    for (int i = 0; i < 3; ++i) Area(i).focus = i == focus_;
  }

  void Label(int& n, int x, const char* caption) {
    s_.gui.AddControl(n, {.id = kIdDecoration, .kind = kKindText, .x1 = x, .y1 = 126, .x2 = x + 200, .y2 = 148,
                          .foreground = kBlack, .font = kFontMessage, .caption = caption});
  }

  void Place(int i, int x1, int y1, int x2, int y2) {
    TextArea& a = Area(i);
    a.left = x1;
    a.top = y1;
    a.right = x2;
    a.bottom = y2;
    SetAreaFont(s_.gui, a, kFontScreen);
    LayoutText(a);
    ScrollCaretIntoView(a);
  }

  void PaintControl(int index) {
    Gui& g = s_.gui;
    const Control& c = g.table[size_t(index)];
    if (c.value == 3) {
      g.canvas.FramedFill(c.x1, c.y1, c.x2, c.y2, kWhite, kFrameColour);
      PhotoBitmap bm = DecodePhoto(s_.ctx, rec_.photo);
      if (bm.empty()) {
        g.canvas.DrawText((c.x1 + c.x2) / 2, (c.y1 + c.y2) / 2 - 10, platform::kTextCentre, kBlack,
                          g.fonts[kFontScreen], "No Photo");
        return;
      }
      const int bw = c.x2 - c.x1 - 8, bh = c.y2 - c.y1 - 8;
      const double k = std::min(double(bw) / bm.width, double(bh) / bm.height);
      const int w = std::max(1, int(bm.width * k)), h = std::max(1, int(bm.height * k));
      g.canvas.DrawPictureScaled(platform::PictureFromImage(bm.image), c.x1 + 4 + (bw - w) / 2, c.y1 + 4 + (bh - h) / 2,
                                 w, h);
      return;
    }
    DrawTextArea(g, Area(c.value), kWhite, caretOn_);
  }

  void Paint() {
    s_.gui.DrawAllControls();
    s_.gui.ShowAll();
  }

  void RepaintArea(int i) {
    Gui& g = s_.gui;
    const int ids[3] = {kIdEdTitle, kIdEdIngredients, kIdEdDirections};
    const int index = g.Find(ids[i]);
    if (index < 0) return;
    g.DrawControl(index);
    g.ShowControl(index);
  }

  // The text area under a point, or -1.
  int AreaAt(int x, int y) {
    for (int i = 0; i < 3; ++i) {
      const TextArea& a = Area(i);
      if (Shown(i) && x >= a.left && x < a.right && y >= a.top && y < a.bottom) return i;
    }
    return -1;
  }

  void SetFocus(int i) {
    const int old = focus_;
    focus_ = i;
    for (int k = 0; k < 3; ++k) Area(k).focus = k == focus_;
    RepaintArea(old);
    RepaintArea(focus_);
  }

  void Dispatch(int id) {
    Gui& g = s_.gui;
    platform::InputState& in = g.Input();
    if (in.timer && in.lastTimer == kTimerCaretBlink) {
      caretOn_ = !caretOn_;
      RepaintArea(focus_);
      return;
    }
    // Any input shows the caret at once; the blink starts over.
    if (!caretOn_ && (in.keyDown || in.charKey || in.pressed)) {
      caretOn_ = true;
      g.window.SetTimer(kTimerCaretBlink, kCaretBlinkMs);
      RepaintArea(focus_);
    }
    if (in.pressed) {
      const int at = AreaAt(in.mouseX, in.mouseY);
      if (at >= 0) {
        if (at != focus_) SetFocus(at);
        if (in.heldButton == 1 && InTextAreaBar(Area(at), in.mouseX, in.mouseY)) {
          TrackTextAreaBar(g, Area(at), kWhite);
        } else if (in.heldButton == 1) {
          TrackTextAreaMouse(g, Area(at), kWhite);
        } else if (in.heldButton == 2) {
          g.ForgetPress();
          const int choice = s_.dialogs.PopupList(in.mouseX, in.mouseY, 260, TextAreaMenuEntries());
          TextAreaMenuCommand(Area(at), choice, s_.dialogs);
          Paint();
        }
        return;
      }
    }
    if (in.wheelSteps) {
      const int at = AreaAt(in.mouseX, in.mouseY);
      if (at > 0) {
        TextArea& a = Area(at);
        a.firstLine = std::clamp(a.firstLine - in.wheelSteps, 0, std::max(0, a.lineCount - a.rowsShown));
        RepaintArea(at);
      }
      return;
    }
    switch (id) {
      case kIdEdChapter: ChooseChapter(); return;
      case kIdEdLoadPhoto: LoadPhoto(); return;
      case kIdEdSavePhoto: SavePhoto(); return;
      case kIdEdCopyPhoto: CopyPhoto(); return;
      case kIdEdPastePhoto: PastePhoto(); return;
      case kIdEdDeletePhoto:
        rec_.photo.clear();
        Paint();
        return;
      case kIdEdSpell: return;  // the spell check arrives with its own screen
      case kIdEdResize: Resize(); return;
      case kIdEdServes: Servings(); return;
      case kIdEdSave: Save(); return;
      case kIdEdCancel: result_ = 2; return;
      default: break;
    }
    if (in.charKey == 9) {
      TextArea& a = Focused();
      a.selStart = a.selEnd = a.caret;
      int next = focus_;
      do next = (next + 1) % 3;
      while (!Shown(next));
      SetFocus(next);
      return;
    }
    if ((in.keyDown || in.charKey) && TextAreaKey(Focused(), in, s_.dialogs)) RepaintArea(focus_);
  }

  void ChooseChapter() {
    Collection& db = s_.collection;
    std::vector<std::string> names;
    std::vector<int64_t> keys;
    for (uint32_t e : db.chapterList().entries) {
      names.emplace_back(db.Entry(e).title());
      keys.push_back(db.Entry(e).chapterKey());
    }
    const Control* b = s_.gui.ById(kIdEdChapter);
    const int choice = s_.dialogs.PopupList(b ? b->x1 : 100, b ? b->y2 : 100, b ? b->x2 - b->x1 : 300, names);
    if (choice >= 0 && choice < int(keys.size())) rec_.setChapterKey(keys[size_t(choice)]);
    Layout();
    Paint();
  }

  void LoadPhoto() {
    std::string folder = s_.ctx.settings.image_path, name;
    if (!s_.dialogs.BrowseFiles("Locate Photo", folder, name)) return Paint();
    const std::string path = folder + name;
    if (Exists(path) && !IsDirectory(path)) {
      s_.ctx.settings.image_path = folder;
      s_.gui.SaveSettings();
      int lines = 0;
      LoadImageFile(s_.ctx, s_.dialogs, path, rec_.photo, lines);
    }
    Paint();
  }

  void SavePhoto() {
    if (!HasPhoto(rec_)) {
      s_.dialogs.Message(kNoPhotoAttached, "OK");
      return Paint();
    }
    std::string folder = s_.ctx.settings.image_path, name;
    if (!s_.dialogs.BrowseFiles("Save BMP Photo", folder, name)) return Paint();
    name = PhotoFileName(name, rec_.photo);
    const std::string path = folder + name;
    if (Exists(path) && s_.dialogs.Message(name + " already exists!|Do you want to overwrite it?", "OK|Cancel") != 1)
      return Paint();
    if (!WriteFileAtomic(path, rec_.photo)) s_.dialogs.Message("Unable to write " + path, "OK");
    s_.ctx.settings.image_path = folder;
    s_.gui.SaveSettings();
    Paint();
  }

  void CopyPhoto() {
    if (!HasPhoto(rec_)) {
      s_.dialogs.Message(kNoPhotoAttached, "OK");
      return Paint();
    }
    // The photo as a 16-bit BMP file, and as PNG for programs that take
    // only that.
    const PhotoBitmap bm = DecodePhoto(s_.ctx, rec_.photo);
    std::map<std::string, std::string> targets;
    if (!bm.empty()) {
      targets["image/bmp"] = BitmapToBmp(bm.image);
      std::string png;
      if (platform::EncodePng(bm.image, png)) targets["image/png"] = std::move(png);
    }
    const bool ok = !targets.empty() && s_.clipboardOffer.Offer(std::move(targets));
    if (!ok) s_.ctx.Log(bm.empty() ? "Copy Photo: the photo cannot be decoded" : "Copy Photo: no X clipboard");
    s_.dialogs.Message(ok ? "Photo copied to clipboard" : "Failed to copy photo to clipboard", "OK");
    Paint();
  }

  void PastePhoto() {
    std::string image, type;
    const platform::ClipboardRead read = platform::ReadClipboardImage(image, type);
    if (read == platform::ClipboardRead::kUnreachable) {
      s_.dialogs.Message("Clipboard is not available", "OK");
      return Paint();
    }
    if (read == platform::ClipboardRead::kFound) {
      int w = 0, h = 0;
      if (ClipboardImageToPhoto(image, rec_.photo, w, h)) {
        s_.ctx.Log("Paste Photo: " + type + " " + std::to_string(w) + " x " + std::to_string(h));
        return Paint();
      }
      s_.ctx.Log("Paste Photo: the clipboard's " + type + " cannot be decoded");
    }
    std::vector<std::string> files;
    const std::string file = platform::ReadClipboardFiles(files) ? FirstPhotoFile(files) : std::string();
    if (file.empty() || !Exists(file)) {
      s_.dialogs.Message(kNoPhotoOnClipboard, "OK");
      return Paint();
    }
    int lines = 0;
    LoadImageFile(s_.ctx, s_.dialogs, file, rec_.photo, lines);
    Paint();
  }

  void Resize() {
    if (info_) {
      s_.dialogs.Message(kInfoNoResize, "OK");
      return Paint();
    }
    uint8_t servings = rec_.servings();
    std::string text = Area(1).text;
    if (ResizeRecipe(servings, text, s_.ctx.settings, s_.dialogs) == 1) {
      rec_.setServings(servings);
      TextArea& a = Area(1);
      a.text = text.substr(0, size_t(std::max(0, a.capacity - 1)));
      a.caret = a.selStart = a.selEnd = a.firstLine = 0;
      LayoutText(a);
    }
    Layout();
    Paint();
  }

  void Servings() {
    std::vector<FormField> fields(1);
    if (s_.dialogs.Form("Enter new serving size (0-255)|Ingredients will not be resized.|"
                        "(Set servings to zero to disable servings display)",
                        "", 1, "OK|Cancel", 5, fields) == 1 && !fields.empty()) {
      const double v = Val(fields[0].text);
      if (v >= 0) rec_.setServings(uint8_t(std::min(255.0, v)));
    }
    Layout();
    Paint();
  }

  void Save() {
    const std::string title = TrimSpaces(Area(0).text);
    if (title.empty()) {
      s_.dialogs.Message("Please enter a title for this recipe!", "OK");
      return Paint();
    }
    const int64_t key = rec_.chapterKey();
    if (key <= kReservedKeyMax || s_.collection.ChapterNameByKey(key).empty()) {
      s_.dialogs.Message("Please select a chapter for this recipe!", "OK");
      return Paint();
    }
    rec_.title = title;
    rec_.ingredients = info_ ? std::string() : TrimControl(Area(1).text);
    rec_.directions = TrimControl(Area(2).text);
    result_ = 1;
  }

  Screens& s_;
  CurrentRecord& rec_;
  std::array<TextArea, 3> areas_;
  int focus_ = 0;
  bool caretOn_ = true;  // the blinking caret's phase
  bool info_ = false;
  int result_ = 0;
};

void RunEditFlow(Screens& s, uint32_t oldEntry, bool hit) {
  if (RunRecipeEditor(s) != 1) return;
  SaveCurrentRecord(s.collection, oldEntry, hit);
}

}  // namespace

int RunRecipeEditor(Screens& screens) { return Editor(screens).Run(); }

void EditCurrentRecipe(Screens& s) {
  Collection& db = s.collection;
  ListModel& list = db.recipeList();
  if (list.entries.empty()) {
    s.dialogs.Message("Please select a recipe", "OK");
    return;
  }
  list.ClampCurrent();
  const uint32_t e = list.entries[size_t(list.current)];
  db.LoadCurrent(uint64_t(db.Entry(e).fileOffset()));
  RunEditFlow(s, e, db.Entry(e).flags() & kFlagHit);
  // The view reloads from the file: a cancelled edit leaves no trace.
  db.ClearCurrent();
}

void AddRecord(Screens& s, int kind) {
  Collection& db = s.collection;
  db.ClearCurrent();
  db.current().setKind(uint8_t(kind));
  db.current().setServings(0);
  db.current().setChapterKey(db.CurrentChapterKey());
  RunEditFlow(s, kNoEntry, false);
  db.ClearCurrent();
}

}  // namespace pantrela::ui
