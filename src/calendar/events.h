// The meal calendar file "Event860.dat": fixed 100-byte event records, one
// after the other with no header, held in memory as one block while the
// calendar is used and always written back sorted by date, meal time and
// title. This header has the record layout, the meal-time table and the
// block with its loading and saving.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

#include "database/collection.h"
#include "foundation/bytes.h"
#include "foundation/context.h"
#include "foundation/dates.h"

namespace pantrela {

// Record layout (little-endian):
//
//   Offset  Size  Meaning
//   ------  ----  ------------------------------------------------------
//      0      8   event id (a record ID made when the event is created)
//      8      2   year
//     10      1   month, 1-12
//     11      1   day, 1-31
//     12      1   meal-time code (kMealTimes)
//     13      1   kind: 0 note, 1 meal (a recipe), 3 deleted
//     14      1   flags: bit 0 marked
//     15      1   0
//     16      8   the recipe's record ID for a meal, 0 for a note
//     24     76   title, zero-terminated, at most 75 characters
inline constexpr size_t kEventSize = 100;
inline constexpr size_t kEvId = 0;
inline constexpr size_t kEvYear = 8;
inline constexpr size_t kEvMonth = 10;
inline constexpr size_t kEvDay = 11;
inline constexpr size_t kEvMealTime = 12;
inline constexpr size_t kEvKind = 13;
inline constexpr size_t kEvFlags = 14;
inline constexpr size_t kEvRecipeId = 16;
inline constexpr size_t kEvTitle = 24;
inline constexpr size_t kEventTitleMax = 75;
static_assert(kEvTitle + kEventTitleMax + 1 == kEventSize);

inline constexpr uint8_t kEventNote = 0;
inline constexpr uint8_t kEventMeal = 1;
inline constexpr uint8_t kEventDeleted = 3;
inline constexpr uint8_t kEventMarked = 1;

// The meal times in menu order: the position decides how the events of one
// day are ordered; the code is what a record stores.
struct MealTimeInfo {
  int code;
  const char* name;
};
inline constexpr int kMealTimeCount = 48;
extern const std::array<MealTimeInfo, kMealTimeCount> kMealTimes;

// Name and menu position of a code; a code not in the table has the empty
// name and position 0.
std::string MealTimeName(int code);
int MealTimePosition(int code);
// The code at a menu position (0 outside the table).
int MealTimeCode(int position);
// The code of a name, compared without regard to case; -1 when none.
int MealTimeCodeOfName(std::string_view name);

// One event as values.
struct EventRecord {
  int64_t id = 0;
  int year = 0, month = 0, day = 0;
  int mealTime = 0;
  int kind = kEventNote;
  int flags = 0;
  int64_t recipeId = 0;
  std::string title;  // at most 75 characters

  Ymd date() const { return {year, month, day}; }
  void setDate(const Ymd& d) {
    year = d.year;
    month = d.month;
    day = d.day;
  }
  bool marked() const { return flags & kEventMarked; }
  // The 100 bytes of the record: every byte not named above is 0.
  std::string Bytes() const;
  static EventRecord FromBytes(const ByteImage& block, size_t offset);
};

// Date, meal-time position and lower-cased title: "2026120903dinner".
std::string EventSortKey(const EventRecord& e);

// The event block and the file behind it.
class MealCalendar : public MealPlanSource {
 public:
  explicit MealCalendar(AppContext& ctx) : ctx_(ctx) {}

  AppContext& ctx() { return ctx_; }
  bool loaded() const { return loaded_; }
  size_t count() const { return block_.size() / kEventSize; }
  const ByteImage& block() const { return block_; }

  EventRecord Event(size_t i) const { return EventRecord::FromBytes(block_, i * kEventSize); }
  void SetEvent(size_t i, const EventRecord& e);
  // Appends an event at the end of the block; returns its place.
  size_t Append(const EventRecord& e);
  bool Marked(size_t i) const { return block_.Get8(i * kEventSize + kEvFlags) & kEventMarked; }
  void SetMarked(size_t i, bool on);
  int32_t PackedDate(size_t i) const;
  int64_t EventId(size_t i) const { return block_.Get64(i * kEventSize + kEvId); }

  // Reads "Event860.dat" into the block ("Load Events"). A missing file is
  // an empty calendar. Deleted records are not kept; a torn last record,
  // impossible dates and unknown kinds are logged and left out; a title
  // without its terminating zero is cut to 75 characters.
  void LoadEvents();
  // Loads the block when it is not loaded yet.
  void EnsureLoaded() override;
  // Sorts the block by EventSortKey, drops records with a zero date part or
  // of kind 3, rewrites the file (a temporary file synced and renamed over
  // it) and reloads. A failed write is reported; the block is then read
  // back from the file, so it shows what is stored. False when it failed.
  bool SortAndSaveEvents();
  // Every marked event becomes deleted, then SortAndSaveEvents.
  bool DeleteMarkedEvents();
  // Reads the file again after something else replaced it (a restore).
  void ReloadEvents() { LoadEvents(); }

  // A meal whose recipe has this record ID is on the calendar.
  bool IsPlanned(int64_t recordId) const override;

 private:
  void RebuildPlanned();

  AppContext& ctx_;
  ByteImage block_;
  bool loaded_ = false;
  std::unordered_set<int64_t> planned_;
};

// Start-up: converts "event40.dat" when there is no "Event860.dat" yet
// (matching titles against the collection's master index), loads the block
// and makes it the collection's meal-plan source.
void OpenMealCalendar(MealCalendar& calendar, Collection& collection);

// The previous generation's meal file: 100-byte entries with year (offset 4),
// month, day, kind (8), a counted title (14) and the meal-time code (98).
// Converts "event40.dat" of the data folder into "Event860.dat" when only
// the former exists ("Updating Meal Database"). Titles are matched with the
// master index's recipe titles, lower-cased and cut to 75; the first entry in
// index order wins, an unmatched one keeps a fresh record ID. The old file
// stays. False when the new file could not be written (reported; nothing is
// left under its name).
bool UpgradeMealFile(AppContext& ctx, const ByteImage& masterIndex, Dialogs& dialogs);
// The name of the previous generation's file in the data folder.
std::string OldMealFilePath(const FileTable& files);

}  // namespace pantrela
