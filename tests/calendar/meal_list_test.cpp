// The meal list and the calendar's operations, without a window.
#include <map>

#include "calendar_fixture.h"
#include "foundation/file.h"
#include "platform/window.h"

namespace pantrela::testing {
namespace {

class PlannerTest : public CalendarTest {
 protected:
  // Recipes in the collection, every one ticked in "All Recipes".
  void TickedRecipes(const std::vector<std::string>& titles) {
    for (const auto& t : titles) ids[t] = AddRecipe(t);
    ASSERT_TRUE(db.BuildIndexFromRecipeFile());
    db.BuildChapterList();
    db.ChooseChapter(kChapterAll);
    db.BuildRecipeList();
    for (uint32_t e : db.recipeList().entries) db.SetChecked(e, true);
  }
  void Events(const std::string& bytes) {
    WriteBytes(ctx.files.meal, bytes);
    cal.LoadEvents();
    planner.BuildMealList();
  }
  int RowOf(const std::string& title) const {
    for (size_t r = 0; r < planner.rows.size(); ++r)
      if (!planner.rows[r].dayRow && cal.Event(planner.rows[r].event).title == title) return int(r);
    return -1;
  }
  std::map<std::string, int64_t> ids;
};

TEST_F(PlannerTest, TickedRecipesBecomeMealsTodayInTitleOrder) {
  TickedRecipes({"Cherry Tart", "Apple Pie", "Banana Bread"});
  ctx.settings.meal_time = 18;
  planner.BuildMealList();
  planner.AddMealsFromRecipes();
  EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{"Do you want to add the selected|recipes to the meal calendar?"});
  ASSERT_EQ(Titles(), (std::vector<std::string>{"Apple Pie", "Banana Bread", "Cherry Tart"}));
  for (size_t i = 0; i < 3; ++i) {
    const EventRecord e = cal.Event(i);
    EXPECT_EQ(e.date(), today);
    EXPECT_EQ(e.mealTime, 18);
    EXPECT_EQ(e.kind, kEventMeal);
    EXPECT_EQ(e.flags, 0);
    EXPECT_EQ(e.recipeId, ids[e.title]);
  }
  EXPECT_EQ(ReadBytes(ctx.files.meal).size(), 300u);
  EXPECT_NE(Log().find("Add Meals\r\n"), std::string::npos);
  // The last one added is selected: the list order ends with Cherry Tart.
  ASSERT_TRUE(planner.IsEventRow(planner.selected));
  EXPECT_EQ(planner.EventAt(planner.selected).title, "Cherry Tart");

  // "Recipes Selected For Meals" lists exactly them, also after a restart.
  TickedRecipes({"Unplanned Soup"});
  AppContext again;
  again.SetFolders(dir.path(), dir.path());
  again.SetDialogs(&dialogs);
  Collection db2(again);
  MealCalendar cal2(again);
  db2.LoadMasterIndex();
  OpenMealCalendar(cal2, db2);
  db2.ChooseChapter(kChapterMeals);
  db2.BuildRecipeList();
  std::vector<std::string> planned;
  for (uint32_t e : db2.recipeList().entries) planned.emplace_back(db2.Entry(e).title());
  EXPECT_EQ(planned, (std::vector<std::string>{"Apple Pie", "Banana Bread", "Cherry Tart"}));

  // Nothing ticked, or Cancel: nothing is added.
  for (uint32_t e : db.recipeList().entries) db.SetChecked(e, false);
  dialogs.shown.clear();
  planner.AddMealsFromRecipes();
  EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{"No recipes have been selected."});
  db.SetChecked(db.recipeList().entries[0], true);
  dialogs.buttons = {2};
  planner.AddMealsFromRecipes();
  EXPECT_EQ(cal.count(), 3u);
}

TEST_F(PlannerTest, TheFirstBuildShowsTwoHundredDaysFromTwoWeeksBack) {
  Events(Ev(1, 2026, 12, 9, 18, 1, 0, 5, "Stew") + Ev(2, 2026, 12, 9, 18, 0, 0, 0, "Bread too") +
         Ev(3, 2026, 12, 9, 13, 0, 0, 0, "Walk") + Ev(4, 2027, 9, 1, 0, 0, 0, 0, "outside"));
  EXPECT_EQ(planner.start, (Ymd{2026, 11, 25}));
  ASSERT_EQ(planner.rows.size(), 203u);
  EXPECT_EQ(planner.rows.back().date, (Ymd{2027, 6, 12}));
  EXPECT_EQ(planner.todayRow, 14);
  EXPECT_EQ(planner.selected, 14);
  EXPECT_EQ(planner.topRequest, 13);
  // Block order within the day; the meal time shows once per run.
  EXPECT_EQ(RowOf("Stew"), 15);
  EXPECT_EQ(RowOf("Bread too"), 16);
  EXPECT_EQ(RowOf("Walk"), 17);
  EXPECT_TRUE(planner.ShowsMealTime(15));
  EXPECT_FALSE(planner.ShowsMealTime(16));
  EXPECT_TRUE(planner.ShowsMealTime(17));
  EXPECT_EQ(RowOf("outside"), -1);
  EXPECT_NE(Log().find("Build Meal List:  203\r\n"), std::string::npos);

  // Later builds keep the window; ShowDate moves it only when needed.
  planner.ShowDate({2027, 9, 1});
  EXPECT_EQ(planner.start, AddDays({2027, 9, 1}, -186));
  planner.ShowDate({2026, 12, 1});
  EXPECT_EQ(planner.start, (Ymd{2026, 11, 17}));
  planner.GotoDate({2027, 3, 1});
  EXPECT_EQ(planner.start, (Ymd{2027, 2, 15}));
  EXPECT_EQ(planner.rows[size_t(planner.selected)].date, (Ymd{2027, 3, 1}));
}

