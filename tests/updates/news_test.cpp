#include "updates/news.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "server/server_fixture.h"
#include "support/fake_vendor.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

namespace pantrela {
namespace {

using testing::WriteBytes;

TEST(ReleaseDate, MonthFirstYearFirstAndDayFirstReadTheSame) {
  const struct {
    const char* text;
    int32_t packed;
  } cases[] = {
      {"August 10, 2016", PackDate(2016, 8, 10)},
      {"  august 11, 2016 ", PackDate(2016, 8, 11)},
      {"march 3, 2017", PackDate(2017, 3, 3)},
      {"2017 march 3", PackDate(2017, 3, 3)},
      {"2017 Mar 3", PackDate(2017, 3, 3)},
      {"10 Aug 2016", PackDate(2016, 8, 10)},
      {"Sept 9, 2020", PackDate(2020, 9, 9)},
      {"December 1 2030", PackDate(2030, 12, 1)},
      {"", 0},
      {"soon", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadReleaseDate(c.text), c.packed) << c.text;
}

TEST(NewsDates, DayBeforeCrossesMonthsAndYears) {
  const struct {
    const char* date;
    const char* before;
  } cases[] = {
      {"2026/12/10", "2026/12/09"}, {"2026/03/01", "2026/02/28"}, {"2024/03/01", "2024/02/29"},
      {"2026/01/01", "2025/12/31"}, {"2026/05/01", "2026/04/30"},
  };
  for (const auto& c : cases) EXPECT_EQ(DayBefore(c.date), c.before) << c.date;
}

TEST(NewsValues, TwoReadingsOfTheVersionFile) {
  const std::string text =
      "pantrela_upgrades=\"Version 10 Is Here\";\r\npantrela_page=\"http://Example.com/Up\";"
      "news_note=\"Hello, Cooks\";help_ftp=\"http://example.com/ftp\";";
  EXPECT_EQ(NewsValue(text, "pantrela_upgrades"), "version 10 is here");
  EXPECT_EQ(NewsValue(text, "pantrela_page"), "http://example.com/up");
  EXPECT_EQ(NewsValue(text, "news_note", true), "Hello, Cooks");
  EXPECT_EQ(NewsValue(text, "news_link"), "");
  EXPECT_EQ(VersionInfoValue(text, "help_ftp"), "http://example.com/ftp");
  EXPECT_EQ(VersionInfoValue(text, "pantrela_page"), "http://Example.com/Up");
  EXPECT_EQ(VersionInfoValue(text, "missing"), "");
  EXPECT_EQ(VersionInfoValue(text, ""), "");
  EXPECT_EQ(VersionInfoValue("", "help_ftp"), "");
  EXPECT_EQ(VersionInfoValue("key=\"open", "key"), "");
}

TEST(NewsFetch, ServedTextAndThreeAttemptsWhenNothingComes) {
  testing::RunningServer server;
  WriteBytes(server.data / "version_info.txt", "  news_date=\"2026/12/01\";  ");
  EXPECT_EQ(FetchNewsText(VendorHost::Parse(server.host())), "news_date=\"2026/12/01\";");

  testing::FakeVendor silent([](const std::string&) { return std::string(); });
  EXPECT_EQ(FetchNewsText(VendorHost::Parse(silent.host())), "");
  EXPECT_EQ(silent.Requests().size(), 3u);
  EXPECT_EQ(silent.Requests()[0], "GET  http://" + silent.host() + "/version_info.txt  HTTP/1.0\r\n\r\n");
  EXPECT_EQ(FetchNewsText(VendorHost::Parse("127.0.0.1:" + std::to_string(testing::UnusedPort()))), "");
}

// One run of the program's update checks on a fresh data folder, with the
// news text of a served version file.
struct ProgramRun {
  testing::TempDir dir;
  AppContext ctx;
  testing::ScriptedDialogs dialogs;
  std::unique_ptr<Updates> updates;
  std::vector<std::string> opened;
  int32_t today = PackDate(2026, 12, 10);

  ProgramRun() {
    ctx.SetFolders(dir.path(), dir.path());
    ctx.SetDialogs(&dialogs);
    Restart();
  }
  // A new run: the once-per-run flags start again.
  void Restart() {
    updates = std::make_unique<Updates>(ctx);
    updates->openPage = [this](const std::string& p) { opened.push_back(p); };
    updates->today = [this] { return today; };
  }
  // Starts the thread on `host` and waits for its text.
  bool Fetch(const std::string& host) {
    updates->StartThread(VendorHost::Parse(host));
    for (int i = 0; i < 500; ++i) {
      if (updates->Poll()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
};

TEST(VersionCheck, NewerReleaseShowsTheNoticeOncePerCheck) {
  testing::RunningServer server;
  const struct {
    const char* release;
    int32_t lastCheck;
    bool notice;
  } cases[] = {
      {"August 11, 2016", 0, true},
      {"August 10, 2016", 0, false},
      {"2015 june 1", 0, false},
      {"march 3, 2030", PackDate(2026, 10, 10), true},   // two calendar months ago
      {"march 3, 2030", PackDate(2026, 11, 10), false},  // last month: not yet
      {"march 3, 2030", PackDate(2025, 12, 30), true},   // last year
  };
  for (const auto& c : cases) {
    WriteBytes(server.data / "version_info.txt", std::string("pantrela_upgrades=\"Faster Imports\";pantrela_release=\"") +
                                                     c.release + "\";pantrela_page=\"http://example.com/New\";");
    ProgramRun run;
    run.ctx.settings.upgrade_date = c.lastCheck;
    run.ctx.settings.last_news = "2026/01/01";
    ASSERT_TRUE(run.Fetch(server.host()));
    run.dialogs.buttons = {1};  // "Details"
    run.updates->AfterEvent(false);
    run.updates->AfterEvent(false);
    std::vector<std::string> expected;
    if (c.notice) expected.push_back("A new version of Pantrela is available!||faster imports");
    EXPECT_EQ(run.dialogs.Messages(), expected) << c.release;
    EXPECT_EQ(run.opened, c.notice ? std::vector<std::string>{"http://example.com/new"} : std::vector<std::string>{})
        << c.release;
    const bool checked = c.lastCheck + 460 < run.today;
    EXPECT_EQ(run.ctx.settings.upgrade_date, checked ? run.today : c.lastCheck) << c.release;
    if (checked) {
      Settings stored;
      ReadSettings(stored, run.ctx.files.settings, run.ctx.workArea);
      EXPECT_EQ(stored.upgrade_date, run.today);
    }
  }
}

TEST(News, EachNewDateIsShownOnceAndF12ShowsItAgain) {
  testing::RunningServer server;
  auto serve = [&](const char* date, const char* link) {
    std::string text = std::string("news_date=\"") + date + "\";news_note=\"Try The New Grocery List\";";
    if (link) text += std::string("news_link=\"") + link + "\";";
    WriteBytes(server.data / "version_info.txt", text);
  };
  ProgramRun run;
  run.ctx.settings.upgrade_date = run.today;  // no version check in this test
  serve("2026/12/05", "http://example.com/News");
  ASSERT_TRUE(run.Fetch(server.host()));
  // First use: the date is remembered, nothing is shown.
  run.updates->AfterEvent(false);
  EXPECT_TRUE(run.dialogs.Messages().empty());
  EXPECT_EQ(run.ctx.settings.last_news, "2026/12/05");

  // The same date in the next run shows nothing; a later one shows once.
  run.Restart();
  ASSERT_TRUE(run.Fetch(server.host()));
  run.updates->AfterEvent(false);
  EXPECT_TRUE(run.dialogs.Messages().empty());

  serve("2026/12/08", "http://example.com/News");
  run.Restart();
  ASSERT_TRUE(run.Fetch(server.host()));
  run.dialogs.buttons = {1};  // "More"
  run.updates->AfterEvent(false);
  run.updates->AfterEvent(false);
  ASSERT_EQ(run.dialogs.Messages().size(), 1u);
  EXPECT_EQ(run.dialogs.Messages()[0], "News for December 08, 2026:||Try The New Grocery List");
  EXPECT_EQ(run.dialogs.shown.back().buttons, "More|Cancel");
  EXPECT_EQ(run.opened, std::vector<std::string>{"http://example.com/news"});
  EXPECT_EQ(run.ctx.settings.last_news, "2026/12/08");

  // F12 shows the note again; without a link it has only "OK".
  serve("2027/01/01", nullptr);
  run.Restart();
  run.ctx.settings.last_news = "2027/01/01";
  ASSERT_TRUE(run.Fetch(server.host()));
  run.updates->AfterEvent(false);
  EXPECT_EQ(run.dialogs.Messages().size(), 1u);
  run.updates->AfterEvent(true);
  ASSERT_EQ(run.dialogs.Messages().size(), 2u);
  EXPECT_EQ(run.dialogs.Messages()[1], "News for January 01, 2027:||Try The New Grocery List");
  EXPECT_EQ(run.dialogs.shown.back().buttons, "OK");
  EXPECT_EQ(run.ctx.settings.last_news, "2027/01/01");

  // Nothing while a popup is up or the program is quitting.
  run.ctx.popupUp = true;
  run.updates->AfterEvent(true);
  run.ctx.popupUp = false;
  run.ctx.quit = 1;
  run.updates->AfterEvent(true);
  EXPECT_EQ(run.dialogs.Messages().size(), 2u);
}

TEST(News, NoServerNoNoticeAndNoNote) {
  ProgramRun run;
  run.updates->StartThread(VendorHost::Parse("127.0.0.1:" + std::to_string(testing::UnusedPort())));
  for (int i = 0; i < 300 && !run.ctx.newsReady.load(); ++i) {
    run.updates->Poll();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(run.ctx.newsReady.load());
  EXPECT_FALSE(run.updates->Poll());
  run.updates->AfterEvent(true);
  EXPECT_TRUE(run.dialogs.shown.empty());
  EXPECT_EQ(run.ctx.settings.upgrade_date, 0);
  EXPECT_EQ(VersionInfoValue(run.ctx, "help_ftp"), "");
}

}  // namespace
}  // namespace pantrela
