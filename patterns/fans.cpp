// Patterns 39-60: fans of spokes about the orbiting anchor.
// Not drawn yet: these numbers draw nothing until the family is built.
#include "patterns/patterns.h"

namespace linesaver {

void Pattern39(Form1&) {}
void Pattern40(Form1&) {}
void Pattern41(Form1&) {}
void Pattern42(Form1&) {}
void Pattern43(Form1&) {}
void Pattern44(Form1&) {}
void Pattern45(Form1&) {}
void Pattern46(Form1&) {}
void Pattern47(Form1&) {}
void Pattern48(Form1&) {}
void Pattern49(Form1&) {}
void Pattern50(Form1&) {}
void Pattern51(Form1&) {}
void Pattern52(Form1&) {}
void Pattern53(Form1&) {}
void Pattern54(Form1&) {}
void Pattern55(Form1&) {}
void Pattern56(Form1&) {}
void Pattern57(Form1&) {}
void Pattern58(Form1&) {}
void Pattern59(Form1&) {}
void Pattern60(Form1&) {}

} // namespace linesaver
