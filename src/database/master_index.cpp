#include "database/master_index.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "database/record.h"
#include "foundation/file.h"
#include "foundation/numtext.h"
#include "foundation/status_log.h"

namespace pantrela {

void AppendIndexEntry(std::string& image, uint8_t flags, uint8_t kind, int64_t recordId, int64_t chapterKey,
                      int64_t fileOffset, std::string_view title) {
  title = title.substr(0, kTitleWriteMax);
  image.push_back(char(uint8_t(kEntryFixed + title.size())));
  image.push_back(char(flags));
  image.push_back(char(kind));
  image.push_back(0);
  AppendLE64(image, uint64_t(recordId));
  AppendLE64(image, uint64_t(chapterKey));
  AppendLE64(image, uint64_t(fileOffset));
  image.append(title);
  image.push_back(0);
}

bool IndexImageIsWalkable(const ByteImage& image) {
  size_t off = 0;
  const size_t n = image.size();
  while (off < n) {
    size_t len = image.Get8(off);
    if (len < kEntryFixed || len > n - off) return false;
    off += len;
  }
  return true;
}

std::vector<uint32_t> IndexEntryOffsets(const ByteImage& image) {
  std::vector<uint32_t> out;
  size_t off = 0;
  while (off < image.size()) {
    size_t len = image.Get8(off);
    if (len < kEntryFixed) break;
    out.push_back(uint32_t(off));
    off += len;
  }
  return out;
}

namespace {

struct FoldTable {
  uint8_t t[256];
  constexpr FoldTable() : t() {
    for (int i = 0; i < 256; ++i) t[i] = uint8_t(i >= 'a' && i <= 'z' ? i - 32 : i);
  }
};
constexpr FoldTable kFold;

// The 8 hex digits of the key prefix, packed big-endian so that integer
// order equals the order of the digit texts.
uint64_t PrefixOf(int64_t chapterKey) {
  static const char* hex = "0123456789ABCDEF";
  uint32_t v = chapterKey <= kReservedKeyMax ? uint32_t(chapterKey) : 0xFFFFFFFFu;
  uint64_t packed = 0;
  for (int i = 7; i >= 0; --i) packed = (packed << 8) | uint8_t(hex[(v >> (i * 4)) & 15]);
  return packed;
}

}  // namespace

int CompareFolded(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    uint8_t x = kFold.t[uint8_t(a[i])], y = kFold.t[uint8_t(b[i])];
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::string SortKeyOf(const EntryView& e) {
  uint64_t p = PrefixOf(e.chapterKey());
  std::string key;
  for (int i = 7; i >= 0; --i) key.push_back(char((p >> (i * 8)) & 0xFF));
  key.append(e.title());
  return key;
}

std::string SortedIndexImage(const ByteImage& image) {
  struct Item {
    uint64_t prefix;
    std::string_view title;
    uint32_t off;
    uint32_t len;
  };
  std::vector<Item> items;
  items.reserve(image.size() / 48 + 4);
  for (uint32_t off : IndexEntryOffsets(image)) {
    EntryView e{&image, off};
    items.push_back({PrefixOf(e.chapterKey()), e.title(), off, e.length()});
  }
  std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    return CompareFolded(a.title, b.title) < 0;
  });
  std::string out;
  out.reserve(image.size());
  const char* base = reinterpret_cast<const char*>(image.data());
  for (const Item& it : items) out.append(base + it.off, it.len);
  return out;
}

RawRecordResult LoadRawRecord(File& file, uint64_t fileSize, uint64_t offset, std::string& buffer,
                              const StatusLog& log) {
  if (offset + kRecordHeaderSize > fileSize || offset > fileSize) {
    log.Log("Load Record: End of File Reached");
    return kRawEndOfFile;
  }
  uint8_t header[kRecordHeaderSize];
  file.Seek(offset);
  if (file.Read(header, kRecordHeaderSize) != int64_t(kRecordHeaderSize)) {
    log.Log("Load Record: End of File Reached");
    return kRawEndOfFile;
  }
  buffer.assign(reinterpret_cast<const char*>(header), kRecordHeaderSize);
  if (!HasRecordMagic(header)) return kRawNotRecord;
  uint64_t length = GetLE32(header);
  if (offset + length > fileSize) {
    log.Log("Load Record: End of File Before Finishing Record (" + Thousands(int64_t(offset)) + " - " +
            Thousands(int64_t(length)) + " - " + Thousands(int64_t(fileSize)) + ")");
    return kRawEndOfFile;
  }
  if (length <= kRecordHeaderSize) {
    log.Log("Load Record: Record Size Too Small (" + Spaced(int64_t(length)) + ")");
    return kRawNotRecord;
  }
  if (header[kHdrKind] == kKindDeleted) return kRawDeleted;
  buffer.resize(length);
  file.Read(buffer.data() + kRecordHeaderSize, int64_t(length - kRecordHeaderSize));
  return kRawLoaded;
}

FileWindow::FileWindow(int fd, uint64_t fileSize, size_t windowSize)
    : fd_(fd), size_(fileSize), windowSize_(windowSize) {}

const uint8_t* FileWindow::Get(uint64_t offset, size_t count) {
  if (offset > size_ || count > size_ - offset) return nullptr;
  if (offset >= start_ && offset - start_ <= have_ && count <= have_ - (offset - start_))
    return buf_.data() + (offset - start_);
  size_t want = std::max(windowSize_, count);
  want = size_t(std::min<uint64_t>(want, size_ - offset));
  if (buf_.size() < want) buf_.resize(want);
  size_t got = 0;
  while (got < want) {
    ssize_t n = ::pread(fd_, buf_.data() + got, want - got, off_t(offset + got));
    if (n <= 0) break;
    got += size_t(n);
  }
  start_ = offset;
  have_ = got;
  if (got < count) return nullptr;
  return buf_.data();
}

uint64_t FileWindow::FindMagic(uint64_t from) {
  static const char magic[4] = {'Q', 'X', 'R', 'S'};
  while (from + 4 <= size_) {
    size_t span = size_t(std::min<uint64_t>(windowSize_, size_ - from));
    const uint8_t* p = Get(from, span);
    if (!p) return size_;
    const void* hit = ::memmem(p, span, magic, 4);
    if (hit) return from + uint64_t(static_cast<const uint8_t*>(hit) - p);
    if (span < 4 || from + span >= size_) break;
    from += span - 3;
  }
  return size_;
}

}  // namespace pantrela
