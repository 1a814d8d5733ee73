#include "engine/device/DeviceListReader.h"

#include <utility>

namespace tonavise {

DeviceListReader::DeviceListReader(DeviceFactory& devices)
    : devices_(devices), thread_([this] { Run(); }) {}

DeviceListReader::~DeviceListReader() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        pending_ = nullptr;
    }
    wake_.notify_one();
    thread_.join();
}

void DeviceListReader::Request(Answer answer) {
    {
        std::lock_guard lock(mutex_);
        pending_ = std::move(answer);
    }
    wake_.notify_one();
}

void DeviceListReader::Run() {
    for (;;) {
        Answer answer;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || pending_ != nullptr; });
            if (quit_) {
                return;
            }
            answer = std::exchange(pending_, nullptr);
        }
        DeviceLists lists;
        lists.inputs = devices_.Devices(DeviceDirection::Input);
        lists.outputs = devices_.Devices(DeviceDirection::Output);
        answer(std::move(lists));
    }
}

}  // namespace tonavise
