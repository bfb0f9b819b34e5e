#include "server/vendor_server.h"

#include <fcntl.h>
#include <httplib.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <deque>
#include <filesystem>
#include <mutex>
#include <vector>

#include "backup/access_code.h"

namespace pantrela::server {

namespace fs = std::filesystem;

// ---------------------------------------------------------------- targets

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecode(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && HexValue(s[i + 1]) >= 0 && HexValue(s[i + 2]) >= 0) {
      out += char(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2]));
      i += 2;
    } else if (s[i] == '+') {
      out += ' ';
    } else {
      out += s[i];
    }
  }
  return out;
}

bool LowerAlnum(std::string_view s) {
  for (char c : s)
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
  return true;
}

}  // namespace

Target ParseTarget(std::string_view target) {
  Target t;
  if (target.size() >= 7 && (target.substr(0, 7) == "http://" || target.substr(0, 7) == "HTTP://")) {
    size_t slash = target.find('/', 7);
    target = slash == std::string_view::npos ? std::string_view("/") : target.substr(slash);
  }
  size_t q = target.find('?');
  t.path = PercentDecode(target.substr(0, q));
  if (q == std::string_view::npos) return t;
  std::string_view rest = target.substr(q + 1);
  while (!rest.empty()) {
    size_t amp = rest.find('&');
    std::string_view field = rest.substr(0, amp);
    size_t eq = field.find('=');
    std::string name = PercentDecode(field.substr(0, eq));
    std::string value = eq == std::string_view::npos ? std::string() : PercentDecode(field.substr(eq + 1));
    if (!name.empty() && !t.query.count(name)) t.query.emplace(std::move(name), std::move(value));
    if (amp == std::string_view::npos) break;
    rest = rest.substr(amp + 1);
  }
  return t;
}

bool ValidUserName(std::string_view user) { return user.size() >= 4 && user.size() <= 20 && LowerAlnum(user); }
bool ValidPassword(std::string_view password) {
  return password.size() >= 6 && password.size() <= 20 && LowerAlnum(password);
}

bool PlainFileName(std::string_view name) {
  if (name.empty() || name.size() > 200 || name[0] == '.') return false;
  if (name.find("..") != std::string_view::npos) return false;
  for (unsigned char c : name)
    if (c < 32 || c == 127 || c == '/' || c == '\\' || c == ':') return false;
  return true;
}

// ---------------------------------------------------------------- files

namespace {

std::string Slash(std::string folder) {
  if (folder.empty()) folder = "./";
  if (folder.back() != '/') folder += '/';
  return folder;
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= size_t(n);
  }
  return true;
}

void SyncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

// Whole-file rewrite through a temporary file in the same folder.
bool WriteFileAtomic(const std::string& path, std::string_view bytes) {
  std::string tmp = path + ".tmp" + std::to_string(::getpid());
  ::unlink(tmp.c_str());
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = ::rename(tmp.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(tmp.c_str());
  return ok;
}

// Reads a regular file that is not a link; false otherwise.
bool ReadRegularFile(const std::string& path, std::string& out, size_t cap) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || uint64_t(st.st_size) > cap) {
    ::close(fd);
    return false;
  }
  out.resize(size_t(st.st_size));
  size_t got = 0;
  while (got < out.size()) {
    ssize_t n = ::read(fd, &out[got], out.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += size_t(n);
  }
  ::close(fd);
  out.resize(got);
  return true;
}

void RemoveTree(const std::string& path) {
  std::error_code ec;
  fs::remove_all(path, ec);  // removes links themselves, never what they point to
}

std::string Timestamp() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  ::gmtime_r(&now, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
  return buf;
}

}  // namespace

// ---------------------------------------------------------------- server

namespace {

// Failed password attempts per key ("u:" user or "a:" address) in a sliding
// window.
class FailureLimiter {
 public:
  FailureLimiter(int limit, int windowSeconds) : limit_(limit), window_(windowSeconds) {}

  bool Blocked(const std::string& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = failures_.find(key);
    if (it == failures_.end()) return false;
    Prune(it->second);
    return int(it->second.size()) >= limit_;
  }

  void Fail(const std::string& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (failures_.size() > 100000) failures_.clear();  // bounded memory under a flood of names
    auto& q = failures_[key];
    Prune(q);
    q.push_back(Now());
  }

