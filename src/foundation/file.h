// The file layer: files are opened by a mode letter for one operation, read
// and written at explicit positions, and closed again.
//   'o' write, create or truncate      'a' write, open or create, at the end
//   'i' read, open or create (a missing file is created empty)
//   'u' read and write, open or create
// A failed open gives an invalid handle on which every call quietly does
// nothing, so a missing file behaves like an empty one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pantrela {

class ByteImage;

class File {
 public:
  File() = default;
  ~File() { Close(); }
  File(File&& o) noexcept
      : fd_(o.fd_), pos_(o.pos_), readOnly_(o.readOnly_), ahead_(std::move(o.ahead_)), aheadAt_(o.aheadAt_) {
    o.fd_ = -1;
  }
  File& operator=(File&& o) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Any other mode letter opens nothing.
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
  // Writes count bytes; returns how many were written (count <= 0 does nothing).
  int64_t Write(const void* source, int64_t count);
  int64_t Write(const ByteImage& image, size_t offset, int64_t count);
  int64_t Write(std::string_view bytes) { return Write(bytes.data(), int64_t(bytes.size())); }
  // Writes the text, followed by CR LF when lineFlag is set.
  void WriteText(std::string_view text, bool lineFlag);
  // Reads the next line of a text file: one read of at most 260 bytes; the
  // line ends at a CR, an LF or a CR LF; an over-long line without a break is
  // cut after its last space within the first 256 bytes. stripCR 0 keeps
  // the line's CR mark (appending one after a bare LF), 1 strips it. At the
  // end of the file the line keeps its previous value.
  void ReadLine(std::string& line, int stripCR);
  bool AtEnd() const { return Tell() >= Size(); }
  // fsync; false when it failed.
  bool Sync();
  // The descriptor, for positioned calls (pread, ftruncate). The handle keeps
  // its own position: Tell and Seek never move the descriptor's.
  int fd() const { return fd_; }

 private:
  int fd_ = -1;
  uint64_t pos_ = 0;
  bool readOnly_ = false;
  // Read-ahead of a read-only file for the line reader: bytes from aheadAt_.
  std::string ahead_;
  uint64_t aheadAt_ = 0;
};

// Whole-file helpers.
bool ReadWholeFile(const std::string& path, std::string& out);
// True when a directory search for the path finds an entry (wildcards match).
bool Exists(const std::string& path);
bool IsDirectory(const std::string& path);
// Removes write protection of an existing file, keeping its other bits.
void ClearReadOnly(const std::string& path);
// True when the file could be created (it is deleted again) or an existing
// one opened for writing.
bool CanCreate(const std::string& path);
// Creates the one folder level named by the path up to its last '/';
// an existing folder or a missing parent is silently ignored.
void CreateFolder(const std::string& path);
// Creates a folder and any missing parents; true when it exists afterwards.
bool CreateFolders(const std::string& folder);
// Deletes a folder with everything in it.
void DeleteTree(const std::string& folder);
// Deletes a file or folder; with recycle set it goes to the freedesktop trash
// (plain delete when there is no trash). No questions, no error dialogs.
void ShellDelete(bool recycle, const std::string& path);
bool CopyFileBytes(const std::string& from, const std::string& to);
void DeleteFile(const std::string& path);

// Whole-file rewrite that never leaves a half-written file behind: writes a
// temporary file in the same folder, syncs it and renames it over the
// target. `mode` is the permission of a newly created file.
bool WriteFileAtomic(const std::string& path, std::string_view bytes, unsigned mode = 0644);

}  // namespace pantrela
