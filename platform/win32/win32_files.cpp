#include "platform/win32/win32_files.h"

#include "platform/win32/dos_paths.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_handles.h"

#include <windows.h>
#include <sddl.h>
#include <shlobj.h>

#include <algorithm>
#include <array>

namespace linesaver {
namespace {

// The name an unfinished copy has until it is moved into place.
constexpr std::wstring_view kPartialMark = L".partial.";

bool IsPlainFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

// Security that gives the user alone full access, inherited by what is made
// inside; LocalFree'd by the owner.
struct UserOnlySecurity {
    SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    UserOnlySecurity() {
        HANDLE token = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return;
        const HandleOwner owner(token);
        std::array<unsigned char, 256> buffer{};
        DWORD size = 0;
        if (!::GetTokenInformation(token, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()), &size)) return;
        wchar_t* sid = nullptr;
        if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) return;
        const std::wstring sddl = std::wstring(L"D:P(A;OICI;FA;;;") + sid + L")";
        ::LocalFree(sid);
        ::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                               &attributes.lpSecurityDescriptor, nullptr);
    }
    ~UserOnlySecurity() { ::LocalFree(attributes.lpSecurityDescriptor); }
    UserOnlySecurity(const UserOnlySecurity&) = delete;
    UserOnlySecurity& operator=(const UserOnlySecurity&) = delete;
};

// A folder made for the user alone, or one there already that is no link.
bool MakeFolder(const std::wstring& path) {
    UserOnlySecurity security;
    if (::CreateDirectoryW(path.c_str(), security.attributes.lpSecurityDescriptor ? &security.attributes : nullptr))
        return true;
    return ::GetLastError() == ERROR_ALREADY_EXISTS && IsPlainFolder(path);
}

// "folder\leaf" split at the last backslash.
std::pair<std::wstring, std::wstring> Split(const std::wstring& path) {
    const auto slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) return {L".", path};
    return {path.substr(0, slash), path.substr(slash + 1)};
}

// Removes the temporary file unless it was moved into place.
class PartialCopy {
public:
    explicit PartialCopy(const std::wstring& destination) {
        const auto [folder, leaf] = Split(destination);
        path_ = folder + L"\\." + leaf + std::wstring(kPartialMark) + std::to_wstring(::GetCurrentProcessId());
        file_.Reset(
            ::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr));
    }
    ~PartialCopy() {
        file_.Reset();
        if (!kept_) ::DeleteFileW(path_.c_str());
    }
    PartialCopy(const PartialCopy&) = delete;
    PartialCopy& operator=(const PartialCopy&) = delete;

    bool Ok() const { return file_.Valid(); }
    HANDLE File() const { return file_.Get(); }
    // Closes the file and moves it to destination, whose name is replaced:
    // a link there is replaced, never written through.
    bool MoveTo(const std::wstring& destination) {
        file_.Reset();
        kept_ = ::MoveFileExW(path_.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
        return kept_;
    }

private:
    std::wstring path_;
    HandleOwner file_;
    bool kept_ = false;
};

} // namespace

std::optional<std::string> PrivateDrive() {
    wchar_t* localAppData = nullptr;
    if (FAILED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &localAppData))) {
        ::CoTaskMemFree(localAppData);
        return std::nullopt;
    }
    const std::wstring base = localAppData;
    ::CoTaskMemFree(localAppData);
    const std::wstring saver = base + L"\\linesaver";
    const std::wstring drive = saver + L"\\c";
    if (!MakeFolder(saver) || !MakeFolder(drive)) return std::nullopt;
    return Narrow(drive);
}

Win32Files::Win32Files(std::string driveC) : driveC_(std::move(driveC)) {
    // The drive belongs to the one running copy of the saver.
    const std::wstring drive = Widen(driveC_);
    WIN32_FIND_DATAW found{};
    const FindOwner find(::FindFirstFileW((drive + L"\\.*").c_str(), &found));
    if (!find.Valid()) return;
    do {
        const std::wstring_view name = found.cFileName;
        if (name.find(kPartialMark) != std::wstring_view::npos)
            ::DeleteFileW((drive + L"\\" + found.cFileName).c_str());
    } while (::FindNextFileW(find.Get(), &found));
}

// The files (not folders) that match, sorted by their UTF-8 bytes, so two
// listings of the same folder give the same order.
std::string Win32Files::FirstFileName(const std::string& pattern) {
    listing_.clear();
    next_ = 0;
    const std::string real = RealPath(pattern, driveC_);
    if (real.empty()) return {};
    WIN32_FIND_DATAW found{};
    const FindOwner find(::FindFirstFileExW(Widen(real).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                            nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find.Valid()) return {};
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) listing_.push_back(Narrow(found.cFileName));
    } while (::FindNextFileW(find.Get(), &found));
    std::sort(listing_.begin(), listing_.end());
    return NextFileName();
}

std::string Win32Files::NextFileName() {
    if (next_ >= listing_.size()) return {};
    return listing_[next_++];
}

bool Win32Files::RemoveFile(const std::string& path) {
    const std::string real = RealPath(path, driveC_);
    return !real.empty() && ::DeleteFileW(Widen(real).c_str()) != 0;
}

bool Win32Files::CopyFileTo(const std::string& from, const std::string& to) {
    const std::string source = RealPath(from, driveC_);
    const std::string destination = RealPath(to, driveC_);
    if (source.empty() || destination.empty()) return false;
    const HandleOwner in(::CreateFileW(Widen(source).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!in.Valid() || ::GetFileType(in.Get()) != FILE_TYPE_DISK || !::GetFileSizeEx(in.Get(), &size) ||
        size.QuadPart > static_cast<LONGLONG>(kLargestCopy))
        return false;
    const std::wstring target = Widen(destination);
    PartialCopy out(target);
    if (!out.Ok()) return false;
    std::array<char, 64 * 1024> chunk{};
    std::size_t written = 0; // the source may still grow while it is read
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(in.Get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) return false;
        if (got == 0) break;
        written += got;
        DWORD put = 0;
        if (written > kLargestCopy || !::WriteFile(out.File(), chunk.data(), got, &put, nullptr) || put != got)
            return false;
    }
    return out.MoveTo(target);
}

} // namespace linesaver
