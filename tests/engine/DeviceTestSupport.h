// Helpers for tests of the sound devices and the threads that own them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "engine/core/Notifier.h"
#include "engine/live/WorkerThread.h"

namespace tonavise::test {

// A mark a test sends to a device's owner, to see where the device's reports fall around it.
struct OwnerMark {
    int value = 0;
    bool operator==(const OwnerMark&) const = default;
};
using OwnerCommand = std::variant<DeviceEvent, OwnerMark>;

// A device owner that only records what it receives.
class CompletionRecorder final : public CommandThread<OwnerCommand> {
  public:
    struct Entry {
        DeviceEvent event;  // the report; for a mark, an empty Filled
        std::optional<int> mark;
    };

    explicit CompletionRecorder(std::size_t capacity = 256) : CommandThread(capacity) {}
    ~CompletionRecorder() override { join(); }

    // Waits until at least `count` commands arrived.
    bool WaitForCount(std::size_t count, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, timeout, [&] { return entries_.size() >= count; });
    }

    std::vector<Entry> Entries() {
        std::lock_guard lock(mutex_);
        return entries_;
    }

  protected:
    void handle(OwnerCommand& command) override {
        {
            std::lock_guard lock(mutex_);
            if (const auto* mark = std::get_if<OwnerMark>(&command)) {
                entries_.push_back({DeviceEvent{}, mark->value});
            } else {
                entries_.push_back({std::get<DeviceEvent>(command), std::nullopt});
            }
        }
        cv_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<Entry> entries_;
};

// A notifier whose messages may be looked at from any thread.
class SharedNotifier final : public Notifier {
  public:
    void ShowMessage(std::string_view caption, std::string_view text, MessageIcon icon) override {
        std::lock_guard lock(mutex_);
        captions_.emplace_back(caption);
        texts_.emplace_back(text);
        icons_.push_back(icon);
    }
    std::vector<std::string> Texts() const {
        std::lock_guard lock(mutex_);
        return texts_;
    }
    std::vector<std::string> Captions() const {
        std::lock_guard lock(mutex_);
        return captions_;
    }
    std::vector<MessageIcon> Icons() const {
        std::lock_guard lock(mutex_);
        return icons_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> captions_;
    std::vector<std::string> texts_;
    std::vector<MessageIcon> icons_;
};

// Polls `condition` until it holds or `timeout` passes; true when it held.
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace tonavise::test
