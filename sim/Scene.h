// A room the simulated module looks into: targets with a true distance and a
// kind, each in the room for a while. Built-in scenes or a scene file
// (docs/simulator.md); ScenePlayer plays one, seeded, period by period.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Detection.h"

namespace zuvsim {

enum class TargetKind : uint8_t {
    Still,    // a person sitting still: micro-motion, missed for random stretches
    Walking,  // a person walking from one distance to another
    Clutter,  // a fan and the like: not a person, seen as motion in random bursts
};

struct Target {
    static constexpr uint64_t kForever = UINT64_MAX;
    TargetKind kind = TargetKind::Still;
    uint16_t distance = 0;        // cm; where a walk starts
    uint16_t toDistance = 0;      // cm; where a walk ends
    uint64_t fromMs = 0;          // in the room from this scene time ...
    uint64_t untilMs = kForever;  // ... up to (not including) this one
    // The random stretches (a still person's misses, clutter's bursts): one
    // begins on average every everyMs (0: never) and lasts shortestMs to
    // longestMs, whole report periods, at least one.
    uint32_t everyMs = 0;
    uint32_t shortestMs = 0;
    uint32_t longestMs = 0;
    int line = 0;  // of the scene text, for messages
};

class Scene {
public:
    // "office-empty", "office-occupied" or "office".
    static bool Builtin(const std::string& name, Scene& out);
    // Scene file text; on failure error names the line.
    static bool Parse(const std::string& text, Scene& out, std::string& error);

    const std::vector<Target>& Targets() const { return m_targets; }
    // 0 when the scene gives none: it then plays once.
    uint64_t LengthMs() const { return m_lengthMs; }
    // Scene time after elapsedMs: starts over after the length when looping.
    uint64_t TimeAt(uint64_t elapsedMs) const { return loop && m_lengthMs ? elapsedMs % m_lengthMs : elapsedMs; }
    bool loop = true;

private:
    std::vector<Target> m_targets;
    uint64_t m_lengthMs = 0;
};

// Plays a scene one report period at a time. The random stretches come from
// the seed and the period's index alone (every target draws the same numbers
// each period, in the room or not), so one seed gives the same echoes
// whatever the module's parameters are.
class ScenePlayer {
public:
    ScenePlayer(const Scene& scene, uint64_t seed, uint32_t periodMs);

    // The echoes of the next period.
    const std::vector<Echo>& Next();
    // Whether a person (not clutter) was in the room in the period last played.
    bool Occupied() const { return m_occupied; }

private:
    bool Stretch(size_t target);  // draws; true while target's stretch runs
    uint64_t Random();

    Scene m_scene;
    uint32_t m_periodMs;
    uint64_t m_rng;
    uint64_t m_index = 0;
    std::vector<uint64_t> m_stretchLeft;  // per target: periods of its stretch left, plus the pause after
    std::vector<Echo> m_echoes;
    bool m_occupied = false;
};

}  // namespace zuvsim
