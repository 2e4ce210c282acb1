#include "platform/fluidsynth/midi_synth.h"

#include "platform/fluidsynth/peak_limiter.h"

#include <fluidsynth.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

namespace linesaver {
namespace {

// The synth's master gain: the General MIDI soundfont at its default of
// 0.2 is faint; 0.6 leaves the demo tracks' peaks near -11 dBFS, where the
// limiter leaves them alone. Denser files go louder, and the limiter holds
// them under full scale.
constexpr double kGain = 0.6;

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

// What the stream's thread reads. Changed only under the stream's lock.
class SynthRenderer final : public AudioRenderer {
public:
    // The one place the synth renders, which also advances the MIDI player
    // (it runs on the synth's sample clock); the limiter keeps what the
    // synth makes of a loud file under full scale.
    void Render(float* samples, int frames) noexcept override {
        if (!synth || !player || fluid_synth_write_float(synth, frames, samples, 0, 2, samples, 1, 2) != FLUID_OK)
            std::memset(samples, 0, 2 * sizeof(float) * static_cast<std::size_t>(frames));
        if (limiter) limiter->Process(samples, frames);
    }

    fluid_synth_t* synth = nullptr;
    fluid_player_t* player = nullptr;
    std::optional<PeakLimiter> limiter;
};

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

// FluidSynth logs to stderr; the music never reports.
void SilenceFluidSynth() {
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) fluid_set_log_function(level, nullptr, nullptr);
}

enum class State { Loading, Ready, Failed };

} // namespace

struct MidiSynth::Impl {
    Impl(std::unique_ptr<AudioOutput> out, std::string font) : soundfont(std::move(font)), output(std::move(out)) {}

    void Load();
    void StartLocked(const std::string& smf);
    void DropTrackLocked();

    // Declared in the order of making; the stream goes first, so the
    // renderer has ended before the player and the synth are deleted.
    const std::string soundfont;
    const std::unique_ptr<AudioOutput> output;
    mutable std::mutex mutex; // guards everything below but renderer
    State state = State::Loading;
    std::optional<std::string> waiting; // a track to start once ready
    Instrument instrument;
    PlayerPtr player;
    SynthRenderer renderer;
    std::unique_ptr<AudioStream> stream;
    std::atomic<bool> closing{false};
    std::thread loader;
};

// The loader thread: opens the stream and builds the synth, then hands
// both over under the mutex.
void MidiSynth::Impl::Load() {
    std::unique_ptr<AudioStream> opened = output ? output->Open(renderer) : nullptr;
    Instrument loaded;
    if (opened && !closing) loaded = LoadInstrument(soundfont, opened->SampleRate());
    std::lock_guard lock(mutex);
    if (!opened || !loaded.synth) {
        state = State::Failed;
        waiting.reset();
        return;
    }
    instrument = std::move(loaded);
    stream = std::move(opened);
    {
        AudioStreamLock streamLock(*stream);
        renderer.synth = instrument.synth.get();
        renderer.limiter.emplace(stream->SampleRate());
    }
    state = State::Ready;
    if (waiting) StartLocked(*waiting);
    waiting.reset();
    stream->Start();
}

// The mutex is held and the synth is ready.
void MidiSynth::Impl::StartLocked(const std::string& smf) {
    AudioStreamLock streamLock(*stream);
    DropTrackLocked();
    PlayerPtr next(new_fluid_player(instrument.synth.get()));
    if (!next || fluid_player_add_mem(next.get(), smf.data(), smf.size()) != FLUID_OK ||
        fluid_player_play(next.get()) != FLUID_OK)
        return;
    player = std::move(next);
    renderer.player = player.get();
}

// The mutex and the stream's lock are held.
void MidiSynth::Impl::DropTrackLocked() {
    renderer.player = nullptr;
    if (player) fluid_player_stop(player.get());
    player.reset();
    fluid_synth_all_sounds_off(instrument.synth.get(), -1);
    renderer.limiter->Reset(); // the next track starts at full gain
}

MidiSynth::MidiSynth(std::unique_ptr<AudioOutput> output, std::string soundfont)
    : impl_(std::make_unique<Impl>(std::move(output), std::move(soundfont))) {
    SilenceFluidSynth();
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
    AudioStreamLock streamLock(*impl_->stream);
    impl_->DropTrackLocked();
}

MidiSynth::Mode MidiSynth::TrackMode() const {
    std::lock_guard lock(impl_->mutex);
    if (impl_->state != State::Ready) return Mode::NotReady;
    if (!impl_->player) return Mode::Stopped;
    AudioStreamLock streamLock(*impl_->stream);
    return fluid_player_get_status(impl_->player.get()) == FLUID_PLAYER_DONE ? Mode::Stopped : Mode::Playing;
}

} // namespace linesaver
