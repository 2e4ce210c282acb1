#include "tools/render/headless_soak.h"

#include "patterns/table.h"

#include <cmath>
#include <cstdio>

namespace linesaver {
namespace {

// Checks every drawing call and remembers the first bad one.
class CheckingSink final : public DrawingSink {
public:
    void Clear() override { ++draws; }
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

std::string Describe(const char* name, double value) {
    char text[96];
    std::snprintf(text, sizeof text, "%s = %.17g", name, value);
    return text;
}

} // namespace

std::string StateFault(const SaverState& s) {
    static const char* const kChannelName[] = {"red", "green", "blue"};
    for (int channel = 0; channel < kChannels; ++channel) {
        const int level = s.colourLevel[channel];
        const int direction = s.colourDirection[channel];
        if (level < 0 || level > 255) return Describe((std::string(kChannelName[channel]) + " level").c_str(), level);
        if (direction != 1 && direction != -1)
            return Describe((std::string(kChannelName[channel]) + " direction").c_str(), direction);
    }
    if (!IsPattern(s.pattern)) return Describe("pattern", s.pattern);
    if (s.runsDone != 0 && s.runsDone != 1) return Describe("runs done", s.runsDone);
    // A run starts below one full turn and lasts at most runLimit * 15360 /
    // 30000 radians of phase, plus the step that ends it.
    const double longestSpan = s.runLimit * 15360 / 30000;
    if (!std::isfinite(s.phase) || s.phase < 0 || s.phase >= s.fullTurn + longestSpan + s.phaseStep)
        return Describe("phase", s.phase);
    for (const auto& [name, v] : {std::pair{"anchor x", s.anchor.x},
                                  {"anchor y", s.anchor.y},
                                  {"velocity x", s.velocity.x},
                                  {"velocity y", s.velocity.y}})
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
        result.fault = sink.fault.empty() ? StateFault(run.State()) : sink.fault;
        if (!result.fault.empty()) break;
    }
    result.draws = sink.draws;
    return result;
}

} // namespace linesaver
