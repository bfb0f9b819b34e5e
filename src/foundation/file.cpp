#include "foundation/file.h"

#include <dirent.h>
#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <ctime>
#include <string>
#include <vector>

#include "foundation/bytes.h"
#include "foundation/shell.h"

namespace pantrela {

namespace {

int SysOpen(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
ssize_t SysPwrite(int fd, const void* data, size_t count, off_t at) { return ::pwrite(fd, data, count, at); }
int SysFsync(int fd) { return ::fsync(fd); }
int SysRename(const char* from, const char* to) { return ::rename(from, to); }
int SysUnlink(const char* path) { return ::unlink(path); }

constexpr FileCalls kSystemCalls{&SysOpen, &SysPwrite, &SysFsync, &SysRename, &SysUnlink};
// The one replaceable table; only tests change it.
FileCalls g_calls = kSystemCalls;

// Opens through the table, retrying an interrupted call.
int OpenFd(const std::string& path, int flags, mode_t mode) {
  int fd;
  do fd = g_calls.open(path.c_str(), flags | O_CLOEXEC, mode);
  while (fd < 0 && errno == EINTR);
  return fd;
}

// Writes all bytes at `at`; false with errno set when not all were written.
bool WriteAllAt(int fd, const char* p, size_t count, uint64_t at) {
  size_t done = 0;
  while (done < count) {
    ssize_t n = g_calls.pwrite(fd, p + done, count - done, off_t(at + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    done += size_t(n);
  }
  return true;
}

}  // namespace

FileCalls& FileLayerCalls() { return g_calls; }
const FileCalls& SystemFileCalls() { return kSystemCalls; }

File& File::operator=(File&& o) noexcept {
  if (this != &o) {
    Close();
    fd_ = o.fd_;
    pos_ = o.pos_;
    readOnly_ = o.readOnly_;
    error_ = o.error_;
    ahead_ = std::move(o.ahead_);
    aheadAt_ = o.aheadAt_;
    o.fd_ = -1;
  }
  return *this;
}

File File::Open(char mode, const std::string& path) {
  switch (mode) {
    case 'o': return Open(OpenMode::Write, path);
    case 'a': return Open(OpenMode::Append, path);
    case 'i': return Open(OpenMode::Read, path);
    case 'u': return Open(OpenMode::Update, path);
    default: return File();
  }
}

File File::Open(OpenMode mode, const std::string& path) {
  // O_NONBLOCK keeps a FIFO from blocking the open; only regular files are
  // kept, for which the flag changes nothing.
  constexpr int kCommon = O_NONBLOCK;
  File f;
  f.readOnly_ = mode == OpenMode::Read;
  int fd = -1;
  switch (mode) {
    case OpenMode::Write: fd = OpenFd(path, kCommon | O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, 0644); break;
    case OpenMode::Append: fd = OpenFd(path, kCommon | O_WRONLY | O_CREAT | O_NOFOLLOW, 0644); break;
    case OpenMode::Update: fd = OpenFd(path, kCommon | O_RDWR | O_CREAT | O_NOFOLLOW, 0644); break;
    case OpenMode::Read:
      // Reading may follow a link; creating the missing file never does (a
      // dangling link is not given a target). A read-only folder cannot
      // hold the new empty file; the missing file then reads as empty.
      fd = OpenFd(path, kCommon | O_RDONLY, 0);
      if (fd < 0 && errno == ENOENT) {
        fd = OpenFd(path, kCommon | O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0644);
        if (fd < 0 && errno == EEXIST) fd = OpenFd(path, kCommon | O_RDONLY | O_NOFOLLOW, 0);
      }
      break;
  }
  if (fd < 0) {
    f.error_ = errno;
    return f;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    f.error_ = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    ::close(fd);
    return f;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  f.fd_ = fd;
  if (mode == OpenMode::Append) f.pos_ = uint64_t(st.st_size);
  return f;
}

File File::CreateFresh(const std::string& path) {
  ::unlink(path.c_str());
  File f;
  f.fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  return f;
}

void File::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  pos_ = 0;
  ahead_.clear();
}

uint64_t File::Size() const {
  struct stat st;
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return 0;
  return uint64_t(st.st_size);
}

uint64_t File::Tell() const { return fd_ < 0 ? 0 : pos_; }

void File::Seek(uint64_t position) {
  if (fd_ >= 0 && position <= uint64_t(INT64_MAX)) pos_ = position;
}

int64_t File::Read(void* target, int64_t count) {
  if (fd_ < 0 || count <= 0) return 0;
  int64_t done = 0;
  auto* p = static_cast<char*>(target);
  while (done < count) {
    ssize_t n = ::pread(fd_, p + done, size_t(count - done), off_t(pos_ + uint64_t(done)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  pos_ += uint64_t(done);
  return done;
}

int64_t File::Read(ByteImage& image, size_t offset, int64_t count) {
  if (count <= 0 || !image.InRange(offset, size_t(count))) return 0;
  return Read(image.data() + offset, count);
}

std::string File::ReadBytes(int64_t count) {
  if (count <= 0) return {};
  std::string s(size_t(count), '\0');
  s.resize(size_t(Read(s.data(), count)));
  return s;
}

int64_t File::Write(const void* source, int64_t count) {
  if (fd_ < 0 || count <= 0) return 0;
  int64_t done = 0;
  auto* p = static_cast<const char*>(source);
  ahead_.clear();
  while (done < count) {
    ssize_t n = g_calls.pwrite(fd_, p + done, size_t(count - done), off_t(pos_ + uint64_t(done)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = n == 0 ? ENOSPC : errno;
      break;
    }
    done += n;
  }
  pos_ += uint64_t(done);
  return done;
}

int64_t File::Write(const ByteImage& image, size_t offset, int64_t count) {
  if (count <= 0 || !image.InRange(offset, size_t(count))) return 0;
  return Write(image.data() + offset, count);
}

bool File::WriteText(std::string_view text, bool lineFlag) {
  if (!lineFlag) return WriteAll(text);
  std::string s(text);
  s += "\r\n";
  return WriteAll(s);
}

void File::ReadLine(std::string& line, int stripCR) {
  if (fd_ < 0) return;
  uint64_t p = Tell();
  // A full 260-byte window inside the read-ahead block needs no system call.
  const bool inAhead = readOnly_ && p >= aheadAt_ && p + 260 <= aheadAt_ + ahead_.size();
  uint64_t size = inAhead ? p + 260 : Size();
  if (p >= size) return;
  char buf[260];
  int64_t want = int64_t(std::min<uint64_t>(260, size - p));
  int64_t n;
  if (readOnly_) {
    // Text files are read line by line: serve the 260 bytes from a larger
    // read-ahead block instead of a system call per line.
    if (!inAhead && (p < aheadAt_ || p + uint64_t(want) > aheadAt_ + ahead_.size())) {
      ahead_.resize(65536);
      int64_t got = 0;
      while (got < int64_t(ahead_.size())) {
        ssize_t r = ::pread(fd_, ahead_.data() + got, ahead_.size() - size_t(got), off_t(p + uint64_t(got)));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got += r;
      }
      ahead_.resize(size_t(got));
      aheadAt_ = p;
    }
    n = std::min<int64_t>(want, int64_t(aheadAt_ + ahead_.size() - p));
    if (n <= 0) return;
    std::memcpy(buf, ahead_.data() + (p - aheadAt_), size_t(n));
    pos_ = p + uint64_t(n);
  } else {
    n = Read(buf, want);
  }
  if (n <= 0) return;
  // 1-based positions within what was read; 0 when absent. The last space
  // matters only for a line without a break.
  const void* cr = std::memchr(buf, '\r', size_t(n));
  const void* lf = std::memchr(buf, '\n', size_t(n));
  int64_t c = cr ? static_cast<const char*>(cr) - buf + 1 : 0;
  int64_t l = lf ? static_cast<const char*>(lf) - buf + 1 : 0;
  int64_t s = 0;
  if (c == 0 && l == 0) {
    for (int64_t i = std::min<int64_t>(n, 256); i-- > 0;) {
      if (buf[i] == ' ') {
        s = i + 1;
        break;
      }
    }
  }
  const bool strip = stripCR != 0;
  if (c > 0 && (l == 0 || l > c)) {
    Seek(p + uint64_t(l == c + 1 ? l : c));
    line.assign(buf, size_t(strip ? c - 1 : c));
  } else if (l > 0) {
    Seek(p + uint64_t(l));
    line.assign(buf, size_t(l - 1));
    if (!strip) line += '\r';
  } else if (s > 0) {
    Seek(p + uint64_t(s));
    line.assign(buf, size_t(s));
  } else {
    line.assign(buf, size_t(n));
  }
}

bool File::Sync() {
  if (fd_ < 0) return false;
  if (g_calls.fsync(fd_) == 0) return true;
  error_ = errno;
  return false;
}

bool ReadWholeFile(const std::string& path, std::string& out) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  out.clear();
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    out.append(buf, size_t(n));
  }
  ::close(fd);
  return true;
}

// Only '*' and '?' are wildcards in a file name; every other character,
// '[' and '\\' included, stands for itself.
static bool HasWildcard(const std::string& path) { return path.find_first_of("*?") != std::string::npos; }

static std::string GlobPattern(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == '[' || c == ']' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

bool Exists(const std::string& path) {
  if (path.empty()) return false;
  if (!HasWildcard(path)) {
    struct stat st;
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return ::lstat(p.c_str(), &st) == 0;
  }
  glob_t g{};
  int rc = ::glob(GlobPattern(path).c_str(), GLOB_NOSORT, nullptr, &g);
  const bool found = rc == 0 && g.gl_pathc > 0;
  ::globfree(&g);
  return found;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void ClearReadOnly(const std::string& path) {
  // The mode is changed through a descriptor of the file itself, opened
  // without following a link, so a link's target is never re-moded.
  int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR))
    ::fchmod(fd, (st.st_mode & 07777) | S_IWUSR);
  ::close(fd);
}

std::string UnreadableReason(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) {
      struct stat link;
      if (::lstat(path.c_str(), &link) != 0) return "does not exist";
    }
    std::string why = SystemErrorText(errno);
    for (char& c : why) c = char(std::tolower(static_cast<unsigned char>(c)));
    return "cannot be read: " + why;
  }
  if (S_ISDIR(st.st_mode)) return "is a folder";
  if (!S_ISREG(st.st_mode)) return "is not a regular file";
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    std::string why = SystemErrorText(errno);
    for (char& c : why) c = char(std::tolower(static_cast<unsigned char>(c)));
    return "cannot be read: " + why;
  }
  ::close(fd);
  return {};
}

bool CanCreate(const std::string& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    // An existing file that can be opened for writing is fine too.
    fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
  }
  ::close(fd);
  ::unlink(path.c_str());
  return true;
}

void CreateFolder(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0) return;
  ::mkdir(path.substr(0, slash).c_str(), 0755);
}

bool CreateFolders(const std::string& folder) {
  std::string p;
  for (size_t i = 0; i < folder.size(); ++i) {
    p += folder[i];
    if ((folder[i] == '/' && i > 0) || i + 1 == folder.size()) ::mkdir(p.c_str(), 0755);
  }
  return IsDirectory(folder);
}

void DeleteTree(const std::string& folder) {
  std::string f = folder;
  while (f.size() > 1 && f.back() == '/') f.pop_back();
  // A link to a folder is removed itself; the folder it points to is not
  // emptied.
  struct stat top;
  if (::lstat(f.c_str(), &top) == 0 && S_ISLNK(top.st_mode)) {
    ::unlink(f.c_str());
    return;
  }
  DIR* d = ::opendir(f.c_str());
  if (d) {
    while (dirent* e = ::readdir(d)) {
      std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      std::string full = f + "/" + name;
      struct stat st;
      if (::lstat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) DeleteTree(full);
      else g_calls.unlink(full.c_str());
    }
    ::closedir(d);
  }
  ::rmdir(f.c_str());
}

void EmptyFolder(const std::string& folder) {
  std::string f = folder;
  while (f.size() > 1 && f.back() == '/') f.pop_back();
  struct stat st;
  if (::lstat(f.c_str(), &st) != 0) return;
  if (!S_ISDIR(st.st_mode)) {
    // A link (or anything else) in the folder's place: removed, never entered.
    g_calls.unlink(f.c_str());
    return;
  }
  DIR* d = ::opendir(f.c_str());
  if (!d) return;
  std::vector<std::string> names;
  while (const dirent* e = ::readdir(d)) {
    std::string n = e->d_name;
    if (n != "." && n != "..") names.push_back(n);
  }
  ::closedir(d);
  for (const std::string& n : names) {
    const std::string path = f + "/" + n;
    struct stat entry;
    if (::lstat(path.c_str(), &entry) == 0 && S_ISDIR(entry.st_mode)) DeleteTree(path);
    else g_calls.unlink(path.c_str());
  }
}

bool MakeRealFolder(const std::string& folder) {
  std::string f = folder;
  while (f.size() > 1 && f.back() == '/') f.pop_back();
  struct stat st;
  if (::lstat(f.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return true;
    if (g_calls.unlink(f.c_str()) != 0) return false;
  }
  return ::mkdir(f.c_str(), 0755) == 0 || (::lstat(f.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
}

static std::string TrashFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  std::string base;
  if (xdg && *xdg) base = xdg;
  else if (const char* home = std::getenv("HOME"); home && *home) base = std::string(home) + "/.local/share";
  else return {};
  return base + "/Trash/";
}

static bool MoveToTrash(const std::string& path) {
  std::string trash = TrashFolder();
  if (trash.empty() || !CreateFolders(trash + "files") || !CreateFolders(trash + "info")) return false;
  char* real = ::realpath(path.c_str(), nullptr);
  if (!real) return false;
  std::string full = real;
  std::free(real);
  std::string name = full.substr(full.rfind('/') + 1);
  std::string target = name;
  for (int i = 2; Exists(trash + "files/" + target) || Exists(trash + "info/" + target + ".trashinfo"); ++i)
    target = name + "." + std::to_string(i);
  char stamp[32];
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  ::localtime_r(&now, &tm);
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &tm);
  std::string encoded;
  for (unsigned char ch : full) {
    if (std::isalnum(ch) || std::strchr("/-_.~", ch)) encoded += char(ch);
    else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", ch);
      encoded += hex;
    }
  }
  std::string info = "[Trash Info]\nPath=" + encoded + "\nDeletionDate=" + stamp + "\n";
  std::string infoPath = trash + "info/" + target + ".trashinfo";
  if (!WriteFileAtomic(infoPath, info)) return false;
  if (::rename(full.c_str(), (trash + "files/" + target).c_str()) != 0) {
    ::unlink(infoPath.c_str());
    return false;
  }
  return true;
}

void ShellDelete(bool recycle, const std::string& path) {
  if (path.empty()) return;
  if (HasWildcard(path)) {
    glob_t g{};
    if (::glob(GlobPattern(path).c_str(), GLOB_NOSORT, nullptr, &g) == 0)
      for (size_t i = 0; i < g.gl_pathc; ++i) ShellDelete(recycle, g.gl_pathv[i]);
    ::globfree(&g);
    return;
  }
  // "." and ".." (as a wildcard like ".*" finds them) name no item of their
  // own; deleting them would take the folder or its parent.
  std::string last = path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
  if (last == "." || last == "..") return;
  if (!Exists(path)) return;
  if (recycle && MoveToTrash(path)) return;
  if (IsDirectory(path)) DeleteTree(path);
  else g_calls.unlink(path.c_str());
}

bool CopyFileBytes(const std::string& from, const std::string& to) {
  std::string bytes;
  if (!ReadWholeFile(from, bytes)) return false;
  File f = File::Open(OpenMode::Write, to);
  if (!f.valid()) return false;
  return f.WriteAll(bytes);
}

bool DeleteFile(const std::string& path) { return g_calls.unlink(path.c_str()) == 0 || errno == ENOENT; }

bool IsAtomicTempName(std::string_view name, std::string_view target) {
  size_t slash = target.rfind('/');
  if (slash != std::string_view::npos) target = target.substr(slash + 1);
  if (name.size() <= target.size() + 4 || name.substr(0, target.size()) != target) return false;
  std::string_view rest = name.substr(target.size());
  if (rest.substr(0, 4) != ".tmp") return false;
  rest = rest.substr(4);
  return rest.find_first_not_of("0123456789.") == std::string_view::npos;
}

bool WriteFileAtomic(const std::string& path, std::string_view bytes, unsigned mode) {
  // A fresh name, created exclusively and never through a link: a file or
  // link prepared under a guessed name is never written or re-moded.
  static unsigned serial = 0;
  std::string tmp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    tmp = path + ".tmp" + std::to_string(::getpid()) + "." + std::to_string(++serial) +
          std::to_string(unsigned(std::rand()) % 1000);
    fd = OpenFd(tmp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, mode_t(mode));
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  bool ok = WriteAllAt(fd, bytes.data(), bytes.size(), 0);
  if (ok && g_calls.fsync(fd) != 0) ok = false;
  int error = errno;
  ::close(fd);
  if (ok && g_calls.rename(tmp.c_str(), path.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    g_calls.unlink(tmp.c_str());
    errno = error;
    return false;
  }
  // Make the rename itself durable.
  size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
  int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}

}  // namespace pantrela
