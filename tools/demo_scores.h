// The demo tracks that ship beside the saver: public-domain tunes, arranged
// here in the notation of midi_writer/notation.h.
#pragma once

#include "tools/midi_writer/notation.h"

#include <string>
#include <vector>

namespace demo {

struct Part {
    int channel;
    int program; // General MIDI, counted from 0
    int volume;  // controller 7
    int pan;     // controller 10: 0 left, 64 centre, 127 right
    double gate; // sounding share of each note's length
    std::string notes;
};

struct Piece {
    std::string file;
    std::string title;
    double bpm; // quarter notes a minute
    int meterTop;
    int meterBottom;
    midi::Phrases phrases;
    std::vector<Part> parts;
};

inline const std::vector<Piece>& Pieces() {
    // clang-format off
    static const std::vector<Piece> kPieces = {
        {"ode_to_joy.mid", "Ode to Joy (Beethoven)", 112, 4, 4,
         {{"D", "a3+d4+f#4h"}, {"A", "a3+c#4+e4h"},
          {"a", "f#5q f#5 g5 a5 | a5 g5 f#5 e5 | d5 d5 e5 f#5 | f#5q. e5e e5h"},
          {"a2", "f#5q f#5 g5 a5 | a5 g5 f#5 e5 | d5 d5 e5 f#5 | e5q. d5e d5h"},
          {"b", "e5q e5 f#5 d5 | e5 f#5e g5 f#5q d5 | e5 f#5e g5 f#5q e5 | d5 e5 a4h"},
          {"theme", "$a $a2 $b $a2"},
          {"ha", "$D $D | $D $A | $D $D | $A $A"},
          {"ha2", "$D $D | $D $A | $D $D | $A $D"},
          {"hb", "$A $D | $A $D | $A $D | $D $A"},
          {"la", "d3h d3 | d3 a2 | d3 d3 | a2 a2"},
          {"la2", "d3h d3 | d3 a2 | d3 d3 | a2 d3"},
          {"lb", "a2h d3 | a2 d3 | a2 d3 | d3 a2"},
          {"lq", "d3q a2 d3 f#3 | d3 a2 a2 c#3 | d3 a2 d3 f#3 | a2 e3 a2 c#3"},
          {"lq2", "d3q a2 d3 f#3 | d3 a2 a2 c#3 | d3 a2 d3 f#3 | a2 c#3 d3 a2"},
          {"lqb", "a2q e3 d3 a2 | a2 e3 d3 f#3 | a2 e3 d3 f#3 | d3 f#3 a2 c#3"}},
         {{0, 73, 100, 64, 0.92, "v88 $theme @56 v100 $theme d5w"},
          {1, 48, 80, 40, 1.0, "v62 $ha $ha2 $hb $ha2 v78 $ha $ha2 $hb $ha2 a3+d4+f#4w"},
          {2, 32, 100, 88, 0.85, "v92 $la $la2 $lb $la2 $lq $lq2 $lqb $lq2 d2w"}}},

        {"fur_elise.mid", "Fur Elise (Beethoven)", 63, 3, 8,
         {{"r1", "e5s d#5 e5 b4 d5 c5"},
          {"A", "$r1 | a4e rs c4s e4 a4 | b4e rs e4s g#4 b4 | c5e rs e4s e5 d#5 | $r1 | a4e rs c4s e4 a4 |"
                " b4e rs e4s c5 b4"},
          {"A1", "$A | a4q e5s d#5"},
          {"A2", "$A | a4e rs b4s c5 d5"},
          {"B", "e5e. g4s f5 e5 | d5e. f4s e5 d5 | c5e. e4s d5 c5 | b4e rs e4s e5 e4 | rs e5 e6 rs rs d#5 |"
                " e5s rs rs d#5 e5 d#5"},
          {"Am", "a2s e3 a3 rs re"}, {"E", "e2s e3 g#3 rs re"},
          {"C", "c3s g3 c4 rs re"}, {"G", "g2s g3 b3 rs re"},
          {"LA", "rq. | $Am | $E | $Am | rq. | $Am | $E | $Am"},
          {"LB", "$C | $G | $Am | $E | rq. | rq."},
          {"PB", "c4+e4+g4q. | b3+d4+g4 | a3+c4+e4 | g#3+b3+e4 | rq. | rq."}},
         {{0, 0, 110, 72, 0.95, "v82 e5s d#5 | $A1 $A2 $B $A2 $B $A a4q."},
          {1, 0, 100, 56, 0.95, "v70 re | $LA $LA $LB $LA $LB $LA"},
          {2, 49, 70, 64, 1.0, "v56 re ( rq. )16 $PB ( rq. )8 $PB ( rq. )8"}}},

        {"minuet_in_g.mid", "Minuet in G (Petzold, from Bach's notebook)", 120, 3, 4,
         {{"m1", "d5q g4e a4 b4 c5 | d5q g4 g4 | e5q c5e d5 e5 f#5 | g5q g4 g4 | c5q d5e c5 b4 a4 |"
                 " b4q c5e b4 a4 g4"},
          {"h1", "$m1 | f#4q g4e a4 b4 g4 | a4h. | $m1 | a4q b4e a4 g4 f#4 | g4h."},
          {"h2", "b5q g5e a5 b5 g5 | a5q d5e e5 f#5 d5 | g5q e5e f#5 g5 d5 | c#5q b4e c#5 a4q |"
                 " a4e b4 c#5 d5 e5 f#5 | g5q f#5 e5 | f#5q a4 c#5 | d5h. | d5q g4e f#4 g4q |"
                 " e5q g4e f#4 g4q | d5q c5 b4 | a4e g4 f#4 g4 a4q | d4e e4 f#4 g4 a4 b4 | c5q b4 a4 |"
                 " b4e d5 g4q f#4 | g4h."},
          {"b1", "g3h a3q | b3h. | c4h. | b3h. | a3h. | g3h. | d4q b3 g3 | d4q d3e c4 b3 a3 | b3h a3q |"
                 " g3q b3 g3 | c4h. | b3q c4e b3 a3 g3 | a3h f#3q | g3h b3q | c4q d4 d3 | g3h g2q"},
          {"b2", "g3h. | f#3h. | e3h g3q | a3h a2q | a3h. | b3q d4 c#4 | d4q f#3 a3 | d4q d3 c4 | b3h. |"
                 " c4h. | b3q a3 g3 | d4h. | d3h f#3q | e3q g3 f#3 | g3q b2 d3 | g3q d3 g2"}},
         {{0, 6, 100, 52, 0.85, "v86 $h1 @40 v78 $h1 @6 v86 $h2 @40 v78 $h2"},
          {1, 6, 95, 76, 0.85, "v76 $b1 @42 v72 $b1 @6 v76 $b2 @42 v72 $b2"}}},

        {"greensleeves.mid", "Greensleeves (traditional)", 104, 3, 4,
         {{"v", "c5h d5q | e5q. f5e e5q | d5h b4q | g4q. a4e b4q"},
          {"v1", "$v | c5h a4q | a4q. g#4e a4q | b4h g#4q | e4h a4q"},
          {"v2", "$v | c5q. b4e a4q | g#4q. f#4e g#4q | a4h. | a4h."},
          {"r", "g5h. | g5q. f#5e e5q | d5h b4q | g4q. a4e b4q"},
          {"r1", "$r | c5h a4q | a4q. g#4e a4q | b4h g#4q | e4h."},
          {"r2", "$r | c5q. b4e a4q | g#4q. f#4e g#4q | a4h."},
          {"Am", "a2e e3 a3 c4 e4 c4"}, {"C", "c3e g3 c4 e4 g4 e4"}, {"G", "g2e d3 g3 b3 d4 b3"},
          {"Em", "e2e b2 e3 g3 b3 g3"}, {"E", "e2e b2 e3 g#3 b3 g#3"},
          {"gv1", "$Am $C $G $Em $Am $Am $E $E"}, {"gv2", "$Am $C $G $Em $Am $E $Am $Am"},
          {"gr1", "$C $C $G $Em $Am $Am $E $E"}, {"gr2", "$C $C $G $Em $Am $E $Am"},
          {"roots", "a2h. | c3 | g2 | e2 | a2 | a2 | e2 | e2 | a2 | c3 | g2 | e2 | a2 | e2 | a2 | a2 |"
                    " c3 | c3 | g2 | e2 | a2 | a2 | e2 | e2 | c3 | c3 | g2 | e2 | a2 | e2 | a2 | a2"}},
         {{0, 74, 100, 60, 0.9, "v84 a4q | $v1 $v2 $r1 $r2 a4h @40 v80 a4q | $v1 $v2 $r1 $r2 a4h."},
          {1, 24, 105, 80, 0.95, "v72 rq | $gv1 $gv2 $gr1 $gr2 $Am $gv1 $gv2 $gr1 $gr2 a2+e3+a3+c4+e4h."},
          {2, 42, 85, 44, 0.95, "v64 rq | ( rh. )32 | $roots"}}},
    };
    // clang-format on
    return kPieces;
}

} // namespace demo
