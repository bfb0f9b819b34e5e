// The meal list export: the marked events as plain text grouped by date,
// to a file, the clipboard or the body of an e-mail.
#pragma once

#include <string>

#include "calendar/events.h"
#include "export/destinations.h"
#include "foundation/dates.h"

namespace pantrela {

inline constexpr const char* kMealExportMenuEntries[3] = {
    "Export meal list to a File", "Export meal list to the Clipboard", "Export meal list to Email"};

// 'Dec 09, 2026' and 'Wednesday, Dec 09, 2026'.
std::string MealShortDate(const Ymd& d);
std::string MealLongDate(const Ymd& d);

// The text of the meal list (CR LF lines): the heading, then every event
// whose flags are not 0, in block order, under its date.
std::string MealListText(const MealCalendar& calendar, const Ymd& today, const std::string& webAddress);

struct MealExportSession {
  AppContext& ctx;
  MealCalendar& calendar;
  Dialogs& dialogs;
  ExportServices& services;
  Ymd today = Today();
};

enum class MealListResult { kWritten, kEmpty, kFailed };
// Writes the meal list to folder + fileName (a temporary file renamed over
// it when complete). An empty block gives the message "No meals selected"
// and writes nothing; a failed write is reported and leaves any earlier
// file of that name as it was.
MealListResult WriteMealList(MealExportSession& s, const std::string& folder, const std::string& fileName);

// "Export>": the menu of the three destinations at (x, y).
void MealExportCommand(MealExportSession& s, int x, int y, int width = 320);
void ExportMealListToFile(MealExportSession& s);
void ExportMealListToClipboard(MealExportSession& s);
void ExportMealListToEmail(MealExportSession& s);

}  // namespace pantrela
