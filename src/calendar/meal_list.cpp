#include "calendar/meal_list.h"

#include <algorithm>

#include "foundation/numtext.h"

namespace pantrela {

namespace {

const char* const kMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};

}  // namespace

std::string MonthName(int month) { return month >= 1 && month <= 12 ? kMonthNames[month - 1] : ""; }
std::string MonthShortName(int month) {
  return month >= 1 && month <= 12 ? std::string(kMonthShortNames + (month - 1) * 4, 3) : "";
}

std::string FormDateText(const Ymd& d) {
  return WeekdayName(d.year, d.month, d.day) + ", " + MonthName(d.month) + " " + Plain(d.day) + ", " +
         Format(d.year, "0000");
}

std::string DayRowDateText(const Ymd& d) {
  return MonthShortName(d.month) + " " + Plain(d.day) + ", " + Format(d.year, "0000");
}

MealPlanner::MealPlanner(MealCalendar& calendar, Collection& collection, Dialogs& dialogs, MealForms& forms)
    : cal_(calendar), db_(collection), dialogs_(dialogs), forms_(forms) {}

// ----- the rows -----

void MealPlanner::BuildMealList() {
  cal_.EnsureLoaded();
  const bool first = !built;
  const Ymd now = today();
  if (first) start = AddDays(now, -14);
  const int first_day = DayNumber(start);
  // The events of each day of the window, in block order.
  std::vector<std::vector<size_t>> days(kWindowDays);
  for (size_t i = 0; i < cal_.count(); ++i) {
    const Ymd d = UnpackDate(cal_.PackedDate(i));
    if (!IsValidDate(d.year, d.month, d.day)) continue;
    const int k = DayNumber(d) - first_day;
    if (k >= 0 && k < kWindowDays) days[size_t(k)].push_back(i);
  }
  rows.clear();
  rows.reserve(size_t(kWindowDays) + cal_.count());
  todayRow = -1;
  for (int k = 0; k < kWindowDays; ++k) {
    const Ymd d = DateOfDayNumber(first_day + k);
    if (d == now) todayRow = int(rows.size());
    rows.push_back({d, true, 0});
    for (size_t e : days[size_t(k)]) rows.push_back({d, false, e});
  }
  db_.ctx().Log("Build Meal List: " + Spaced(int64_t(rows.size())));
  db_.ctx().Log("Build Meal List - Total Events: " + Spaced(int64_t(cal_.count())));
  selected = std::clamp(selected, 0, int(rows.size()) - 1);
  if (first && todayRow >= 0) {
    selected = todayRow;
    topRequest = std::max(0, DayRowOf(AddDays(now, -1)));
  }
  built = true;
}

void MealPlanner::ShowDate(const Ymd& date) {
  const int k = DayNumber(date) - DayNumber(start);
  if (k < 0) start = AddDays(date, -14);
  else if (k >= kWindowDays) start = AddDays(date, -186);
  BuildMealList();
}

void MealPlanner::GotoDate(const Ymd& date) {
  built = true;
  start = AddDays(date, -14);
  BuildMealList();
  selected = std::max(0, DayRowOf(date));
  topRequest = selected;
}

int MealPlanner::DayRowOf(const Ymd& date) const {
  for (size_t r = 0; r < rows.size(); ++r)
    if (rows[r].dayRow && rows[r].date == date) return int(r);
  return -1;
}

int MealPlanner::RowOfEventId(int64_t id) const {
  for (size_t r = 0; r < rows.size(); ++r)
    if (!rows[r].dayRow && cal_.EventId(rows[r].event) == id) return int(r);
  return -1;
}

void MealPlanner::SelectEvent(int64_t id) {
  for (size_t i = 0; i < cal_.count(); ++i) {
    if (cal_.EventId(i) != id) continue;
    const Ymd d = UnpackDate(cal_.PackedDate(i));
    if (IsValidDate(d.year, d.month, d.day)) ShowDate(d);
    break;
  }
  const int row = RowOfEventId(id);
  if (row >= 0) {
    selected = row;
    showRequest = row;
  }
}

bool MealPlanner::ShowsMealTime(int row) const {
  if (!IsEventRow(row)) return false;
  if (!IsEventRow(row - 1)) return true;
  const MealRow& above = rows[size_t(row - 1)];
  const MealRow& me = rows[size_t(row)];
  return !(above.date == me.date && EventAt(row - 1).mealTime == EventAt(row).mealTime);
}

int64_t MealPlanner::SelectedEventId() const {
  return IsEventRow(selected) ? cal_.EventId(rows[size_t(selected)].event) : 0;
}