 private:
  using Clock = std::chrono::steady_clock;
  static Clock::time_point Now() { return Clock::now(); }
  void Prune(std::deque<Clock::time_point>& q) {
    auto limit = Now() - std::chrono::seconds(window_);
    while (!q.empty() && q.front() < limit) q.pop_front();
  }

  int limit_;
  int window_;
  std::mutex mutex_;
  std::map<std::string, std::deque<Clock::time_point>> failures_;
};

// Counts how many slow password hashes run at once: each takes 64 MB.
class Gate {
 public:
  explicit Gate(int n) : free_(n) {}
  void Enter() {
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait(lock, [&] { return free_ > 0; });
    --free_;
  }
  void Leave() {
    {
      std::lock_guard<std::mutex> lock(m_);
      ++free_;
    }
    cv_.notify_one();
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  int free_;
};

enum class Auth { Ok, NoUser, BadPassword, Limited };

}  // namespace

struct VendorServer::Impl {
  Options opt;
  httplib::Server http;
  int boundPort = -1;
  FailureLimiter limiter;
  Gate hashGate{2};
  unsigned char cacheKey[crypto_generichash_KEYBYTES];
  std::mutex cacheMutex;
  std::map<std::string, std::string> verified;  // user -> keyed digest of the password last verified
  std::mutex accountsMutex;
  std::mutex locksMutex;
  std::map<std::string, std::shared_ptr<std::mutex>> userLocks;
  std::mutex reportMutex;
  std::map<std::string, std::pair<uint64_t, uint64_t>> report;  // domain -> passes, failures
  std::mutex logMutex;

  explicit Impl(Options o)
      : opt(std::move(o)), limiter(opt.failureLimit, opt.failureWindowSeconds) {
    opt.dataFolder = Slash(opt.dataFolder);
    randombytes_buf(cacheKey, sizeof cacheKey);
  }

  std::string Folder(const char* name) const { return opt.dataFolder + name + "/"; }
  std::string AccountPath(const std::string& user) const { return Folder("accounts") + user; }
  std::string UserFolder(const std::string& user) const { return Folder("recipes") + user; }
  std::string PendingPath(const std::string& user) const { return Folder("uploads") + user + ".zip"; }

  void Log(const std::string& line) {
    if (opt.quiet) return;
    std::lock_guard<std::mutex> lock(logMutex);
    std::fprintf(stderr, "%s %s\n", Timestamp().c_str(), line.c_str());
  }

  std::shared_ptr<std::mutex> UserLock(const std::string& user) {
    std::lock_guard<std::mutex> lock(locksMutex);
    auto& m = userLocks[user];
    if (!m) m = std::make_shared<std::mutex>();
    return m;
  }

  // ----- passwords

  std::string Digest(const std::string& user, const std::string& password) {
    std::string in = user + '\n' + password;
    unsigned char out[32];
    crypto_generichash(out, sizeof out, reinterpret_cast<const unsigned char*>(in.data()), in.size(), cacheKey,
                       sizeof cacheKey);
    return std::string(reinterpret_cast<char*>(out), sizeof out);
  }

  void Remember(const std::string& user, const std::string& password) {
    std::lock_guard<std::mutex> lock(cacheMutex);
    if (verified.size() > 100000) verified.clear();
    verified[user] = Digest(user, password);
  }

  bool StoreAccount(const std::string& user, const std::string& password) {
    char hash[crypto_pwhash_STRBYTES];
    hashGate.Enter();
    int rc = crypto_pwhash_str(hash, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                               crypto_pwhash_MEMLIMIT_INTERACTIVE);
    hashGate.Leave();
    if (rc != 0 || !WriteFileAtomic(AccountPath(user), std::string(hash) + "\n")) return false;
    Remember(user, password);
    return true;
  }

