// A pretend music folder and drive "c:\" for the tests of the track choice:
// the listing, lookups, deletes and copies of a RecordingPlatform, and a
// player that answers "status" with a set reply.
#pragma once

#include "platform/recording_platform.h"

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace linesaver::testing {

struct FakeDrive {
    std::vector<std::string> music;  // the music folder's names, in listing order
    std::set<std::string> files;     // other files that exist, by DOS path
    bool copyFails = false;
    bool killFails = false;
    long statusCode = 0;             // the player's answer to "status"
    std::string statusReply = "playing";
    long openCode = 0;               // and to "open"

    std::vector<std::string> log;    // "kill <path>", "copy <from> <to>"

    explicit FakeDrive(RecordingPlatform& pf) {
        const std::string musicPattern = pf.appPath + "\\music\\*.mid";
        pf.dir = [this, musicPattern](const std::string& pattern) {
            listing_.clear();
            next_ = 0;
            if (pattern == musicPattern) listing_ = music;
            else if (files.count(pattern)) listing_ = {pattern.substr(pattern.rfind('\\') + 1)};
            return Next();
        };
        pf.dirNext = [this] { return Next(); };
        pf.kill = [this](const std::string& path) {
            log.push_back("kill " + path);
            return !killFails && files.erase(path) == 1;
        };
        pf.fileCopy = [this](const std::string& from, const std::string& to) {
            log.push_back("copy " + from + " " + to);
            if (copyFails) return false;
            files.insert(to);
            return true;
        };
        pf.mci = [this](const std::string& command, char* reply, int) {
            const bool status = command.rfind("status", 0) == 0;
            const std::string answer = status ? statusReply : "";
            std::memcpy(reply, answer.c_str(), answer.size() + 1);
            if (status) return statusCode;
            return command.rfind("open", 0) == 0 ? openCode : 0L;
        };
    }

private:
    std::string Next() { return next_ < listing_.size() ? listing_[next_++] : ""; }
    std::vector<std::string> listing_;
    std::size_t next_ = 0;
};

} // namespace linesaver::testing
