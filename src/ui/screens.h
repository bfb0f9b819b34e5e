// The screens of the main window: the screen loop, the tab bar, the recipe
// index screen, the About screen, the hand-over of files from a second copy
// or a drop, and the windowed start-up and shut-down steps (Program).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "calendar/events.h"
#include "database/collection.h"
#include "database/search.h"
#include "foundation/context.h"
#include "foundation/vendor.h"
#include "widgets/window_dialogs.h"
#include "widgets/gui.h"
#include "widgets/list_widgets.h"

namespace pantrela::ui {

// VendorAddresses (foundation/vendor.h): the vendor's pages and addresses.

inline constexpr const char* kReleaseDate = "December 1, 2026";

// Control ids of the index screen.
enum IndexIds : int {
  kIdChaptersMenu = 100, kIdRecipesMenu = 101, kIdFind = 102, kIdPrint = 103, kIdNewMeal = 104,
  kIdAddRecipe = 105, kIdEdit = 106, kIdDelete = 107, kIdWebImport = 108, kIdImport = 109, kIdExport = 110,
  kIdChapterList = 250, kIdChapterUp = 251, kIdChapterBar = 252, kIdChapterDown = 253, kIdChapterAll = 254,
  kIdRecipeList = 300, kIdRecipeUp = 301, kIdRecipeBar = 302, kIdRecipeDown = 303, kIdRecipeAll = 304,
};
// Painter kinds of the two lists and their scroll bars.
inline constexpr int kKindChapterList = 250;
inline constexpr int kKindRecipeList = 300;
inline constexpr int kKindScrollBar = 252;

inline constexpr int kTabBarHeight = 43;
// Colours of the screens' page, list frames and scroll bars.
inline constexpr uint32_t kPage = widgets::Rgb(226, 232, 236);
inline constexpr uint32_t kListFrame = widgets::Rgb(63, 115, 139);
inline constexpr uint32_t kBarTrack = widgets::Rgb(214, 220, 224);
inline constexpr uint32_t kBarThumb = widgets::Rgb(120, 150, 170);
inline constexpr int kCheckColumn = 24;  // the check-box column at the left edge of a list
// Timer that scrolls a list while a selection is dragged past its edge.
inline constexpr int kTimerAutoScroll = 401;

class Screens;

// Geometry of one list of the index screen.
struct ListBox {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // the rows' rectangle
  int barX1 = 0;                       // arrows and scroll bar from here to x2 + 20
  int height() const { return y2 - y1; }
};

// A selection gesture in progress in one of the lists.
struct ListDrag {
  bool active = false;
  bool chapters = false;  // which list
  int button = 1;
  enum Mode { kPlain, kCheckColumn, kShift } mode = kPlain;
  bool newState = false;  // check-box column: the state every passed row gets
  int startRow = -1;
  int wasCurrent = -1;    // current row before the press
  bool moved = false;
};

// The recipe index screen (3).
class IndexScreen {
 public:
  explicit IndexScreen(Screens& screens);
  // The screen procedure: lays out, paints and dispatches until the screen
  // number changes or the program quits.
  void Run();

  // Fills the control table for the current client size.
  void Layout();
  // Scrolls both lists so their current entries are visible.
  void ScrollToCurrent();
  // Draws every control and shows the whole window.
  void Paint();
  // One event: the control chosen (0 none) with the input the wait left.
  void Dispatch(int id);
  // Reads and carries out "command.dat" when it exists; true when it did.
  bool PollHandOver();
  // Leaving the screen: the current record is dropped when it is not the
  // recipe at the list's current position.
  void Leave();

  // Menus and commands.
  void ChapterMenu(int x, int y);
  // "Recipes>": the recipe menu at (x, y).
  void RecipeMenu(int x, int y);
  // "Delete" and the Delete key: the checked recipes, after a question.
  void DeleteSelected();
  void Find();
  void Import();
  // "Export>": the destination menu under the button for the ticked recipes.
  void Export();
  // The two forms on their own: the search form fills the request and
  // answers true on OK; the import dialog answers whether to import and
  // fills the file list.
  bool FindForm(SearchRequest& request);
  bool ImportDialog(std::vector<std::string>& files);
  void CleanUp();
  void CheckAllRecipes();
  void CheckAllChapters();
  bool AllRecipesChecked() const;
  bool AllChaptersChecked() const;

  const ListBox& chapterBox() const { return chapterBox_; }
  const ListBox& recipeBox() const { return recipeBox_; }
  // Row of the list under a client y, or -1 below the last row.
  int RowAt(bool chapters, int y) const;
  // The y of a row's top in client pixels (may lie outside the list).
  int RowTop(bool chapters, int row) const;
  int itemHeight() const;
  // The text shown beside the check-all box ("1,234 Recipes").
  std::string ChapterCountText() const;
  std::string RecipeCountText() const;
  // Scrolls a list by pixels and repaints it when it moved.
  void ScrollBy(bool chapters, int pixels);
  // Times of the last rebuild of the recipe list and the last list repaint.
  double lastRebuildMs = 0, lastRepaintMs = 0;
  int64_t seenStartTick = -1;