  bool AccountExists(const std::string& user) {
    struct stat st;
    return ValidUserName(user) && ::lstat(AccountPath(user).c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }

  // Checks a user's password; failures count against the user and the
  // address, and once either has too many no password is checked at all.
  Auth Check(const std::string& user, const std::string& password, const std::string& address) {
    if (!AccountExists(user)) return Auth::NoUser;
    if (limiter.Blocked("u:" + user) || limiter.Blocked("a:" + address)) return Auth::Limited;
    {
      std::lock_guard<std::mutex> lock(cacheMutex);
      auto it = verified.find(user);
      if (it != verified.end()) {
        std::string d = Digest(user, password);
        if (sodium_memcmp(d.data(), it->second.data(), d.size()) == 0) return Auth::Ok;
      }
    }
    std::string stored;
    bool ok = false;
    if (ReadRegularFile(AccountPath(user), stored, 1024)) {
      while (!stored.empty() && (stored.back() == '\n' || stored.back() == '\r')) stored.pop_back();
      hashGate.Enter();
      ok = crypto_pwhash_str_verify(stored.c_str(), password.data(), password.size()) == 0;
      hashGate.Leave();
    }
    if (!ok) {
      limiter.Fail("u:" + user);
      limiter.Fail("a:" + address);
      Log("failed password for account " + user + " from " + address);
      return Auth::BadPassword;
    }
    Remember(user, password);
    return Auth::Ok;
  }

  // ----- site report

  void LoadReport() {
    std::string text;
    if (!ReadRegularFile(opt.dataFolder + "site-report.txt", text, 64u << 20)) return;
    size_t pos = 0;
    while (pos < text.size()) {
      size_t end = text.find('\n', pos);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(pos, end - pos);
      pos = end + 1;
      size_t t1 = line.find('\t'), t2 = line.rfind('\t');
      if (t1 == std::string::npos || t2 == t1) continue;
      report[line.substr(0, t1)] = {std::strtoull(line.c_str() + t1 + 1, nullptr, 10),
                                    std::strtoull(line.c_str() + t2 + 1, nullptr, 10)};
    }
  }

  std::string CountDomain(const Target& t) {
    std::string v = t.Field("url");
    bool pass = v.rfind("pass=", 0) == 0;
    bool fail = v.rfind("fail=", 0) == 0;
    if (!pass && !fail) return "Bad report";
    std::string domain = v.substr(5);
    for (char& c : domain)
      if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (domain.empty() || domain.size() > 253) return "Bad report";
    for (char c : domain)
      if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-')) return "Bad report";
    std::lock_guard<std::mutex> lock(reportMutex);
    auto it = report.find(domain);
    if (it == report.end()) {
      if (report.size() >= 10000) return "Report full";
      it = report.emplace(domain, std::make_pair(uint64_t(0), uint64_t(0))).first;
    }
    (pass ? it->second.first : it->second.second)++;
    std::string text;
    for (const auto& [d, c] : report) text += d + '\t' + std::to_string(c.first) + '\t' + std::to_string(c.second) + '\n';
    WriteFileAtomic(opt.dataFolder + "site-report.txt", text);
    return "Counted";
  }

  // ----- accounts

  std::string CreateAccount(const Target& t, const std::string& address) {
    const std::string oldu = t.Field("oldu"), oldp = t.Field("oldp");
    const std::string newu = t.Field("newu"), newp = t.Field("newp");
    if (!ValidUserName(newu)) return "Invalid user name";
    if (!ValidPassword(newp)) return "Invalid password";
    auto lock = UserLock(newu);
    std::lock_guard<std::mutex> guard(*lock);
    if (!AccountExists(newu)) {
      // Every account may hold an upload, so their number bounds the disk used.
      std::lock_guard<std::mutex> count(accountsMutex);
      size_t accounts = 0;
      std::error_code ec;
      for (fs::directory_iterator it(Folder("accounts"), ec), end; !ec && it != end; it.increment(ec)) ++accounts;
      if (accounts >= opt.maxAccounts) return "No more accounts on this server";
      if (!StoreAccount(newu, newp)) return "Unable to store the account";
      Log("account created: " + newu);
      return "success";
    }
    switch (Check(newu, newp, address)) {
      case Auth::Ok: return "success";
      case Auth::Limited: return "Too many failed attempts, try again later";
      default: break;
    }
    // The owner changes the password: the old pair names this account.
    if (oldu == newu && !oldp.empty() && Check(newu, oldp, address) == Auth::Ok) {
      if (!StoreAccount(newu, newp)) return "Unable to store the account";
      Log("password changed: " + newu);
      return "success";
    }
    return "account taken";
  }

  std::string ListFiles(const Target& t, const std::string& address) {
    const std::string user = t.Field("user"), password = t.Field("password");
    switch (Check(user, password, address)) {
      case Auth::NoUser: return "invalid user";
      case Auth::BadPassword: return "incorrect password";
      case Auth::Limited: return "Too many failed attempts, try again later";
      case Auth::Ok: break;
    }
    std::vector<std::pair<std::string, uint64_t>> files;
    std::error_code ec;
    for (fs::directory_iterator it(UserFolder(user), ec), end; !ec && it != end; it.increment(ec)) {
      std::error_code e2;
      if (!it->is_regular_file(e2) || it->is_symlink(e2)) continue;
      std::string name = it->path().filename().string();
      if (!PlainFileName(name)) continue;
      files.emplace_back(name, it->file_size(e2));
    }
    std::sort(files.begin(), files.end());
    std::string text;
    for (const auto& [name, size] : files) text += name + "-" + std::to_string(size) + "\r\n";
    return text + "success\r\n";
  }

  // "/recipes/USER/FILE?user=USER&password=P": the file, for its owner only.
  void ServeUserFile(const Target& t, const std::string& address, httplib::Response& res) {
    std::string rest = t.path.substr(9);
    size_t slash = rest.find('/');
    std::string user = rest.substr(0, slash);
    std::string name = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
    if (!ValidUserName(user) || !PlainFileName(name)) {
      res.status = 404;
      res.set_content("Not Found", "text/plain");
      return;
    }
    if (t.Field("user") != user) {
      res.status = 403;
      res.set_content("Forbidden", "text/plain");
      return;
    }
    switch (Check(user, t.Field("password"), address)) {
      case Auth::Ok: break;
      case Auth::Limited:
        res.status = 429;
        res.set_content("Too many failed attempts, try again later", "text/plain");
        return;
      default:
        res.status = 403;
        res.set_content("Forbidden", "text/plain");
        return;
    }
    int fd = ::open((UserFolder(user) + "/" + name).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      if (fd >= 0) ::close(fd);
      res.status = 404;
      res.set_content("Not Found", "text/plain");
      return;
    }
    auto handle = std::shared_ptr<int>(new int(fd), [](int* p) {
      ::close(*p);
      delete p;
    });
    res.set_content_provider(size_t(st.st_size), "application/octet-stream",
                             [handle](size_t offset, size_t length, httplib::DataSink& sink) {
                               char buf[65536];
                               size_t n = std::min(length, sizeof buf);
                               ssize_t got = ::pread(*handle, buf, n, off_t(offset));
                               if (got <= 0) return false;
                               return sink.write(buf, size_t(got));
                             });
  }

  // ----- uploads

  static std::string Part(const httplib::Request& req, const char* name) {
    auto it = req.files.find(name);
    return it == req.files.end() ? std::string() : it->second.content;
  }

  std::string Upload(const httplib::Request& req) {
    if (!req.is_multipart_form_data()) return "Bad request";
    if (!AccessCodeValid(Part(req, "access"))) return "Invalid access code";
    const std::string user = Part(req, "user");
    switch (Check(user, Part(req, "password"), req.remote_addr)) {
      case Auth::NoUser: return "Invalid user";
      case Auth::BadPassword: return "Incorrect password";
      case Auth::Limited: return "Too many failed attempts, try again later";
      case Auth::Ok: break;
    }
    auto file = req.files.find("file");
    if (file == req.files.end()) return "No file received";
    const std::string& data = file->second.content;
    const bool start = Part(req, "start") == "1";
    auto lock = UserLock(user);
    std::lock_guard<std::mutex> guard(*lock);
    const std::string path = PendingPath(user);
    int flags = O_WRONLY | O_NOFOLLOW | O_CLOEXEC | (start ? (O_CREAT | O_TRUNC) : O_APPEND);
    int fd = ::open(path.c_str(), flags, 0600);
    if (fd < 0) return start ? "Unable to store the upload" : "Upload not started";
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok && uint64_t(st.st_size) + data.size() > opt.maxUploadBytes) {
      ::close(fd);
      ::unlink(path.c_str());
      return "Upload too large";
    }
    ok = ok && WriteAll(fd, data.data(), data.size());
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
      ::unlink(path.c_str());
      return "Unable to store the upload";
    }
    return "";
  }

