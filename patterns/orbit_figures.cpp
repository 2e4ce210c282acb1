// Patterns 34-38 and 61: bars, circles and chords on the orbiting anchor.
// Not drawn yet: these numbers draw nothing until the family is built.
#include "patterns/patterns.h"

namespace linesaver {

void Pattern34(Form1&) {}
void Pattern35(Form1&) {}
void Pattern36(Form1&) {}
void Pattern37(Form1&) {}
void Pattern38(Form1&) {}
void Pattern61(Form1&) {}

} // namespace linesaver
