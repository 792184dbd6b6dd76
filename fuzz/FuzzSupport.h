// What the fuzz targets share: an invariant check that names its line before
// stopping, and the way a target cuts its input into the pieces it feeds.
#pragma once

#include <cstddef>
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

}  // namespace fuzzsupport

#define Check(ok) ::fuzzsupport::CheckAt((ok), __LINE__)
