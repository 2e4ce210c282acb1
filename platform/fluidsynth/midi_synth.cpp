#include "platform/fluidsynth/midi_synth.h"

#include <SDL.h>
#include <fluidsynth.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <cstring>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

namespace linesaver {
namespace {

constexpr int kSampleRate = 44100;
// The synth's master gain: the General MIDI soundfont at its default of
// 0.2 is faint; 0.6 leaves the demo tracks' peaks near -11 dBFS.
constexpr double kGain = 0.6;
constexpr Uint16 kFramesPerCallback = 2048; // about 46 ms: room for a sample load

struct SettingsDeleter {
    void operator()(fluid_settings_t* s) const { delete_fluid_settings(s); }
};
struct SynthDeleter {
    void operator()(fluid_synth_t* s) const { delete_fluid_synth(s); }
};
struct PlayerDeleter {
    void operator()(fluid_player_t* p) const { delete_fluid_player(p); }
};
struct CharDeleter {
    void operator()(char* p) const { std::free(p); }
};
using SettingsPtr = std::unique_ptr<fluid_settings_t, SettingsDeleter>;
using SynthPtr = std::unique_ptr<fluid_synth_t, SynthDeleter>;
using PlayerPtr = std::unique_ptr<fluid_player_t, PlayerDeleter>;

// SDL's audio subsystem, held as long as its owner lives.
class AudioSubsystem {
public:
    AudioSubsystem() : ok_(SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {}
    ~AudioSubsystem() {
        if (ok_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    AudioSubsystem(const AudioSubsystem&) = delete;
    AudioSubsystem& operator=(const AudioSubsystem&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_;
};

// An open audio device, closed (its callback finished) with its owner.
class AudioDevice {
public:
    AudioDevice() = default;
    explicit AudioDevice(SDL_AudioDeviceID id) : id_(id) {}
    ~AudioDevice() {
        if (id_ != 0) SDL_CloseAudioDevice(id_);
    }
    AudioDevice(AudioDevice&& other) noexcept : id_(std::exchange(other.id_, 0)) {}
    AudioDevice& operator=(AudioDevice&& other) noexcept {
        std::swap(id_, other.id_);
        return *this;
    }
    SDL_AudioDeviceID id() const { return id_; }
    explicit operator bool() const { return id_ != 0; }

private:
    SDL_AudioDeviceID id_ = 0;
};

// While it lives, the device's callback does not run.
class AudioLock {
public:
    explicit AudioLock(SDL_AudioDeviceID id) : id_(id) { SDL_LockAudioDevice(id_); }
    ~AudioLock() { SDL_UnlockAudioDevice(id_); }
    AudioLock(const AudioLock&) = delete;
    AudioLock& operator=(const AudioLock&) = delete;

private:
    SDL_AudioDeviceID id_;
};

// What the callback reads. Changed only under the audio lock.
struct Render {
    fluid_synth_t* synth = nullptr;
    fluid_player_t* player = nullptr;
};

// The audio thread: the one place the synth renders, which also advances
// the MIDI player (it runs on the synth's sample clock).
void RenderAudio(void* userdata, Uint8* stream, int length) {
    const auto* render = static_cast<const Render*>(userdata);
    const int frames = length / static_cast<int>(2 * sizeof(float));
    auto* out = reinterpret_cast<float*>(stream);
    if (!render->synth || !render->player ||
        fluid_synth_write_float(render->synth, frames, out, 0, 2, out, 1, 2) != FLUID_OK)
        std::memset(stream, 0, static_cast<std::size_t>(length));
}

// The synth and the settings it was made from.
struct Instrument {
    SettingsPtr settings;
    SynthPtr synth;
};

struct IntSetting {
    const char* name;
    int value;
};
// Samples are read from the soundfont only for the instruments in use.
constexpr IntSetting kIntSettings[] = {
    {"synth.dynamic-sample-loading", 1},
    {"synth.lock-memory", 0},
};

Instrument LoadInstrument(const std::string& soundfont, int sampleRate) {
    std::unique_ptr<char, CharDeleter> real(::realpath(soundfont.c_str(), nullptr));
    if (!real) return {};
    SettingsPtr settings(new_fluid_settings());
    if (!settings) return {};
    for (const IntSetting& s : kIntSettings)
        if (fluid_settings_setint(settings.get(), s.name, s.value) != FLUID_OK) return {};
    if (fluid_settings_setstr(settings.get(), "player.timing-source", "sample") != FLUID_OK ||
        fluid_settings_setnum(settings.get(), "synth.sample-rate", sampleRate) != FLUID_OK ||
        fluid_settings_setnum(settings.get(), "synth.gain", kGain) != FLUID_OK)
        return {};
    SynthPtr synth(new_fluid_synth(settings.get()));
    if (!synth || fluid_synth_sfload(synth.get(), real.get(), 1) == FLUID_FAILED) return {};
    return {std::move(settings), std::move(synth)};
}

// A paused device that renders from render; sampleRate is what it got.
AudioDevice OpenDevice(Render* render, int& sampleRate) {
    SDL_AudioSpec want{};
    want.freq = kSampleRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kFramesPerCallback;
    want.callback = RenderAudio;
    want.userdata = render;
    SDL_AudioSpec have{};
    AudioDevice device(SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE));
    sampleRate = have.freq;
    return device;
}

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// FluidSynth logs to stderr, and ALSA (when SDL has loaded it) reports a
// missing sound card there by itself; the music never reports.
void SilenceLibraryLogs() {
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) fluid_set_log_function(level, nullptr, nullptr);
    if (void* alsa = ::dlopen("libasound.so.2", RTLD_NOW | RTLD_NOLOAD)) {
        using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
        using SetHandler = int (*)(Handler);
        if (auto set = reinterpret_cast<SetHandler>(::dlsym(alsa, "snd_lib_error_set_handler"))) set(IgnoreAlsaError);
        ::dlclose(alsa);
    }
}

enum class State { Loading, Ready, Failed };

} // namespace

struct MidiSynth::Impl {
    explicit Impl(std::string font) : soundfont(std::move(font)) {}

