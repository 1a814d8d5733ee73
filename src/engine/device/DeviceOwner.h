// What a sound device needs of the worker thread that owns it, and what it tells that worker.
//
// A device's audio thread never posts: it publishes finished buffers and stream events with
// atomics in the device (a CompletionSource registered with its owner) and wakes the owner,
// which takes no lock and cannot block. The owner's worker takes them, in order with the
// commands it was sent, before its next command.
#pragma once

#include <cstdint>

namespace tonavise {

class WaveDevice;
struct WaveHeader;

// One report of a device to its owner.
struct DeviceEvent {
    enum class Kind : uint8_t {
        Filled,     // an input buffer is full
        Played,     // an output buffer has been played
        PlayedOut,  // the output has played everything it was given (no header)
        Failed,     // the stream failed or stopped delivering (no header); FailureCode() says why
    };
    Kind kind = Kind::Filled;
    WaveDevice* device = nullptr;
    // The finished buffer; null for the stream events, and for a completion that was refused
    // earlier and is sent again.
    WaveHeader* header = nullptr;

    bool operator==(const DeviceEvent&) const = default;
};

// Reports that a device's audio thread published without a lock. Registered with the owner
// while the device is open.
class CompletionSource {
  public:
    virtual ~CompletionSource() = default;
    // Owner's worker, under its queue's lock: moves the oldest waiting report into `event`, if
    // it was published after the first `handledPosts` commands were sent (the owner's
    // postStamp() when it was published): reports and commands are handled in the order they
    // came. False when there is none yet.
    virtual bool TakeCompletion(DeviceEvent& event, uint64_t handledPosts) = 0;
    // Owner's worker, under its queue's lock, at every tick: a source may look at whether its
    // stream still delivers and report a failure through its next TakeCompletion.
    virtual void CheckAlive(double steadyNow) = 0;

    // The owner's list of its sources, under the owner's lock.
    CompletionSource* nextSource = nullptr;
};

class DeviceOwner {
  public:
    // Any thread (a device's Open and Close): the worker asks `source` for reports from now on
    // / no longer. After removeCompletionSource returns, the worker no longer calls it.
    virtual void addCompletionSource(CompletionSource& source) = 0;
    virtual void removeCompletionSource(CompletionSource& source) = 0;
    // Wait-free: how many commands have been sent to the worker so far.
    virtual uint64_t postStamp() const noexcept = 0;
    // Wait-free, from an audio callback: makes the worker look at its sources.
    virtual void wake() noexcept = 0;
    // A buffer's report the worker had not taken when its device closed: the worker still gets
    // it, after the commands already sent, so every buffer gets its one completion.
    virtual void deliverLater(const DeviceEvent& event) = 0;

  protected:
    ~DeviceOwner() = default;
};

}  // namespace tonavise
