// What marks a function the page calls: kept by the linker and exported
// from the module under its C name.
#pragma once

#include <emscripten.h>

#define LINESAVER_PAGE_ENTRY EMSCRIPTEN_KEEPALIVE
