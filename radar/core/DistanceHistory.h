// The distances of the last reports, oldest first, as the chart is fed them.
//
// A report adds one distance and drops the oldest without moving the others:
// the values are kept twice over (a mirrored ring), so the window of the
// newest Count() values always lies in one piece at Data().
//
// Windows-free. Not locked: its owner guards it between threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace radar {

class DistanceHistory {
public:
    // How many reports of one period make up span (both in milliseconds); at
    // least 1. periodMs must be above 0.
    static int32_t CountFor(int32_t spanMs, int32_t periodMs);

    // count zeros (at least one).
    void Renew(int32_t count);
    // Adds distance as the newest value; the oldest goes. Nothing before Renew.
    void Push(int32_t distance);

    // Count() values, oldest first; null before Renew.
    const int32_t* Data() const { return m_count > 0 ? m_values.data() + m_next : nullptr; }
    int32_t Count() const { return m_count; }

private:
    std::vector<int32_t> m_values;  // 2 * m_count: value i also at i + m_count
    int32_t m_count = 0;
    int32_t m_next = 0;  // where the next value goes; the oldest value is here
};

}  // namespace radar
