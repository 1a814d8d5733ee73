#include "engine/device/SoundDevice.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <numbers>
#include <thread>

#include "engine/core/Notifier.h"

namespace tonavise {

std::string_view DeviceResultText(DeviceResult code) {
    switch (code) {
        case kDeviceOk:
            return "No error.";
        case kDeviceError:
            return "An unspecified error occurred in the sound device.";
        case kDeviceAlreadyOpen:
            return "The sound device is already open.";
        case kDeviceNotOpen:
            return "The sound device is not open.";
        case kDeviceNoDriver:
            return "No sound device is available.";
        case kDeviceInvalidParam:
            return "An invalid parameter was passed to the sound device.";
        case kDeviceBadFormat:
            return "The sound device does not support this wave format.";
        case kDeviceStillPlaying:
            return "The buffer is still queued in the sound device.";
        case kDeviceUnprepared:
            return "The buffer has not been prepared.";
        case kDeviceStreamEnded:
            return "The sound system ended the sound stream.";
        case kDeviceNoSound:
            return "The sound device stopped moving sound.";
        default:
            return "Unknown sound device error.";
    }
}

void WaveHeader::Describe(void* buffer, uint32_t length) {
    data = static_cast<uint8_t*>(buffer);
    bufferLength = length;
    bytesRecorded.store(0, std::memory_order_relaxed);
    user = 0;
    flags.store(0, std::memory_order_relaxed);
}

const uint8_t* SharedPlayData::BeginRead() noexcept {
    // acq_rel: the acquire sees the copy the writer published; the reading flag is set in the
    // same step as the index is taken, so the writer knows which copy may be in use.
    const uint32_t s = state_.fetch_or(kReading, std::memory_order_acq_rel);
    return copies_[s & kPublished];
}

void SharedPlayData::EndRead() noexcept {
    state_.fetch_and(~kReading, std::memory_order_release);
    readsEnded_.fetch_add(1, std::memory_order_release);
}

uint8_t* SharedPlayData::WriteCopy() {
    if (readMayHoldBack_) {
        // A read was in progress when the other copy was published: it may still be reading
        // this one. It ends within one callback's copy.
        while ((state_.load(std::memory_order_acquire) & kReading) != 0 &&
               readsEnded_.load(std::memory_order_acquire) == readsEndedAtPublish_) {
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        readMayHoldBack_ = false;
    }
    return copies_[1 - (state_.load(std::memory_order_acquire) & kPublished)];
}

void SharedPlayData::Publish() {
    const uint32_t s = state_.fetch_xor(kPublished, std::memory_order_acq_rel);
    readMayHoldBack_ = (s & kReading) != 0;
    readsEndedAtPublish_ = readsEnded_.load(std::memory_order_acquire);
}

const uint8_t* SharedPlayData::Published() const {
    return copies_[state_.load(std::memory_order_acquire) & kPublished];
}

WaveDevice::WaveDevice(DeviceDirection direction) : direction_(direction) {}

WaveDevice::~WaveDevice() = default;

namespace {

bool SupportedFormat(const WaveFormat& f) {
    return f.formatTag == kFormatPcm && (f.channels == 1 || f.channels == 2) &&
           (f.bitsPerSample == 8 || f.bitsPerSample == 16) && f.samplesPerSec >= 1000 &&
           f.samplesPerSec <= 192000 && f.blockAlign == f.channels * f.bitsPerSample / 8 &&
           f.avgBytesPerSec == f.samplesPerSec * f.blockAlign;
}

}  // namespace

DeviceResult WaveDevice::Open(const WaveFormat& format, DeviceOwner& owner) {
    if (IsOpen()) {
        return kDeviceAlreadyOpen;
    }
    if (!SupportedFormat(format)) {
        return kDeviceBadFormat;
    }
    format_ = format;
    running_.store(false, std::memory_order_relaxed);
    paused_.store(false, std::memory_order_relaxed);
    startHeld_ = false;
    delivered_.store(0, std::memory_order_relaxed);
    head_.store(0, std::memory_order_relaxed);
    tail_.store(0, std::memory_order_relaxed);
    frontOffset_.store(0, std::memory_order_relaxed);
    processedBytes_.store(0, std::memory_order_relaxed);
    droppedFrames_.store(0, std::memory_order_relaxed);
    overruns_.store(0, std::memory_order_relaxed);
    unheard_.store(false, std::memory_order_relaxed);
    playedOut_.store(false, std::memory_order_relaxed);
    failure_.store(kDeviceOk, std::memory_order_relaxed);
    failureDelivered_.store(false, std::memory_order_relaxed);
    records_.Clear();
    owner_.store(&owner, std::memory_order_release);
    const DeviceResult result = BackendOpen(format);
    if (result != kDeviceOk) {
        owner_.store(nullptr, std::memory_order_release);
        return result;
    }
    open_.store(true, std::memory_order_release);
    owner.addCompletionSource(*this);
    BackendNotify();
    return kDeviceOk;
}

DeviceResult WaveDevice::Close() {
    if (!IsOpen()) {
        return kDeviceNotOpen;
    }
    Reset();
    PostUndelivered();
    if (DeviceOwner* owner = owner_.load(std::memory_order_acquire)) {
        owner->removeCompletionSource(*this);
    }
    BackendClose();
    open_.store(false, std::memory_order_release);
    owner_.store(nullptr, std::memory_order_release);
    BackendNotify();
    return kDeviceOk;
}

// The device leaves its owner's sources: completions its worker has not taken yet go into the
// owner's queue, so every buffer still gets its one completion.
void WaveDevice::PostUndelivered() {
    DeviceOwner* owner = owner_.load(std::memory_order_acquire);
    DeviceEvent event;
    while (TakeCompletion(event, std::numeric_limits<uint64_t>::max())) {
        if (owner != nullptr &&
            (event.kind == DeviceEvent::Kind::Filled || event.kind == DeviceEvent::Kind::Played)) {
            owner->deliverLater(event);
        }
    }
}

DeviceResult WaveDevice::Prepare(WaveHeader& header) {
    if (!IsOpen()) {
        return kDeviceNotOpen;
    }
    if (header.data == nullptr || header.bufferLength == 0) {
        return kDeviceInvalidParam;
    }
    header.flags.fetch_or(kHeaderPrepared, std::memory_order_relaxed);
    return kDeviceOk;
}

DeviceResult WaveDevice::Unprepare(WaveHeader& header) {
    if (!IsOpen()) {
        return kDeviceNotOpen;
    }
    if (header.flags.load(std::memory_order_relaxed) & kHeaderInQueue) {
        return kDeviceStillPlaying;
    }
    header.flags.fetch_and(~kHeaderPrepared, std::memory_order_relaxed);
    return kDeviceOk;
}

DeviceResult WaveDevice::Queue(WaveHeader& header) {
    if (!IsOpen()) {
        return kDeviceNotOpen;
    }
    const uint32_t f = header.flags.load(std::memory_order_relaxed);
    if ((f & kHeaderPrepared) == 0) {
        return kDeviceUnprepared;
    }
    if (f & kHeaderInQueue) {
        return kDeviceStillPlaying;
    }
    const std::size_t tail = tail_.load(std::memory_order_relaxed);
    if (tail - delivered_.load(std::memory_order_acquire) >= kQueueCapacity) {
        return kDeviceError;
    }
    header.bytesRecorded.store(0, std::memory_order_relaxed);
    header.flags.store((f & ~kHeaderDone) | kHeaderInQueue, std::memory_order_relaxed);
    ring_[tail % kQueueCapacity].store(&header, std::memory_order_relaxed);
    // release: the header, its flags and (output) its data are visible to the audio thread.
    tail_.store(tail + 1, std::memory_order_release);
    DeviceResult result = kDeviceOk;
    if (direction_ == DeviceDirection::Output) {
        result = StartIfIdle();
    }
    BackendNotify();
    return result;
}

DeviceResult WaveDevice::StartIfIdle() {
    if (IsRunning() || paused_.load(std::memory_order_relaxed) || startHeld_) {
        return kDeviceOk;
    }
    watchedCallbacks_.store(callbacks_.load(std::memory_order_relaxed), std::memory_order_relaxed);
    watchedSince_.store(SteadySeconds(), std::memory_order_relaxed);
    startedAt_.store(SteadySeconds(), std::memory_order_relaxed);
    const DeviceResult result = BackendStart();
    if (result == kDeviceOk) {
        running_.store(true, std::memory_order_release);
    }
    return result;
}

DeviceResult WaveDevice::HoldStart() {
    if (!IsOpen()) {
        return kDeviceNotOpen;
    }
    if (direction_ != DeviceDirection::Output) {
        return kDeviceInvalidParam;
    }
    startHeld_ = true;
    return kDeviceOk;
}

DeviceResult WaveDevice::Start() {
    if (!IsOpen()) {
        return kDeviceNotOpen;
    }
    DeviceResult result = kDeviceOk;
    if (direction_ == DeviceDirection::Input) {
        result = StartIfIdle();
    } else {
        startHeld_ = false;
        if (QueuedCount() > 0) {
            result = StartIfIdle();
        }
    }
    BackendNotify();
    return result;
}

DeviceResult WaveDevice::Reset() {
    if (!IsOpen()) {
        return kDeviceNotOpen;
    }
    if (IsRunning()) {
        BackendStop();
        running_.store(false, std::memory_order_release);
    }
    DrainQueue();
    paused_.store(false, std::memory_order_relaxed);
    fadeRequest_.store(0, std::memory_order_relaxed);
    fade_.store(Fade::None, std::memory_order_relaxed);
    processedBytes_.store(0, std::memory_order_relaxed);
    unheard_.store(false, std::memory_order_relaxed);
    playedOut_.store(false, std::memory_order_relaxed);
    records_.Clear();
    WakeOwner();
    BackendNotify();
    return kDeviceOk;
}

DeviceResult WaveDevice::Pause() {
    if (!IsOpen()) {
        return kDeviceNotOpen;
    }
    if (direction_ != DeviceDirection::Output) {
        return kDeviceInvalidParam;
    }
    paused_.store(true, std::memory_order_relaxed);
    BackendNotify();
    return kDeviceOk;
}

void WaveDevice::RequestFade(Fade fade, int frames, int64_t fromByte) {
    fadeFromRequest_.store(fromByte, std::memory_order_relaxed);
    // release: the audio thread that takes the request sees everything the owner did before,
    // the place where the fade begins among it.
    fadeRequest_.store(static_cast<uint64_t>(fade) << 32 | static_cast<uint32_t>(frames),
                       std::memory_order_release);
}

DeviceResult WaveDevice::Pause(int fadeFrames) {
    if (direction_ != DeviceDirection::Output || format_.bitsPerSample != 16 || !IsRunning() ||
        fadeFrames <= 0 || paused_.load(std::memory_order_relaxed)) {
        return Pause();
    }
    // The audio thread pauses at the fade's end.
    RequestFade(Fade::OutToPause, fadeFrames);
    BackendNotify();
    return kDeviceOk;
}

DeviceResult WaveDevice::Restart(int fadeFrames) {
    if (direction_ == DeviceDirection::Output && format_.bitsPerSample == 16 && IsRunning() &&
        fadeFrames > 0) {
        RequestFade(Fade::In, fadeFrames);
    }
    return Restart();
}

DeviceResult WaveDevice::FadeOutAndEnd(int frames) {
    return FadeOutAndEnd(frames, 0);
}

DeviceResult WaveDevice::FadeOutAndEnd(int frames, int64_t fromByte) {
    if (!IsOpen()) {
        return kDeviceNotOpen;
    }
    if (direction_ != DeviceDirection::Output || format_.bitsPerSample != 16 || !IsRunning() ||
        frames <= 0 || paused_.load(std::memory_order_relaxed)) {
        return kDeviceInvalidParam;
    }
    RequestFade(Fade::OutToEnd, frames, std::max<int64_t>(fromByte, 0));
    BackendNotify();
    return kDeviceOk;
}

DeviceResult WaveDevice::Restart() {
    if (!IsOpen()) {
        return kDeviceNotOpen;
    }
    if (direction_ != DeviceDirection::Output) {
        return kDeviceInvalidParam;
    }
    paused_.store(false, std::memory_order_relaxed);
    DeviceResult result = kDeviceOk;
    if (QueuedCount() > 0) {
        result = StartIfIdle();
    }
    BackendNotify();
    return result;
}

int WaveDevice::QueuedCount() const {
    return static_cast<int>(tail_.load(std::memory_order_acquire) -
                            head_.load(std::memory_order_acquire));
}

std::string WaveDevice::ErrorText(DeviceResult code) const {
    return std::string(DeviceResultText(code));
}

// The audio thread is stopped: every queued buffer comes back done; the owner's worker
// delivers their completions.
void WaveDevice::DrainQueue() {
    const std::size_t tail = tail_.load(std::memory_order_acquire);
    std::size_t head = head_.load(std::memory_order_relaxed);
    bool first = true;
    while (head != tail) {
        WaveHeader* header = ring_[head % kQueueCapacity].load(std::memory_order_relaxed);
        const std::size_t filled = first ? frontOffset_.load(std::memory_order_relaxed) : 0;
        header->bytesRecorded.store(
            direction_ == DeviceDirection::Input ? static_cast<uint32_t>(filled) : 0,
            std::memory_order_relaxed);
        header->flags.fetch_and(~kHeaderInQueue, std::memory_order_relaxed);
        header->flags.fetch_or(kHeaderDone, std::memory_order_release);
        stamps_[head % kQueueCapacity].store(OwnerStamp(), std::memory_order_relaxed);
        ++head;
        head_.store(head, std::memory_order_release);
        first = false;
    }
    frontOffset_.store(0, std::memory_order_relaxed);
}

bool WaveDevice::TakeCompletion(DeviceEvent& event, uint64_t handledPosts) {
    std::size_t d = delivered_.load(std::memory_order_acquire);
    // acquire on head: pairs with the release that finished the buffer, so its flags and data
    // are complete when the owner handles the message.
    while (d != head_.load(std::memory_order_acquire)) {
        if (stamps_[d % kQueueCapacity].load(std::memory_order_relaxed) > handledPosts) {
            return false;  // messages posted before it come first
        }
        WaveHeader* header = ring_[d % kQueueCapacity].load(std::memory_order_relaxed);
        if (delivered_.compare_exchange_weak(
                d, d + 1, std::memory_order_acq_rel, std::memory_order_acquire)) {
            event = {direction_ == DeviceDirection::Input ? DeviceEvent::Kind::Filled
                                                          : DeviceEvent::Kind::Played,
                     this,
                     header};
            return true;
        }
    }
    if (playedOut_.load(std::memory_order_acquire) &&
        playedOutStamp_.load(std::memory_order_relaxed) <= handledPosts &&
        playedOut_.exchange(false, std::memory_order_acq_rel)) {
        event = {DeviceEvent::Kind::PlayedOut, this, nullptr};
        return true;
    }
    if (failure_.load(std::memory_order_acquire) != kDeviceOk &&
        !failureDelivered_.exchange(true, std::memory_order_acq_rel)) {
        event = {DeviceEvent::Kind::Failed, this, nullptr};
        return true;
    }
    return false;
}

void WaveDevice::CheckAlive(double steadyNow) {
    const double stall = BackendStallSeconds();
    if (stall <= 0 || !IsRunning() || FailureCode() != kDeviceOk) {
        return;
    }
    const uint64_t count = callbacks_.load(std::memory_order_relaxed);
    if (count != watchedCallbacks_.load(std::memory_order_relaxed)) {
        watchedCallbacks_.store(count, std::memory_order_relaxed);
        watchedSince_.store(steadyNow, std::memory_order_relaxed);
        return;
    }
    // A new stream may be held by the sound system for a second or more after its first
    // callbacks (the server fills its buffer, then starts): only after that is a gap a stall.
    if (steadyNow - startedAt_.load(std::memory_order_relaxed) <
        std::max(stall, BackendFirstSoundSeconds())) {
        return;
    }
    if (steadyNow - watchedSince_.load(std::memory_order_relaxed) > stall) {
        ReportFailure(kDeviceNoSound);
    }
}

void WaveDevice::ReportFailure(DeviceResult code) noexcept {
    DeviceResult none = kDeviceOk;
    if (failure_.compare_exchange_strong(none, code, std::memory_order_acq_rel)) {
        WakeOwner();
    }
}

uint64_t WaveDevice::OwnerStamp() const noexcept {
    const DeviceOwner* owner = owner_.load(std::memory_order_acquire);
    return owner != nullptr ? owner->postStamp() : 0;
}

void WaveDevice::WakeOwner() noexcept {
    if (DeviceOwner* owner = owner_.load(std::memory_order_acquire)) {
        owner->wake();
    }
}

WaveHeader* WaveDevice::Front() const {
    const std::size_t head = head_.load(std::memory_order_relaxed);
    // acquire: pairs with the release in Queue(), so the slot and the header are complete.
    if (head == tail_.load(std::memory_order_acquire)) {
        return nullptr;
    }
    return ring_[head % kQueueCapacity].load(std::memory_order_relaxed);
}

std::size_t WaveDevice::FrontBytesRemaining() const {
    const WaveHeader* header = Front();
    if (header == nullptr) {
        return 0;
    }
    return header->bufferLength - frontOffset_.load(std::memory_order_relaxed);
}

std::size_t WaveDevice::QueuedBytesRemaining() const {
    const std::size_t tail = tail_.load(std::memory_order_acquire);
    std::size_t bytes = 0;
    for (std::size_t i = head_.load(std::memory_order_relaxed); i != tail; ++i) {
        bytes += ring_[i % kQueueCapacity].load(std::memory_order_relaxed)->bufferLength;
    }
    return bytes == 0 ? 0 : bytes - frontOffset_.load(std::memory_order_relaxed);
}

void WaveDevice::PopAndComplete(WaveHeader* header, uint32_t bytes) {
    header->bytesRecorded.store(bytes, std::memory_order_relaxed);
    frontOffset_.store(0, std::memory_order_relaxed);
    header->flags.fetch_and(~kHeaderInQueue, std::memory_order_relaxed);
    // release: the captured data and bytesRecorded are visible to whoever sees the done flag.
    header->flags.fetch_or(kHeaderDone, std::memory_order_release);
    const std::size_t head = head_.load(std::memory_order_relaxed);
    stamps_[head % kQueueCapacity].store(OwnerStamp(), std::memory_order_relaxed);
    // release: the owner's worker, which acquires head, finds the header finished.
    head_.store(head + 1, std::memory_order_release);
    WakeOwner();
}

void WaveDevice::ProcessInput(const uint8_t* in, std::size_t bytes, double adcSteady) {
    callbacks_.fetch_add(1, std::memory_order_relaxed);
    const double bytesPerSecond = format_.avgBytesPerSec;
    std::size_t done = 0;
    while (done < bytes) {
        WaveHeader* header = Front();
        if (header == nullptr) {
            droppedFrames_.fetch_add((bytes - done) / format_.blockAlign,
                                     std::memory_order_relaxed);
            break;
        }
        const std::size_t offset = frontOffset_.load(std::memory_order_relaxed);
        const std::size_t n = std::min(bytes - done, header->bufferLength - offset);
        if (offset == 0) {
            header->timeStamp.store(adcSteady + static_cast<double>(done) / bytesPerSecond,
                                    std::memory_order_relaxed);
        }
        std::memcpy(header->data + offset, in + done, n);
        done += n;
        if (offset + n == header->bufferLength) {
            PopAndComplete(header, header->bufferLength);
        } else {
            frontOffset_.store(offset + n, std::memory_order_relaxed);
        }
    }
    processedBytes_.fetch_add(static_cast<int64_t>(done), std::memory_order_relaxed);
}

void WaveDevice::ProcessOutput(
    uint8_t* out, std::size_t bytes, double dacTime, double dacSteady, double nowTime) {
    callbacks_.fetch_add(1, std::memory_order_relaxed);
    const uint8_t silence = format_.bitsPerSample == 8 ? 0x80 : 0x00;
    const int64_t start = processedBytes_.load(std::memory_order_relaxed);
    // acquire: pairs with RequestFade's release.
    if (const uint64_t request = fadeRequest_.exchange(0, std::memory_order_acquire);
        request != 0) {
        fade_.store(static_cast<Fade>(request >> 32), std::memory_order_relaxed);
        fadeLength_.store(static_cast<uint32_t>(request), std::memory_order_relaxed);
        fadeDone_.store(0, std::memory_order_relaxed);
        fadeFrom_ = fadeFromRequest_.load(std::memory_order_relaxed);
    }
    const Fade fade = fade_.load(std::memory_order_relaxed);
    if (paused_.load(std::memory_order_relaxed) && fade != Fade::In) {
        std::memset(out, silence, bytes);
        records_.Push({dacTime, start, 0});
        return;
    }
    const double bytesPerSecond = format_.avgBytesPerSec;
    std::size_t done = 0;
    // Copies queued sound until `upTo` bytes of the callback are done or the queue is empty.
    const auto copy = [&](std::size_t upTo) {
        while (done < upTo) {
            WaveHeader* header = Front();
            if (header == nullptr) {
                break;
            }
            const std::size_t offset = frontOffset_.load(std::memory_order_relaxed);
            const std::size_t n = std::min(upTo - done, header->bufferLength - offset);
            if (offset == 0) {
                header->timeStamp.store(dacSteady + static_cast<double>(done) / bytesPerSecond,
                                        std::memory_order_relaxed);
            }
            if (SharedPlayData* shared = header->shared) {
                std::memcpy(out + done, shared->BeginRead() + offset, n);
                shared->EndRead();
            } else {
                std::memcpy(out + done, header->data + offset, n);
            }
            done += n;
            if (offset + n == header->bufferLength) {
                PopAndComplete(header, 0);
            } else {
                frontOffset_.store(offset + n, std::memory_order_relaxed);
            }
        }
    };
    // A fade asked to begin further on plays the sound as it is up to there.
    if (fadeFrom_ > start) {
        copy(static_cast<std::size_t>(
            std::min<int64_t>(static_cast<int64_t>(bytes), fadeFrom_ - start)));
    }
    if (fade != Fade::None && start + static_cast<int64_t>(done) >= fadeFrom_) {
        const std::size_t shapedFrom = done;
        std::size_t upTo = bytes;
        // A fade out hands over no more than what is left of it; silence follows.
        if (fade == Fade::OutToPause || fade == Fade::OutToEnd) {
            const std::size_t left = fadeLength_.load(std::memory_order_relaxed) -
                                     fadeDone_.load(std::memory_order_relaxed);
            upTo = std::min(bytes, done + left * format_.blockAlign);
        }
        copy(upTo);
        ShapeFade(out + shapedFrom, (done - shapedFrom) / format_.blockAlign);
    } else if (fade == Fade::None) {
        copy(bytes);
    }
    if (done < bytes) {
        std::memset(out + done, silence, bytes - done);
    }
    processedBytes_.store(start + static_cast<int64_t>(done), std::memory_order_relaxed);
    records_.Push({dacTime, start, static_cast<int64_t>(done)});
    if (done > 0) {
        // A played-out report not yet taken is stale now: more sound follows it.
        playedOut_.store(false, std::memory_order_relaxed);
        soundEnd_.store(dacTime + static_cast<double>(done) / bytesPerSecond,
                        std::memory_order_relaxed);
        unheard_.store(true, std::memory_order_relaxed);
    }
    // Once nothing is queued and the last byte handed over has reached the output, the owner
    // may close the stream without cutting what the sound system still held.
    if (unheard_.load(std::memory_order_relaxed) && Front() == nullptr &&
        nowTime >= soundEnd_.load(std::memory_order_relaxed)) {
        unheard_.store(false, std::memory_order_relaxed);
        playedOutStamp_.store(OwnerStamp(), std::memory_order_relaxed);
        playedOut_.store(true, std::memory_order_release);
        WakeOwner();
    }
}

void WaveDevice::ShapeFade(uint8_t* out, std::size_t frames) {
    const Fade fade = fade_.load(std::memory_order_relaxed);
    const uint32_t length = fadeLength_.load(std::memory_order_relaxed);
    uint32_t fadeDone = fadeDone_.load(std::memory_order_relaxed);
    const int channels = format_.channels;
    auto* samples = reinterpret_cast<int16_t*>(out);
    const std::size_t shaped = std::min<std::size_t>(frames, length - fadeDone);
    for (std::size_t i = 0; i < shaped; ++i) {
        // A raised-cosine ramp: no corner at either end, so the fade itself adds no click.
        const double t = (fadeDone + i + 1.0) / (length + 1.0);
        const double rise = 0.5 - 0.5 * std::cos(std::numbers::pi * t);
        const double gain = fade == Fade::In ? rise : 1.0 - rise;
        for (int c = 0; c < channels; ++c) {
            int16_t& s = samples[i * channels + c];
            s = static_cast<int16_t>(std::lround(s * gain));
        }
    }
    fadeDone += static_cast<uint32_t>(shaped);
    fadeDone_.store(fadeDone, std::memory_order_relaxed);
    if (fadeDone < length) {
        return;
    }
    fade_.store(Fade::None, std::memory_order_relaxed);
    if (fade == Fade::OutToPause) {
        paused_.store(true, std::memory_order_relaxed);
    } else if (fade == Fade::OutToEnd) {
        // The rest is given back unplayed; the played-out report follows once the faded end is
        // heard.
        while (WaveHeader* header = Front()) {
            PopAndComplete(header, 0);
        }
    }
}

int64_t WaveDevice::Position() const {
    if (!IsOpen()) {
        return 0;
    }
    if (direction_ == DeviceDirection::Input) {
        return processedBytes_.load(std::memory_order_relaxed);
    }
    if (!IsRunning()) {
        return 0;
    }
    const double now = BackendStreamTime();
    const auto records = records_.Read();
    if (records.empty()) {
        return 0;
    }
    // The newest record that has begun to sound; before the oldest kept one nothing is known
    // beyond its start.
    int64_t played = records[records.size() - 1].startByte;
    for (std::size_t age = 0; age < records.size(); ++age) {
        const PositionRecord& r = records[age];
        if (r.dacTime <= now) {
            const double elapsed = (now - r.dacTime) * format_.avgBytesPerSec;
            played = r.startByte + std::min<int64_t>(r.byteCount, std::llround(elapsed));
            break;
        }
    }
    return played - played % format_.blockAlign;
}

std::string_view StreamName(StreamRole role) {
    switch (role) {
        case StreamRole::Microphone:
            return "Tonavise \u2014 microphone";
        case StreamRole::ReferenceTone:
            // The same stream sounds the metronome.
            return "Tonavise \u2014 reference tone and metronome";
        case StreamRole::Player:
            return "Tonavise \u2014 player";
        case StreamRole::Recorder:
            return "Tonavise \u2014 recorder";
        case StreamRole::SignalGenerator:
            return "Tonavise \u2014 signal generator";
    }
    return "Tonavise";
}

namespace {

std::size_t DirectionIndex(DeviceDirection direction) {
    return direction == DeviceDirection::Input ? 0 : 1;
}

}  // namespace

void DeviceFactory::ChooseDevice(DeviceDirection direction, std::string name) {
    const std::lock_guard lock(mutex_);
    chosen_[DirectionIndex(direction)] = std::move(name);
    missing_[DirectionIndex(direction)].clear();
}

std::string DeviceFactory::ChosenDevice(DeviceDirection direction) const {
    const std::lock_guard lock(mutex_);
    return chosen_[DirectionIndex(direction)];
}

std::string DeviceFactory::MissingDevice(DeviceDirection direction) const {
    const std::lock_guard lock(mutex_);
    return missing_[DirectionIndex(direction)];
}

void DeviceFactory::NoteMissing(DeviceDirection direction, const std::string& name) {
    const std::lock_guard lock(mutex_);
    missing_[DirectionIndex(direction)] = name;
}

void DeviceFactory::NoteDescription(const std::string& name, const std::string& description) {
    if (name.empty() || description.empty()) {
        return;
    }
    const std::lock_guard lock(mutex_);
    for (auto& [known, text] : descriptions_) {
        if (known == name) {
            text = description;
            return;
        }
    }
    descriptions_.emplace_back(name, description);
}

std::string DeviceFactory::Description(const std::string& name) const {
    const std::lock_guard lock(mutex_);
    for (const auto& [known, text] : descriptions_) {
        if (known == name) {
            return text;
        }
    }
    return name;
}

void DeviceFactory::NoteOpened(DeviceDirection direction, const std::string& description) {
    const std::lock_guard lock(mutex_);
    opened_[DirectionIndex(direction)] = description;
}

std::string DeviceFactory::OpenedDescription(DeviceDirection direction) const {
    const std::lock_guard lock(mutex_);
    return opened_[DirectionIndex(direction)];
}

// A back end that lists no devices (it opens only the system's defaults) never has a chosen
// one: false, so that nothing waits for it to come back.
bool DeviceFactory::IsPresent(DeviceDirection direction, const std::string& name) {
    const std::vector<SoundDeviceInfo> list = Devices(direction);
    return std::any_of(
        list.begin(), list.end(), [&](const SoundDeviceInfo& d) { return d.name == name; });
}

bool DeviceFactory::ChosenIsGone(DeviceDirection direction) {
    const std::string chosen = ChosenDevice(direction);
    if (chosen.empty()) {
        return false;
    }
    // A list that cannot be read is a sound system that is gone, not one of its devices.
    const std::vector<SoundDeviceInfo> list = Devices(direction);
    return !list.empty() && std::none_of(list.begin(), list.end(), [&](const SoundDeviceInfo& d) {
        return d.name == chosen;
    });
}

bool DeviceFactory::ChosenIsBack(DeviceDirection direction) {
    const std::string chosen = ChosenDevice(direction);
    return !chosen.empty() && IsPresent(direction, chosen);
}

std::string DeviceErrorText(DeviceResult code, std::string_view deviceText) {
    // The device's text is limited to 256 characters with its terminator, as the box shows it.
    const std::string text(deviceText.substr(0, 255));
    char head[32];
    std::snprintf(head, sizeof head, "Error = 0x%08x, : ", static_cast<uint32_t>(code));
    return head + text;
}

void ShowDeviceError(Notifier& notifier, const WaveDevice& device, DeviceResult code) {
    notifier.ShowMessage(
        kDeviceErrorCaption, DeviceErrorText(code, device.ErrorText(code)), MessageIcon::None);
}

}  // namespace tonavise
