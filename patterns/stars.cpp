// Patterns 21, 26, 28, 29: three-line stars.
// Not drawn yet: these numbers draw nothing until the family is built.
#include "patterns/patterns.h"

namespace linesaver {

void Pattern21(Form1&) {}
void Pattern26(Form1&) {}
void Pattern28(Form1&) {}
void Pattern29(Form1&) {}

} // namespace linesaver
