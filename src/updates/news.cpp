#include "updates/news.h"

#include <thread>

#include "foundation/numtext.h"
#include "foundation/shell.h"

namespace pantrela {

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return out;
}

std::string Trim(std::string_view s, std::string_view chars) {
  size_t b = s.find_first_not_of(chars);
  if (b == std::string_view::npos) return "";
  size_t e = s.find_last_not_of(chars);
  return std::string(s.substr(b, e - b + 1));
}

const char* const kMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};

}  // namespace

std::string FetchNewsText(const VendorHost& host) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    VendorReply r = VendorQuery(host, "/version_info.txt", 1u << 20);
    if (r.raw.empty()) continue;
    return r.Text();
  }
  return "";
}

std::string VersionInfoValue(std::string_view text, std::string_view key) {
  if (key.empty() || text.empty()) return "";
  size_t k = text.find(key);
  if (k == std::string_view::npos) return "";
  size_t q1 = text.find('"', k + key.size());
  if (q1 == std::string_view::npos) return "";
  size_t q2 = text.find('"', q1 + 1);
  if (q2 == std::string_view::npos) return "";
  return std::string(text.substr(q1 + 1, q2 - q1 - 1));
}

std::string VersionInfoValue(AppContext& ctx, std::string_view key) {
  if (!ctx.newsReady.load()) return "";
  std::lock_guard<std::mutex> lock(ctx.newsMutex);
  return VersionInfoValue(ctx.newsText, key);
}

std::string NewsValue(std::string_view text, std::string_view key, bool keepCase) {
  std::string s = keepCase ? std::string(text) : Lower(text);
  size_t k = s.find(key);
  if (k == std::string::npos) return "";
  size_t start = k + key.size();
  size_t end = s.find(';', start);
  return Trim(std::string_view(s).substr(start, end == std::string::npos ? std::string::npos : end - start), "=\"");
}

int32_t ReadReleaseDate(std::string_view text) {
  std::string s = Trim(Lower(text), " ");
  static const char kMonths[] = "janfebmaraprmayjunjulaugsepoctnovdec";
  int month = 0;
  for (int m = 0; m < 12; ++m) {
    size_t at = s.find(std::string_view(kMonths + 3 * m, 3));
    if (at == std::string::npos) continue;
    month = m + 1;
    size_t from = s.rfind(' ', at);
    from = from == std::string::npos ? 0 : from + 1;
    size_t to = s.find(' ', at);
    s.erase(from, to == std::string::npos ? std::string::npos : to - from);
    break;
  }
  std::string t;
  for (char c : s)
    if (c != ',') t += c;
  // The month word leaves its blank behind.
  t = Trim(t, " ");
  int day = 0, year = 0;
  size_t first = t.find(' '), last = t.rfind(' ');
  const int lastNumber = last == std::string::npos ? ValInt(t) : ValInt(t.substr(last + 1));
  if (first != std::string::npos && first < 4) {
    day = ValInt(t.substr(0, first));
    year = lastNumber;
  } else {
    year = ValInt(t);
    day = lastNumber;
  }
  if (year < 0 || year > 32767) year = 0;
  if (day < 0 || day > 255) day = 0;
  return PackDate(year, month, day);
}