    void Load();
    void StartLocked(const std::string& smf);
    void DropTrackLocked();

    // Declared in the order of making; the device goes first, so the
    // callback has ended before the player and the synth are deleted.
    const std::string soundfont;
    AudioSubsystem audio;
    mutable std::mutex mutex; // guards everything below but render
    State state = State::Loading;
    std::optional<std::string> waiting; // a track to start once ready
    Instrument instrument;
    PlayerPtr player;
    Render render;
    AudioDevice device;
    std::atomic<bool> closing{false};
    std::thread loader;
};

// The loader thread: builds the device and the synth, then hands both
// over under the mutex.
void MidiSynth::Impl::Load() {
    int sampleRate = 0;
    AudioDevice opened = audio.ok() ? OpenDevice(&render, sampleRate) : AudioDevice();
    Instrument loaded;
    if (opened && !closing) loaded = LoadInstrument(soundfont, sampleRate);
    std::lock_guard lock(mutex);
    if (!opened || !loaded.synth) {
        state = State::Failed;
        waiting.reset();
        return;
    }
    instrument = std::move(loaded);
    device = std::move(opened);
    {
        AudioLock audioLock(device.id());
        render.synth = instrument.synth.get();
    }
    state = State::Ready;
    if (waiting) StartLocked(*waiting);
    waiting.reset();
    SDL_PauseAudioDevice(device.id(), 0);
}

// The mutex is held and the synth is ready.
void MidiSynth::Impl::StartLocked(const std::string& smf) {
    AudioLock audioLock(device.id());
    DropTrackLocked();
    PlayerPtr next(new_fluid_player(instrument.synth.get()));
    if (!next || fluid_player_add_mem(next.get(), smf.data(), smf.size()) != FLUID_OK ||
        fluid_player_play(next.get()) != FLUID_OK)
        return;
    player = std::move(next);
    render.player = player.get();
}

// The mutex and the audio lock are held.
void MidiSynth::Impl::DropTrackLocked() {
    render.player = nullptr;
    if (player) fluid_player_stop(player.get());
    player.reset();
    fluid_synth_all_sounds_off(instrument.synth.get(), -1);
}

MidiSynth::MidiSynth(std::string soundfont) : impl_(std::make_unique<Impl>(std::move(soundfont))) {
    SilenceLibraryLogs(); // after the audio subsystem has loaded its driver
    try {
        impl_->loader = std::thread([impl = impl_.get()] { impl->Load(); });
    } catch (const std::system_error&) {
        impl_->state = State::Failed;
    }
}

MidiSynth::~MidiSynth() {
    impl_->closing = true;
    if (impl_->loader.joinable()) impl_->loader.join();
}

bool MidiSynth::Failed() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->state == State::Failed;
}

void MidiSynth::Play(const std::string& smf) {
    std::lock_guard lock(impl_->mutex);
    if (impl_->state == State::Loading) impl_->waiting = smf;
    if (impl_->state == State::Ready) impl_->StartLocked(smf);
}

void MidiSynth::Stop() {
    std::lock_guard lock(impl_->mutex);
    impl_->waiting.reset();
    if (impl_->state != State::Ready) return;
    AudioLock audioLock(impl_->device.id());
    impl_->DropTrackLocked();
}

MidiSynth::Mode MidiSynth::TrackMode() const {
    std::lock_guard lock(impl_->mutex);
    if (impl_->state != State::Ready) return Mode::NotReady;
    if (!impl_->player) return Mode::Stopped;
    AudioLock audioLock(impl_->device.id());
    return fluid_player_get_status(impl_->player.get()) == FLUID_PLAYER_DONE ? Mode::Stopped : Mode::Playing;
}

} // namespace linesaver
