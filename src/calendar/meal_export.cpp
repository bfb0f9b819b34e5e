#include "calendar/meal_export.h"

#include <cerrno>

#include "export/export_formats.h"
#include "export/export_run.h"
#include "foundation/progress.h"
#include "foundation/file.h"
#include "foundation/numtext.h"
#include "foundation/shell.h"
#include "foundation/vendor.h"
#include "platform/codepage.h"

namespace pantrela {

namespace {

constexpr const char* kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
constexpr const char* kScratchName = "meal_list.txt";

void Line(std::string& out, std::string_view text) {
  out.append(text);
  out += "\r\n";
}

}  // namespace

std::string MealShortDate(const Ymd& d) {
  const std::string month = d.month >= 1 && d.month <= 12 ? std::string(kMonths + (d.month - 1) * 3, 3) : "";
  return month + " " + Format(d.day, "00") + ", " + Format(d.year, "0000");
}

std::string MealLongDate(const Ymd& d) { return WeekdayName(d.year, d.month, d.day) + ", " + MealShortDate(d); }

std::string MealListText(const MealCalendar& cal, const Ymd& today, const std::string& webAddress) {
  std::string out;
  Line(out, std::string(kProgramName) + " Meal List");
  Line(out, "Exported " + MealShortDate(today) + " - " + webAddress);
  Line(out, "");
  Line(out, "");
  std::string previous;
  bool first = true;
  for (size_t i = 0; i < cal.count(); ++i) {
    const EventRecord e = cal.Event(i);
    if (e.flags == 0) continue;
    const std::string date = MealLongDate(e.date());
    if (first || date != previous) {
      if (!first) {
        Line(out, "");
        Line(out, "");
      }
      Line(out, date);
      Line(out, std::string(date.size(), '-'));
      previous = date;
      first = false;
    }
    Line(out, MealTimeName(e.mealTime) + " - " + e.title);
  }
  return out;
}

MealListResult WriteMealList(MealExportSession& s, const std::string& folder, const std::string& fileName) {
  if (s.calendar.count() == 0) {
    s.dialogs.Message("No meals selected", "OK", 1);
    return MealListResult::kEmpty;
  }
  std::string text;
  {
    ProgressScope progress(s.dialogs);
    progress.Update("Exporting Selected Meals", "", 0, 1);
    text = MealListText(s.calendar, s.today, VendorAddressesFromEnvironment().home);
    progress.Update("Exporting Selected Meals", "", 1, 1);
  }
  ExportFileOutput out(folder + fileName);
  if (!out.Open() || !out.Write(text) || !out.Commit()) {
    const int error = out.error() ? out.error() : EIO;
    s.ctx.Log("Export Meal List: " + fileName + " could not be written");
    s.dialogs.Message(FileNameForDisplay(fileName) + " could not be written.||" + SystemErrorText(error) +
                          "|Nothing was saved under this name.",
                      "OK", 1);
    return MealListResult::kFailed;
  }
  return MealListResult::kWritten;
}

void MealExportCommand(MealExportSession& s, int x, int y, int width) {
  const std::vector<std::string> entries(std::begin(kMealExportMenuEntries), std::end(kMealExportMenuEntries));
  switch (s.dialogs.PopupList(x, y, width, entries)) {
    case 0: ExportMealListToFile(s); break;
    case 1: ExportMealListToClipboard(s); break;
    case 2: ExportMealListToEmail(s); break;
    default: break;
  }
}

void ExportMealListToFile(MealExportSession& s) {
  std::string folder = s.ctx.settings.export_path;
  if (folder.empty()) folder = DefaultExportFolder();
  std::string entered;
  if (!s.dialogs.BrowseFiles("Export Meal List", folder, entered)) return;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  const std::string name = ExportFileName(entered, "txt", "meal_list");
  if (Exists(folder + name) &&
      s.dialogs.Message(FileNameForDisplay(name) + "|Already Exists!|Do you want to overwrite it?", "OK|Cancel", 1) != 1)
    return;
  if (!CanCreate(folder + name)) {
    s.dialogs.Message(FileNameForDisplay(name) + " cannot be created.|Another program is currently using the file.",
                      "OK", 1);
    return;
  }
  s.ctx.settings.export_path = folder;
  SaveSettings(s.ctx);
  WriteMealList(s, folder, name);
}

void ExportMealListToClipboard(MealExportSession& s) {
  const std::string folder = NewExportScratchFolder(s.ctx.files);
  if (folder.empty()) {
    ReportWriteFailure(s.ctx, ExportScratchFolder(s.ctx.files) + kScratchName, errno);
    return;
  }
  std::string text;
  if (WriteMealList(s, folder, kScratchName) == MealListResult::kWritten && ReadWholeFile(folder + kScratchName, text) &&
      !s.services.PutClipboardText(text))
    s.ctx.Log("Export Meal List: the clipboard could not be opened");
  DeleteTree(folder);
}

void ExportMealListToEmail(MealExportSession& s) {
  const std::string folder = NewExportScratchFolder(s.ctx.files);
  if (folder.empty()) {
    ReportWriteFailure(s.ctx, ExportScratchFolder(s.ctx.files) + kScratchName, errno);
    return;
  }
  std::string text;
  if (WriteMealList(s, folder, kScratchName) == MealListResult::kWritten && ReadWholeFile(folder + kScratchName, text) &&
      s.services.SendMailWithAttachment("", "Meal List for " + MealShortDate(s.today), text, "") != 0)
    s.dialogs.Message(std::string(kProgramName) + " was unable to open your email program.||" +
                          "Please export to the Clipboard instead.|" +
                          "Then start a new email in your email program,|" + "and paste the recipe into your message.",
                      "OK", 1);
  DeleteTree(folder);
}

}  // namespace pantrela
