// StandInWatch: an output owner's watch over the device chosen for it. When its stream dies
// because the chosen device went away (unplugged, or its module unloaded) while the sound
// system still answers, the owner reopens at once, and the open stands the default in; while the
// default stands in, the owner asks now and then whether the chosen device is back and, when it
// is, reopens on it. Both reopens are the owner's: the watch only answers when.
//
// Threads: the owner's worker thread (it asks the sound system; never an audio thread); Held()
// from any thread.
#pragma once

#include <atomic>

#include "engine/device/SoundDevice.h"

namespace tonavise {

class StandInWatch {
  public:
    StandInWatch(DeviceFactory& devices, DeviceDirection direction)
        : devices_(devices), direction_(direction) {}

    // After each of the owner's opens: whether that open stands the default in.
    void Opened();
    // After the owner's stream died: whether it died because the chosen device went away, so
    // that the owner reopens at once instead of stopping.
    bool Gone();
    // From the owner's tick while its stream plays: whether to reopen now on the chosen device
    // (the sound system is asked at most every kAskSeconds).
    bool Back();

    // Runs `move` (the owner closing its stream and opening the next one) so that Held() says
    // the sound plays throughout: the owner's flag drops between the two streams, and a caller
    // polling it then would take the play for ended (the tool would stop, the buttons flicker).
    template <typename Move>
    void MoveSound(Move&& move) {
        moves_.fetch_add(1, std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_release);
        move();
        moves_.fetch_add(1, std::memory_order_release);
    }
    // The owner's "playing" as other threads should read it: `read()`, or true when the read
    // fell within a move (a move that failed reads as ended on the next call).
    template <typename Read>
    bool Held(Read&& read) const {
        const unsigned before = moves_.load(std::memory_order_acquire);
        const bool on = read();
        std::atomic_thread_fence(std::memory_order_acquire);
        return on || (before & 1u) != 0 || moves_.load(std::memory_order_relaxed) != before;
    }

    static constexpr double kAskSeconds = 2.0;

  private:
    DeviceFactory& devices_;
    const DeviceDirection direction_;
    bool standingIn_ = false;
    double askAt_ = 0.0;
    std::atomic<unsigned> moves_{0};  // odd while a move runs
};

}  // namespace tonavise
