#include "foundation/bytes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>

#include "foundation/dialogs.h"
#include "foundation/numtext.h"

namespace pantrela {

void AppendLE16(std::string& out, uint16_t v) {
  out.push_back(char(v & 0xFF));
  out.push_back(char(v >> 8));
}
void AppendLE32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(char((v >> (8 * i)) & 0xFF));
}
void AppendLE64(std::string& out, uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(char((v >> (8 * i)) & 0xFF));
}

std::string BufferCreateFailureText(size_t size) {
  // The heap is always the process heap; its handle number has no meaning
  // here, so 1 stands for it.
  return "(" + Plain(int64_t(size)) + " bytes/1 heap) Please restart your computer.";
}
std::string BufferResizeFailureText(size_t size) {
  return "(" + Plain(int64_t(size)) + " bytes) Please restart your computer.";
}

// An allocation failure is never silent: without a dialog it goes to
// standard error.
static void ReportFailure(Dialogs* dialogs, const char* title, const std::string& text) {
  if (dialogs) dialogs->SystemMessage(title, text);
  else std::fprintf(stderr, "%s %s\n", title, text.c_str());
}

bool ByteImage::Create(size_t size, Dialogs* dialogs) {
  if (size == 0) return true;
  try {
    data_.resize(size);
    return true;
  } catch (const std::bad_alloc&) {
    Free();
    ReportFailure(dialogs, "Error creating memory buffer!", BufferCreateFailureText(size));
    return false;
  } catch (const std::length_error&) {
    Free();
    ReportFailure(dialogs, "Error creating memory buffer!", BufferCreateFailureText(size));
    return false;
  }
}

bool ByteImage::Resize(size_t size, Dialogs* dialogs) {
  if (data_.empty()) return Create(size, dialogs);
  try {
    data_.resize(size);
    return true;
  } catch (const std::exception&) {
    Free();
    ReportFailure(dialogs, "Error resizing memory buffer!", BufferResizeFailureText(size));
    return false;
  }
}

void ByteImage::Fill(size_t off, size_t count, uint8_t value) {
  if (off >= data_.size()) return;
  count = std::min(count, data_.size() - off);
  std::memset(data_.data() + off, value, count);
}

void ByteImage::Move(const ByteImage& src, size_t srcOff, ByteImage& dst, size_t dstOff, size_t count) {
  if (!src.InRange(srcOff, count) || !dst.InRange(dstOff, count) || count == 0) return;
  std::memmove(dst.data_.data() + dstOff, src.data_.data() + srcOff, count);
}

std::string ByteImage::GetBytes(size_t off, size_t count) const {
  if (off >= data_.size()) return {};
  count = std::min(count, data_.size() - off);
  return std::string(reinterpret_cast<const char*>(data_.data() + off), count);
}

void ByteImage::PutBytes(size_t off, std::string_view text, size_t count) {
  count = std::min(count, text.size());
  if (off >= data_.size()) return;
  count = std::min(count, data_.size() - off);
  std::memcpy(data_.data() + off, text.data(), count);
}

std::string ByteImage::GetCounted(size_t off) const { return GetBytes(off + 1, Get8(off)); }

void ByteImage::PutCounted(size_t off, std::string_view text) {
  size_t n = std::min<size_t>(text.size(), 255);
  Set8(off, uint8_t(n));
  PutBytes(off + 1, text, n);
}

std::string ByteImage::GetZ(size_t off) const {
  if (off >= data_.size()) return {};
  const uint8_t* begin = data_.data() + off;
  const void* z = std::memchr(begin, 0, data_.size() - off);
  size_t n = z ? size_t(static_cast<const uint8_t*>(z) - begin) : data_.size() - off;
  return std::string(reinterpret_cast<const char*>(begin), n);
}

void ByteImage::PutZ(size_t off, std::string_view text) {
  PutBytes(off, text);
  Set8(off + text.size(), 0);
}

}  // namespace pantrela
