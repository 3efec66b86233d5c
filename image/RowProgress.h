// Row loops of the whole-picture operations that move the progress gauge: the
// rows may be shared out over the machine's cores, but every progress report
// comes from the calling thread (the GUI thread), in row order.
#pragma once

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <type_traits>

// Receives a per-cent value 0..100; 0 empties the gauge. May be empty.
using Progress = std::function<void(int32_t percent)>;

inline void reportProgress(const Progress &progress, int32_t percent)
{
    if (progress)
        progress(percent);
}

// The gauge value before row `row` of `rows`: row x 100 div (rows - 1). A picture
// one row high has no second row to divide by; its only row shows 0, as the
// first row of every picture does.
inline int32_t rowPercent(int64_t row, int64_t rows)
{
    return rows > 1 ? int32_t(row * 100 / (rows - 1)) : 0;
}

enum class RowThreads { One, All };

// Rows per band for rows of `bytesPerRow` bytes: about `bytesPerBand` a band, at
// least one row.
inline int32_t bandRowsFor(int64_t bytesPerRow, int64_t bytesPerBand)
{
    return int32_t(std::clamp<int64_t>(bytesPerBand / std::max<int64_t>(1, bytesPerRow), 1, INT32_MAX));
}

// How many threads, the calling one included, work on `rows` rows: one for small
// pictures, which are done before a thread would have started.
inline int32_t rowThreadsFor(int32_t rows, int64_t bytesPerRow, RowThreads threads)
{
    constexpr int64_t kMinParallelBytes = int64_t(1) << 20;
    if (threads == RowThreads::One || int64_t(rows) * bytesPerRow < kMinParallelBytes)
        return 1;
    return int32_t(std::clamp(std::thread::hardware_concurrency(), 1u, 64u));
}

namespace rowbands {

// What the calling thread and its helpers share. Helpers are detached and keep
// this alive themselves: one that starts only after all bands are taken (on a
// busy machine a new thread may wait long for a core) finds nothing to do and
// ends, and the caller never waits for it.
struct Shared {
    std::atomic<int32_t> nextBand{0};
    std::atomic<int32_t> rowsDone{0};
    int32_t rows = 0;
    int32_t bands = 0;
    int32_t bandRows = 0;
    void *work = nullptr; // touched only with a band in hand, so only while the caller waits
    void (*run)(void *work, int32_t first, int32_t end, int32_t slot) = nullptr;

    // Takes the next band and does it; false when none is left.
    bool doNextBand(int32_t slot)
    {
        const int32_t band = nextBand.fetch_add(1, std::memory_order_relaxed);
        if (band >= bands)
            return false;
        const int32_t first = band * bandRows;
        const int32_t end = std::min(rows, first + bandRows);
        run(work, first, end, slot);
        rowsDone.fetch_add(end - first, std::memory_order_release);
        return true;
    }
};

} // namespace rowbands

// Calls work(first, end, slot) on the bands [0, bandRows), [bandRows, 2 bandRows),
// ... covering 0..rows-1, on up to `threads` threads; `slot` (0..threads-1) tells
// the threads apart, the calling thread is 0. Reports rowPercent(k, rows) for
// every k from 0 to rows-1, in order, once k rows are done, from the calling
// thread only. Bands are handed out one at a time, so a core slowed by other
// programs takes fewer of them. `work` must not throw.
template <class Work>
void forRowBands(int32_t rows, int32_t bandRows, int32_t threads, const Progress &progress, Work &&work)
{
    if (rows <= 0)
        return;
    auto shared = std::make_shared<rowbands::Shared>();
    shared->rows = rows;
    shared->bandRows = std::clamp(bandRows, 1, rows);
    shared->bands = (rows + shared->bandRows - 1) / shared->bandRows;
    shared->work = const_cast<void *>(static_cast<const void *>(std::addressof(work)));
    shared->run = [](void *w, int32_t first, int32_t end, int32_t slot) {
        (*static_cast<std::remove_reference_t<Work> *>(w))(first, end, slot);
    };

    const int32_t helpers = std::min(threads, shared->bands) - 1;
    for (int32_t slot = 1; slot <= helpers; ++slot) {
        try {
            std::thread([shared, slot] { while (shared->doNextBand(slot)) {} }).detach();
        } catch (...) {
            break; // no thread to be had: the calling thread does the rest
        }
    }

    int32_t reported = 0; // rows whose value has been reported
    auto catchUp = [&] {
        const int32_t done = std::min(shared->rowsDone.load(std::memory_order_acquire), rows - 1);
        for (; reported <= done; ++reported)
            reportProgress(progress, rowPercent(reported, rows));
    };
    do
        catchUp();
    while (shared->doNextBand(0));
    // Bands still in a helper's hands.
    while (shared->rowsDone.load(std::memory_order_acquire) < rows) {
        catchUp();
        std::this_thread::yield();
    }
    catchUp();
}

// forRowBands with bands of about 64 KiB, fine enough for the gauge and for
// sharing out the work; work(first, end).
template <class Work>
void forRowsWithProgress(int32_t rows, int64_t bytesPerRow, const Progress &progress,
                         RowThreads threads, Work &&work)
{
    forRowBands(rows, bandRowsFor(bytesPerRow, 65536), rowThreadsFor(rows, bytesPerRow, threads), progress,
                [&work](int32_t first, int32_t end, int32_t) { work(first, end); });
}
