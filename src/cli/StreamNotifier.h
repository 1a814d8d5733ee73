// The command-line tool's notifier: the program's message boxes become lines on stderr,
// optionally after a prefix (the file they concern). Any thread may show a message.
#pragma once

#include <atomic>
#include <mutex>
#include <ostream>
#include <string>

#include "engine/Notifier.h"

namespace tonavise::cli {

class StreamNotifier final : public Notifier {
  public:
    explicit StreamNotifier(std::ostream& err, std::string prefix = {})
        : err_(err), prefix_(std::move(prefix)) {}

    void ShowMessage(std::string_view, std::string_view text, MessageIcon) override {
        std::lock_guard lock(mutex_);
        if (!prefix_.empty()) {
            err_ << prefix_ << ": ";
        }
        err_ << text << '\n';
        err_.flush();
        shown_.store(true);
    }

    // Whether any message has been shown.
    bool Shown() const { return shown_.load(); }

  private:
    std::mutex mutex_;
    std::ostream& err_;
    const std::string prefix_;
    std::atomic<bool> shown_{false};
};

}  // namespace tonavise::cli
