// The demo tracks' tooling: the MIDI writer, the notation, and the scores
// themselves.
#include "tools/demo_scores.h"
#include "tools/midi_writer/midi_writer.h"
#include "tools/midi_writer/notation.h"

#include <gtest/gtest.h>
#include <set>
#include <utility>
#include <sstream>

namespace midi {
namespace {

TEST(MidiWriter, VariableLengthQuantities) {
    const std::pair<std::uint32_t, Bytes> cases[] = {
        {0, {0x00}}, {0x7F, {0x7F}}, {0x80, {0x81, 0x00}}, {0x3FFF, {0xFF, 0x7F}},
        {0x4000, {0x81, 0x80, 0x00}}, {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}},
    };
    for (const auto& [value, bytes] : cases) {
        Bytes out;
        PutVarLen(out, value);
        EXPECT_EQ(out, bytes) << value;
    }
}

TEST(MidiWriter, FileOfSortedEventsEndingEachTrack) {
    Track t;
    t.Note(480, 1, 60, 100, 480); // written first, sounds second
    t.Note(0, 1, 60, 90, 480);    // ends exactly when the next begins
    t.Program(0, 1, 40);
    const Bytes file = File({t});
    const Bytes want = {
        'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 1, 0x01, 0xE0, // format 1, one track, 480 ticks
        'M', 'T', 'r', 'k', 0, 0, 0, 25,
        0x00, 0xC1, 40,             // the program before the first note
        0x00, 0x91, 60, 90,
        0x83, 0x60, 0x81, 60, 0,    // at 480: the old note ends...
        0x00, 0x91, 60, 100,        // ...before the new one begins
        0x83, 0x60, 0x81, 60, 0,
        0x00, 0xFF, 0x2F, 0x00,
    };
    EXPECT_EQ(file, want);
}

TEST(MidiWriter, OneTrackOfSeveralPartsWithRunningStatusAndNoEnd) {
    Track notes;
    Track reset;
    notes.Note(0, 0, 60, 100, 480);
    notes.Note(0, 0, 64, 100, 480);
    reset.SysEx(0, {0x7E, 0x7F, 0x09, 0x01, 0xF7});
    const Bytes file = File({notes, reset}, {.format = 0, .runningStatus = true, .endOfTrack = false});
    const Bytes want = {
        'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0, // format 0, one track
        'M', 'T', 'r', 'k', 0, 0, 0, 23,
        0x00, 0xF0, 5, 0x7E, 0x7F, 0x09, 0x01, 0xF7, // the other part's settings first
        0x00, 0x90, 60, 100,
        0x00, 64, 100,              // the same status: left out
        0x83, 0x60, 0x80, 60, 0,
        0x00, 64, 0,                // and no end-of-track event
    };
    EXPECT_EQ(file, want);
}

// Steps as text: "@40", "v90", "60+64/2" (keys/beats), "r/0.75".
std::string Show(const std::vector<Step>& steps) {
    std::ostringstream out;
    for (const Step& s : steps) {
        if (s.kind != Step::Kind::Sound) {
            out << (s.kind == Step::Kind::Program ? "@" : "v") << s.value << " ";
            continue;
        }
        if (s.keys.empty()) out << "r";
        for (std::size_t i = 0; i < s.keys.size(); ++i) out << (i ? "+" : "") << s.keys[i];
        out << "/" << s.beats << " ";
    }
    return out.str();
}

TEST(Notation, NotesRestsChordsLengthsAndRepeats) {
    const Phrases phrases = {{"up", "c4e d4"}, {"twice", "( $up )2"}};
    const struct {
        const char* text;
        const char* steps;
    } cases[] = {
        {"c4 c#4e bb3q. a0w d#5s", "60/1 61/0.5 58/1.5 21/4 75/0.25 "},
        {"c4+e4+g4h re. g5qt", "60+64+67/2 r/0.75 79/0.666667 "},
        // A length carries over to the steps without one.
        {"@40 v90 | $twice e4h f4", "@40 v90 60/0.5 62/0.5 60/0.5 62/0.5 64/2 65/2 "},
    };
    for (const auto& c : cases) EXPECT_EQ(Show(ParseSteps(c.text, phrases)), c.steps) << c.text;
    EXPECT_DOUBLE_EQ(TotalBeats(ParseSteps("c4e d4 r g5qt", phrases)), 1.5 + 2.0 / 3);
}

TEST(Notation, RefusesWhatItCannotRead) {
    for (const char* text : {"h4", "c", "c4x", "c4q,", "( c4", "c4 )2", "$missing", "#4"})
        EXPECT_THROW(ParseSteps(text), std::invalid_argument) << text;
}

// Every part of a piece lasts as long as the others, and together the
// pieces play for five minutes.
TEST(DemoScores, WholeAlignedAndLongEnough) {
    double seconds = 0;
    std::set<std::string> files;
    for (const demo::Piece& piece : demo::Pieces()) {
        SCOPED_TRACE(piece.file);
        EXPECT_TRUE(files.insert(piece.file).second && piece.file.ends_with(".mid"));
        ASSERT_GE(piece.parts.size(), 2u);
        std::set<int> channels;
        const double beats = TotalBeats(ParseSteps(piece.parts[0].notes, piece.phrases));
        for (const demo::Part& part : piece.parts) {
            EXPECT_TRUE(channels.insert(part.channel).second);
            EXPECT_NE(part.channel, 9) << "channel 10 is percussion";
            EXPECT_DOUBLE_EQ(TotalBeats(ParseSteps(part.notes, piece.phrases)), beats);
            for (const Step& s : ParseSteps(part.notes, piece.phrases))
                for (int key : s.keys) EXPECT_TRUE(key >= 21 && key <= 108) << key;
        }
        seconds += beats * 60 / piece.bpm;
    }
    EXPECT_GE(files.size(), 4u);
    EXPECT_GE(seconds, 300);
}

} // namespace
} // namespace midi
