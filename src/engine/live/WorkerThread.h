// A worker thread driven by commands, and the typed queue its commands travel in.
//
// `WorkerThread` is the thread: it sleeps until it is woken, takes the reports of the sound
// devices it owns (it is their DeviceOwner) and the commands sent to it, in the order they came,
// and runs a tick about every kTickInterval for its timers, and a timer of its own when it
// asks for one. `CommandThread<Command>` adds the queue: a ring of `Command` (a std::variant
// of command structs, one of them DeviceEvent) allocated once at construction, so sending
// never allocates and holds the lock only for a move. A worker handles its commands with
// std::visit, so a command it does not know, or one with the wrong payload, does not compile.
//
// Sound devices do not send: their audio threads publish completions with atomics in the device
// and call wake(), which takes no lock and cannot block. The worker takes them before the next
// command that was sent after them.
//
// Threads: send(), quit() and wake() from any thread (wake() also from an audio callback);
// start() and join() from the owning thread; handle(), onTick() and onDue() on the worker
// thread only.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "engine/device/DeviceOwner.h"

namespace tonavise {

class WorkerThread : public DeviceOwner {
  public:
    WorkerThread() = default;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;
    // Derived classes must call join() in their own destructor, before their members go.
    virtual ~WorkerThread();

    // Starts the thread: onStart(), then commands until quit(), then onExit().
    void start();
    // Asks the thread to end after the commands already sent. Never fails, even when full.
    void quit();
    // quit() and wait for the thread to end. Safe to call more than once.
    void join();

    // Wait-free: how many commands have been sent so far; a device stamps its reports with it
    // so that they are handled after the commands sent before them.
    uint64_t postStamp() const noexcept override { return posted_.load(std::memory_order_acquire); }
    // Wait-free: makes the worker look at its queue and its devices. Never allocates, takes no
    // lock and never blocks (an atomic increment and a futex wake), so audio callbacks call it.
    void wake() noexcept override;
    void addCompletionSource(CompletionSource& source) override;
    void removeCompletionSource(CompletionSource& source) override;

    // How often onTick() runs and the devices check their streams.
    static constexpr std::chrono::milliseconds kTickInterval{100};
    // A time that never comes: no timer of the worker's own.
    static constexpr std::chrono::steady_clock::time_point kNever =
        std::chrono::steady_clock::time_point::max();

    bool running() const { return running_.load(std::memory_order_acquire); }
    std::thread::id threadId() const { return thread_.get_id(); }

  protected:
    // The worker's name in the system's tools (at most 15 characters).
    virtual const char* threadName() const { return "worker"; }
    virtual void onStart() {}
    virtual void onExit() {}
    // About every kTickInterval, between commands; for timers of the worker (a reopen) and the
    // devices' liveness checks. A worker without an open device sleeps through its ticks
    // unless it says that it has work for them then (the capture's reopen of a lost input).
    virtual void onTick() {}
    virtual bool ticksWithoutDevice() const { return false; }
    // A timer of the worker's own, finer than the tick: when it is next due (kNever: not), asked
    // before every sleep so that the thread wakes for it; onDue() runs, between commands, once
    // the time has come, and must move dueAt() on.
    virtual std::chrono::steady_clock::time_point dueAt() const { return kNever; }
    virtual void onDue() {}

    // The queue's side, implemented by CommandThread under `mutex_`.
    virtual bool HasQueuedLocked() const = 0;
    // Moves the front command out of the queue, to be handled after the lock is let go.
    virtual void TakeQueuedLocked() = 0;
    virtual void HandleTaken() = 0;
    virtual void HandleDeviceEvent(const DeviceEvent& event) = 0;
    // At the end: commands that can no longer be handled are released on the worker thread.
    virtual void DropQueuedLocked() = 0;

    // For CommandThread::send: one command was queued (under `mutex_`).
    void CountSentLocked() {
        posted_.store(posted_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    }
    bool QuitRequestedLocked() const { return quitRequested_; }

    std::mutex mutex_;

  private:
    enum class Next { Command, Device, Quit, Wait };
    void run();
    Next TakeNext(DeviceEvent& event);

    // Bumped by every send, quit and wake; the worker sleeps on it (a futex) while it is
    // unchanged, so no wake between its look at the queue and its sleep is lost.
    std::atomic<uint32_t> wakeCount_{0};
    CompletionSource* sources_ = nullptr;  // guarded by mutex_
    bool hasSources_ = false;              // this thread: whether sources_ was set when it looked
    std::atomic<uint64_t> posted_{0};      // written under mutex_
    uint64_t handledPosts_ = 0;            // guarded by mutex_
    bool quitRequested_ = false;           // guarded by mutex_
    std::atomic<bool> running_{false};
    std::thread thread_;
};

template <class Command>
class CommandThread;

// Sees every command a thread accepts, on the sending thread, in the order of the queue. Tests
// use it to check which commands an action sends, and in which order; the program sets none.
template <class Command>
class PostObserver {
  public:
    virtual ~PostObserver() = default;
    virtual void OnPosted(const CommandThread<Command>& thread, const Command& command) = 0;
};

template <class Command>
class CommandThread : public WorkerThread {
  public:
    explicit CommandThread(std::size_t capacity = 256) : ring_(capacity == 0 ? 1 : capacity) {}

    // Queues a command; false when the queue is full or the thread has ended.
    bool send(Command command) {
        {
            std::lock_guard lock(mutex_);
            if (QuitRequestedLocked() || count_ == ring_.size()) {
                return false;
            }
            Command& slot = ring_[(head_ + count_) % ring_.size()];
            slot = std::move(command);
            ++count_;
            CountSentLocked();
            // Under the lock, so that the observer sees the commands of several threads in
            // queue order.
            if (observer_) {
                observer_->OnPosted(*this, slot);
            }
        }
        wake();
        return true;
    }

    // A closed device's report that the worker had not taken yet, sent as a command.
    void deliverLater(const DeviceEvent& event) override { send(Command(event)); }

    // The observer of the commands from now on (null: none); the thread shares its ownership,
    // so it lives as long as a send may still reach it.
    void setPostObserver(std::shared_ptr<PostObserver<Command>> observer) {
        {
            std::lock_guard lock(mutex_);
            observer_.swap(observer);
        }
        // The previous observer, if this was its last owner, goes here, outside the lock.
    }

  protected:
    virtual void handle(Command& command) = 0;

  private:
    bool HasQueuedLocked() const final { return count_ > 0; }
    void TakeQueuedLocked() final {
        taken_ = std::move(ring_[head_]);
        ring_[head_] = Command{};
        head_ = (head_ + 1) % ring_.size();
        --count_;
    }
    void HandleTaken() final {
        handle(taken_);
        taken_ = Command{};
    }
    void HandleDeviceEvent(const DeviceEvent& event) final {
        Command command(event);
        handle(command);
    }
    void DropQueuedLocked() final {
        for (; count_ > 0; --count_) {
            ring_[head_] = Command{};
            head_ = (head_ + 1) % ring_.size();
        }
    }

    std::vector<Command> ring_;  // guarded by mutex_
    std::size_t head_ = 0;
    std::size_t count_ = 0;
    Command taken_{};                                  // worker thread
    std::shared_ptr<PostObserver<Command>> observer_;  // guarded by mutex_
};

}  // namespace tonavise
