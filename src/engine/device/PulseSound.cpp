#include "engine/device/PulseSound.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>

namespace tonavise {

namespace {

// The library's error codes are positive and small; the device layer's own are positive too and
// PortAudio's are negative from -10000 on. The library's codes go below all of them.
constexpr DeviceResult kPulseCodeBase = -30000;
constexpr DeviceResult PulseCode(int error) {
    return kPulseCodeBase - (error > 0 ? error : PA_ERR_UNKNOWN);
}
bool IsPulseCode(DeviceResult code) {
    return code <= kPulseCodeBase && code > kPulseCodeBase - 1000;
}

// The name the desktop finds the program's icon by (the desktop entry's Icon).
constexpr const char* kIconName = "org.example.tonavise";
constexpr const char* kApplicationId = "org.example.tonavise";

// Capture arrives in fragments of about this length, and the source runs at this latency. A
// monitor source's sink then runs at it too, which matters: a stream that starts on a sink
// that has already rendered ahead is mixed into sound its monitor has already sent, so the
// monitor misses as much of the stream's start as the sink renders ahead (30 ms at 50 ms
// fragments, under 10 ms at these; at 20 ms the accent of a metronome's first click and 5 ms
// of a one-block recording were lost). The wake-ups cost about 0.3 % of a core.
constexpr pa_usec_t kCaptureFragmentUsec = 10'000;
// The output keeps about this much sound queued in the server, as the PortAudio back end does.
constexpr pa_usec_t kOutputLatencyUsec = 100'000;
// A running stream that moved no sound for this long has died (a server that hangs); a fresh
// stream is not watched for its first seconds.
constexpr double kStallSeconds = 1.0;
constexpr double kFirstSoundSeconds = 2.0;
// An output writes its first sound once the server has told the stream's timing; if that answer
// does not come within this time, it writes anyway, dating its sound from a safe guess.
constexpr pa_usec_t kTimingWaitUsec = 300'000;

}  // namespace

// The mainloop thread and the context, with the waits of the owner threads. Every method but
// the constructor and the destructor is called with the lock held (Lock).
class PulseConnection {
  public:
    PulseConnection() : loop_(pa_threaded_mainloop_new()) {
        if (loop_ != nullptr) {
            pa_threaded_mainloop_set_name(loop_, "tonavise-pulse");
            started_ = pa_threaded_mainloop_start(loop_) == 0;
        }
    }

