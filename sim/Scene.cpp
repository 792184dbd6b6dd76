#include "Scene.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace zuvsim {
namespace {

constexpr long long kMaxMs = 86400000;  // one day
constexpr long long kMaxCm = 0xFFFF;

// The office: a desk fan at 3.5 m whose blades the radar takes for motion now
// and then, and a desk at 1.5 m whose sitter's breathing it misses for up to
// 2.4 s at a time. The numbers are documented in docs/simulator.md.
const char kOfficeFan[] = "clutter 350 burst 15000 100 500\n";
const char kOfficeSitter[] = " miss 6000 200 2400\n";

std::string BuiltinText(const std::string& name) {
    const std::string fan = kOfficeFan;
    if (name == "office-empty") return "length 60000\n" + fan;
    if (name == "office-occupied") return "length 60000\n" + fan + "still 150" + kOfficeSitter;
    if (name == "office")  // empty 20 s, walks in, sits 80 s, walks out, empty 13 s
        return "length 120000\n" + fan +
               "walk 500 150 from 20000 until 24000\n"
               "still 150 from 24000 until 104000" +
               kOfficeSitter + "walk 150 500 from 104000 until 107000\n";
    return "";
}

bool Number(const std::string& token, long long min, long long max, long long& out) {
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(token.c_str(), &end, 10);
    if (token.empty() || errno != 0 || *end != '\0' || v < min || v > max) return false;
    out = v;
    return true;
}

const char* Usage(TargetKind kind) {
    switch (kind) {
    case TargetKind::Still:
        return "expected \"still DISTANCE_CM [from MS] [until MS] [miss EVERY_MS SHORTEST_MS LONGEST_MS]\"";
    case TargetKind::Walking: return "expected \"walk FROM_CM TO_CM [from MS] until MS\"";
    case TargetKind::Clutter: break;
    }
    return "expected \"clutter DISTANCE_CM [from MS] [until MS] [burst EVERY_MS SHORTEST_MS LONGEST_MS]\"";
}

// One target line (words[0] is its kind); an empty result or the problem.
std::string ParseTarget(const std::vector<std::string>& words, Target& t) {
    const std::string& kind = words[0];
    t.kind = kind == "still" ? TargetKind::Still : kind == "walk" ? TargetKind::Walking : TargetKind::Clutter;
    long long v = 0, shortest = 0;
    auto number = [&](size_t at, long long min, long long max) {
        if (Number(words[at], min, max, v)) return std::string();
        return "\"" + words[at] + "\" is not a number from " + std::to_string(min) + " to " + std::to_string(max);
    };
    const size_t distances = t.kind == TargetKind::Walking ? 2 : 1;
    if (words.size() < 1 + distances) return Usage(t.kind);
    for (size_t i = 1; i <= distances; ++i) {
        if (std::string e = number(i, 0, kMaxCm); !e.empty()) return e;
        (i == 1 ? t.distance : t.toDistance) = static_cast<uint16_t>(v);
    }
    bool untilGiven = false;
    const char* stretch = t.kind == TargetKind::Still ? "miss" : t.kind == TargetKind::Clutter ? "burst" : nullptr;
    for (size_t at = 1 + distances; at < words.size();) {
        const std::string& key = words[at];
        if ((key == "from" || key == "until") && at + 1 < words.size()) {
            if (std::string e = number(at + 1, 0, kMaxMs); !e.empty()) return e;
            (key == "from" ? t.fromMs : t.untilMs) = static_cast<uint64_t>(v);
            untilGiven |= key == "until";
            at += 2;
        } else if (stretch && key == stretch && at + 3 < words.size()) {
            if (std::string e = number(at + 1, 1, kMaxMs); !e.empty()) return e;
            t.everyMs = static_cast<uint32_t>(v);
            if (std::string e = number(at + 2, 1, kMaxMs); !e.empty()) return e;
            shortest = v;
            if (std::string e = number(at + 3, shortest, kMaxMs); !e.empty()) return e;
            t.shortestMs = static_cast<uint32_t>(shortest);
            t.longestMs = static_cast<uint32_t>(v);
            at += 4;
        } else {
            return Usage(t.kind);
        }
    }
    if (t.kind == TargetKind::Walking && !untilGiven) return Usage(t.kind);
    if (t.fromMs >= t.untilMs) return "from must come before until";
    return "";
}

}  // namespace

