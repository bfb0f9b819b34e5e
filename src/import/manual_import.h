// Manual import: any text file shown as a list of lines, which the user
// marks as the title, yield, ingredients and directions of a recipe and
// saves, recipe after recipe, until "Finished". The lines and the marking
// rules live here; the screen (ui/) shows the lines, turns mouse and keys
// into selections and calls the session's commands.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pantrela {

struct AppContext;
class ImportTarget;
class RecipeBuilder;

enum ManualMark : uint8_t {
  kMarkNone = 0,
  kMarkTitle = 1,
  kMarkYield = 2,
  kMarkIngredients = 3,
  kMarkDirections = 4,
};

inline constexpr size_t kManualLineMax = 148;     // characters of a line
inline constexpr size_t kManualBytesMax = 256000;  // bytes of a file that are shown

struct ManualLine {
  uint8_t mark = kMarkNone;
  std::string text;  // at most 148 characters
};

// The list on show: the lines and the list header (first visible line,
// current line, the selection's anchor).
struct ManualLines {
  std::vector<ManualLine> lines;
  int firstVisible = 0;
  int current = 0;
  int anchor = 0;
  int count() const { return int(lines.size()); }
  // The selection: every line from the lower to the higher of anchor and
  // current.
  int SelectionLow() const { return anchor < current ? anchor : current; }
  int SelectionHigh() const { return anchor < current ? current : anchor; }
};

// Reads at most 256000 bytes of the file into lines, wrapping a line where
// its width in the list font reaches `listWidth` - 20 pixels or at its
// 148th byte (after its last space, else at that byte), decoding references,
// stripping leading " #-+~|" and spaces and shrinking runs of blank lines
// to one. `byteWidth` gives a byte's width in the list font. The progress
// window shows "Loading Manual Import"; false (and no lines) when the user
// stopped it or the file does not exist.
bool LoadManualLines(AppContext& ctx, const std::string& file, int listWidth,
                     const std::function<int(unsigned char)>& byteWidth, ManualLines& out);

// Bit 0: a line is marked title; bit 1: ingredients; bit 2: directions
// (yield is not counted).
int MarkedSegments(const ManualLines& lines);
void ClearMarks(ManualLines& lines);
// The message for the first segment a recipe lacks ("You have not defined a
// title segment", then ingredients, then directions), or nullptr.
const char* MissingSegmentMessage(const ManualLines& lines);

// Builds one recipe from the marked lines and stores it through the
// builder: title lines joined with spaces (cut to 80), the last yield line's
// leading number as servings, ingredient and direction lines as they are
// (a blank line a paragraph break). Returns the record ID (0 when nothing
// could be stored).
int64_t SaveMarkedRecipe(RecipeBuilder& builder, const ManualLines& lines, int64_t& chapter, int64_t& recordId);

// The commands of the screen on one file's lines. Questions and messages
// go through the context's dialogs.
class ManualImportSession {
 public:
  ManualImportSession(RecipeBuilder& builder, ManualLines& lines);

  // The instruction line for the marks present.
  std::string Instruction() const;
  // count + " Recipes Saved".
  std::string Status() const;
  int saved() const { return saved_; }

  // Marks the selected lines (kMarkNone unmarks). Before a title mark, when
  // a complete recipe is marked, the user is asked whether to save it first.
  void Mark(ManualMark mark);
  // "Clear All": every mark cleared, a photo held for the recipe dropped.
  void ClearAll();
  // "Save": needs a title, an ingredients and a directions mark (a message
  // names the missing one); then saves, clears the marks and collapses the
  // selection. True when a recipe was saved.
  bool Save();
  // "Finished": a complete marked recipe may be saved first (asked).
  void Finish();
  // "Edit Current Line": the input form on the first selected line.
  void EditLine();

  int64_t chapter = 0;
  int64_t recordId = 0;

 private:
  bool AskToSaveMarked();
  void SaveNow();

  RecipeBuilder& b_;
  ManualLines& lines_;
  int saved_ = 0;
};

// The screen, as the import needs it.
class ManualImportView {
 public:
  virtual ~ManualImportView() = default;
  // Width of the list in pixels and of one byte in the list font.
  virtual int ListWidth() = 0;
  virtual int ByteWidth(unsigned char c) = 0;
  // Shows the screen and runs it until "Finished" (true) or until the
  // program closes (false).
  virtual bool Run(ManualImportSession& session, ManualLines& lines) = 0;
};

// The reader of import format 1 with its screen: loads the lines, runs the
// screen and sets `cancel` when the user left with "Finished" (so a list of
// files stops after this one). Returns at once when the file does not exist.
void ManualImport(RecipeBuilder& builder, ManualImportView& view, const std::string& file, int64_t& chapter,
                  int64_t& recordId, bool& cancel);

// The entry for a text file on its own (the web import's "Manual" choice):
// manual import of the file into the target, which is synced, sorted and
// saved afterwards. Returns the number of recipes saved.
int ManualImportTextFile(AppContext& ctx, ImportTarget& target, ManualImportView& view, const std::string& file);

}  // namespace pantrela
