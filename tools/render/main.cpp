// linesaver-render: runs the saver's engine and patterns without a display.
//
//   trace    prints every drawing call of K ticks and the state after them
//   pattern  writes one run of a pattern as the screen would show it (PNG)
//   gallery  writes a contact sheet of every pattern (PNG)
//   frame    writes the screen after K ticks from start-up, as the saver
//            would show it with LINESAVER_SEED set (PNG)
//   soak     runs many ticks, checking the state and the drawing after each
//
// Exit status 0 on success, 2 on a bad argument or a file that cannot be
// written, 1 when a soak finds a fault; the reason is one line on stderr.
#include "patterns/table.h"
#include "tools/render/headless_render.h"
#include "tools/render/headless_soak.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using linesaver::RunSetup;

constexpr int kFailure = 2;
constexpr long kMostTicks = 1000000000;

int Fail(const std::string& message) {
    std::string line = message;
    for (char& c : line)
        if (c == '\n') c = ' ';
    std::fprintf(stderr, "linesaver-render: %s\n", line.c_str());
    return kFailure;
}

void AddSeed(CLI::App& cmd, RunSetup& setup) {
    cmd.add_option("--seed", setup.seed, "seed of the clock the generator is seeded from")
        ->check(CLI::Validator(
            [](const std::string& value) {
                return value.empty() || value.front() == '-' ? std::string("must not be negative") : std::string();
            },
            "UINT"));
}

// Options the trace and the pattern picture share.
void AddScreenAndSeed(CLI::App& cmd, std::vector<int>& screen, RunSetup& setup) {
    cmd.add_option("--screen", screen, "screen width and height in pixels (15 twips each)")
        ->expected(2)
        ->check(CLI::Range(1, 16384));
    AddSeed(cmd, setup);
}

template <typename T, std::size_t N>
void Take(const CLI::Option* option, const std::vector<T>& values, std::optional<std::array<T, N>>& into) {
    if (option->count() == 0) return;
    std::array<T, N> a{};
    for (std::size_t i = 0; i < N; ++i) a[i] = values[i];
    into = a;
}

