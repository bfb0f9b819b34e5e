#include "calendar/events.h"

#include <algorithm>
#include <cerrno>
#include <numeric>

#include "foundation/file.h"
#include "foundation/numtext.h"
#include "foundation/progress.h"
#include "ingredients/text_ops.h"

namespace pantrela {

const std::array<MealTimeInfo, kMealTimeCount> kMealTimes = {{
    {0, "Any Time"},       {6, "Breakfast"},       {12, "Lunch"},        {18, "Dinner"},
    {28, "Brunch"},        {29, "Appetizer"},      {30, "Entree"},       {31, "Side Dish"},
    {32, "Dessert"},       {33, "Snack"},          {34, "Drink"},        {35, "Hors d'euvre"},
    {36, "Starter Course"}, {37, "Soup Course"},   {38, "Main Course"},  {39, "Cheese Course"},
    {40, "Salad Course"},  {41, "Second Breakfast"}, {42, "Elevenses"},  {43, "Morning Tea"},
    {44, "Afternoon Tea"}, {45, "High Tea"},       {46, "Evening Meal"}, {47, "Supper"},
    {1, "1 am"},           {2, "2 am"},            {3, "3 am"},          {4, "4 am"},
    {5, "5 am"},           {25, "6 am"},           {7, "7 am"},          {8, "8 am"},
    {9, "9 am"},           {10, "10 am"},          {11, "11 am"},        {26, "12 pm"},
    {13, "1 pm"},          {14, "2 pm"},           {15, "3 pm"},         {16, "4 pm"},
    {17, "5 pm"},          {27, "6 pm"},           {19, "7 pm"},         {20, "8 pm"},
    {21, "9 pm"},          {22, "10 pm"},          {23, "11 pm"},        {24, "12 am"},
}};

namespace {

int PositionOfCode(int code) {
  for (int i = 0; i < kMealTimeCount; ++i)
    if (kMealTimes[size_t(i)].code == code) return i;
  return -1;
}

}  // namespace

std::string MealTimeName(int code) {
  const int p = PositionOfCode(code);
  return p < 0 ? std::string() : kMealTimes[size_t(p)].name;
}

int MealTimePosition(int code) { return std::max(0, PositionOfCode(code)); }

int MealTimeCode(int position) {
  return position >= 0 && position < kMealTimeCount ? kMealTimes[size_t(position)].code : 0;
}

int MealTimeCodeOfName(std::string_view name) {
  std::string wanted(textops::TrimSpaces(name));
  textops::LowerInPlace(wanted);
  for (const MealTimeInfo& m : kMealTimes) {
    std::string n = m.name;
    textops::LowerInPlace(n);
    if (n == wanted) return m.code;
  }
  return -1;
}

std::string EventRecord::Bytes() const {
  ByteImage b(kEventSize);
  b.Set64(kEvId, id);
  b.Set16(kEvYear, uint16_t(year));
  b.Set8(kEvMonth, uint8_t(month));
  b.Set8(kEvDay, uint8_t(day));
  b.Set8(kEvMealTime, uint8_t(mealTime));
  b.Set8(kEvKind, uint8_t(kind));
  b.Set8(kEvFlags, uint8_t(flags));
  b.Set64(kEvRecipeId, recipeId);
  b.PutBytes(kEvTitle, std::string_view(title).substr(0, kEventTitleMax));
  return std::string(b.view());
}

EventRecord EventRecord::FromBytes(const ByteImage& block, size_t o) {
  EventRecord e;
  e.id = block.Get64(o + kEvId);
  e.year = block.Get16(o + kEvYear);
  e.month = block.Get8(o + kEvMonth);
  e.day = block.Get8(o + kEvDay);
  e.mealTime = block.Get8(o + kEvMealTime);
  e.kind = block.Get8(o + kEvKind);
  e.flags = block.Get8(o + kEvFlags);
  e.recipeId = block.Get64(o + kEvRecipeId);
  const std::string raw = block.GetBytes(o + kEvTitle, kEventTitleMax + 1);
  e.title = raw.substr(0, std::min(raw.find('\0'), kEventTitleMax));
  return e;
}

std::string EventSortKey(const EventRecord& e) {
  std::string key = Format(e.year, "0000") + Format(e.month, "00") + Format(e.day, "00") +
                    Format(MealTimePosition(e.mealTime), "00");
  std::string title = e.title;
  textops::LowerInPlace(title);
  return key + title;
}

// ----- the block -----

void MealCalendar::SetEvent(size_t i, const EventRecord& e) {
  if (i >= count()) return;
  block_.PutBytes(i * kEventSize, e.Bytes());
}

size_t MealCalendar::Append(const EventRecord& e) {
  block_.Append(e.Bytes());
  if (e.kind == kEventMeal) planned_.insert(e.recipeId);
  return count() - 1;
}

void MealCalendar::SetMarked(size_t i, bool on) {
  const size_t at = i * kEventSize + kEvFlags;
  const uint8_t f = block_.Get8(at);
  block_.Set8(at, on ? uint8_t(f | kEventMarked) : uint8_t(f & ~kEventMarked));
}

int32_t MealCalendar::PackedDate(size_t i) const {
  const size_t o = i * kEventSize;
  return PackDate(block_.Get16(o + kEvYear), block_.Get8(o + kEvMonth), block_.Get8(o + kEvDay));
}

void MealCalendar::LoadEvents() {
  ctx_.Log("Load Events");
  block_.Free();
  loaded_ = true;
  std::string bytes;
  const std::string& path = ctx_.files.meal;
  // Only a readable regular file; a missing one is an empty calendar.
  if (!UnreadableReason(path).empty() || !ReadWholeFile(path, bytes)) {
    RebuildPlanned();
    return;
  }
  const size_t whole = bytes.size() / kEventSize;
  if (bytes.size() % kEventSize != 0)
    ctx_.Log("Load Events: the last " + Plain(int64_t(bytes.size() % kEventSize)) +
             " bytes are not a whole record and were left out");
  block_.bytes().reserve(whole * kEventSize);
  const ByteImage file(std::string_view(bytes).substr(0, whole * kEventSize));
  for (size_t r = 0; r < whole; ++r) {
    const size_t o = r * kEventSize;
    const int kind = file.Get8(o + kEvKind);
    if (kind == kEventDeleted) continue;
    const int y = file.Get16(o + kEvYear), m = file.Get8(o + kEvMonth), d = file.Get8(o + kEvDay);
    // A zero date part is kept (the next save drops it); a date that
    // cannot exist, or a kind the calendar does not know, is damage.
    const bool zeroPart = y == 0 || m == 0 || d == 0;
    if ((kind != kEventNote && kind != kEventMeal) || (!zeroPart && !IsValidDate(y, m, d))) {
      ctx_.Log("Load Events: record " + Plain(int64_t(r + 1)) + " is damaged (kind " + Plain(kind) + ", date " +
               Plain(y) + "-" + Plain(m) + "-" + Plain(d) + ") and was left out");
      continue;
    }
    const size_t at = block_.size();
    block_.Append(std::string_view(bytes).substr(o, kEventSize));
    if (file.GetBytes(o + kEvTitle, kEventSize - kEvTitle).find('\0') == std::string::npos) {
      ctx_.Log("Load Events: record " + Plain(int64_t(r + 1)) + " has a title without its end; cut to 75 characters");
      block_.Set8(at + kEventSize - 1, 0);
    }
  }
  RebuildPlanned();
}

void MealCalendar::EnsureLoaded() {
  if (!loaded_) LoadEvents();
}

bool MealCalendar::SortAndSaveEvents() {
  const size_t n = count();
  ctx_.Log("Build Event Sort Index: " + Spaced(int64_t(n)));
  std::vector<size_t> keep;
  std::vector<std::string> keys(n);
  keep.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    const EventRecord e = Event(i);
    if (e.year > 0 && e.month > 0 && e.day > 0 && e.kind != kEventDeleted) {
      keep.push_back(i);
      keys[i] = EventSortKey(e);
    }
  }
  ctx_.Log("Sort Event Index");
  std::stable_sort(keep.begin(), keep.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
  ctx_.Log("Save sorted events");
  std::string out;
  out.reserve(keep.size() * kEventSize);
  for (size_t i : keep) out.append(block_.view().substr(i * kEventSize, kEventSize));
  const bool ok = WriteFileAtomic(ctx_.files.meal, out);
  const int error = errno;
  ctx_.Log("Free Event Sort Index");
  if (!ok) {
    ReportWriteFailure(ctx_, ctx_.files.meal, error);
    LoadEvents();
    return false;
  }
  LoadEvents();
  return true;
}

bool MealCalendar::DeleteMarkedEvents() {
  for (size_t i = 0; i < count(); ++i)
    if (Marked(i)) block_.Set8(i * kEventSize + kEvKind, kEventDeleted);
  return SortAndSaveEvents();
}

bool MealCalendar::IsPlanned(int64_t recordId) const { return planned_.count(recordId) != 0; }

void MealCalendar::RebuildPlanned() {
  planned_.clear();
  for (size_t i = 0; i < count(); ++i)
    if (block_.Get8(i * kEventSize + kEvKind) == kEventMeal) planned_.insert(block_.Get64(i * kEventSize + kEvRecipeId));
}

// ----- the previous generation -----

std::string OldMealFilePath(const FileTable& files) { return files.dataFolder + "event40.dat"; }

bool UpgradeMealFile(AppContext& ctx, const ByteImage& index, Dialogs& dialogs) {
  const std::string oldPath = OldMealFilePath(ctx.files);
  if (Exists(ctx.files.meal) || !UnreadableReason(oldPath).empty()) return true;
  std::string old;
  if (!ReadWholeFile(oldPath, old)) return true;
  // The recipe titles, cut to 75 and lower-cased, with the first record ID
  // of each in index order.
  std::unordered_map<std::string, int64_t> titles;
  if (index.size() > 28 && IndexImageIsWalkable(index)) {
    for (uint32_t off : IndexEntryOffsets(index)) {
      EntryView e{&index, off};
      if (e.kind() != kKindRecipe && e.kind() != kKindInfo) continue;
      std::string t(e.title().substr(0, kEventTitleMax));
      textops::LowerInPlace(t);
      titles.emplace(std::move(t), e.recordId());
    }
  }
  const ByteImage file(old);
  std::string out;
  ProgressScope progress(dialogs);
  for (size_t q = 0; q + kEventSize <= file.size(); q += kEventSize) {
    progress.Update("Updating Meal Database", "", double(q), double(file.size()));
    const int kind = file.Get8(q + 8);
    if (kind != kEventNote && kind != kEventMeal) continue;
    EventRecord e;
    e.year = file.Get16(q + 4);
    e.month = file.Get8(q + 6);
    e.day = file.Get8(q + 7);
    e.kind = kind;
    e.mealTime = file.Get8(q + 98);
    // The counted title cannot run past the meal-time byte.
    const size_t len = std::min<size_t>(file.Get8(q + 14), 98 - 15);
    e.title = file.GetBytes(q + 15, len).substr(0, kEventTitleMax);
    e.title = e.title.substr(0, e.title.find('\0'));
    e.id = ctx.ids.Make();
    e.recipeId = ctx.ids.Make();
    std::string lower = e.title;
    textops::LowerInPlace(lower);
    if (auto it = titles.find(lower); it != titles.end()) e.recipeId = it->second;
    out += e.Bytes();
  }
  progress.Close();
  if (!WriteFileAtomic(ctx.files.meal, out)) {
    ReportWriteFailure(ctx, ctx.files.meal, errno);
    return false;
  }
  ctx.Log("Upgrade Meal File: " + Spaced(int64_t(out.size() / kEventSize)) + " events");
  return true;
}

void OpenMealCalendar(MealCalendar& calendar, Collection& collection) {
  UpgradeMealFile(calendar.ctx(), collection.index(), collection.dialogs());
  calendar.LoadEvents();
  collection.SetMealPlanSource(&calendar);
  if (collection.CurrentChapterKey() == kChapterMeals) collection.BuildRecipeList();
}

}  // namespace pantrela
