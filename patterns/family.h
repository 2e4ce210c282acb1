// A family of patterns: one routine drawing the figure of each row of a
// table, every row carrying its pattern number. A family file declares
// its rows once and makes its family with FamilyOf; patterns/table.cpp
// lists the families.
#pragma once

#include "engine/saver_state.h"

#include <cstddef>
#include <iterator>

namespace linesaver {

struct PatternFamily {
    std::size_t rows;
    int (*number)(std::size_t row);               // the pattern number of a row
    void (*step)(SaverState& s, std::size_t row); // one tick of that row's pattern
};

// The family of Rows (each with a member `number`) drawn by
// Draw(SaverState&, const Row&).
template <const auto& Rows, auto Draw>
constexpr PatternFamily FamilyOf() {
    return {std::size(Rows), [](std::size_t row) { return Rows[row].number; },
            [](SaverState& s, std::size_t row) { Draw(s, Rows[row]); }};
}

// The families, each defined in the file of its figures.
extern const PatternFamily kSimpleFigures;
extern const PatternFamily kPolygons;
extern const PatternFamily kLopsidedSegment;
extern const PatternFamily kParallelBars;
extern const PatternFamily kCrosses;
extern const PatternFamily kStars;
extern const PatternFamily kMirroredBars;
extern const PatternFamily kOrbitFigures;
extern const PatternFamily kSpokeFans;

} // namespace linesaver
