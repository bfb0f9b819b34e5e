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

#include "foundation/bytes.h"

namespace pantrela {

File& File::operator=(File&& o) noexcept {
  if (this != &o) {
    Close();
    fd_ = o.fd_;
    pos_ = o.pos_;
    readOnly_ = o.readOnly_;
    ahead_ = std::move(o.ahead_);
    aheadAt_ = o.aheadAt_;
    o.fd_ = -1;
  }
  return *this;
}

File File::Open(char mode, const std::string& path) {
  int flags;
  switch (mode) {
    case 'o': flags = O_WRONLY | O_CREAT | O_TRUNC; break;
    case 'a': flags = O_WRONLY | O_CREAT; break;
    case 'i': flags = O_RDONLY | O_CREAT; break;
    case 'u': flags = O_RDWR | O_CREAT; break;
    default: return File();
  }
  File f;
  f.fd_ = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
  if (f.fd_ < 0 && mode == 'i') {
    // A read-only folder cannot hold a new empty file; a missing file then
    // simply reads as empty.
    f.fd_ = -1;
  }
  f.readOnly_ = mode == 'i';
  if (f.fd_ >= 0 && mode == 'a') f.pos_ = f.Size();
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
    ssize_t n = ::pwrite(fd_, p + done, size_t(count - done), off_t(pos_ + uint64_t(done)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  pos_ += uint64_t(done);
  return done;
}

int64_t File::Write(const ByteImage& image, size_t offset, int64_t count) {
  if (count <= 0 || !image.InRange(offset, size_t(count))) return 0;
  return Write(image.data() + offset, count);
}

void File::WriteText(std::string_view text, bool lineFlag) {
  if (!lineFlag) {
    Write(text);
    return;
  }
  std::string s(text);
  s += "\r\n";
  Write(s);
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

bool File::Sync() { return fd_ >= 0 && ::fsync(fd_) == 0; }

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
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
  if (!(st.st_mode & S_IWUSR)) ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR);
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
      else ::unlink(full.c_str());
    }
    ::closedir(d);
  }
  ::rmdir(f.c_str());
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
  else ::unlink(path.c_str());
}

bool CopyFileBytes(const std::string& from, const std::string& to) {
  std::string bytes;
  if (!ReadWholeFile(from, bytes)) return false;
  File f = File::Open('o', to);
  if (!f.valid()) return false;
  return f.Write(bytes) == int64_t(bytes.size());
}

void DeleteFile(const std::string& path) { ::unlink(path.c_str()); }

bool WriteFileAtomic(const std::string& path, std::string_view bytes, unsigned mode) {
  std::string tmp = path + ".tmp" + std::to_string(::getpid());
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) return false;
  ::fchmod(fd, mode);
  size_t done = 0;
  bool ok = true;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    done += size_t(n);
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  ::close(fd);
  if (ok && ::rename(tmp.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) {
    ::unlink(tmp.c_str());
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
