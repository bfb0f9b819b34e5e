// The recipe view ("Recipe" tab, screen 4): the recipe at the recipe list's
// current position laid out for reading, with the commands that act on one
// recipe; and the editing flow that runs the recipe editor (screen 9).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/canvas.h"
#include "widgets/list_widgets.h"

namespace pantrela::ui {

class Screens;

// Control ids of the view.
enum RecipeViewIds : int {
  kIdViewPrevious = 120, kIdViewNext = 121, kIdViewPrint = 122, kIdViewNewMeal = 123, kIdViewResize = 124,
  kIdViewFind = 125, kIdViewEdit = 126, kIdViewDelete = 127, kIdViewExport = 128,
  kIdViewPane = 130, kIdViewUp = 131, kIdViewBar = 132, kIdViewDown = 133, kIdViewStatus = 134,
};
inline constexpr int kKindViewPane = 130;

inline constexpr const char* kNoRecipesInChapter = "There Are No Recipes In This Chapter";
inline constexpr const char* kNoRecipesMessage = "There are no recipes in this chapter";
inline constexpr const char* kInfoNoResize = "Information text cannot be resized";

// One laid-out line of the view.
struct ViewLine {
  enum Kind { kTitle, kServes, kRule, kPhoto, kIngredient, kHeading, kDirection, kEmpty } kind = kDirection;
  std::string text;      // the line as shown (ingredients: the item)
  std::string amount;    // ingredients: quantity and unit, right-aligned in their column
  int y = 0, height = 0; // top in the content and height, pixels
};

// The grocery search word made of a clicked ingredient word: letters only at
// its ends, "-" as a space, "oes" losing its "es", then a final "s" dropped.
std::string GrocerySearchWord(std::string_view word);
// The word of `text` at byte `pos` (between spaces), or "".
std::string WordAt(std::string_view text, int pos);

class RecipeView {
 public:
  explicit RecipeView(Screens& screens);
  // The screen procedure.
  void Run();

  // Loads the current list entry's record unless it is already current, and
  // lays the view out; `force` reloads from the file.
  void Load(bool force);
  void Layout();
  void Paint();
  void Dispatch(int id);
  // Rebuilds the view lines for the pane's width.
  void BuildLines();

  const std::vector<ViewLine>& lines() const { return lines_; }
  int scroll() const { return scroll_; }
  bool empty() const;
  // The status line's word hint ("" when none).
  const std::string& hintWord() const { return hint_; }

  // Commands.
  void Step(int delta);
  void Find();
  void Resize();
  void Delete();
  void Edit();
  // "Export>": the export menu for the recipe on show.
  void Export();

 private:
  void ScrollTo(int y);
  // The scroll bar's thumb where the layout put the bar.
  widgets::ScrollThumb BarThumb() const;
  // Repaints the pane and its bar alone.
  void RepaintPane();
  // Held buttons and the dragged thumb; true when the event was theirs.
  bool HandleHeld();
  void PaintPane(int index);
  void PaintStatus();
  void Hover();
  void Click();
  int ContentHeight() const;
  int PaneHeight() const { return paneY2_ - paneY1_; }

  Screens& s_;
  std::vector<ViewLine> lines_;
  platform::Picture photo_;
  int photoW_ = 0, photoH_ = 0;
  int paneX1_ = 20, paneY1_ = 65, paneX2_ = 400, paneY2_ = 400;
  int scroll_ = 0;
  int builtWidth_ = -1;
  std::string hint_;
  bool barDrag_ = false;
  int barGrab_ = 0;
  uint32_t heldSince_ = 0, lastStep_ = 0;
};

// The editing flow. Edit: the record of the current list entry; Add: a new
// record of `kind` (0 recipe, 1 information text) in the current chapter.
// Saved records become current; a cancelled edit changes nothing.
void EditCurrentRecipe(Screens& screens);
void AddRecord(Screens& screens, int kind);
// The recipe editor on the current record: 1 saved, 2 cancelled.
int RunRecipeEditor(Screens& screens);

}  // namespace pantrela::ui
