// The scope pictures: one composed frame of each mode, 2-D and 3-D, with the scale cached as in
// the live view (only the trace and the composition are per-frame work); the trigger search of
// the waveform on its own; for comparison, a redraw of each scale; and the AND of two surfaces
// by our loop and by QPainter's raster op (which runs on Qt's thread pool, so its CPU column
// shows only the calling thread's share: compare the wall times).
//
// The data is a real analysis of a generated tune (three harmonics and a little noise), so the
// outline has the length and shape of a live one.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "BenchSupport.h"
#include "engine/dsp/Fft.h"
#include "engine/dsp/KeyTable.h"
#include "engine/live/AnalysisThread.h"
#include "engine/live/CaptureStore.h"
#include "render/PitchTrack.h"
#include "render/ScopeRenderer.h"
#include "render/TunerFace.h"
#include "render/WaveTrigger.h"

namespace tonavise::bench {
namespace {

// A store holding 0.8 s of the tune and its spectrum, made once.
struct Scene {
    CaptureStore store;
    KeyTable keyTable;
    WaveTrigger trigger;

    Scene() {
        store.Create();
        store.scopeMode.store(kScopePitch);
        const std::vector<int16_t> tune = Tune(0.8, 1);
        Fft fft;
        fft.Init(kFftSize);
        for (std::size_t at = 0; at + kBlockFrames <= tune.size(); at += kBlockFrames) {
            store.AppendBlock(std::span<const int16_t>(tune.data() + at, kBlockFrames), 1);
        }
        RunAnalysisPass(store, fft, keyTable, false);
        store.spectrum.acquire();
        AlignWaveFrame(trigger, store);
    }

