// The fundamental tone window: a small tool window that shows, in three lines, the latest
// fundamental frequency, the nearest piano key and the difference from it in cents. It keeps no
// data: each repaint reads the current fundamental. Key presses do nothing. Closing it by its
// close box hides it and tells the view (closedByUser), which clears its "shown" flag.
//
// Threads: user-interface thread only.
#pragma once

#include <QDialog>
#include <QFont>
#include <QStringList>
#include <functional>

#include "engine/UiLanguage.h"

namespace tonavise {
class CDoreme;
}

namespace tonavise::ui {

struct ToneLabels {
    QString frequency;
    QString pitch;
    QString difference;
    QString cents;
};

ToneLabels ToneLabelsFor(UiLanguage language);

// The lines the window shows for a fundamental of `hz`: one line when the nearest key lies
// outside the 88 keys, three otherwise.
QStringList FundamentalToneLines(double hz, const CDoreme& doreme, UiLanguage language);

class CDlgFundamentTone : public QDialog {
    Q_OBJECT
  public:
    CDlgFundamentTone(const CDoreme& doreme,
                      std::function<double()> fundamental,
                      UiLanguage language,
                      QWidget* parent);

    // The lines of the last paint (tests).
    const QStringList& shownLines() const { return shownLines_; }

  signals:
    void closedByUser();

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    const CDoreme& doreme_;
    std::function<double()> fundamental_;
    UiLanguage language_;
    QFont font_;
    QStringList shownLines_;
};

}  // namespace tonavise::ui