    ~PulseConnection() {
        if (loop_ == nullptr) {
            return;
        }
        if (started_) {
            pa_threaded_mainloop_lock(loop_);
            Drop();
            pa_threaded_mainloop_unlock(loop_);
            pa_threaded_mainloop_stop(loop_);
        }
        pa_threaded_mainloop_free(loop_);
    }

    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    class Lock {
      public:
        explicit Lock(PulseConnection& c) : loop_(c.loop_) { pa_threaded_mainloop_lock(loop_); }
        ~Lock() { pa_threaded_mainloop_unlock(loop_); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

      private:
        pa_threaded_mainloop* loop_;
    };

    bool usable() const { return loop_ != nullptr && started_; }
    pa_context* context() const { return context_; }
    pa_threaded_mainloop* loop() const { return loop_; }

    // A ready context, connecting (again) when there is none or the server went away.
    DeviceResult EnsureConnected() {
        if (!usable()) {
            return PulseCode(PA_ERR_INTERNAL);
        }
        if (context_ != nullptr && pa_context_get_state(context_) == PA_CONTEXT_READY) {
            return kDeviceOk;
        }
        Drop();
        pa_proplist* props = pa_proplist_new();
        pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Tonavise");
        pa_proplist_sets(props, PA_PROP_APPLICATION_ID, kApplicationId);
        pa_proplist_sets(props, PA_PROP_APPLICATION_ICON_NAME, kIconName);
        context_ =
            pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_), "Tonavise", props);
        pa_proplist_free(props);
        if (context_ == nullptr) {
            return PulseCode(PA_ERR_INTERNAL);
        }
        pa_context_set_state_callback(context_, &PulseConnection::Signal, this);
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            const int error = pa_context_errno(context_);
            Drop();
            return PulseCode(error);
        }
        const bool answered = WaitFor([this] {
            const pa_context_state_t s = pa_context_get_state(context_);
            return s == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(s);
        });
        if (pa_context_get_state(context_) != PA_CONTEXT_READY) {
            const int error = answered ? pa_context_errno(context_) : PA_ERR_TIMEOUT;
            Drop();
            return PulseCode(error);
        }
        return kDeviceOk;
    }

    // Waits (the lock released meanwhile) until `done` holds or the server's answer time has
    // passed. True when it holds.
    template <typename Done>
    bool WaitFor(Done done, double seconds = kPulseAnswerSeconds) {
        if (done()) {
            return true;
        }
        struct Timer {
            pa_threaded_mainloop* loop;
            bool expired;
        } timer{loop_, false};
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
        timeval when{};
        pa_gettimeofday(&when);
        pa_timeval_add(&when, static_cast<pa_usec_t>(seconds * 1e6));
        pa_time_event* event = api->time_new(
            api,
            &when,
            [](pa_mainloop_api*, pa_time_event*, const timeval*, void* user) {
                auto* t = static_cast<Timer*>(user);
                t->expired = true;
                pa_threaded_mainloop_signal(t->loop, 0);
            },
            &timer);
        while (!done() && !timer.expired) {
            pa_threaded_mainloop_wait(loop_);
        }
        api->time_free(event);
        return done();
    }

    // Runs an operation to its end (or the answer time); false when it did not end.
    bool Finish(pa_operation* operation) {
        if (operation == nullptr) {
            return false;
        }
        const bool ended = WaitFor(
            [operation] { return pa_operation_get_state(operation) != PA_OPERATION_RUNNING; });
        if (!ended) {
            pa_operation_cancel(operation);
        }
        pa_operation_unref(operation);
        return ended;
    }

    // A state or an answer arrived: wake the waiting owner threads.
    static void Signal(pa_context*, void* user) {
        pa_threaded_mainloop_signal(static_cast<PulseConnection*>(user)->loop_, 0);
    }

  private:
    void Drop() {
        if (context_ != nullptr) {
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
            context_ = nullptr;
        }
    }

    pa_threaded_mainloop* loop_;
    bool started_ = false;
    pa_context* context_ = nullptr;
};

namespace {

// Source or sink lists and look-ups: the callbacks run on the mainloop thread while the owner
// waits, so they only touch the request they belong to.
struct DeviceQuery {
    PulseConnection* connection = nullptr;
    std::vector<SoundDeviceInfo> devices;
    bool found = false;

    template <typename Info>
    static void Add(pa_context*, const Info* info, int eol, void* user) {
        auto* q = static_cast<DeviceQuery*>(user);
        if (eol == 0 && info != nullptr) {
            q->found = true;
            q->devices.push_back({info->name != nullptr ? info->name : "",
                                  info->description != nullptr ? info->description : "",
                                  false});
        }
        pa_threaded_mainloop_signal(q->connection->loop(), 0);
    }
};

struct DefaultsQuery {
    PulseConnection* connection = nullptr;
    std::string source;
    std::string sink;

