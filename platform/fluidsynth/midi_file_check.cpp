#include "platform/fluidsynth/midi_file_check.h"

#include <cstdint>

namespace linesaver {
namespace {

// Reads a run of bytes from the front. Every read fails, and takes
// nothing, when the bytes run out.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    bool AtEnd() const { return bytes_.empty(); }
    bool Byte(std::uint32_t& value) { return Number(1, value); }
    // count bytes, most significant first.
    bool Number(int count, std::uint32_t& value) {
        if (bytes_.size() < static_cast<std::size_t>(count)) return false;
        value = 0;
        for (int i = 0; i < count; ++i) value = value << 8 | static_cast<std::uint8_t>(bytes_[i]);
        bytes_.remove_prefix(static_cast<std::size_t>(count));
        return true;
    }
    // A variable-length quantity: seven bits a byte, the high bit set on
    // all but the last, and at most four bytes.
    bool VarLen(std::uint32_t& value) {
        value = 0;
        for (std::size_t i = 0; i < 4 && i < bytes_.size(); ++i) {
            const auto byte = static_cast<std::uint8_t>(bytes_[i]);
            value = value << 7 | (byte & 0x7Fu);
            if (byte < 0x80) {
                bytes_.remove_prefix(i + 1);
                return true;
            }
        }
        return false;
    }
    bool Take(std::uint32_t count, std::string_view& taken) {
        if (bytes_.size() < count) return false;
        taken = bytes_.substr(0, count);
        bytes_.remove_prefix(count);
        return true;
    }
    bool Skip(std::uint32_t count) {
        std::string_view ignored;
        return Take(count, ignored);
    }

private:
    std::string_view bytes_;
};

constexpr std::uint32_t kSystemExclusive = 0xF0;
constexpr std::uint32_t kMeta = 0xFF;
constexpr std::uint32_t kEndOfTrack = 0x2F;

// The meta events FluidSynth reads, at the only length it accepts.
// clang-format off
constexpr struct {
    std::uint32_t type;
    std::uint32_t length;
} kFixedMetaLengths[] = {
    {kEndOfTrack, 0},
    {0x51, 3}, // tempo
    {0x54, 5}, // SMPTE offset
    {0x58, 4}, // time signature
    {0x59, 2}, // key signature
};
// clang-format on

bool MetaLengthFits(std::uint32_t type, std::uint32_t length) {
    for (const auto& fixed : kFixedMetaLengths)
        if (fixed.type == type) return fixed.length == length;
    return true;
}

// Data bytes after a channel message's status: one for a program change
// or channel pressure, two for the rest.
int DataBytes(std::uint32_t status) {
    const std::uint32_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// The events of one track chunk, up to its end-of-track event or its end.
bool EventsHoldTogether(Reader track) {
    std::uint32_t running = 0; // the last channel status; none after other events
    while (!track.AtEnd()) {
        std::uint32_t delta = 0;
        std::uint32_t status = 0;
        if (!track.VarLen(delta) || !track.Byte(status)) return false;
        std::uint32_t length = 0;
        if (status == kMeta) {
            std::uint32_t type = 0;
            if (!track.Byte(type) || type >= 0x80 || !track.VarLen(length) || !MetaLengthFits(type, length) ||
                !track.Skip(length))
                return false;
            if (type == kEndOfTrack) return true;
            running = 0;
        } else if (status == kSystemExclusive) {
            if (!track.VarLen(length) || !track.Skip(length)) return false;
            running = 0;
        } else if (status > kSystemExclusive) {
            return false; // escaped system-exclusive and system messages: FluidSynth reads none
        } else {
            if (status >= 0x80)
                running = status;
            else if (running == 0)
                return false;
            // Under running status the byte read was the first data byte.
            int data = DataBytes(running) - (status < 0x80 ? 1 : 0);
            for (std::uint32_t byte = 0; data > 0; --data)
                if (!track.Byte(byte) || byte >= 0x80) return false;
        }
    }
    return true;
}

} // namespace

bool IsPlayableMidiFile(std::string_view smf) {
    Reader file(smf);
    std::string_view id;
    std::uint32_t length = 0;
    std::uint32_t format = 0;
    std::uint32_t tracks = 0;
    std::uint32_t division = 0;
    if (!file.Take(4, id) || id != "MThd" || !file.Number(4, length) || length != 6 || !file.Number(2, format) ||
        format > 2 || !file.Number(2, tracks) || tracks < 1 || tracks > kMostMidiTracks || !file.Number(2, division) ||
        division == 0 || (division & 0x8000) != 0)
        return false;
    for (std::uint32_t i = 0; i < tracks; ++i) {
        std::string_view chunk;
        if (!file.Take(4, id) || id != "MTrk" || !file.Number(4, length) || !file.Take(length, chunk) ||
            !EventsHoldTogether(Reader(chunk)))
            return false;
    }
    return true;
}

} // namespace linesaver
