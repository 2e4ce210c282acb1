// Which files the player takes for MIDI files it can play: whole files of
// well-formed chunks and events, and only those FluidSynth's reader loads.
#include "platform/fluidsynth/midi_file_check.h"
#include "tests/support/temp_drive.h"

#include <gtest/gtest.h>
#include <string>

namespace linesaver::testing {
namespace {

using namespace std::string_literals;

std::string BigEndian(std::uint32_t value, int bytes) {
    std::string out;
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) out += static_cast<char>(value >> shift & 0xFF);
    return out;
}
std::string Header(int format, int tracks, int division = 96, int length = 6) {
    return "MThd" + BigEndian(length, 4) + BigEndian(format, 2) + BigEndian(tracks, 2) + BigEndian(division, 2) +
           std::string(length > 6 ? length - 6 : 0, '\0');
}
std::string Chunk(const std::string& id, const std::string& body) { return id + BigEndian(body.size(), 4) + body; }
std::string Track(const std::string& events) { return Chunk("MTrk", events); }

const std::string kNote = "\x00\x90\x3C\x64\x60\x80\x3C\x00"s;
const std::string kEnd = "\x00\xFF\x2F\x00"s;
// One track of events, closed.
std::string OneTrack(const std::string& events) { return Header(0, 1) + Track(events + kEnd); }
std::string Tracks(int count) {
    std::string file = Header(1, count);
    for (int i = 0; i < count; ++i) file += Track(kNote + kEnd);
    return file;
}

TEST(MidiFileCheck, TakesWholeFilesOfWellFormedChunksAndEvents) {
    const struct {
        const char* what;
        std::string file;
        bool playable;
    } cases[] = {
        {"a note in format 0", OneTrack(kNote), true},
        {"two tracks in format 1", Header(1, 2) + Track(kEnd) + Track(kNote + kEnd), true},
        {"format 2", Header(2, 1) + Track(kNote + kEnd), true},
        {"127 tracks", Tracks(127), true},
        {"running status", OneTrack("\x00\x90\x3C\x64\x00\x40\x64\x60\x3C\x00\x00\x40\x00"s), true},
        {"one data byte after a program change and channel pressure", OneTrack("\x00\xC9\x19\x00\xD0\x40"s + kNote),
         true},
        {"system exclusive of the length it claims", OneTrack("\x00\xF0\x05\x7E\x7F\x09\x01\xF7"s + kNote), true},
        {"a meta text of 128 bytes", OneTrack("\x00\xFF\x01\x81\x00"s + std::string(128, 'a') + kNote), true},
        {"a delta time of four bytes", OneTrack("\xFF\xFF\xFF\x7F\x90\x3C\x64"s), true},
        {"a track without its end", Header(0, 1) + Track(kNote), true},
        {"bytes after the end, inside the chunk", Header(0, 1) + Track(kNote + kEnd + "\x01\x02"s), true},
        {"an empty track beside a full one", Header(1, 2) + Track("") + Track(kNote), true},
        {"bytes after the last track", OneTrack(kNote) + "\x00\x00junk"s, true},

        {"nothing", "", false},
        {"no MIDI file", "RIFF\x10\x00\x00\x00WAVE"s, false},
        {"a header cut short", Header(0, 1).substr(0, 10), false},
        {"a header of length 8", Header(0, 1, 96, 8) + Track(kNote + kEnd), false},
        {"format 3", Header(3, 1) + Track(kNote + kEnd), false},
        {"no tracks", Header(1, 0), false},
        {"128 tracks", Tracks(128), false},
        {"a division in SMPTE frames", Header(0, 1, 0xE728) + Track(kNote + kEnd), false},
        {"a division of 0", Header(0, 1, 0) + Track(kNote + kEnd), false},
        {"fewer tracks than announced", Header(1, 2) + Track(kNote + kEnd), false},
        {"a track longer than the file", Header(0, 1) + "MTrk"s + BigEndian(20, 4) + kNote + kEnd, false},
        {"another chunk before the track", Header(0, 1) + Chunk("XFIH", "abc") + Track(kNote + kEnd), false},
        {"garbage after a good header", Header(0, 1) + "\xDE\xAD\xBE\xEF garbage, garbage"s, false},
        {"running status at a track's start", OneTrack("\x00\x3C\x64"s), false},
        {"running status after a meta event", OneTrack("\x00\x90\x3C\x64\x00\xFF\x01\x01\x61\x00\x3C\x00"s), false},
        {"running status after system exclusive", OneTrack("\x00\x90\x3C\x64\x00\xF0\x01\xF7\x00\x3C\x00"s), false},
        {"a data byte with its high bit set", OneTrack("\x00\x90\x3C\xE4"s), false},
        {"an event cut by its chunk's end", Header(0, 1) + Track("\x00\x90\x3C"s), false},
        {"a delta time of five bytes", OneTrack("\x81\x81\x81\x81\x00\x90\x3C\x64"s), false},
        {"system exclusive longer than its chunk", Header(0, 1) + Track("\x00\xF0\x10\x7E"s), false},
        {"an escaped system exclusive (F7)", OneTrack("\x00\xF7\x02\x01\x02"s + kNote), false},
        {"a system message (F1)", OneTrack("\x00\xF1\x02"s + kNote), false},
        {"a real-time message (FE)", OneTrack("\x00\xFE"s + kNote), false},
        {"a meta type with its high bit set", OneTrack("\x00\xFF\x81\x00"s + kNote), false},
        {"a tempo of four bytes", OneTrack("\x00\xFF\x51\x04\x07\xA1\x20\x00"s + kNote), false},
        {"a time signature of three bytes", OneTrack("\x00\xFF\x58\x03\x04\x02\x18"s + kNote), false},
        {"an end of track of one byte", Header(0, 1) + Track(kNote + "\x00\xFF\x2F\x01\x00"s), false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsPlayableMidiFile(c.file), c.playable) << c.what;
}

TEST(MidiFileCheck, RefusesEveryCutOfAGoodFile) {
    const std::string file = OneSecondMidi();
    ASSERT_TRUE(IsPlayableMidiFile(file));
    for (std::size_t length = 0; length < file.size(); ++length)
        EXPECT_FALSE(IsPlayableMidiFile(file.substr(0, length))) << "cut to " << length << " bytes";
}

} // namespace
} // namespace linesaver::testing