    static void Take(pa_context*, const pa_server_info* info, void* user) {
        auto* q = static_cast<DefaultsQuery*>(user);
        if (info != nullptr) {
            q->source = info->default_source_name != nullptr ? info->default_source_name : "";
            q->sink = info->default_sink_name != nullptr ? info->default_sink_name : "";
        }
        pa_threaded_mainloop_signal(q->connection->loop(), 0);
    }
};

bool DeviceExists(PulseConnection& c,
                  DeviceDirection direction,
                  const std::string& name,
                  std::string* description = nullptr) {
    DeviceQuery query{&c, {}, false};
    pa_operation* op =
        direction == DeviceDirection::Input
            ? pa_context_get_source_info_by_name(
                  c.context(), name.c_str(), &DeviceQuery::Add<pa_source_info>, &query)
            : pa_context_get_sink_info_by_name(
                  c.context(), name.c_str(), &DeviceQuery::Add<pa_sink_info>, &query);
    // A device that the server could not look up in time counts as there: the stream's own
    // connect then says what is wrong.
    const bool answered = c.Finish(op);
    if (description != nullptr && !query.devices.empty()) {
        *description = query.devices.front().description;
    }
    return !answered || query.found;
}

class PulseWaveDevice final : public WaveDevice {
  public:
    PulseWaveDevice(PulseSoundSystem& system,
                    PulseConnection& connection,
                    DeviceDirection direction,
                    StreamRole role)
        : WaveDevice(direction), system_(system), connection_(connection), role_(role) {}

    ~PulseWaveDevice() override { Close(); }

    PulseWaveDevice(const PulseWaveDevice&) = delete;
    PulseWaveDevice& operator=(const PulseWaveDevice&) = delete;

    std::string ErrorText(DeviceResult code) const override {
        return PulseSoundSystem::ErrorTextFor(code);
    }

  protected:
    DeviceResult BackendOpen(const WaveFormat& f) override {
        spec_.format = f.bitsPerSample == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
        spec_.rate = f.samplesPerSec;
        spec_.channels = static_cast<uint8_t>(f.channels);
        if (pa_sample_spec_valid(&spec_) == 0) {
            return kDeviceBadFormat;
        }
        bytesPerFrame_ = f.blockAlign;
        bytesPerSecond_ = f.avgBytesPerSec;
        {
            PulseConnection::Lock lock(connection_);
            if (const DeviceResult e = connection_.EnsureConnected(); e != kDeviceOk) {
                return e;
            }
        }
        deviceName_ = system_.ResolveDevice(direction());
        return kDeviceOk;
    }