TEST_F(PlannerTest, MarkingBySelectionCtrlSpaceAndSelectAll) {
  Events(Ev(1, 2026, 12, 9, 18, 1, 0, 5, "Stew") + Ev(2, 2026, 12, 10, 18, 1, 0, 6, "Pie") +
         Ev(3, 2027, 9, 1, 0, 0, 0, 0, "far"));
  planner.SelectRow(RowOf("Stew"), false);
  planner.SelectRow(RowOf("Pie"), false);
  EXPECT_FALSE(cal.Marked(0));
  EXPECT_TRUE(cal.Marked(1));
  planner.SelectRow(RowOf("Stew"), true);
  EXPECT_TRUE(cal.Marked(0) && cal.Marked(1));
  planner.ToggleMark(RowOf("Stew"));
  EXPECT_FALSE(cal.Marked(0));
  // Selecting a day row leaves the marks.
  planner.SelectRow(0, false);
  EXPECT_TRUE(cal.Marked(1));
  EXPECT_FALSE(planner.AllMarked());
  planner.MarkAll();
  EXPECT_TRUE(planner.AllMarked());  // the one outside the window too
  planner.MarkAll();
  EXPECT_EQ(planner.MarkedCount(), 0);
}

TEST_F(PlannerTest, MoveTouchesMarkedMealsOfTheWindowDeleteEveryMarkedMeal) {
  Events(Ev(1, 2026, 12, 9, 18, 1, 1, 5, "Stew") + Ev(2, 2026, 12, 9, 18, 1, 0, 6, "Pie") +
         Ev(3, 2028, 1, 1, 0, 0, 1, 0, "far"));
  forms.dates = {Ymd{2026, 12, 20}};
  planner.MoveMarkedMeals();
  EXPECT_EQ(forms.pickerStarts, std::vector<Ymd>{today});
  EXPECT_EQ(cal.Event(0).title, "Pie");
  EXPECT_EQ(cal.Event(1).title, "Stew");
  EXPECT_EQ(cal.Event(1).date(), (Ymd{2026, 12, 20}));
  EXPECT_EQ(cal.Event(2).date(), (Ymd{2028, 1, 1}));
  EXPECT_EQ(planner.EventAt(planner.selected).title, "Stew");

  // Copy: the marked one stays and a copy with a new id joins it.
  forms.dates = {Ymd{2026, 12, 21}};
  planner.CopyMarkedMeals();
  ASSERT_EQ(cal.count(), 4u);
  EXPECT_EQ(cal.Event(2).date(), (Ymd{2026, 12, 21}));
  EXPECT_NE(cal.Event(2).id, 1);
  // A cancelled picker changes nothing.
  planner.MoveMarkedMeals();
  EXPECT_EQ(cal.count(), 4u);

  dialogs.shown.clear();
  planner.DeleteMarkedMeals();
  EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{"Do you want to delete the 3 selected meals from the calendar?"});
  EXPECT_EQ(Titles(), std::vector<std::string>{"Pie"});
  EXPECT_EQ(ReadBytes(ctx.files.meal).size(), 100u);

  dialogs.shown.clear();
  planner.DeleteMarkedMeals();
  planner.MoveMarkedMeals();
  planner.SelectRow(0, false);
  planner.EditSelectedEvent();
  cal.DeleteMarkedEvents();
  cal.SetMarked(0, true);
  cal.DeleteMarkedEvents();
  planner.BuildMealList();
  planner.DeleteMarkedMeals();
  EXPECT_EQ(dialogs.Messages(), (std::vector<std::string>{"No meals selected", "No meals selected",
                                                          "No meal has been selected", "No meals on the calendar"}));
}

