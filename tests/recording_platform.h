// A platform for tests: it draws nothing, records every call in order and
// lets a test inject events during a yield. End throws Ended, so a test
// sees the program end without its process ending.
#pragma once

#include "platform/platform.h"

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace linesaver {

struct Call {
    enum class Kind { Clear, Line, Circle, Yield, Cursor, Timer, Player, End };
    Call(Kind k, std::array<double, 4> values = {}, Colour c = 0, std::string t = {})
        : kind(k), v(values), colour(c), text(std::move(t)) {}
    Kind kind;
    std::array<double, 4> v; // Line: x1 y1 x2 y2; Circle: x y r; Timer: id ms; End: status
    Colour colour;           // Line, Circle
    std::string text;        // Player: the command
};

class RecordingPlatform : public Platform {
public:
    // What End throws in place of ending the process.
    struct Ended {
        int status;
    };

    RecordingPlatform(double widthTwips = 15360, double heightTwips = 11520)
        : width_(widthTwips), height_(heightTwips) {}

    // What a test sets up.
    bool anotherInstance = false;
    std::string programFolder = "/opt/linesaver";
    std::uint64_t nextSeed = 1;    // each ClockSeed() returns this and adds 1
    std::function<void()> onYield; // runs inside every YieldToEvents
    std::function<long(const std::string&, char*, int)> player;

    // What the saver did.
    std::vector<Call> calls;
    int cursorLevel = 0;            // 0 shown, -1 hidden once
    int timerInterval[2] = {10, 0}; // frame tick, music poll, in ms
    bool ended = false;

    bool AnotherInstanceRunning() override { return anotherInstance; }
    std::string ProgramFolder() override { return programFolder; }
    std::uint64_t ClockSeed() override { return nextSeed++; }

    // The window takes another size, as a preview pane does.
    void Resize(double widthTwips, double heightTwips) {
        width_ = widthTwips;
        height_ = heightTwips;
    }

    double ScreenWidth() override { return width_; }
    double ScreenHeight() override { return height_; }
    void Clear() override { calls.push_back({Call::Kind::Clear}); }
    void Line(float x1, float y1, float x2, float y2, Colour c) override {
        calls.push_back({Call::Kind::Line, {{x1, y1, x2, y2}}, c});
    }
    void Circle(float x, float y, float r, Colour c) override {
        calls.push_back({Call::Kind::Circle, {{x, y, r, 0}}, c});
    }
    void SetTimerInterval(TimerId t, int ms) override {
        const int id = t == TimerId::FrameTick ? 0 : 1;
        timerInterval[id] = ms;
        calls.push_back({Call::Kind::Timer, {{double(id), double(ms)}}});
    }
    void YieldToEvents() override {
        calls.push_back({Call::Kind::Yield});
        if (onYield) onYield();
    }
    void ShowCursor(bool show) override {
        cursorLevel += show ? 1 : -1;
        calls.push_back({Call::Kind::Cursor, {{show ? 1.0 : 0.0}}});
    }

    // An empty file system unless a test installs one.
    std::function<std::string(const std::string&)> firstFileName;
    std::function<std::string()> nextFileName;
    std::function<bool(const std::string&)> removeFile;
    std::function<bool(const std::string&, const std::string&)> copyFile;

    std::string FirstFileName(const std::string& pattern) override {
        return firstFileName ? firstFileName(pattern) : "";
    }
    std::string NextFileName() override { return nextFileName ? nextFileName() : ""; }
    bool RemoveFile(const std::string& path) override { return removeFile ? removeFile(path) : false; }
    bool CopyFileTo(const std::string& from, const std::string& to) override {
        return copyFile ? copyFile(from, to) : false;
    }
    long SendPlayerCommand(const std::string& command, char* reply, int length) override {
        calls.push_back({Call::Kind::Player, {}, 0, command});
        return player ? player(command, reply, length) : 1;
    }

    // The calls of one kind, in order.
    std::vector<Call> Only(Call::Kind kind) const {
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.kind == kind) out.push_back(c);
        return out;
    }

protected:
    void EndProcess(int status) override {
        ended = true;
        calls.push_back({Call::Kind::End, {{double(status)}}});
        throw Ended{status};
    }

private:
    double width_;
    double height_;
};

} // namespace linesaver