    ScopeInput Input() const {
        return {{store.channel1History, store.channel2History, trigger.waveEnd},
                store.spectrum.latest().spectrum};
    }
};

Scene& TheScene() {
    static Scene* scene = new Scene;  // lives until the process ends
    return *scene;
}

ScopeViewState StateFor(int mode, bool threeD) {
    ScopeViewState s;
    s.scopeMode = mode;
    s.threeD = threeD;
    s.levelIndex = 1;  // 50 %: a tall outline
    s.pitchLineColors[48] = 0;
    s.pitchLineColors[52] = 1;
    return s;
}

// One frame as the view draws it at each new block: the scale is already cached.
void BM_ComposedFrame(benchmark::State& bench) {
    Scene& scene = TheScene();
    ScopeViewState state = StateFor(static_cast<int>(bench.range(0)), bench.range(1) != 0);
    auto renderer = std::make_unique<ScopeRenderer>();
    const ScopeInput input = scene.Input();
    renderer->Draw(state, scene.keyTable, input);  // draws and caches the scale
    for (auto _ : bench) {
        benchmark::DoNotOptimize(&renderer->Draw(state, scene.keyTable, input));
    }
    static const char* const kNames[] = {"wave", "frequency", "pitch"};
    bench.SetLabel(std::string(kNames[bench.range(0)]) + (bench.range(1) ? " 3-D" : " 2-D"));
}
BENCHMARK(BM_ComposedFrame)
    ->ArgNames({"mode", "threeD"})
    ->Args({kScopeWave, 0})
    ->Args({kScopeFrequency, 0})
    ->Args({kScopeFrequency, 1})
    ->Args({kScopePitch, 0})
    ->Args({kScopePitch, 1})
    ->Unit(benchmark::kMicrosecond);

// The waveform's trigger search, which runs before each waveform frame.
void BM_WaveTriggerSearch(benchmark::State& bench) {
    Scene& scene = TheScene();
    WaveTrigger trigger = scene.trigger;
    for (auto _ : bench) {
        benchmark::DoNotOptimize(AlignWaveFrame(trigger, scene.store));
    }
}
BENCHMARK(BM_WaveTriggerSearch)->Unit(benchmark::kMicrosecond);

// The scale of a mode, drawn only after a command changed it.
void BM_ScaleRedraw(benchmark::State& bench) {
    Scene& scene = TheScene();
    ScopeViewState state = StateFor(static_cast<int>(bench.range(0)), false);
    auto renderer = std::make_unique<ScopeRenderer>();
    const ScopeInput input = scene.Input();
    for (auto _ : bench) {
        renderer->MarkScaleDirty();
        benchmark::DoNotOptimize(&renderer->Draw(state, scene.keyTable, input));
    }
}
BENCHMARK(BM_ScaleRedraw)
    ->ArgName("mode")
    ->Arg(kScopeWave)
    ->Arg(kScopeFrequency)
    ->Arg(kScopePitch)
    ->Unit(benchmark::kMicrosecond);

// The AND of two pictures of the pitch scale's size: our loop against QPainter's raster op.
void BM_AndCombine(benchmark::State& bench) {
    QImage a(kSurfaceWidth, kSurfaceHeight, QImage::Format_RGB32);
    QImage b(kSurfaceWidth, kSurfaceHeight, QImage::Format_RGB32);
    a.fill(0xFF8080FF);
    b.fill(0xFFFFFF00);
    const DrawingSize size = DrawingSizeOf(kScopePitch);
    for (auto _ : bench) {
        if (bench.range(0) == 0) {
            AndCombine(a, b, size);
        } else {
            AndCombineWithPainter(a, b, size);
        }
        benchmark::DoNotOptimize(a.constBits());
    }
    bench.SetLabel(bench.range(0) == 0 ? "loop" : "QPainter raster op");
}
BENCHMARK(BM_AndCombine)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// One frame of the live pitch track window at its default size: 30 s of blocks in the ring (a
// slow vibrato around A4 with gaps), 10 s in view, the range followed as the window does.
void BM_PitchTrackFrame(benchmark::State& state) {
    KeyTable keyTable;
    PitchTrackRing ring(300);
    for (int i = 0; i < 300; ++i) {
        const double cents = 20.0 * std::sin(i * 0.9);
        ring.Push({i * 0.1, i % 37 == 0 ? 0.0 : 440.0 * std::pow(2.0, cents / 1200.0)});
    }
    std::vector<TrackPoint> points;
    points.reserve(300);
    KeyRangeFollower range;
    PitchTrackView view;
    view.fromSeconds = 19.9;
    view.toSeconds = 29.9;
    QImage picture(720, 360, QImage::Format_RGB32);
    for (auto _ : state) {
        points.clear();
        for (std::size_t i = 0; i < ring.Size(); ++i) {
            if (ring.At(i).timeSeconds > view.fromSeconds - 0.15) {
                points.push_back(ring.At(i));
            }
        }
        view.keys = range.Update(points, 440.0);
        DrawPitchTrack(picture, keyTable, points, view);
        benchmark::DoNotOptimize(picture.constBits());
    }
}
BENCHMARK(BM_PitchTrackFrame)->Unit(benchmark::kMicrosecond);

// One repaint of the tuner's face at the dock's default size while a vibrato moves the needle
// and the number (the note stays): what lies under the note (0), or the whole face (1).
void BM_TunerFaceRepaint(benchmark::State& state) {
    TunerFaceState face;
    face.hasPitch = true;
    face.note = QStringLiteral("A");
    face.octave = QStringLiteral("4");
    QImage surface(300, 440, QImage::Format_RGB32);
    TunerFaceCache cache;
    DrawTunerFace(face, surface, &cache);
    const int below = std::max(4, 440 / 40) + TunerNoteSize(surface.size()) * 5 / 4;
    const QRect clip = state.range(0) == 0 ? QRect(0, below, 300, 440 - below) : QRect();
    int i = 0;
    for (auto _ : state) {
        face.cents = 20.0 * std::sin(++i * 0.7);
        face.hz = 440.0 * std::exp2(face.cents / 1200.0);
        DrawTunerFace(face, surface, &cache, clip);
        benchmark::DoNotOptimize(surface.constBits());
    }
}
BENCHMARK(BM_TunerFaceRepaint)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tonavise::bench

// Labels need a QGuiApplication; the offscreen platform needs no display.
int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    QGuiApplication app(argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
