// Event records and old meal entries laid out byte by byte, and a
// collection with a calendar on a fresh data folder with scripted dialogs.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>

#include "calendar/events.h"
#include "calendar/meal_list.h"
#include "database/collection.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

namespace pantrela::testing {

inline std::string LE(uint64_t v, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
  return s;
}

// One "Event860.dat" record: id, year, month, day, meal time, kind, flags,
// a zero byte, the recipe ID and the title padded with zeros to 76 bytes.
inline std::string Ev(int64_t id, int y, int m, int d, int time, int kind, int flags, int64_t recipe,
                      const std::string& title) {
  std::string r = LE(uint64_t(id), 8) + LE(uint64_t(y), 2) + char(m) + char(d) + char(time) + char(kind) +
                  char(flags) + '\0' + LE(uint64_t(recipe), 8) + title;
  r.resize(100, '\0');
  return r;
}

// One "event40.dat" entry: 4 unread bytes, year, month, day, kind, 5 unread
// bytes, a counted title, the meal-time code at 98.
inline std::string OldEv(int y, int m, int d, int kind, const std::string& title, int time) {
  std::string r = "\x11\x22\x33\x44" + LE(uint64_t(y), 2) + char(m) + char(d) + char(kind) + "\x55\x55\x55\x55\x55" +
                  char(title.size()) + title;
  r.resize(98, '\x66');
  r += char(time);
  r += '\x77';
  return r;
}

// Date pickers and event forms answered from queues; every title shown is
// kept.
class ScriptedForms : public MealForms {
 public:
  // Each answer changes the event (or cancels with nullopt).
  std::deque<std::optional<EventRecord>> events;
  std::deque<std::optional<Ymd>> dates;
  std::vector<std::string> titles;
  std::vector<Ymd> pickerStarts;
  bool EditEventForm(const std::string& title, EventRecord& e) override {
    titles.push_back(title);
    if (events.empty()) return true;
    std::optional<EventRecord> a = events.front();
    events.pop_front();
    if (!a) return false;
    const int64_t id = e.id, recipe = e.recipeId;
    const int kind = e.kind;
    e = *a;
    e.id = id;
    e.recipeId = recipe;
    e.kind = kind;
    return true;
  }
  std::optional<Ymd> PickDate(const Ymd& start) override {
    pickerStarts.push_back(start);
    if (dates.empty()) return std::nullopt;
    std::optional<Ymd> d = dates.front();
    dates.pop_front();
    return d;
  }
};

class CalendarTest : public ::testing::Test {
 protected:
  CalendarTest() {
    ctx.SetFolders(dir.path(), dir.path());
    ctx.SetDialogs(&dialogs);
    planner.today = [this] { return today; };
  }
  std::string Log() const { return ReadBytes(ctx.files.statusLog); }
  // Appends a recipe to the collection; returns its record ID.
  int64_t AddRecipe(const std::string& title) {
    db.ClearCurrent();
    auto& r = db.current();
    r.title = title;
    r.setChapterKey(kChapterAll);
    r.setKind(0);
    const int64_t id = ctx.ids.Make();
    r.setRecordId(id);
    db.AppendCurrent();
    return id;
  }
  std::vector<std::string> Titles() const {
    std::vector<std::string> out;
    for (size_t i = 0; i < cal.count(); ++i) out.push_back(cal.Event(i).title);
    return out;
  }

  TempDir dir;
  AppContext ctx;
  ScriptedDialogs dialogs;
  Collection db{ctx};
  MealCalendar cal{ctx};
  ScriptedForms forms;
  Ymd today{2026, 12, 9};
  MealPlanner planner{cal, db, dialogs, forms};
};

}  // namespace pantrela::testing
