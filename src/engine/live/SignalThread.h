// SignalThread: the worker thread that plays the signal generator's one-second stereo
// buffer over and over (16-bit, 44100 Hz), two copies queued at a time. After every played
// copy it tells its owner (the generator's dialog, or whoever stands in for it), which may
// then regenerate channels from its edits before the copy is queued again.
//
// Commands (SignalCommand): Start, Stop, and the device's reports: a copy played, the stream
// died (the device error box, then as Stop); quit() stops and ends. A stream whose chosen
// device went away goes on at once on the default, and moves back when the device is back.
//
// Threads: the operations run on the signal thread; SetOwnerDialog() and IsPlaying() from any
// thread. The owner's OnSignalBufferDone() is called on the signal thread and must return at
// once (hand the work to its own thread, never wait for it); an owner that goes must unlink
// itself (SetOwnerDialog(nullptr)) and let this thread end first.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/device/DeviceStandIn.h"
#include "engine/device/SoundDevice.h"
#include "engine/live/LiveState.h"
#include "engine/live/WorkerCommands.h"
#include "engine/live/WorkerThread.h"

namespace tonavise {

class Notifier;
class SignalBuffer;

class SignalThread final : public CommandThread<SignalCommand> {
  public:
    // The format, both headers (each the whole buffer) and a silent buffer are set up here,
    // before the thread runs, so that the owner may generate channels right after start().
    SignalThread(SignalBuffer& signal, DeviceFactory& devices, Notifier& notifier);
    ~SignalThread() override;

    void SetOwnerDialog(SignalListener* owner);
    bool IsPlaying() const {
        return standIn_.Held([this] { return Sounding(); });
    }

    // Opens the device and queues the buffer twice. A device that cannot be opened shows the
    // device error box and leaves the thread idle, so the next start tries again.
    void StartSignal();
    void StopSignal();

  protected:
    const char* threadName() const override { return "signal"; }
    void handle(SignalCommand& command) override;
    void onExit() override;
    void onTick() override;

  private:
    bool Sounding() const { return signalPlaying_.load(std::memory_order_acquire) != 0; }
    void OnDone();
    void HandleDeviceFailure(const DeviceEvent& event);

    SignalBuffer& signal_;
    DeviceFactory& devices_;
    StandInWatch standIn_{devices_, DeviceDirection::Output};
    Notifier& notifier_;

    std::array<WaveHeader, 2> headers_;
    std::unique_ptr<WaveDevice> waveOut_;  // after the headers, so that it goes first
    WaveFormat format_{};
    std::atomic<int32_t> signalPlaying_{0};
    std::atomic<SignalListener*> ownerDialog_{nullptr};
};

}  // namespace tonavise
