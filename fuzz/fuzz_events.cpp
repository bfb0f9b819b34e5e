// fuzz-deps: pantrela_calendar pantrela_export pantrela_database pantrela_ingredients pantrela_foundation pantrela_platform
// The meal file reader and the previous generation's meal file on arbitrary
// bytes: nothing crashes, every kept event has a sound kind and a title of
// at most 75 characters, and what a save writes loads back unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "calendar/events.h"
#include "fuzz_support.h"

using namespace pantrela;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static AppContext ctx;
  static DefaultAnswerDialogs dialogs;
  fuzz::StartFresh(ctx, "fuzz_events");
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // The same bytes as the current file and as the old one.
  DeleteFile(ctx.files.meal);
  if (!WriteFileAtomic(OldMealFilePath(ctx.files), bytes)) return 0;
  UpgradeMealFile(ctx, ByteImage(), dialogs);
  if (!WriteFileAtomic(ctx.files.meal, bytes)) return 0;
  MealCalendar cal(ctx);
  cal.LoadEvents();
  for (size_t i = 0; i < cal.count(); ++i) {
    const EventRecord e = cal.Event(i);
    if ((e.kind != kEventNote && e.kind != kEventMeal) || e.title.size() > kEventTitleMax) std::abort();
  }
  if (!cal.SortAndSaveEvents()) return 0;
  std::string saved;
  ReadWholeFile(ctx.files.meal, saved);
  MealCalendar again(ctx);
  again.LoadEvents();
  if (std::string(again.block().view()) != saved || saved.size() % kEventSize != 0) std::abort();
  return 0;
}
