#include "engine/MessageThread.h"

namespace tonavise {

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
        // Under the lock, so that the observer sees the posts of several threads in queue order.
        if (observer_) {
            observer_->OnPosted(*this, slot);
        }
    }
    cv_.notify_one();
    return true;
}

void MessageThread::setPostObserver(std::shared_ptr<PostObserver> observer) {
    {
        std::lock_guard lock(mutex_);
        observer_.swap(observer);
    }
    // The previous observer, if this was its last owner, goes here, outside the lock.
}

void MessageThread::quit() {
    {
        std::lock_guard lock(mutex_);
        quitRequested_ = true;
    }
    cv_.notify_one();
}

void MessageThread::join() {
    quit();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) {
        thread_.join();
    }
}

void MessageThread::run() {
    onStart();
    for (;;) {
        Message message;
        {
            std::unique_lock lock(mutex_);
            cv_.wait(lock, [this] { return count_ > 0 || quitRequested_; });
            if (count_ == 0) {
                break;  // quit, and everything posted before it has been handled
            }
            message = std::move(ring_[head_]);
            head_ = (head_ + 1) % ring_.size();
            --count_;
        }
        handleMessage(message);
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
