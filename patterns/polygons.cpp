// Patterns 7-10 and 12-16: pulsing, turning and orbiting triangles and squares.
// Not drawn yet: these numbers draw nothing until the family is built.
#include "patterns/patterns.h"

namespace linesaver {

void Pattern7(Form1&) {}
void Pattern8(Form1&) {}
void Pattern9(Form1&) {}
void Pattern10(Form1&) {}
void Pattern12(Form1&) {}
void Pattern13(Form1&) {}
void Pattern14(Form1&) {}
void Pattern15(Form1&) {}
void Pattern16(Form1&) {}

} // namespace linesaver
