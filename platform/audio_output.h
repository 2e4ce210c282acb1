// The sound card as the music sees it: a stereo stream of 32-bit float
// samples (left and right interleaved, full scale ±1) that pulls its
// samples from a renderer on a thread of its own.
#pragma once

#include <functional>
#include <memory>

namespace linesaver {

// What fills the stream. Render runs on the stream's thread only, never
// while the stream is locked, and must neither block nor throw.
class AudioRenderer {
public:
    // Writes frames stereo frames, 2 * frames floats, to samples.
    virtual void Render(float* samples, int frames) noexcept = 0;

protected:
    ~AudioRenderer() = default;
};

// An open stream. It stays silent until Start; closing it (its
// destruction) waits for a Render under way to end.
class AudioStream {
public:
    virtual ~AudioStream() = default;
    // Frames per second, as the device granted them.
    virtual int SampleRate() const = 0;
    // While locked, Render is neither running nor about to start.
    virtual void Lock() noexcept = 0;
    virtual void Unlock() noexcept = 0;
    virtual void Start() = 0;
};

// The machine's audio, held while its owner lives.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // A stream that renders with renderer, not yet started; null when the
    // device cannot be opened. May be called on any thread.
    virtual std::unique_ptr<AudioStream> Open(AudioRenderer& renderer) = 0;
};

// Makes the output the music plays on; null when there is no audio at all.
using AudioOutputFactory = std::function<std::unique_ptr<AudioOutput>()>;

// Holds a stream's lock while it lives.
class AudioStreamLock {
public:
    explicit AudioStreamLock(AudioStream& stream) : stream_(stream) { stream_.Lock(); }
    ~AudioStreamLock() { stream_.Unlock(); }
    AudioStreamLock(const AudioStreamLock&) = delete;
    AudioStreamLock& operator=(const AudioStreamLock&) = delete;

private:
    AudioStream& stream_;
};

} // namespace linesaver
