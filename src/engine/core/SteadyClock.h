// Seconds on the steady clock: the one time base of device timestamps, stall watches and
// reopen timers, so that they can be compared across threads.
#pragma once

#include <chrono>

namespace tonavise {

inline double SteadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace tonavise
