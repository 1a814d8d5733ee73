#include "engine/device/PortAudioSound.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <portaudio.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace tonavise {

namespace {

// Output latency asked of the sound system. The sound server keeps about this much sound
// queued: enough that a busy machine does not starve the stream, small enough that a stop is
// heard at once.
constexpr double kMinOutputLatency = 0.1;
// A running stream that has had no callback for this long has died (a sound server that went
// away stops the callbacks without a word). A fresh stream may go without callbacks for up to
// two seconds on a server's first use, and for 1.1-1.5 s after its priming callbacks: it is
// watched from three seconds after its start.
constexpr double kStallSeconds = 1.0;
constexpr double kFirstSoundSeconds = 3.0;

void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}
void QuietJack(const char*) {}

// ALSA's and JACK's libraries print their probing on stderr while PortAudio looks for devices.
// JACK is a dependency of PortAudio only on some systems, so its hooks are looked up at run
// time instead of being linked.
void SilenceBackendChatter() {
    static std::once_flag once;
    std::call_once(once, [] {
        snd_lib_error_set_handler(QuietAlsa);
        using JackPrinter = void (*)(void (*)(const char*));
        for (const char* name : {"jack_set_error_function", "jack_set_info_function"}) {
            if (void* symbol = dlsym(RTLD_DEFAULT, name)) {
                reinterpret_cast<JackPrinter>(symbol)(QuietJack);
            }
        }
    });
}

// The default device of the ALSA host API (the desktop's shared device), else PortAudio's
// default.
PaDeviceIndex DefaultDevice(DeviceDirection direction) {
    const bool input = direction == DeviceDirection::Input;
    const PaHostApiIndex alsa = Pa_HostApiTypeIdToHostApiIndex(paALSA);
    if (alsa >= 0) {
        if (const PaHostApiInfo* info = Pa_GetHostApiInfo(alsa)) {
            const PaDeviceIndex d = input ? info->defaultInputDevice : info->defaultOutputDevice;
            if (d != paNoDevice) {
                return d;
            }
        }
    }
    return input ? Pa_GetDefaultInputDevice() : Pa_GetDefaultOutputDevice();
}

class PortAudioDevice final : public WaveDevice {
  public:
    PortAudioDevice(PortAudioSystem& system, DeviceDirection direction)
        : WaveDevice(direction), system_(system) {}

    ~PortAudioDevice() override {
        Close();
        if (stream_ != nullptr) {
            const auto lock = system_.LockStreams();
            Pa_CloseStream(stream_);
            system_.NoteClosed();
        }
    }

    std::string ErrorText(DeviceResult code) const override {
        return PortAudioSystem::ErrorTextFor(code);
    }

  protected:
    DeviceResult BackendOpen(const WaveFormat& f) override {
        const auto lock = system_.LockStreams();
        const DeviceResult result = OpenStream(f);
        system_.NoteOpen(result == kDeviceOk);
        return result;
    }

    DeviceResult OpenStream(const WaveFormat& f) {
        if (const DeviceResult init = system_.RefreshIfStale(); init != paNoError) {
            return init;
        }
        const bool input = direction() == DeviceDirection::Input;
        const PaDeviceIndex device = system_.DeviceToOpen(direction());
        if (device == paNoDevice) {
            return paInvalidDevice;
        }
        const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
        if (info == nullptr) {
            return paInvalidDevice;
        }
        PaStreamParameters p{};
        p.device = device;
        p.channelCount = f.channels;
        p.sampleFormat = f.bitsPerSample == 8 ? paUInt8 : paInt16;
        // Input at the low latency: the sound reaches the tuner in pieces of 10 ms, and a
        // larger period would hold a new note back by as much.
        p.suggestedLatency = input ? info->defaultLowInputLatency
                                   : std::max(info->defaultHighOutputLatency, kMinOutputLatency);
        p.hostApiSpecificStreamInfo = nullptr;
        bytesPerFrame_ = f.blockAlign;
        // The callback takes whatever period the host offers; the device layer cuts the
        // sound into the queued buffers.
        const PaError e = Pa_OpenStream(&stream_,
                                        input ? &p : nullptr,
                                        input ? nullptr : &p,
                                        f.samplesPerSec,
                                        paFramesPerBufferUnspecified,
                                        input ? paNoFlag : paPrimeOutputBuffersUsingStreamCallback,
                                        &PortAudioDevice::Callback,
                                        this);
        if (e != paNoError) {
            stream_ = nullptr;
            return e;
        }
        Pa_SetStreamFinishedCallback(stream_, &PortAudioDevice::Finished);
        return kDeviceOk;
    }

    DeviceResult BackendStart() override {
        stopping_.store(false, std::memory_order_release);
        const PaError e = Pa_StartStream(stream_);
        return e == paNoError ? kDeviceOk : e;
    }

    void BackendStop() override {
        // Abort, never stop: a stop drains the stream and can wait forever on a server that
        // does not play. Abort joins the callback thread before it returns.
        stopping_.store(true, std::memory_order_release);
        if (Pa_IsStreamStopped(stream_) == 0) {
            Pa_AbortStream(stream_);
        }
    }

    double BackendStallSeconds() const override { return kStallSeconds; }
    double BackendFirstSoundSeconds() const override { return kFirstSoundSeconds; }

    void BackendClose() override {
        const auto lock = system_.LockStreams();
        Pa_CloseStream(stream_);
        stream_ = nullptr;
        system_.NoteClosed();
    }

    double BackendStreamTime() const override { return Pa_GetStreamTime(stream_); }

  private:
    // The stream became inactive. Unless we stopped it, the host ended it: the server went
    // away or the device failed.
    static void Finished(void* user) {
        auto* self = static_cast<PortAudioDevice*>(user);
        if (!self->stopping_.load(std::memory_order_acquire)) {
            self->ReportFailure(kDeviceStreamEnded);
        }
    }

