// The file layer: files are opened in one of four modes for one operation,
// read and written at explicit positions, and closed again.
// A failed open gives an invalid handle on which every call quietly does
// nothing, so a missing file behaves like an empty one; writers check the
// results they get and find the system's reason in lastError().
//
// Nothing is written through a link: the writing modes refuse a link as the
// last part of the path, a missing file is created without following a
// dangling link, and only regular files are opened (a FIFO, a device or a
// folder gives an invalid handle at once instead of blocking).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace pantrela {

class ByteImage;

enum class OpenMode : char {
  Write = 'o',   // write, create or truncate
  Append = 'a',  // write, open or create, positioned at the end
  Read = 'i',    // read, open or create (a missing file is created empty)
  Update = 'u',  // read and write, open or create
};

// The system calls the file layer opens, writes, syncs, renames and deletes
// with. Tests replace entries to make a chosen call fail (a full disk, an
// I/O error); the program always runs with the system's own.
struct FileCalls {
  int (*open)(const char* path, int flags, mode_t mode);
  ssize_t (*pwrite)(int fd, const void* data, size_t count, off_t at);
  int (*fsync)(int fd);
  int (*rename)(const char* from, const char* to);
  int (*unlink)(const char* path);
};
// The table in use.
FileCalls& FileLayerCalls();
// The system's own calls.
const FileCalls& SystemFileCalls();

class File {
 public:
  File() = default;
  ~File() { Close(); }
  File(File&& o) noexcept
      : fd_(o.fd_),
        pos_(o.pos_),
        readOnly_(o.readOnly_),
        error_(o.error_),
        ahead_(std::move(o.ahead_)),
        aheadAt_(o.aheadAt_) {
    o.fd_ = -1;
  }
  File& operator=(File&& o) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  static File Open(OpenMode mode, const std::string& path);
  // The same by mode letter ('o', 'a', 'i', 'u'); any other letter opens
  // nothing.
  static File Open(char mode, const std::string& path);
  // A new file for writing (mode 0600): an old file or link of that name is
  // removed first and the new one is created exclusively, so a link placed
  // in the folder never redirects the write.
  static File CreateFresh(const std::string& path);

  bool valid() const { return fd_ >= 0; }
  void Close();
  uint64_t Size() const;
  uint64_t Tell() const;  // 0 when it cannot be read
  void Seek(uint64_t position);

  // Reads up to count bytes at the current position; returns how many were
  // read. A count <= 0 does nothing.
  int64_t Read(void* target, int64_t count);
  // Reads count bytes into image+offset; a short read leaves the rest as it was.
  int64_t Read(ByteImage& image, size_t offset, int64_t count);
  std::string ReadBytes(int64_t count);
  // Writes count bytes; returns how many were written (count <= 0 does
  // nothing). Fewer than count means the write failed (see lastError).
  [[nodiscard]] int64_t Write(const void* source, int64_t count);
  [[nodiscard]] int64_t Write(const ByteImage& image, size_t offset, int64_t count);
  [[nodiscard]] int64_t Write(std::string_view bytes) { return Write(bytes.data(), int64_t(bytes.size())); }
  // True when all the bytes were written.
  [[nodiscard]] bool WriteAll(std::string_view bytes) { return Write(bytes) == int64_t(bytes.size()); }
  // Writes the text, followed by CR LF when lineFlag is set; false when not
  // all of it was written.
  bool WriteText(std::string_view text, bool lineFlag);
  // Reads the next line of a text file: one read of at most 260 bytes; the
  // line ends at a CR, an LF or a CR LF; an over-long line without a break is
  // cut after its last space within the first 256 bytes. stripCR 0 keeps
  // the line's CR mark (appending one after a bare LF), 1 strips it. At the
  // end of the file the line keeps its previous value.
  void ReadLine(std::string& line, int stripCR);
  bool AtEnd() const { return Tell() >= Size(); }
  // fsync; false when it failed.
  [[nodiscard]] bool Sync();
  // The error number of the last failed open, write or sync (0 when none).
  int lastError() const { return error_; }
  // The descriptor, for positioned calls (pread, ftruncate). The handle keeps
  // its own position: Tell and Seek never move the descriptor's.
  int fd() const { return fd_; }

 private:
  int fd_ = -1;
  uint64_t pos_ = 0;
  bool readOnly_ = false;
  int error_ = 0;
  // Read-ahead of a read-only file for the line reader: bytes from aheadAt_.
  std::string ahead_;
  uint64_t aheadAt_ = 0;
};

// Whole-file helpers.
bool ReadWholeFile(const std::string& path, std::string& out);
// True when a directory search for the path finds an entry (wildcards match).
bool Exists(const std::string& path);
bool IsDirectory(const std::string& path);
// Removes write protection of an existing regular file, keeping its other
// bits; a link is left alone (the file it points to is not changed).
void ClearReadOnly(const std::string& path);
// What keeps a file from being read as input: "" when it is a readable
// regular file, else "does not exist", "is a folder", "is not a regular
// file" or "cannot be read: " and the system's reason in lower case.
std::string UnreadableReason(const std::string& path);
// True when the file could be created (it is deleted again) or an existing
// one opened for writing.
bool CanCreate(const std::string& path);
// Creates the one folder level named by the path up to its last '/';
// an existing folder or a missing parent is silently ignored.
void CreateFolder(const std::string& path);
// Creates a folder and any missing parents; true when it exists afterwards.
bool CreateFolders(const std::string& folder);
// Deletes a folder with everything in it. A link is removed itself; what it
// points to is never entered.
void DeleteTree(const std::string& folder);
// Deletes everything inside a folder and keeps the folder. A link in the
// folder's place is removed instead of followed.
void EmptyFolder(const std::string& folder);
// Makes `folder` a real folder of its own: a link or file in its place is
// removed first. True when the folder exists afterwards.
bool MakeRealFolder(const std::string& folder);
// Deletes a file or folder; with recycle set it goes to the freedesktop trash
// (plain delete when there is no trash). No questions, no error dialogs.
void ShellDelete(bool recycle, const std::string& path);
[[nodiscard]] bool CopyFileBytes(const std::string& from, const std::string& to);
// Deletes a file (a link is removed itself); false when it was there and
// could not be deleted.
bool DeleteFile(const std::string& path);

// Whole-file rewrite that never leaves a half-written file behind: writes a
// temporary file of a fresh name in the same folder (created exclusively,
// never through a link), syncs it and renames it over the target. `mode` is
// the permission of the new file before the umask. On failure the target is
// as it was, the temporary file is gone and errno holds the reason.
[[nodiscard]] bool WriteFileAtomic(const std::string& path, std::string_view bytes, unsigned mode = 0644);
// True for the name of a temporary file WriteFileAtomic makes for `target`
// (the target's file name + ".tmp" + digits and dots).
bool IsAtomicTempName(std::string_view name, std::string_view target);

}  // namespace pantrela