    DeviceResult BackendStart() override {
        PulseConnection::Lock lock(connection_);
        if (const DeviceResult e = connection_.EnsureConnected(); e != kDeviceOk) {
            return e;
        }
        pa_proplist* props = pa_proplist_new();
        const std::string name(StreamName(role_));
        pa_proplist_sets(props, PA_PROP_MEDIA_NAME, name.c_str());
        pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "production");
        pa_proplist_sets(props, PA_PROP_MEDIA_ICON_NAME, kIconName);
        pa_proplist_sets(props, PA_PROP_APPLICATION_ICON_NAME, kIconName);
        stream_ = pa_stream_new_with_proplist(
            connection_.context(), name.c_str(), &spec_, nullptr, props);
        pa_proplist_free(props);
        if (stream_ == nullptr) {
            return PulseCode(pa_context_errno(connection_.context()));
        }
        carryBytes_ = 0;
        timingKnown_ = false;
        timingAsked_ = false;
        timingGuessed_ = false;
        pa_stream_set_state_callback(stream_, &PulseWaveDevice::StateChanged, this);
        const char* device = deviceName_.empty() ? nullptr : deviceName_.c_str();
        // A chosen device stays chosen: when it goes away the stream ends, and the owner
        // reopens on the default and says so, instead of the server moving the stream to
        // another device without a word.
        const auto chosen = deviceName_.empty() ? PA_STREAM_NOFLAGS : PA_STREAM_DONT_MOVE;
        const auto timing = static_cast<pa_stream_flags_t>(PA_STREAM_INTERPOLATE_TIMING |
                                                           PA_STREAM_AUTO_TIMING_UPDATE);
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<uint32_t>(-1);
        attr.prebuf = static_cast<uint32_t>(-1);
        attr.minreq = static_cast<uint32_t>(-1);
        int connected = 0;
        if (direction() == DeviceDirection::Input) {
            attr.tlength = static_cast<uint32_t>(-1);
            attr.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(kCaptureFragmentUsec, &spec_));
            pa_stream_set_read_callback(stream_, &PulseWaveDevice::Readable, this);
            pa_stream_set_overflow_callback(stream_, &PulseWaveDevice::Overflow, this);
            // Early requests: the server runs the source at the fragment's latency and sends
            // each fragment as it is complete. Capture dates its sound from the moment it reads
            // it, so it asks for no timing updates: they would wake the mainloop ten times a
            // second for nothing.
            const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_EARLY_REQUESTS | chosen);
            connected = pa_stream_connect_record(stream_, device, &attr, flags);
        } else {
            attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(kOutputLatencyUsec, &spec_));
            attr.fragsize = static_cast<uint32_t>(-1);
            pa_stream_set_write_callback(stream_, &PulseWaveDevice::Writable, this);
            // The output's latency is what it asks for: the server sizes the sink's buffer.
            const auto flags =
                static_cast<pa_stream_flags_t>(timing | PA_STREAM_ADJUST_LATENCY | chosen);
            connected = pa_stream_connect_playback(stream_, device, &attr, flags, nullptr, nullptr);
        }
        if (connected < 0) {
            const int error = pa_context_errno(connection_.context());
            TearDown();
            return PulseCode(error);
        }
        const bool answered = connection_.WaitFor([this] {
            const pa_stream_state_t s = pa_stream_get_state(stream_);
            return s == PA_STREAM_READY || !PA_STREAM_IS_GOOD(s);
        });
        if (pa_stream_get_state(stream_) != PA_STREAM_READY) {
            const int error = answered ? pa_context_errno(connection_.context()) : PA_ERR_TIMEOUT;
            TearDown();
            return PulseCode(error);
        }
        if (const pa_buffer_attr* a = pa_stream_get_buffer_attr(stream_);
            a != nullptr && direction() == DeviceDirection::Output) {
            requestSeconds_ = static_cast<double>(a->minreq) / bytesPerSecond_;
            // Sound written now is heard after what the stream holds and what the sink holds;
            // the stream asked the sink for about its own length, so twice that is late enough.
            guessedLatency_ = 2.0 * static_cast<double>(a->tlength) / bytesPerSecond_;
        }
        // From here a stream that fails is a failure of the running device. The callbacks run
        // under the lock this thread holds, so none sees the stream half set up.
        active_.store(true, std::memory_order_release);
        return kDeviceOk;
    }

    void BackendStop() override {
        PulseConnection::Lock lock(connection_);
        TearDown();
    }

    void BackendClose() override {}

    // The callbacks give every time in steady seconds; the stream's clock is the steady clock.
    double BackendStreamTime() const override { return SteadySeconds(); }
    double BackendStallSeconds() const override { return kStallSeconds; }
    double BackendFirstSoundSeconds() const override { return kFirstSoundSeconds; }

  private:
    // Lock held. After it no callback of this device runs again.
    void TearDown() {
        active_.store(false, std::memory_order_release);
        StopTimingTimer();
        DropTimingRequest(true);
        if (stream_ == nullptr) {
            return;
        }
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_set_read_callback(stream_, nullptr, nullptr);
        pa_stream_set_write_callback(stream_, nullptr, nullptr);
        pa_stream_set_overflow_callback(stream_, nullptr, nullptr);
        if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream_))) {
            pa_stream_disconnect(stream_);
        }
        pa_stream_unref(stream_);
        stream_ = nullptr;
    }

    // Output: seconds until a byte written now is heard; a late guess while the server has not
    // reported the stream's timing (its answer was lost), 0 when it reports sound already due.
    double Latency(pa_stream* stream) const {
        pa_usec_t usec = 0;
        int negative = 0;
        const int known = pa_stream_get_latency(stream, &usec, &negative);
        if (known != 0) {
            return timingGuessed_ ? guessedLatency_ : 0.0;
        }
        if (negative != 0) {
            return 0.0;
        }
        double seconds = static_cast<double>(usec) / 1e6;
        // The library's stream time does not go below zero: until the sink has played its own
        // latency's worth of the stream, the latency above leaves out what the sink still
        // holds before the stream's first byte. Added here, so that a short sound is not
        // taken as heard before its end has been.
        if (const pa_timing_info* t = pa_stream_get_timing_info(stream); t != nullptr) {
            const pa_usec_t played =
                pa_bytes_to_usec(t->read_index > 0 ? static_cast<uint64_t>(t->read_index) : 0,
                                 &spec_) +
                t->transport_usec;
            if (played < t->sink_usec) {
                seconds += static_cast<double>(t->sink_usec - played) / 1e6;
            }
        }
        return seconds;
    }

    // Mainloop thread, for the callbacks below.
    static void StateChanged(pa_stream* stream, void* user) {
        auto* self = static_cast<PulseWaveDevice*>(user);
        pa_threaded_mainloop_signal(self->connection_.loop(), 0);
        if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream)) &&
            self->active_.load(std::memory_order_acquire)) {
            self->ReportFailure(kDeviceStreamEnded);
        }
    }

    static void Overflow(pa_stream*, void* user) {
        static_cast<PulseWaveDevice*>(user)->NoteOverrun();
    }

    static void Readable(pa_stream* stream, std::size_t, void* user) {
        auto* self = static_cast<PulseWaveDevice*>(user);
        // Everything readable has been captured by now: each fragment's first byte at the
        // latest the time of the bytes from it to the end before now. (The server's latency
        // report would date it earlier, but on a source that renders in long periods it
        // dates sound before it was made.)
        const double now = SteadySeconds();
        std::size_t readable = pa_stream_readable_size(stream);
        if (readable == static_cast<std::size_t>(-1)) {
            readable = 0;
        }
        for (;;) {
            const void* data = nullptr;
            std::size_t bytes = 0;
            if (pa_stream_peek(stream, &data, &bytes) < 0 || bytes == 0) {
                return;
            }
            if (data != nullptr) {
                const double age =
                    static_cast<double>(std::max(readable, bytes)) / self->bytesPerSecond_;
                self->Capture(static_cast<const uint8_t*>(data), bytes, now - age);
            } else {
                self->NoteOverrun();  // a hole: the server lost this much input
            }
            readable -= std::min(readable, bytes);
            pa_stream_drop(stream);
        }
    }

    void Capture(const uint8_t* data, std::size_t bytes, double adc) {
        std::size_t used = 0;
        // A frame split between two fragments is put together first.
        if (carryBytes_ > 0) {
            const std::size_t n = std::min(bytesPerFrame_ - carryBytes_, bytes);
            std::memcpy(carry_.data() + carryBytes_, data, n);
            carryBytes_ += n;
            used = n;
            if (carryBytes_ == bytesPerFrame_) {
                ProcessInput(carry_.data(), bytesPerFrame_, adc);
                adc += static_cast<double>(bytesPerFrame_) / bytesPerSecond_;
                carryBytes_ = 0;
            }
        }
        const std::size_t whole = (bytes - used) - (bytes - used) % bytesPerFrame_;
        if (whole > 0) {
            ProcessInput(data + used, whole, adc);
            used += whole;
        }
        if (used < bytes) {
            std::memcpy(carry_.data(), data + used, bytes - used);
            carryBytes_ = bytes - used;
        }
    }

    // Nothing is written before the server has told the stream's timing: the time at which
    // the first bytes are heard (and so when the last one has been) would be a guess, and a
    // short sound would be closed before its end is heard.
    // The wait for the timing is bounded: a stream whose answer never comes (lost, or a request
    // the library refused) starts after kTimingWaitUsec with a guessed latency. The first of
    // the answer and the timer starts the writing; the other finds the timing known.
    static void TimingArrived(pa_stream* stream, int, void* user) {
        auto* self = static_cast<PulseWaveDevice*>(user);
        self->DropTimingRequest(false);
        if (self->timingKnown_ || stream != self->stream_) {
            return;
        }
        self->timingKnown_ = true;
        self->StopTimingTimer();
        Writable(stream, pa_stream_writable_size(stream), self);
    }

    static void TimingOverdue(pa_mainloop_api* api,
                              pa_time_event* event,
                              const timeval*,
                              void* user) {
        auto* self = static_cast<PulseWaveDevice*>(user);
        api->time_free(event);
        self->timingTimer_ = nullptr;
        if (self->timingKnown_ || self->stream_ == nullptr) {
            return;
        }
        self->timingKnown_ = true;
        self->timingGuessed_ = true;
        Writable(self->stream_, pa_stream_writable_size(self->stream_), self);
    }

    // A stream torn down right after its open (a play stopped as it starts) still has its timing
    // request out: the request is cancelled with the stream, so that its answer never starts a
    // write to a stream that is gone or to this device's next stream.
    void DropTimingRequest(bool cancel) {
        if (timingRequest_ != nullptr) {
            if (cancel) {
                pa_operation_cancel(timingRequest_);
            }
            pa_operation_unref(timingRequest_);
            timingRequest_ = nullptr;
        }
    }

    void StopTimingTimer() {
        if (timingTimer_ != nullptr) {
            pa_mainloop_api* api = pa_threaded_mainloop_get_api(connection_.loop());
            api->time_free(timingTimer_);
            timingTimer_ = nullptr;
        }
    }

    void AskForTiming(pa_stream* stream) {
        timingAsked_ = true;
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(connection_.loop());
        timeval when{};
        pa_gettimeofday(&when);
        pa_timeval_add(&when, kTimingWaitUsec);
        timingTimer_ = api->time_new(api, &when, &PulseWaveDevice::TimingOverdue, this);
        if (system_.TimingAnswersLost()) {
            return;
        }
        timingRequest_ =
            pa_stream_update_timing_info(stream, &PulseWaveDevice::TimingArrived, this);
    }

    static void Writable(pa_stream* stream, std::size_t requested, void* user) {
        auto* self = static_cast<PulseWaveDevice*>(user);
        if (!self->timingKnown_) {
            if (!self->timingAsked_) {
                self->AskForTiming(stream);
            }
            return;
        }
        while (requested > 0 && requested != static_cast<std::size_t>(-1)) {
            void* data = nullptr;
            std::size_t bytes = requested;
            if (pa_stream_begin_write(stream, &data, &bytes) < 0 || data == nullptr) {
                return;
            }
            bytes = std::min(bytes, requested);
            bytes -= bytes % self->bytesPerFrame_;
            if (bytes == 0) {
                pa_stream_cancel_write(stream);
                return;
            }
            const double now = SteadySeconds();
            const double dac = now + self->Latency(stream);
            // The end counts as heard one request later than the latency says: the sink's
            // fill, and with it the latency, varies by up to a request between two reports.
            self->ProcessOutput(
                static_cast<uint8_t*>(data), bytes, dac, dac, now - self->requestSeconds_);
            if (pa_stream_write(stream, data, bytes, nullptr, 0, PA_SEEK_RELATIVE) < 0) {
                return;
            }
            requested -= bytes;
        }
    }

    PulseSoundSystem& system_;
    PulseConnection& connection_;
    const StreamRole role_;
    pa_sample_spec spec_{};
    std::string deviceName_;  // empty: the server's default
    std::size_t bytesPerFrame_ = 2;
    double bytesPerSecond_ = 88200.0;
    pa_stream* stream_ = nullptr;  // under the lock
    // The device is running: a stream that ends now has failed.
    std::atomic<bool> active_{false};
    // Mainloop thread: the start of a frame that the next fragment completes.
    std::array<uint8_t, 4> carry_{};
    std::size_t carryBytes_ = 0;
    // Mainloop thread (and the owner under the lock before the stream connects): whether the
    // output's timing has arrived, and whether it was asked for.
    bool timingKnown_ = false;
    bool timingAsked_ = false;
    bool timingGuessed_ = false;  // the answer did not come: Latency() guesses
    pa_time_event* timingTimer_ = nullptr;
    pa_operation* timingRequest_ = nullptr;  // the pending timing request, if any
    double requestSeconds_ = 0.0;            // the server's write request size, in seconds
    double guessedLatency_ = 0.2;
};

}  // namespace