    static int Callback(const void* input,
                        void* output,
                        unsigned long frames,
                        const PaStreamCallbackTimeInfo* time,
                        PaStreamCallbackFlags status,
                        void* user) {
        auto* self = static_cast<PortAudioDevice*>(user);
        if ((status & paInputOverflow) != 0) {
            self->NoteOverrun();
        }
        const double steadyNow = SteadySeconds();
        const std::size_t bytes = frames * self->bytesPerFrame_;
        if (input != nullptr) {
            // The capture time that ALSA's PulseAudio plugin reports through PortAudio can be
            // off by most of a second; the callback's own clock is the honest bound: its last
            // frame has been captured by now.
            const double duration = static_cast<double>(frames) / self->format().samplesPerSec;
            self->ProcessInput(static_cast<const uint8_t*>(input), bytes, steadyNow - duration);
        }
        if (output != nullptr) {
            const double now = time != nullptr && time->currentTime > 0
                                   ? time->currentTime
                                   : Pa_GetStreamTime(self->stream_);
            double dac =
                time != nullptr && time->outputBufferDacTime > 0 ? time->outputBufferDacTime : now;
            dac = std::max(dac, now);
            self->ProcessOutput(
                static_cast<uint8_t*>(output), bytes, dac, steadyNow + (dac - now), now);
        }
        return paContinue;
    }

    PortAudioSystem& system_;
    PaStream* stream_ = nullptr;
    std::atomic<bool> stopping_{false};  // the owner stops the stream: its end is no failure
    std::size_t bytesPerFrame_ = 2;
};

}  // namespace

PortAudioSystem::PortAudioSystem() {
    SilenceBackendChatter();
    initResult_ = Pa_Initialize();
}

PortAudioSystem::~PortAudioSystem() {
    if (initResult_ == paNoError) {
        Pa_Terminate();
    }
}

std::unique_ptr<WaveDevice> PortAudioSystem::Create(DeviceDirection direction,
                                                    StreamRole /*role*/) {
    return std::make_unique<PortAudioDevice>(*this, direction);
}

DeviceResult PortAudioSystem::RefreshIfStale() {
    if (stale_ && openStreams_ == 0) {
        stale_ = false;
        if (initResult_ == paNoError) {
            Pa_Terminate();
        }
        initResult_ = Pa_Initialize();
    }
    return initResult_;
}

void PortAudioSystem::NoteOpen(bool opened) {
    if (opened) {
        ++openStreams_;
    } else {
        stale_ = true;
    }
}

void PortAudioSystem::NoteClosed() {
    openStreams_ = std::max(0, openStreams_ - 1);
}

namespace {

// The ALSA devices PortAudio lists for `direction` (those of its default's host interface), by
// index; PortAudio must be started.
std::vector<PaDeviceIndex> ListedDevices(DeviceDirection direction) {
    const bool input = direction == DeviceDirection::Input;
    const PaDeviceIndex fallback = DefaultDevice(direction);
    const PaDeviceInfo* defaultInfo = fallback != paNoDevice ? Pa_GetDeviceInfo(fallback) : nullptr;
    std::vector<PaDeviceIndex> list;
    for (PaDeviceIndex d = 0, n = Pa_GetDeviceCount(); d < n; ++d) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(d);
        if (info == nullptr || info->name == nullptr ||
            (input ? info->maxInputChannels : info->maxOutputChannels) <= 0 ||
            (defaultInfo != nullptr && info->hostApi != defaultInfo->hostApi)) {
            continue;
        }
        list.push_back(d);
    }
    return list;
}

}  // namespace

std::vector<SoundDeviceInfo> PortAudioSystem::Devices(DeviceDirection direction) {
    const auto lock = LockStreams();
    std::vector<SoundDeviceInfo> list;
    if (RefreshIfStale() != paNoError) {
        return list;
    }
    const PaDeviceIndex fallback = DefaultDevice(direction);
    for (const PaDeviceIndex d : ListedDevices(direction)) {
        const std::string name = Pa_GetDeviceInfo(d)->name;
        NoteDescription(name, name);
        list.push_back({name, name, d == fallback});
    }
    return list;
}

int PortAudioSystem::DeviceToOpen(DeviceDirection direction) {
    const std::string chosen = ChosenDevice(direction);
    PaDeviceIndex device = DefaultDevice(direction);
    bool found = chosen.empty();
    for (const PaDeviceIndex d : found ? std::vector<PaDeviceIndex>{} : ListedDevices(direction)) {
        if (chosen == Pa_GetDeviceInfo(d)->name) {
            device = d;
            found = true;
            break;
        }
    }
    NoteMissing(direction, found ? std::string() : chosen);
    const PaDeviceInfo* info = device != paNoDevice ? Pa_GetDeviceInfo(device) : nullptr;
    NoteOpened(direction, info != nullptr && info->name != nullptr ? info->name : "");
    return device;
}

bool PortAudioSystem::HasDefaultDevices() const {
    return initResult_ == paNoError && DefaultDevice(DeviceDirection::Input) != paNoDevice &&
           DefaultDevice(DeviceDirection::Output) != paNoDevice;
}

std::string PortAudioSystem::ErrorTextFor(DeviceResult code) {
    if (code < 0) {
        std::string text = Pa_GetErrorText(code);
        if (code == paUnanticipatedHostError) {
            if (const PaHostErrorInfo* host = Pa_GetLastHostErrorInfo();
                host != nullptr && host->errorText != nullptr && host->errorText[0] != '\0') {
                text += ": ";
                text += host->errorText;
            }
        }
        return text;
    }
    return std::string(DeviceResultText(code));
}

}  // namespace tonavise
