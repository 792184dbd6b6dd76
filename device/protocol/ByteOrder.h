// Byte order and bit copies of the module's protocol: every multi-byte integer
// on the line is little-endian, floats travel as their IEEE-754
// single-precision bits and signed values as their two's-complement bits.
// Header-only and Windows-free, so every binary that speaks the protocol
// includes the same definitions.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace radarproto {

inline uint16_t GetLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

inline uint32_t GetLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

inline void SetLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v & 0xFF);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline void SetLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

inline void PutLe16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// The same bits read as another type of the same size.
template <typename To, typename From>
inline To BitCopy(From from) {
    static_assert(sizeof(To) == sizeof(From), "a bit copy keeps the size");
    To to;
    std::memcpy(&to, &from, sizeof to);
    return to;
}

inline uint32_t FloatBits(float f) { return BitCopy<uint32_t>(f); }
inline float BitsFloat(uint32_t u) { return BitCopy<float>(u); }
// The two's-complement reading of the bits; defined for every pattern.
inline int32_t BitsSigned(uint32_t u) { return BitCopy<int32_t>(u); }
inline uint32_t SignedBits(int32_t v) { return BitCopy<uint32_t>(v); }

}  // namespace radarproto
