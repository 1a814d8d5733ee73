// A worker thread with its own message queue, driven only by posted messages.
//
// A message is an id and one typed argument: nothing, a number, a finished device buffer, a
// listener of the file player, or an owned payload that moves with the message. The queue is a
// ring allocated once at construction, so posting never allocates and holds the queue's lock
// only for a move.
//
// Sound devices do not post: their audio threads publish completions with atomics in the
// device (a CompletionSource registered with its owner thread) and call wake(), which takes no
// lock and cannot block. The worker turns them into MM_WIM_DATA / MM_WOM_DONE messages before
// it takes the next posted message (it is the devices' DeviceOwner).
//
// Threads: post(), quit() and wake() from any thread (wake() also from an audio callback);
// start() and join() from the owning thread; the virtual handlers and onTick() run on the
// worker thread only.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <variant>
#include <vector>

#include "engine/device/DeviceOwner.h"
#include "engine/live/WorkerThread.h"

namespace tonavise {

class PlayerListener;

// The id that ends a thread's loop.
inline constexpr uint32_t WM_QUIT = 0x0012;
// Base of the application's own message ids. The ids keep fixed values: tests and the post
// log of the tool commands compare them, and the device completions below it must never clash.
inline constexpr uint32_t WM_APP = 0x8000;

// A device's reports (DeviceEvent) as messages, below the application's own ids.
inline constexpr uint32_t MM_WOM_DONE = 0x3BD;
inline constexpr uint32_t MM_WIM_DATA = 0x3C0;
// The output has played everything it was given (BufferDone with no header).
inline constexpr uint32_t MM_WOM_PLAYED_OUT = 0x3C8;
// The device's stream failed or stopped delivering (BufferDone with no header).
inline constexpr uint32_t MM_DEVICE_FAILED = 0x3C9;

// Base of data that travels with a message and belongs to it.
struct MessagePayload {
    virtual ~MessagePayload() = default;
};

// A device's report that one of its buffers is done (filled or played).
struct BufferDone {
    WaveDevice* device = nullptr;
    WaveHeader* header = nullptr;  // null for a completion that was refused earlier and re-sent
};

// What a message carries. A plain number is a key index or a byte offset, as the id says.
using MessageArgument = std::
    variant<std::monostate, int64_t, BufferDone, PlayerListener*, std::unique_ptr<MessagePayload>>;

struct Message {
    Message() = default;
    Message(uint32_t messageId, MessageArgument messageArgument)
        : id(messageId), argument(std::move(messageArgument)) {}
    // A device's report as its message.
    explicit Message(const DeviceEvent& event);

    uint32_t id = 0;
    MessageArgument argument;

    // The number the message carries, or `otherwise` when it carries something else.
    int64_t Number(int64_t otherwise = 0) const {
        const auto* n = std::get_if<int64_t>(&argument);
        return n != nullptr ? *n : otherwise;
    }
};

// The messages of the workers not yet moved to a command type of their own.
class MessageThread : public CommandThread<Message> {
  public:
    explicit MessageThread(std::size_t capacity = 256) : CommandThread<Message>(capacity) {}

    // Queues a message; false when the queue is full or the thread has ended.
    bool post(uint32_t id, MessageArgument argument = {}) {
        if (id == WM_QUIT) {
            quit();
            return true;
        }
        return send(Message{id, std::move(argument)});
    }

  protected:
    virtual void handleMessage(Message& message) = 0;

  private:
    void handle(Message& message) final { handleMessage(message); }
};

}  // namespace tonavise
