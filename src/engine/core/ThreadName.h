// Names the calling thread as the system's tools show it (top -H, perf, a debugger, the live
// figures' share per thread). Linux keeps at most 15 characters.
#pragma once

#include <pthread.h>

namespace tonavise {

inline void NameThisThread(const char* name) noexcept {
    pthread_setname_np(pthread_self(), name);
}

}  // namespace tonavise
