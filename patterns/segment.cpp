// Pattern 11: the lopsided segment turning about the anchor.
// Not drawn yet: these numbers draw nothing until the family is built.
#include "patterns/patterns.h"

namespace linesaver {

void Pattern11(Form1&) {}

} // namespace linesaver
