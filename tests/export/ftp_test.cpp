// The FTP settings form and uploads to a loopback server.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "export/ftp.h"
#include "foundation/context.h"
#include "foundation/file.h"
#include "support/ftp_server.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace pantrela::testing {
namespace {

// ----- the settings form -----

struct FormCase {
  std::string stored;
  std::string ext;
  std::vector<std::string> entered;
  std::string settings;
};

TEST(FtpSettingsForm, NormalisesFileNameAndDirectory) {
  const std::vector<FormCase> cases = {
      {"", "mobi", {"host", "2121", "/Documents/", "", "", "book.pdf"}, "host 2121 Documents   book.mobi"},
      {"", "mobi", {"host", "21", "\\Books\\", "me", "pw", "a/b.c.d"}, "host 21 Books me pw ab.mobi"},
      {"", "pdf", {"host", "21", "", "", "", ""}, "host 21    Recipes.pdf"},
  };
  for (const FormCase& c : cases) {
    ScriptedDialogs d;
    d.formAnswers = {c.entered};
    std::string settings = c.stored;
    ASSERT_TRUE(FtpSettingsForm(d, "Enter|Help", "", settings, "Recipes", c.ext, {}));
    EXPECT_EQ(settings, c.settings);
  }
}

TEST(FtpSettingsForm, PrefillsAndDefaultsTheDirectory) {
  struct Case {
    std::string stored, ext;
    std::vector<std::string> shown;
  };
  const std::vector<Case> cases = {
      {"", "mobi", {"", "", "Documents", "", "", ""}},
      {"", "pdf", {"", "", "Local", "", "", ""}},
      {"h 21  u p f.pdf", "pdf", {"h", "21", "Local", "u", "p", "f.pdf"}},
      // A password holding a space reads back as two values.
      {"h 21 D u pass word", "mobi", {"h", "21", "D", "u", "pass", "word"}},
  };
  for (const Case& c : cases) {
    ScriptedDialogs d;
    d.buttons = {2};
    std::string settings = c.stored;
    EXPECT_FALSE(FtpSettingsForm(d, "Enter|Help", "", settings, "Recipes", c.ext, {}));
    ASSERT_EQ(d.shown.size(), 1u);
    EXPECT_EQ(d.shown[0].items, c.shown) << c.stored;
    EXPECT_EQ(d.shown[0].buttons, "Host|Port|Directory|User|Password|Filename");
    EXPECT_EQ(settings, c.stored);
  }
}

TEST(FtpSettingsForm, HostAndPortAreRequiredAndFaqOpensTheHelp) {
  ScriptedDialogs d;
  d.formAnswers = {{"host", "", "", "", "", ""}, {"host", " ", "", "", "", ""}, {}, {"host", "21", "", "", "", ""}};
  d.buttons = {1, 1, 3, 1};
  std::vector<std::string> opened;
  std::string settings;
  ASSERT_TRUE(FtpSettingsForm(d, "Enter Settings|Click FAQ", "https://help/", settings, "Recipes", "mobi",
                              [&](const std::string& a) { opened.push_back(a); }));
  ASSERT_EQ(d.shown.size(), 4u);
  EXPECT_EQ(d.shown[0].text, "Enter Settings|Click FAQ");
  EXPECT_EQ(d.shown[1].text, "Enter Settings|Click FAQ|* Host and Port are Required Fields *");
  EXPECT_EQ(d.shown[2].text,
            "Enter Settings|Click FAQ|* Host and Port are Required Fields *|* Host and Port are Required Fields *");
  EXPECT_EQ(opened, std::vector<std::string>{"https://help/"});
  // The entered values stand: the directory was cleared in the form.
  EXPECT_EQ(settings, "host 21    Recipes.mobi");
}

// ----- uploads -----

class FtpUploadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx.SetFolders(dir.path(), dir.path());
    ctx.SetDialogs(&dialogs);
  }
  // Starts pyftpdlib on a free loopback port, serving `root` to user u / pw.
  int StartServer() { return StartFtpServer(server, root.path(), dir / "ftp.log"); }
  std::string Log() { return ReadBytes(ctx.files.statusLog); }

  TempDir dir, root;
  AppContext ctx;
  ScriptedDialogs dialogs;
  std::unique_ptr<Child> server;
  FtpTimeouts quick{5, 5, 5};
};

