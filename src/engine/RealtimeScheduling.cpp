#include "engine/RealtimeScheduling.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>

#include <algorithm>

namespace tonavise {

namespace {

// Below the sound server's threads, so that ours never delay its mixing.
constexpr int kPriority = 4;

}  // namespace

bool RaiseToRealtime() {
    thread_local const bool raised = [] {
        int priority = kPriority;
        // An allowance lower than ours (a user in an audio group may have 1..3) is used as it is.
        rlimit limit{};
        if (getrlimit(RLIMIT_RTPRIO, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
            limit.rlim_cur < static_cast<rlim_t>(kPriority)) {
            priority = static_cast<int>(limit.rlim_cur);
        }
        if (priority < 1) {
            // Without an allowance only a privileged process may; it tries with our priority.
            priority = kPriority;
        }
        sched_param param{};
        param.sched_priority = std::clamp(priority, sched_get_priority_min(SCHED_RR), kPriority);
        // A process the thread starts (none does today) would not inherit the scheduling.
        return pthread_setschedparam(pthread_self(), SCHED_RR | SCHED_RESET_ON_FORK, &param) == 0;
    }();
    return raised;
}

}  // namespace tonavise
