#include "platform/win32/win32_process.h"

#include "platform/win32/dos_paths.h"
#include "platform/win32/wide_text.h"

#include <windows.h>

namespace linesaver {

std::string ProgramFolderPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2); // cut off: try again with more room
    }
    const auto slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) return {};
    path.resize(slash);
    return ExtendedPath(Narrow(path));
}

InstanceMutex::InstanceMutex() {
    handle_ = ::CreateMutexW(nullptr, FALSE, L"Local\\linesaver.instance");
    heldElsewhere_ = handle_ != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS;
}

InstanceMutex::~InstanceMutex() {
    if (handle_) ::CloseHandle(handle_);
}

} // namespace linesaver
