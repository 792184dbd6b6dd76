#include "DistanceHistory.h"

namespace radar {

int32_t DistanceHistory::CountFor(int32_t spanMs, int32_t periodMs) {
    const int32_t count = periodMs > 0 ? spanMs / periodMs : 1;
    return count < 1 ? 1 : count;
}

void DistanceHistory::Renew(int32_t count) {
    if (count < 1) count = 1;
    m_values.assign(2 * static_cast<size_t>(count), 0);
    m_count = count;
    m_next = 0;
}

void DistanceHistory::Push(int32_t distance) {
    if (m_count <= 0) return;
    m_values[static_cast<size_t>(m_next)] = distance;
    m_values[static_cast<size_t>(m_next + m_count)] = distance;
    m_next = m_next + 1 == m_count ? 0 : m_next + 1;
}

}  // namespace radar
