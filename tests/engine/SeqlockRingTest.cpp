// The ring behind the output's play position and the heard beat: readers see whole records,
// newest first, and nothing written before the last Clear().
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <thread>

#include "engine/core/SeqlockRing.h"

namespace tonavise {
namespace {

// Every field follows from `count`, so a record mixed from two pushes shows.
struct Entry {
    int64_t count = 0;
    double half = 0.0;
    int64_t squared = 0;
};

Entry MakeEntry(int64_t count) {
    return {count, static_cast<double>(count) / 2, count * count};
}

bool IsWhole(const Entry& e) {
    return e.half == static_cast<double>(e.count) / 2 && e.squared == e.count * e.count;
}

constexpr std::size_t kSize = 4;
using Ring = SeqlockRing<Entry, kSize>;

// One writer pushes 1, 2, 3, ... and clears after every multiple of kClearEvery until the reader
// has seen enough. Every snapshot must hold whole records, newest first and consecutive, exactly
// those pushed since the last clear (at most kSize of them).
TEST(SeqlockRing, AReaderOnAnotherThreadSeesOnlyConsistentSnapshots) {
    constexpr int64_t kReads = 500000;  // snapshots that are not empty
    constexpr int64_t kClearEvery = 7;
    const auto sinceClear = [&](int64_t newest) {
        return newest - (newest - 1) / kClearEvery * kClearEvery;
    };
    Ring ring;
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int64_t n = 1; !stop.load(std::memory_order_relaxed); ++n) {
            ring.Push(MakeEntry(n));
            if (n % kClearEvery == 0) {
                ring.Clear();
            }
            // Leaves the reader room to finish a copy now and then, as the sound's pace does.
            std::this_thread::yield();
        }
    });
    int64_t faults = 0;
    for (int64_t reads = 0; reads < kReads;) {
        const Ring::Snapshot s = ring.Read();
        if (s.empty()) {
            continue;
        }
        ++reads;
        const int64_t newest = s[0].count;
        bool ok = s.size() == std::min<std::size_t>(kSize, sinceClear(newest));
        for (std::size_t age = 0; age < s.size(); ++age) {
            ok = ok && IsWhole(s[age]) && s[age].count == newest - static_cast<int64_t>(age);
        }
        if (!ok && faults++ == 0) {
            ADD_FAILURE() << "snapshot of " << s.size() << " records, newest " << newest;
        }
    }
    stop.store(true, std::memory_order_relaxed);
    writer.join();
    EXPECT_EQ(faults, 0) << "of " << kReads << " snapshots";
}

}  // namespace
}  // namespace tonavise
