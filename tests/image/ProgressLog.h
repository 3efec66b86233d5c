// Progress records for the conversion and filter tests, and the pictures they use.
#pragma once

#include "Pictures.h"
#include "RowProgress.h"

#include <cstdint>
#include <cstring>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

// Every value reported, and whether each came from the thread that made the log.
struct ProgressLog {
    std::vector<int32_t> values;
    bool allOnCallingThread = true;
    std::thread::id caller = std::this_thread::get_id();

    Progress sink()
    {
        return [this](int32_t percent) {
            values.push_back(percent);
            if (std::this_thread::get_id() != caller)
                allOnCallingThread = false;
        };
    }
};

// rowPercent for every row of a loop over `rows` rows, in order.
inline std::vector<int32_t> rowValues(int32_t rows)
{
    std::vector<int32_t> values;
    for (int32_t k = 0; k < rows; ++k)
        values.push_back(rows > 1 ? k * 100 / (rows - 1) : 0);
    return values;
}

inline std::vector<int32_t> concat(std::initializer_list<std::vector<int32_t>> parts)
{
    std::vector<int32_t> all;
    for (const auto &part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}
