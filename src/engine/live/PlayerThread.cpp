#include "engine/live/PlayerThread.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>
#include <variant>

#include "engine/audiofile/FileLoading.h"
#include "engine/audiofile/FileOverview.h"
#include "engine/core/Notifier.h"
#include "engine/live/CaptureStore.h"

namespace tonavise {

PlayerThread::PlayerThread(CaptureStore& store,
                           DeviceFactory& devices,
                           Notifier& notifier,
                           FeedTiming feedTiming)
    : store_(store), devices_(devices), notifier_(notifier), feedTiming_(feedTiming) {}

PlayerThread::~PlayerThread() {
    join();
}

bool PlayerThread::PostOpen(std::string path, PlayerListener* notify) {
    return send(player::Open{std::move(path), notify});
}

bool PlayerThread::PostPlay(int64_t startOffset) {
    return send(player::Play{std::max<int64_t>(startOffset, 0)});
}

bool PlayerThread::PostFeed(PlayerListener* listener) {
    return send(player::FeedScope{listener});
}

bool PlayerThread::PostReportPosition(PlayerListener* listener) {
    return send(player::ReportPosition{listener});
}

bool PlayerThread::PostSpeed(int percent) {
    return send(player::SetSpeed{percent});
}

bool PlayerThread::PostTranspose(int semitones) {
    return send(player::SetTranspose{semitones});
}

bool PlayerThread::PostLoop(int64_t a, int64_t b) {
    return send(player::SetLoop{a, b});
}

void PlayerThread::handle(PlayerCommand& command) {
    std::visit(
        Handlers{[this](const DeviceEvent& event) {
                     switch (event.kind) {
                         case DeviceEvent::Kind::Played:
                             EndOfBuffer(event);
                             break;
                         case DeviceEvent::Kind::PlayedOut:
                             PlayedOut(event);
                             break;
                         case DeviceEvent::Kind::Failed:
                             DeviceFailed(event);
                             break;
                         case DeviceEvent::Kind::Filled:
                             break;
                     }
                 },
                 [this](const player::Stop&) { FadeOutAndStop(); },
                 [this](const player::Pause&) { Pause(); },
                 [this](const player::Play& play) {
                     if (stopping_) {
                         pendingPlay_ = play.startOffset;  // once the fade out has been heard
                     } else {
                         Play(play.startOffset);
                     }
                 },
                 [this](const player::Resume&) { Resume(); },
                 [this](const player::Open& open) { Open(open); },
                 [this](const player::FeedScope& feed) { Feed(feed.listener); },
                 [this](const player::ReportPosition& report) {
                     if (report.listener != nullptr) {
                         report.listener->OnPlayerPosition(PlayPosition(), clip_.length);
                     }
                 },
                 [this](const player::SetSpeed& speed) {
                     stream_.SetSpeedPercent(
                         std::clamp(speed.percent, kMinSpeedPercent, kMaxSpeedPercent));
                     speedPercent_.store(stream_.SpeedPercent(), std::memory_order_relaxed);
                 },
                 [this](const player::SetTranspose& transpose) {
                     stream_.SetSemitones(std::clamp(
                         transpose.semitones, -kMaxTransposeSemitones, kMaxTransposeSemitones));
                 },
                 [this](const player::SetLoop& loop) { SetLoop(loop); },
                 [this](const player::SetLoopGap& gap) { stream_.SetLoopGap(gap.seconds); },
                 [this](const player::SetSpeedTrainer& trainer) {
                     stream_.SetSpeedTrainer(trainer.step, trainer.target, trainer.passes);
                 }},
        command);
}

void PlayerThread::onExit() {
    Stop();
    Release();
}

void PlayerThread::Release() {
    stream_.Release();
    clip_.Release();
    bufferFrames_ = 0;
    kind_.store(LoadedKind::None, std::memory_order_relaxed);
    channels_.store(0, std::memory_order_relaxed);
    length_.store(0, std::memory_order_relaxed);
    bytesPerSecond_.store(0, std::memory_order_relaxed);
}

void PlayerThread::Open(const player::Open& open) {
    Stop();
    Release();
    notify_ = open.notify;
    startOffset_ = 0;
    LoadByPath(open.path, clip_, notifier_);
    if (clip_.kind == LoadedKind::None) {
        return;
    }
    if (clip_.length <= 0) {
        notifier_.ShowMessage(kAppTitle, kFileHoldsNoSound, MessageIcon::Exclamation);
        Release();
        return;
    }
    // The device plays 16-bit frames of the file's first two channels (or its one) at the
    // file's rate, in buffers of about 50 ms.
    const int channels = clip_.format.channels >= 2 ? 2 : 1;
    const auto rate = static_cast<int>(clip_.format.samplesPerSec);
    deviceFormat_ = WaveFormat{kFormatPcm,
                               static_cast<uint16_t>(channels),
                               static_cast<uint32_t>(rate),
                               static_cast<uint32_t>(rate * channels * 2),
                               static_cast<uint16_t>(channels * 2),
                               16};
    bufferFrames_ = std::max(256, rate / 20);
    bool prepared = stream_.Prepare(clip_);
    try {
        buffers_.assign(static_cast<std::size_t>(kPlayBuffers) * bufferFrames_ * channels, 0);
    } catch (const std::bad_alloc&) {
        prepared = false;
    }
    if (!prepared) {
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
        notify_->OnPlayerOverview(MakeFileOverview(clip_));
    }
}

void PlayerThread::Play(int64_t requestedOffset) {
    if (Sounding() || clip_.kind == LoadedKind::None || clip_.length <= 0) {
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
    DeviceResult result = device->Open(deviceFormat_, *this);
    if (result != kDeviceOk) {
        ShowDeviceError(notifier_, *device, result);
        return;
    }
    standIn_.Opened();
    startOffset_ = offset;
    nextStreamSample_ = -1;
    stream_.Start(offset / clip_.format.blockAlign);
    leadFrames_ = static_cast<int>(deviceFormat_.samplesPerSec / 100);
    leadLeft_ = leadFrames_;
    device_ = std::move(device);
    queued_ = 0;
    rendered_ = false;
    const std::size_t samples = static_cast<std::size_t>(bufferFrames_) * deviceFormat_.channels;
    for (int k = 0; k < kPlayBuffers; ++k) {
        headers_[k].Describe(buffers_.data() + k * samples,
                             static_cast<uint32_t>(samples * sizeof(int16_t)));
        device_->Prepare(headers_[k]);
    }
    // Every buffer is rendered and queued before the stream starts: its first request may take
    // more than one buffer, and a buffer not yet there would be heard as a gap.
    queueError_ = kDeviceOk;
    int ready = 0;
    while (ready < kPlayBuffers && RenderInto(headers_[ready])) {
        ++ready;
    }
    device_->HoldStart();
    for (int k = 0; k < ready && QueueHeader(headers_[k]); ++k) {
    }
    if (queueError_ == kDeviceOk && queued_ > 0) {
        queueError_ = device_->Start();
    }
    if (queueError_ != kDeviceOk || queued_ == 0) {
        if (queueError_ != kDeviceOk) {
            ShowDeviceError(notifier_, *device_, queueError_);
        }
        device_->Close();
        device_.reset();
        return;
    }
    ending_ = false;
    playing_.store(true, std::memory_order_relaxed);
    paused_.store(false, std::memory_order_relaxed);
    // The first block goes to the scope at once, the next ones every kFeedInterval.
    if (feedTiming_ == FeedTiming::OwnTimer) {
        nextFeed_ = std::chrono::steady_clock::now();
    }
}

bool PlayerThread::Refill(WaveHeader& header) {
    return RenderInto(header) && QueueHeader(header);
}

bool PlayerThread::RenderInto(WaveHeader& header) {
    if (rendered_) {
        return false;
    }
    // A new stream's first few milliseconds may be dropped by the sound system: they are
    // silence, so that the start's fade-in is heard whole.
    auto* out = reinterpret_cast<int16_t*>(header.data);
    const int lead = std::min(leadLeft_, bufferFrames_);
    std::fill_n(out, static_cast<std::size_t>(lead) * deviceFormat_.channels, int16_t{0});
    leadLeft_ -= lead;
    const int frames =
        lead + stream_.Render(out + static_cast<std::size_t>(lead) * deviceFormat_.channels,
                              bufferFrames_ - lead);
    speedPercent_.store(stream_.SpeedPercent(), std::memory_order_relaxed);
    if (frames < bufferFrames_) {
        rendered_ = true;
    }
    if (frames == 0) {
        return false;
    }
    header.bufferLength = static_cast<uint32_t>(frames * deviceFormat_.blockAlign);
    return true;
}

bool PlayerThread::QueueHeader(WaveHeader& header) {
    const DeviceResult result = device_->Queue(header);
    if (result != kDeviceOk) {
        queueError_ = result;
        return false;
    }
    ++queued_;
    return true;
}

void PlayerThread::FadeOutAndStop() {
    if (stopping_ && jumpingToA_) {
        // The user's stop comes before the pass reached its late B: no new pass, and the
        // fade begins now instead of at B.
        jumpingToA_ = false;
        pendingPlay_ = -1;
        pausePending_ = false;
        if (device_->FadeOutAndEnd(FadeFrames()) != kDeviceOk) {
            Finish();
        }
        return;
    }
    if (!Sounding() || stopping_) {
        return;
    }
    // A paused play is silent already; a device that cannot fade stops at once.
    if (IsPaused() || !device_ || device_->FadeOutAndEnd(FadeFrames()) != kDeviceOk) {
        Finish();
        return;
    }
    stopping_ = true;
    stopDeadline_ = std::chrono::steady_clock::now() + kStopFadeLimit;
}

int PlayerThread::FadeFrames() const {
    return static_cast<int>(deviceFormat_.samplesPerSec / 200);  // 5 ms
}

void PlayerThread::Stop() {
    stopping_ = false;
    jumpingToA_ = false;
    pendingPlay_ = -1;
    pausePending_ = false;
    if (!Sounding()) {
        return;
    }
    playing_.store(false, std::memory_order_relaxed);
    paused_.store(false, std::memory_order_relaxed);
    if (device_) {
        device_->Pause();
        device_->Reset();
        for (WaveHeader& header : headers_) {
            device_->Unprepare(header);
        }
        device_->Close();
        device_.reset();
    }
}

void PlayerThread::Pause() {
    if (stopping_) {
        pausePending_ = pendingPlay_ >= 0;  // the play that follows the stop starts paused
        return;
    }
    if (Sounding() && device_ && device_->Pause(FadeFrames()) == kDeviceOk) {
        paused_.store(true, std::memory_order_relaxed);
    }
}

void PlayerThread::Resume() {
    if (stopping_) {
        pausePending_ = false;
        return;
    }
    if (Sounding() && device_ && device_->Restart(FadeFrames()) == kDeviceOk) {
        paused_.store(false, std::memory_order_relaxed);
    }
}

void PlayerThread::EndOfBuffer(const DeviceEvent& event) {
    WaveHeader* header = event.header;
    // A completion posted by the reset of an earlier play can arrive after a new play has
    // started: the new play's buffer is not done, and that play goes on.
    if (Sounding() && (header == nullptr || !header->IsDone())) {
        return;
    }
    if (Sounding() && FromDevice(event)) {
        --queued_;
        if (stopping_) {
            return;  // given back unplayed after the fade out: the stop ends at PlayedOut
        }
        if (Refill(*header)) {
            return;
        }
        if (queueError_ != kDeviceOk) {
            const std::string text = DeviceErrorText(queueError_, device_->ErrorText(queueError_));
            Finish();
            notifier_.ShowMessage(kDeviceErrorCaption, text, MessageIcon::None);
            return;
        }
        // Every byte has been handed to the sound system, which still holds the end of the
        // file: the play ends when that has been heard (the device's PlayedOut).
        ending_ = queued_ == 0;
        return;
    }
    if (!Sounding()) {
        Finish();
    }
}

void PlayerThread::PlayedOut(const DeviceEvent& event) {
    if (Sounding() && (ending_ || stopping_) && FromDevice(event)) {
        EndFadedStop();
    }
}

void PlayerThread::EndFadedStop() {
    const int64_t pending = pendingPlay_;
    const bool paused = pausePending_;
    if (jumpingToA_) {
        Stop();  // the play goes on from A: no report of the stopped position in between
    } else {
        Finish();
    }
    if (pending >= 0) {
        Play(pending);
        if (paused) {
            Pause();
        }
    }
}

// The stream died (the sound server went away): the play ends as if Stop had been pressed,
// and the user learns why.
void PlayerThread::DeviceFailed(const DeviceEvent& event) {
    if (!Sounding() || !FromDevice(event)) {
        return;
    }
    if (standIn_.Gone()) {  // its chosen device went away: on at once on the default
        PlayOnAnotherDevice();
        return;
    }
    // Stopped before the message (which closes the device), so whoever reads it sees the play
    // ended.
    const DeviceResult code = device_->FailureCode();
    const std::string text = DeviceErrorText(code, device_->ErrorText(code));
    Finish();
    notifier_.ShowMessage(kDeviceErrorCaption, text, MessageIcon::None);
}

std::chrono::steady_clock::time_point PlayerThread::dueAt() const {
    return Sounding() ? nextFeed_ : kNever;
}

// The own timer keeps to a fixed 100 ms grid of the steady clock, so the blocks join without
// a seam (see Feed); a feed more than an interval late starts the grid again from now.
void PlayerThread::onDue() {
    Feed(notify_);
    const auto now = std::chrono::steady_clock::now();
    nextFeed_ += kFeedInterval;
    if (nextFeed_ <= now) {
        nextFeed_ = now + kFeedInterval;
    }
}

void PlayerThread::onTick() {
    // A fade out whose end was never reported as heard (a stream that stalled) ends anyway.
    if (stopping_ && std::chrono::steady_clock::now() >= stopDeadline_) {
        EndFadedStop();
        return;
    }
    if (Sounding() && standIn_.Back()) {
        PlayOnAnotherDevice();  // the chosen device is back: the play moves to it
    }
}

// The play goes on from the place being heard, paused if it was, on whichever device an open
// picks now.
void PlayerThread::PlayOnAnotherDevice() {
    const int64_t at = PlayPosition();
    const bool paused = IsPaused();
    standIn_.MoveSound([&] {
        Stop();
        Play(at);
        if (paused) {
            Pause();
        }
    });
}

void PlayerThread::SetLoop(const player::SetLoop& loop) {
    if (loop.a < 0 || clip_.kind == LoadedKind::None) {
        stream_.ClearLoop();
        return;
    }
    const int64_t align = clip_.format.blockAlign;
    if (!stream_.SetLoop(loop.a / align, loop.b / align) || !Sounding() || IsPaused() ||
        stopping_ || !device_) {
        return;
    }
    // A B set while playing may lie in sound already rendered ahead (up to 0.3 s): that pass
    // would run on past it once. Instead its sound fades out where B is handed over and the
    // play starts again at A, as every later pass goes from B to A.
    const int64_t heard = HeardOutputFrame();
    const int64_t b = loop.b / align;
    if (stream_.FileFrameAt(heard) >= b) {
        return;  // B is behind: the loop begins at the next pass over it
    }
    const int64_t outputOfB = stream_.RenderedOutputOf(heard, b);
    if (outputOfB < 0) {
        return;  // not rendered yet: the stream jumps to A there by itself
    }
    const int64_t fadeFrom = (leadFrames_ + outputOfB - FadeFrames()) * deviceFormat_.blockAlign;
    if (device_->FadeOutAndEnd(FadeFrames(), fadeFrom) == kDeviceOk) {
        stopping_ = true;
        jumpingToA_ = true;
        pendingPlay_ = loop.a - loop.a % align;
        stopDeadline_ = std::chrono::steady_clock::now() + kStopFadeLimit;
    }
}

void PlayerThread::Finish() {
    if (notify_ != nullptr) {
        notify_->OnPlayerPosition(0, clip_.length);
    }
    Stop();
    startOffset_ = 0;
}

bool PlayerThread::FromDevice(const DeviceEvent& event) const {
    return device_ && event.device == device_.get();
}

int64_t PlayerThread::HeardOutputFrame() const {
    return std::max<int64_t>(0, device_->Position() / deviceFormat_.blockAlign - leadFrames_);
}

int64_t PlayerThread::PlayPosition() const {
    if (!Sounding() || !device_) {
        return 0;
    }
    const int64_t heard = HeardOutputFrame();
    return std::min<int64_t>(stream_.FileFrameAt(heard) * clip_.format.blockAlign, clip_.length);
}

void PlayerThread::Feed(PlayerListener* listener) {
    const int64_t position = PlayPosition();
    // While a stop fades out, the windows already show where the next play starts; a pass
    // ending at a B set late is still heard and shown.
    if (listener != nullptr && (!stopping_ || jumpingToA_)) {
        listener->OnPlayerPosition(position, clip_.length);
    }
    if (clip_.kind == LoadedKind::None) {
        return;
    }
    // Feeds come every 100 ms, a few milliseconds early or late. Taking each block
    // exactly at the play position would leave a seam of that size in the middle of what the
    // analysis sees (a blurred peak, off by up to ten cents); while the play position is
    // within 50 ms of where the last block ended, the next block continues from there instead.
    // Otherwise (a new play, a pause, a slow feed) the block starts at the play position.
    // The block is taken from the sound as it is heard (slowed, transposed, looped).
    if (!Sounding() || !device_) {
        BuildFeedBlockAtStreamSample(clip_, StreamSampleAtPosition(clip_, position), feed_);
        nextStreamSample_ = -1;
    } else {
        const int64_t heard = HeardOutputFrame();
        int64_t from = stream_.StreamSampleAt(heard);
        if (!IsPaused() && nextStreamSample_ >= 0 &&
            std::llabs(from - nextStreamSample_) <= kSampleRate / 20) {
            from = nextStreamSample_;
        }
        stream_.BuildHeardBlock(from, feed_);
        nextStreamSample_ = from + kBlockFrames;
    }
    const int channels = FeedChannels(clip_.format);
    const std::size_t samples = static_cast<std::size_t>(channels) * kBlockFrames;
    store_.AppendBlock(std::span<const int16_t>(feed_.data(), samples), channels);
    // The tuner hears the file only while it moves: a paused file's block repeats.
    if (PieceListener* tuner = pieceListener_.load(std::memory_order_acquire);
        tuner != nullptr && Sounding() && !IsPaused()) {
        tuner->OnPiece(
            std::span<const int16_t>(feed_.data(), samples), channels, PieceListener::Source::File);
    }
}

}  // namespace tonavise
