// Splits the rows of a whole-picture operation over the machine's cores. Each
// band is written by one thread only, so results are the same as on one thread.
#pragma once

#include <algorithm>
#include <thread>
#include <vector>

// Calls work(firstRow, endRow) for disjoint bands covering 0..rows-1. Small jobs
// (under minRowsPerThread rows a thread) stay on the calling thread.
template <class Work>
void parallelRows(int rows, Work &&work, int minRowsPerThread = 64)
{
    if (rows <= 0)
        return;
    const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    const int threads = std::max(1, std::min(cores, rows / std::max(1, minRowsPerThread)));
    if (threads == 1) {
        work(0, rows);
        return;
    }
    std::vector<std::thread> pool;
    pool.reserve(size_t(threads - 1));
    const int band = (rows + threads - 1) / threads;
    for (int t = 1; t < threads; ++t) {
        const int first = t * band;
        const int end = std::min(rows, first + band);
        if (first < end)
            pool.emplace_back([&work, first, end] { work(first, end); });
    }
    work(0, std::min(rows, band));
    for (auto &thread : pool)
        thread.join();
}
