// pantrela-cli meals: list, add, remove, move and copy the events of the
// meal calendar, and export the meal list.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/cli.h"
#include "calendar/events.h"
#include "calendar/meal_export.h"
#include "database/collection.h"
#include "database/listing.h"
#include "foundation/codepage.h"
#include "foundation/file.h"
#include "foundation/numtext.h"
#include "foundation/vendor.h"

namespace pantrela::cli {
namespace {

// YYYY-MM-DD of a real date.
bool ParseDate(const std::string& text, Ymd& out) {
  int y = 0, m = 0, d = 0;
  char tail = 0;
  if (text.size() != 10 || std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3) return false;
  if (!IsValidDate(y, m, d)) return false;
  out = {y, m, d};
  return true;
}

std::string DateText(const Ymd& d) {
  return Format(d.year, "0000") + "-" + Format(d.month, "00") + "-" + Format(d.day, "00");
}

std::string JsonString(const std::string& cp1252) {
  std::string out = "\"";
  for (unsigned char c : Cp1252ToUtf8(cp1252)) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

// Which events a command acts on: a date or a range, and optionally a meal
// time and a title.
struct Filter {
  Ymd from;
  int days = -1;  // -1: every later date
  int mealTime = -1;
  std::string title;
  bool Takes(const EventRecord& e) const {
    if (!IsValidDate(e.year, e.month, e.day)) return false;
    const int k = DayNumber(e.date()) - DayNumber(from);
    if (k < 0 || (days >= 0 && k >= days)) return false;
    if (mealTime >= 0 && e.mealTime != mealTime) return false;
    return title.empty() || e.title == title;
  }
};

bool ParseTime(const std::string& text, int& code) {
  code = MealTimeCodeOfName(Utf8ToCp1252(text));
  if (code >= 0) return true;
  std::fprintf(stderr, "pantrela-cli: \"%s\" is not a meal time (for example \"Dinner\" or \"7 pm\")\n", text.c_str());
  return false;
}

// --from DATE, --days N, --time T, --title T into the filter; the rest stays.
bool ParseFilter(std::vector<std::string>& args, Filter& f, bool ranges) {
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool value = i + 1 < args.size();
    if (ranges && a == "--from" && value) {
      if (!ParseDate(args[++i], f.from)) return false;
    } else if (ranges && a == "--days" && value) {
      char* end = nullptr;
      const long n = std::strtol(args[++i].c_str(), &end, 10);
      if (!end || *end || n < 0 || n > 100000) return false;
      f.days = int(n);
    } else if (a == "--time" && value) {
      if (!ParseTime(args[++i], f.mealTime)) return false;
    } else if (a == "--title" && value) {
      f.title = Utf8ToCp1252(args[++i]);
    } else {
      rest.push_back(a);
    }
  }
  args = rest;
  return true;
}

bool TakeFlag(std::vector<std::string>& args, const char* flag) {
  for (size_t i = 0; i < args.size(); ++i)
    if (args[i] == flag) {
      args.erase(args.begin() + long(i));
      return true;
    }
  return false;
}

int List(Session& s, std::vector<std::string> args) {
  Filter f;
  f.from = Today();
  const bool json = TakeFlag(args, "--json");
  if (!ParseFilter(args, f, true) || !args.empty()) return kUsage;
  MealCalendar cal(s.ctx);
  cal.LoadEvents();
  std::string out = json ? "[" : "";
  int n = 0;
  for (size_t i = 0; i < cal.count(); ++i) {
    const EventRecord e = cal.Event(i);
    if (!f.Takes(e)) continue;
    if (json) {
      out += (n ? ",\n" : "\n") + std::string("{\"date\": \"") + DateText(e.date()) + "\", \"time\": " +
             JsonString(MealTimeName(e.mealTime)) + ", \"kind\": \"" + (e.kind == kEventMeal ? "meal" : "note") +
             "\", \"title\": " + JsonString(e.title) + ", \"marked\": " + (e.marked() ? "true" : "false") +
             ", \"id\": " + Plain(e.id) + ", \"recipe_id\": " + Plain(e.recipeId) + "}";
    } else {
      out += DateText(e.date()) + "\t" + Cp1252ToUtf8(MealTimeName(e.mealTime)) + "\t" + Cp1252ToUtf8(e.title) + "\n";
    }
    ++n;
  }
  if (json) out += n ? "\n]\n" : "]\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  return kOk;
}

int Add(Session& s, std::vector<std::string> args) {
  std::string note;
  bool isNote = false;
  for (size_t i = 0; i < args.size(); ++i)
    if (args[i] == "--note" && i + 1 < args.size()) {
      note = Utf8ToCp1252(args[i + 1]);
      isNote = true;
      args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
      break;
    }
  if (args.size() != (isNote ? 2u : 3u)) return kUsage;
  EventRecord e;
  Ymd date;
  if (!ParseDate(args[0], date)) {
    std::fprintf(stderr, "pantrela-cli: \"%s\" is not a date (YYYY-MM-DD)\n", args[0].c_str());
    return kUsage;
  }
  if (!ParseTime(args[1], e.mealTime)) return kUsage;
  e.setDate(date);
  if (isNote) {
    e.kind = kEventNote;
    e.title = note.substr(0, kEventTitleMax);
    if (std::string(e.title).find_first_not_of(' ') == std::string::npos) {
      std::fprintf(stderr, "pantrela-cli: the note is empty\n");
      return kUsage;
    }
  } else {
    Collection& db = s.db();
    const uint32_t entry = FindRecipeByTitle(db, Utf8ToCp1252(args[2]));
    if (entry == kNoEntry) {
      std::fprintf(stderr, "pantrela-cli: no recipe titled \"%s\"\n", args[2].c_str());
      return kFailed;
    }
    e.kind = kEventMeal;
    e.recipeId = db.Entry(entry).recordId();
    e.title = std::string(db.Entry(entry).title().substr(0, kEventTitleMax));
  }
  e.id = s.ctx.ids.Make();
  MealCalendar cal(s.ctx);
  cal.LoadEvents();
  cal.Append(e);
  if (!cal.SortAndSaveEvents()) return kFailed;
  std::fprintf(stderr, "Added %s on %s\n", Cp1252ToUtf8(e.title).c_str(), DateText(date).c_str());
  return kOk;
}

// remove, move and copy: DATE [--time T] [--title T] [TO-DATE].
int Change(Session& s, std::vector<std::string> args, char what) {
  Filter f;
  f.days = 1;
  if (!ParseFilter(args, f, false) || args.size() != (what == 'r' ? 1u : 2u)) return kUsage;
  Ymd to;
  if (!ParseDate(args[0], f.from) || (what != 'r' && !ParseDate(args[1], to))) return kUsage;
  MealCalendar cal(s.ctx);
  cal.LoadEvents();
  int n = 0;
  const size_t count = cal.count();
  for (size_t i = 0; i < count; ++i) {
    EventRecord e = cal.Event(i);
    if (!f.Takes(e)) continue;
    ++n;
    if (what == 'r') {
      e.kind = kEventDeleted;
      cal.SetEvent(i, e);
      continue;
    }
    e.setDate(to);
    if (what == 'c') {
      e.id = s.ctx.ids.Make();
      cal.Append(e);
    } else {
      cal.SetEvent(i, e);
    }
  }
  if (n == 0) {
    std::fprintf(stderr, "pantrela-cli: no meals on %s match\n", DateText(f.from).c_str());
    return kFailed;
  }
  if (!cal.SortAndSaveEvents()) return kFailed;
  std::fprintf(stderr, "%d %s %s\n", n, n == 1 ? "event" : "events",
               what == 'r' ? "removed" : what == 'm' ? "moved" : "copied");
  return kOk;
}

// The marked events, or with --from/--days those of the range.
int Export(Session& s, std::vector<std::string> args) {
  std::string target;
  for (size_t i = 0; i + 1 < args.size(); ++i)
    if (args[i] == "-o") {
      target = args[i + 1];
      args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
      break;
    }
  Filter f;
  f.from = Today();
  const bool ranged = !args.empty();
  if (target.empty() || !ParseFilter(args, f, true) || !args.empty()) return kUsage;
  MealCalendar cal(s.ctx);
  cal.LoadEvents();
  if (ranged)
    for (size_t i = 0; i < cal.count(); ++i) cal.SetMarked(i, f.Takes(cal.Event(i)));
  if (target == "-") {
    const std::string text = MealListText(cal, Today(), VendorAddressesFromEnvironment().home);
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() ? kOk : kFailed;
  }
  SystemExportServices services;
  MealExportSession session{s.ctx, cal, s.ctx.dialogs(), services};
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "./" : target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  if (name.empty()) return kUsage;
  return WriteMealList(session, folder, name) == MealListResult::kWritten ? kOk : kFailed;
}

constexpr const char* kUsageText =
    "meals list [--json] [--from DATE] [--days N] [--time T] | add DATE TIME TITLE | "
    "add DATE TIME --note TEXT | remove|move|copy DATE [--time T] [--title T] [TO-DATE] | "
    "export [--from DATE] [--days N] -o FILE|-";

int Verb(Session& s, const std::vector<std::string>& args) {
  if (args.empty()) return kUsage;
  std::vector<std::string> rest(args.begin() + 1, args.end());
  const std::string& verb = args[0];
  if (verb == "list") return List(s, rest);
  if (verb == "add") return Add(s, rest);
  if (verb == "remove") return Change(s, rest, 'r');
  if (verb == "move") return Change(s, rest, 'm');
  if (verb == "copy") return Change(s, rest, 'c');
  if (verb == "export") return Export(s, rest);
  return kUsage;
}

int Meals(Session& s, const std::vector<std::string>& args) {
  const int rc = Verb(s, args);
  if (rc == kUsage)
    std::fprintf(stderr, "usage: pantrela-cli %s\n(dates as YYYY-MM-DD, meal times by name)\n", kUsageText);
  return rc;
}

}  // namespace

PANTRELA_CLI_COMMAND("meals", kUsageText, Meals);

}  // namespace pantrela::cli