bool Scene::Builtin(const std::string& name, Scene& out) {
    std::string error;
    const std::string text = BuiltinText(name);
    return !text.empty() && Parse(text, out, error);
}

bool Scene::Parse(const std::string& text, Scene& out, std::string& error) {
    Scene s;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    auto fail = [&](int at, const std::string& what) {
        error = "line " + std::to_string(at) + ": " + what;
        return false;
    };
    while (std::getline(in, line)) {
        ++number;
        const size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        std::istringstream fields(line);
        std::vector<std::string> words;
        for (std::string w; fields >> w;) words.push_back(w);
        if (words.empty()) continue;
        if (words[0] == "length") {
            long long v = 0;
            if (words.size() != 2 || !Number(words[1], 1, kMaxMs, v))
                return fail(number, "expected \"length MS\" (1 to " + std::to_string(kMaxMs) + ")");
            s.m_lengthMs = static_cast<uint64_t>(v);
        } else if (words[0] == "still" || words[0] == "walk" || words[0] == "clutter") {
            Target t;
            t.line = number;
            const std::string problem = ParseTarget(words, t);
            if (!problem.empty()) return fail(number, problem);
            s.m_targets.push_back(t);
        } else {
            return fail(number, "unknown word \"" + words[0] + "\" (length, still, walk or clutter)");
        }
    }
    if (s.m_targets.empty()) {
        error = "the scene has no targets";
        return false;
    }
    for (const Target& t : s.m_targets)
        if (s.m_lengthMs != 0 &&
            (t.fromMs >= s.m_lengthMs || (t.untilMs != Target::kForever && t.untilMs > s.m_lengthMs)))
            return fail(t.line, "from and until must lie within the length (" + std::to_string(s.m_lengthMs) + " ms)");
    out = s;
    return true;
}

ScenePlayer::ScenePlayer(const Scene& scene, uint64_t seed, uint32_t periodMs)
    : m_scene(scene),
      m_periodMs(periodMs),
      m_rng((seed + 0x5CE4E) * 0x9E3779B97F4A7C15ull | 1),
      m_stretchLeft(scene.Targets().size(), 0) {}

uint64_t ScenePlayer::Random() {
    m_rng ^= m_rng << 13;
    m_rng ^= m_rng >> 7;
    m_rng ^= m_rng << 17;
    return m_rng * 0x2545F4914F6CDD1Dull;
}

bool ScenePlayer::Stretch(size_t i) {
    const Target& t = m_scene.Targets()[i];
    const uint64_t begins = Random(), length = Random();  // both drawn every period
    // Periods left of the stretch; a stretch that just ended leaves one
    // period before the next may begin, so two never join into a longer one.
    uint64_t& left = m_stretchLeft[i];
    if (left == 1) {
        left = 0;
        return false;
    }
    if (left == 0 && t.everyMs != 0 && begins % t.everyMs < m_periodMs) {
        const uint64_t ms = t.shortestMs + length % (t.longestMs - t.shortestMs + 1ull);
        left = 1 + std::max<uint64_t>(1, (ms + m_periodMs - 1) / m_periodMs);
    }
    if (left == 0) return false;
    --left;
    return true;
}

const std::vector<Echo>& ScenePlayer::Next() {
    const uint64_t now = m_scene.TimeAt(m_index * m_periodMs);
    ++m_index;
    m_echoes.clear();
    m_occupied = false;
    for (size_t i = 0; i < m_scene.Targets().size(); ++i) {
        const Target& t = m_scene.Targets()[i];
        const bool stretch = Stretch(i);
        if (now < t.fromMs || now >= t.untilMs) continue;
        switch (t.kind) {
        case TargetKind::Still:
            m_occupied = true;
            if (!stretch) m_echoes.push_back(Echo{false, t.distance});
            break;
        case TargetKind::Walking: {
            m_occupied = true;
            const int64_t span = static_cast<int64_t>(t.untilMs - t.fromMs);
            const int64_t walked = static_cast<int64_t>(now - t.fromMs);
            const int64_t d = t.distance + (static_cast<int64_t>(t.toDistance) - t.distance) * walked / span;
            m_echoes.push_back(Echo{true, static_cast<uint16_t>(d)});
            break;
        }
        case TargetKind::Clutter:
            if (stretch) m_echoes.push_back(Echo{true, t.distance});
            break;
        }
    }
    return m_echoes;
}

}  // namespace zuvsim