TEST_F(FtpUploadTest, TheFileArrivesByteForByteInTheChosenDirectory) {
  const int port = StartServer();
  if (port == 0) GTEST_SKIP() << "pyftpdlib is not available";
  std::string bytes;
  for (int i = 0; i < 300000; ++i) bytes += char(i * 7 % 256);
  WriteBytes(dir / "recipes.mobi", bytes);
  const FtpResult r =
      FtpUpload(ctx, dialogs, "127.0.0.1 " + std::to_string(port) + " Documents u pw book.mobi", dir / "recipes.mobi", quick);
  EXPECT_EQ(r.ok, 1);
  EXPECT_EQ(r.text, "File Uploaded Successfuly");
  EXPECT_EQ(ReadBytes(root.path() + "Documents/book.mobi"), bytes);
  const std::string log = Log();
  for (const char* line : {"FTP Upload \r\n================\r\n", "Source File: ", "InternetOpen Handle: ",
                           "HIconnect: ", "Last Response: ", "Connected to Server",
                           "Current FTP Server Directory Is: /\r\n", "Remote Filename: Documents/book.mobi\r\n",
                           "File Uploaded Sucessfully\r\n", "Closing Open Handles",
                           "End of Program, review the log file"})
    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
  // Seven steps, and the window closed again.
  std::vector<std::string> titles;
  for (const auto& l : dialogs.progressLines) titles.push_back(l.substr(0, l.find('|')));
  EXPECT_EQ(titles, (std::vector<std::string>{"Verify Source File", "Opening a connection", "Connect to FTP server",
                                              "Retrieve Server Response", "Get Current Directory",
                                              "Uploading File via FTP", "Closing FTP Connection"}));
  EXPECT_FALSE(dialogs.progressOpen);
}

TEST_F(FtpUploadTest, FailuresGiveTheirResultTexts) {
  const int port = StartServer();
  if (port == 0) GTEST_SKIP() << "pyftpdlib is not available";
  WriteBytes(dir / "recipes.pdf", "%PDF-1.4 test");
  // A port nothing listens on: one that was free a moment ago.
  const int closedPort = [] {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return int(ntohs(a.sin_port));
  }();
  struct Case {
    std::string settings;
    std::string path;
    std::string result;
    std::string logLine;
  };
  const std::string p = std::to_string(port);
  const std::vector<Case> cases = {
      {"127.0.0.1 " + p + " Local u pw r.pdf", dir / "missing.pdf", "Source File Is Missing", "Source File Is Missing"},
      {"127.0.0.1 " + p + " Local u wrong r.pdf", dir / "recipes.pdf",
       "Error connecting to server||(Verify Host, Port, and Directory)", "Error: Could not connect to server"},
      {"127.0.0.1 " + std::to_string(closedPort) + " Local u pw r.pdf", dir / "recipes.pdf",
       "Error connecting to server||(Verify Host, Port, and Directory)", "Error: Could not connect to server"},
      {"127.0.0.1 " + p + " NoSuchFolder u pw r.pdf", dir / "recipes.pdf",
       "Error Uploading File||(Verify Directory is Correct)", "ERROR: Upload Failed - "},
  };
  for (const Case& c : cases) {
    DeleteFile(ctx.files.statusLog);
    const FtpResult r = FtpUpload(ctx, dialogs, c.settings, c.path, quick);
    EXPECT_EQ(r.ok, 0) << c.settings;
    EXPECT_EQ(r.text, c.result) << c.settings;
    const std::string log = Log();
    EXPECT_NE(log.find(c.logLine), std::string::npos) << log;
    if (c.result != "Source File Is Missing") EXPECT_NE(log.find("libcurl: "), std::string::npos) << log;
    EXPECT_FALSE(dialogs.progressOpen);
  }
  EXPECT_FALSE(Exists(root.path() + "Local/r.pdf"));
}

TEST_F(FtpUploadTest, AServerThatStopsAnsweringTimesOut) {
  // Accepts connections and never says a word.
  const std::string script =
      "import socket,sys,time\n"
      "s=socket.socket(); s.bind(('127.0.0.1',0)); s.listen(5)\n"
      "sys.stderr.write('listening on %d\\n' % s.getsockname()[1]); sys.stderr.flush()\n"
      "conns=[]\n"
      "while True:\n"
      "  c,_=s.accept(); conns.append(c)\n";
  WriteBytes(dir / "mute.py", script);
  Child mute({"/usr/bin/python3", dir / "mute.py"}, dir / "mute.log");
  const int port = WaitForPort(dir / "mute.log", "listening on ");
  ASSERT_GT(port, 0);
  WriteBytes(dir / "recipes.pdf", "%PDF");
  const auto start = std::chrono::steady_clock::now();
  const FtpResult r = FtpUpload(ctx, dialogs, "127.0.0.1 " + std::to_string(port) + " Local u pw r.pdf",
                                dir / "recipes.pdf", FtpTimeouts{2, 2, 2});
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(r.ok, 0);
  EXPECT_EQ(r.text, "Error connecting to server||(Verify Host, Port, and Directory)");
  EXPECT_LT(seconds, 10.0);
  EXPECT_NE(Log().find("libcurl: 28 "), std::string::npos) << Log();
}

}  // namespace
}  // namespace pantrela::testing
