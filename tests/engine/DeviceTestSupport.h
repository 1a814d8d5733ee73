// Helpers for tests of the sound devices and the threads that own them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/core/Notifier.h"
#include "engine/live/MessageThread.h"

namespace tonavise::test {

// A message thread that only records the messages it receives.
class CompletionRecorder final : public MessageThread {
  public:
    struct Entry {
        uint32_t id;
        BufferDone done;  // the device and the header of a completion
    };

    explicit CompletionRecorder(std::size_t capacity = 256) : MessageThread(capacity) {}
    ~CompletionRecorder() override { join(); }

    // Waits until at least `count` messages arrived.
    bool WaitForCount(std::size_t count, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, timeout, [&] { return entries_.size() >= count; });
    }

    std::vector<Entry> Entries() {
        std::lock_guard lock(mutex_);
        return entries_;
    }

  protected:
    void handleMessage(Message& m) override {
        {
            std::lock_guard lock(mutex_);
            const auto* done = std::get_if<BufferDone>(&m.argument);
            entries_.push_back({m.id, done != nullptr ? *done : BufferDone{}});
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
