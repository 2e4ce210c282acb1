// Patterns 17, 20, 22, 30, 31: parallel bars.
// Not drawn yet: these numbers draw nothing until the family is built.
#include "patterns/patterns.h"

namespace linesaver {

void Pattern17(Form1&) {}
void Pattern20(Form1&) {}
void Pattern22(Form1&) {}
void Pattern30(Form1&) {}
void Pattern31(Form1&) {}

} // namespace linesaver
