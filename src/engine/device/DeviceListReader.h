// Reads the sound system's device lists on a thread of its own, so that a window never waits
// for the sound server: a list is one or more round trips to the server, each of which may take
// the server's whole answer time (kPulseAnswerSeconds) when it hangs.
//
// Threads: Request() from any thread; the answer runs on the reader's thread, and must only
// hand the lists on (a queued call to the window). The reader is made after the factory and
// destroyed before it; its destructor joins the thread, after the read under way, if any.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/device/SoundDevice.h"

namespace tonavise {

struct DeviceLists {
    std::vector<SoundDeviceInfo> inputs;
    std::vector<SoundDeviceInfo> outputs;
};

class DeviceListReader {
  public:
    using Answer = std::function<void(DeviceLists)>;

    explicit DeviceListReader(DeviceFactory& devices);
    ~DeviceListReader();
    DeviceListReader(const DeviceListReader&) = delete;
    DeviceListReader& operator=(const DeviceListReader&) = delete;

    // Reads both lists and gives them to `answer`. A request not yet begun is replaced: only
    // the newest asker gets an answer.
    void Request(Answer answer);

  private:
    void Run();

    DeviceFactory& devices_;
    std::mutex mutex_;
    std::condition_variable wake_;
    Answer pending_;     // under mutex_
    bool quit_ = false;  // under mutex_
    std::thread thread_;
};

}  // namespace tonavise
