#include "engine/WaveInThread.h"

#include "engine/AnalysisThread.h"
#include "engine/CaptureStore.h"
#include "engine/ThreadMessages.h"

namespace tonavise {

CWaveInThread::CWaveInThread(CaptureStore& store, DeviceFactory& devices, Notifier& notifier)
    : store_(store), devices_(devices), notifier_(notifier) {}

CWaveInThread::~CWaveInThread() {
    join();
}

void CWaveInThread::SetPlayerStatus(const PlayerStatus* player) {
    player_.store(player, std::memory_order_release);
}

void CWaveInThread::SetPlaybackMonitor(PlaybackMonitor* monitor) {
    monitor_.store(monitor, std::memory_order_release);
}

void CWaveInThread::SetBlockRecorder(BlockRecorder* recorder) {
    recorder_.store(recorder, std::memory_order_release);
}

void CWaveInThread::SetObserver(CaptureObserver* observer) {
    observer_.store(observer, std::memory_order_release);
}

void CWaveInThread::Configure(int channelCount) {
    if (IsOpen()) {
        return;
    }
    const int channels = channelCount == 2 ? 2 : 1;
    channels_.store(channels, std::memory_order_relaxed);
    format_ = PcmFormat(channels);
    for (int k = 0; k < kCaptureBufferCount; ++k) {
        headers_[k].Describe(buffers_[k].data(),
                             static_cast<uint32_t>(channels * kBlockBytesPerChannel));
    }
}

void CWaveInThread::Open() {
    if (IsOpen()) {
        return;
    }
    if (!device_) {
        device_ = devices_.Create(DeviceDirection::Input);
    }
    const DeviceResult result = device_->Open(format_, *this);
    if (result != kDeviceOk) {
        ShowDeviceError(notifier_, *device_, result);
        return;
    }
    for (WaveHeader& header : headers_) {
        device_->Prepare(header);
        device_->Queue(header);
    }
    device_->Start();
    isOpen_.store(1, std::memory_order_release);
}

void CWaveInThread::Close() {
    if (!IsOpen()) {
        return;
    }
    device_->Reset();
    for (WaveHeader& header : headers_) {
        device_->Unprepare(header);
    }
    device_->Close();
    isOpen_.store(0, std::memory_order_release);
}

void CWaveInThread::onStart() {
    Configure(store_.channelCount.load(std::memory_order_relaxed));
    Open();
}

void CWaveInThread::onExit() {
    Close();
    device_.reset();
}

void CWaveInThread::handleMessage(Message& message) {
    switch (message.id) {
        case MM_WIM_DATA:
            HandleBlocks();
            break;
        case UM_MIC_REOPEN:
            Close();
            Configure(store_.channelCount.load(std::memory_order_relaxed));
            Open();
            break;
        default:
            break;
    }
}

// Both headers are looked at on every completion: one message may find two full buffers, and
// the completions that a reset posts find none.
void CWaveInThread::HandleBlocks() {
    if (!IsOpen()) {
        return;
    }
    const int channels = Channels();
    for (int k = 0; k < kCaptureBufferCount; ++k) {
        WaveHeader& header = headers_[k];
        if (!header.IsDone()) {
            continue;
        }
        // Only a reset returns a buffer that is not full, and a reset closes the device.
        if (header.bytesRecorded.load(std::memory_order_relaxed) == header.bufferLength) {
            const std::span<int16_t> block(buffers_[k].data(),
                                           static_cast<std::size_t>(kBlockFrames) * channels);
            if (PlaybackMonitor* monitor = monitor_.load(std::memory_order_acquire)) {
                monitor->ReplaceCaptured(block, channels);
            }
            if (CaptureObserver* observer = observer_.load(std::memory_order_acquire)) {
                observer->OnCaptured(
                    block, channels, header.timeStamp.load(std::memory_order_relaxed));
            }
            const PlayerStatus* player = player_.load(std::memory_order_acquire);
            if (player == nullptr || !player->IsPlaying()) {
                store_.AppendBlock(block, channels);
            }
            if (BlockRecorder* recorder = recorder_.load(std::memory_order_acquire)) {
                recorder->RecordBlock(block, channels);
            }
        }
        device_->Queue(header);
    }
}

}  // namespace tonavise
