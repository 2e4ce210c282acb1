// What the fuzz targets share: a broken invariant stops the run with a
// message, the way a crash does, so the input is kept and replayed.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace linesaver::fuzz {

inline void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

} // namespace linesaver::fuzz
