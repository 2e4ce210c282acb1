#include "platform/sdl/sdl_audio.h"

#include <SDL.h>

#include <dlfcn.h>
#include <memory>

namespace linesaver {
namespace {

constexpr int kSampleRate = 44100;
constexpr Uint16 kFramesPerCallback = 2048; // about 46 ms: room for a sample load

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// ALSA, when SDL has loaded it, reports a missing sound card on stderr by
// itself; the music never reports.
void SilenceAlsa() {
    if (void* alsa = ::dlopen("libasound.so.2", RTLD_NOW | RTLD_NOLOAD)) {
        using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
        using SetHandler = int (*)(Handler);
        if (auto set = reinterpret_cast<SetHandler>(::dlsym(alsa, "snd_lib_error_set_handler"))) set(IgnoreAlsaError);
        ::dlclose(alsa);
    }
}

// An open device, closed (its callback finished) with its owner.
class SdlAudioStream final : public AudioStream {
public:
    SdlAudioStream(SDL_AudioDeviceID id, int sampleRate) : id_(id), sampleRate_(sampleRate) {}
    ~SdlAudioStream() override { SDL_CloseAudioDevice(id_); }
    SdlAudioStream(const SdlAudioStream&) = delete;
    SdlAudioStream& operator=(const SdlAudioStream&) = delete;

    int SampleRate() const override { return sampleRate_; }
    void Lock() noexcept override { SDL_LockAudioDevice(id_); }
    void Unlock() noexcept override { SDL_UnlockAudioDevice(id_); }
    void Start() override { SDL_PauseAudioDevice(id_, 0); }

private:
    SDL_AudioDeviceID id_;
    int sampleRate_;
};

// The audio thread's entry: the renderer fills the device's buffer.
void Fill(void* userdata, Uint8* stream, int length) {
    const int frames = length / static_cast<int>(2 * sizeof(float));
    static_cast<AudioRenderer*>(userdata)->Render(reinterpret_cast<float*>(stream), frames);
}

// SDL's audio subsystem, held while its owner lives.
class SdlAudioOutput final : public AudioOutput {
public:
    SdlAudioOutput() : started_(SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {}
    ~SdlAudioOutput() override {
        if (started_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    SdlAudioOutput(const SdlAudioOutput&) = delete;
    SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

    std::unique_ptr<AudioStream> Open(AudioRenderer& renderer) override {
        SDL_AudioSpec want{};
        want.freq = kSampleRate;
        want.format = AUDIO_F32SYS;
        want.channels = 2;
        want.samples = kFramesPerCallback;
        want.callback = Fill;
        want.userdata = &renderer;
        SDL_AudioSpec have{};
        const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
        if (id == 0) return nullptr;
        return std::make_unique<SdlAudioStream>(id, have.freq);
    }
    bool Started() const { return started_; }

private:
    bool started_;
};

} // namespace

std::unique_ptr<AudioOutput> MakeSdlAudioOutput() {
    auto output = std::make_unique<SdlAudioOutput>();
    if (!output->Started()) return nullptr;
    SilenceAlsa(); // after the subsystem has loaded its driver
    return output;
}

} // namespace linesaver