template <typename T>
void Take(const CLI::Option* option, T value, std::optional<T>& into) {
    if (option->count() != 0) into = value;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Runs the saver's animation without a display.", "linesaver-render"};
    app.require_subcommand(1);

    RunSetup setup;
    std::vector<int> screen{setup.width, setup.height};
    long ticks = 1;
    int pattern = 1;
    double phase = 0, runStart = 0;
    int mode = 0;
    // Numbers past the last pattern select nothing: the tick only yields.
    // A few of them are accepted, to see that.
    const int highestNumber = linesaver::PatternCount() + 9;
    std::vector<double> anchor, velocity;
    std::vector<int> colour, directions;
    std::string out;

    CLI::App* trace = app.add_subcommand("trace", "print every drawing call of some ticks, then the state");
    AddScreenAndSeed(*trace, screen, setup);
    trace->add_option("--ticks", ticks, "how many ticks to run")->check(CLI::Range(0L, kMostTicks));
    const auto* patternOpt = trace->add_option("--pattern", pattern, "the current pattern, already running")
                                 ->check(CLI::Range(1, highestNumber));
    const auto* phaseOpt = trace->add_option("--phase", phase, "the phase, radians, also the run's start");
    const auto* runStartOpt = trace->add_option("--run-start", runStart, "the phase at the start of the run");
    const auto* anchorOpt = trace->add_option("--anchor", anchor, "anchor x y, twips")->expected(2);
    const auto* velocityOpt = trace->add_option("--velocity", velocity, "anchor velocity, twips per tick")->expected(2);
    const auto* modeOpt =
        trace->add_option("--mode", mode, "motion mode: 0 screen edges, 1 middle band")->check(CLI::IsMember({0, 1}));
    const auto* colourOpt =
        trace->add_option("--colour", colour, "red green blue levels")->expected(3)->check(CLI::Range(0, 255));
    const auto* directionsOpt = trace->add_option("--directions", directions, "red green blue directions, 1 or -1")
                                    ->expected(3)
                                    ->check(CLI::IsMember({-1, 1}));

    CLI::App* image = app.add_subcommand("pattern", "write one run of a pattern as PNG");
    image->add_option("N", pattern, "pattern number")->required()->check(CLI::Range(1, highestNumber));
    image->add_option("OUT", out, "PNG file to write")->required();
    const auto* imageTicks =
        image->add_option("--ticks", ticks, "stop after this many ticks")->check(CLI::Range(1L, kMostTicks));
    AddScreenAndSeed(*image, screen, setup);

    CLI::App* gallery = app.add_subcommand("gallery", "write a contact sheet of every pattern as PNG");
    gallery->add_option("OUT", out, "PNG file to write")->required();
    AddSeed(*gallery, setup);

    CLI::App* frame = app.add_subcommand("frame", "write the screen after some ticks from start-up as PNG");
    std::string size = "1024x768";
    frame->add_option("OUT", out, "PNG file to write")->required();
    frame->add_option("--ticks", ticks, "how many ticks to run")->check(CLI::Range(0L, kMostTicks));
    frame->add_option("--size", size, "screen width and height in pixels, as WxH")
        ->check(CLI::Validator(
            [](const std::string& value) {
                int width = 0, height = 0;
                char end = 0;
                const bool read = std::sscanf(value.c_str(), "%dx%d%c", &width, &height, &end) == 2 &&
                                  value.find_first_not_of("0123456789x") == std::string::npos;
                return read && width >= 1 && width <= 16384 && height >= 1 && height <= 16384
                           ? std::string()
                           : std::string("must be WxH, each from 1 to 16384");
            },
            "WxH"));
    AddSeed(*frame, setup);

    CLI::App* soak = app.add_subcommand("soak", "run ticks from start-up, checking the state after each");
    long soakTicks = 1000000;
    soak->add_option("--ticks", soakTicks, "how many ticks to run")->check(CLI::Range(1L, kMostTicks));
    AddScreenAndSeed(*soak, screen, setup);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        if (app.get_subcommands().empty() && argc > 1 && argv[1][0] != '-')
            return Fail(std::string("unknown command ") + argv[1] + " (trace, pattern, gallery, frame or soak)");
        return Fail(e.what());
    }
    setup.width = screen[0];
    setup.height = screen[1];

    std::string error;
    if (trace->parsed()) {
        Take(patternOpt, pattern, setup.set.pattern);
        Take(phaseOpt, phase, setup.set.phase);
        Take(runStartOpt, runStart, setup.set.runStart);
        Take(anchorOpt, anchor, setup.set.anchor);
        Take(velocityOpt, velocity, setup.set.velocity);
        if (modeOpt->count() != 0)
            setup.set.mode = mode == 0 ? linesaver::MotionMode::BounceAtEdges : linesaver::MotionMode::BounceInBand;
        Take(colourOpt, colour, setup.set.colour);
        Take(directionsOpt, directions, setup.set.directions);
        linesaver::TraceWriter writer(stdout);
        linesaver::WriteTrace(setup, ticks, writer);
        if (!writer.Flush()) return Fail("cannot write the trace");
        return 0;
    }
    if (image->parsed()) {
        const long limit = imageTicks->count() != 0 ? ticks : linesaver::kRunTickLimit;
        if (!linesaver::RenderPattern(pattern, setup, limit, out, error)) return Fail(error);
        return 0;
    }
    if (frame->parsed()) {
        std::sscanf(size.c_str(), "%dx%d", &setup.width, &setup.height);
        setup.fixedSeed = true;
        if (!linesaver::RenderFrame(setup, ticks, out, error)) return Fail(error);
        return 0;
    }
    if (soak->parsed()) {
        const auto result = linesaver::Soak(setup, soakTicks);
        if (!result.fault.empty()) {
            std::fprintf(stderr, "linesaver-render: soak: tick %ld: %s\n", result.ticks, result.fault.c_str());
            return 1;
        }
        std::printf("soak: %ld ticks, %ld drawing calls, no fault\n", result.ticks, result.draws);
        return 0;
    }
    if (!linesaver::RenderGallery(setup.seed, out, error)) return Fail(error);
    return 0;
}
