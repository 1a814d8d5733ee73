#include "engine/live/SignalThread.h"

#include <variant>

#include "engine/core/Notifier.h"
#include "engine/device/SignalBuffer.h"

namespace tonavise {

SignalThread::SignalThread(SignalBuffer& signal, DeviceFactory& devices, Notifier& notifier)
    : signal_(signal), devices_(devices), notifier_(notifier) {
    format_ = PcmFormat(2);
    for (WaveHeader& header : headers_) {
        header.Describe(signal_.data(), signal_.byteLength());
        header.shared = &signal_.playData();
    }
    signal_.Clear();
}

SignalThread::~SignalThread() {
    join();
}

void SignalThread::SetOwnerDialog(SignalListener* owner) {
    ownerDialog_.store(owner, std::memory_order_release);
}

void SignalThread::handle(SignalCommand& command) {
    std::visit(Handlers{[this](const DeviceEvent& event) {
                            if (event.kind == DeviceEvent::Kind::Played) {
                                OnDone();
                            } else if (event.kind == DeviceEvent::Kind::Failed) {
                                HandleDeviceFailure(event);
                            }
                        },
                        [this](const generator::Start&) { StartSignal(); },
                        [this](const generator::Stop&) { StopSignal(); }},
               command);
}

// The stream died: the signal stops as if Stop had been pressed, with the reason.
void SignalThread::HandleDeviceFailure(const DeviceEvent& event) {
    if (!Sounding() || event.device != waveOut_.get()) {
        return;
    }
    if (standIn_.Gone()) {  // its chosen device went away: on at once on the default
        standIn_.MoveSound([this] {
            StopSignal();
            StartSignal();
        });
        return;
    }
    const DeviceResult code = waveOut_->FailureCode();
    StopSignal();
    ShowDeviceError(notifier_, *waveOut_, code);
}

void SignalThread::onExit() {
    StopSignal();
    waveOut_.reset();
}

void SignalThread::onTick() {
    if (Sounding() && standIn_.Back()) {
        standIn_.MoveSound([this] {  // the chosen device is back: the signal moves to it
            StopSignal();
            StartSignal();
        });
    }
}

void SignalThread::StartSignal() {
    if (Sounding()) {
        return;
    }
    if (!waveOut_) {
        waveOut_ = devices_.Create(DeviceDirection::Output, StreamRole::SignalGenerator);
    }
    const DeviceResult result = waveOut_->Open(format_, *this);
    if (result != kDeviceOk) {
        ShowDeviceError(notifier_, *waveOut_, result);
        return;
    }
    standIn_.Opened();
    signalPlaying_.store(1, std::memory_order_release);
    // Every buffer is queued before the stream starts, so that its first request finds them.
    DeviceResult queued = waveOut_->HoldStart();
    for (WaveHeader& header : headers_) {
        waveOut_->Prepare(header);
        if (queued == kDeviceOk) {
            queued = waveOut_->Queue(header);
        }
    }
    if (queued == kDeviceOk) {
        queued = waveOut_->Start();
    }
    if (queued != kDeviceOk) {
        ShowDeviceError(notifier_, *waveOut_, queued);
        StopSignal();
    }
}

void SignalThread::StopSignal() {
    if (!Sounding()) {
        return;
    }
    waveOut_->Reset();
    for (WaveHeader& header : headers_) {
        waveOut_->Unprepare(header);
    }
    waveOut_->Close();
    signalPlaying_.store(0, std::memory_order_release);
}

void SignalThread::OnDone() {
    if (SignalListener* owner = ownerDialog_.load(std::memory_order_acquire)) {
        owner->OnSignalBufferDone();
    }
    if (!Sounding()) {
        return;  // the device was closed by StopSignal
    }
    for (WaveHeader& header : headers_) {
        if (header.IsDone()) {
            waveOut_->Unprepare(header);
            waveOut_->Prepare(header);
            waveOut_->Queue(header);
        }
    }
}

}  // namespace tonavise
