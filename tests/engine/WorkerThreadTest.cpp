#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "engine/core/AutoResetEvent.h"
#include "engine/live/AnalysisThread.h"
#include "engine/live/WorkerThread.h"

namespace tonavise {
namespace {

using namespace std::chrono_literals;

struct Number {
    int64_t value = 0;
};
struct Text {
    std::string text;
};
// Counts its instances: a command's payload must go whether it was handled or not.
struct Counted {
    explicit Counted(std::atomic<int>& n) : alive(&n) { ++*alive; }
    Counted(Counted&& other) noexcept : alive(std::exchange(other.alive, nullptr)) {}
    Counted& operator=(Counted&& other) noexcept {
        std::swap(alive, other.alive);
        return *this;
    }
    ~Counted() {
        if (alive != nullptr) {
            --*alive;
        }
    }
    std::atomic<int>* alive;
};
using TestCommand = std::variant<DeviceEvent, Number, Text, Counted>;

class Worker final : public CommandThread<TestCommand> {
  public:
    explicit Worker(std::size_t capacity = 256) : CommandThread(capacity) {}
    ~Worker() override { join(); }

    std::mutex mutex;
    std::vector<int64_t> numbers;
    std::vector<std::string> texts;
    int handled = 0;
    bool started = false;
    bool exited = false;
    AutoResetEvent gate;  // when armed, the first command waits on it
    bool holdFirst = false;
    std::atomic<bool> holding{false};  // the first command has left the queue and waits

  protected:
    void onStart() override {
        std::lock_guard lock(mutex);
        started = true;
    }
    void handle(TestCommand& command) override {
        if (holdFirst) {
            holdFirst = false;
            holding = true;
            gate.wait();
        }
        std::lock_guard lock(mutex);
        ++handled;
        std::visit(
            [this](auto& c) {
                using C = std::decay_t<decltype(c)>;
                if constexpr (std::is_same_v<C, Number>) {
                    numbers.push_back(c.value);
                } else if constexpr (std::is_same_v<C, Text>) {
                    texts.push_back(c.text);
                }
            },
            command);
    }
    void onExit() override {
        std::lock_guard lock(mutex);
        exited = true;
    }
};

TEST(WorkerThread, HandlesCommandsInOrderThenExitsOnQuit) {
    Worker w;
    w.start();
    for (int64_t n = 1; n <= 100; ++n) {
        ASSERT_TRUE(w.send(Number{n}));
    }
    ASSERT_TRUE(w.send(Text{"path/to/file.wav"}));
    w.join();
    EXPECT_FALSE(w.running());
    ASSERT_EQ(w.numbers.size(), 100u);
    for (int64_t i = 0; i < 100; ++i) {
        EXPECT_EQ(w.numbers[i], i + 1);
    }
    EXPECT_EQ(w.texts, std::vector<std::string>{"path/to/file.wav"});
    EXPECT_TRUE(w.started);
    EXPECT_TRUE(w.exited);
    EXPECT_FALSE(w.send(Number{1})) << "sending after the end is refused";
}

TEST(WorkerThread, FullQueueRefusesButQuitAlwaysGetsThrough) {
    Worker w(4);
    w.holdFirst = true;
    w.start();
    ASSERT_TRUE(w.send(Number{1}));  // taken by the thread, which then waits on the gate
    while (!w.holding) {
        std::this_thread::sleep_for(1ms);
    }
    int accepted = 0;
    while (w.send(Number{3})) {
        ++accepted;
    }
    EXPECT_EQ(accepted, 4);
    w.quit();  // must not block or fail on a full queue
    w.gate.set();
    w.join();
    EXPECT_EQ(w.numbers.size(), 5u);
}

TEST(WorkerThread, TheObserverSeesAcceptedCommandsInQueueOrderOnly) {
    struct Log final : PostObserver<TestCommand> {
        void OnPosted(const CommandThread<TestCommand>&, const TestCommand& c) override {
            seen.push_back(std::get<Number>(c).value);
        }
        std::vector<int64_t> seen;
    };
    auto shared = std::make_shared<Log>();
    const Log& log = *shared;
    Worker w(2);
    w.setPostObserver(shared);
    ASSERT_TRUE(w.send(Number{7}));
    ASSERT_TRUE(w.send(Number{8}));
    EXPECT_FALSE(w.send(Number{9})) << "the queue is full before the start";
    w.setPostObserver(nullptr);
    w.start();
    w.join();
    EXPECT_EQ(log.seen, (std::vector<int64_t>{7, 8}));
}

TEST(WorkerThread, PayloadsAreReleasedWhetherHandledOrNot) {
    std::atomic<int> alive{0};
    {
        // Sent to a thread that never runs: they go with the thread.
        Worker w;
        w.send(Counted(alive));
        w.send(Counted(alive));
        EXPECT_EQ(alive.load(), 2);
    }
    EXPECT_EQ(alive.load(), 0);
    // Handled ones go as soon as their handler returns.
    Worker w;
    w.start();
    w.send(Counted(alive));
    w.join();
    EXPECT_EQ(alive.load(), 0);
    EXPECT_EQ(w.handled, 1);
}

// A worker's own timer wakes it on time, and without a device it sleeps through its ticks
// (an idle worker must not wake ten times a second for nothing).
class TimedWorker final : public CommandThread<TestCommand> {
  public:
    TimedWorker() : CommandThread(8) {}
    ~TimedWorker() override { join(); }
    std::atomic<int> ticks{0};
    std::atomic<int> dues{0};

  protected:
    void handle(TestCommand&) override {}
    void onTick() override { ++ticks; }
    std::chrono::steady_clock::time_point dueAt() const override { return due_; }
    void onDue() override {
        ++dues;
        due_ = dues < 10 ? std::chrono::steady_clock::now() + 20ms : kNever;
    }

  private:
    std::chrono::steady_clock::time_point due_ = std::chrono::steady_clock::now() + 20ms;
};

TEST(WorkerThread, ItsOwnTimerWakesItAndWithoutADeviceNoTickDoes) {
    TimedWorker worker;
    worker.start();
    const auto limit = std::chrono::steady_clock::now() + 5s;
    while (worker.dues < 10 && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(worker.dues, 10);
    // Asleep with no timer and no device: two ticks' worth pass without one.
    const int ticks = worker.ticks;
    std::this_thread::sleep_for(250ms);
    EXPECT_EQ(worker.ticks, ticks);
    worker.join();
    EXPECT_EQ(worker.dues, 10);
}

TEST(AutoResetEvent, ReleasesOneWaitAndResets) {
    AutoResetEvent e;
    EXPECT_FALSE(e.wait(0ms));
    e.set();
    e.set();
    EXPECT_TRUE(e.wait(0ms));
    EXPECT_FALSE(e.wait(0ms));
    std::thread t([&] {
        std::this_thread::sleep_for(5ms);
        e.set();
    });
    EXPECT_TRUE(e.wait(5s));
    t.join();
}

}  // namespace
}  // namespace tonavise
