// A small writer of Standard MIDI Files (format 1): tracks of timed events,
// sorted by time and encoded with delta times.
#pragma once

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace midi {

// Ticks per quarter note of every file written here.
inline constexpr int kTicksPerQuarter = 480;

using Bytes = std::vector<std::uint8_t>;

// A variable-length quantity: seven bits a byte, the high bit set on all
// bytes but the last.
inline void PutVarLen(Bytes& out, std::uint32_t value) {
    std::uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = value & 0x7F;
        value >>= 7;
    } while (value != 0);
    while (n > 1) out.push_back(groups[--n] | 0x80);
    out.push_back(groups[0]);
}

// value as `bytes` big-endian bytes.
inline void PutBigEndian(Bytes& out, std::uint32_t value, int bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) out.push_back((value >> shift) & 0xFF);
}

class Track {
public:
    void Tempo(std::uint32_t tick, double bpm) {
        Bytes e{0xFF, 0x51, 3};
        PutBigEndian(e, static_cast<std::uint32_t>(60'000'000.0 / bpm + 0.5), 3);
        Add(tick, kSetup, std::move(e));
    }
    // denominator a power of two: 4 for quarters, 8 for eighths.
    void Meter(std::uint32_t tick, int numerator, int denominator) {
        std::uint8_t power = 0;
        while ((1 << power) < denominator) ++power;
        Add(tick, kSetup, {0xFF, 0x58, 4, Data(numerator), power, 24, 8});
    }
    void Name(std::uint32_t tick, const std::string& text) {
        Bytes e{0xFF, 0x03};
        PutVarLen(e, static_cast<std::uint32_t>(text.size()));
        e.insert(e.end(), text.begin(), text.end());
        Add(tick, kSetup, std::move(e));
    }
    // program: General MIDI program number, 0-127.
    void Program(std::uint32_t tick, int channel, int program) {
        Add(tick, kSetup, {Status(0xC0, channel), Data(program)});
    }
    void Control(std::uint32_t tick, int channel, int controller, int value) {
        Add(tick, kSetup, {Status(0xB0, channel), Data(controller), Data(value)});
    }
    void Note(std::uint32_t tick, int channel, int key, int velocity, std::uint32_t duration) {
        Add(tick, kOn, {Status(0x90, channel), Data(key), Data(velocity)});
        Add(tick + duration, kOff, {Status(0x80, channel), Data(key), 0});
    }

    // The MTrk chunk, closed by an end-of-track event after the last one.
    Bytes Encode() const {
        std::vector<Event> sorted = events_;
        std::stable_sort(sorted.begin(), sorted.end(), [](const Event& a, const Event& b) {
            return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
        });
        Bytes body;
        std::uint32_t now = 0;
        for (const Event& e : sorted) {
            PutVarLen(body, e.tick - now);
            body.insert(body.end(), e.data.begin(), e.data.end());
            now = e.tick;
        }
        body.insert(body.end(), {0x00, 0xFF, 0x2F, 0x00});
        Bytes chunk{'M', 'T', 'r', 'k'};
        PutBigEndian(chunk, static_cast<std::uint32_t>(body.size()), 4);
        chunk.insert(chunk.end(), body.begin(), body.end());
        return chunk;
    }

private:
    // At one tick: the notes that end, then settings, then the notes that
    // begin, so a repeated key is released before it sounds again.
    enum Order { kOff, kSetup, kOn };
    struct Event {
        std::uint32_t tick;
        Order order;
        Bytes data;
    };
    static std::uint8_t Status(int kind, int channel) { return static_cast<std::uint8_t>(kind | (channel & 0x0F)); }
    static std::uint8_t Data(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 127)); }
    void Add(std::uint32_t tick, Order order, Bytes data) { events_.push_back({tick, order, std::move(data)}); }

    std::vector<Event> events_;
};

// A format-1 file of the given tracks.
inline Bytes File(const std::vector<Track>& tracks) {
    Bytes out{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    PutBigEndian(out, static_cast<std::uint32_t>(tracks.size()), 2);
    PutBigEndian(out, kTicksPerQuarter, 2);
    for (const Track& t : tracks) {
        const Bytes chunk = t.Encode();
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    return out;
}

inline bool Write(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

} // namespace midi
