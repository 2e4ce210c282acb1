// A small writer of Standard MIDI Files: tracks of timed events, sorted by
// time and encoded with delta times; format 1 unless a layout says else.
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
        Add(tick, KSetup, std::move(e));
    }
    // denominator a power of two: 4 for quarters, 8 for eighths.
    void Meter(std::uint32_t tick, int numerator, int denominator) {
        std::uint8_t power = 0;
        while ((1 << power) < denominator) ++power;
        Add(tick, KSetup, {0xFF, 0x58, 4, Data(numerator), power, 24, 8});
    }
    void Name(std::uint32_t tick, const std::string& text) {
        Bytes e{0xFF, 0x03};
        PutVarLen(e, static_cast<std::uint32_t>(text.size()));
        e.insert(e.end(), text.begin(), text.end());
        Add(tick, KSetup, std::move(e));
    }
    // program: General MIDI program number, 0-127.
    void Program(std::uint32_t tick, int channel, int program) {
        Add(tick, KSetup, {Status(0xC0, channel), Data(program)});
    }
    void Control(std::uint32_t tick, int channel, int controller, int value) {
        Add(tick, KSetup, {Status(0xB0, channel), Data(controller), Data(value)});
    }
    void Note(std::uint32_t tick, int channel, int key, int velocity, std::uint32_t duration) {
        Add(tick, KOn, {Status(0x90, channel), Data(key), Data(velocity)});
        Add(tick + duration, KOff, {Status(0x80, channel), Data(key), 0});
    }
    // This track's events and the other's as well, for one track of several parts.
    void Merge(const Track& other) { events_.insert(events_.end(), other.events_.begin(), other.events_.end()); }

    // The MTrk chunk, closed by an end-of-track event after the last one.
    // With runningStatus a channel message's status
    // byte is left out when it repeats the one before.
    Bytes Encode(bool runningStatus = false) const {
        std::vector<Event> sorted = events_;
        std::stable_sort(sorted.begin(), sorted.end(), [](const Event& a, const Event& b) {
            return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
        });
        Bytes body;
        std::uint32_t now = 0;
        std::uint8_t running = 0;
        for (const Event& e : sorted) {
            PutVarLen(body, e.tick - now);
            const bool channel = e.data[0] < 0xF0;
            const bool repeats = runningStatus && channel && e.data[0] == running;
            body.insert(body.end(), e.data.begin() + (repeats ? 1 : 0), e.data.end());
            running = channel ? e.data[0] : 0;
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
    enum Order { KOff, KSetup, KOn };
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

// How a file is written.
struct Layout {
    int format = 1;                            // 0: the tracks merged into one
    bool runningStatus = false;                // see Track::Encode
    std::uint16_t division = kTicksPerQuarter; // a negative high byte: SMPTE frames
};

inline Bytes File(const std::vector<Track>& tracks, const Layout& layout = {}) {
    std::vector<Track> merged(1);
    if (layout.format == 0)
        for (const Track& t : tracks) merged[0].Merge(t);
    const std::vector<Track>& written = layout.format == 0 ? merged : tracks;
    Bytes out{'M', 'T', 'h', 'd', 0, 0, 0, 6};
    PutBigEndian(out, static_cast<std::uint32_t>(layout.format), 2);
    PutBigEndian(out, static_cast<std::uint32_t>(written.size()), 2);
    PutBigEndian(out, layout.division, 2);
    for (const Track& t : written) {
        const Bytes chunk = t.Encode(layout.runningStatus);
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
