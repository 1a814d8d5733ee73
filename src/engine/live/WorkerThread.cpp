#include "engine/live/WorkerThread.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>

#include "engine/core/SteadyClock.h"
#include "engine/core/ThreadName.h"

namespace tonavise {

namespace {

// The worker sleeps on its wake counter with the futex the atomic is made of: a wake is one
// atomic increment and one system call that never blocks, which an audio callback may make;
// a condition variable's notify may wait on the variable's internal lock.
static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t) &&
              std::atomic<uint32_t>::is_always_lock_free);

uint32_t* FutexWord(std::atomic<uint32_t>& word) {
    return reinterpret_cast<uint32_t*>(&word);
}

void FutexWake(std::atomic<uint32_t>& word) {
    syscall(SYS_futex, FutexWord(word), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

// Sleeps while `word` still holds `seen`, until `until` (kNever: until woken); returns at once
// otherwise.
void FutexWait(std::atomic<uint32_t>& word,
               uint32_t seen,
               std::chrono::steady_clock::time_point until) {
    if (until == WorkerThread::kNever) {
        syscall(SYS_futex, FutexWord(word), FUTEX_WAIT_PRIVATE, seen, nullptr, nullptr, 0);
        return;
    }
    const auto timeout = std::chrono::duration_cast<std::chrono::nanoseconds>(
        until - std::chrono::steady_clock::now());
    if (timeout.count() <= 0) {
        return;
    }
    timespec t{};
    t.tv_sec = static_cast<time_t>(timeout.count() / 1000000000);
    t.tv_nsec = static_cast<long>(timeout.count() % 1000000000);
    syscall(SYS_futex, FutexWord(word), FUTEX_WAIT_PRIVATE, seen, &t, nullptr, 0);
}

}  // namespace

WorkerThread::~WorkerThread() {
    join();
}

void WorkerThread::start() {
    if (thread_.joinable()) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        quitRequested_ = false;
    }
    running_.store(true, std::memory_order_release);
    thread_ = std::thread([this] { run(); });
}

void WorkerThread::wake() noexcept {
    // release: what the waker published before (a completion) is seen by the worker, whose
    // load of the counter is an acquire.
    wakeCount_.fetch_add(1, std::memory_order_release);
    FutexWake(wakeCount_);
}

void WorkerThread::addCompletionSource(CompletionSource& source) {
    {
        std::lock_guard lock(mutex_);
        for (CompletionSource* s = sources_; s != nullptr; s = s->nextSource) {
            if (s == &source) {
                return;
            }
        }
        source.nextSource = sources_;
        sources_ = &source;
    }
    wake();
}

void WorkerThread::removeCompletionSource(CompletionSource& source) {
    std::lock_guard lock(mutex_);
    for (CompletionSource** s = &sources_; *s != nullptr; s = &(*s)->nextSource) {
        if (*s == &source) {
            *s = source.nextSource;
            source.nextSource = nullptr;
            return;
        }
    }
}

void WorkerThread::quit() {
    {
        std::lock_guard lock(mutex_);
        quitRequested_ = true;
    }
    wake();
}

void WorkerThread::join() {
    quit();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) {
        thread_.join();
    }
}

// A device report goes before the commands sent after it, and after those sent before it (its
// stamp).
WorkerThread::Next WorkerThread::TakeNext(DeviceEvent& event) {
    std::lock_guard lock(mutex_);
    for (CompletionSource* s = sources_; s != nullptr; s = s->nextSource) {
        if (s->TakeCompletion(event, handledPosts_)) {
            return Next::Device;
        }
    }
    if (HasQueuedLocked()) {
        TakeQueuedLocked();
        ++handledPosts_;
        return Next::Command;
    }
    hasSources_ = sources_ != nullptr;
    return quitRequested_ ? Next::Quit : Next::Wait;
}

void WorkerThread::run() {
    NameThisThread(threadName());
    onStart();
    auto nextTick = std::chrono::steady_clock::now() + kTickInterval;
    for (;;) {
        const uint32_t seen = wakeCount_.load(std::memory_order_acquire);
        const auto now = std::chrono::steady_clock::now();
        if (now >= nextTick) {
            nextTick = now + kTickInterval;
            {
                std::lock_guard lock(mutex_);
                const double steadyNow = SteadySeconds();
                for (CompletionSource* s = sources_; s != nullptr; s = s->nextSource) {
                    s->CheckAlive(steadyNow);
                }
            }
            onTick();
        }
        if (now >= dueAt()) {
            onDue();
        }
        DeviceEvent event;
        const Next next = TakeNext(event);
        if (next == Next::Device) {
            HandleDeviceEvent(event);
            continue;
        }
        if (next == Next::Command) {
            HandleTaken();
            continue;
        }
        if (next == Next::Quit) {
            break;  // quit, and everything sent before it has been handled
        }
        // An idle worker without a device sleeps until it is sent something: no tick to wake
        // for ten times a second.
        const auto until =
            hasSources_ || ticksWithoutDevice() ? std::min(nextTick, dueAt()) : dueAt();
        FutexWait(wakeCount_, seen, until);
    }
    onExit();
    {
        // Commands that could no longer be handled are released here, on this thread.
        std::lock_guard lock(mutex_);
        DropQueuedLocked();
    }
    running_.store(false, std::memory_order_release);
}

}  // namespace tonavise
