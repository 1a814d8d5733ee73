// The command-line tool's notifier: the program's message boxes become lines on stderr,
// optionally after a prefix (the file they concern). Any thread may show a message.
#pragma once

#include <atomic>
#include <mutex>
#include <ostream>
#include <string>

#include "engine/core/Notifier.h"
#include "engine/live/LiveEngine.h"

namespace tonavise::cli {

class StreamNotifier final : public Notifier {
  public:
    explicit StreamNotifier(std::ostream& err, std::string prefix = {})
        : err_(err), prefix_(std::move(prefix)) {}

    void ShowMessage(std::string_view, std::string_view text, MessageIcon) override {
        std::lock_guard lock(mutex_);
        // While an outage is waited out, its failed reopens say nothing: the outage has been said.
        if (muted_) {
            return;
        }
        if (!prefix_.empty()) {
            err_ << prefix_ << ": ";
        }
        err_ << text << '\n';
        err_.flush();
        shown_.store(true);
    }

    // Whether any message has been shown.
    bool Shown() const { return shown_.load(); }

    // While muted, the workers' messages are left out (an outage's failed reopens); the
    // command's own lines still go out.
    void Mute(bool muted) {
        std::lock_guard lock(mutex_);
        muted_ = muted;
    }

    // A line of the command's own on the same stream, never inside a message of a worker.
    void Print(std::string_view line) {
        std::lock_guard lock(mutex_);
        err_ << line << '\n';
        err_.flush();
    }

  private:
    std::mutex mutex_;
    std::ostream& err_;
    const std::string prefix_;
    std::atomic<bool> shown_{false};
    bool muted_ = false;  // under mutex_
};

// Says on stderr when a chosen device went away and the default stands in for it ("input lost:
// USB Microphone; using Built-in Audio"), and when the chosen one is taken again. The streams
// do both by themselves; Update() from the command's loop.
class StandInNotice {
  public:
    StandInNotice(const DeviceFactory* devices, DeviceDirection direction, StreamNotifier& notifier)
        : devices_(devices), direction_(direction), notifier_(notifier) {}
    void Update() {
        if (devices_ == nullptr) {
            return;
        }
        const std::string missing = devices_->MissingDevice(direction_);
        if (missing == missing_) {
            return;
        }
        const std::string what = direction_ == DeviceDirection::Input ? "input" : "output";
        if (!missing.empty()) {
            const std::string used = devices_->OpenedDescription(direction_);
            notifier_.Print("tonavise-cli: " + what + " lost: " + devices_->Description(missing) +
                            "; using " + (used.empty() ? "the default " + what : used));
        } else {
            notifier_.Print("tonavise-cli: " + what +
                            " restored: " + devices_->Description(missing_));
        }
        missing_ = missing;
    }

  private:
    const DeviceFactory* devices_;
    const DeviceDirection direction_;
    StreamNotifier& notifier_;
    std::string missing_;  // the chosen device the default stands in for, as last seen
};

// Says on stderr when the microphone is lost and when it is back (the capture thread reopens it
// by itself), or, when it could not open before anything was heard (no sound server yet), that
// it is waited for and when it starts; and when a chosen input went away and the default
// stands in for it, until the chosen one is taken again. Update() from the command's loop, with
// whether any sound has arrived yet.
class InputWatch {
  public:
    InputWatch(const LiveEngine& engine, const DeviceFactory* devices, StreamNotifier& notifier)
        : engine_(engine),
          notifier_(notifier),
          standIn_(devices, DeviceDirection::Input, notifier) {}
    void Update(bool heardAnything) {
        const bool lost = engine_.InputState().noInput;
        if (lost != lost_) {
            if (lost) {
                waiting_ = !heardAnything;
                notifier_.Print(waiting_ ? "tonavise-cli: waiting for the sound input"
                                         : "tonavise-cli: input lost");
            } else {
                notifier_.Print(waiting_ ? "tonavise-cli: input started"
                                         : "tonavise-cli: input restored");
            }
            lost_ = lost;
        }
        if (!lost) {
            standIn_.Update();
        }
    }

    // Whether the input is lost as last seen.
    bool Lost() const { return lost_; }

  private:
    const LiveEngine& engine_;
    StreamNotifier& notifier_;
    StandInNotice standIn_;
    bool lost_ = false;
    bool waiting_ = false;  // lost before anything was heard
};

}  // namespace tonavise::cli
