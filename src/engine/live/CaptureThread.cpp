#include "engine/live/CaptureThread.h"

#include <algorithm>
#include <variant>

#include "engine/live/AnalysisThread.h"
#include "engine/live/CaptureStore.h"

namespace tonavise {

CaptureThread::CaptureThread(CaptureStore& store, DeviceFactory& devices, Notifier& notifier)
    : store_(store), devices_(devices), notifier_(notifier) {}

CaptureThread::~CaptureThread() {
    join();
}

void CaptureThread::SetPlayerStatus(const PlayerStatus* player) {
    player_.store(player, std::memory_order_release);
}

void CaptureThread::SetPlaybackMonitor(PlaybackMonitor* monitor) {
    monitor_.store(monitor, std::memory_order_release);
}

void CaptureThread::SetBlockRecorder(BlockRecorder* recorder) {
    recorder_.store(recorder, std::memory_order_release);
}

void CaptureThread::SetObserver(CaptureObserver* observer) {
    observer_.store(observer, std::memory_order_release);
}

void CaptureThread::SetPieceListener(PieceListener* listener) {
    pieceListener_.store(listener, std::memory_order_release);
}

void CaptureThread::Configure(int channelCount) {
    if (IsOpen()) {
        return;
    }
    const int channels = channelCount == 2 ? 2 : 1;
    channels_.store(channels, std::memory_order_relaxed);
    format_ = PcmFormat(channels);
    for (int k = 0; k < kCapturePieceCount; ++k) {
        headers_[k].Describe(buffers_[k].data(),
                             static_cast<uint32_t>(channels * kPieceFrames * sizeof(int16_t)));
    }
}

void CaptureThread::Open() {
    if (IsOpen()) {
        return;
    }
    if (!device_) {
        device_ = devices_.Create(DeviceDirection::Input, StreamRole::Microphone);
    }
    DeviceResult result = device_->Open(format_, *this);
    if (result != kDeviceOk) {
        LoseInput(result);
        return;
    }
    nextBuffer_ = 0;
    piecesInBlock_ = 0;
    droppedFramesDevice_ = 0;
    overrunsDevice_ = 0;
    for (WaveHeader& header : headers_) {
        device_->Prepare(header);
        if (result == kDeviceOk) {
            result = device_->Queue(header);
        }
    }
    if (result == kDeviceOk) {
        result = device_->Start();
    }
    isOpen_.store(1, std::memory_order_release);
    if (result != kDeviceOk) {
        LoseInput(result);
    }
}

void CaptureThread::Close() {
    if (!IsOpen()) {
        return;
    }
    CountLosses();
    device_->Reset();
    for (WaveHeader& header : headers_) {
        device_->Unprepare(header);
    }
    device_->Close();
    droppedFramesTotal_ += droppedFramesDevice_;
    droppedFramesDevice_ = 0;
    overrunsDevice_ = 0;
    isOpen_.store(0, std::memory_order_release);
}

void CaptureThread::LoseInput(DeviceResult code) {
    Close();
    if (!lossShown_) {
        lossShown_ = true;
        ShowDeviceError(notifier_, *device_, code);
    }
    inputLost_.store(true, std::memory_order_relaxed);
    blocksSinceLoss_ = 0;
    reopenAt_ = SteadySeconds() + kReopenSeconds;
}

// The device's counters start again at every open; the thread's add up since its start.
void CaptureThread::CountLosses() {
    if (!IsOpen()) {
        return;
    }
    droppedFramesDevice_ = device_->DroppedFrames();
    const uint64_t frames = droppedFramesTotal_ + droppedFramesDevice_;
    droppedBlocks_.store((frames + kBlockFrames - 1) / kBlockFrames, std::memory_order_relaxed);
    const uint64_t overruns = device_->Overruns();
    overruns_.fetch_add(overruns - overrunsDevice_, std::memory_order_relaxed);
    overrunsDevice_ = overruns;
}

void CaptureThread::onStart() {
    Configure(store_.channelCount.load(std::memory_order_relaxed));
    Open();
}

void CaptureThread::onExit() {
    Close();
    device_.reset();
}

void CaptureThread::onTick() {
    CountLosses();
    const double now = SteadySeconds();
    if (InputLost() && !IsOpen() && now >= reopenAt_) {
        Configure(store_.channelCount.load(std::memory_order_relaxed));
        Open();
        return;
    }
    // Standing in for a chosen input that went away: take the chosen one again once it is back.
    if (IsOpen() && now >= retakeAt_ && !devices_.MissingDevice(DeviceDirection::Input).empty()) {
        retakeAt_ = now + kReopenSeconds;
        if (devices_.IsPresent(DeviceDirection::Input,
                               devices_.ChosenDevice(DeviceDirection::Input))) {
            Close();
            Open();
        }
    }
}

void CaptureThread::handle(CaptureCommand& command) {
    std::visit(Handlers{[this](const DeviceEvent& event) {
                            if (event.kind == DeviceEvent::Kind::Filled) {
                                HandlePiece(event);
                            } else if (event.kind == DeviceEvent::Kind::Failed) {
                                HandleDeviceFailure(event);
                            }
                        },
                        [this](const capture::ReopenInput&) {
                            Close();
                            Configure(store_.channelCount.load(std::memory_order_relaxed));
                            Open();
                        }},
               command);
}

void CaptureThread::HandleDeviceFailure(const DeviceEvent& event) {
    if (!IsOpen() || event.device != device_.get()) {
        return;
    }
    // The chosen input went away: the default takes over at once (the factory notes the chosen
    // one as missing, which the windows and the tool show), and the chosen one is taken again
    // when it is back.
    const std::string chosen = devices_.ChosenDevice(DeviceDirection::Input);
    if (!chosen.empty() && !devices_.IsPresent(DeviceDirection::Input, chosen)) {
        Close();
        retakeAt_ = SteadySeconds() + kReopenSeconds;
        Open();
        return;
    }
    LoseInput(device_->FailureCode());
}

// The buffers fill in the order they were queued and are queued again as soon as their piece
// is copied out, so they finish in a fixed cycle and the pieces go out in that cycle. Each
// completion hands on the buffer it names, and only that one: a buffer is queued again only
// after its completion was taken, so the completions that wait to be taken never pile up
// behind the queued buffers (a device keeps a slot for each until it is taken, and refuses a
// buffer when they are all in use). A completion that a reset posted names a buffer that is
// not full, or not the next, and is passed over.
void CaptureThread::HandlePiece(const DeviceEvent& event) {
    if (!IsOpen() || event.header != &headers_[nextBuffer_]) {
        return;
    }
    const int channels = Channels();
    const int k = nextBuffer_;
    WaveHeader& header = headers_[k];
    if (!header.IsDone() ||
        header.bytesRecorded.load(std::memory_order_relaxed) != header.bufferLength) {
        return;
    }
    const std::size_t samples = static_cast<std::size_t>(kPieceFrames) * channels;
    if (piecesInBlock_ == 0) {
        blockTime_ = header.timeStamp.load(std::memory_order_relaxed);
    }
    int16_t* piece = block_.data() + piecesInBlock_ * samples;
    std::copy_n(buffers_[k].data(), samples, piece);
    ++piecesInBlock_;
    inputLost_.store(false, std::memory_order_relaxed);
    const PlayerStatus* player = player_.load(std::memory_order_acquire);
    const bool filePlays = player != nullptr && player->IsPlaying();
    if (PieceListener* listener = pieceListener_.load(std::memory_order_acquire);
        listener != nullptr && !filePlays) {
        listener->OnPiece(
            std::span<const int16_t>(piece, samples), channels, PieceListener::Source::Microphone);
    }
    if (piecesInBlock_ == kPiecesPerBlock) {
        piecesInBlock_ = 0;
        HandleBlock(channels);
    }
    // Queued again once handled: a buffer back in the queue means its sound has gone on.
    nextBuffer_ = (k + 1) % kCapturePieceCount;
    // A refused buffer would leave the cycle for good and capture would stop when the
    // last one had: the input counts as lost and is opened again.
    if (const DeviceResult result = device_->Queue(header); result != kDeviceOk) {
        LoseInput(result);
        return;
    }
    CountLosses();
}

void CaptureThread::HandleBlock(int channels) {
    const std::span<int16_t> block(block_.data(),
                                   static_cast<std::size_t>(kBlockFrames) * channels);
    if (PlaybackMonitor* monitor = monitor_.load(std::memory_order_acquire)) {
        monitor->ReplaceCaptured(block, channels);
    }
    if (CaptureObserver* observer = observer_.load(std::memory_order_acquire)) {
        observer->OnCaptured(block, channels, blockTime_);
    }
    const PlayerStatus* player = player_.load(std::memory_order_acquire);
    if (player == nullptr || !player->IsPlaying()) {
        store_.AppendBlock(block, channels);
    }
    if (BlockRecorder* recorder = recorder_.load(std::memory_order_acquire)) {
        recorder->RecordBlock(block, channels);
    }
    if (lossShown_ && ++blocksSinceLoss_ >= kBlocksThatEndAnOutage) {
        lossShown_ = false;
    }
}

}  // namespace tonavise
