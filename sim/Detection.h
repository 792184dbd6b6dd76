// The simulated module's own processing in scene mode: what its front end
// picked up in one report period, gated and held by the parameters it holds
// now, becomes the report it sends. docs/simulator.md describes the model.
#pragma once

#include <cstdint>
#include <vector>

#include "RadarProtocol.h"

namespace zuvsim {

// One target the front end picked up in a report period: as motion or as
// micro-motion (a still person breathing), at its true distance in cm.
struct Echo {
    bool moving = false;
    uint16_t distance = 0;
};

class Detector {
public:
    // The report for one period's echoes under the parameters held now:
    // an echo counts only inside its kind's range (moving: motion range,
    // still: micro-motion range); presence is held nOffTime report periods
    // after the last counted echo; the distance is the nearest counted echo
    // (or the one held) plus the distance calibration, clamped to 0..65535.
    radarproto::Report Next(const std::vector<Echo>& echoes, const radarproto::ModuleParameters& p);

private:
    int64_t m_periodsSinceSeen = -1;  // -1: nobody
    uint16_t m_heldDistance = 0;
};

// Presence faults of a run measured against the scene's truth (a person in
// the room or not), report by report. The run starts as "nobody".
struct FaultCount {
    uint64_t reports = 0;
    uint64_t falsePresence = 0;    // nobody -> present while the room is empty
    uint64_t falseDepartures = 0;  // present -> nobody while someone is in it
    uint64_t presentReports = 0;

    void Add(uint8_t state, bool occupied);

private:
    bool m_present = false;
};

}  // namespace zuvsim
