// A worker thread with its own message queue, driven only by posted messages.
//
// A message is an id and one typed argument: nothing, a number, a finished device buffer, a
// listener of the file player, or an owned payload that moves with the message. The queue is a
// ring allocated once at construction, so posting never allocates and holds the queue's lock
// only for a move.
//
// Sound devices do not post: their audio threads publish completions with atomics in the
// device (a CompletionSource registered with its owner thread) and call wake(), which takes no
// lock and cannot block. The worker turns them into MM_WIM_DATA / MM_WOM_DONE messages before
// it takes the next posted message (it is the devices' DeviceOwner).
//
// Threads: post(), quit() and wake() from any thread (wake() also from an audio callback);
// start() and join() from the owning thread; the virtual handlers and onTick() run on the
// worker thread only.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <variant>
#include <vector>

#include "engine/device/DeviceOwner.h"

namespace tonavise {

class PlayerListener;

// The id that ends a thread's loop.
inline constexpr uint32_t WM_QUIT = 0x0012;
// Base of the application's own message ids. The ids keep fixed values: tests and the post
// log of the tool commands compare them, and the device completions below it must never clash.
inline constexpr uint32_t WM_APP = 0x8000;

// A device's reports (DeviceEvent) as messages, below the application's own ids.
inline constexpr uint32_t MM_WOM_DONE = 0x3BD;
inline constexpr uint32_t MM_WIM_DATA = 0x3C0;
// The output has played everything it was given (BufferDone with no header).
inline constexpr uint32_t MM_WOM_PLAYED_OUT = 0x3C8;
// The device's stream failed or stopped delivering (BufferDone with no header).
inline constexpr uint32_t MM_DEVICE_FAILED = 0x3C9;

// Base of data that travels with a message and belongs to it.
struct MessagePayload {
    virtual ~MessagePayload() = default;
};

// A device's report that one of its buffers is done (filled or played).
struct BufferDone {
    WaveDevice* device = nullptr;
    WaveHeader* header = nullptr;  // null for a completion that was refused earlier and re-sent
};

// What a message carries. A plain number is a key index or a byte offset, as the id says.
using MessageArgument = std::
    variant<std::monostate, int64_t, BufferDone, PlayerListener*, std::unique_ptr<MessagePayload>>;

struct Message {
    uint32_t id = 0;
    MessageArgument argument;

    // The number the message carries, or `otherwise` when it carries something else.
    int64_t Number(int64_t otherwise = 0) const {
        const auto* n = std::get_if<int64_t>(&argument);
        return n != nullptr ? *n : otherwise;
    }
};

class MessageThread;

// Sees every message a thread accepts, on the posting thread, in the order of the queue. Tests
// use it to check which messages a command posts, and in which order; the program sets none.
class PostObserver {
  public:
    virtual ~PostObserver() = default;
    virtual void OnPosted(const MessageThread& thread, const Message& message) = 0;
};

class MessageThread : public DeviceOwner {
  public:
    explicit MessageThread(std::size_t capacity = 256);
    MessageThread(const MessageThread&) = delete;
    MessageThread& operator=(const MessageThread&) = delete;
    // Derived classes must call join() in their own destructor, before their members go.
    virtual ~MessageThread();

    // Starts the thread: onStart(), then messages until WM_QUIT, then onExit().
    void start();

    // Queues a message; false when the queue is full or the thread has ended.
    bool post(uint32_t id, MessageArgument argument = {});

    // Asks the thread to end after the messages already queued. Never fails, even when full.
    void quit();

    // quit() and wait for the thread to end. Safe to call more than once.
    void join();

    // Wait-free: how many messages have been posted so far; a completion source stamps its
    // reports with it so that they are handled after the messages posted before them.
    uint64_t postStamp() const noexcept override { return posted_.load(std::memory_order_acquire); }
    // Wait-free: makes the worker look at its completion sources. Never allocates, takes no
    // lock and never blocks (an atomic increment and a futex wake), so audio callbacks call it.
    void wake() noexcept override;
    // Any thread (a device's Open and Close): the worker asks `source` for completions from now
    // on / no longer. After removeCompletionSource returns, the worker no longer calls it.
    void addCompletionSource(CompletionSource& source) override;
    void removeCompletionSource(CompletionSource& source) override;
    // A closed device's report, posted as its message.
    void deliverLater(const DeviceEvent& event) override;

    // How often onTick() runs and the completion sources check their streams.
    static constexpr std::chrono::milliseconds kTickInterval{100};

    bool running() const { return running_.load(std::memory_order_acquire); }
    // The observer of the posts from now on (null: none); the thread shares its ownership, so
    // it lives as long as a post may still reach it.
    void setPostObserver(std::shared_ptr<PostObserver> observer);
    std::thread::id threadId() const { return thread_.get_id(); }

  protected:
    virtual void onStart() {}
    virtual void handleMessage(Message& message) = 0;
    virtual void onExit() {}
    // About every kTickInterval, between messages; for timers of the worker (a reopen).
    virtual void onTick() {}

  private:
    enum class Next { Message, Quit, Wait };
    void run();
    Next TakeNext(Message& message);
    void WaitForWake(uint32_t seen, std::chrono::steady_clock::time_point until);

    std::mutex mutex_;
    // Bumped by every post, quit and wake; the worker sleeps on it (a futex) while it is
    // unchanged, so no wake between its look at the queue and its sleep is lost.
    std::atomic<uint32_t> wakeCount_{0};
    CompletionSource* sources_ = nullptr;  // guarded by mutex_
    std::atomic<uint64_t> posted_{0};      // written under mutex_
    uint64_t handledPosts_ = 0;            // guarded by mutex_
    std::vector<Message> ring_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;
    bool quitRequested_ = false;
    std::atomic<bool> running_{false};
    std::shared_ptr<PostObserver> observer_;  // guarded by mutex_
    std::thread thread_;
};

}  // namespace tonavise
