#include "engine/FilePlayThread.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <variant>

#include "engine/CaptureStore.h"
#include "engine/FileLoading.h"
#include "engine/Notifier.h"
#include "engine/ThreadMessages.h"

namespace tonavise {

CFilePlayThread::CFilePlayThread(CaptureStore& store, DeviceFactory& devices, Notifier& notifier)
    : store_(store), devices_(devices), notifier_(notifier) {}

CFilePlayThread::~CFilePlayThread() {
    join();
}

bool CFilePlayThread::PostOpen(std::string path, PlayerListener* notify) {
    return post(UM_PLAYER_OPEN, std::make_unique<OpenFilePayload>(std::move(path), notify));
}

bool CFilePlayThread::PostPlay(int64_t startOffset) {
    return post(UM_PLAYER_PLAY, std::max<int64_t>(startOffset, 0));
}

bool CFilePlayThread::PostFeed(PlayerListener* listener) {
    return post(UM_PLAYER_FEED_SCOPE, listener);
}

void CFilePlayThread::handleMessage(Message& m) {
    switch (m.id) {
        case UM_PLAYER_STOP:
            Stop();
            break;
        case UM_PLAYER_PAUSE:
            Pause();
            break;
        case UM_PLAYER_PLAY:
            Play(m.Number());
            break;
        case UM_PLAYER_RESUME:
            Resume();
            break;
        case UM_PLAYER_OPEN:
            if (auto* payload = std::get_if<std::unique_ptr<MessagePayload>>(&m.argument)) {
                Open(std::move(*payload));
            }
            break;
        case UM_PLAYER_FEED_SCOPE:
            if (auto* listener = std::get_if<PlayerListener*>(&m.argument)) {
                Feed(*listener);
            }
            break;
        case MM_WOM_DONE:
            EndOfBuffer(m);
            break;
        case MM_WOM_PLAYED_OUT:
            PlayedOut(m);
            break;
        case MM_DEVICE_FAILED:
            DeviceFailed(m);
            break;
        default:
            break;
    }
}

void CFilePlayThread::onExit() {
    Stop();
    Release();
}

void CFilePlayThread::Release() {
    clip_.Release();
    playback_ = PlaybackSound{};
    kind_.store(LoadedKind::None, std::memory_order_relaxed);
    channels_.store(0, std::memory_order_relaxed);
    length_.store(0, std::memory_order_relaxed);
    bytesPerSecond_.store(0, std::memory_order_relaxed);
}

void CFilePlayThread::Open(std::unique_ptr<MessagePayload> payload) {
    auto* open = dynamic_cast<OpenFilePayload*>(payload.get());
    if (open == nullptr) {
        return;
    }
    Stop();
    Release();
    notify_ = open->notify;
    startOffset_ = 0;
    LoadByPath(open->path, clip_, notifier_);
    if (clip_.kind == LoadedKind::None) {
        return;
    }
    if (!PreparePlayback(clip_, playback_)) {
        notifier_.ShowMessage(kAppTitle, kMemoryNotEnough, MessageIcon::Exclamation);
        Release();
        return;
    }
    channels_.store(clip_.format.channels, std::memory_order_relaxed);
    length_.store(clip_.length, std::memory_order_relaxed);
    bytesPerSecond_.store(int64_t{clip_.format.samplesPerSec} * clip_.format.blockAlign,
                          std::memory_order_relaxed);
    kind_.store(clip_.kind, std::memory_order_relaxed);
    if (notify_ != nullptr) {
        notify_->OnPlayerLoaded(clip_.length);
    }
}

void CFilePlayThread::Play(int64_t requestedOffset) {
    if (IsPlaying() || clip_.kind == LoadedKind::None || clip_.length <= 0) {
        return;
    }
    // Whole frames, and a multiple of 4 bytes as the slider has always given.
    int64_t offset = requestedOffset - requestedOffset % 4;
    offset -= offset % clip_.format.blockAlign;
    if (offset >= clip_.length) {
        offset = 0;  // at the end: play from the beginning rather than nothing
    }
    std::unique_ptr<WaveDevice> device =
        devices_.Create(DeviceDirection::Output, StreamRole::Player);
    if (!device) {
        return;
    }
    // A device that cannot be opened or started says why; the Play command stays enabled.
    DeviceResult result = device->Open(playback_.format, *this);
    if (result != kDeviceOk) {
        ShowDeviceError(notifier_, *device, result);
        return;
    }
    startOffset_ = offset;
    nextStreamSample_ = -1;
    uint8_t* played = playback_.IsCopy() ? playback_.copy.get() : clip_.data.get();
    const int64_t playedOffset = offset / clip_.format.blockAlign * playback_.format.blockAlign;
    header_.Describe(played + playedOffset, static_cast<uint32_t>(playback_.length - playedOffset));
    device->Prepare(header_);
    result = device->Queue(header_);
    if (result != kDeviceOk) {
        ShowDeviceError(notifier_, *device, result);
        device->Close();
        return;
    }
    device_ = std::move(device);
    ending_ = false;
    playing_.store(true, std::memory_order_relaxed);
    paused_.store(false, std::memory_order_relaxed);
}

void CFilePlayThread::Stop() {
    if (!IsPlaying()) {
        return;
    }
    playing_.store(false, std::memory_order_relaxed);
    paused_.store(false, std::memory_order_relaxed);
    if (device_) {
        device_->Pause();
        device_->Reset();
        device_->Unprepare(header_);
        device_->Close();
        device_.reset();
    }
}

void CFilePlayThread::Pause() {
    if (IsPlaying() && device_ && device_->Pause() == kDeviceOk) {
        paused_.store(true, std::memory_order_relaxed);
    }
}

void CFilePlayThread::Resume() {
    if (IsPlaying() && device_ && device_->Restart() == kDeviceOk) {
        paused_.store(false, std::memory_order_relaxed);
    }
}

void CFilePlayThread::EndOfBuffer(const Message& m) {
    // A completion posted by the reset of an earlier play can arrive after a new play has
    // started: the new buffer is not done, and that play goes on.
    if (IsPlaying() && !header_.IsDone()) {
        return;
    }
    if (IsPlaying() && FromDevice(m)) {
        // Every byte has been handed to the sound system, which still holds the end of the
        // file: the play ends when that has been heard (MM_WOM_PLAYED_OUT).
        ending_ = true;
        return;
    }
    Finish();
}

void CFilePlayThread::PlayedOut(const Message& m) {
    if (IsPlaying() && ending_ && FromDevice(m)) {
        Finish();
    }
}

// The stream died (the sound server went away): the play ends as if Stop had been pressed,
// and the user learns why.
void CFilePlayThread::DeviceFailed(const Message& m) {
    if (!IsPlaying() || !FromDevice(m)) {
        return;
    }
    // Stopped before the message (which closes the device), so whoever reads it sees the play
    // ended.
    const DeviceResult code = device_->FailureCode();
    const std::string text = DeviceErrorText(code, device_->ErrorText(code));
    Finish();
    notifier_.ShowMessage(kDeviceErrorCaption, text, MessageIcon::None);
}

void CFilePlayThread::Finish() {
    if (notify_ != nullptr) {
        notify_->OnPlayerPosition(0, clip_.length);
    }
    Stop();
    startOffset_ = 0;
}

bool CFilePlayThread::FromDevice(const Message& m) const {
    const auto* done = std::get_if<BufferDone>(&m.argument);
    return done != nullptr && device_ && done->device == device_.get();
}

int64_t CFilePlayThread::PlayPosition() const {
    if (!IsPlaying() || !device_) {
        return 0;
    }
    int64_t played = device_->Position();
    if (playback_.IsCopy()) {
        // Bytes of the copy, whose frames are the clip's frames in another size.
        played = played / playback_.format.blockAlign * clip_.format.blockAlign;
    }
    return std::min<int64_t>(played + startOffset_, clip_.length);
}

void CFilePlayThread::Feed(PlayerListener* frame) {
    if (frame == nullptr) {
        return;
    }
    const int64_t position = PlayPosition();
    frame->OnPlayerPosition(position, clip_.length);
    if (clip_.kind == LoadedKind::None) {
        return;
    }
    // Feeds asked for every 100 ms arrive a few milliseconds early or late. Taking each block
    // exactly at the play position would leave a seam of that size in the middle of what the
    // analysis sees (a blurred peak, off by up to ten cents); while the play position is
    // within 50 ms of where the last block ended, the next block continues from there instead.
    // Otherwise (a new play, a pause, a slow feed) the block starts at the play position.
    int64_t from = StreamSampleAtPosition(clip_, position);
    if (IsPlaying() && !IsPaused() && nextStreamSample_ >= 0 &&
        std::llabs(from - nextStreamSample_) <= kSampleRate / 20) {
        from = nextStreamSample_;
    }
    BuildFeedBlockAtStreamSample(clip_, from, feed_);
    nextStreamSample_ = from + kBlockFrames;
    const int channels = FeedChannels(clip_.format);
    const std::size_t samples = static_cast<std::size_t>(channels) * kBlockFrames;
    store_.AppendBlock(std::span<const int16_t>(feed_.data(), samples), channels);
}

}  // namespace tonavise