// ----- marks -----

void MealPlanner::ClearMarks() {
  for (size_t i = 0; i < cal_.count(); ++i) cal_.SetMarked(i, false);
}

void MealPlanner::SelectRow(int row, bool keepMarks) {
  if (row < 0 || row >= int(rows.size())) return;
  selected = row;
  if (!IsEventRow(row)) return;
  if (!keepMarks) ClearMarks();
  cal_.SetMarked(rows[size_t(row)].event, true);
}

void MealPlanner::ToggleMark(int row) {
  if (!IsEventRow(row)) return;
  const size_t e = rows[size_t(row)].event;
  cal_.SetMarked(e, !cal_.Marked(e));
}

bool MealPlanner::AllMarked() const {
  if (cal_.count() == 0) return false;
  for (size_t i = 0; i < cal_.count(); ++i)
    if (!cal_.Marked(i)) return false;
  return true;
}

void MealPlanner::MarkAll() {
  const bool on = !AllMarked();
  for (size_t i = 0; i < cal_.count(); ++i) cal_.SetMarked(i, on);
}

int MealPlanner::MarkedCount() const {
  int n = 0;
  for (size_t i = 0; i < cal_.count(); ++i) n += cal_.Marked(i) ? 1 : 0;
  return n;
}

// ----- commands -----

EventRecord MealPlanner::NewEvent(const Ymd& date, int kind) {
  EventRecord e;
  e.id = db_.ctx().ids.Make();
  e.setDate(date);
  e.mealTime = db_.ctx().settings.meal_time;
  e.kind = kind;
  return e;
}

void MealPlanner::AddMealsFromRecipes() {
  db_.ctx().Log("Add Meals");
  std::vector<uint32_t> ticked;
  for (uint32_t e : db_.recipeList().entries)
    if (db_.IsChecked(e)) ticked.push_back(e);
  if (ticked.empty()) {
    dialogs_.Message(kNoRecipesSelected, "OK", 1);
    return;
  }
  if (dialogs_.Message("Do you want to add the selected|recipes to the meal calendar?", "OK|Cancel", 1) != 1) return;
  cal_.EnsureLoaded();
  const Ymd now = today();
  int64_t last = 0;
  dialogs_.ProgressOpen();
  for (size_t i = 0; i < ticked.size(); ++i) {
    dialogs_.ProgressUpdate("Adding Meals to Calendar", "", double(i), double(ticked.size()));
    const EntryView v = db_.Entry(ticked[i]);
    EventRecord e = NewEvent(now, kEventMeal);
    e.recipeId = v.recordId();
    e.title = std::string(v.title().substr(0, kEventTitleMax));
    cal_.Append(e);
    last = e.id;
  }
  dialogs_.ProgressClose();
  cal_.SortAndSaveEvents();
  BuildMealList();
  SelectEvent(last);
}

bool MealPlanner::AddEvent(const Ymd& date, int kind) {
  cal_.EnsureLoaded();
  EventRecord e = NewEvent(date, kind);
  if (kind == kEventMeal) {
    e.recipeId = db_.current().recordId();
    e.title = db_.current().title.substr(0, kEventTitleMax);
  }
  if (!forms_.EditEventForm(kind == kEventMeal ? "Add Recipe To Meal Calendar" : "Add Note", e)) return false;
  cal_.Append(e);
  cal_.SortAndSaveEvents();
  BuildMealList();
  SelectEvent(e.id);
  return true;
}

void MealPlanner::EditSelectedEvent() {
  if (!IsEventRow(selected)) {
    dialogs_.Message(kNoMealSelected, "OK", 1);
    return;
  }
  const size_t at = rows[size_t(selected)].event;
  EventRecord copy = cal_.Event(at);
  if (!forms_.EditEventForm(copy.kind == kEventNote ? "Edit Note" : "Edit Meal", copy)) return;
  cal_.SetEvent(at, copy);
  cal_.SortAndSaveEvents();
  ShowDate(copy.date());
  SelectEvent(copy.id);
}

void MealPlanner::DeleteMarkedMeals() {
  if (cal_.count() == 0) {
    dialogs_.Message(kNoMealsOnCalendar, "OK", 1);
    return;
  }
  const int marked = MarkedCount();
  if (marked == 0) {
    dialogs_.Message(kNoMealsSelected, "OK", 1);
    return;
  }
  if (dialogs_.Message("Do you want to delete the " + Fmt(marked) + " selected meals from the calendar?",
                       "OK|Cancel", 1) != 1)
    return;
  const Ymd was = rows.empty() ? today() : RowDate(std::clamp(selected, 0, int(rows.size()) - 1));
  cal_.DeleteMarkedEvents();
  BuildMealList();
  const int row = DayRowOf(was);
  if (row >= 0) selected = row;
}

