#include "ui/DialogControls.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <algorithm>

namespace tonavise::ui {

QString ControlName(int id) {
    return QStringLiteral("id%1").arg(id);
}

QLabel* PlaceLabel(QWidget* parent, const QString& text, QRect r, Qt::Alignment align) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(align | Qt::AlignTop);
    const int needed = label->sizeHint().width();
    if (needed > r.width()) {
        if (align & Qt::AlignRight) {
            r.setLeft(r.right() + 1 - needed);
        } else {
            r.setWidth(needed);
        }
    }
    label->setGeometry(r);
    return label;
}

void PlaceIndicatorButton(QAbstractButton* button, QRect r) {
    const QSize hint = button->sizeHint();
    if (hint.height() > r.height()) {
        r.adjust(0, -(hint.height() - r.height()) / 2, 0, 0);
        r.setHeight(hint.height());
    }
    r.setWidth(std::max(r.width(), hint.width()));
    button->setGeometry(r);
}

void TabStopOnCheckedButton(QButtonGroup* group) {
    auto apply = [group] {
        QAbstractButton* checked = group->checkedButton();
        const QList<QAbstractButton*> buttons = group->buttons();
        for (QAbstractButton* button : buttons) {
            // Without a checked button the first one takes the tab stop.
            const bool stop = checked != nullptr ? button == checked : button == buttons.first();
            button->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
        }
    };
    QObject::connect(group, &QButtonGroup::buttonToggled, group, apply);
    apply();
}

}  // namespace tonavise::ui
