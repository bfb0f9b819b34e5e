// Unpacking an uploaded archive into a user's folder. Nothing in the archive
// is trusted: names must be plain file names, and the bytes actually
// unpacked (not the sizes the archive claims) are counted against the caps.
#include <fcntl.h>
#include <minizip/unzip.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "server/vendor_server.h"

namespace pantrela::server {

namespace {

struct ZipCloser {
  unzFile z;
  ~ZipCloser() {
    if (z) unzClose(z);
  }
};

}  // namespace

std::string UnpackArchive(const std::string& zipPath, const std::string& folderIn, const Options& limits,
                          size_t* filesOut) {
  std::string folder = folderIn;
  if (folder.empty() || folder.back() != '/') folder += '/';
  if (filesOut) *filesOut = 0;
  unzFile z = unzOpen64(zipPath.c_str());
  if (!z) return "The archive cannot be read";
  ZipCloser closer{z};
  unz_global_info64 info;
  if (unzGetGlobalInfo64(z, &info) != UNZ_OK) return "The archive cannot be read";
  if (info.number_entry > limits.maxEntries) return "Too many files in the archive";
  uint64_t total = 0, count = 0;
  std::vector<char> buf(1 << 16);
  int r = unzGoToFirstFile(z);
  for (; r == UNZ_OK; r = unzGoToNextFile(z)) {
    if (++count > limits.maxEntries) return "Too many files in the archive";
    unz_file_info64 fi;
    char name[512];
    if (unzGetCurrentFileInfo64(z, &fi, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
      return "The archive is damaged";
    if (fi.size_filename >= sizeof name || std::strlen(name) != fi.size_filename)
      return "File names in the archive must be plain names";
    std::string entry(name);
    if (!PlainFileName(entry)) return "File names in the archive must be plain names";
    if (fi.flag & 1) return "Encrypted files are not accepted";
    if (fi.uncompressed_size > limits.maxEntryBytes) return "A file in the archive is too large";
    if (unzOpenCurrentFile(z) != UNZ_OK) return "The archive is damaged";
    int fd = ::open((folder + entry).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
      unzCloseCurrentFile(z);
      return errno == EEXIST ? "A file name occurs twice in the archive" : "Unable to store the files";
    }
    std::string err;
    uint64_t entryBytes = 0;
    for (;;) {
      int n = unzReadCurrentFile(z, buf.data(), unsigned(buf.size()));
      if (n == 0) break;
      if (n < 0) {
        err = "The archive is damaged";
        break;
      }
      entryBytes += uint64_t(n);
      total += uint64_t(n);
      if (entryBytes > limits.maxEntryBytes) {
        err = "A file in the archive is too large";
        break;
      }
      if (total > limits.maxUnpackedBytes) {
        err = "The archive is too large";
        break;
      }
      const char* p = buf.data();
      size_t left = size_t(n);
      while (left > 0) {
        ssize_t w = ::write(fd, p, left);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
          err = "Unable to store the files";
          break;
        }
        p += w;
        left -= size_t(w);
      }
      if (!err.empty()) break;
    }
    if (err.empty() && ::fsync(fd) != 0) err = "Unable to store the files";
    if (::close(fd) != 0 && err.empty()) err = "Unable to store the files";
    int closed = unzCloseCurrentFile(z);  // reports a checksum mismatch
    if (err.empty() && closed != UNZ_OK) err = "The archive is damaged";
    if (!err.empty()) return err;
    if (filesOut) ++*filesOut;
  }
  if (r != UNZ_END_OF_LIST_OF_FILE) return "The archive is damaged";
  return "";
}

}  // namespace pantrela::server
