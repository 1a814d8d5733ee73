#include "ui/DialogUnits.h"

#include <QFontMetrics>

namespace tonavise::ui {

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics fm(font);
    // The average width of the 52 letters, rounded: the width a dialog unit is a quarter of.
    const int letters = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = (letters / 26 + 1) / 2;
    baseY_ = fm.height();
}

}  // namespace tonavise::ui
