// Cloud backup and restore over loopback, against pantrela-server itself and
// against a stand-in server whose answers the tests choose.
#include "backup/cloud.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>

#include "backup/cloud_record.h"
#include "database/collection.h"
#include "database/db_fixture.h"
#include "server/server_fixture.h"
#include "support/fake_vendor.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

namespace pantrela {
namespace {

using testing::FakeVendor;
using testing::RawField;
using testing::RawRecord;
using testing::ReadBytes;
using testing::WriteBytes;

constexpr int64_t kSoups = 0x3F50000000000001;
constexpr int64_t kCakes = 0x3F50000000000002;

// A data folder with its own context, dialogs and collection.
struct DataFolder {
  testing::TempDir dir;
  AppContext ctx;
  testing::ScriptedDialogs dialogs;
  std::unique_ptr<Collection> db;

  DataFolder() {
    ctx.SetFolders(dir.path(), dir.path());
    ctx.SetDialogs(&dialogs);
  }
  void Open() {
    db = std::make_unique<Collection>(ctx);
    OpenCollection(*db);
  }
  std::string Log() const { return ReadBytes(ctx.files.statusLog); }
  std::string LastMessage() const {
    auto m = dialogs.Messages();
    return m.empty() ? std::string() : m.back();
  }
  // Record IDs of the recipes and information texts, with their entries.
  std::vector<std::pair<int64_t, uint32_t>> Recipes() {
    std::vector<std::pair<int64_t, uint32_t>> out;
    for (uint32_t off : db->EntryOffsets()) {
      EntryView e = db->Entry(off);
      if (e.kind() == kKindRecipe || e.kind() == kKindInfo) out.emplace_back(e.recordId(), off);
    }
    std::sort(out.begin(), out.end());
    return out;
  }
  std::vector<std::string> ChapterNames() {
    std::vector<std::string> out;
    for (uint32_t off : db->EntryOffsets()) {
      EntryView e = db->Entry(off);
      if (e.kind() == kKindChapter && e.chapterKey() > kReservedKeyMax) out.emplace_back(e.title());
    }
    std::sort(out.begin(), out.end());
    return out;
  }
};

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = char(gen() & 0xFF);
  return s;
}

// A small collection: two chapters, recipes with and without photos, an
// information text; grocery, meal and dictionary files with binary bytes
// and blanks at both ends.
void FillCollection(DataFolder& f, size_t photoBytes = 3000) {
  std::string file;
  file += RawRecord(0, kSoups, kKindChapter, {{1, "Soups"}});
  file += RawRecord(0, kCakes, kKindChapter, {{1, "Cakes & Bakes"}});
  file += RawRecord(0x3F50000000000101, kSoups, kKindRecipe,
                    {{1, "Tomato Soup"}, {2, "2 cups tomatoes\r1 onion"}, {3, "Simmer.\r\rServe hot."}}, 9, 4);
  file += RawRecord(0x3F50000000000102, kCakes, kKindRecipe,
                    {{1, "Chocolate Cake"}, {2, "1 cup sugar"}, {3, "Bake at 350\xB0."}, {5, RandomBytes(photoBytes, 1)}},
                    9, 8);
  file += RawRecord(0x3F50000000000103, kCakes, kKindInfo, {{1, "Baking Notes"}, {3, "Weigh everything."}}, 9, 0);
  WriteBytes(f.ctx.files.recipe, file);
  WriteBytes(f.ctx.files.grocery, std::string("  \x00\x01grocery\xFF  ", 15));
  WriteBytes(f.ctx.files.meal, std::string(" \x00meals\x00 ", 9));
  WriteBytes(f.ctx.files.dictionary, "word\r\nlist \r\n");
  f.Open();
}

void ExpectSameRecipes(DataFolder& a, DataFolder& b) {
  auto ra = a.Recipes(), rb = b.Recipes();
  ASSERT_EQ(ra.size(), rb.size());
  for (size_t i = 0; i < ra.size(); ++i) {
    ASSERT_EQ(ra[i].first, rb[i].first);
    a.db->LoadCurrent(uint64_t(a.db->Entry(ra[i].second).fileOffset()));
    b.db->LoadCurrent(uint64_t(b.db->Entry(rb[i].second).fileOffset()));
    const CurrentRecord &x = a.db->current(), &y = b.db->current();
    EXPECT_EQ(x.recordId(), y.recordId());
    EXPECT_EQ(x.chapterKey(), y.chapterKey());
    EXPECT_EQ(x.kind(), y.kind());
    EXPECT_EQ(x.servings(), y.servings());
    EXPECT_EQ(x.title, y.title);
    EXPECT_EQ(x.ingredients, y.ingredients);
    EXPECT_EQ(x.directions, y.directions);
    EXPECT_EQ(x.photo, y.photo);
  }
}

TEST(CloudLogin, FormIsShownAgainWithTheBrokenRule) {
  DataFolder f;
  f.ctx.settings.cloud_user = "olduser";
  f.ctx.settings.cloud_password = "oldpass";
  f.Open();
  f.dialogs.formAnswers = {{"abc", "secret"}, {"ab_c", "secret"}, {" Abc1 ", "SeCret9"}};
  auto login = CloudLogin(*f.db);
  ASSERT_TRUE(login);
  EXPECT_EQ(login->user, "abc1");
  EXPECT_EQ(login->password, "secret9");
  const std::string prompt = "Enter a user name and password for your cloud account";
  ASSERT_EQ(f.dialogs.shown.size(), 3u);
  EXPECT_EQ(f.dialogs.shown[0].text, prompt);
  EXPECT_EQ(f.dialogs.shown[0].buttons, "User|Password");
  EXPECT_EQ(f.dialogs.shown[0].items, (std::vector<std::string>{"olduser", "oldpass"}));
  EXPECT_EQ(f.dialogs.shown[1].text, prompt + "|USER must be at least four characters long");
  EXPECT_EQ(f.dialogs.shown[2].text, prompt + "|USER may only contain letters and numbers");

  f.dialogs.buttons = {2};
  EXPECT_FALSE(CloudLogin(*f.db));
}

TEST(Cloud, BackupThenRestoreIntoAnEmptyFolder) {
  testing::RunningServer server;
  ASSERT_GT(server.port(), 0);
  VendorHost host = VendorHost::Parse(server.host());
  DataFolder a;
  FillCollection(a);
  CloudCredentials login{"Abc1", "secret1"};
  ASSERT_EQ(CloudBackup(*a.db, host, &login), CloudOutcome::Done) << a.LastMessage();
  EXPECT_EQ(a.LastMessage(), "Backup Complete");
  EXPECT_EQ(a.ctx.settings.cloud_user, "abc1");  // stored in lower case
  EXPECT_NE(a.Log().find("Cloud Backup Size: 000,00"), std::string::npos);
  // The working files are gone.
  for (const char* n : {"source.zip", "chapters.dat", "index.dat"}) EXPECT_FALSE(Exists(a.dir / n)) << n;
  // The settings file holds the account now.
  Settings stored;
  ReadSettings(stored, a.ctx.files.settings, a.ctx.workArea);
  EXPECT_EQ(stored.cloud_password, "secret1");

  DataFolder b;
  b.Open();
  ASSERT_EQ(CloudRestore(*b.db, host, &login), CloudOutcome::Done) << b.LastMessage();
  EXPECT_EQ(b.LastMessage(), "Restore Completed Successfully");
  ExpectSameRecipes(a, b);
  EXPECT_EQ(b.ChapterNames(), (std::vector<std::string>{"Cakes & Bakes", "Soups"}));
  for (auto file : {&FileTable::grocery, &FileTable::meal, &FileTable::dictionary})
    EXPECT_EQ(ReadBytes(b.ctx.files.*file), ReadBytes(a.ctx.files.*file));
  // No "cloud-" file is left behind.
  for (const char* n : {"cloud-Recipe860.dat", "cloud-Grocery747.dat", "cloud-Event860.dat"})
    EXPECT_FALSE(Exists(b.dir / n)) << n;

  // A second backup replaces the first on the server: restoring again gives
  // the same collection, not two copies.
  ASSERT_EQ(CloudBackup(*a.db, host, &login), CloudOutcome::Done);
  ASSERT_EQ(CloudRestore(*b.db, host, &login), CloudOutcome::Done);
  ExpectSameRecipes(a, b);
}

TEST(Cloud, RestoreRefusesWrongAccounts) {
  testing::RunningServer server;
  VendorHost host = VendorHost::Parse(server.host());
  DataFolder a;
  FillCollection(a);
  CloudCredentials owner{"owner1", "secret1"};
  ASSERT_EQ(CloudBackup(*a.db, host, &owner), CloudOutcome::Done);

  DataFolder b;
  FillCollection(b);
  const std::string before = ReadBytes(b.ctx.files.recipe);
  const struct {
    CloudCredentials login;
    std::string message;
  } cases[] = {
      {{"owner1", "wrong11"}, "Incorrect Password"},
      {{"nobody", "secret1"}, "Invalid User Account"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CloudRestore(*b.db, host, &c.login), CloudOutcome::Failed);
    EXPECT_EQ(b.LastMessage(), c.message);
  }
  EXPECT_EQ(ReadBytes(b.ctx.files.recipe), before);

  // Another user's name with a wrong password is "taken".
  CloudCredentials thief{"owner1", "another1"};
  EXPECT_EQ(CloudBackup(*b.db, host, &thief), CloudOutcome::Failed);
  EXPECT_EQ(b.LastMessage(), "User name \"owner1\" is already taken.");
}

TEST(Cloud, ServerDownIsReportedAndLogged) {
  VendorHost host = VendorHost::Parse("127.0.0.1:" + std::to_string(testing::UnusedPort()));
  DataFolder f;
  FillCollection(f);
  CloudCredentials login{"abcd", "secret"};
  EXPECT_EQ(CloudBackup(*f.db, host, &login), CloudOutcome::Failed);
  EXPECT_EQ(f.LastMessage(), "Unable to Create Cloud Account");
  EXPECT_NE(f.Log().find("Failure Creating Cloud Account\r\nError opening port " + host.text + "\r\n"),
            std::string::npos);
  EXPECT_EQ(CloudRestore(*f.db, host, &login), CloudOutcome::Failed);
  EXPECT_EQ(f.LastMessage(), "Error downloading file list|Details in status log");
  EXPECT_NE(f.Log().find("-----\r\nlist-files.php\r\nError opening port " + host.text + "\r\n-----\r\n"),
            std::string::npos);
  EXPECT_EQ(CloudUpload(host, login, "data", "source.zip", 0, NewAccessCode(), "B"), "Error opening port " + host.text);
  EXPECT_TRUE(f.ctx.settings.cloud_user.empty());
}

// The stand-in answers "success" to the account and finishes with an empty
// body; uploads are stored.
std::string AcceptEverything(const std::string& req) {
  if (req.rfind("GET  ", 0) == 0 && req.find("create-account.php") != std::string::npos) return FakeVendor::Ok("success");
  return FakeVendor::Ok("");
}

std::string Field(const std::string& request, const std::string& name) {
  std::string key = "Content-Disposition: form-data; name=\"" + name + "\"\r\n\r\n";
  size_t p = request.find(key);
  if (p == std::string::npos) return "<none>";
  p += key.size();
  return request.substr(p, request.find("\r\n", p) - p);
}

TEST(Cloud, RequestsAreSentByteForByte) {
  FakeVendor fake(AcceptEverything);
  VendorHost host = VendorHost::Parse(fake.host());
  DataFolder f;
  // A photo that does not compress makes an archive of more than two pieces.
  FillCollection(f, 1100000);
  f.ctx.settings.cloud_user = "olduser";
  f.ctx.settings.cloud_password = "oldpass";
  CloudCredentials login{"abcd", "secret"};
  ASSERT_EQ(CloudBackup(*f.db, host, &login), CloudOutcome::Done) << f.LastMessage();
  std::vector<std::string> reqs = fake.Requests();
  ASSERT_GE(reqs.size(), 4u);
  EXPECT_EQ(reqs[0], "GET  http://" + host.text +
                         "/recipes/create-account.php?oldu=olduser&oldp=oldpass&newu=abcd&newp=secret  HTTP/1.0\r\n\r\n");
  std::string archive;
  std::vector<std::string> starts;
  std::vector<size_t> sizes;
  for (size_t i = 1; i + 1 < reqs.size(); ++i) {
    const std::string& r = reqs[i];
    size_t headEnd = r.find("\r\n\r\n");
    ASSERT_NE(headEnd, std::string::npos);
    std::string head = r.substr(0, headEnd + 2), body = r.substr(headEnd + 4);
    // The boundary is a record ID in hexadecimal.
    size_t b = head.find("boundary=") + 9;
    std::string boundary = head.substr(b, head.find("\r\n", b) - b);
    EXPECT_EQ(head, "POST /recipes/upload-records.php HTTP/1.0\r\n"
                    "User-Agent: Pantrela/6.6\r\n"
                    "Host: " + host.text + "\r\n"
                    "Accept: */*\r\n"
                    "Accept-Language: en-US,en;q=0.5\r\n"
                    "Referer: http://" + host.text + "/recipes/upload-records.php\r\n"
                    "Content-Type: multipart/form-data; boundary=" + boundary + "\r\n"
                    "Content-Length: " + std::to_string(body.size()) + "\r\n");
    EXPECT_EQ(boundary, HexNumber(ReadHex(boundary)));
    EXPECT_EQ(Field(body, "user"), "abcd");
    EXPECT_EQ(Field(body, "password"), "secret");
    EXPECT_EQ(Field(body, "access").size(), 9u);
    starts.push_back(Field(body, "start"));
    const std::string fileHead = "--" + boundary +
                                 "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"source.zip\"\r\n"
                                 "Content-Type: application/octet-stream\r\nContent-Transfer-Encoding: binary\r\n\r\n";
    size_t fp = body.find(fileHead);
    ASSERT_NE(fp, std::string::npos);
    const std::string tail = "\r\n--" + boundary + "--\r\n";
    ASSERT_EQ(body.substr(body.size() - tail.size()), tail);
    std::string data = body.substr(fp + fileHead.size(), body.size() - tail.size() - fp - fileHead.size());
    sizes.push_back(data.size());
    archive += data;
  }
  ASSERT_EQ(sizes.size(), 3u);
  EXPECT_EQ(sizes[0], 512000u);
  EXPECT_EQ(sizes[1], 512000u);
  EXPECT_EQ(sizes[0] + sizes[1] + sizes[2], archive.size());
  EXPECT_EQ(starts, (std::vector<std::string>{"1", "0", "0"}));
  EXPECT_EQ(archive.substr(0, 2), "PK");
  const std::string& fin = reqs.back();
  EXPECT_EQ(fin.rfind("GET  http://" + host.text + "/recipes/finish.php?access=", 0), 0u) << fin;
  EXPECT_NE(fin.find("&user=abcd  HTTP/1.0\r\n\r\n"), std::string::npos);
  // Progress: exporting, uploading, completing.
  auto& p = f.dialogs.progressLines;
  EXPECT_NE(std::find(p.begin(), p.end(), "Exporting Recipes|Press space bar to cancel|0"), p.end());
  EXPECT_NE(std::find(p.begin(), p.end(), "Uploading Recipes|Press space bar to cancel|100"), p.end());
  EXPECT_NE(std::find(p.begin(), p.end(), "Completing Upload||0"), p.end());
}

TEST(Cloud, UploadAndFinishFailuresEndTheBackup) {
  const struct {
    std::string upload, finish, message, log;
  } cases[] = {
      {"Disk <b>full</b>", "", "Upload Failed|Disk full", "Upload Failed:\r\nDisk full\r\n"},
      {"", "Wrong code", "Failure Completing Upload|Wrong code", "Failure Completing Upload: \r\nWrong code\r\n"},
  };
  for (const auto& c : cases) {
    FakeVendor fake([&](const std::string& req) {
      if (req.find("create-account.php") != std::string::npos) return FakeVendor::Ok("success");
      if (req.rfind("POST", 0) == 0) return FakeVendor::Ok(c.upload);
      return FakeVendor::Ok(c.finish);
    });
    DataFolder f;
    FillCollection(f);
    CloudCredentials login{"abcd", "secret"};
    EXPECT_EQ(CloudBackup(*f.db, VendorHost::Parse(fake.host()), &login), CloudOutcome::Failed);
    EXPECT_EQ(f.LastMessage(), c.message);
    EXPECT_NE(f.Log().find(c.log), std::string::npos) << f.Log();
    EXPECT_FALSE(Exists(f.dir / "source.zip"));
  }
}

TEST(Cloud, SpaceBarCancelsTheBackup) {
  FakeVendor fake(AcceptEverything);
  DataFolder f;
  FillCollection(f);
  f.dialogs.stopAfterPolls = 0;
  CloudCredentials login{"abcd", "secret"};
  EXPECT_EQ(CloudBackup(*f.db, VendorHost::Parse(fake.host()), &login), CloudOutcome::Cancelled);
  EXPECT_EQ(f.LastMessage(), "Backup Cancelled By User");
  EXPECT_FALSE(Exists(f.dir / "source.zip"));
  EXPECT_FALSE(f.dialogs.progressOpen);
}

// A stand-in that lists `listing` and serves `files` (name -> raw answer).
struct ListingServer {
  std::string listing;
  std::map<std::string, std::string> files;
  FakeVendor fake{[this](const std::string& req) {
    if (req.find("/recipes/list-files.php?") != std::string::npos) return FakeVendor::Ok(listing);
    size_t p = req.find("/recipes/abcd/");
    if (p != std::string::npos) {
      std::string name = req.substr(p + 14, req.find('?', p) - p - 14);
      auto it = files.find(name);
      if (it != files.end()) return it->second;
    }
    return std::string("HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\n\r\nNot Found");
  }};
};

std::string RecordFileText() {
  CurrentRecord r;
  r.setRecordId(0x3F50000000000201);
  r.setChapterKey(kSoups);
  r.title = "Listed Soup";
  r.directions = "Stir.";
  return EncodeCloudRecord(r, 0).text;
}

TEST(Cloud, RestoreTakesOnlyPlainNamesOfTheBackupsOwnFiles) {
  ListingServer s;
  s.listing =
      "my-soups.rcp - 100\r\n"      // a hyphen in the name: split at the last one
      "chapters.dat-20\r\n"
      "Grocery747.dat-3\r\n"
      "../Event860.dat-5\r\n"       // path parts are never followed
      "sub/x.rcp-5\r\n"
      "Setup747.dat-5\r\n"          // not a file of a backup
      "command.dat-5\r\n"
      "index.dat-9\r\nuser.dat-1\r\ntemp.jpg-1\r\nno size line\r\nsuccess\r\n";
  s.files["my-soups.rcp"] = FakeVendor::Ok(RecordFileText());
  s.files["chapters.dat"] = FakeVendor::Ok(HexNumber(kSoups) + "\tSoups\r\n");
  s.files["Grocery747.dat"] = FakeVendor::Ok(" g ");
  DataFolder f;
  f.Open();
  CloudCredentials login{"abcd", "secret"};
  ASSERT_EQ(CloudRestore(*f.db, VendorHost::Parse(s.fake.host()), &login), CloudOutcome::Done) << f.LastMessage();
  std::vector<std::string> fetched;
  for (const std::string& r : s.fake.Requests()) {
    size_t p = r.find("/recipes/abcd/");
    if (p != std::string::npos) fetched.push_back(r.substr(p, r.find("  HTTP") - p));
  }
  // Every download carries the owner's password.
  EXPECT_EQ(fetched, (std::vector<std::string>{"/recipes/abcd/my-soups.rcp?user=abcd&password=secret",
                                               "/recipes/abcd/chapters.dat?user=abcd&password=secret",
                                               "/recipes/abcd/Grocery747.dat?user=abcd&password=secret"}));
  for (const char* skipped : {"../Event860.dat", "sub/x.rcp", "Setup747.dat", "command.dat"})
    EXPECT_NE(f.Log().find(std::string("Cloud Restore - Skipped File: ") + skipped + "\r\n"), std::string::npos)
        << skipped;
  EXPECT_EQ(ReadBytes(f.ctx.files.grocery), " g ");
  EXPECT_FALSE(Exists(f.dir / "command.dat"));
  ASSERT_EQ(f.Recipes().size(), 1u);
  EXPECT_EQ(f.ChapterNames(), (std::vector<std::string>{"Soups"}));
}

TEST(Cloud, FailedDownloadsLeaveTheCollectionAsItWas) {
  const std::string record = RecordFileText();
  const struct {
    const char* what;
    std::string listing;
    std::map<std::string, std::string> files;
    std::string message;
  } cases[] = {
      {"cut body", "a.rcp-100\r\nsuccess",
       {{"a.rcp", "HTTP/1.0 200 OK\r\nContent-Length: 99999\r\n\r\n" + record}},
       "Error downloading file|a.rcp|Details in status log"},
      {"second file missing", "a.rcp-100\r\nGrocery747.dat-5\r\nsuccess",
       {{"a.rcp", FakeVendor::Ok(record)}}, "Error downloading file|Grocery747.dat|Details in status log"},
      {"no success", "a.rcp-100\r\n", {}, "Error downloading file list|Details in status log"},
  };
  for (const auto& c : cases) {
    ListingServer s;
    s.listing = c.listing;
    s.files = c.files;
    DataFolder f;
    FillCollection(f);
    const std::string recipe = ReadBytes(f.ctx.files.recipe), grocery = ReadBytes(f.ctx.files.grocery);
    CloudCredentials login{"abcd", "secret"};
    EXPECT_EQ(CloudRestore(*f.db, VendorHost::Parse(s.fake.host()), &login), CloudOutcome::Failed) << c.what;
    EXPECT_EQ(f.LastMessage(), c.message) << c.what;
    EXPECT_EQ(ReadBytes(f.ctx.files.recipe), recipe) << c.what;
    EXPECT_EQ(ReadBytes(f.ctx.files.grocery), grocery) << c.what;
    EXPECT_TRUE(Exists(f.ctx.files.index)) << c.what;
  }
}

TEST(Cloud, HugeListingEndsWithAMessage) {
  ListingServer s;
  for (int i = 0; i < 100000; ++i) s.listing += "f" + std::to_string(i) + ".rcp-10\r\n";
  s.listing += "success\r\n";
  DataFolder f;
  FillCollection(f);
  const std::string recipe = ReadBytes(f.ctx.files.recipe);
  CloudCredentials login{"abcd", "secret"};
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(CloudRestore(*f.db, VendorHost::Parse(s.fake.host()), &login), CloudOutcome::Failed);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(10));
  EXPECT_EQ(f.LastMessage(), "Error downloading file list|Details in status log");
  EXPECT_EQ(ReadBytes(f.ctx.files.recipe), recipe);
}

TEST(Cloud, SpaceBarDuringTheDownloadKeepsTheCollection) {
  ListingServer s;
  s.listing = "a.rcp-100\r\nsuccess\r\n";
  s.files["a.rcp"] = FakeVendor::Ok(RecordFileText());
  DataFolder f;
  FillCollection(f);
  const std::string recipe = ReadBytes(f.ctx.files.recipe);
  f.dialogs.stopAfterPolls = 0;
  CloudCredentials login{"abcd", "secret"};
  EXPECT_EQ(CloudRestore(*f.db, VendorHost::Parse(s.fake.host()), &login), CloudOutcome::Cancelled);
  EXPECT_EQ(f.LastMessage(), "Backup Cancelled By User");
  EXPECT_EQ(ReadBytes(f.ctx.files.recipe), recipe);
}

}  // namespace
}  // namespace pantrela
