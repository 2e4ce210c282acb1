// What the notation refuses. (What the MIDI writer and the notation make of
// the demo scores, the recorded digests of the demo tracks pin byte for
// byte: every part of a piece as long as the others, five minutes in all.)
#include "tools/midi_writer/notation.h"

#include <gtest/gtest.h>

namespace midi {
namespace {

TEST(Notation, RefusesWhatItCannotReadAndCountsTriplets) {
    for (const char* text : {"h4", "c", "c4x", "c4q,", "( c4", "c4 )2", "$missing", "#4"})
        EXPECT_THROW(ParseSteps(text), std::invalid_argument) << text;
    // Triplets, which no demo score has yet.
    EXPECT_DOUBLE_EQ(TotalBeats(ParseSteps("c4e d4 r g5qt")), 1.5 + 2.0 / 3);
}

} // namespace
} // namespace midi