PulseSoundSystem::PulseSoundSystem() : connection_(std::make_unique<PulseConnection>()) {
    PulseConnection::Lock lock(*connection_);
    initResult_ = connection_->EnsureConnected();
}

PulseSoundSystem::~PulseSoundSystem() = default;

bool PulseSoundSystem::ServerHung() const {
    return initResult_ == PulseCode(PA_ERR_TIMEOUT);
}

std::unique_ptr<WaveDevice> PulseSoundSystem::Create(DeviceDirection direction, StreamRole role) {
    return std::make_unique<PulseWaveDevice>(*this, *connection_, direction, role);
}

std::vector<SoundDeviceInfo> PulseSoundSystem::Devices(DeviceDirection direction) {
    PulseConnection::Lock lock(*connection_);
    if (connection_->EnsureConnected() != kDeviceOk) {
        return {};
    }
    pa_context* context = connection_->context();
    DefaultsQuery defaults{connection_.get(), {}, {}};
    connection_->Finish(pa_context_get_server_info(context, &DefaultsQuery::Take, &defaults));
    DeviceQuery query{connection_.get(), {}, false};
    const bool input = direction == DeviceDirection::Input;
    connection_->Finish(
        input ? pa_context_get_source_info_list(context, &DeviceQuery::Add<pa_source_info>, &query)
              : pa_context_get_sink_info_list(context, &DeviceQuery::Add<pa_sink_info>, &query));
    const std::string& defaultName = input ? defaults.source : defaults.sink;
    for (SoundDeviceInfo& d : query.devices) {
        d.isDefault = d.name == defaultName;
        NoteDescription(d.name, d.description);
    }
    return query.devices;
}