  std::string Finish(const Target& t) {
    if (!AccessCodeValid(t.Field("access"))) return "Invalid access code";
    const std::string user = t.Field("user");
    if (!AccountExists(user)) return "Invalid user";
    auto lock = UserLock(user);
    std::lock_guard<std::mutex> guard(*lock);
    const std::string pending = PendingPath(user);
    struct stat st;
    if (::lstat(pending.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return "No upload to finish";
    // The new files are unpacked beside the old ones and take their place
    // only when every one of them is stored.
    const std::string folder = UserFolder(user), staging = folder + ".new", old = folder + ".old";
    RemoveTree(staging);
    if (::mkdir(staging.c_str(), 0700) != 0) return "Unable to store the files";
    size_t count = 0;
    std::string err = UnpackArchive(pending, staging, opt, &count);
    ::unlink(pending.c_str());
    if (!err.empty()) {
      RemoveTree(staging);
      Log("upload refused for " + user + ": " + err);
      return err;
    }
    RemoveTree(old);
    bool hadOld = ::rename(folder.c_str(), old.c_str()) == 0;
    if (::rename(staging.c_str(), folder.c_str()) != 0) {
      if (hadOld) ::rename(old.c_str(), folder.c_str());
      RemoveTree(staging);
      return "Unable to store the files";
    }
    SyncFolder(Folder("recipes"));
    RemoveTree(old);
    Log("upload finished for " + user + ": " + std::to_string(count) + " files");
    return "";
  }

  // ----- dispatch

  void Handle(const httplib::Request& req, httplib::Response& res) {
    Target t = ParseTarget(req.target);
    const std::string& addr = req.remote_addr;
    auto text = [&](const std::string& body) { res.set_content(body, "text/plain"); };
    if (req.method == "POST") {
      if (t.path == "/recipes/upload-records.php") return text(Upload(req));
      res.status = 404;
      return text("Not Found");
    }
    if (t.path == "/version_info.txt") {
      std::string body;
      if (ReadRegularFile(opt.dataFolder + "version_info.txt", body, 1u << 20)) return text(body);
      res.status = 404;
      return text("Not Found");
    }
    if (t.path == "/tools/count-domain.php") return text(CountDomain(t));
    if (t.path == "/recipes/create-account.php") return text(CreateAccount(t, addr));
    if (t.path == "/recipes/list-files.php") return text(ListFiles(t, addr));
    if (t.path == "/recipes/finish.php") return text(Finish(t));
    if (t.path.rfind("/recipes/", 0) == 0) return ServeUserFile(t, addr, res);
    res.status = 404;
    text("Not Found");
  }
};

namespace {

// The HTTP library listens with a backlog of 5, so a burst of clients that
// connect at once overflows the queue and some are reset. Listening again on
// the same socket (found by its port) raises the backlog.
void WidenListenBacklog(int port) {
  for (int fd = 0; fd < 4096; ++fd) {
    int listening = 0;
    socklen_t len = sizeof listening;
    if (::getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &len) != 0 || !listening) continue;
    sockaddr_storage addr{};
    socklen_t alen = sizeof addr;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &alen) != 0) continue;
    int p = addr.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port)
                                      : ntohs(reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
    if (p == port) ::listen(fd, 1024);
  }
}

}  // namespace

