#include <gtest/gtest.h>

#include <QImage>

#include "GoldenSupport.h"
#include "engine/dsp/KeyTable.h"
#include "render/PitchScale.h"

namespace tonavise {
namespace {

using namespace test;

struct Drawn {
    QImage image;
    LabelRecorder recorder;
};

Drawn Draw(const ScopeViewState& state) {
    Drawn d;
    d.image = QImage(kSurfaceWidth, kSurfaceHeight, QImage::Format_RGB32);
    d.image.fill(Qt::black);
    const KeyTable keyTable;
    DrawPitchScale(d.image, keyTable, state, &d.recorder);
    return d;
}

// The reference picture of the grid with the given colour for each pitch line (0 = unmarked).
QImage ReferenceGrid(bool threeD, const std::array<QRgb, 89>& marks) {
    const QRgb grid = threeD ? Rgb(192, 192, 255) : kBlue;
    QImage reference(kSurfaceWidth, kSurfaceHeight, QImage::Format_RGB32);
    reference.fill(Qt::white);
    std::vector<GridLine> vertical;
    std::vector<GridLine> horizontal;
    for (int n = 0; n <= 88; ++n) {
        const QRgb mark = marks[static_cast<std::size_t>(n)];
        vertical.push_back({50 + 20 * n, mark != 0 || n == 0 || n == 88, mark != 0 ? mark : grid});
    }
    for (int m = 0; m <= 10; ++m) {
        horizontal.push_back({10 + 40 * m, m == 0 || m == 10, grid});
    }
    DrawReferenceGrid(reference, vertical, 10, 410, horizontal, 50, 1810);
    return reference;
}

ScopeViewState PitchState() {
    ScopeViewState s;
    s.scopeMode = kScopePitch;
    return s;
}

std::string RelativeName(const Drawn& d, int key) {
    return d.recorder.labels[static_cast<std::size_t>(11 + key)].text.toStdString();
}

TEST(PitchScale, UnmarkedLinesAreDottedBetweenTwoSolidOnes) {
    const Drawn d = Draw(PitchState());
    EXPECT_TRUE(Golden("pitch-scale-unmarked")
                    .Region(ReferenceGrid(false, {}), 44, 0, kSurfaceWidth, 416)
                    .Matches(d.image));
}

TEST(PitchScale, MarksIn2DAnd3D) {
    ScopeViewState state = PitchState();
    state.pitchLineColors[48] = 0;   // black
    state.pitchLineColors[39] = 1;   // red
    state.pitchLineColors[51] = 5;   // magenta
    state.pitchLineColors[60] = 15;  // only the low three bits count: unmarked
    state.pitchLineColors[61] = 9;   // red again
    std::array<QRgb, 89> marks{};
    marks[48] = kBlack;
    marks[39] = Rgb(196, 0, 0);
    marks[51] = Rgb(196, 0, 196);
    marks[61] = Rgb(196, 0, 0);
    const Drawn flat = Draw(state);
    EXPECT_TRUE(Golden("pitch-scale-marks-2d")
                    .Region(ReferenceGrid(false, marks), 44, 0, kSurfaceWidth, 416)
                    .Column(1010, 11, 50, kBlack)  // key 48, A4: a solid black line
                    .Matches(flat.image));

    state.threeD = true;
    marks[48] = Rgb(127, 127, 127);
    marks[39] = Rgb(254, 127, 127);
    marks[51] = Rgb(254, 127, 254);
    marks[61] = Rgb(254, 127, 127);
    const Drawn deep = Draw(state);
    EXPECT_TRUE(Golden("pitch-scale-marks-3d")
                    .Region(ReferenceGrid(true, marks), 44, 0, kSurfaceWidth, 416)
                    .Matches(deep.image));
    EXPECT_EQ(MarkColor(5, true), QColor(254, 127, 254));
    EXPECT_EQ(MarkColor(6, false), QColor(0, 196, 196));
    EXPECT_FALSE(IsMarked(7));
    EXPECT_FALSE(IsMarked(15));
    EXPECT_TRUE(IsMarked(8));
}

TEST(PitchScale, RelativeNamesMoveWithTheKeyAndTheNotation) {
    ScopeViewState state = PitchState();
    Drawn d = Draw(state);
    ASSERT_EQ(d.recorder.labels.size(), 11u + 88u + 88u);
    const char* first[] = {"6", ":", "7", "1", ":"};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(RelativeName(d, k), first[k]) << k;
    }
    for (int l = 0; l < 88; ++l) {
        const DrawnLabel& label = d.recorder.labels[static_cast<std::size_t>(11 + l)];
        EXPECT_EQ(label.rect, QRect(50 + 20 * (l - 1), 418, 40, 12));
        EXPECT_EQ(label.align, LabelAlign::kCentre);
        EXPECT_EQ(label.color, QColor(255, 0, 0));
        EXPECT_EQ(label.cellHeight, 14);
        EXPECT_TRUE(label.bold);
    }
    // The red "1" under C1 (key 3, x = 110) is really drawn.
    EXPECT_GT(CountIn(d.image, 100, 418, 121, 430, Rgb(255, 0, 0)), 0);

