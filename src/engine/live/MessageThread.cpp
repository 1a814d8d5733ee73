#include "engine/live/MessageThread.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <ctime>

#include "engine/core/SteadyClock.h"

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

// Sleeps while `word` still holds `seen`, at most `timeout`; returns at once otherwise.
void FutexWait(std::atomic<uint32_t>& word, uint32_t seen, std::chrono::nanoseconds timeout) {
    if (timeout.count() <= 0) {
        return;
    }
    timespec t{};
    t.tv_sec = static_cast<time_t>(timeout.count() / 1000000000);
    t.tv_nsec = static_cast<long>(timeout.count() % 1000000000);
    syscall(SYS_futex, FutexWord(word), FUTEX_WAIT_PRIVATE, seen, &t, nullptr, 0);
}

// A device's report as the message its owner handles.
Message AsMessage(const DeviceEvent& event) {
    uint32_t id = MM_WIM_DATA;
    switch (event.kind) {
        case DeviceEvent::Kind::Filled:
            id = MM_WIM_DATA;
            break;
        case DeviceEvent::Kind::Played:
            id = MM_WOM_DONE;
            break;
        case DeviceEvent::Kind::PlayedOut:
            id = MM_WOM_PLAYED_OUT;
            break;
        case DeviceEvent::Kind::Failed:
            id = MM_DEVICE_FAILED;
            break;
    }
    return Message{id, BufferDone{event.device, event.header}};
}

}  // namespace

MessageThread::MessageThread(std::size_t capacity) : ring_(capacity == 0 ? 1 : capacity) {}

MessageThread::~MessageThread() {
    join();
}

void MessageThread::start() {
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

void MessageThread::wake() noexcept {
    // release: what the waker published before (a completion) is seen by the worker, whose
    // load of the counter is an acquire.
    wakeCount_.fetch_add(1, std::memory_order_release);
    FutexWake(wakeCount_);
}

bool MessageThread::post(uint32_t id, MessageArgument argument) {
    if (id == WM_QUIT) {
        quit();
        return true;
    }
    {
        std::lock_guard lock(mutex_);
        if (quitRequested_ || count_ == ring_.size()) {
            return false;
        }
        Message& slot = ring_[(head_ + count_) % ring_.size()];
        slot.id = id;
        slot.argument = std::move(argument);
        ++count_;
        posted_.store(posted_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
        // Under the lock, so that the observer sees the posts of several threads in queue order.
        if (observer_) {
            observer_->OnPosted(*this, slot);
        }
    }
    wake();
    return true;
}

void MessageThread::setPostObserver(std::shared_ptr<PostObserver> observer) {
    {
        std::lock_guard lock(mutex_);
        observer_.swap(observer);
    }
    // The previous observer, if this was its last owner, goes here, outside the lock.
}

void MessageThread::deliverLater(const DeviceEvent& event) {
    Message message = AsMessage(event);
    post(message.id, std::move(message.argument));
}

void MessageThread::addCompletionSource(CompletionSource& source) {
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

void MessageThread::removeCompletionSource(CompletionSource& source) {
    std::lock_guard lock(mutex_);
    for (CompletionSource** s = &sources_; *s != nullptr; s = &(*s)->nextSource) {
        if (*s == &source) {
            *s = source.nextSource;
            source.nextSource = nullptr;
            return;
        }
    }
}

void MessageThread::quit() {
    {
        std::lock_guard lock(mutex_);
        quitRequested_ = true;
    }
    wake();
}

void MessageThread::join() {
    quit();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) {
        thread_.join();
    }
}

// A device report goes before the posted messages that came after it, and after those that
// came before it (its stamp).
MessageThread::Next MessageThread::TakeNext(Message& message) {
    std::lock_guard lock(mutex_);
    DeviceEvent event;
    for (CompletionSource* s = sources_; s != nullptr; s = s->nextSource) {
        if (s->TakeCompletion(event, handledPosts_)) {
            message = AsMessage(event);
            return Next::Message;
        }
    }
    if (count_ > 0) {
        message = std::move(ring_[head_]);
        head_ = (head_ + 1) % ring_.size();
        --count_;
        ++handledPosts_;
        return Next::Message;
    }
    return quitRequested_ ? Next::Quit : Next::Wait;
}

void MessageThread::WaitForWake(uint32_t seen, std::chrono::steady_clock::time_point until) {
    FutexWait(wakeCount_, seen, until - std::chrono::steady_clock::now());
}

void MessageThread::run() {
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
        Message message;
        const Next next = TakeNext(message);
        if (next == Next::Message) {
            handleMessage(message);
            continue;
        }
        if (next == Next::Quit) {
            break;  // quit, and everything posted before it has been handled
        }
        WaitForWake(seen, nextTick);
    }
    onExit();
    {
        // Payloads of messages that could no longer be handled are released here, on this thread.
        std::lock_guard lock(mutex_);
        for (; count_ > 0; --count_) {
            ring_[head_].argument = std::monostate{};
            head_ = (head_ + 1) % ring_.size();
        }
    }
    running_.store(false, std::memory_order_release);
}

}  // namespace tonavise
