// Dialog layouts given in dialog units, the measure the dialogs' layouts are written in: a
// horizontal unit is a quarter of the dialog font's average character width, a vertical unit an
// eighth of its height. Dialogs laid out this way keep their proportions in any font and size.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace tonavise::ui {

class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font);
    // A base given in pixels (tests).
    DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}

    int X(int units) const { return (units * baseX_ + 2) / 4; }
    int Y(int units) const { return (units * baseY_ + 4) / 8; }
    QRect Rect(int x, int y, int w, int h) const { return {X(x), Y(y), X(w), Y(h)}; }
    QSize Size(int w, int h) const { return {X(w), Y(h)}; }

    int baseX() const { return baseX_; }
    int baseY() const { return baseY_; }

  private:
    int baseX_;
    int baseY_;
};

}  // namespace tonavise::ui
