// pantrela-cli cloud-backup, cloud-restore and news against pantrela-server
// on 127.0.0.1.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "app/cli_run.h"
#include "server/server_fixture.h"
#include "support/fake_vendor.h"
#include "support/temp_dir.h"

namespace pantrela::testing {
namespace {

struct VendorUrl {
  explicit VendorUrl(const std::string& host) { ::setenv("PANTRELA_VENDOR_URL", ("http://" + host + "/").c_str(), 1); }
  ~VendorUrl() { ::unsetenv("PANTRELA_VENDOR_URL"); }
};

TEST(CliCloud, BackupOnOneDataFolderRestoreOnAnother) {
  RunningServer server;
  VendorUrl url(server.host());
  TempDir a, b;
  WriteBytes(a / "pw.txt", "secret1\n");
  const std::string login = " --user Abcd1 --password-file " + a.path() + "pw.txt";
  std::string out;
  ASSERT_EQ(RunCli("--data-dir " + a.path() + " cloud-backup" + login, &out), 0) << out;
  EXPECT_NE(out.find("Backup Complete"), std::string::npos) << out;
  // Without --yes the question keeps its default, "Cancel".
  EXPECT_EQ(RunCli("--data-dir " + b.path() + " cloud-restore" + login, &out), 1) << out;
  EXPECT_NE(out.find("Restoring a backup will overwrite your current recipe collection!"), std::string::npos);
  ASSERT_EQ(RunCli("--data-dir " + b.path() + " --yes cloud-restore" + login, &out), 0) << out;
  EXPECT_NE(out.find("Restore Completed Successfully"), std::string::npos) << out;
  std::string listA, listB;
  ASSERT_EQ(RunCli("--data-dir " + a.path() + " list", &listA, false), 0);
  ASSERT_EQ(RunCli("--data-dir " + b.path() + " list", &listB, false), 0);
  EXPECT_EQ(listA, listB);
  // The account is stored now: the options can be left out.
  EXPECT_EQ(RunCli("--data-dir " + a.path() + " cloud-backup", &out), 0) << out;

  WriteBytes(a / "bad.txt", "wrong11");
  EXPECT_EQ(RunCli("--data-dir " + b.path() + " --yes cloud-restore --user abcd1 --password-file " + a.path() +
                       "bad.txt",
                   &out),
            1);
  EXPECT_NE(out.find("Incorrect Password"), std::string::npos) << out;
  for (const char* usage : {" cloud-backup --user abcd1", " cloud-restore --password-file x", " cloud-backup extra"})
    EXPECT_EQ(RunCli("--data-dir " + a.path() + usage, &out), 2) << usage;
}

TEST(CliCloud, ServerDownAndNews) {
  TempDir a;
  std::string out;
  {
    VendorUrl url("127.0.0.1:" + std::to_string(UnusedPort()));
    WriteBytes(a / "pw.txt", "secret1");
    EXPECT_EQ(RunCli("--data-dir " + a.path() + " cloud-backup --user abcd1 --password-file " + a.path() + "pw.txt",
                     &out),
              1);
    EXPECT_NE(out.find("Unable to Create Cloud Account"), std::string::npos) << out;
    EXPECT_EQ(RunCli("--data-dir " + a.path() + " news", &out), 1);
  }
  RunningServer server;
  VendorUrl url(server.host());
  WriteBytes(server.data / "version_info.txt", "news_date=\"2026/12/05\";news_note=\"Soups of the week\";");
  ASSERT_EQ(RunCli("--data-dir " + a.path() + " news", &out), 0) << out;
  EXPECT_NE(out.find("News for December 05, 2026:\n\nSoups of the week"), std::string::npos) << out;
}

}  // namespace
}  // namespace pantrela::testing
