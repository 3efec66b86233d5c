// Large pictures on two threads, on machines with two cores or more: decoders in
// two halves at once, encoders block by block as the file is written.
#pragma once

#include "fileio.h"
#include "progress.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include <sys/uio.h>

namespace bk3 {

// Pictures from this many pixels on are worth a second thread.
inline constexpr int64_t halves_from_pixels = int64_t(1) << 20;

// Runs `lower` on a new thread and `upper` here, and returns when both are done;
// false, without running either, when there is no second core or no thread.
template <class Upper, class Lower> bool run_in_halves(Upper &&upper, Lower &&lower)
{
  if (std::thread::hardware_concurrency() < 2)
    return false;
  std::thread worker;
  try {
    worker = std::thread(std::forward<Lower>(lower));
  } catch (const std::system_error &) {
    return false;
  }
  upper();
  worker.join();
  return true;
}

// Encodes rows 0 to height - 1 in file order with `encode(row, scratch, to)`, which
// writes at most `most` bytes at `to` and returns their end, and writes them to
// `out`; returns the number of bytes written, or -1 on failure. Rows go in blocks of
// about a megabyte through a few buffers used again and again: fresh memory for a
// whole encoded picture costs more in page faults than the encoding. For a large
// picture a second thread encodes blocks too, while this one writes each block as
// soon as it and those before it are done. `make_scratch` gives each thread its
// own working rows.
// When each row lies before the one before it in memory (`backwards`), a block's
// rows are coded from its last up, each into its own place `most` bytes apart, and
// written in order as pieces: the processor fetches memory ahead of a forward walk
// by itself, while rows taken backwards would each start by waiting for memory.
template <class MakeScratch, class Encode>
int64_t encode_rows(int64_t height, size_t most, bool large, bool backwards, MakeScratch make_scratch, Encode encode,
                    Writer &out, Progress &progress)
{
  constexpr int slots = 4;
  const int64_t block_rows = std::max<int64_t>(1, std::min<int64_t>(height, int64_t((size_t(1) << 20) / most)));
  const int64_t blocks = (height + block_rows - 1) / block_rows;
  const size_t block_bytes = size_t(block_rows) * most;
  std::unique_ptr<uint8_t[], FileData::Free> room(static_cast<uint8_t *>(std::malloc(block_bytes * slots)));
  if (!room)
    return -1;
  std::vector<iovec> pieces(backwards ? size_t(block_rows) * slots : 0);
  struct Slot {
    int64_t block = -1; // encoded and not yet written
    size_t bytes = 0;
  } done[slots];
  std::mutex lock;
  std::condition_variable changed;
  int64_t next_block = 0, next_written = 0;
  bool stop = false;

  // Takes the next block when its buffer is free; false when there is none to take.
  const auto take = [&](std::unique_lock<std::mutex> &held, bool wait, int64_t &block) {
    for (;;) {
      if (stop || next_block >= blocks)
        return false;
      if (next_block - next_written < slots) {
        block = next_block++;
        return true;
      }
      if (!wait)
        return false;
      changed.wait(held);
    }
  };
  // The gauge moves only from this thread, and only upwards: rows it encodes may lie
  // beyond blocks still to be written.
  int64_t reported = 0;
  const auto report = [&](int64_t rows) {
    if (rows > reported)
      progress.step(reported = rows, height);
  };
  const auto encode_block = [&](int64_t block, decltype(make_scratch()) &scratch, bool here) {
    uint8_t *const from = room.get() + size_t(block % slots) * block_bytes;
    const int64_t first = block * block_rows, last = std::min(height, first + block_rows);
    if (backwards) {
      iovec *const piece = pieces.data() + size_t(block % slots) * size_t(block_rows);
      size_t bytes = 0;
      for (int64_t r = last; r-- > first;) {
        uint8_t *const to = from + size_t(r - first) * most;
        piece[r - first] = {to, size_t(encode(r, scratch, to) - to)};
        bytes += piece[r - first].iov_len;
        if (here)
          report(first + last - r); // as many rows as are done
      }
      return bytes;
    }
    uint8_t *to = from;
    for (int64_t r = first; r < last; ++r) {
      to = encode(r, scratch, to);
      if (here)
        report(r + 1);
    }
    return size_t(to - from);
  };
  const auto finish = [&](int64_t block, size_t bytes) {
    Slot &s = done[block % slots];
    s.block = block, s.bytes = bytes;
    changed.notify_all();
  };

  auto scratch = make_scratch(), helper_scratch = make_scratch();
  const auto helper = [&] {
    std::unique_lock<std::mutex> held(lock);
    int64_t block;
    while (take(held, true, block)) {
      held.unlock();
      const size_t bytes = encode_block(block, helper_scratch, false);
      held.lock();
      finish(block, bytes);
    }
  };
  std::thread worker;
  if (large && blocks > 1 && std::thread::hardware_concurrency() >= 2) {
    try {
      worker = std::thread(helper);
    } catch (const std::system_error &) {
    }
  }

  // This thread writes blocks in order, and encodes whenever the next one to write
  // is not ready yet.
  int64_t written = 0;
  std::unique_lock<std::mutex> held(lock);
  while (next_written < blocks && !stop) {
    Slot &s = done[next_written % slots];
    int64_t block;
    if (s.block == next_written) {
      const size_t bytes = s.bytes;
      const uint8_t *from = room.get() + size_t(next_written % slots) * block_bytes;
      const iovec *rows = pieces.data() + size_t(next_written % slots) * size_t(block_rows);
      const size_t count = size_t(std::min(height - next_written * block_rows, block_rows));
      held.unlock();
      const bool ok = backwards ? out.write_pieces(rows, count) : out.write(from, bytes);
      written += int64_t(bytes);
      report(std::min(height, (next_written + 1) * block_rows));
      held.lock();
      s.block = -1;
      ++next_written;
      stop = !ok;
      changed.notify_all();
    } else if (take(held, false, block)) {
      held.unlock();
      const size_t bytes = encode_block(block, scratch, true);
      held.lock();
      finish(block, bytes);
    } else {
      changed.wait(held);
    }
  }
  held.unlock();
  if (worker.joinable())
    worker.join();
  return stop || out.failed() ? -1 : written;
}

// The row after `row` (rows `stride` bytes apart, up to `end`) in memory, which
// encode_rows has an encoder take next but at a block's end; null after the last.
inline const uint8_t *next_in_memory(const uint8_t *row, int64_t stride, const uint8_t *end)
{
  return end - row > stride ? row + stride : nullptr;
}

} // namespace bk3
