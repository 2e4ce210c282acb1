// Patterns 18, 19, 25, 27, 32, 33: crosses of two diameters.
// Not drawn yet: these numbers draw nothing until the family is built.
#include "patterns/patterns.h"

namespace linesaver {

void Pattern18(Form1&) {}
void Pattern19(Form1&) {}
void Pattern25(Form1&) {}
void Pattern27(Form1&) {}
void Pattern32(Form1&) {}
void Pattern33(Form1&) {}

} // namespace linesaver
