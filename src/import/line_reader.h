// Line reading for the importers, with the file layer's line rules (a line
// ends at CR, LF or CR LF; an over-long line without a break is cut after
// its last space within the first 256 bytes, else after 260 bytes) but
// reading the file in large blocks instead of one read per line. A last line
// without a break is read whole.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/file.h"

namespace pantrela {

class LineReader {
 public:
  // Opens the file for reading; a missing file reads as empty.
  explicit LineReader(const std::string& path, size_t blockSize = 1 << 20);
  bool AtEnd() const { return position_ >= size_; }
  uint64_t position() const { return position_; }
  uint64_t size() const { return size_; }
  // The next line without its CR or LF. Returns false at the end of the file.
  bool Next(std::string& line);

 private:
  void Fill();

  File file_;
  uint64_t size_ = 0;
  uint64_t position_ = 0;
  size_t blockSize_;
  std::vector<char> buf_;
  uint64_t bufStart_ = 0;  // file offset of buf_[0]
};

}  // namespace pantrela
