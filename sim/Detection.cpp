#include "Detection.h"

#include <algorithm>

namespace zuvsim {

namespace {

constexpr uint8_t kNobody = 0, kMoving = 1, kMotionless = 2;

bool Inside(uint16_t distance, int32_t min, int32_t max) { return distance >= min && distance <= max; }

}  // namespace

radarproto::Report Detector::Next(const std::vector<Echo>& echoes, const radarproto::ModuleParameters& p) {
    bool seen = false, moving = false;
    uint16_t nearest = 0;
    for (const Echo& e : echoes) {
        const bool counted = e.moving ? Inside(e.distance, p.motionRangeMin, p.motionRangeMax)
                                      : Inside(e.distance, p.motionlessRangeMin, p.motionlessRangeMax);
        if (!counted) continue;
        nearest = seen ? std::min(nearest, e.distance) : e.distance;
        seen = true;
        moving |= e.moving;
    }
    radarproto::Report r;
    if (seen) {
        m_periodsSinceSeen = 0;
        m_heldDistance = nearest;
        r.state = moving ? kMoving : kMotionless;
    } else if (m_periodsSinceSeen >= 0 && m_periodsSinceSeen < p.offTime) {
        ++m_periodsSinceSeen;  // held: whatever was seen last now counts as still
        r.state = kMotionless;
    } else {
        m_periodsSinceSeen = -1;
        r.state = kNobody;
        return r;  // nobody: distance 0, no calibration
    }
    const int64_t calibrated = static_cast<int64_t>(m_heldDistance) + p.distanceCalibration;
    r.distance = static_cast<uint16_t>(std::clamp<int64_t>(calibrated, 0, 0xFFFF));
    return r;
}

void FaultCount::Add(uint8_t state, bool occupied) {
    const bool present = state == kMoving || state == kMotionless;
    ++reports;
    if (present) ++presentReports;
    if (present && !m_present && !occupied) ++falsePresence;
    if (!present && m_present && occupied) ++falseDepartures;
    m_present = present;
}

}  // namespace zuvsim
