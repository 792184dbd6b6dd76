#include "Scenario.h"

#include <sstream>

namespace zuvsim {

void Scenario::Add(uint8_t state, uint16_t distance, uint32_t durationMs) {
    if (durationMs == 0) return;
    m_steps.push_back(Step{state, distance, durationMs});
    m_total += durationMs;
}

bool Scenario::Builtin(const std::string& name, uint64_t seed, Scenario& out) {
    Scenario s;
    if (name == "empty") {
        s.Add(0, 0, 1000);
    } else if (name == "stand-still") {
        s.Add(2, 150, 1000);
    } else if (name == "walk-in") {
        // Someone walks from the far end up to 1 m and stays there.
        for (int d = 600; d > 100; d -= 25) s.Add(1, static_cast<uint16_t>(d), 100);
        s.Add(2, 100, 3000);
    } else if (name == "walk-out") {
        for (int d = 100; d < 600; d += 25) s.Add(1, static_cast<uint16_t>(d), 100);
        s.Add(0, 0, 3000);
    } else if (name == "random") {
        // A seeded random walk: ten minutes of 200 ms steps.
        uint64_t x = seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull;
        auto next = [&x]() {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            return x;
        };
        int distance = 300;
        uint8_t state = 1;
        for (int i = 0; i < 3000; ++i) {
            const uint64_t r = next();
            if (r % 16 == 0) state = static_cast<uint8_t>(next() % 3);
            distance += static_cast<int>(next() % 41) - 20;
            if (distance < 30) distance = 30;
            if (distance > 700) distance = 700;
            s.Add(state, state == 0 ? 0 : static_cast<uint16_t>(distance), 200);
        }
    } else {
        return false;
    }
    out = s;
    return true;
}

bool Scenario::Parse(const std::string& text, Scenario& out, std::string& error) {
    Scenario s;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        std::istringstream fields(line);
        long long state, distance, duration;
        std::string extra;
        if (!(fields >> state)) {
            if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
            error = "line " + std::to_string(number) + ": expected \"state distance duration_ms\"";
            return false;
        }
        if (!(fields >> distance >> duration) || (fields >> extra) || state < 0 || state > 255 || distance < 0 ||
            distance > 65535 || duration <= 0 || duration > 86400000) {
            error = "line " + std::to_string(number) +
                    ": expected \"state distance duration_ms\" (0-255, 0-65535, 1-86400000)";
            return false;
        }
        s.Add(static_cast<uint8_t>(state), static_cast<uint16_t>(distance), static_cast<uint32_t>(duration));
    }
    if (s.m_steps.empty()) {
        error = "the script has no steps";
        return false;
    }
    out = s;
    return true;
}

radarproto::Report Scenario::At(uint64_t ms) const {
    radarproto::Report r;
    if (m_steps.empty()) return r;
    if (ms >= m_total) {
        if (!loop) {
            r.state = m_steps.back().state;
            r.distance = m_steps.back().distance;
            return r;
        }
        ms %= m_total;
    }
    for (const Step& step : m_steps) {
        if (ms < step.durationMs) {
            r.state = step.state;
            r.distance = step.distance;
            return r;
        }
        ms -= step.durationMs;
    }
    return r;
}

}  // namespace zuvsim
