// Progress reports to the caller's message sink.
#pragma once

#include "bildkern3.h"

#include <cstdint>

namespace bk3 {

// Reports progress to the caller's sink as per-cent values, only when the value changes.
class Progress {
public:
  explicit Progress(bk3_sink *sink) : sink_(sink) {}
  // `done` of `total` steps are finished, as a part of the span below.
  void step(int64_t done, int64_t total)
  {
    if (!sink_ || !sink_->send || total <= 0)
      return;
    const int part = int(done >= total ? 100 : done * 100 / total);
    const int percent = from_ + (to_ - from_) * part / 100;
    if (percent == last_)
      return;
    last_ = percent;
    sink_->send(sink_->target, BK3_WM_USER, uintptr_t(percent), 0);
  }

  // Later steps move the gauge from `from` to `to` per-cent only: work done in
  // stages (reading a file, then decoding it) moves the gauge once, upwards.
  void span(int from, int to)
  {
    from_ = from;
    to_ = to;
  }

private:
  bk3_sink *sink_;
  int last_ = -1;
  int from_ = 0;
  int to_ = 100;
};

} // namespace bk3
