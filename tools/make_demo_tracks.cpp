// Writes the demo tracks into a folder: make_demo_tracks <folder> [--list]
// With --list it also prints each track's length.
#include "tools/demo_scores.h"
#include "tools/midi_writer/midi_writer.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr int kReverbSend = 91;

// The track of one part; returns its length in quarter notes.
double RenderPart(const demo::Piece& piece, const demo::Part& part, midi::Track& track) {
    track.Program(0, part.channel, part.program);
    track.Control(0, part.channel, 7, part.volume);
    track.Control(0, part.channel, 10, part.pan);
    track.Control(0, part.channel, kReverbSend, 48);
    double beat = 0;
    int velocity = 80;
    for (const midi::Step& step : midi::ParseSteps(part.notes, piece.phrases)) {
        const auto tick = static_cast<std::uint32_t>(std::lround(beat * midi::kTicksPerQuarter));
        switch (step.kind) {
        case midi::Step::Kind::Program:
            track.Program(tick, part.channel, step.value);
            break;
        case midi::Step::Kind::Velocity:
            velocity = step.value;
            break;
        case midi::Step::Kind::Sound: {
            const auto length =
                static_cast<std::uint32_t>(std::lround(step.beats * part.gate * midi::kTicksPerQuarter));
            for (int key : step.keys) track.Note(tick, part.channel, key, velocity, length);
            beat += step.beats;
            break;
        }
        }
    }
    return beat;
}

// Writes bytes to path unless the file already holds them.
bool Update(const std::string& path, const midi::Bytes& bytes) {
    std::ifstream in(path, std::ios::binary);
    const midi::Bytes old{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return old == bytes || midi::Write(path, bytes);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: make_demo_tracks <folder> [--list]\n", stderr);
        return 2;
    }
    const std::string folder = argv[1];
    const bool list = argc > 2 && std::string(argv[2]) == "--list";
    try {
        for (const demo::Piece& piece : demo::Pieces()) {
            std::vector<midi::Track> tracks(1);
            tracks[0].Name(0, piece.title);
            tracks[0].Tempo(0, piece.bpm);
            tracks[0].Meter(0, piece.meterTop, piece.meterBottom);
            double beats = 0;
            for (const demo::Part& part : piece.parts)
                beats = std::max(beats, RenderPart(piece, part, tracks.emplace_back()));
            const std::string path = folder + "/" + piece.file;
            if (!Update(path, midi::File(tracks))) {
                std::fprintf(stderr, "make_demo_tracks: cannot write %s\n", path.c_str());
                return 1;
            }
            if (list) std::printf("%-20s %6.1f s\n", piece.file.c_str(), beats * 60 / piece.bpm);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_demo_tracks: %s\n", e.what());
        return 1;
    }
}
