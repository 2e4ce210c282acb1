// The sources linesaver-idle knows: the idle sources, in the order it tries
// them, and the hold sources, all of which it follows where they open.
#pragma once

#include "platform/idle/hold_source.h"
#include "platform/idle/idle_source.h"

#include <span>

namespace linesaver::idle {

std::span<const IdleBackend> IdleBackends();
std::span<const HoldBackend> HoldBackends();

} // namespace linesaver::idle
