#include "engine/live/ClipAnalysis.h"

#include <array>
#include <span>

#include "engine/audiofile/ScopeFeed.h"
#include "engine/dsp/Fft.h"
#include "engine/dsp/KeyTable.h"
#include "engine/dsp/NsdfPitch.h"
#include "engine/live/AnalysisThread.h"
#include "engine/live/CaptureStore.h"

namespace tonavise {

namespace {

// The clip as the analysis sees a playing file.
class PlayingClip final : public PlayerStatus {
  public:
    explicit PlayingClip(int channels) : channels_(channels) {}
    bool IsPlaying() const override { return true; }
    int ChannelCount() const override { return channels_; }

  private:
    int channels_;
};

}  // namespace

int64_t AnalyzeClip(const LoadedClip& clip,
                    CaptureStore& store,
                    Fft& fft,
                    const KeyTable& keyTable,
                    const std::function<void(const BlockPitch&)>& onBlock,
                    int64_t lastBlock) {
    const PlayingClip player(clip.format.channels);
    const int feedChannels = FeedChannels(clip.format);
    const std::size_t samples = static_cast<std::size_t>(feedChannels) * kBlockFrames;
    const bool stereo = AnalyseStereo(store, &player);
    NsdfPitchEstimator precise;
    if (keyTable.pitchMethod.load(std::memory_order_relaxed) == kPitchMethodPrecise) {
        precise.Init();
    }
    FeedBlock block{};
    int64_t k = 0;
    for (; k <= lastBlock; ++k) {
        const int64_t position = ClipPositionAtTenths(clip, k);
        if (position >= clip.length) {
            break;
        }
        BuildFeedBlockAtTenths(clip, k, block);
        store.AppendBlock(std::span<const int16_t>(block.data(), samples), feedChannels);
        RunAnalysisPass(store, fft, keyTable, stereo, &precise);
        if (onBlock) {
            const SpectrumFrame& frame = store.spectrum.acquire();
            const NearestKeyResult nk = keyTable.NearestKey(frame.fundamentalHz);
            onBlock(
                BlockPitch{k, (k + 1) * 0.1, frame.fundamentalHz, nk.key, nk.cents, frame.precise});
        }
    }
    return k;
}

bool StreamClipThroughSeries(const LoadedClip& clip, PitchSeries& series, PitchSeries::Sink& sink) {
    if (!series.Init()) {
        return false;
    }
    series.Reset();
    const int feedChannels = FeedChannels(clip.format);
    FeedBlock block{};
    std::array<int16_t, kBlockFrames> left{};
    std::array<int16_t, kBlockFrames> right{};
    for (int64_t k = 0; ClipPositionAtTenths(clip, k) < clip.length; ++k) {
        BuildFeedBlockAtTenths(clip, k, block);
        if (feedChannels == 2) {
            for (int i = 0; i < kBlockFrames; ++i) {
                left[i] = block[2 * i];
                right[i] = block[2 * i + 1];
            }
            series.PushStereo(left, right, sink);
        } else {
            series.Push(std::span<const int16_t>(block.data(), kBlockFrames), sink);
        }
    }
    return true;
}

int64_t ClipBlockCount(const LoadedClip& clip) {
    if (clip.format.samplesPerSec == 0 || clip.format.blockAlign == 0) {
        return 0;
    }
    int64_t k = 0;
    while (ClipPositionAtTenths(clip, k) < clip.length) {
        ++k;
    }
    return k;
}

}  // namespace tonavise
