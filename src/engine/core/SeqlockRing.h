// The newest N records of one writer, for readers on other threads: a seqlock over a ring. The
// writer never waits, takes no lock and allocates nothing (it may be an audio callback); a
// reader copies the records and copies them again when the writer wrote meanwhile.
//
// The seqlock has no fences, which ThreadSanitizer does not model: the sequence number is odd
// while the writer changes the ring, every word of a record is a std::atomic stored with
// release, so the odd sequence number is visible before any of them, and loaded with acquire,
// so the reader's second look at the sequence number comes after all of them.
//
// Threads: Push() and Clear() on one writer at a time (another thread may take over once the
// writer is known to have stopped, as the owner does while the audio thread is stopped);
// Read() on any thread.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <thread>
#include <type_traits>

namespace tonavise {

template <typename Record, std::size_t N>
class SeqlockRing {
    static_assert(std::is_trivially_copyable_v<Record>);
    static_assert(N > 0);

  public:
    // The records of one moment, newest first.
    class Snapshot {
      public:
        std::size_t size() const { return size_; }
        bool empty() const { return size_ == 0; }
        // age 0 is the newest record, size() - 1 the oldest kept.
        const Record& operator[](std::size_t age) const { return records_[age]; }

      private:
        friend class SeqlockRing;
        std::array<Record, N> records_{};
        std::size_t size_ = 0;
    };

    SeqlockRing() = default;
    SeqlockRing(const SeqlockRing&) = delete;
    SeqlockRing& operator=(const SeqlockRing&) = delete;

    // Writer: adds a record; the oldest of N + 1 is dropped.
    void Push(const Record& record) noexcept {
        const uint64_t seq = seq_.load(std::memory_order_relaxed);
        seq_.store(seq + 1, std::memory_order_relaxed);
        const uint64_t total = total_.load(std::memory_order_relaxed);
        std::array<Word, kWords> words{};
        std::memcpy(words.data(), &record, sizeof(Record));
        Slot& slot = slots_[total % N];
        for (std::size_t w = 0; w < kWords; ++w) {
            slot[w].store(words[w], std::memory_order_release);
        }
        total_.store(total + 1, std::memory_order_release);
        seq_.store(seq + 2, std::memory_order_release);
    }

    // Writer: forgets every record.
    void Clear() noexcept {
        const uint64_t seq = seq_.load(std::memory_order_relaxed);
        seq_.store(seq + 1, std::memory_order_relaxed);
        total_.store(0, std::memory_order_release);
        seq_.store(seq + 2, std::memory_order_release);
    }

    // Any thread: the records as the writer left them after one of its calls.
    Snapshot Read() const {
        Snapshot out;
        for (;;) {
            const uint64_t seq = seq_.load(std::memory_order_acquire);
            if ((seq & 1) != 0) {
                std::this_thread::yield();  // the writer is in the middle of a call
                continue;
            }
            const uint64_t total = total_.load(std::memory_order_acquire);
            const std::size_t kept = static_cast<std::size_t>(std::min<uint64_t>(total, N));
            for (std::size_t age = 0; age < kept; ++age) {
                const Slot& slot = slots_[(total - 1 - age) % N];
                std::array<Word, kWords> words{};
                for (std::size_t w = 0; w < kWords; ++w) {
                    words[w] = slot[w].load(std::memory_order_acquire);
                }
                // Record is trivially copyable; its default member values only make it
                // non-trivial to construct.
                std::memcpy(static_cast<void*>(&out.records_[age]), words.data(), sizeof(Record));
            }
            if (seq_.load(std::memory_order_relaxed) == seq) {
                out.size_ = kept;
                return out;
            }
        }
    }

  private:
    using Word = uint64_t;
    static_assert(std::atomic<Word>::is_always_lock_free);
    static constexpr std::size_t kWords = (sizeof(Record) + sizeof(Word) - 1) / sizeof(Word);
    using Slot = std::array<std::atomic<Word>, kWords>;

    std::array<Slot, N> slots_{};
    std::atomic<uint64_t> seq_{0};
    std::atomic<uint64_t> total_{0};
};

}  // namespace tonavise
