// Whole-file reading and the atomic replacement of a file on writing.
#pragma once

#include "dibcore.h"
#include "progress.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <cstring>
#include <vector>

#include <sys/uio.h>

namespace bk3 {

// A file's bytes in one block.
struct FileData {
  struct Free {
    void operator()(uint8_t *p) const { std::free(p); }
  };
  std::unique_ptr<uint8_t[], Free> bytes;
  size_t size = 0;
};

// Files larger than this are refused before anything is allocated: no picture the
// library accepts needs more (2^28 pixels at 4 bytes, or RLE at 2 bytes a pixel).
inline constexpr uint64_t max_file_bytes = uint64_t(1) << 31;

// Looks at the start of a file (the first head_bytes, or all of a smaller file)
// before the rest is read, and may refuse it from its header and its size alone.
using HeadCheck = std::function<Error(const uint8_t *head, size_t size, uint64_t file_size)>;
inline constexpr size_t head_bytes = size_t(64) << 10;

// A file larger than read_chunk is read in chunks that move `progress` over the
// first half of the gauge, leaving the second half to the decoder; a smaller
// one leaves the whole gauge to it.
inline constexpr size_t read_chunk = size_t(4) << 20;
Error read_file(const char *filename, FileData &out, const HeadCheck &check = nullptr,
                Progress *progress = nullptr);

// A sink of bytes with sticky failure: after the first failed write every further
// write fails too, so encoders may check once at the end.
class Writer {
public:
  virtual ~Writer() = default;
  bool write(const void *data, size_t size)
  {
    if (failed_)
      return false;
    if (!put(data, size))
      failed_ = true;
    return !failed_;
  }
  bool u8(uint8_t v) { return write(&v, 1); }
  bool u16(uint16_t v)
  {
    const uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
    return write(b, 2);
  }
  bool u32(uint32_t v)
  {
    const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    return write(b, 4);
  }
  bool zeros(size_t n)
  {
    static const uint8_t z[16] = {};
    while (n > 0) {
      const size_t k = n < sizeof z ? n : sizeof z;
      if (!write(z, k))
        return false;
      n -= k;
    }
    return !failed_;
  }
  // Writes `count` pieces one after the other, in one call where the sink can.
  bool write_pieces(const iovec *pieces, size_t count)
  {
    if (failed_)
      return false;
    if (!put_pieces(pieces, count))
      failed_ = true;
    return !failed_;
  }
  bool failed() const { return failed_; }
  // Overwrites `size` bytes already written at offset `at` (a length that is known
  // only at the end); false, and failed from then on, where the sink cannot.
  bool rewrite(uint64_t at, const void *data, size_t size)
  {
    if (failed_)
      return false;
    if (!replace(at, data, size))
      failed_ = true;
    return !failed_;
  }

protected:
  virtual bool put(const void *data, size_t size) = 0;
  virtual bool replace(uint64_t, const void *, size_t) { return false; }
  virtual bool put_pieces(const iovec *pieces, size_t count)
  {
    for (size_t i = 0; i < count; ++i)
      if (!put(pieces[i].iov_base, pieces[i].iov_len))
        return false;
    return true;
  }

private:
  bool failed_ = false;
};

// The bytes an encoder writes, kept in memory: for measuring encoders without
// the disk and for decoding what they wrote again.
class MemoryWriter : public Writer {
public:
  std::vector<uint8_t> bytes;

protected:
  bool put(const void *data, size_t size) override
  {
    const auto *p = static_cast<const uint8_t *>(data);
    bytes.insert(bytes.end(), p, p + size);
    return true;
  }
  bool replace(uint64_t at, const void *data, size_t size) override
  {
    if (at > bytes.size() || size > bytes.size() - at)
      return false;
    std::memcpy(bytes.data() + at, data, size);
    return true;
  }
};

// Writes all of `count` pieces to `fd`, going on after a partial write where it
// stopped; false with errno set on failure.
bool writev_all(int fd, const iovec *pieces, size_t count);

// Writes `target` through `body` into a temporary file in the target's folder and
// renames it over the target only when it is completely written, synced and closed.
// On any failure the temporary file is removed and the target stays as it was; a
// target the user may not write to is left alone from the start.
// An existing target keeps its permission bits; a new file gets 0666 & ~umask.
// On failure errno holds the system's reason, or 0 when there was none.
bool write_file_atomically(const char *target, const std::function<bool(Writer &)> &body);

} // namespace bk3
