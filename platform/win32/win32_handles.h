// Owners of the kernel handles the backend holds: each is closed by the
// one function that closes its kind. Included by the backend's sources
// only.
#pragma once

#include <windows.h>

namespace linesaver {

template <BOOL(WINAPI* Close)(HANDLE)>
class Owner {
public:
    Owner() = default;
    explicit Owner(HANDLE h) : handle_(h) {}
    ~Owner() { Reset(); }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;

    // Windows answers "none" with either of two values, by function.
    bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    void Reset(HANDLE h = nullptr) {
        if (Valid()) Close(handle_);
        handle_ = h;
    }

private:
    HANDLE handle_ = nullptr;
};

// Files, mutexes, tokens.
using HandleOwner = Owner<::CloseHandle>;
// A directory listing.
using FindOwner = Owner<::FindClose>;

} // namespace linesaver
