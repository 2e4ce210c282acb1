// The idle sources linesaver-idle knows, in the order it tries them.
#pragma once

#include "platform/idle/idle_source.h"

#include <span>

namespace linesaver::idle {

std::span<const IdleBackend> IdleBackends();

} // namespace linesaver::idle
