#include <gtest/gtest.h>

#include "foundation/context.h"
#include "foundation/record_id.h"
#include "foundation/shell.h"
#include "foundation/status_log.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

namespace pantrela {
namespace {

using testing::ReadBytes;
using testing::TempDir;

// 2024-03-15 10:20:30.400 UTC in milliseconds since the epoch.
constexpr int64_t kMarch15 = 1710498030400;

TEST(RecordId, BitLayout) {
  int64_t id = ComposeRecordId({2024, 3, 15, 10, 20, 30, 400}, 1);
  uint64_t v = uint64_t(id);
  EXPECT_EQ(v >> 63, 0u);
  EXPECT_EQ((v >> 51) & 0xFFF, 2024u);
  EXPECT_EQ((v >> 47) & 0xF, 3u);
  EXPECT_EQ((v >> 42) & 0x1F, 15u);
  EXPECT_EQ((v >> 37) & 0x1F, 10u);
  EXPECT_EQ((v >> 31) & 0x3F, 20u);
  EXPECT_EQ((v >> 25) & 0x3F, 30u);
  EXPECT_EQ((v >> 15) & 0x3FF, 400u);
  EXPECT_EQ(v & 0x7FFF, 1u);

  RecordIdMaker maker([] { return kMarch15; });
  EXPECT_EQ(maker.Make(), id);
}

TEST(RecordId, CounterWithinAndAcrossMilliseconds) {
  int64_t now = kMarch15;
  RecordIdMaker maker([&] { return now; });
  int64_t a = maker.Make();
  int64_t b = maker.Make();
  EXPECT_EQ(b - a, 1);
  int counter = 0;
  DecomposeRecordId(b, &counter);
  EXPECT_EQ(counter, 2);
  now += 1;
  int64_t c = maker.Make();
  DecomposeRecordId(c, &counter);
  EXPECT_EQ(counter, 1);
  EXPECT_EQ(DecomposeRecordId(c).millisecond, 401);
  EXPECT_GT(c, b);
  // A clock stepping back a little keeps the IDs increasing.
  now -= 5;
  EXPECT_GT(maker.Make(), c);
}

TEST(RecordId, FullCounterWaitsForTheNextMillisecond) {
  int64_t now = kMarch15;
  int calls = 0;
  RecordIdMaker maker([&] {
    // The clock moves on only after the counter is used up.
    if (++calls > 0x7FFF + 3) now = kMarch15 + 1;
    return now;
  });
  int64_t last = 0;
  for (int i = 0; i < 0x7FFF + 1; ++i) {
    int64_t id = maker.Make();
    ASSERT_GT(id, last);
    last = id;
  }
  EXPECT_EQ(DecomposeRecordId(last).millisecond, 401);
}

TEST(RecordId, ManyFromTheClockAreDistinctAndIncreasing) {
  RecordIdMaker maker;
  int64_t last = 0;
  for (int i = 0; i < 40000; ++i) {
    int64_t id = maker.Make();
    ASSERT_GT(id, last) << i;
    last = id;
  }
}

TEST(StatusLog, LinesAreAppendedWithCrLf) {
  TempDir dir;
  StatusLog log(dir / "status.log");
  log.Log("one");
  log.Log("two\r\n");
  EXPECT_EQ(ReadBytes(dir / "status.log"), "one\r\ntwo\r\n\r\n");
  // Deleted while running: only the earlier lines are lost.
  log.Delete();
  log.Log("three");
  EXPECT_EQ(ReadBytes(dir / "status.log"), "three\r\n");
  StatusLog nowhere(dir / "no/such/folder/status.log");
  nowhere.Log("quietly lost");
}

TEST(Shell, WebAddressEncoding) {
  struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"http://a.com/my recipe", "http://a.com/my%20recipe"},
      {"http://a.com/<x>#{y}|z", "http://a.com/%3Cx%3E%23%7By%7D%7Cz"},
      {"http://a.com/\\^~[]`", "http://a.com/%5C%5E%7E%5B%5D%60"},
      {"http://a.com/100%", "http://a.com/100%25"},
      {"http://a.com/50%off", "http://a.com/50%25off"},
      {"http://a.com/a%20b", "http://a.com/a%20b"},  // already encoded
      {"http://a.com/?q=1&r=2", "http://a.com/?q=1&r=2"},
  };
  for (const auto& c : cases) EXPECT_EQ(EncodeWebAddress(c.in), c.out) << c.in;

  EXPECT_EQ(BrowserArgument("  http://x.org/a b  "), "http://x.org/a%20b");
  EXPECT_EQ(BrowserArgument("/home/c/my page.htm"), "/home/c/my page.htm");
  EXPECT_EQ(BrowserArgument("C:/My Pages/page.htm"), "C:/My Pages/page.htm");
  EXPECT_EQ(BrowserArgument("   "), "");
}

TEST(Shell, StartProgramLogsTheOutcome) {
  TempDir dir;
  StatusLog log(dir / "status.log");
  EXPECT_TRUE(StartProgram(log, "true", "some parameter"));
  EXPECT_FALSE(StartProgram(log, dir / "missing-program", ""));
  EXPECT_EQ(ReadBytes(dir / "status.log"),
            "Open Program (File): true\r\n"
            "Open Program (Parameter): some parameter\r\n"
            "Open Program: Successful\r\n"
            "Open Program (File): " + dir / "missing-program" + "\r\n"
            "Open Program (Parameter): \r\n"
            "Open Program:  2 - No such file or directory\r\n");
  EXPECT_EQ(SystemErrorText(2), "No such file or directory");
}

TEST(Shell, EmptyTextOpensNothing) {
  TempDir dir;
  AppContext ctx;
  testing::ScriptedDialogs dialogs;
  ctx.SetDialogs(&dialogs);
  ctx.SetFolders(dir.path(), dir.path());
  OpenWebAddress(ctx, "  ");
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(ReadBytes(dir / "status.log"), "");
}

}  // namespace
}  // namespace pantrela
