// Patterns 23, 24: a bar and its image through the screen centre.
// Not drawn yet: these numbers draw nothing until the family is built.
#include "patterns/patterns.h"

namespace linesaver {

void Pattern23(Form1&) {}
void Pattern24(Form1&) {}

} // namespace linesaver
