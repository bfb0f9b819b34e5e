// pantrela-server: the vendor's server for households and communities. It
// answers the program's requests (version file, site reports, cloud
// accounts, uploads and restore downloads) over HTTP and keeps everything in
// one data folder:
//   version_info.txt      served as it is
//   site-report.txt       "domain TAB passes TAB failures" per line
//   accounts/USER         the salted password hash of one account
//   uploads/USER.zip      the archive being uploaded, piece by piece
//   recipes/USER/         the unpacked files of the last finished upload
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace pantrela::server {

struct Options {
  std::string address = "127.0.0.1";
  int port = 8080;                            // 0 picks a free port
  std::string dataFolder = "./pantrela-data/";
  size_t threads = 16;
  size_t maxRequestBytes = 4u << 20;          // one request body (one upload piece)
  uint64_t maxUploadBytes = 1ull << 30;       // one user's archive
  uint64_t maxEntryBytes = 256ull << 20;      // one unpacked file
  uint64_t maxUnpackedBytes = 2ull << 30;     // all unpacked files of one user
  uint64_t maxEntries = 10000;                // files in one archive
  size_t maxAccounts = 10000;                 // accounts on this server
  int failureLimit = 5;                       // failed passwords per user and per address ...
  int failureWindowSeconds = 60;              // ... within this many seconds
  int readTimeoutSeconds = 20;
  bool quiet = false;                         // no request log lines
};

// A request target split into its path and query fields. An absolute target
// ("http://host/path?query") loses its scheme and host. Query fields are
// split at "&"; a field's name ends at its first "=" (so "url=pass=x" is the
// field "url" with the value "pass=x"); values are percent-decoded.
struct Target {
  std::string path;
  std::map<std::string, std::string> query;
  std::string Field(const std::string& name) const {
    auto it = query.find(name);
    return it == query.end() ? std::string() : it->second;
  }
};
Target ParseTarget(std::string_view target);

// True for an account name: 4 to 20 characters, lower-case letters and
// digits (the rules the program checks before it asks).
bool ValidUserName(std::string_view user);
bool ValidPassword(std::string_view password);
// True for a plain file name: no "/", "\", "..", control characters or
// leading dot, 1 to 200 bytes.
bool PlainFileName(std::string_view name);

// Unpacks a zip archive into `folder` (which must exist and be empty).
// Every entry must have a plain name; sizes and counts are capped. Returns
// "" on success or the reason it was refused; on refusal the folder may hold
// some of the files and the caller removes it.
std::string UnpackArchive(const std::string& zipPath, const std::string& folder, const Options& limits,
                          size_t* filesOut = nullptr);

class VendorServer {
 public:
  explicit VendorServer(Options options);
  ~VendorServer();
  VendorServer(const VendorServer&) = delete;
  VendorServer& operator=(const VendorServer&) = delete;

  // Creates the data folders and binds the address; false when it cannot.
  bool Bind();
  int port() const;
  // Serves until Stop(); call after Bind().
  void Run();
  void Stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace pantrela::server
