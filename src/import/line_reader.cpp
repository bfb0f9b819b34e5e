#include "import/line_reader.h"

#include <algorithm>

namespace pantrela {

LineReader::LineReader(const std::string& path, size_t blockSize) : blockSize_(std::max<size_t>(blockSize, 4096)) {
  if (Exists(path)) file_ = File::Open(OpenMode::Read, path);
  size_ = file_.valid() ? file_.Size() : 0;
}

// Makes sure the bytes [position_, position_ + 260) that exist are in buf_.
void LineReader::Fill() {
  const uint64_t want = std::min<uint64_t>(260, size_ - position_);
  if (position_ >= bufStart_ && position_ + want <= bufStart_ + buf_.size()) return;
  const uint64_t count = std::min<uint64_t>(std::max<uint64_t>(blockSize_, want), size_ - position_);
  buf_.resize(size_t(count));
  file_.Seek(position_);
  int64_t got = file_.Read(buf_.data(), int64_t(count));
  if (got < 0) got = 0;
  buf_.resize(size_t(got));
  bufStart_ = position_;
  if (uint64_t(got) < want) size_ = position_ + uint64_t(got);  // the file shrank meanwhile
}

bool LineReader::Next(std::string& line) {
  if (position_ >= size_) return false;
  Fill();
  const size_t n = size_t(std::min<uint64_t>(260, size_ - position_));
  if (n == 0) return false;
  const char* p = buf_.data() + (position_ - bufStart_);
  // The first CR or LF; only which comes first matters.
  size_t brk = 0;
  while (brk < n && p[brk] != '\r' && p[brk] != '\n') ++brk;
  if (brk < n && p[brk] == '\r') {
    line.assign(p, brk);
    position_ += brk + (brk + 1 < n && p[brk + 1] == '\n' ? 2 : 1);
  } else if (brk < n) {
    line.assign(p, brk);
    position_ += brk + 1;
  } else if (n < 260) {
    // The rest of the file is one unterminated last line: it is taken whole
    // rather than cut at its last space.
    line.assign(p, n);
    position_ += n;
  } else {
    size_t s = 0;
    for (size_t i = std::min<size_t>(n, 256); i-- > 0;) {
      if (p[i] == ' ') {
        s = i + 1;
        break;
      }
    }
    const size_t take = s > 0 ? s : n;
    line.assign(p, take);
    position_ += take;
  }
  return true;
}

}  // namespace pantrela