bool PulseSoundSystem::IsPresent(DeviceDirection direction, const std::string& name) {
    PulseConnection::Lock lock(*connection_);
    if (connection_->EnsureConnected() != kDeviceOk) {
        return false;
    }
    std::string description;
    const bool present = DeviceExists(*connection_, direction, name, &description);
    NoteDescription(name, description);
    return present;
}

std::string PulseSoundSystem::ResolveDevice(DeviceDirection direction) {
    std::string chosen = ChosenDevice(direction);
    if (chosen.empty()) {
        return {};
    }
    bool exists = true;
    std::string description;
    std::string fallback;  // the default's description, when the chosen device is missing
    {
        PulseConnection::Lock lock(*connection_);
        exists = connection_->EnsureConnected() != kDeviceOk ||
                 DeviceExists(*connection_, direction, chosen, &description);
        if (!exists) {
            DefaultsQuery defaults{connection_.get(), {}, {}};
            connection_->Finish(pa_context_get_server_info(
                connection_->context(), &DefaultsQuery::Take, &defaults));
            const std::string& name =
                direction == DeviceDirection::Input ? defaults.source : defaults.sink;
            if (!name.empty()) {
                DeviceExists(*connection_, direction, name, &fallback);
                NoteDescription(name, fallback);
            }
        }
    }
    if (!exists) {
        NoteMissing(direction, chosen);
        NoteOpened(direction, fallback);
        return {};
    }
    NoteDescription(chosen, description);
    NoteMissing(direction, {});
    NoteOpened(direction, Description(chosen));
    return chosen;
}

std::string PulseSoundSystem::ErrorTextFor(DeviceResult code) {
    if (IsPulseCode(code)) {
        return std::string("Sound server: ") + pa_strerror(kPulseCodeBase - code);
    }
    return std::string(DeviceResultText(code));
}

}  // namespace tonavise
