// The demo scores and what the notation refuses. (What the MIDI writer and
// the notation make of the scores, the recorded digests of the demo tracks
// pin byte for byte.)
#include "tools/demo_scores.h"
#include "tools/midi_writer/notation.h"

#include <gtest/gtest.h>
#include <set>

namespace midi {
namespace {

TEST(Notation, RefusesWhatItCannotReadAndCountsTriplets) {
    for (const char* text : {"h4", "c", "c4x", "c4q,", "( c4", "c4 )2", "$missing", "#4"})
        EXPECT_THROW(ParseSteps(text), std::invalid_argument) << text;
    // Triplets, which no demo score has yet.
    EXPECT_DOUBLE_EQ(TotalBeats(ParseSteps("c4e d4 r g5qt")), 1.5 + 2.0 / 3);
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
