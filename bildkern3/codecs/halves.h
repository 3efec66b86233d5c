// Large pictures in two halves at once: the caller's thread does the upper half,
// a second thread the lower one, on machines with two cores or more.
#pragma once

#include "fileio.h"
#include "progress.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

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
// `out`. For a large picture the lower half is encoded into memory at the same
// time on another thread, and written after the upper half; `make_scratch` gives
// each thread its own working rows.
template <class MakeScratch, class Encode>
bool encode_rows(int64_t height, size_t most, bool large, MakeScratch make_scratch, Encode encode, Writer &out,
                 Progress &progress)
{
  auto scratch = make_scratch();
  std::vector<uint8_t> packed(most);
  const int64_t half = large && height >= 2 ? height / 2 : height;
  std::unique_ptr<uint8_t[], FileData::Free> lower;
  if (half < height) {
    lower.reset(static_cast<uint8_t *>(std::malloc(size_t(height - half) * most)));
    if (lower)
      prefer_huge_pages(lower.get(), size_t(height - half) * most);
  }
  size_t lower_bytes = 0;
  int64_t upper_rows = lower ? half : height;
  const auto do_upper = [&] {
    for (int64_t r = 0; r < upper_rows && !out.failed(); ++r) {
      const uint8_t *end = encode(r, scratch, packed.data());
      out.write(packed.data(), size_t(end - packed.data()));
      progress.step(r + 1, upper_rows);
    }
  };
  if (lower) {
    auto lower_scratch = make_scratch();
    const auto do_lower = [&] {
      uint8_t *to = lower.get();
      for (int64_t r = half; r < height; ++r)
        to = encode(r, lower_scratch, to);
      lower_bytes = size_t(to - lower.get());
    };
    if (run_in_halves(do_upper, do_lower))
      return out.write(lower.get(), lower_bytes);
    upper_rows = height;
  }
  do_upper();
  return !out.failed();
}

} // namespace bk3
