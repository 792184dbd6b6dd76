// What the fuzz targets share: an invariant check that names its line before
// stopping, and the way a target cuts its input into the pieces it feeds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzzsupport {

// Names the broken invariant's line before stopping.
inline void CheckAt(bool ok, int line) {
    if (ok) return;
    std::fprintf(stderr, "invariant at line %d broken\n", line);
    std::abort();
}

// The size of the next piece (number piece, counted from 0) when left bytes
// remain: cut is the input's first byte, 0 feeds everything at once.
inline size_t PieceSize(unsigned cut, unsigned piece, size_t left) {
    const size_t n = cut == 0 ? left : 1 + (cut * 31u + piece * 17u) % (cut % 64 + 1);
    return n < left ? n : left;
}

// An input whose first byte picks how the rest (the stream) is cut into the
// pieces a target feeds; the input holds at least that byte.
struct CutInput {
    CutInput(const uint8_t* data, size_t size) : cut(data[0]), stream(data + 1), length(size - 1) {}
    // The size of the next piece once fed bytes of the stream have gone.
    size_t NextPiece(size_t fed) { return PieceSize(cut, m_pieces++, length - fed); }

    const unsigned cut;
    const uint8_t* const stream;
    const size_t length;

private:
    unsigned m_pieces = 0;
};

}  // namespace fuzzsupport

#define Check(ok) ::fuzzsupport::CheckAt((ok), __LINE__)
