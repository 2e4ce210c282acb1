#include "patterns/table.h"

#include "patterns/patterns.h"

#include <array>

namespace linesaver {
namespace {

void EmptyPattern(Form1&) {}

// Index 0 is unused; 62..70 select routines that draw nothing.
constexpr std::array<PatternRoutine, kPatternSlots + 1> kTable = {
    nullptr,
    Pattern1, Pattern2, Pattern3, Pattern4, Pattern5, Pattern6,
    Pattern7, Pattern8, Pattern9, Pattern10, Pattern11, Pattern12,
    Pattern13, Pattern14, Pattern15, Pattern16, Pattern17, Pattern18,
    Pattern19, Pattern20, Pattern21, Pattern22, Pattern23, Pattern24,
    Pattern25, Pattern26, Pattern27, Pattern28, Pattern29, Pattern30,
    Pattern31, Pattern32, Pattern33, Pattern34, Pattern35, Pattern36,
    Pattern37, Pattern38, Pattern39, Pattern40, Pattern41, Pattern42,
    Pattern43, Pattern44, Pattern45, Pattern46, Pattern47, Pattern48,
    Pattern49, Pattern50, Pattern51, Pattern52, Pattern53, Pattern54,
    Pattern55, Pattern56, Pattern57, Pattern58, Pattern59, Pattern60,
    Pattern61,
    EmptyPattern, EmptyPattern, EmptyPattern, EmptyPattern, EmptyPattern,
    EmptyPattern, EmptyPattern, EmptyPattern, EmptyPattern,
};

} // namespace

PatternRoutine FindPattern(double q) {
    if (!(q >= 1 && q <= kPatternSlots)) return nullptr;
    const auto n = static_cast<int>(q);
    if (n != q) return nullptr;
    return kTable[static_cast<std::size_t>(n)];
}

} // namespace linesaver
