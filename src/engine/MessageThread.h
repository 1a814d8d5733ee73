// A worker thread with its own message queue, driven only by posted messages.
//
// Messages are small values (id, wParam, lParam) and may carry an owned payload that moves
// with them. The queue is a ring allocated once at construction, so posting never allocates
// and holds the queue's lock only for a move: device completions may be posted from an audio
// callback.
//
// Threads: post() and quit() from any thread; start() and join() from the owning thread;
// the virtual handlers run on the worker thread only.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tonavise {

inline constexpr uint32_t WM_QUIT = 0x0012;
// Base of the application's own message ids; every id keeps its historic value.
inline constexpr uint32_t WM_APP = 0x8000;

// Base of data that travels with a message and belongs to it.
struct MessagePayload {
    virtual ~MessagePayload() = default;
};

struct Message {
    uint32_t id = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    std::unique_ptr<MessagePayload> payload;
};

class MessageThread;

// Sees every message a thread accepts, on the posting thread, in the order of the queue. Tests
// use it to check which messages a command posts, and in which order; the program sets none.
class PostObserver {
public:
    virtual ~PostObserver() = default;
    virtual void OnPosted(const MessageThread& thread, uint32_t id, uintptr_t wParam, intptr_t lParam) = 0;
};

class MessageThread {
public:
    explicit MessageThread(std::size_t capacity = 256);
    MessageThread(const MessageThread&) = delete;
    MessageThread& operator=(const MessageThread&) = delete;
    // Derived classes must call join() in their own destructor, before their members go.
    virtual ~MessageThread();

    // Starts the thread: onStart(), then messages until WM_QUIT, then onExit().
    void start();

    // Queues a message; false when the queue is full or the thread has ended.
    bool post(uint32_t id,
              uintptr_t wParam = 0,
              intptr_t lParam = 0,
              std::unique_ptr<MessagePayload> payload = nullptr);

    // Asks the thread to end after the messages already queued. Never fails, even when full.
    void quit();

    // quit() and wait for the thread to end. Safe to call more than once.
    void join();

    bool running() const { return running_.load(std::memory_order_acquire); }
    // The observer of the posts from now on (null: none); the thread shares its ownership, so
    // it lives as long as a post may still reach it.
    void setPostObserver(std::shared_ptr<PostObserver> observer);
    std::thread::id threadId() const { return thread_.get_id(); }

protected:
    virtual void onStart() {}
    virtual void handleMessage(Message& message) = 0;
    virtual void onExit() {}

private:
    void run();

    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<Message> ring_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;
    bool quitRequested_ = false;
    std::atomic<bool> running_{false};
    std::shared_ptr<PostObserver> observer_;  // guarded by mutex_
    std::thread thread_;
};

}  // namespace tonavise
