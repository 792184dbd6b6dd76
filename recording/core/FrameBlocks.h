// Sixteen report frames back to back fill 112 bytes, seven 16-byte vectors,
// and every frame's header, state and trailer bytes fall at the same places
// in each such block. Testing a block vector by vector against a mask tests
// sixteen frames in seven steps: the scanner's fast paths. The vectors are the compiler's (GCC and Clang, SSE2 on x86-64).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "RadarProtocol.h"

namespace recording::blocks {

constexpr size_t kFrames = 16;
constexpr size_t kBytes = kFrames * radarproto::kReportSize;
constexpr size_t kLanes = 16;
constexpr size_t kVectors = kBytes / kLanes;

typedef uint8_t Vector __attribute__((vector_size(kLanes)));

struct Pattern {
    uint8_t mask[kBytes] = {};
    uint8_t value[kBytes] = {};
};

// The bytes at the given offsets of every frame, each expected to be its byte.
template <size_t N>
constexpr Pattern MakePattern(const size_t (&offsets)[N], const uint8_t (&bytes)[N]) {
    Pattern p;
    for (size_t b = 0; b < kBytes; ++b) {
        for (size_t i = 0; i < N; ++i) {
            if (b % radarproto::kReportSize != offsets[i]) continue;
            p.mask[b] = 0xFF;
            p.value[b] = bytes[i];
        }
    }
    return p;
}

// Header and trailer of all sixteen frames.
constexpr Pattern kFrameMarks = MakePattern<4>(
    {0, 1, radarproto::kReportTrailerOffset, radarproto::kReportTrailerOffset + 1},
    {radarproto::kReportHeader, radarproto::kReportHeader, radarproto::kReportTrailer, radarproto::kReportTrailer});
// The state byte of all sixteen frames.
constexpr Pattern kStates = MakePattern<1>({radarproto::kReportStateOffset}, {0xFF});

inline Vector Load(const uint8_t* p) {
    Vector v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline bool IsZero(Vector v) {
    uint64_t halves[2];
    std::memcpy(halves, &v, sizeof halves);
    return (halves[0] | halves[1]) == 0;
}

// What the bytes of a block are tested for: the masked bytes of each vector
// must equal the expected ones.
struct Expectation {
    Vector mask[kVectors];
    Vector expected[kVectors];
};

// Header and trailer of all sixteen frames; with a state, also that state.
inline Expectation Expect(bool withState, uint8_t state) {
    Expectation e;
    const Vector wanted = Vector{} + state;
    for (size_t k = 0; k < kVectors; ++k) {
        e.mask[k] = Load(kFrameMarks.mask + kLanes * k);
        e.expected[k] = Load(kFrameMarks.value + kLanes * k);
        if (!withState) continue;
        const Vector states = Load(kStates.mask + kLanes * k);
        e.mask[k] |= states;
        e.expected[k] |= states & wanted;
    }
    return e;
}

// The sixteen frames at p are as e expects.
inline bool Matches(const uint8_t* p, const Expectation& e) {
    Vector differ = {};
    for (size_t k = 0; k < kVectors; ++k) differ |= (Load(p + kLanes * k) & e.mask[k]) ^ e.expected[k];
    return IsZero(differ);
}

}  // namespace recording::blocks