VendorServer::VendorServer(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {}
VendorServer::~VendorServer() { Stop(); }

bool VendorServer::Bind() {
  if (sodium_init() < 0) return false;
  Impl& m = *impl_;
  for (const char* sub : {"", "accounts", "uploads", "recipes"}) {
    std::string f = *sub ? m.Folder(sub) : m.opt.dataFolder;
    ::mkdir(f.c_str(), 0700);
    struct stat st;
    if (::stat(f.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  }
  m.LoadReport();
  size_t threads = std::max<size_t>(1, m.opt.threads);
  m.http.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  m.http.set_payload_max_length(m.opt.maxRequestBytes);
  m.http.set_read_timeout(m.opt.readTimeoutSeconds, 0);
  m.http.set_write_timeout(m.opt.readTimeoutSeconds, 0);
  m.http.set_keep_alive_max_count(1);
  auto handler = [&m](const httplib::Request& req, httplib::Response& res) { m.Handle(req, res); };
  m.http.Get(".*", handler);
  m.http.Post(".*", handler);
  // One line per request: the address, the method, the path without its
  // query (which may hold a password) and the status.
  m.http.set_logger([&m](const httplib::Request& req, const httplib::Response& res) {
    std::string path = ParseTarget(req.target).path;
    m.Log(req.remote_addr + " " + req.method + " " + path + " " + std::to_string(res.status));
  });
  if (m.opt.port == 0) {
    m.boundPort = m.http.bind_to_any_port(m.opt.address);
  } else if (m.http.bind_to_port(m.opt.address, m.opt.port)) {
    m.boundPort = m.opt.port;
  }
  if (m.boundPort <= 0) return false;
  WidenListenBacklog(m.boundPort);
  return true;
}

int VendorServer::port() const { return impl_->boundPort; }

void VendorServer::Run() { impl_->http.listen_after_bind(); }

void VendorServer::Stop() {
  if (impl_) impl_->http.stop();
}

}  // namespace pantrela::server
