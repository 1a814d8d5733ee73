#include "render/LevelMeter.h"

#include <QColor>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>

namespace tonavise {

namespace {

constexpr double kFloorDb = -60.0;
const QColor kTrough(40, 43, 48);
const QColor kGreen(60, 170, 90);
const QColor kAmber(230, 170, 40);
const QColor kRed(220, 50, 50);

}  // namespace

double PeakDecibels(int peak) {
    if (peak <= 0) {
        return -std::numeric_limits<double>::infinity();
    }
    return 20.0 * std::log10(peak / 32768.0);
}

void DrawLevelMeter(QImage& surface, int peak, bool clipped) {
    QPainter p(&surface);
    const int w = surface.width();
    const int h = surface.height();
    const int mark = std::max(4, h / 2);  // the clip mark, square-ish
    const int barWidth = std::max(0, w - mark - 2);
    p.fillRect(surface.rect(), kTrough);
    const auto xOf = [&](double db) {
        return static_cast<int>(
            std::lround((std::clamp(db, kFloorDb, 0.0) - kFloorDb) / -kFloorDb * barWidth));
    };
    const int lit = xOf(PeakDecibels(peak));
    const int amberFrom = xOf(-12.0);
    const int redFrom = xOf(-3.0);
    p.fillRect(0, 1, std::min(lit, amberFrom), h - 2, kGreen);
    if (lit > amberFrom) {
        p.fillRect(amberFrom, 1, std::min(lit, redFrom) - amberFrom, h - 2, kAmber);
    }
    if (lit > redFrom) {
        p.fillRect(redFrom, 1, lit - redFrom, h - 2, kRed);
    }
    p.fillRect(w - mark, 0, mark, h, clipped ? kRed : QColor(70, 74, 80));
}

}  // namespace tonavise
