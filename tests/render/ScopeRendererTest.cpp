#include <gtest/gtest.h>

#include <QImage>
#include <array>
#include <cstring>
#include <memory>

#include "GoldenSupport.h"
#include "engine/dsp/KeyTable.h"
#include "engine/live/CaptureStore.h"
#include "render/PitchScale.h"
#include "render/ScopeRenderer.h"

namespace tonavise {
namespace {

using namespace test;
using Spectrum = std::array<double, kSpectrumLength>;

class ScopeRendererTest : public ::testing::Test {
  protected:
    ScopeInput Input() const { return {{one, two, waveEnd}, spectrum}; }
    const QImage& DrawOnce() { return renderer->Draw(state, keyTable, Input()); }

    KeyTable keyTable;
    // The renderer and the data are large: keep them off the stack.
    std::unique_ptr<ScopeRenderer> renderer = std::make_unique<ScopeRenderer>();
    std::unique_ptr<CaptureStore::History> oneStore = std::make_unique<CaptureStore::History>();
    std::unique_ptr<CaptureStore::History> twoStore = std::make_unique<CaptureStore::History>();
    std::unique_ptr<Spectrum> spectrumStore = std::make_unique<Spectrum>();
    CaptureStore::History& one = *oneStore;
    CaptureStore::History& two = *twoStore;
    Spectrum& spectrum = *spectrumStore;
    int32_t waveEnd = 32767;
    ScopeViewState state;
};

TEST_F(ScopeRendererTest, SurfacesAreTheLargestPictureInRgb32) {
    for (const QImage* s : {&renderer->scaleSurface(),
                            &renderer->traceSurfaceA(),
                            &renderer->traceSurfaceB(),
                            &renderer->composeSurface()}) {
        EXPECT_EQ(s->size(), QSize(1821, 471));
        EXPECT_EQ(s->format(), QImage::Format_RGB32);
    }
    EXPECT_EQ(CountIn(renderer->traceSurfaceA(), 0, 0, 1821, 471, kWhite), 1821 * 471);
    EXPECT_EQ(DrawingSizeOf(kScopeWave).width, 467);
    EXPECT_EQ(DrawingSizeOf(kScopeFrequency).width, 1067);
    EXPECT_EQ(DrawingSizeOf(kScopeFrequency).height, 451);
    EXPECT_EQ(DrawingSizeOf(kScopePitch).height, 471);
}

TEST_F(ScopeRendererTest, NoModeYetDrawsNothing) {
    state.scopeMode = kScopeNone;
    const QImage& picture = DrawOnce();
    EXPECT_EQ(CountIn(picture, 0, 0, 1821, 471, kWhite), 1821 * 471);
    EXPECT_TRUE(renderer->ScaleDirty());
}

TEST_F(ScopeRendererTest, TheAndKeepsTheScaleUnderWhiteAndDarkensItUnderTheOutline) {
    state.scopeMode = kScopePitch;
    state.levelIndex = 0;
    state.pitchLineColors[48] = 1;  // a red line under the A4 peak
    spectrum[327] = 32768;          // 440.1 Hz: column 1010 up to the top line
    const QImage& picture = DrawOnce();
    const QImage& scale = renderer->scaleSurface();
    const QImage& trace = renderer->traceSurfaceA();
    int outline = 0;
    for (int y = 0; y < 471; ++y) {
        for (int x = 0; x < 1821; ++x) {
            const QRgb t = PixelAt(trace, x, y);
            ASSERT_EQ(PixelAt(picture, x, y), PixelAt(scale, x, y) & t) << x << "," << y;
            outline += t != kWhite;
        }
    }
    EXPECT_GT(outline, 1760);
    // The red line turns black where the blue outline runs along it and stays red below.
    EXPECT_EQ(PixelAt(picture, 1010, 200), kBlack);
    EXPECT_EQ(PixelAt(picture, 1010, 300), Rgb(196, 0, 0));
    EXPECT_EQ(PixelAt(picture, 1030, 410), kBlue);
}

TEST_F(ScopeRendererTest, TwoDimensionalTracesDoNotLinger) {
    state.scopeMode = kScopeFrequency;
    state.levelIndex = 0;
    spectrum[1000] = 32768;  // column 319
    DrawOnce();
    spectrum[1000] = 0;
    const QImage& picture = DrawOnce();
    EXPECT_EQ(PixelAt(picture, 319, 10), PixelAt(renderer->scaleSurface(), 319, 10));
    EXPECT_EQ(PixelAt(picture, 319, 100), kWhite);
    EXPECT_EQ(state.threeDCount, 0);
}

TEST_F(ScopeRendererTest, TwoDimensionalPicturesEqualTheScaleAndAFreshTraceWhateverCameBefore) {
    // The renderer clears and combines only the rows a 2-D outline covers; every picture must
    // still be the scale AND a trace drawn on a white surface of its own, also after 3-D
    // drawings, after a mode change and when the peaks fall or rise.
    auto reference = std::make_unique<QImage>(kSurfaceWidth, kSurfaceHeight, QImage::Format_RGB32);
    SpectrumTrace trace;
    const struct Step {
        int32_t mode;
        bool threeD;
        int bin;
        double level;
    } steps[] = {{kScopeFrequency, false, 1000, 32768},
                 {kScopeFrequency, false, 1000, 300},
                 {kScopeFrequency, false, 40, 20000},
                 {kScopeFrequency, true, 500, 30000},
                 {kScopeFrequency, true, 700, 100},
                 {kScopeFrequency, false, 900, 200},
                 {kScopePitch, false, 327, 32768},
                 {kScopePitch, false, 100, 50},
                 {kScopePitch, false, 0, 0},
                 {kScopePitch, false, 2000, 12000}};
    for (const Step& step : steps) {
        state.scopeMode = step.mode;
        state.threeD = step.threeD;
        spectrum.fill(0);
        spectrum[static_cast<std::size_t>(step.bin)] = step.level;
        spectrum[static_cast<std::size_t>(step.bin) + 3] = step.level / 2;
        const QImage before = renderer->composeSurface().copy();
        const QImage& picture = DrawOnce();
        // The window copies only the changed rows: every other row must be as it was.
        const auto [first, last] = renderer->changedRows();
        for (int y = 0; y < DrawingSizeOf(step.mode).height; ++y) {
            if (y < first || y >= last) {
                ASSERT_EQ(
                    0,
                    std::memcmp(
                        picture.constScanLine(y), before.constScanLine(y), picture.bytesPerLine()))
                    << "step " << (&step - steps) << ": row " << y << " changed unreported";
            }
        }
        if (step.threeD) {
            continue;
        }
        reference->fill(kWhite);
        ScopeViewState copy = state;
        if (step.mode == kScopeFrequency) {
            DrawFrequencyTrace(*reference, copy, spectrum, trace);
        } else {
            DrawPitchTrace(*reference, keyTable, copy, spectrum, trace);
        }
        const DrawingSize size = DrawingSizeOf(step.mode);
        for (int y = 0; y < size.height; ++y) {
            for (int x = 0; x < size.width; ++x) {
                ASSERT_EQ(PixelAt(picture, x, y),
                          PixelAt(renderer->scaleSurface(), x, y) & PixelAt(*reference, x, y))
                    << "step " << (&step - steps) << " at " << x << "," << y;
            }
        }
    }
}

TEST_F(ScopeRendererTest, ThreeDOutlinesMoveUpSixPixelsPerDrawing) {
    state.scopeMode = kScopeFrequency;
    state.levelIndex = 0;
    state.threeD = true;
    spectrum[1000] = 16384;  // column 319, 200 pixels high: y = 210
    DrawOnce();
    spectrum[1000] = 0;
    const QRgb outline = Rgb(127, 127, 255);
    for (int n = 1; n <= 12; ++n) {
        const QImage& picture = DrawOnce();
        EXPECT_EQ(state.threeDCount, n + 1);
        // The peak drawn n drawings ago: its tip 6n higher, nothing above it.
        const int tip = 210 - 6 * n;
        ASSERT_EQ(PixelAt(picture, 319, tip), outline & PixelAt(renderer->scaleSurface(), 319, tip))
            << n;
        ASSERT_EQ(TopmostOf(picture, 319, outline, 0, tip), -1) << n;
        // Each flat outline since then lies 6 pixels above the next; the newest on the baseline.
        for (int j = 1; j <= n; ++j) {
            const int y = 410 - 6 * (n + 1 - j);
            if (y % 40 != 10) {
                ASSERT_EQ(PixelAt(picture, 700, y), outline) << n << " " << j;
            }
        }
    }
}

TEST_F(ScopeRendererTest, ThreeDAlternatesTheHistorySurfaces) {
    state.scopeMode = kScopePitch;
    state.threeD = true;
    DrawOnce();  // count 1: A is the target
    EXPECT_EQ(PixelAt(renderer->traceSurfaceA(), 300, 410), Rgb(127, 127, 255));
    EXPECT_EQ(PixelAt(renderer->traceSurfaceB(), 300, 410), kWhite);
    DrawOnce();  // count 2: B, from A moved up
    EXPECT_EQ(PixelAt(renderer->traceSurfaceB(), 300, 404), Rgb(127, 127, 255));
    EXPECT_EQ(PixelAt(renderer->traceSurfaceB(), 300, 410), Rgb(127, 127, 255));
    renderer->ClearTraces({kSurfaceWidth, kSurfaceHeight});  // the 3-D command
    EXPECT_EQ(CountIn(renderer->traceSurfaceB(), 0, 0, 1821, 471, kWhite), 1821 * 471);
    EXPECT_EQ(CountIn(renderer->composeSurface(), 0, 0, 1821, 471, kWhite), 1821 * 471);
}

TEST_F(ScopeRendererTest, ThreeDPicturesEqualTwoSurfacesMovedUpByCopying) {
    // The history buffer must give exactly the pictures of two whole surfaces, each drawing
    // copying the other one up six rows over its own: past the copies back to the buffer's top
    // (every 48 drawings), and in the frequency mode, whose picture is lower than the surface.
    for (const int32_t mode : {kScopeFrequency, kScopePitch}) {
        const DrawingSize size = DrawingSizeOf(mode);
        state = ScopeViewState{};
        state.scopeMode = mode;
        state.threeD = true;
        state.levelIndex = 0;
        renderer->ClearTraces({kSurfaceWidth, kSurfaceHeight});
        std::array<std::unique_ptr<QImage>, 2> surfaces;
        for (auto& surface : surfaces) {
            surface = std::make_unique<QImage>(kSurfaceWidth, kSurfaceHeight, QImage::Format_RGB32);
            surface->fill(kWhite);
        }
        ScopeViewState reference = state;
        SpectrumTrace trace;
        auto expected =
            std::make_unique<QImage>(kSurfaceWidth, kSurfaceHeight, QImage::Format_RGB32);
        for (int n = 0; n < 110; ++n) {
            spectrum.fill(0);
            spectrum[static_cast<std::size_t>(300 + 17 * n)] = 8000 + 200 * n;
            const QImage& picture = DrawOnce();
            ++reference.threeDCount;
            const bool odd = (reference.threeDCount & 1) != 0;
            QImage& target = *surfaces[odd ? 0 : 1];
            CopyRows(target, 0, *surfaces[odd ? 1 : 0], 6, {size.width, size.height - 6});
            if (mode == kScopeFrequency) {
                DrawFrequencyTrace(target, reference, spectrum, trace);
            } else {
                DrawPitchTrace(target, keyTable, reference, spectrum, trace);
            }
            AndInto(*expected, renderer->scaleSurface(), target, size);
            for (int y = 0; y < size.height; ++y) {
                ASSERT_EQ(0,
                          std::memcmp(picture.constScanLine(y),
                                      expected->constScanLine(y),
                                      static_cast<std::size_t>(size.width) * 4))
                    << "mode " << mode << ", drawing " << n << ", row " << y;
            }
        }
    }
}

TEST_F(ScopeRendererTest, TheScaleIsCachedUntilMarkedDirty) {
    state.scopeMode = kScopeFrequency;
    LabelRecorder recorder;
    renderer->SetLabelRecorder(&recorder);
    DrawOnce();
    ASSERT_EQ(recorder.labels.size(), 22u);
    EXPECT_FALSE(renderer->ScaleDirty());
    state.levelIndex = 0;
    DrawOnce();
    EXPECT_EQ(recorder.labels.size(), 22u);  // not redrawn: still the old labels
    renderer->MarkScaleDirty();
    DrawOnce();
    ASSERT_EQ(recorder.labels.size(), 44u);
    EXPECT_EQ(recorder.labels[22].text.toStdString(), "100.0%");
    // Another mode always brings its own scale.
    state.scopeMode = kScopeWave;
    DrawOnce();
    EXPECT_EQ(recorder.labels.size(), 66u);
}

TEST_F(ScopeRendererTest, WaveformIsTheScaleWithTheTraceOverIt) {
    state.scopeMode = kScopeWave;
    state.levelIndex = 0;
    one[32767] = 32767;
    one[32766] = 32767;
    one[32765] = 32767;
    const QImage& picture = DrawOnce();
    const QImage& scale = renderer->scaleSurface();
    EXPECT_EQ(PixelAt(picture, 450, 11), Rgb(255, 0, 127));
    EXPECT_EQ(PixelAt(picture, 100, 210), PixelAt(scale, 100, 210));
    EXPECT_EQ(PixelAt(picture, 20, 14), PixelAt(scale, 20, 14));
    one.fill(0);
    const QImage& silent = DrawOnce();
    for (int y = 0; y < 451; ++y) {
        for (int x = 0; x < 467; ++x) {
            ASSERT_EQ(PixelAt(silent, x, y), PixelAt(scale, x, y));
        }
    }
}

TEST(PixelOperations, AndMatchesThePaintersRasterOpAndStaysInsideItsRectangle) {
    QImage a(kSurfaceWidth, kSurfaceHeight, QImage::Format_RGB32);
    QImage b(kSurfaceWidth, kSurfaceHeight, QImage::Format_RGB32);
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return 0xFF000000u | (seed >> 8);
    };
    for (int y = 0; y < kSurfaceHeight; ++y) {
        for (int x = 0; x < kSurfaceWidth; ++x) {
            a.setPixel(x, y, next());
            b.setPixel(x, y, next());
        }
    }
    const DrawingSize size = DrawingSizeOf(kScopeFrequency);  // 1067: not a multiple of four
    QImage ours = a.copy();
    QImage painters = a.copy();
    AndCombine(ours, b, size);
    AndCombineWithPainter(painters, b, size);
    EXPECT_EQ(ours, painters);
    EXPECT_EQ(ours.pixel(1066, 450), a.pixel(1066, 450) & b.pixel(1066, 450));
    EXPECT_EQ(ours.pixel(1067, 450), a.pixel(1067, 450));
    EXPECT_EQ(ours.pixel(1066, 451), a.pixel(1066, 451));
    // The one-pass form gives the same picture and leaves what lies outside `size` alone.
    QImage into(kSurfaceWidth, kSurfaceHeight, QImage::Format_RGB32);
    into.fill(0xFF123456u);
    AndInto(into, a, b, size);
    EXPECT_EQ(into.copy(0, 0, size.width, size.height), ours.copy(0, 0, size.width, size.height));
    EXPECT_EQ(into.pixel(1067, 450), 0xFF123456u);
}

}  // namespace
}  // namespace tonavise
