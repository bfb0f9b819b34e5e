// Byte images: growable raw memory addressed by byte offset, with
// little-endian typed access. Records, the master index, lists and the
// dictionary are all held this way, exactly as they are laid out on disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pantrela {

class Dialogs;

// Little-endian helpers on raw spans; callers guarantee the range is valid.
inline uint16_t GetLE16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t GetLE32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline uint64_t GetLE64(const uint8_t* p) { return uint64_t(GetLE32(p)) | (uint64_t(GetLE32(p + 4)) << 32); }
inline void PutLE16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
inline void PutLE32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v >> 16); p[3] = uint8_t(v >> 24);
}
inline void PutLE64(uint8_t* p, uint64_t v) { PutLE32(p, uint32_t(v)); PutLE32(p + 4, uint32_t(v >> 32)); }

// Appends little-endian values to a byte string (writers of binary files).
void AppendLE16(std::string& out, uint16_t v);
void AppendLE32(std::string& out, uint32_t v);
void AppendLE64(std::string& out, uint64_t v);

// A byte image. Accesses outside the image read as 0 and write nothing, so a
// damaged length field can never read or write past the block.
class ByteImage {
 public:
  ByteImage() = default;
  explicit ByteImage(size_t size) : data_(size, 0) {}
  explicit ByteImage(std::string_view bytes) : data_(bytes.begin(), bytes.end()) {}

  // Allocates or resizes, keeping the contents. On failure the message of the
  // buffer allocator is shown through `dialogs` (when given), the image is
  // left empty and false is returned; the program goes on.
  bool Create(size_t size, Dialogs* dialogs = nullptr);
  bool Resize(size_t size, Dialogs* dialogs = nullptr);
  void Free() { std::vector<uint8_t>().swap(data_); }

  size_t size() const { return data_.size(); }
  bool empty() const { return data_.empty(); }
  uint8_t* data() { return data_.data(); }
  const uint8_t* data() const { return data_.data(); }
  std::string_view view() const { return {reinterpret_cast<const char*>(data_.data()), data_.size()}; }
  std::vector<uint8_t>& bytes() { return data_; }
  const std::vector<uint8_t>& bytes() const { return data_; }

  bool InRange(size_t offset, size_t count) const { return offset <= data_.size() && count <= data_.size() - offset; }

  uint8_t Get8(size_t off) const { return InRange(off, 1) ? data_[off] : 0; }
  uint16_t Get16(size_t off) const { return InRange(off, 2) ? GetLE16(&data_[off]) : 0; }
  uint32_t Get32(size_t off) const { return InRange(off, 4) ? GetLE32(&data_[off]) : 0; }
  int32_t GetI32(size_t off) const { return int32_t(Get32(off)); }
  int64_t Get64(size_t off) const { return InRange(off, 8) ? int64_t(GetLE64(&data_[off])) : 0; }
  void Set8(size_t off, uint8_t v) { if (InRange(off, 1)) data_[off] = v; }
  void Set16(size_t off, uint16_t v) { if (InRange(off, 2)) PutLE16(&data_[off], v); }
  void Set32(size_t off, uint32_t v) { if (InRange(off, 4)) PutLE32(&data_[off], v); }
  void Set64(size_t off, int64_t v) { if (InRange(off, 8)) PutLE64(&data_[off], uint64_t(v)); }

  void Fill(size_t off, size_t count, uint8_t value);
  // Copies count bytes within or between images; overlapping ranges are safe.
  static void Move(const ByteImage& src, size_t srcOff, ByteImage& dst, size_t dstOff, size_t count);
  void Move(size_t srcOff, size_t dstOff, size_t count) { Move(*this, srcOff, *this, dstOff, count); }

  std::string GetBytes(size_t off, size_t count) const;
  void PutBytes(size_t off, std::string_view text, size_t count);
  void PutBytes(size_t off, std::string_view text) { PutBytes(off, text, text.size()); }
  // One length byte and up to 255 text bytes.
  std::string GetCounted(size_t off) const;
  void PutCounted(size_t off, std::string_view text);
  // Text followed by a zero byte.
  std::string GetZ(size_t off) const;
  void PutZ(size_t off, std::string_view text);

  void Append(std::string_view bytes) { data_.insert(data_.end(), bytes.begin(), bytes.end()); }

 private:
  std::vector<uint8_t> data_;
};

// Texts of the buffer allocator's failure messages (shown as a system box).
std::string BufferCreateFailureText(size_t size);
std::string BufferResizeFailureText(size_t size);

}  // namespace pantrela