TEST_F(PlannerTest, DraggingMovesOrCopiesOneMeal) {
  Events(Ev(1, 2026, 12, 9, 18, 1, 0, 5, "Stew"));
  const int target = planner.DayRowOf({2026, 12, 12});
  planner.DropEvent(RowOf("Stew"), target, true);
  ASSERT_EQ(cal.count(), 2u);
  EXPECT_EQ(cal.Event(0).date(), today);
  EXPECT_EQ(cal.Event(0).id, 1);
  EXPECT_EQ(cal.Event(1).date(), (Ymd{2026, 12, 12}));
  EXPECT_NE(cal.Event(1).id, 1);
  EXPECT_EQ(cal.Event(1).recipeId, 5);
  planner.DropEvent(planner.RowOfEventId(1), planner.DayRowOf({2026, 12, 11}), false);
  EXPECT_EQ(cal.Event(0).id, 1);
  EXPECT_EQ(cal.Event(0).date(), (Ymd{2026, 12, 11}));
  EXPECT_EQ(planner.EventAt(planner.selected).id, 1);
}

TEST_F(PlannerTest, KeysWalkAndShiftTheWindowBySixtyDays) {
  Events(Ev(1, 2026, 12, 9, 18, 1, 0, 5, "Stew"));
  planner.selected = int(planner.rows.size()) - 1;
  const Ymd last = planner.rows.back().date;
  planner.MoveSelection(1, false);
  EXPECT_EQ(planner.start, (Ymd{2027, 1, 24}));
  EXPECT_TRUE(planner.rows[size_t(planner.selected)].dayRow);
  EXPECT_EQ(planner.rows[size_t(planner.selected)].date, AddDays(last, 1));
  planner.selected = 0;
  planner.MoveSelection(-1, false);
  EXPECT_EQ(planner.start, (Ymd{2026, 11, 25}));
  EXPECT_EQ(planner.rows[size_t(planner.selected)].date, (Ymd{2027, 1, 23}));

  planner.GotoDate(today);
  planner.MoveSelection(1, false);  // onto the meal, which gets marked
  EXPECT_TRUE(cal.Marked(0));
  planner.PageDays(7, false);
  EXPECT_EQ(planner.rows[size_t(planner.selected)].date, (Ymd{2026, 12, 16}));
  planner.GotoMonth(1);
  EXPECT_EQ(planner.rows[size_t(planner.selected)].date, (Ymd{2027, 1, 1}));
  planner.GotoMonth(-2);
  EXPECT_EQ(planner.rows[size_t(planner.selected)].date, (Ymd{2026, 11, 1}));
}

TEST_F(PlannerTest, NotesAreAddedAndEditedThroughTheForm) {
  planner.BuildMealList();
  EventRecord answer;
  answer.setDate({2026, 12, 24});
  answer.mealTime = 47;
  answer.title = "Carols";
  forms.events = {answer, std::nullopt};
  ASSERT_TRUE(planner.AddEvent({2026, 12, 10}, kEventNote));
  EXPECT_FALSE(planner.AddEvent({2026, 12, 10}, kEventNote));
  EXPECT_EQ(forms.titles, (std::vector<std::string>{"Add Note", "Add Note"}));
  ASSERT_EQ(cal.count(), 1u);
  EXPECT_EQ(cal.Event(0).kind, kEventNote);
  EXPECT_EQ(cal.Event(0).recipeId, 0);
  EXPECT_EQ(planner.EventAt(planner.selected).title, "Carols");
  answer.title = "Carols at eight";
  forms.events = {answer};
  planner.EditSelectedEvent();
  EXPECT_EQ(forms.titles.back(), "Edit Note");
  EXPECT_EQ(Titles(), std::vector<std::string>{"Carols at eight"});

  // The recipe on show, on today's date.
  TickedRecipes({"Roast"});
  db.LoadCurrent(uint64_t(db.Entry(db.recipeList().entries[0]).fileOffset()));
  forms.events = {std::nullopt};
  EXPECT_FALSE(planner.AddEvent(today, kEventMeal));
  EXPECT_EQ(forms.titles.back(), "Add Recipe To Meal Calendar");
}

TEST_F(PlannerTest, APlannedRecipeOpensThroughTheMealChapter) {
  TickedRecipes({"Apple Pie", "Beef Stew"});
  Events(Ev(1, 2026, 12, 9, 18, 1, 0, ids["Beef Stew"], "Beef Stew") + Ev(2, 2026, 12, 9, 18, 1, 0, 12345, "Gone"));
  db.SetMealPlanSource(&cal);
  ASSERT_TRUE(planner.OpenMealRecipe(ids["Beef Stew"]));
  EXPECT_EQ(db.CurrentChapterKey(), kChapterMeals);
  EXPECT_EQ(db.Entry(db.recipeList().entries[size_t(db.recipeList().current)]).title(), "Beef Stew");
  EXPECT_FALSE(planner.OpenMealRecipe(12345));
  EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{"The recipe you selected no longer exists."});

  planner.GotoLastMeal();
  EXPECT_EQ(planner.EventAt(planner.selected).title, "Beef Stew");
  Events(Ev(1, 2029, 5, 5, 18, 1, 0, 5, "Later"));
  planner.GotoFirstMeal();
  EXPECT_EQ(planner.start, (Ymd{2029, 4, 21}));
  EXPECT_EQ(planner.EventAt(planner.selected).title, "Later");
}

}  // namespace
}  // namespace pantrela::testing
