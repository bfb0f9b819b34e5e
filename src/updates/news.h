// The version check and the news note. At start-up a background thread
// fetches the vendor's version file ("key="value";" entries), the news
// text; from it the program learns whether a newer version exists, shows the
// vendor's news note once per new date, and takes the help links other
// commands offer. When the server cannot be reached the text stays empty and
// all of this stays silent.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "backup/vendor_http.h"
#include "foundation/context.h"
#include "foundation/dates.h"

namespace pantrela {

// The program's own release date, 10 August 2016.
inline constexpr int32_t kOwnReleaseDate = 2016 * 65536 + 8 * 256 + 10;

// Fetches "/version_info.txt": up to three attempts while the answer is
// empty; the text after the first empty line, trimmed of blanks ("" when the
// server cannot be reached).
std::string FetchNewsText(const VendorHost& host);

// The value of `key` for other commands: the text between the first two
// double quotes after the key (exact case); "" when missing.
std::string VersionInfoValue(std::string_view newsText, std::string_view key);
// The same on the context's news text.
std::string VersionInfoValue(AppContext& ctx, std::string_view key);

// The reading the version check and the news use: what follows the first
// occurrence of the key up to the first ";", "=" and double quotes stripped
// at both ends; in the lower-cased text unless `keepCase`.
std::string NewsValue(std::string_view newsText, std::string_view key, bool keepCase = false);

// A release date such as "August 10, 2016", "10 aug 2016" or "2017 march 3"
// as a packed date; unreadable parts count 0.
int32_t ReadReleaseDate(std::string_view text);

// The day before a "yyyy/mm/dd" date, in the same form.
std::string DayBefore(std::string_view date);

// The version check and news of one run of the program.
class Updates {
 public:
  explicit Updates(AppContext& ctx);
  ~Updates();
  Updates(const Updates&) = delete;
  Updates& operator=(const Updates&) = delete;

  // Starts the background fetch once; it is never waited for. The thread
  // shares only its own result slot, so it may outlive this object.
  void StartThread(const VendorHost& host);
  // Takes the thread's text into the context once it has finished; true
  // when the news text is there (not empty).
  bool Poll();

  // Run after every event of the event wait: the automatic check (at most
  // once a run), F12, and the news note.
  void AfterEvent(bool f12);
  // The automatic check: every other calendar month at most.
  void AutomaticCheck();
  // The notice of a newer version, when there is one.
  void CheckForUpdate();
  // The news note, when it is new.
  void ShowNews();
  // F12: the current note again.
  void ShowNewsAgain();

  // Opens a page in the web browser; tests replace it.
  std::function<void(const std::string&)> openPage;
  // Today's packed date; tests replace it.
  std::function<int32_t()> today;

 private:
  struct Slot;
  std::string News();
  Dialogs& dialogs();
  AppContext& ctx_;
  std::shared_ptr<Slot> slot_;
  bool started_ = false;
  bool autoCheckDone_ = false;
  bool newsHandled_ = false;
};

}  // namespace pantrela
