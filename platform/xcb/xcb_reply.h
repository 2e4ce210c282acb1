// Small helpers for talking to XCB, for every part of the program that
// speaks to an X server: its connections, replies and errors are the
// caller's to free, and windows are named by their ids in hexadecimal, as
// X tools name them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <xcb/xcb.h>

namespace linesaver {

struct XcbFree {
    void operator()(void* p) const { std::free(p); }
};
template <class T>
using XcbOwned = std::unique_ptr<T, XcbFree>;

struct XcbDisconnect {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using XcbConnection = std::unique_ptr<xcb_connection_t, XcbDisconnect>;

inline std::string WindowIdText(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", id);
    return text;
}

} // namespace linesaver
