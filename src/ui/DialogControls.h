// Small helpers for dialogs laid out in dialog units: controls placed at positions in dialog
// units (DialogUnits.h), named by their control ids (which tests look them up by), and radio
// groups that move with the arrow keys and take one Tab stop.
//
// Threads: user-interface thread only.
#pragma once

#include <QRadioButton>
#include <QRect>
#include <QString>
#include <Qt>

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QWidget;

namespace tonavise::ui {

// The object name of control `id` ("id1013"), so that tests and tools can find it.
QString ControlName(int id);

// A static text at `r`. A text wider than its place (fonts differ, and so do translations)
// grows away from its aligned edge instead of being cut.
QLabel* PlaceLabel(QWidget* parent, const QString& text, QRect r, Qt::Alignment align);

// A radio button that answers a click anywhere in its rectangle, as the template's buttons do
// (Qt's own answers only on its indicator and text).
class TemplateRadioButton : public QRadioButton {
  public:
    using QRadioButton::QRadioButton;

  protected:
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

// A radio button or check box at `r`: the template's height is the text's, so the style's
// indicator may need a little more (kept centred on the same line) and the text more width.
void PlaceIndicatorButton(QAbstractButton* button, QRect r);

// Tab reaches a radio group at its checked button only; the arrow keys move within the group
// (and check the button they reach). Call once the group has all its buttons.
void TabStopOnCheckedButton(QButtonGroup* group);

}  // namespace tonavise::ui