std::string DayBefore(std::string_view date) {
  if (date.size() < 10) return std::string(date);
  int y = ValInt(date.substr(0, 4)), m = ValInt(date.substr(5, 2)), d = ValInt(date.substr(8, 2));
  if (--d < 1) {
    if (--m < 1) {
      m = 12;
      --y;
    }
    d = (m >= 1 && m <= 12) ? DaysInMonth(y, m) : 1;
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", y, m, d);
  return buf;
}

// ---------------------------------------------------------------- Updates

// What the thread leaves: written once by the thread, read by the screens.
struct Updates::Slot {
  std::mutex mutex;
  std::string text;
  std::atomic<bool> done{false};
};

Updates::Updates(AppContext& ctx) : ctx_(ctx), slot_(std::make_shared<Slot>()) {
  openPage = [this](const std::string& page) { OpenWebAddress(ctx_, page); };
  today = [] {
    Ymd t = Today();
    return PackDate(t.year, t.month, t.day);
  };
}

Updates::~Updates() = default;

void Updates::StartThread(const VendorHost& host) {
  if (started_) return;
  started_ = true;
  {
    std::lock_guard<std::mutex> lock(ctx_.newsMutex);
    ctx_.newsText.clear();
  }
  ctx_.newsReady = false;
  std::shared_ptr<Slot> slot = slot_;
  std::thread([slot, host] {
    std::string text = FetchNewsText(host);
    std::lock_guard<std::mutex> lock(slot->mutex);
    slot->text = std::move(text);
    slot->done = true;
  }).detach();
}

bool Updates::Poll() {
  if (!ctx_.newsReady.load() && slot_->done.load()) {
    std::string text;
    {
      std::lock_guard<std::mutex> lock(slot_->mutex);
      text = slot_->text;
    }
    std::lock_guard<std::mutex> lock(ctx_.newsMutex);
    ctx_.newsText = std::move(text);
    ctx_.newsReady = true;
  }
  return !News().empty();
}

std::string Updates::News() {
  if (!ctx_.newsReady.load()) return "";
  std::lock_guard<std::mutex> lock(ctx_.newsMutex);
  return ctx_.newsText;
}

Dialogs& Updates::dialogs() { return ctx_.dialogs(); }

void Updates::AfterEvent(bool f12) {
  if (!Poll()) return;
  if (f12) ShowNewsAgain();
  AutomaticCheck();
  ShowNews();
}

void Updates::AutomaticCheck() {
  if (autoCheckDone_ || ctx_.popupUp || !Poll()) return;
  autoCheckDone_ = true;
  const int32_t now = today();
  if (ctx_.settings.upgrade_date + 460 < now) {
    ctx_.settings.upgrade_date = now;
    SaveSettings(ctx_);
    CheckForUpdate();
  }
}

void Updates::CheckForUpdate() {
  const std::string news = News();
  const std::string notice = NewsValue(news, "pantrela_upgrades");
  const std::string release = NewsValue(news, "pantrela_release");
  const std::string page = NewsValue(news, "pantrela_page");
  if (ReadReleaseDate(release) <= kOwnReleaseDate) return;
  ctx_.popupUp = true;
  int b = dialogs().Message(std::string("A new version of ") + kProgramName + " is available!||" + notice,
                            "Details|Cancel", 2);
  ctx_.popupUp = false;
  if (b == 1) openPage(page);
}

void Updates::ShowNews() {
  if (newsHandled_ || ctx_.popupUp || ctx_.Quitting()) return;
  const std::string news = News();
  if (news.empty()) return;
  newsHandled_ = true;
  const std::string date = NewsValue(news, "news_date");
  Settings& s = ctx_.settings;
  if (s.last_news.empty()) {
    s.last_news = date;
    SaveSettings(ctx_);
    return;
  }
  if (date <= s.last_news) return;
  s.last_news = date;
  SaveSettings(ctx_);
  const std::string note = NewsValue(news, "news_note", true);
  const std::string link = NewsValue(news, "news_link");
  std::string year = date.substr(0, 4), day = date.size() >= 10 ? date.substr(8, 2) : "";
  int month = date.size() >= 7 ? ValInt(date.substr(5, 2)) : 0;
  std::string monthName = month >= 1 && month <= 12 ? kMonthNames[month - 1] : "";
  ctx_.popupUp = true;
  int b = dialogs().Message("News for " + monthName + " " + day + ", " + year + ":||" + note,
                            link.empty() ? "OK" : "More|Cancel", link.empty() ? 1 : 2);
  ctx_.popupUp = false;
  if (!link.empty() && b == 1) openPage(link);
}

void Updates::ShowNewsAgain() {
  if (ctx_.popupUp || !Poll()) return;
  ctx_.settings.last_news = DayBefore(NewsValue(News(), "news_date"));
  newsHandled_ = false;
  ShowNews();
}

}  // namespace pantrela
