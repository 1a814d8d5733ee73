#include "ui/FundamentalToneWindow.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "engine/dsp/KeyTable.h"

namespace tonavise::ui {

namespace {

// The window's client size: 206 x 43 dialog units of an 8-point dialog font.
constexpr int kClientWidth = 309;
constexpr int kClientHeight = 70;
constexpr int kFontCellHeight = 16;
constexpr int kLeft = 4;
constexpr int kLineTops[3] = {4, 24, 44};
// The tuner bar under the lines, with the precise estimate.
constexpr int kTunerTop = 70;
constexpr int kTunerHeight = 34;
constexpr int kTunerMargin = 10;

QString Latin(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The system's face at the largest size whose line (ascent + descent) fits 16 pixels.
QFont ToneFont() {
    QFont font;
    font.setWeight(QFont::Normal);
    for (int px = kFontCellHeight; px > 6; --px) {
        font.setPixelSize(px);
        if (QFontMetrics(font).height() <= kFontCellHeight) {
            break;
        }
    }
    return font;
}

}  // namespace

ToneLabels ToneLabelsFor(UiLanguage language) {
    switch (language) {
        case UiLanguage::Chinese:
            return {QStringLiteral("基频(基音)"),
                    QStringLiteral("音高"),
                    QStringLiteral("误差"),
                    QStringLiteral("音分")};
        case UiLanguage::Japanese:
            return {QStringLiteral("基本周波数(基音)"),
                    QStringLiteral("音程"),
                    QStringLiteral("誤差"),
                    QStringLiteral("セント")};
        case UiLanguage::English:
            break;
    }
    return {QStringLiteral("Fundamental Frequency (tone)"),
            QStringLiteral("Pitch"),
            QStringLiteral("Difference"),
            QStringLiteral("Cents")};
}

QStringList FundamentalToneLines(double hz, const KeyTable& keyTable, UiLanguage language) {
    const ToneLabels labels = ToneLabelsFor(language);
    QStringList lines;
    lines << QStringLiteral("%1 = %2 (Hz)").arg(labels.frequency).arg(hz, 0, 'f', 1);
    const NearestKeyResult nearest = keyTable.NearestKey(hz);
    if (nearest.key < 0 || nearest.key >= kKeyCount) {
        return lines;
    }
    const std::string_view name = keyTable.LongName(nearest.key);
    lines << QStringLiteral("%1 = %2").arg(
        labels.pitch, QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    lines << QStringLiteral("%1 = %2 (%3)")
                 .arg(labels.difference, QString::asprintf("%+d", nearest.cents), labels.cents);
    return lines;
}

QStringList PreciseToneLines(const TunerReadout::Shown& shown,
                             const KeyTable& keyTable,
                             UiLanguage language,
                             const QString& noPitch) {
    const ToneLabels labels = ToneLabelsFor(language);
    QStringList lines;
    if (!shown.hasPitch || shown.key < 0 || shown.key >= kKeyCount) {
        lines << QStringLiteral("%1 = %2").arg(labels.frequency, noPitch);
        return lines;
    }
    // A deviation that rounds to zero reads +0.0, never -0.0.
    const double tenths = std::round(shown.cents * 10.0) / 10.0;
    lines << QStringLiteral("%1 = %2 (Hz)").arg(labels.frequency).arg(shown.hz, 0, 'f', 2);
    lines << QStringLiteral("%1 = %2").arg(labels.pitch, Latin(keyTable.LongName(shown.key)));
    lines << QStringLiteral("%1 = %2 (%3)")
                 .arg(labels.difference,
                      QString::asprintf("%+.1f", tenths == 0.0 ? 0.0 : tenths),
                      labels.cents);
    return lines;
}

QColor TunerNeedleColor(double cents) {
    const double off = std::abs(cents);
    if (off <= kInTuneCents) {
        return {0, 160, 60};
    }
    return off <= 15.0 ? QColor(220, 150, 0) : QColor(210, 40, 30);
}

FundamentalToneWindow::FundamentalToneWindow(const KeyTable& keyTable,
                                             std::function<double()> fundamental,
                                             UiLanguage language,
                                             QWidget* parent)
    : QDialog(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      keyTable_(keyTable),
      fundamental_(std::move(fundamental)),
      language_(language),
      font_(ToneFont()) {
    setObjectName(QStringLiteral("fundamentalTone"));
    setWindowTitle(tr("Fundamental Frequency (tone)"));
    setModal(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // That size, widened when this system's face needs more room for the first line.
    const QFontMetrics fm(font_);
    const QString widest = FundamentalToneLines(22050.0, keyTable_, language_).front();
    standardWidth_ = std::max(kClientWidth, fm.horizontalAdvance(widest) + 2 * kLeft);
    FitToMethod();
}

bool FundamentalToneWindow::showsTuner() const {
    return keyTable_.pitchMethod.load(std::memory_order_relaxed) == kPitchMethodPrecise;
}

void FundamentalToneWindow::FitToMethod() {
    setFixedSize(standardWidth_, showsTuner() ? kTunerTop + kTunerHeight + 6 : kClientHeight);
    tuner_.Reset();
}

void FundamentalToneWindow::AddReading(const PitchReading& reading) {
    if (reading.precise) {
        tuner_.Add(reading);
    }
}

void FundamentalToneWindow::contextMenuEvent(QContextMenuEvent* event) {
    if (!showsTuner()) {
        return;
    }
    QMenu menu(this);
    QAction* smooth = menu.addAction(tr("Smooth Tuner Needle"));
    smooth->setCheckable(true);
    smooth->setChecked(tuner_.smoothing());
    if (menu.exec(event->globalPos()) == smooth) {
        tuner_.SetSmoothing(!tuner_.smoothing());
        emit smoothingChanged(tuner_.smoothing());
    }
}

bool FundamentalToneWindow::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
            // No key closes or changes the window.
            event->accept();
            return true;
        default:
            return QDialog::event(event);
    }
}

void FundamentalToneWindow::SetPlayedFileMark(const QString& mark) {
    if (mark != playedMark_) {
        playedMark_ = mark;
        update();
    }
}

void FundamentalToneWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(255, 255, 255));
    if (!playedMark_.isEmpty()) {
        painter.setPen(QColor(190, 0, 0));
        painter.drawText(rect().adjusted(0, 2, -6, 0), Qt::AlignRight | Qt::AlignTop, playedMark_);
    }
    painter.setPen(QColor(0, 0, 255));
    painter.setFont(font_);
    const QFontMetrics fm(font_);
    needleX_ = -1;
    if (!showsTuner()) {
        shownLines_ = FundamentalToneLines(fundamental_(), keyTable_, language_);
        for (int i = 0; i < shownLines_.size(); ++i) {
            painter.drawText(kLeft, kLineTops[i] + fm.ascent(), shownLines_[i]);
        }
        return;
    }
    const TunerReadout::Shown& shown = tuner_.shown();
    shownLines_ = PreciseToneLines(shown, keyTable_, language_, tr("no pitch"));
    // A held reading (the sound paused for a moment) is shown grey.
    painter.setPen(shown.held ? QColor(128, 128, 128) : QColor(0, 0, 255));
    for (int i = 0; i < shownLines_.size(); ++i) {
        painter.drawText(kLeft, kLineTops[i] + fm.ascent(), shownLines_[i]);
    }

