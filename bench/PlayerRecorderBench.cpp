// The per-block work of the file player's scope feed and of the recorder's block feed.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/audiofile/FileOverview.h"
#include "engine/audiofile/ScopeFeed.h"
#include "engine/live/CaptureStore.h"
#include "engine/live/PracticeControls.h"
#include "engine/live/RecordingStore.h"

namespace tonavise {
namespace {

LoadedClip ToneClip(int rate, int channels) {
    LoadedClip clip;
    clip.kind = LoadedKind::Wav;
    clip.format = PcmFormat(channels, rate);
    const int frames = rate * 10;
    std::vector<int16_t> samples(static_cast<std::size_t>(frames) * channels);
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            samples[static_cast<std::size_t>(i) * channels + c] =
                static_cast<int16_t>(8000 * std::sin(i * 2 * M_PI * 660 / rate));
        }
    }
    clip.length = static_cast<int32_t>(samples.size() * 2);
    clip.data = std::make_unique<uint8_t[]>(samples.size() * 2);
    std::memcpy(clip.data.get(), samples.data(), samples.size() * 2);
    return clip;
}

// One feed: build the block at a play position and shift it into the histories.
void BM_Feed(benchmark::State& state) {
    const int rate = static_cast<int>(state.range(0));
    const int channels = static_cast<int>(state.range(1));
    const LoadedClip clip = ToneClip(rate, channels);
    CaptureStore store;
    store.Create();
    store.scopeMode = kScopePitch;
    FeedBlock block{};
    int64_t position = 0;
    const int64_t step = int64_t{rate} / 10 * clip.format.blockAlign;
    for (auto _ : state) {
        BuildFeedBlock(clip, position, block);
        store.AppendBlock(std::span<const int16_t>(block.data(), kBlockFrames * channels),
                          channels);
        position = (position + step) % (clip.length - step);
        store.startFftEvent.wait(std::chrono::milliseconds(0));
    }
}
// The player's overview of a whole file, made once per file on the player's thread: five
// minutes of 44.1 kHz stereo (thirty repeats of the ten-second tone's samples).
void BM_FileOverviewOfFiveMinutes(benchmark::State& state) {
    const LoadedClip tone = ToneClip(44100, 2);
    LoadedClip clip;
    clip.kind = LoadedKind::Wav;
    clip.format = tone.format;
    clip.length = tone.length * 30;
    clip.data = std::make_unique<uint8_t[]>(static_cast<std::size_t>(clip.length));
    for (int k = 0; k < 30; ++k) {
        std::memcpy(clip.data.get() + static_cast<std::size_t>(k) * tone.length,
                    tone.data.get(),
                    static_cast<std::size_t>(tone.length));
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(MakeFileOverview(clip));
    }
}
BENCHMARK(BM_FileOverviewOfFiveMinutes)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_Feed)
    ->Args({44100, 1})
    ->Args({48000, 2})
    ->Args({22050, 1})
    ->Unit(benchmark::kMicrosecond);

// One recorded block: a stereo capture mixed down and appended, into a full store that drops
// its oldest block each time (repeated recording), the heaviest case.
void BM_RecordBlock(benchmark::State& state) {
    PracticeControls capture;
    capture.recTimeIndex = 10;
    capture.recRepeating = 1;
    RecordingStore store(capture);
    store.Allocate(RecTimeBlocks(10));
    store.recording = 1;
    std::vector<int16_t> block(2 * kBlockFrames, 1234);
    for (int k = 0; k < RecTimeBlocks(10); ++k) {
        store.RecordBlock(block, 1);
    }
    for (auto _ : state) {
        std::fill(block.begin(), block.end(), int16_t{1234});
        store.RecordBlock(block, 2);
    }
}
BENCHMARK(BM_RecordBlock)->Unit(benchmark::kMicrosecond);

// A ten-minute store filled to the last block: the memory it takes (the process's peak
// resident size is reported beside the time).
void BM_FillTenMinuteStore(benchmark::State& state) {
    PracticeControls capture;
    capture.recTimeIndex = 10;
    capture.recRepeating = 0;
    RecordingStore store(capture);
    std::vector<int16_t> block(kBlockFrames, 1234);
    for (auto _ : state) {
        store.Allocate(RecTimeBlocks(10));
        store.recording = 1;
        for (int k = 0; k < RecTimeBlocks(10); ++k) {
            store.RecordBlock(block, 1);
        }
    }
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    state.counters["store_MB"] = RecTimeBlocks(10) * 8820.0 / 1e6;
}
BENCHMARK(BM_FillTenMinuteStore)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tonavise
