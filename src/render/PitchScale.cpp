#include "render/PitchScale.h"

#include <QImage>

#include "engine/dsp/KeyTable.h"
#include "render/SpectrumScope.h"

namespace tonavise {

namespace {

const QColor kGrid2D(0, 0, 255);
const QColor kGrid3D(192, 192, 255);
const QColor kRelative2D(255, 0, 0);
const QColor kRelative3D(255, 192, 192);

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

bool IsMarked(int32_t code) {
    return (code & 7) != 7;
}

QColor MarkColor(int32_t code, bool threeD) {
    const int on = threeD ? 254 : 196;
    const int off = threeD ? 127 : 0;
    return QColor((code & 1) ? on : off, (code & 2) ? on : off, (code & 4) ? on : off);
}

void DrawPitchScale(QImage& surface,
                    const KeyTable& keyTable,
                    const ScopeViewState& state,
                    LabelRecorder* recorder) {
    const QColor grid = state.threeD ? kGrid3D : kGrid2D;
    const QColor relative = state.threeD ? kRelative3D : kRelative2D;
    ScopeCanvas canvas(surface, recorder);
    canvas.Fill(DrawingSizeOf(kScopePitch), Qt::white);
    const LinePen solid = SolidPen(grid);
    const LinePen dotted = DottedPen(grid);

    for (int n = 0; n <= kKeyCount; ++n) {
        const int x = 50 + 20 * n;
        if (n < kKeyCount && IsMarked(state.pitchLineColors[static_cast<std::size_t>(n)])) {
            canvas.SetPen(SolidPen(
                MarkColor(state.pitchLineColors[static_cast<std::size_t>(n)], state.threeD)));
        } else {
            canvas.SetPen(n == 0 || n == kKeyCount ? solid : dotted);
        }
        canvas.Line(x, 10, x, 410);
    }
    for (int m = 0; m <= 10; ++m) {
        canvas.SetPen(m == 0 || m == 10 ? solid : dotted);
        canvas.Line(50, 10 + 40 * m, 1810, 10 + 40 * m);
    }

    DrawVerticalLabels(canvas, state);

    const QColor previous = canvas.TextColor();
    canvas.SetTextColor(relative);
    canvas.SetFont(14, true);
    for (int l = 0; l < kKeyCount; ++l) {
        canvas.Label(50 + 20 * (l - 1),
                     418,
                     50 + 20 * (l + 1),
                     430,
                     LabelAlign::kCentre,
                     Latin1(RelativeNoteName(l, state.notationCounter, state.keyIndex)));
    }
    canvas.SetFont(12, false);
    canvas.SetTextColor(previous);
    for (int m = 0; m < kKeyCount; ++m) {
        canvas.Label(50 + 20 * (m - 1),
                     438,
                     50 + 20 * (m + 1),
                     450,
                     LabelAlign::kCentre,
                     Latin1(keyTable.ShortName(m)));
    }
}

}  // namespace tonavise
