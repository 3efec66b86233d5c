// Progress reports to the caller's message sink.
#pragma once

#include "bildkern3.h"

#include <cstdint>

namespace bk3 {

// Reports progress to the caller's sink as per-cent values, only when the value changes.
class Progress {
public:
  explicit Progress(bk3_sink *sink) : sink_(sink) {}
  // `done` of `total` steps are finished.
  void step(int64_t done, int64_t total)
  {
    if (!sink_ || !sink_->send || total <= 0)
      return;
    const int percent = int(done >= total ? 100 : done * 100 / total);
    if (percent == last_)
      return;
    last_ = percent;
    sink_->send(sink_->target, BK3_WM_USER, uintptr_t(percent), 0);
  }

private:
  bk3_sink *sink_;
  int last_ = -1;
};

} // namespace bk3