    state.keyIndex = 2;  // "1 = D"
    state.notationCounter = 1;
    d = Draw(state);
    EXPECT_EQ(RelativeName(d, 5), "do");  // D1
    EXPECT_EQ(RelativeName(d, 4), "si");  // #C1
    EXPECT_EQ(RelativeName(d, 3), ":");   // C1

    state.keyIndex = 2;
    state.notationCounter = 3;  // capital letters move with the key: D is labelled C
    d = Draw(state);
    EXPECT_EQ(RelativeName(d, 5), "C");

    state.keyIndex = 12;        // names like 0
    state.notationCounter = 5;  // 5 mod 4: solmisation
    d = Draw(state);
    EXPECT_EQ(RelativeName(d, 3), "do");
    EXPECT_EQ(RelativeName(d, 0), "la");
    state.notationCounter = 4;
    d = Draw(state);
    EXPECT_EQ(RelativeName(d, 3), "1");

    state.keyIndex = 11;  // "1 = B": B keys show 1, C keys ":"
    state.notationCounter = 0;
    d = Draw(state);
    EXPECT_EQ(RelativeName(d, 2), "1");
    EXPECT_EQ(RelativeName(d, 3), ":");

    state.threeD = true;
    d = Draw(state);
    EXPECT_EQ(d.recorder.labels[11].color, QColor(255, 192, 192));
}

TEST(PitchScale, AbsoluteNamesAndVerticalLabels) {
    ScopeViewState state = PitchState();
    state.threeD = true;
    const Drawn d = Draw(state);
    const auto name = [&d](int key) {
        return d.recorder.labels[static_cast<std::size_t>(11 + 88 + key)];
    };
    EXPECT_EQ(name(0).text.toStdString(), "A0");
    EXPECT_EQ(name(1).text.toStdString(), "#A0");
    EXPECT_EQ(name(2).text.toStdString(), "B0");
    EXPECT_EQ(name(3).text.toStdString(), "C1");
    EXPECT_EQ(name(48).text.toStdString(), "A4");
    EXPECT_EQ(name(87).text.toStdString(), "C8");
    for (int m = 0; m < 88; ++m) {
        EXPECT_EQ(name(m).rect, QRect(50 + 20 * (m - 1), 438, 40, 12));
        EXPECT_EQ(name(m).color, QColor(Qt::black));
        EXPECT_EQ(name(m).cellHeight, 12);
        EXPECT_FALSE(name(m).bold);
    }
    EXPECT_EQ(d.recorder.labels[0].text.toStdString(), " 10.0%");
    EXPECT_EQ(d.recorder.labels[0].color, QColor(Qt::black));
    // "C8" is drawn in black under its line at x = 1790.
    EXPECT_GT(CountIn(d.image, 1780, 438, 1801, 450, kBlack), 0);
}

}  // namespace
}  // namespace tonavise
