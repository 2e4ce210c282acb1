// A Wayland client that keeps the session from going idle while it runs, as
// a video player does: a small window with an idle inhibitor
// (zwp_idle_inhibitor_v1) on its surface.
//
//   idle_inhibitor [WIDTH HEIGHT]
//
// The window is WIDTH x HEIGHT (64 x 64 unless told) and filled with
// #fe0101, a colour the saver never draws, so that a picture shows where it
// is not covered. Prints "holding" once the compositor has the window's first picture and
// the inhibitor, then runs until its input closes; exits 1 with one line
// when the compositor lacks something or goes away.
#include "wayland-idle-inhibit.h"
#include "wayland-xdg-shell.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

namespace {

// Red 254 and green and blue 1: no level the saver's colour takes.
constexpr std::uint32_t kBackdrop = 0xfe0101;

struct Globals {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    xdg_wm_base* shell = nullptr;
    zwp_idle_inhibit_manager_v1* inhibitors = nullptr;
    bool configured = false;
};

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
    auto& g = *static_cast<Globals*>(data);
    auto bind = [&](const wl_interface& wanted) { return wl_registry_bind(registry, name, &wanted, 1); };
    if (std::strcmp(interface, wl_compositor_interface.name) == 0)
        g.compositor = static_cast<wl_compositor*>(bind(wl_compositor_interface));
    else if (std::strcmp(interface, wl_shm_interface.name) == 0)
        g.shm = static_cast<wl_shm*>(bind(wl_shm_interface));
    else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0)
        g.shell = static_cast<xdg_wm_base*>(bind(xdg_wm_base_interface));
    else if (std::strcmp(interface, zwp_idle_inhibit_manager_v1_interface.name) == 0)
        g.inhibitors = static_cast<zwp_idle_inhibit_manager_v1*>(bind(zwp_idle_inhibit_manager_v1_interface));
}
void OnGlobalRemoved(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kRegistry{OnGlobal, OnGlobalRemoved};

void OnPing(void*, xdg_wm_base* shell, std::uint32_t serial) { xdg_wm_base_pong(shell, serial); }
const xdg_wm_base_listener kShell{OnPing};

void OnSurfaceConfigure(void* data, xdg_surface* surface, std::uint32_t serial) {
    xdg_surface_ack_configure(surface, serial);
    static_cast<Globals*>(data)->configured = true;
}
const xdg_surface_listener kSurface{OnSurfaceConfigure};

void OnToplevelConfigure(void*, xdg_toplevel*, std::int32_t, std::int32_t, wl_array*) {}
void OnToplevelClose(void*, xdg_toplevel*) {}
void OnToplevelBounds(void*, xdg_toplevel*, std::int32_t, std::int32_t) {}
void OnToplevelCapabilities(void*, xdg_toplevel*, wl_array*) {}
const xdg_toplevel_listener kToplevel{OnToplevelConfigure, OnToplevelClose, OnToplevelBounds, OnToplevelCapabilities};

int Fail(const char* why) {
    std::fprintf(stderr, "idle_inhibitor: %s\n", why);
    return 1;
}

// A picture of the backdrop colour in shared memory.
wl_buffer* Backdrop(wl_shm* shm, int width, int height) {
    const int stride = width * 4;
    const int bytes = stride * height;
    const int fd = memfd_create("idle-inhibitor", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, bytes) != 0) return nullptr;
    void* pixels = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED) return nullptr;
    std::fill_n(static_cast<std::uint32_t*>(pixels), width * height, kBackdrop);
    munmap(pixels, bytes);
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, bytes);
    close(fd);
    wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    return buffer;
}

} // namespace

int main(int argc, char** argv) {
    const int width = argc == 3 ? std::atoi(argv[1]) : 64;
    const int height = argc == 3 ? std::atoi(argv[2]) : 64;
    if (width <= 0 || height <= 0) return Fail("usage: idle_inhibitor [WIDTH HEIGHT]");
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return Fail("no Wayland compositor");
    Globals g;
    wl_registry_add_listener(wl_display_get_registry(display), &kRegistry, &g);
    wl_display_roundtrip(display);
    if (!g.compositor || !g.shm || !g.shell || !g.inhibitors)
        return Fail("the compositor lacks wl_shm, xdg_wm_base or zwp_idle_inhibit_manager_v1");
    xdg_wm_base_add_listener(g.shell, &kShell, nullptr);
    wl_surface* surface = wl_compositor_create_surface(g.compositor);
    xdg_surface* shellSurface = xdg_wm_base_get_xdg_surface(g.shell, surface);
    xdg_surface_add_listener(shellSurface, &kSurface, &g);
    xdg_toplevel* toplevel = xdg_surface_get_toplevel(shellSurface);
    xdg_toplevel_add_listener(toplevel, &kToplevel, nullptr);
    xdg_toplevel_set_title(toplevel, "idle inhibitor");
    wl_surface_commit(surface);
    while (!g.configured)
        if (wl_display_dispatch(display) < 0) return Fail("the compositor has gone");
    wl_buffer* backdrop = Backdrop(g.shm, width, height);
    if (!backdrop) return Fail("no shared memory");
    wl_surface_attach(surface, backdrop, 0, 0);
    wl_surface_commit(surface);
    zwp_idle_inhibit_manager_v1_create_inhibitor(g.inhibitors, surface);
    if (wl_display_roundtrip(display) < 0) return Fail("the compositor has gone");
    std::printf("holding\n");
    std::fflush(stdout);
    pollfd fds[2] = {{wl_display_get_fd(display), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    for (;;) {
        wl_display_flush(display);
        if (poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents != 0) {
            char byte;
            if (read(STDIN_FILENO, &byte, 1) <= 0) break;
        }
        if (fds[0].revents != 0 && wl_display_dispatch(display) < 0) return Fail("the compositor has gone");
    }
    wl_display_disconnect(display);
    return 0;
}
