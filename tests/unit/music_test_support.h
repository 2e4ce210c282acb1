// Helpers for the file and player tests: a real temporary drive and music
// folder, environment settings that last one test, and a short MIDI file.
#pragma once

#include "tools/midi_writer/midi_writer.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace linesaver::testing {

// A temporary folder with R/c as the drive "c:\" and app/music as the
// program's music folder. Removed afterwards.
class TempDrive {
public:
    TempDrive() {
        char tmpl[] = "/tmp/linesaver-music-XXXXXX";
        if (::mkdtemp(tmpl)) root = tmpl;
        std::filesystem::create_directories(drive());
        std::filesystem::create_directories(music());
    }
    ~TempDrive() {
        std::error_code ignored;
        if (!root.empty()) std::filesystem::remove_all(root, ignored);
    }
    TempDrive(const TempDrive&) = delete;
    TempDrive& operator=(const TempDrive&) = delete;

    std::filesystem::path drive() const { return root / "c"; }
    std::filesystem::path app() const { return root / "app"; }
    std::filesystem::path music() const { return root / "app" / "music"; }

    static void Write(const std::filesystem::path& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }
    static std::string Read(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path root;
};

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) ::setenv(name_, old_->c_str(), 1);
        else ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
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
