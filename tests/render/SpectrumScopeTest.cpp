#include <gtest/gtest.h>

#include <QImage>
#include <array>
#include <cmath>

#include "GoldenSupport.h"
#include "engine/dsp/KeyTable.h"
#include "render/SpectrumScope.h"

namespace tonavise {
namespace {

using namespace test;
using Spectrum = std::array<double, kSpectrumLength>;

ScopeViewState Frequency(int spanIndex = 2, int startFrequency = 0, int levelIndex = 0) {
    ScopeViewState s;
    s.scopeMode = kScopeFrequency;
    s.spanIndex = spanIndex;
    s.startFrequency = startFrequency;
    s.levelIndex = levelIndex;
    return s;
}

ScopeViewState Pitch(int levelIndex = 0) {
    ScopeViewState s;
    s.scopeMode = kScopePitch;
    s.levelIndex = levelIndex;
    return s;
}

QImage White() {
    QImage image(kSurfaceWidth, kSurfaceHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

TEST(SpectrumTrace, ZerosDrawAFlatOutlineOnTheBaseline) {
    const Spectrum zeros{};
    TraceVertices v;
    const int count = FrequencyTraceVertices(Frequency(), zeros, v);
    ASSERT_EQ(count, 1001);  // (50, 410) and one vertex per column 50..1049
    EXPECT_EQ(v[0], QPoint(50, 410));
    EXPECT_EQ(v[1], QPoint(50, 410));
    EXPECT_EQ(v[1000], QPoint(1049, 410));

    QImage image = White();
    SpectrumTrace trace;
    DrawFrequencyTrace(image, Frequency(), zeros, trace);
    EXPECT_TRUE(Golden("frequency-trace-zeros")
                    .Row(410, 50, 1050, kBlue)
                    .At(1050, 410, kWhite)
                    .At(49, 410, kWhite)
                    .Row(409, 40, 1060, kWhite)
                    .Matches(image));
    EXPECT_EQ(CountIn(image, 0, 0, kSurfaceWidth, kSurfaceHeight, kBlue), 1000);

    QImage pitch = White();
    KeyTable keyTable;
    DrawPitchTrace(pitch, keyTable, Pitch(), zeros, trace);
    EXPECT_EQ(CountIn(pitch, 50, 410, 1810, 411, kBlue), 1760);
    EXPECT_EQ(CountIn(pitch, 0, 0, kSurfaceWidth, kSurfaceHeight, kBlue), 1760);
}

TEST(SpectrumTrace, FullScaleValuesReachTheTopLine) {
    Spectrum s{};
    const int b = 1000;  // 1345.8 Hz: column 50 + trunc(1000 x 0.26917) = 319 at span 5000
    s[b] = 32768;
    TraceVertices v;
    FrequencyTraceVertices(Frequency(2, 0, 0), s, v);
    EXPECT_EQ(v[270], QPoint(319, 10));  // columns 50..319 are vertices 1..270
    s[b] = 3277;
    FrequencyTraceVertices(Frequency(2, 0, 3), s, v);  // F = 10
    EXPECT_EQ(v[270].y(), 10);
    s[b] = 3276;  // 399.9 pixels
    FrequencyTraceVertices(Frequency(2, 0, 3), s, v);
    EXPECT_EQ(v[270].y(), 11);
    s[b] = 1e9;  // far beyond: clamped, and so are negative values
    s[b + 4] = -5;
    FrequencyTraceVertices(Frequency(2, 0, 3), s, v);
    EXPECT_EQ(v[270].y(), 10);
    EXPECT_EQ(v[271].y(), 410);
}

TEST(SpectrumTrace, Span1000From4500GivesEveryBinItsColumn) {
    Spectrum s{};
    const int b0 = 3343;  // 4500 x 32768 / 44100
    s[b0] = 10000;
    s[b0 + 743] = 20000;
    s[b0 + 744] = 30000;  // would fall on column 1051
    TraceVertices v;
    const int count = FrequencyTraceVertices(Frequency(0, 4500, 0), s, v);
    ASSERT_EQ(count, 745);
    EXPECT_EQ(v[1], QPoint(50, 410 - 122));  // the first column shows the bin just below 4500 Hz
    EXPECT_EQ(v[744].x(), 1049);
    EXPECT_EQ(v[744].y(), 410);  // the last vertex returns to the baseline
    for (int i = 2; i < count; ++i) {
        const int step =
            v[static_cast<std::size_t>(i)].x() - v[static_cast<std::size_t>(i - 1)].x();
        ASSERT_TRUE(step == 1 || step == 2) << i;
    }
    EXPECT_EQ(v[743].x(), 50 + static_cast<int>(742 * kBinWidthHz));
}

TEST(SpectrumTrace, AColumnShowsTheHighestOfItsBins) {
    // Span 10000 Hz: bins 97..104 all fall on column 63.
    Spectrum s{};
    s[97] = 8000;
    s[100] = 24000;
    s[104] = 16000;
    TraceVertices v;
    FrequencyTraceVertices(Frequency(3, 0, 0), s, v);
    EXPECT_EQ(v[14], QPoint(63, 410 - 292));  // 24000 x 1.220703125 / 100 = 292.97
    EXPECT_EQ(v[13].x(), 62);
    EXPECT_EQ(v[13].y(), 410);
    EXPECT_EQ(v[15].x(), 64);
    EXPECT_EQ(v[15].y(), 410);
}

TEST(SpectrumTrace, PitchColumnsFollowTheKeys) {
    KeyTable keyTable;  // A4 = 440 Hz
    Spectrum s{};
    for (int j = 0; j <= 20; ++j) {
        s[static_cast<std::size_t>(j)] = 1000.0 * (j + 1);  // 0 to 26.9 Hz: all on column 50
    }
    s[327] = 32768;  // 440.1 Hz
    SpectrumTrace columns;
    const TraceVertices& v = columns.vertices;
    const int count = PitchTraceVertices(keyTable, Pitch(0), s, columns);
    EXPECT_EQ(v[1].x(), 50);
    EXPECT_EQ(v[1].y(), 410 - static_cast<int>(21000 * 0.01220703125));
    EXPECT_GT(v[2].x(), 50);
    int at1010 = -1;
    for (int i = 0; i < count; ++i) {
        if (v[static_cast<std::size_t>(i)].x() == 1010) {
            at1010 = v[static_cast<std::size_t>(i)].y();
        }
    }
    EXPECT_EQ(at1010, 10);
    EXPECT_LT(v[static_cast<std::size_t>(count - 1)].x(), 1810);
    EXPECT_GE(v[static_cast<std::size_t>(count - 1)].x(), 1808);

    QImage image = White();
    SpectrumTrace trace;
    DrawPitchTrace(image, keyTable, Pitch(0), s, trace);
    EXPECT_EQ(TopmostOf(image, 1010, kBlue), 10);
    // The columns follow a new A4: 440.1 Hz is then a semitone above A4's column.
    keyTable.SetA4(415.3);
    const int moved = PitchTraceVertices(keyTable, Pitch(0), s, columns);
    int peakX = -1;
    for (int i = 0; i < moved; ++i) {
        if (v[static_cast<std::size_t>(i)].y() == 10) {
            peakX = v[static_cast<std::size_t>(i)].x();
        }
    }
    EXPECT_NEAR(peakX, 1030, 1);
}

TEST(SpectrumTrace, ThreeDOutlineAndWanderingFill) {
    EXPECT_EQ(WanderingFillColor(0.0), QColor(224, 224, 192));
    EXPECT_EQ(WanderingFillColor(0.05), QColor(225, 225, 192));
    const double quarter = std::acos(-1.0) / 2;  // sin = 1: 255
    EXPECT_EQ(WanderingFillColor(quarter).green(), 255);
    EXPECT_EQ(WanderingFillColor(-quarter).green(), 193);

    Spectrum s{};
    s[1000] = 32768;
    ScopeViewState state = Frequency();
    state.threeD = true;
    SpectrumTrace trace;
    QImage image = White();
    DrawFrequencyTrace(image, state, s, trace);
    EXPECT_DOUBLE_EQ(trace.phase, 0.05);
    const QRgb outline = Rgb(127, 127, 255);
    EXPECT_EQ(PixelAt(image, 319, 10), outline);
    EXPECT_EQ(PixelAt(image, 319, 300), Rgb(225, 225, 192));  // under the peak: the fill
    EXPECT_EQ(PixelAt(image, 319, 9), kWhite);
    DrawFrequencyTrace(image, state, s, trace);
    EXPECT_DOUBLE_EQ(trace.phase, 0.1);
    state.threeD = false;  // 2-D drawings leave the phase alone
    DrawFrequencyTrace(image, state, s, trace);
    EXPECT_DOUBLE_EQ(trace.phase, 0.1);
}

TEST(SpectrumScale, FrequencyGridIn2DAnd3D) {
    for (const bool threeD : {false, true}) {
        ScopeViewState state = Frequency();
        state.threeD = threeD;
        QImage image(kSurfaceWidth, kSurfaceHeight, QImage::Format_RGB32);
        image.fill(Qt::black);
        DrawFrequencyScale(image, state);
        const QRgb grid = threeD ? Rgb(192, 192, 255) : kBlue;
        QImage reference(1067, 451, QImage::Format_RGB32);
        reference.fill(Qt::white);
        std::vector<GridLine> vertical;
        std::vector<GridLine> horizontal;
        for (int n = 0; n <= 10; ++n) {
            vertical.push_back({50 + 100 * n, n == 0 || n == 10, grid});
            horizontal.push_back({10 + 40 * n, n == 0 || n == 10, grid});
        }
        DrawReferenceGrid(reference, vertical, 10, 410, horizontal, 50, 1050);
        EXPECT_TRUE(Golden(threeD ? "frequency-scale-3d" : "frequency-scale-2d")
                        .Region(reference, 44, 0, 1067, 416)
                        .At(1067, 100, kBlack)
                        .At(500, 451, kBlack)
                        .Matches(image));
    }
}

TEST(SpectrumScale, FrequencyLabels) {
    QImage image = White();
    LabelRecorder recorder;
    DrawFrequencyScale(image, Frequency(2, 0, 3), &recorder);
    ASSERT_EQ(recorder.labels.size(), 22u);
    EXPECT_EQ(recorder.labels[11].text.toStdString(), "   0(Hz)");
    EXPECT_EQ(recorder.labels[11].rect, QRect(-50, 418, 200, 12));
    EXPECT_EQ(recorder.labels[11].align, LabelAlign::kCentre);
    EXPECT_EQ(recorder.labels[12].text.toStdString(), " 500");
    EXPECT_EQ(recorder.labels[21].text.toStdString(), "5000");
    EXPECT_EQ(recorder.labels[21].rect, QRect(950, 418, 200, 12));

    recorder.labels.clear();
    DrawFrequencyScale(image, Frequency(0, 4500, 3), &recorder);
    EXPECT_EQ(recorder.labels[11].text.toStdString(), "4500(Hz)");
    EXPECT_EQ(recorder.labels[12].text.toStdString(), "4600");
    EXPECT_EQ(recorder.labels[21].text.toStdString(), "5500");
}

TEST(SpectrumScale, VerticalLabelsLinearAndLogarithmic) {
    struct Case {
        int levelIndex;
        int logarithm;
        const char* top;
        const char* second;
        const char* bottom;
    };
    for (const Case c : {Case{3, 0, " 10.0%", "  9.0%", "  0.0%"},
                         Case{0, 0, "100.0%", " 90.0%", "  0.0%"},
                         Case{3, 1, " 10 dB", "  9 dB", "  0 dB"},
                         Case{0, 1, "100 dB", " 90 dB", "  0 dB"},
                         Case{4, 1, "5.0 dB", "4.5 dB", "0.0 dB"},
                         Case{6, 1, "1.0 dB", "0.9 dB", "0.0 dB"}}) {
        ScopeViewState state = Frequency(2, 0, c.levelIndex);
        state.logarithmOption = c.logarithm;
        QImage image = White();
        LabelRecorder recorder;
        DrawFrequencyScale(image, state, &recorder);
        SCOPED_TRACE(testing::Message() << "level " << c.levelIndex << " log " << c.logarithm);
        EXPECT_EQ(recorder.labels[0].text.toStdString(), c.top);
        EXPECT_EQ(recorder.labels[1].text.toStdString(), c.second);
        EXPECT_EQ(recorder.labels[10].text.toStdString(), c.bottom);
        for (int k = 0; k <= 10; ++k) {
            const DrawnLabel& label = recorder.labels[static_cast<std::size_t>(k)];
            EXPECT_EQ(label.rect, QRect(0, 40 * k + 6, 42, 16));
            EXPECT_EQ(label.align, LabelAlign::kRight);
            EXPECT_EQ(label.color, QColor(Qt::black));
        }
    }
}

}  // namespace
}  // namespace tonavise
