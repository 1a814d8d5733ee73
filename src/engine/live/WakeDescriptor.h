// A wake-up that an event loop can watch: a kernel counter (eventfd) whose descriptor becomes
// readable when any thread signals it. The engine signals it when something the view draws is
// ready; the interface watches the descriptor (a QSocketNotifier), so it sleeps until then
// instead of looking every few milliseconds.
//
// Threads: Signal() from any thread: one write, never blocks, never allocates. Drain() by the
// watching thread, before it reads what it was woken for, so that a signal after the drain
// wakes it again.
#pragma once

namespace tonavise {

class WakeDescriptor {
  public:
    WakeDescriptor();
    ~WakeDescriptor();
    WakeDescriptor(const WakeDescriptor&) = delete;
    WakeDescriptor& operator=(const WakeDescriptor&) = delete;

    void Signal() noexcept;
    // Clears the signals so far; true when there was one.
    bool Drain() noexcept;
    // The descriptor to watch for reading; -1 when the system gave none.
    int fd() const { return fd_; }

  private:
    int fd_ = -1;
};

}  // namespace tonavise