    // The bar: -50..+50 cents, the in-tune zone shaded, a tick every 10 cents.
    const int left = kTunerMargin;
    const int right = width() - kTunerMargin;
    const int top = kTunerTop;
    const int bottom = kTunerTop + kTunerHeight;
    const auto xOf = [&](double cents) {
        const double t = (std::clamp(cents, -50.0, 50.0) + 50.0) / 100.0;
        return left + static_cast<int>(std::lround(t * (right - left)));
    };
    painter.fillRect(QRect(left, top, right - left, kTunerHeight), QColor(236, 236, 236));
    painter.fillRect(
        QRect(xOf(-kInTuneCents), top, xOf(kInTuneCents) - xOf(-kInTuneCents) + 1, kTunerHeight),
        QColor(200, 240, 200));
    painter.setPen(QColor(90, 90, 90));
    for (int c = -50; c <= 50; c += 10) {
        const int x = xOf(c);
        const int length = c == 0 ? kTunerHeight : (c % 50 == 0 ? 10 : 6);
        painter.drawLine(x, bottom - length, x, bottom - 1);
    }
    if (shown.hasPitch) {
        needleX_ = xOf(shown.needleCents);
        const QColor color =
            shown.held ? QColor(150, 150, 150) : TunerNeedleColor(shown.needleCents);
        painter.fillRect(QRect(needleX_ - 2, top + 2, 5, kTunerHeight - 4), color);
    }
}

void FundamentalToneWindow::closeEvent(QCloseEvent* event) {
    QDialog::closeEvent(event);
    if (event->isAccepted()) {
        emit closedByUser();
    }
}

}  // namespace tonavise::ui
