#include "patterns/table.h"

#include "patterns/family.h"

#include <array>
#include <vector>

namespace linesaver {
namespace {

constexpr std::array kFamilies = {
    &kSimpleFigures, &kPolygons,     &kLopsidedSegment, &kParallelBars, &kCrosses,
    &kStars,         &kMirroredBars, &kOrbitFigures,    &kSpokeFans,
};

struct Entry {
    const PatternFamily* family = nullptr;
    std::size_t row = 0;
};

// Entry n - 1 is pattern n, made once from the families' rows. A number
// left out would leave a hole and one given twice would keep its last row:
// the tests check that 1..PatternCount() each come once.
const std::vector<Entry>& ByNumber() {
    static const std::vector<Entry> kTable = [] {
        std::vector<Entry> entries;
        for (const PatternFamily* family : kFamilies) {
            for (std::size_t row = 0; row < family->rows; ++row) {
                const int number = family->number(row);
                if (number < 1) continue;
                if (entries.size() < static_cast<std::size_t>(number)) entries.resize(static_cast<std::size_t>(number));
                entries[static_cast<std::size_t>(number) - 1] = {family, row};
            }
        }
        return entries;
    }();
    return kTable;
}

} // namespace

int PatternCount() { return static_cast<int>(ByNumber().size()); }

bool IsPattern(int number) {
    const auto& table = ByNumber();
    return number >= 1 && number <= static_cast<int>(table.size()) &&
           table[static_cast<std::size_t>(number) - 1].family != nullptr;
}

void DrawPatternStep(SaverState& s, int number) {
    if (!IsPattern(number)) return;
    const Entry& entry = ByNumber()[static_cast<std::size_t>(number) - 1];
    entry.family->step(s, entry.row);
}

} // namespace linesaver
