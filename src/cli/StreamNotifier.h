// The command-line tool's notifier: the program's message boxes become lines on stderr,
// optionally after a prefix (the file they concern). Any thread may show a message.
#pragma once

#include <atomic>
#include <mutex>
#include <ostream>
#include <string>

#include "engine/LiveEngine.h"
#include "engine/Notifier.h"

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

// Says on stderr when the microphone is lost and when it is back (the capture thread reopens it
// by itself), and when a chosen input went away and the default stands in for it, until the
// chosen one is taken again. Update() from the command's loop.
class InputWatch {
  public:
    InputWatch(const LiveEngine& engine, const DeviceFactory* devices, StreamNotifier& notifier)
        : engine_(engine), devices_(devices), notifier_(notifier) {}
    void Update() {
        const bool lost = engine_.InputState().noInput;
        if (lost != lost_) {
            notifier_.Print(lost ? "tonavise-cli: input lost" : "tonavise-cli: input restored");
            lost_ = lost;
        }
        if (devices_ == nullptr || lost) {
            return;
        }
        const std::string missing = devices_->MissingDevice(DeviceDirection::Input);
        if (missing != missing_) {
            if (!missing.empty()) {
                const std::string used = devices_->OpenedDescription(DeviceDirection::Input);
                notifier_.Print("tonavise-cli: input lost: " + devices_->Description(missing) +
                                "; using " + (used.empty() ? "the default input" : used));
            } else {
                notifier_.Print("tonavise-cli: input restored: " + devices_->Description(missing_));
            }
            missing_ = missing;
        }
    }

    // Whether the input is lost as last seen.
    bool Lost() const { return lost_; }

  private:
    const LiveEngine& engine_;
    const DeviceFactory* devices_;
    StreamNotifier& notifier_;
    bool lost_ = false;
    std::string missing_;  // the chosen input the default stands in for, as last seen
};

}  // namespace tonavise::cli
