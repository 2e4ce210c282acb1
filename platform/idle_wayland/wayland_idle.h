// The Wayland idle sources: the compositor's idle notifier on a connection
// of the watcher's own, with one notification for the seat that reports
// "idle" after the idle time without input and "resumed" at the next input.
// The compositor holds "idle" back while a client's idle inhibitor
// (zwp_idle_inhibit_manager_v1) is on a visible surface.
#pragma once

#include "platform/idle/idle_source.h"

namespace linesaver::idle {

// ext_idle_notifier_v1, the standard one (KWin 5.27, sway 1.8 and most).
std::unique_ptr<IdleSource> OpenExtIdle(std::chrono::milliseconds idleAfter, std::string& whyNot);
// org_kde_kwin_idle, KDE's older one (sway 1.7, KWin).
std::unique_ptr<IdleSource> OpenKdeIdle(std::chrono::milliseconds idleAfter, std::string& whyNot);

inline constexpr IdleBackend kExtIdleBackend{"ext-idle", &OpenExtIdle};
inline constexpr IdleBackend kKdeIdleBackend{"kde-idle", &OpenKdeIdle};

} // namespace linesaver::idle
