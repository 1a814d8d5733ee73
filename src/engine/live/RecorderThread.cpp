#include "engine/live/RecorderThread.h"

#include <algorithm>
#include <string>
#include <variant>

#include "engine/core/Notifier.h"
#include "engine/live/RecordingStore.h"

namespace tonavise {

RecorderThread::RecorderThread(RecordingStore& recordings,
                               DeviceFactory& devices,
                               Notifier& notifier,
                               UiLanguage language)
    : recordings_(recordings), devices_(devices), notifier_(notifier), language_(language) {}

RecorderThread::~RecorderThread() {
    join();
}

void RecorderThread::onStart() {
    recordings_.recording.store(0, std::memory_order_relaxed);
    {
        std::lock_guard guard(bufferLock_);
        for (Block& b : playbackBuffers_) {
            b.fill(0);
        }
    }
    for (int k = 0; k < 2; ++k) {
        headers_[k].Describe(playbackBuffers_[k].data(), kBlockBytesPerChannel);
    }
    recordings_.AllocateForRecTime(notifier_, language_);
}

void RecorderThread::onExit() {
    StopPlayback();
}

void RecorderThread::handle(RecorderCommand& command) {
    std::visit(Handlers{[this](const DeviceEvent& event) {
                            if (event.kind == DeviceEvent::Kind::Played) {
                                Completion();
                            } else if (event.kind == DeviceEvent::Kind::PlayedOut) {
                                if (ending_) {
                                    StopPlayback();  // the last block has been heard
                                }
                            } else if (event.kind == DeviceEvent::Kind::Failed) {
                                HandleDeviceFailure(event);
                            }
                        },
                        [this](const recorder::StopPlayback&) { StopPlayback(); },
                        [this](const recorder::Play&) {
                            recordings_.RewindPlayback();
                            OpenOutput();
                        },
                        [this](const recorder::RecordOn&) {
                            recordings_.recording.store(1, std::memory_order_relaxed);
                        },
                        [this](const recorder::RecordOff&) {
                            recordings_.recording.store(0, std::memory_order_relaxed);
                        }},
               command);
}

void RecorderThread::HandleDeviceFailure(const DeviceEvent& event) {
    if (!Sounding() || !waveOut_ || event.device != waveOut_.get()) {
        return;
    }
    if (standIn_.Gone()) {  // its chosen device went away: on at once on the default
        standIn_.MoveSound([this] {
            StopPlayback();
            OpenOutput();
        });
        return;
    }
    // Stopped before the message, so whoever reads it sees the playback ended.
    const DeviceResult code = waveOut_->FailureCode();
    const std::string text = DeviceErrorText(code, waveOut_->ErrorText(code));
    StopPlayback();
    notifier_.ShowMessage(kDeviceErrorCaption, text, MessageIcon::None);
}

bool RecorderThread::CopyPlaybackBlock(std::span<int16_t> dest) const {
    if (!Sounding() || dest.size() < kBlockFrames) {
        return false;
    }
    std::lock_guard guard(bufferLock_);
    const Block& b = playbackBuffers_[playbackBufferIndex_];
    std::copy(b.begin(), b.end(), dest.begin());
    return true;
}

void RecorderThread::ReplaceCaptured(std::span<int16_t> frames, int channels) {
    if (!Sounding()) {
        return;
    }
    std::lock_guard guard(bufferLock_);
    const Block& b = playbackBuffers_[playbackBufferIndex_];
    if (channels == 2 && frames.size() >= 2 * kBlockFrames) {
        for (std::size_t i = 0; i < kBlockFrames; ++i) {
            frames[2 * i] = b[i];
            frames[2 * i + 1] = b[i];
        }
    } else if (frames.size() >= kBlockFrames) {
        std::copy(b.begin(), b.end(), frames.begin());
    }
}

bool RecorderThread::FillBuffer(int k) {
    if (!Sounding()) {
        return false;
    }
    // The device has finished with buffer k; the monitor may be reading the other one.
    std::lock_guard guard(bufferLock_);
    if (!recordings_.ReadNext(playbackBuffers_[k])) {
        return false;
    }
    playbackBufferIndex_ = k;
    return true;
}

DeviceResult RecorderThread::QueueBuffer(int k) {
    headers_[k].flags.store(0, std::memory_order_relaxed);
    waveOut_->Prepare(headers_[k]);
    const DeviceResult result = waveOut_->Queue(headers_[k]);
    inFlight_[k] = result == kDeviceOk;
    return result;
}

void RecorderThread::OpenOutput() {
    if (Sounding()) {
        return;
    }
    recorderPlaying_.store(true, std::memory_order_relaxed);
    std::unique_ptr<WaveDevice> device =
        devices_.Create(DeviceDirection::Output, StreamRole::Recorder);
    const DeviceResult result =
        device ? device->Open(format_, *this) : static_cast<DeviceResult>(kDeviceNoDriver);
    if (result != kDeviceOk) {
        if (device) {
            ShowDeviceError(notifier_, *device, result);
        }
        recorderPlaying_.store(false, std::memory_order_relaxed);
        return;
    }
    waveOut_ = std::move(device);
    standIn_.Opened();
    inFlight_ = {false, false};
    ending_ = false;
    // Both blocks are queued before the stream starts, so that its first request finds them.
    DeviceResult queued = waveOut_->HoldStart();
    for (int k = 0; k < 2 && queued == kDeviceOk; ++k) {
        if (FillBuffer(k)) {
            queued = QueueBuffer(k);
        }
    }
    if (queued == kDeviceOk && (inFlight_[0] || inFlight_[1])) {
        queued = waveOut_->Start();
    }
    if (queued != kDeviceOk) {
        // The stream would not start: say why, and play nothing.
        ShowDeviceError(notifier_, *waveOut_, queued);
        StopPlayback();
        return;
    }
    if (!inFlight_[0] && !inFlight_[1]) {
        StopPlayback();  // nothing recorded
    }
}

void RecorderThread::onTick() {
    if (Sounding() && standIn_.Back()) {
        standIn_.MoveSound([this] {  // the chosen device is back: the playback moves to it
            StopPlayback();
            OpenOutput();
        });
    }
}

void RecorderThread::Completion() {
    if (!Sounding()) {
        return;
    }
    int k = 0;
    while (k < 2 && !(inFlight_[k] && headers_[k].IsDone())) {
        ++k;
    }
    if (k == 2) {
        return;  // a completion from an earlier playback's reset
    }
    inFlight_[k] = false;
    waveOut_->Unprepare(headers_[k]);
    if (FillBuffer(k)) {
        QueueBuffer(k);
    } else if (!inFlight_[1 - k]) {
        // Every recorded block has been handed to the sound system, which still holds the
        // last of it: playback ends when that has been heard (the device's PlayedOut).
        ending_ = true;
    }
}

void RecorderThread::StopPlayback() {
    if (!Sounding()) {
        return;
    }
    recorderPlaying_.store(false, std::memory_order_relaxed);
    if (waveOut_) {
        waveOut_->Reset();
        waveOut_->Unprepare(headers_[0]);
        waveOut_->Unprepare(headers_[1]);
        waveOut_->Close();
        waveOut_.reset();
    }
    inFlight_ = {false, false};
    ending_ = false;
}

}  // namespace tonavise