 private:
  ListModel& List(bool chapters);
  const ListModel& List(bool chapters) const;
  const ListBox& Box(bool chapters) const { return chapters ? chapterBox_ : recipeBox_; }
  void RebuildRecipes();
  bool HandlePointer();
  bool RunControl(int id);
  bool RunKey();
  bool RunCharacter();
  void ClampScroll(bool chapters);
  // Scrolls a list as little as needed to show its current entry.
  void ShowCurrent(bool chapters);
  // The scroll bar thumb of a list where the layout put its bar.
  widgets::ScrollThumb Thumb(bool chapters) const;
  void RepaintList(bool chapters);
  void RepaintCounts();
  void PressInList(bool chapters);
  void DragInList();
  void ReleaseInList();
  void ApplyRowToDrag(int row);
  void MoveRecipe(int to, bool shift, bool ctrl);
  void MoveChapter(int delta);
  void OpenCurrentRecipe();
  void DragScrollBar(bool chapters);
  void PaintList(int index, bool chapters);
  void PaintScrollBar(int index);
  void ProcessHandOverText(const std::string& text);
  // The recipe menu's commands, given where the menu opened.
  void AddSelectedToMeals(int x, int y);
  void CopyRecipes(int x, int y);
  void DeleteSelectedAt(int x, int y);
  void EditCurrentAt(int x, int y);
  void MoveRecipes(int x, int y);
  void LocateDuplicates(int x, int y);

  Screens& s_;
  // The values of the search form, kept between searches.
  std::string findText_;
  int64_t findScope_ = 1;
  bool findFields_[3] = {true, false, false};
  ListBox chapterBox_, recipeBox_;
  ListDrag drag_;
  int myTimer_ = 0;
  bool drawn_ = false;
  int barDrag_ = 0;  // 252 or 302 while a scroll bar is dragged
  int barGrab_ = 0;
  bool handOverStuck_ = false;
};

// The screen shell: window, dialogs, the collection and the loop.
class Screens {
 public:
  Screens(AppContext& ctx, Collection& collection);
  ~Screens();

  AppContext& ctx;
  Collection& collection;
  widgets::Gui gui;
  widgets::WindowDialogs dialogs;
  VendorAddresses vendor;
  // The meal calendar's events; the collection's "Recipes Selected For
  // Meals" reads them.
  MealCalendar calendar;
  IndexScreen index;
  int importFormat = 0;     // chosen import format; not saved, 0 at every start
  int64_t startTick = 0;    // tick count recorded at start-up
  // Opens a web address (the desktop's opener); tests replace it.
  std::function<void(const std::string&)> openAddress;
  // Starts an e-mail to the support; false when no mail program started.
  std::function<bool(const std::string& to, const std::string& subject)> openMail;

  // Runs the procedure of the current screen until the quit flag is set.
  void RunLoop();
  // Adds the top bar, icon, title image, tabs 3-8 and the version text.
  void AddTabBar(int& n);
  // The bar, icon and title image alone (full-window screens put their
  // caption in place of the tabs).
  void AddTitleArea(int& n);
  void RunAbout();
  // Screens without content so far: the tab bar over an empty page.
  void RunPlaceholder();
  // A new 300 ms timer id for a screen procedure.
  int StartScreenTimer();
  // Dropped files become a hand-over, as a second copy leaves one.
  void OnDrop(const SDL_Event& e);

 private:
  std::vector<std::string> dropped_;
};

// The windowed start-up and shut-down steps around the screen loop.
class Program {
 public:
  explicit Program(AppContext& ctx);
  ~Program();
  // Window, fonts, bitmaps and the first screen; false when no window can
  // be made ("Unable to create window").
  bool OpenWindow();
  // Loads and verifies the master index (busy while it is rebuilt) and
  // builds the chapter and recipe lists.
  void OpenDatabase();
  // Runs the screen loop on the recipe screen until the quit flag is set.
  void Run();
  // Shut-down: waits until no button is held and no key pending, then lets
  // the window go.
  void Close();

  AppContext& ctx;
  Collection collection;
  std::unique_ptr<Screens> screens;
};

// Windows-1252 upper case of A-Z only.
std::string UpperAscii(std::string_view text);
// The file names of a hand-over text: every '" "' separates two names, other
// double quotes are dropped.
std::vector<std::string> HandOverFileNames(const std::string& text);
// The hand-over text for a list of files: one name as it is (quoted when it
// holds a space), several each in double quotes separated by spaces.
std::string HandOverText(const std::vector<std::string>& files);

}  // namespace pantrela::ui
