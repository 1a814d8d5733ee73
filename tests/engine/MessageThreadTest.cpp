#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>

#include "engine/core/AutoResetEvent.h"
#include "engine/live/AnalysisThread.h"
#include "engine/live/MessageThread.h"

namespace tonavise {
namespace {

using namespace std::chrono_literals;

struct Text final : MessagePayload {
    explicit Text(std::string t) : text(std::move(t)) {}
    std::string text;
};

class Recorder final : public MessageThread {
  public:
    explicit Recorder(std::size_t capacity = 256) : MessageThread(capacity) {}
    ~Recorder() override { join(); }

    std::mutex mutex;
    std::vector<uint32_t> ids;
    std::vector<std::string> texts;
    bool started = false;
    bool exited = false;
    AutoResetEvent gate;  // when armed, the first message waits on it
    bool holdFirst = false;
    std::atomic<bool> holding{false};  // the first message has left the queue and waits

  protected:
    void onStart() override {
        std::lock_guard lock(mutex);
        started = true;
    }
    void handleMessage(Message& m) override {
        if (holdFirst) {
            holdFirst = false;
            holding = true;
            gate.wait();
        }
        std::lock_guard lock(mutex);
        ids.push_back(m.id);
        if (auto* p = std::get_if<std::unique_ptr<MessagePayload>>(&m.argument)) {
            if (auto* t = dynamic_cast<Text*>(p->get())) {
                texts.push_back(t->text);
            }
        }
    }
    void onExit() override {
        std::lock_guard lock(mutex);
        exited = true;
    }
};

TEST(MessageThread, HandlesMessagesInOrderThenExitsOnQuit) {
    Recorder r;
    r.start();
    for (uint32_t id = 1; id <= 100; ++id) {
        ASSERT_TRUE(r.post(WM_APP + id, int64_t{id}));
    }
    ASSERT_TRUE(r.post(WM_APP, std::make_unique<Text>("path/to/file.wav")));
    r.join();
    EXPECT_FALSE(r.running());
    ASSERT_EQ(r.ids.size(), 101u);
    for (uint32_t i = 0; i < 100; ++i) {
        EXPECT_EQ(r.ids[i], WM_APP + i + 1);
    }
    EXPECT_EQ(r.texts, std::vector<std::string>{"path/to/file.wav"});
    EXPECT_TRUE(r.started);
    EXPECT_TRUE(r.exited);
    EXPECT_FALSE(r.post(WM_APP + 1)) << "posting after the end is refused";
}

TEST(MessageThread, FullQueueRefusesButQuitAlwaysGetsThrough) {
    Recorder r(4);
    r.holdFirst = true;
    r.start();
    ASSERT_TRUE(r.post(WM_APP + 1));  // taken by the thread, which then waits on the gate
    while (!r.holding) {
        std::this_thread::sleep_for(1ms);
    }
    int accepted = 0;
    while (r.post(WM_APP + 3)) {
        ++accepted;
    }
    EXPECT_EQ(accepted, 4);
    r.quit();  // must not block or fail on a full queue
    r.gate.set();
    r.join();
    EXPECT_EQ(r.ids.size(), 5u);
}

TEST(MessageThread, TheObserverSeesAcceptedPostsInQueueOrderOnly) {
    struct Log final : PostObserver {
        void OnPosted(const MessageThread&, const Message& m) override {
            seen.emplace_back(m.id, m.Number());
        }
        std::vector<std::pair<uint32_t, uintptr_t>> seen;
    };
    auto shared = std::make_shared<Log>();
    const Log& log = *shared;
    Recorder r(2);
    r.setPostObserver(shared);
    ASSERT_TRUE(r.post(WM_APP + 1, 7));
    ASSERT_TRUE(r.post(WM_APP + 2, 8));
    EXPECT_FALSE(r.post(WM_APP + 3, 9)) << "the queue is full before the start";
    r.setPostObserver(nullptr);
    r.start();
    r.join();
    EXPECT_EQ(log.seen,
              (std::vector<std::pair<uint32_t, uintptr_t>>{{WM_APP + 1, 7}, {WM_APP + 2, 8}}));
}

TEST(MessageThread, PayloadsAreReleasedWhetherHandledOrNot) {
    struct Counted final : MessagePayload {
        explicit Counted(std::atomic<int>& n) : alive(n) { ++alive; }
        ~Counted() override { --alive; }
        std::atomic<int>& alive;
    };
    std::atomic<int> alive{0};
    {
        // Posted to a thread that never runs: they go with the thread.
        Recorder r;
        r.post(WM_APP + 1, std::make_unique<Counted>(alive));
        r.post(WM_APP + 2, std::make_unique<Counted>(alive));
        EXPECT_EQ(alive.load(), 2);
    }
    EXPECT_EQ(alive.load(), 0);
    // Handled ones go as soon as their handler returns.
    Recorder r;
    r.start();
    r.post(WM_APP + 1, std::make_unique<Counted>(alive));
    r.join();
    EXPECT_EQ(alive.load(), 0);
    EXPECT_EQ(r.ids.size(), 1u);
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
