// A platform for tests: it draws nothing, records every call in order and
// lets a test inject events during a yield.
#pragma once

#include "platform/platform.h"

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace linesaver {

struct Call {
    enum class Kind { Cls, Line, Circle, ForeColor, Yield, Cursor, Timer, Mci, End };
    Call(Kind k, std::array<double, 4> values = {}, Colour c = 0, std::string t = {})
        : kind(k), v(values), colour(c), text(std::move(t)) {}
    Kind kind;
    std::array<double, 4> v; // Line: x1 y1 x2 y2; Circle: x y r; Timer: id ms
    Colour colour;           // Line, Circle, ForeColor
    std::string text;        // Mci: the command
};

class RecordingPlatform : public Platform {
public:
    RecordingPlatform(double widthTwips = 15360, double heightTwips = 11520)
        : width_(widthTwips), height_(heightTwips) {}

    // What a test sets up.
    bool prevInstance = false;
    std::string appPath = "/opt/linesaver";
    std::uint64_t nextSeed = 1;        // each ClockSeed() returns this and adds 1
    std::function<void()> onYield;     // runs inside every DoEvents
    std::function<long(const std::string&, char*, int)> mci; // the player

    // What the saver did.
    std::vector<Call> calls;
    int cursorLevel = 0;               // 0 shown, -1 hidden once
    int timerInterval[2] = {10, 0};    // Timer1, Timer2 in ms
    bool ended = false;

    bool PrevInstance() override { return prevInstance; }
    std::string AppPath() override { return appPath; }
    std::uint64_t ClockSeed() override { return nextSeed++; }

    void SetBackColor(Colour) override {}
    void Maximize() override {}
    double ScreenWidth() override { return width_; }
    double ScreenHeight() override { return height_; }
    void Cls() override { calls.push_back({Call::Kind::Cls}); }
    void SetForeColor(Colour c) override {
        fore_ = c;
        calls.push_back({Call::Kind::ForeColor, {}, c});
    }
    Colour ForeColor() override { return fore_; }
    void Line(float x1, float y1, float x2, float y2, Colour c) override {
        calls.push_back({Call::Kind::Line, {{x1, y1, x2, y2}}, c});
    }
    void Circle(float x, float y, float r, Colour c) override {
        calls.push_back({Call::Kind::Circle, {{x, y, r, 0}}, c});
    }
    void SetTimerInterval(TimerId t, int ms) override {
        const int id = t == TimerId::Timer1 ? 0 : 1;
        timerInterval[id] = ms;
        calls.push_back({Call::Kind::Timer, {{double(id), double(ms)}}});
    }
    void DoEvents() override {
        calls.push_back({Call::Kind::Yield});
        if (onYield) onYield();
    }
    void ShowCursor(bool show) override {
        cursorLevel += show ? 1 : -1;
        calls.push_back({Call::Kind::Cursor, {{show ? 1.0 : 0.0}}});
    }

    // An empty file system unless a test installs one.
    std::function<std::string(const std::string&)> dir;
    std::function<std::string()> dirNext;
    std::function<bool(const std::string&)> kill;
    std::function<bool(const std::string&, const std::string&)> fileCopy;

    std::string Dir(const std::string& pattern) override { return dir ? dir(pattern) : ""; }
    std::string DirNext() override { return dirNext ? dirNext() : ""; }
    bool Kill(const std::string& path) override { return kill ? kill(path) : false; }
    bool FileCopy(const std::string& from, const std::string& to) override {
        return fileCopy ? fileCopy(from, to) : false;
    }
    long MciSendString(const std::string& command, char* reply, int length) override {
        calls.push_back({Call::Kind::Mci, {}, 0, command});
        return mci ? mci(command, reply, length) : 1;
    }

    // The calls of one kind, in order.
    std::vector<Call> Only(Call::Kind kind) const {
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.kind == kind) out.push_back(c);
        return out;
    }

protected:
    void OnEnd() override {
        ended = true;
        calls.push_back({Call::Kind::End});
    }

private:
    double width_;
    double height_;
    Colour fore_ = 0;
};

} // namespace linesaver
