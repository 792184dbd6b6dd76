// What the simulated module sees over time: a list of steps, each a target
// state and distance held for a while. Built-in scenarios, a seeded random
// walk, or a script with lines "state distance duration_ms" (# comments).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "RadarProtocol.h"

namespace zuvsim {

struct Step {
    uint8_t state = 0;
    uint16_t distance = 0;
    uint32_t durationMs = 0;
};

class Scenario {
public:
    // "empty", "walk-in", "stand-still", "walk-out" or "random" (seeded).
    static bool Builtin(const std::string& name, uint64_t seed, Scenario& out);
    // Script text; on failure error names the line.
    static bool Parse(const std::string& text, Scenario& out, std::string& error);

    // The report at a time since the scenario began. Past the end it starts
    // over when looping, else the last step holds.
    radarproto::Report At(uint64_t ms) const;
    uint64_t TotalMs() const { return m_total; }
    const std::vector<Step>& Steps() const { return m_steps; }
    bool loop = true;

private:
    void Add(uint8_t state, uint16_t distance, uint32_t durationMs);
    std::vector<Step> m_steps;
    uint64_t m_total = 0;
};

}  // namespace zuvsim
