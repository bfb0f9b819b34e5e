// The shopping-list exports: each format's bytes written by hand from the
// layouts, a standard reader over each, the file-name rule and the four
// destinations with their questions.
#include <cstdio>
#include <cstdlib>

#include "foundation/file.h"
#include "grocery/grocery_export.h"
#include "grocery_fixture.h"
#include "support/file_faults.h"

namespace pantrela::testing {
namespace {

using grocery::ExportBytes;
using grocery::ExportInfo;

// Two headings of one group in a row, a store with a trailing blank, an item
// off the list, and a name with a quote, an ampersand and angle brackets.
std::string ListFile() {
  return HandHeading("Aldi ", "Dairy") + HandRecord("Milk", "Aldi ", "Dairy", 350, 2) +
         HandRecord("Cheese", "Aldi ", "Dairy", 500, 0) + HandHeading("Aldi ", "Dairy") +
         HandRecord("Butter", "Aldi ", "Dairy", 0, 1) + HandHeading("", "Produce") +
         HandRecord("12\" pan & <lid>", "", "Produce", 1299, 3);
}

ExportInfo Info(int64_t total = 2 * 350 + 3 * 1299) {
  ExportInfo info;
  info.today = {2026, 3, 7};
  info.total = total;
  info.webAddress = "https://pantrela.example/";
  info.created = 1700000000;
  return info;
}

// What a shell command prints, standard error included.
std::string CommandOutput(const std::string& command) {
  FILE* p = ::popen((command + " 2>&1").c_str(), "r");
  if (!p) return "";
  char buf[4096];
  std::string out;
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  ::pclose(p);
  return out;
}

TEST(GroceryExportBytes, EveryFormat) {
  const ByteImage image(ListFile());
  EXPECT_EQ(ExportBytes(image, grocery::kPlainText, Info()),
            "Aldi: Dairy:\r\n2 - Milk\r\n1 - Butter\r\n\r\nProduce:\r\n3 - 12\" pan & <lid>\r\n"
            "\r\nhttps://pantrela.example/\r\n\r\n");
  EXPECT_EQ(ExportBytes(image, grocery::kCsv, Info()),
            "Store,Location,Quantity,Item,Price\r\n"
            "\"Aldi \",\"Dairy\",\"2\",\"Milk\",\"3.50\"\r\n"
            "\"Aldi \",\"Dairy\",\"1\",\"Butter\",\"0.00\"\r\n"
            "\"\",\"Produce\",\"3\",\"12\"\" pan & <lid>\",\"12.99\"\r\n");
  EXPECT_EQ(ExportBytes(image, grocery::kSplashShopper, Info()),
            "SplashShopper Export File\r\n"
            "\"N\",\"Milk\",\"Aldi \",\"Dairy\",\"\",\"\",\"2.00\",\"Unit\",\"3.50\",\"\",\"\",\"\",\"\"\r\n"
            "\"N\",\"Butter\",\"Aldi \",\"Dairy\",\"\",\"\",\"1.00\",\"Unit\",\"0.00\",\"\",\"\",\"\",\"\"\r\n"
            "\"N\",\"12\"\" pan & <lid>\",\"\",\"Produce\",\"\",\"\",\"3.00\",\"Unit\",\"12.99\",\"\",\"\",\"\",\"\"\r\n");
  EXPECT_EQ(ExportBytes(image, grocery::kGroceryGadget, Info()),
            "ItemName,Category,Quantity,Remarks,Tax1,Tax2,Price\r\n"
            "\"Milk\",\"Aldi : Dairy\",2.00,\"\",\"False\",\"False\",3.50\r\n"
            "\"Butter\",\"Aldi : Dairy\",1.00,\"\",\"False\",\"False\",0.00\r\n"
            "\"12\"\" pan & <lid>\",\"Produce\",3.00,\"\",\"False\",\"False\",12.99\r\n");
  const std::string td = "<td width=10% style=\"padding-left: 10px; border: solid 1px #000000;\">";
  const std::string tdName = "<td width=75% style=\"padding-left: 10px; border: solid 1px #000000;\">";
  const std::string tdPrice =
      "<td width=15% style=\"padding-right: 10px; border: solid 1px #000000; text-align: right;\">";
  const std::string table =
      "<table style=\"border: solid 1px #000000; font: normal 24pt Arial, sans-serif; border-collapse: collapse; "
      "width: 100%;\"> \r\n";
  EXPECT_EQ(ExportBytes(image, grocery::kHtml, Info()),
            "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\"></head>"
            "<body style=\"font: normal 24pt Arial, sans-serif;\">"
            "<center><h1><font color=#A00000>Grocery List for Mar 7, 2026</font></h1>Estimated Total: $ 45.97"
            "<br><br>Pantrela Recipe Software<br><a href=\"http://pantrela.example\">pantrela.example</a></center>"
            "<div style=\"width: 96%; margin-left: auto; margin-right: auto;\">\r\n"
            "<b><font color=#0000A0>Aldi: Dairy</font></b><br>\r\n" +
                table + "<tr>" + td + "2</td>" + tdName + "Milk</td>" + tdPrice + "3.50</td></tr>" + "<tr>" + td +
                "1</td>" + tdName + "Butter</td>" + tdPrice + "0.00</td></tr>" +
                "</table>\r\n<br><b><font color=#0000A0>Produce</font></b><br>\r\n" + table + "<tr>" + td + "3</td>" +
                tdName + "12\" pan &amp; &lt;lid&gt;</td>" + tdPrice + "12.99</td></tr></table>\r\n" +
                "</div></body></html>");
}

TEST(GroceryExportBytes, AnEmptyListGivesOnlyTheFixedParts) {
  const ByteImage image(HandHeading("", "Dairy") + HandRecord("Milk", "", "Dairy", 100, 0));
  EXPECT_EQ(ExportBytes(image, grocery::kPlainText, Info(0)), "\r\nhttps://pantrela.example/\r\n\r\n");
  EXPECT_EQ(ExportBytes(image, grocery::kCsv, Info(0)), "Store,Location,Quantity,Item,Price\r\n");
  EXPECT_EQ(ExportBytes(image, grocery::kSplashShopper, Info(0)), "SplashShopper Export File\r\n");
  const std::string html = ExportBytes(image, grocery::kHtml, Info(0));
  EXPECT_NE(html.find("auto;\">\r\n</div></body></html>"), std::string::npos);
  EXPECT_EQ(html.find("<table"), std::string::npos);
}

TEST(GroceryExportBytes, FileNames) {
  const struct {
    const char* name;
    int format;
    const char* file;
  } cases[] = {{"list.old", grocery::kCsv, "list.csv"},     {"", grocery::kHtml, "Grocery List.htm"},
               {"  .txt", grocery::kMobi, "Grocery List.mobi"}, {"grocery", grocery::kPlainText, "grocery.txt"},
               {"my.list.v2", grocery::kSplashShopper, "my.list.csv"}, {" Week ", grocery::kGroceryGadget, "Week.csv"}};
  for (const auto& c : cases) EXPECT_EQ(grocery::GroceryFileName(c.name, c.format), c.file) << c.name;
}

// Python's csv module and HTML parser (Debian's python3) read every export
// back to exactly the items on the list.
TEST(GroceryExportBytes, StandardReadersReadTheListBack) {
  if (std::system("test -x /usr/bin/python3") != 0) GTEST_SKIP() << "no python3";
  TempDir dir;
  const ByteImage image(ListFile());
  const struct {
    int format;
    const char* script;
  } cases[] = {
      {grocery::kCsv, "import csv,sys\nr=list(csv.reader(open(sys.argv[1],encoding='cp1252',newline='')))\n"
                      "print('|'.join(x[3] for x in r[1:]))"},
      {grocery::kSplashShopper, "import csv,sys\nr=list(csv.reader(open(sys.argv[1],encoding='cp1252',newline='')))\n"
                                "print('|'.join(x[1] for x in r[1:] if len(x)==13))"},
      {grocery::kGroceryGadget, "import csv,sys\nr=list(csv.reader(open(sys.argv[1],encoding='cp1252',newline='')))\n"
                                "print('|'.join(x[0] for x in r[1:] if len(x)==7))"},
      {grocery::kHtml, "import sys\nfrom html.parser import HTMLParser\nclass P(HTMLParser):\n"
                       " def __init__(s):\n  super().__init__(); s.cells=[]; s.td=False\n"
                       " def handle_starttag(s,t,a):\n  s.td = t=='td'\n"
                       " def handle_endtag(s,t):\n  s.td=False\n"
                       " def handle_data(s,d):\n  s.td and s.cells.append(d)\n"
                       "p=P(); p.feed(open(sys.argv[1],encoding='cp1252').read())\nprint('|'.join(p.cells[1::3]))"},
  };
  for (const auto& c : cases) {
    WriteBytes(dir / "out", ExportBytes(image, c.format, Info()));
    WriteBytes(dir / "read.py", c.script);
    const std::string out = CommandOutput("/usr/bin/python3 " + (dir / "read.py") + " " + (dir / "out"));
    EXPECT_EQ(out, "Milk|Butter|12\" pan & <lid>\n") << "format " << c.format;
  }
}

TEST(GroceryExportBytes, TheEbookHoldsTheList) {
  if (std::system("command -v mobitool >/dev/null 2>&1") != 0) GTEST_SKIP() << "no mobitool";
  TempDir dir;
  WriteBytes(dir / "g.mobi", ExportBytes(ByteImage(ListFile()), grocery::kMobi, Info()));
  const std::string out = CommandOutput("mobitool -d -o " + dir.path() + " " + (dir / "g.mobi"));
  EXPECT_NE(out.find("Title: Grocery List for Mar 7, 2026"), std::string::npos) << out;
  EXPECT_NE(out.find("Author: Estimated Total: $ 45.97"), std::string::npos) << out;
  const std::string text = ReadBytes(dir / "g.rawml");
  EXPECT_NE(text.find("<mbp:pagebreak/><b><font color=#0000A0>Aldi: Dairy</font></b><br>\r\n<table width=100% border=1>"
                      "\r\n<tr><td width=10%>2</td><td width=75%>Milk</td><td width=15%>3.50</td></tr>"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("<td width=75%>12\" pan &amp; &lt;lid&gt;</td>"), std::string::npos) << text;
}

class RecordingServices : public ExportServices {
 public:
  bool PutClipboardText(const std::string& text) override {
    clipboard = text;
    return true;
  }
  int SendMailWithAttachment(const std::string& to, const std::string& subject, const std::string& body,
                             const std::string& attachment) override {
    mail = subject + "|" + body + "|" + attachment;
    return mailResult;
  }
  FtpResult Upload(AppContext&, Dialogs&, const std::string& settings, const std::string& path) override {
    uploaded = ReadBytes(path);
    return {1, "Uploaded"};
  }
  void OpenWebAddress(AppContext&, const std::string&) override {}
  std::string clipboard, mail, uploaded;
  int mailResult = 0;
};

TEST_F(GroceryTest, DestinationsAndTheOrderAfterwards) {
  ctx.settings.grocery_sort = grocery::kByName;
  Seed(ListFile());
  ASSERT_TRUE(list.SortAndSave(grocery::kByName));
  const std::string byName = File();
  RecordingServices services;
  // Clipboard: the plain text, and the file back in the user's order.
  dialogs.choices = {0};
  grocery::GroceryExportCommand(list, services, 10, 10);
  EXPECT_NE(services.clipboard.find("Produce:\r\n3 - 12\" pan & <lid>\r\n\r\nAldi: Dairy:\r\n1 - Butter\r\n2 - Milk\r\n"), std::string::npos)
      << services.clipboard;
  EXPECT_EQ(File(), byName);
  // E-mail that no mail program takes.
  services.mailResult = 1;
  dialogs.choices = {1};
  grocery::GroceryExportCommand(list, services, 10, 10);
  EXPECT_EQ(services.mail.substr(0, 17), "Grocery List for ");
  EXPECT_EQ(dialogs.Messages().back(),
            "Pantrela was unable to open your email program.||Please export to the Clipboard instead.|Then start a new "
            "email in your email program,|and paste the recipe into your message.");
  // A file: format, folder, an existing name that is kept on Cancel, then OK.
  TempDir out;
  WriteBytes(out / "week.csv", "mine");
  dialogs.choices = {2, 1};
  dialogs.browse.push_back({out.path(), "week.txt"});
  dialogs.buttons = {1, 2};
  grocery::GroceryExportCommand(list, services, 10, 10);
  EXPECT_EQ(ReadBytes(out / "week.csv"), "mine");
  EXPECT_EQ(dialogs.Messages().back(), "week.csv already exists.|Do you want to overwrite it?");
  EXPECT_EQ(ctx.settings.grocery_format, 1);
  EXPECT_EQ(ctx.settings.grocery_path, out.path());
  dialogs.choices = {2, 1};
  dialogs.browse.push_back({out.path(), "week"});
  dialogs.buttons = {1, 1};
  grocery::GroceryExportCommand(list, services, 10, 10);
  EXPECT_EQ(ReadBytes(out / "week.csv").substr(0, 35), "Store,Location,Quantity,Item,Price\r");
  // The tablet: the HTML page uploaded with the settings of its form.
  dialogs.choices = {3};
  dialogs.formAnswers.push_back({"ftp.example", "21", "lists", "me", "pw", "Grocery"});
  grocery::GroceryExportCommand(list, services, 10, 10);
  EXPECT_NE(services.uploaded.find("<b><font color=#0000A0>Produce</font></b>"), std::string::npos);
  EXPECT_EQ(dialogs.Messages().back(), "Uploaded");
  EXPECT_EQ(File(), byName);
  // Dismissing the menu does nothing; an empty catalogue says so.
  dialogs.shown.clear();
  dialogs.choices = {-1};
  grocery::GroceryExportCommand(list, services, 10, 10);
  EXPECT_TRUE(dialogs.Messages().empty() || dialogs.Messages().size() == 0);
  Seed("");
  grocery::GroceryExportCommand(list, services, 10, 10);
  EXPECT_EQ(dialogs.Messages().back(), "Grocery Buffer is Empty");
}

}  // namespace
}  // namespace pantrela::testing

namespace pantrela::testing {
namespace {

TEST_F(GroceryTest, AFullDiskWhileExportingIsReportedAndLeavesNoFile) {
  Seed(ListFile());
  TempDir out;
  {
    FileFault fault(FileFault::kWrite, 1, ENOSPC, true, "week");
    EXPECT_FALSE(grocery::WriteGroceryExport(list, out.path(), "week", grocery::kCsv));
  }
  EXPECT_FALSE(Exists(out / "week.csv"));
  EXPECT_EQ(dialogs.Messages().back(), "week.csv could not be written.||No space left on device|Nothing was saved under this name.");
}

}  // namespace
}  // namespace pantrela::testing
