// Helpers for the file, player and platform tests: a real temporary drive
// and music folder, environment settings that last one test, and a short
// MIDI file.
#pragma once

#include "tools/midi_writer/midi_writer.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace linesaver::testing {

inline void Write(const std::filesystem::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}
inline std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A temporary folder, removed afterwards, with c as the drive "c:\" and
// app/music as the program's music folder.
struct TempDrive {
    TempDrive() {
        char tmpl[] = "/tmp/linesaver-test-XXXXXX";
        if (!::mkdtemp(tmpl)) throw std::runtime_error("no temporary folder");
        root = std::filesystem::canonical(tmpl);
        std::filesystem::create_directories(Drive());
        std::filesystem::create_directories(Music());
    }
    ~TempDrive() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    std::filesystem::path Drive() const { return root / "c"; }
    std::filesystem::path App() const { return root / "app"; }
    std::filesystem::path Music() const { return root / "app" / "music"; }
    std::filesystem::path root;
};

// Sets an environment variable for one test and restores it afterwards.
struct ScopedEnv {
    ScopedEnv(const char* variable, const std::string& value) : name(variable) {
        if (const char* was = std::getenv(name)) old = was;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() { old ? ::setenv(name, old->c_str(), 1) : ::unsetenv(name); }
    const char* name;
    std::optional<std::string> old;
};

// A C major chord on the piano, one second long, as a Standard MIDI File.
inline std::string OneSecondMidi() {
    std::vector<midi::Track> tracks(2);
    tracks[0].Tempo(0, 120);
    tracks[1].Program(0, 0, 0);
    for (int key : {60, 64, 67}) tracks[1].Note(0, 0, key, 110, 2 * midi::kTicksPerQuarter);
    const midi::Bytes bytes = midi::File(tracks);
    return {bytes.begin(), bytes.end()};
}

} // namespace linesaver::testing
