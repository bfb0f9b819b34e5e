// The meal list of the Meals tab and the calendar's operations: a window of
// 200 consecutive days, each a day row followed by a row per event of that
// day, with the selection, the marks, adding, editing, moving, copying and
// deleting events, and the jumps between dates. Nothing here draws; the two
// forms of the calendar (the event form and the date picker) are asked for
// through MealForms, the messages through Dialogs.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "calendar/events.h"
#include "database/collection.h"
#include "foundation/dates.h"

namespace pantrela {

class MealForms {
 public:
  virtual ~MealForms() = default;
  // The event form titled `title` on `event` (date, meal time, title); true
  // on OK with the event changed.
  virtual bool EditEventForm(const std::string& title, EventRecord& event) = 0;
  // The date picker opened on `start`; nothing when cancelled.
  virtual std::optional<Ymd> PickDate(const Ymd& start) = 0;
};

// One row of the meal list.
struct MealRow {
  Ymd date;
  bool dayRow = true;
  size_t event = 0;  // an event row's place in the event block
};

// Program texts.
inline constexpr const char* kMonthShortNames = "Jan,Feb,Mar,Apr,May,Jun,Jul,Aug,Sep,Oct,Nov,Dec";
inline constexpr const char* kNoRecipesSelected = "No recipes have been selected.";
inline constexpr const char* kNoMealSelected = "No meal has been selected";
inline constexpr const char* kNoMealsOnCalendar = "No meals on the calendar";
inline constexpr const char* kNoMealsSelected = "No meals selected";
inline constexpr const char* kNoMealsHaveBeenSelected = "No meals have been selected";
inline constexpr const char* kRecipeNoLongerExists = "The recipe you selected no longer exists.";

// "January".."December" and "Jan".."Dec" (month 1-12; "" outside).
std::string MonthName(int month);
std::string MonthShortName(int month);
// The event form's date button: "Wednesday, December 9, 2026".
std::string FormDateText(const Ymd& d);
// A day row's second line: "Dec 9, 2026".
std::string DayRowDateText(const Ymd& d);

class MealPlanner {
 public:
  static constexpr int kWindowDays = 200;

  MealPlanner(MealCalendar& calendar, Collection& collection, Dialogs& dialogs, MealForms& forms);

  MealCalendar& calendar() { return cal_; }
  // Today's date; tests set their own.
  std::function<Ymd()> today = [] { return Today(); };

  // The window and its rows.
  Ymd start;
  bool built = false;
  std::vector<MealRow> rows;
  int selected = 0;
  int todayRow = -1;
  // Set by a build or a jump: the row the list should show at its top
  // (-1 none), and the row it should scroll into view (-1 none). The screen
  // takes and clears them.
  int topRequest = -1;
  int showRequest = -1;

  // Rebuilds the rows ("Build Meal List"); the first build starts the
  // window 14 days before today and selects today's row.
  void BuildMealList();
  // Moves the window so that it holds the date, and rebuilds.
  void ShowDate(const Ymd& date);
  // The window starts 14 days before the date; its day row is selected.
  void GotoDate(const Ymd& date);
  int DayRowOf(const Ymd& date) const;
  int RowOfEventId(int64_t id) const;
  // Selects the event row of that event id, moving the window to its date.
  void SelectEvent(int64_t id);
  bool IsEventRow(int row) const { return row >= 0 && row < int(rows.size()) && !rows[size_t(row)].dayRow; }
  EventRecord EventAt(int row) const { return cal_.Event(rows[size_t(row)].event); }
  // An event row shows its meal time unless the row above is an event of
  // the same day with the same meal time.
  bool ShowsMealTime(int row) const;

  // Selecting a row: an event row is marked and every other mark cleared,
  // unless `keepMarks` (Ctrl).
  void SelectRow(int row, bool keepMarks);
  void ToggleMark(int row);
  bool AllMarked() const;
  // Clears every mark when all are marked, otherwise marks every event.
  void MarkAll();
  int MarkedCount() const;

  // Commands.
  void AddMealsFromRecipes();
  // kind 0: a note on `date`; kind 1: the current record as a meal.
  bool AddEvent(const Ymd& date, int kind);
  void EditSelectedEvent();
  void DeleteMarkedMeals();
  void MoveMarkedMeals() { MoveOrCopyMarked(false); }
  void CopyMarkedMeals() { MoveOrCopyMarked(true); }
  // Drops the event of `fromRow` on the date of `toRow`: moved, or copied
  // with a new event id.
  void DropEvent(int fromRow, int toRow, bool copy);
  void GotoFirstMeal() { GotoEndMeal(true); }
  void GotoLastMeal() { GotoEndMeal(false); }
  // Chooses "Recipes Selected For Meals" and makes the recipe with that
  // record ID current; false (with the message) when it no longer exists.
  bool OpenMealRecipe(int64_t recipeId);

  // Keys: Up/Down one row (past an end the window shifts 60 days), Page
  // Up/Down seven days, Home/End the ends, Left/Right the first day of the
  // previous or next month.
  void MoveSelection(int delta, bool keepMarks);
  void PageDays(int days, bool keepMarks);
  void GotoMonth(int delta);

 private:
  Ymd RowDate(int row) const { return rows[size_t(row)].date; }
  int64_t SelectedEventId() const;
  void MoveOrCopyMarked(bool copy);
  void GotoEndMeal(bool first);
  EventRecord NewEvent(const Ymd& date, int kind);
  void ClearMarks();

  MealCalendar& cal_;
  Collection& db_;
  Dialogs& dialogs_;
  MealForms& forms_;
};

}  // namespace pantrela
