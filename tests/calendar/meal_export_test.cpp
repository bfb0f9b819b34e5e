// The meal list export: the text byte for byte and the three destinations.
#include "calendar/meal_export.h"
#include "calendar_fixture.h"
#include "foundation/file.h"
#include "support/file_faults.h"

namespace pantrela::testing {
namespace {

class FakeServices : public ExportServices {
 public:
  bool PutClipboardText(const std::string& text) override {
    clipboard = text;
    return true;
  }
  int SendMailWithAttachment(const std::string& to, const std::string& subject, const std::string& body,
                             const std::string& attachment) override {
    mail = {to, subject, body, attachment};
    return mailResult;
  }
  FtpResult Upload(AppContext&, Dialogs&, const std::string&, const std::string&) override { return {}; }
  void OpenWebAddress(AppContext&, const std::string&) override {}
  std::string clipboard;
  std::vector<std::string> mail;
  int mailResult = 0;
};

class MealExportTest : public CalendarTest {
 protected:
  MealExportTest() { setenv("PANTRELA_VENDOR_URL", "https://vendor.example/", 1); }
  MealExportSession Session() { return MealExportSession{ctx, cal, dialogs, services, today}; }
  FakeServices services;
};

const char* const kHeading = "Pantrela Meal List\r\nExported Dec 09, 2026 - https://vendor.example/\r\n\r\n\r\n";

TEST_F(MealExportTest, MarkedEventsGroupedByDateWithTwoBlankLinesBetween) {
  WriteBytes(ctx.files.meal, Ev(1, 2026, 12, 9, 18, 1, 1, 5, "Beef Stew") + Ev(2, 2026, 12, 9, 32, 1, 1, 6, "Apple Pie") +
                                 Ev(3, 2026, 12, 9, 33, 1, 0, 7, "not marked") +
                                 Ev(4, 2026, 12, 10, 6, 0, 1, 0, "Shop for eggs"));
  cal.LoadEvents();
  EXPECT_EQ(MealListText(cal, today, "https://vendor.example/"),
            std::string(kHeading) +
                "Wednesday, Dec 09, 2026\r\n-----------------------\r\nDinner - Beef Stew\r\nDessert - Apple Pie\r\n"
                "\r\n\r\nThursday, Dec 10, 2026\r\n----------------------\r\nBreakfast - Shop for eggs\r\n");
  // Nothing marked: the heading alone.
  for (size_t i = 0; i < cal.count(); ++i) cal.SetMarked(i, false);
  EXPECT_EQ(MealListText(cal, today, "https://vendor.example/"), kHeading);
}

TEST_F(MealExportTest, ToAFileUnderTheTypedNameWithATxtExtension) {
  WriteBytes(ctx.files.meal, Ev(1, 2026, 12, 9, 18, 1, 1, 5, "Beef Stew"));
  cal.LoadEvents();
  TempDir out;
  MealExportSession s = Session();
  const struct {
    const char* typed;
    const char* stored;
  } names[] = {{"  ", "meal_list.txt"}, {"week", "week.txt"}, {"menu.old", "menu.txt"}};
  for (const auto& n : names) {
    dialogs.browse = {{out.path(), n.typed}};
    ExportMealListToFile(s);
    EXPECT_EQ(ReadBytes(out / n.stored).substr(0, 18), "Pantrela Meal List") << n.typed;
  }
  EXPECT_EQ(ctx.settings.export_path, out.path());
  // An existing file is overwritten only after OK.
  WriteBytes(out / "week.txt", "old");
  dialogs.browse = {{out.path(), "week"}};
  dialogs.buttons = {2};
  ExportMealListToFile(s);
  EXPECT_EQ(ReadBytes(out / "week.txt"), "old");
  EXPECT_EQ(dialogs.Messages().back(), "week.txt|Already Exists!|Do you want to overwrite it?");
  // A full disk keeps the old file and says so.
  dialogs.browse = {{out.path(), "week"}};
  {
    FileFault fault(FileFault::kWrite, 1, ENOSPC, true, "week");
    ExportMealListToFile(s);
  }
  EXPECT_EQ(ReadBytes(out / "week.txt"), "old");
  EXPECT_EQ(dialogs.Messages().back(),
            "week.txt could not be written.||No space left on device|Nothing was saved under this name.");
}

TEST_F(MealExportTest, ClipboardAndEmailTakeTheTextAndLeaveNoFile) {
  WriteBytes(ctx.files.meal, Ev(1, 2026, 12, 9, 18, 1, 1, 5, "Beef Stew"));
  cal.LoadEvents();
  MealExportSession s = Session();
  const std::string text = MealListText(cal, today, "https://vendor.example/");
  ExportMealListToClipboard(s);
  EXPECT_EQ(services.clipboard, text);
  ExportMealListToEmail(s);
  EXPECT_EQ(services.mail, (std::vector<std::string>{"", "Meal List for Dec 09, 2026", text, ""}));
  EXPECT_TRUE(dialogs.Messages().empty());
  services.mailResult = 1;
  ExportMealListToEmail(s);
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].rfind("Pantrela was unable to open your email program.||", 0), 0u);
  EXPECT_FALSE(Exists(ExportScratchFolder(ctx.files) + "*/meal_list.txt"));

  // An empty calendar writes nothing.
  cal.SetMarked(0, true);
  cal.DeleteMarkedEvents();
  dialogs.shown.clear();
  services.clipboard.clear();
  ExportMealListToClipboard(s);
  EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{"No meals selected"});
  EXPECT_TRUE(services.clipboard.empty());
}

TEST_F(MealExportTest, TheMenuOffersTheThreeDestinations) {
  MealExportSession s = Session();
  dialogs.choices = {-1};
  MealExportCommand(s, 10, 10);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].items, (std::vector<std::string>{"Export meal list to a File",
                                                              "Export meal list to the Clipboard",
                                                              "Export meal list to Email"}));
}

}  // namespace
}  // namespace pantrela::testing
