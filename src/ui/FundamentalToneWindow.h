// The fundamental tone window: a small tool window that shows, in three lines, the latest
// fundamental frequency, the nearest piano key and the difference from it in cents. With the
// standard estimate it keeps no data: each repaint reads the current fundamental. With the
// precise estimate it shows the frequency to a hundredth of a hertz and the cents to a tenth,
// and under them a tuner bar over -50..+50 cents whose needle is green within 3 cents; the
// view hands it every analysis (AddReading), and a TunerReadout keeps it still on noise. Key
// presses do nothing. Closing it by its close box hides it and tells the view (closedByUser),
// which clears its "shown" flag.
//
// Threads: user-interface thread only.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QStringList>
#include <functional>

#include "engine/core/UiLanguage.h"
#include "ui/TunerReadout.h"

namespace tonavise {
class KeyTable;
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
QStringList FundamentalToneLines(double hz, const KeyTable& keyTable, UiLanguage language);

// The precise estimate's lines: "... = 440.00 (Hz)", "Pitch = A4", "Difference = +0.0 (Cents)";
// one line ending in `noPitch` when nothing is shown.
QStringList PreciseToneLines(const TunerReadout::Shown& shown,
                             const KeyTable& keyTable,
                             UiLanguage language,
                             const QString& noPitch);

// The tuner bar's needle colour: green within 3 cents, amber within 15, red beyond.
QColor TunerNeedleColor(double cents);
inline constexpr double kInTuneCents = 3.0;

class FundamentalToneWindow : public QDialog {
    Q_OBJECT
  public:
    FundamentalToneWindow(const KeyTable& keyTable,
                          std::function<double()> fundamental,
                          UiLanguage language,
                          QWidget* parent);

    // The lines of the last paint (tests).
    const QStringList& shownLines() const { return shownLines_; }

    // Every new analysis, in the order they come (the precise tuner follows them; the standard
    // lines need nothing).
    void AddReading(const PitchReading& reading);
    TunerReadout& tuner() { return tuner_; }
    // Sizes the window for the method now in force: the tuner bar only with the precise one.
    void FitToMethod();
    bool showsTuner() const;
    // The needle's x in the last paint, or -1 without a needle (tests).
    int needleX() const { return needleX_; }
    // The played file's speed and transpose ("70 % · −2"; empty: none), shown in a corner.
    void SetPlayedFileMark(const QString& mark);
    const QString& playedFileMark() const { return playedMark_; }

  signals:
    void closedByUser();
    // The user switched the tuner's smoothing in the context menu.
    void smoothingChanged(bool on);

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    const KeyTable& keyTable_;
    std::function<double()> fundamental_;
    UiLanguage language_;
    QFont font_;
    QStringList shownLines_;
    TunerReadout tuner_;
    int standardWidth_ = 0;
    int needleX_ = -1;
    QString playedMark_;
};

}  // namespace tonavise::ui
