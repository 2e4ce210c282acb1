// Small POSIX file helpers for the drive and the player: descriptors that
// close themselves, and reads that take nothing but a regular file.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace linesaver {

// An open file descriptor, closed when the owner goes.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Reset();
            fd_ = other.Release();
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void Reset();

private:
    int fd_ = -1;
};

// Opens path for reading if it is a regular file. The open never blocks
// (a FIFO or a device is refused, not waited on). With followLinks false a
// symbolic link at path is refused as well.
UniqueFd OpenRegularForReading(const std::string& path, bool followLinks);

// Reads fd to its end, handing each chunk to sink; false on a read error
// or when sink returns false.
bool ReadChunks(int fd, const std::function<bool(const char* data, std::size_t size)>& sink);

// The whole content of fd, or nothing on a read error or when it is longer
// than limit bytes.
std::optional<std::string> ReadAll(int fd, std::size_t limit);

// Writes all of data to fd; false on any error.
bool WriteAll(int fd, const char* data, std::size_t size);

} // namespace linesaver