void MealPlanner::MoveOrCopyMarked(bool copy) {
  if (MarkedCount() == 0) {
    dialogs_.Message(kNoMealsSelected, "OK", 1);
    return;
  }
  const std::optional<Ymd> to = forms_.PickDate(today());
  if (!to) return;
  int64_t last = 0;
  // Only the marked events that have a row in the window.
  std::vector<size_t> handled;
  for (const MealRow& r : rows)
    if (!r.dayRow && cal_.Marked(r.event)) handled.push_back(r.event);
  for (size_t i : handled) {
    EventRecord e = cal_.Event(i);
    e.setDate(*to);
    if (copy) {
      e.id = db_.ctx().ids.Make();
      cal_.Append(e);
    } else {
      cal_.SetEvent(i, e);
    }
    last = e.id;
  }
  cal_.SortAndSaveEvents();
  ShowDate(*to);
  if (last) SelectEvent(last);
}

void MealPlanner::DropEvent(int fromRow, int toRow, bool copy) {
  if (!IsEventRow(fromRow) || toRow < 0 || toRow >= int(rows.size())) return;
  const Ymd to = RowDate(toRow);
  const size_t at = rows[size_t(fromRow)].event;
  EventRecord e = cal_.Event(at);
  if (!copy && e.date() == to) return;
  e.setDate(to);
  if (copy) {
    e.id = db_.ctx().ids.Make();
    cal_.Append(e);
  } else {
    cal_.SetEvent(at, e);
  }
  cal_.SortAndSaveEvents();
  BuildMealList();
  SelectEvent(e.id);
}

void MealPlanner::GotoEndMeal(bool first) {
  if (!built) {
    dialogs_.Message("Meal List Error", "OK", 1);
    return;
  }
  std::optional<Ymd> found;
  for (size_t k = 0; k < cal_.count(); ++k) {
    const size_t i = first ? k : cal_.count() - 1 - k;
    const Ymd d = UnpackDate(cal_.PackedDate(i));
    if (IsValidDate(d.year, d.month, d.day)) {
      found = d;
      break;
    }
  }
  const Ymd date = found ? *found : today();
  const int k = DayNumber(date) - DayNumber(start);
  if (k < 0 || k >= kWindowDays) GotoDate(date);
  const int day = DayRowOf(date);
  if (day < 0) return;
  selected = IsEventRow(day + 1) ? day + 1 : day;
  showRequest = selected;
}

bool MealPlanner::OpenMealRecipe(int64_t recipeId) {
  db_.ChooseChapter(kChapterMeals);
  db_.BuildRecipeList();
  ListModel& L = db_.recipeList();
  for (size_t i = 0; i < L.entries.size(); ++i) {
    if (db_.Entry(L.entries[i]).recordId() != recipeId) continue;
    for (uint32_t e : L.entries) db_.SetChecked(e, false);
    L.current = int(i);
    db_.SetChecked(L.entries[i], true);
    return true;
  }
  dialogs_.Message(kRecipeNoLongerExists, "OK", 1);
  return false;
}

// ----- keys -----

void MealPlanner::MoveSelection(int delta, bool keepMarks) {
  if (rows.empty()) return;
  const int to = selected + delta;
  if (to < 0 || to >= int(rows.size())) {
    // Past an end of the window: it moves 60 days and the selection goes
    // on to the neighbouring day.
    const Ymd was = RowDate(selected);
    start = AddDays(start, delta < 0 ? -60 : 60);
    BuildMealList();
    const Ymd next = AddDays(was, delta < 0 ? -1 : 1);
    int row = DayRowOf(next);
    if (delta < 0)
      while (row + 1 < int(rows.size()) && !rows[size_t(row + 1)].dayRow) ++row;
    SelectRow(std::max(0, row), keepMarks);
  } else {
    SelectRow(to, keepMarks);
  }
  showRequest = selected;
}

void MealPlanner::PageDays(int days, bool keepMarks) {
  if (rows.empty()) return;
  const Ymd target = AddDays(RowDate(selected), days);
  ShowDate(target);
  SelectRow(std::max(0, DayRowOf(target)), keepMarks);
  showRequest = selected;
}

void MealPlanner::GotoMonth(int delta) {
  Ymd d = rows.empty() ? today() : RowDate(selected);
  const int months = d.year * 12 + (d.month - 1) + delta;
  GotoDate({months / 12, months % 12 + 1, 1});
}

}  // namespace pantrela
