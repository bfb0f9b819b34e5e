// pantrela-server: request targets, archive unpacking and the answers over
// loopback, run in the test process and as its own program.
#include "server/vendor_server.h"

#include <gtest/gtest.h>
#include <minizip/zip.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "backup/access_code.h"
#include "backup/cloud.h"
#include "backup/vendor_http.h"
#include "server/server_fixture.h"
#include "support/temp_dir.h"

namespace pantrela {
namespace {

using testing::ReadBytes;
using testing::RunningServer;
using testing::TempDir;
using testing::WriteBytes;
namespace fs = std::filesystem;

TEST(ServerTarget, AbsoluteAndPlainTargetsSplitIntoPathAndFields) {
  server::Target t = server::ParseTarget("http://host:8080/recipes/list-files.php?user=ab%63d&password=x+y&user=z");
  EXPECT_EQ(t.path, "/recipes/list-files.php");
  EXPECT_EQ(t.Field("user"), "abcd");  // the first of two wins
  EXPECT_EQ(t.Field("password"), "x y");
  EXPECT_EQ(server::ParseTarget("/tools/count-domain.php?url=pass=example.com").Field("url"), "pass=example.com");
  EXPECT_EQ(server::ParseTarget("/a?&&=x&b").Field("b"), "");
  EXPECT_EQ(server::ParseTarget("http://host").path, "/");
  EXPECT_EQ(server::ParseTarget("/%2e%2e/%zz%").path, "/../%zz%");
}

TEST(ServerNames, OnlyPlainFileNamesAndAccountNamesPass) {
  const struct {
    const char* name;
    bool plain;
  } names[] = {
      {"3F5629.rcp", true}, {"chapters.dat", true}, {"my file-1.rcp", true}, {"", false},
      {"../x", false},      {"/abs", false},        {"a\\b", false},        {"..", false},
      {"a..b", false},      {".hidden", false},     {"c:x", false},         {"tab\tname", false},
  };
  for (const auto& n : names) EXPECT_EQ(server::PlainFileName(n.name), n.plain) << n.name;
  EXPECT_TRUE(server::ValidUserName("abc1"));
  EXPECT_FALSE(server::ValidUserName("abc"));
  EXPECT_FALSE(server::ValidUserName("Abc1"));
  EXPECT_FALSE(server::ValidUserName("ab_c1"));
  EXPECT_FALSE(server::ValidUserName(std::string(21, 'a')));
}

// A zip archive of the given entries, written with the zip library.
void MakeZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries) {
  zipFile z = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  ASSERT_NE(z, nullptr);
  for (const auto& [name, data] : entries) {
    zip_fileinfo info{};
    ASSERT_EQ(zipOpenNewFileInZip64(z, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 1, 0),
              ZIP_OK);
    zipWriteInFileInZip(z, data.data(), unsigned(data.size()));
    zipCloseFileInZip(z);
  }
  zipClose(z, nullptr);
}

// The raw deflate stream of `size` zero bytes and its checksum, made once in
// pieces so the test never holds the zeros themselves.
const std::pair<std::string, uLong>& DeflatedZeros(uint64_t size) {
  static std::pair<std::string, uLong> made = [size] {
    z_stream s{};
    deflateInit2(&s, 1, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string zeros(1 << 20, '\0'), out(1 << 16, '\0'), stream;
    uLong crc = crc32(0, nullptr, 0);
    for (uint64_t done = 0; done < size; done += zeros.size()) {
      const bool last = done + zeros.size() >= size;
      crc = crc32(crc, reinterpret_cast<const Bytef*>(zeros.data()), uInt(zeros.size()));
      s.next_in = reinterpret_cast<Bytef*>(zeros.data());
      s.avail_in = uInt(zeros.size());
      do {
        s.next_out = reinterpret_cast<Bytef*>(out.data());
        s.avail_out = uInt(out.size());
        deflate(&s, last ? Z_FINISH : Z_NO_FLUSH);
        stream.append(out.data(), out.size() - s.avail_out);
      } while (s.avail_out == 0);
    }
    deflateEnd(&s);
    return std::make_pair(stream, crc);
  }();
  return made;
}

// One entry of a gigabyte of zeros; `claimed` is the size the archive states.
void MakeZeroEntryZip(const std::string& path, uint64_t claimed) {
  const auto& [stream, crc] = DeflatedZeros(1ull << 30);
  zipFile z = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  zip_fileinfo info{};
  ASSERT_EQ(zipOpenNewFileInZip2_64(z, "big.rcp", &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 1, 1, 1),
            ZIP_OK);
  zipWriteInFileInZip(z, stream.data(), unsigned(stream.size()));
  zipCloseFileInZipRaw64(z, claimed, crc);
  zipClose(z, nullptr);
}

uint64_t FolderBytes(const std::string& folder) {
  uint64_t n = 0;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    if (e.is_regular_file()) n += e.file_size();
  return n;
}

TEST(ServerArchive, RefusesPathsAndBombsWithoutWritingOutside) {
  TempDir dir;
  const std::string zip = dir / "up.zip";
  server::Options limits;
  limits.maxEntryBytes = 64u << 20;
  std::vector<std::pair<std::string, std::string>> many;
  for (int i = 0; i < 100000; ++i) many.emplace_back(std::to_string(i) + ".rcp", "");
  const struct {
    const char* what;
    std::vector<std::pair<std::string, std::string>> entries;
    std::string error;
  } cases[] = {
      {"parent", {{"ok.rcp", "x"}, {"../x", "evil"}}, "File names in the archive must be plain names"},
      {"absolute", {{"/abs", "evil"}}, "File names in the archive must be plain names"},
      {"backslash", {{"..\\x", "evil"}}, "File names in the archive must be plain names"},
      {"folder", {{"sub/x.rcp", "evil"}}, "File names in the archive must be plain names"},
      {"twice", {{"a.rcp", "1"}, {"a.rcp", "2"}}, "A file name occurs twice in the archive"},
      {"entries", many, "Too many files in the archive"},
  };
  for (const auto& c : cases) {
    fs::remove_all(dir / "out");
    fs::create_directory(dir / "out");
    fs::remove(zip);
    MakeZip(zip, c.entries);
    EXPECT_EQ(server::UnpackArchive(zip, dir / "out", limits), c.error) << c.what;
    EXPECT_FALSE(fs::exists(dir / "x")) << c.what;
    EXPECT_FALSE(fs::exists("/abs")) << c.what;
  }

  // A gigabyte entry, told truthfully and hidden behind a small claimed size.
  const struct {
    uint64_t claimed;
    std::string error;
  } bombs[] = {{1ull << 30, "A file in the archive is too large"}, {10, "The archive is damaged"}};
  for (const auto& b : bombs) {
    fs::remove_all(dir / "out");
    fs::create_directory(dir / "out");
    fs::remove(zip);
    MakeZeroEntryZip(zip, b.claimed);
    EXPECT_LT(fs::file_size(zip), 8u << 20);
    EXPECT_EQ(server::UnpackArchive(zip, dir / "out", limits), b.error);
    EXPECT_LE(FolderBytes(dir / "out"), limits.maxEntryBytes);
  }

  // A plain archive unpacks whole.
  fs::remove_all(dir / "out");
  fs::create_directory(dir / "out");
  fs::remove(zip);
  MakeZip(zip, {{"a.rcp", "records"}, {"chapters.dat", ""}});
  size_t count = 0;
  EXPECT_EQ(server::UnpackArchive(zip, dir / "out", limits, &count), "");
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(ReadBytes(dir / "out/a.rcp"), "records");

  // Not an archive at all.
  WriteBytes(zip, "PK but not really");
  EXPECT_EQ(server::UnpackArchive(zip, dir / "out", limits), "The archive cannot be read");
}

// Client-side helpers for the answers.
struct Client {
  VendorHost host;
  std::string Get(const std::string& path) { return VendorQuery(host, path).Text(); }
  int Status(const std::string& path) { return VendorQuery(host, path).status; }
  std::string Account(const std::string& u, const std::string& p) {
    return Get("/recipes/create-account.php?oldu=&oldp=&newu=" + u + "&newp=" + p);
  }
  // Uploads an archive in one piece and finishes it.
  std::string Store(const std::string& u, const std::string& p, const std::string& zip) {
    std::string err = CloudUpload(host, {u, p}, zip, "source.zip", 0, NewAccessCode(), "B0UNDARY");
    if (!err.empty()) return err;
    return Get("/recipes/finish.php?access=" + NewAccessCode() + "&user=" + u);
  }
};

std::string ZipBytes(const std::vector<std::pair<std::string, std::string>>& entries) {
  TempDir d;
  MakeZip(d / "z.zip", entries);
  return ReadBytes(d / "z.zip");
}

TEST(Server, VersionFileAndSiteReports) {
  RunningServer s;
  ASSERT_GT(s.port(), 0);
  Client c{VendorHost::Parse(s.host())};
  EXPECT_EQ(c.Status("/version_info.txt"), 404);
  WriteBytes(s.data / "version_info.txt", "pantrela_release=\"March 3, 2027\";");
  EXPECT_EQ(c.Get("/version_info.txt"), "pantrela_release=\"March 3, 2027\";");
  for (const char* q : {"pass=Example.com", "pass=example.com", "fail=example.com", "pass=other.org"})
    EXPECT_EQ(c.Get(std::string("/tools/count-domain.php?url=") + q), "Counted");
  EXPECT_EQ(c.Get("/tools/count-domain.php?url=pass=../../etc"), "Bad report");
  EXPECT_EQ(c.Get("/tools/count-domain.php?url=maybe=x.org"), "Bad report");
  EXPECT_EQ(ReadBytes(s.data / "site-report.txt"), "example.com\t2\t1\nother.org\t1\t0\n");
  EXPECT_EQ(c.Status("/nothing/here"), 404);
}

TEST(Server, AccountsUploadsAndListings) {
  RunningServer s;
  Client c{VendorHost::Parse(s.host())};
  EXPECT_EQ(c.Account("abc", "secret1"), "Invalid user name");
  EXPECT_EQ(c.Account("owner1", "short"), "Invalid password");
  EXPECT_EQ(c.Account("owner1", "secret1"), "success");
  EXPECT_EQ(c.Account("owner1", "secret1"), "success");  // the owner again
  EXPECT_EQ(c.Account("owner1", "other11"), "account taken");
  // Only a salted hash is stored.
  std::string account = ReadBytes(s.data / "accounts/owner1");
  EXPECT_EQ(account.rfind("$argon2id$", 0), 0u);
  EXPECT_EQ(account.find("secret1"), std::string::npos);
  // Changing the password takes the old one.
  EXPECT_EQ(c.Get("/recipes/create-account.php?oldu=owner1&oldp=secret1&newu=owner1&newp=secret2"), "success");
  EXPECT_EQ(c.Get("/recipes/list-files.php?user=owner1&password=secret1"), "incorrect password");

  EXPECT_EQ(c.Store("owner1", "secret2", ZipBytes({{"a-1.rcp", "A-0\r\n##\r\n"}, {"chapters.dat", "1\tX\r\n"}})), "");
  EXPECT_EQ(c.Get("/recipes/list-files.php?user=owner1&password=secret2"), "a-1.rcp-9\r\nchapters.dat-5\r\nsuccess\r\n");
  EXPECT_EQ(c.Get("/recipes/list-files.php?user=nobody1&password=secret2"), "invalid user");

  // A refused archive leaves the files of the last good one.
  EXPECT_EQ(c.Store("owner1", "secret2", ZipBytes({{"new.rcp", "x"}, {"../x", "evil"}})),
            "File names in the archive must be plain names");
  EXPECT_EQ(c.Get("/recipes/list-files.php?user=owner1&password=secret2"), "a-1.rcp-9\r\nchapters.dat-5\r\nsuccess\r\n");
  EXPECT_FALSE(fs::exists(s.data / "recipes/x"));

  // Codes that do not pair up, and finishing what was never started.
  EXPECT_EQ(CloudUpload(c.host, {"owner1", "secret2"}, "x", "source.zip", 0, "ABCD00000", "B"), "Invalid access code");
  EXPECT_EQ(c.Get("/recipes/finish.php?access=ABCD00000&user=owner1"), "Invalid access code");
  EXPECT_EQ(c.Get("/recipes/finish.php?access=" + NewAccessCode() + "&user=owner1"), "No upload to finish");
  EXPECT_EQ(CloudUpload(c.host, {"owner1", "secret2"}, "x", "source.zip", 5, NewAccessCode(), "B"),
            "Upload not started");
}

TEST(Server, TheNumberOfAccountsIsCapped) {
  server::Options o = RunningServer::Quiet();
  o.maxAccounts = 2;
  RunningServer s(o);
  Client c{VendorHost::Parse(s.host())};
  EXPECT_EQ(c.Account("first1", "secret1"), "success");
  EXPECT_EQ(c.Account("second", "secret1"), "success");
  EXPECT_EQ(c.Account("third1", "secret1"), "No more accounts on this server");
  EXPECT_EQ(c.Account("first1", "secret1"), "success");
}

TEST(Server, FilesAreServedToTheirOwnerOnly) {
  RunningServer s;
  Client c{VendorHost::Parse(s.host())};
  ASSERT_EQ(c.Account("owner1", "secret1"), "success");
  ASSERT_EQ(c.Account("second", "secret2"), "success");
  ASSERT_EQ(c.Store("owner1", "secret1", ZipBytes({{"r.rcp", "recipes of the owner"}})), "");
  EXPECT_EQ(c.Get("/recipes/list-files.php?user=second&password=secret2"), "success\r\n");
  VendorReply own = VendorQuery(c.host, "/recipes/owner1/r.rcp?user=owner1&password=secret1");
  EXPECT_EQ(own.status, 200);
  EXPECT_EQ(own.Body(), "recipes of the owner");
  EXPECT_TRUE(own.Complete());
  const char* refused[] = {
      "/recipes/owner1/r.rcp",
      "/recipes/owner1/r.rcp?user=second&password=secret2",
      "/recipes/owner1/r.rcp?user=owner1&password=secret2",
      "/recipes/owner1/../second/r.rcp?user=owner1&password=secret1",
      "/recipes/owner1/%2e%2e%2faccounts?user=owner1&password=secret1",
  };
  for (const char* path : refused) {
    VendorReply r = VendorQuery(c.host, path);
    EXPECT_NE(r.status, 200) << path;
    EXPECT_EQ(r.Body().find("owner"), std::string::npos) << path;
  }
}

TEST(Server, FailedPasswordsAreLimitedAndNeverLogged) {
  RunningServer s([] {
    server::Options o;
    o.quiet = false;
    return o;
  }());
  Client c{VendorHost::Parse(s.host())};
  ::testing::internal::CaptureStderr();
  ASSERT_EQ(c.Account("owner1", "secret1"), "success");
  for (int i = 0; i < 5; ++i) EXPECT_EQ(c.Get("/recipes/list-files.php?user=owner1&password=guess" + std::to_string(i)), "incorrect password");
  // Now even the right password is turned away for a while.
  EXPECT_EQ(c.Get("/recipes/list-files.php?user=owner1&password=secret1"), "Too many failed attempts, try again later");
  EXPECT_EQ(CloudUpload(c.host, {"owner1", "secret1"}, "x", "source.zip", 0, NewAccessCode(), "B"),
            "Too many failed attempts, try again later");
  std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("GET /recipes/list-files.php 200"), std::string::npos) << log;
  for (const char* secret : {"secret1", "guess", "password="}) EXPECT_EQ(log.find(secret), std::string::npos) << secret;
}

TEST(ServerProgram, RunsWithItsOptions) {
  TempDir data;
  int err[2];
  ASSERT_EQ(::pipe(err), 0);
  pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(err[1], 2);
    ::execl(PANTRELA_SERVER_BINARY, PANTRELA_SERVER_BINARY, "--address", "127.0.0.1", "--port", "0", "--data",
            data.path().c_str(), nullptr);
    ::_exit(127);
  }
  ::close(err[1]);
  FILE* in = ::fdopen(err[0], "r");
  char line[512] = {};
  ASSERT_NE(std::fgets(line, sizeof line, in), nullptr);
  int port = 0;
  const char* at = std::strstr(line, "127.0.0.1:");
  ASSERT_NE(at, nullptr) << line;
  port = std::atoi(at + 10);
  WriteBytes(data / "version_info.txt", "news_note=\"hello\";");
  EXPECT_EQ(VendorQuery(VendorHost::Parse("127.0.0.1:" + std::to_string(port)), "/version_info.txt").Text(),
            "news_note=\"hello\";");
  ::kill(pid, SIGTERM);
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::fclose(in);

  pid = ::fork();
  if (pid == 0) {
    ::execl(PANTRELA_SERVER_BINARY, PANTRELA_SERVER_BINARY, "--port", "99999", nullptr);
    ::_exit(127);
  }
  ::waitpid(pid, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace
}  // namespace pantrela
