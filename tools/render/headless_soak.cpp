#include "tools/render/headless_soak.h"

#include "patterns/table.h"

#include <cmath>
#include <cstdio>

namespace linesaver {
namespace {

// Checks every drawing call and remembers the first bad one.
class CheckingSink final : public DrawingSink {
public:
    void Cls() override { ++draws; }
    void Line(float x1, float y1, float x2, float y2, Colour c) override {
        ++draws;
        if (!Finite({x1, y1, x2, y2}) || !ValidColour(c)) Note("line", x1, y1, x2, y2);
    }
    void Circle(float x, float y, float r, Colour c) override {
        ++draws;
        if (!Finite({x, y, r}) || r < 0 || !ValidColour(c)) Note("circle", x, y, r, 0);
    }

    long draws = 0;
    std::string fault;

private:
    static bool Finite(std::initializer_list<float> values) {
        for (float v : values)
            if (!std::isfinite(v)) return false;
        return true;
    }
    static bool ValidColour(Colour c) { return c <= 0xFFFFFF; }
    void Note(const char* what, float a, float b, float c, float d) {
        if (!fault.empty()) return;
        char text[160];
        std::snprintf(text, sizeof text, "%s %g %g %g %g", what, a, b, c, d);
        fault = text;
    }
};

bool Whole(double v) { return std::isfinite(v) && v == std::floor(v); }
bool OneOf(double v, double a, double b) { return v == a || v == b; }

std::string Describe(const char* name, double value) {
    char text[96];
    std::snprintf(text, sizeof text, "%s = %.17g", name, value);
    return text;
}

} // namespace

std::string StateFault(const Form1& f) {
    static const char* const kLevel[] = {"", "col(1,1)", "col(2,1)", "col(3,1)"};
    static const char* const kDirection[] = {"", "col(1,2)", "col(2,2)", "col(3,2)"};
    for (int i = 1; i <= 3; ++i) {
        const double level = f.col[i][1];
        if (!Whole(level) || level < 0 || level > 255) return Describe(kLevel[i], level);
        if (!OneOf(f.col[i][2], 1, -1)) return Describe(kDirection[i], f.col[i][2]);
    }
    if (!Whole(f.q) || f.q < 1 || f.q > kPatterns) return Describe("q", f.q);
    if (!OneOf(f.q0, 0, 1)) return Describe("q0", f.q0);
    if (!OneOf(f.q1, 0, 1)) return Describe("q1", f.q1);
    if (!OneOf(f.a4, 0, 1)) return Describe("a4", f.a4);
    // A run starts below one full turn and lasts at most c1 * 15360 / 30000
    // radians of phase, plus the step that ends it.
    const double longestSpan = f.c1 * 15360 / 30000;
    if (!std::isfinite(f.a1) || f.a1 < 0 || f.a1 >= f.p0 + longestSpan + f.a0) return Describe("a1", f.a1);
    for (const auto& [name, v] : {std::pair{"px(1)", f.px[1]}, {"py(1)", f.py[1]}, {"px(2)", f.px[2]},
                                  {"py(2)", f.py[2]}})
        if (!std::isfinite(v)) return Describe(name, v);
    return {};
}

SoakResult Soak(const RunSetup& setup, long ticks) {
    CheckingSink sink;
    HeadlessSaver run(setup, sink);
    SoakResult result;
    while (result.ticks < ticks) {
        run.Tick();
        ++result.ticks;
        result.fault = sink.fault.empty() ? StateFault(run.form()) : sink.fault;
        if (!result.fault.empty()) break;
    }
    result.draws = sink.draws;
    return result;
}

} // namespace linesaver
