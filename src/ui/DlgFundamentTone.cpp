#include "ui/DlgFundamentTone.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "engine/Doreme.h"

namespace tonavise::ui {

namespace {

// The window's client size: 206 x 43 dialog units of an 8-point dialog font.
constexpr int kClientWidth = 309;
constexpr int kClientHeight = 70;
constexpr int kFontCellHeight = 16;
constexpr int kLeft = 4;
constexpr int kLineTops[3] = {4, 24, 44};

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

QStringList FundamentalToneLines(double hz, const CDoreme& doreme, UiLanguage language) {
    const ToneLabels labels = ToneLabelsFor(language);
    QStringList lines;
    lines << QStringLiteral("%1 = %2 (Hz)").arg(labels.frequency).arg(hz, 0, 'f', 1);
    const NearestKeyResult nearest = doreme.NearestKey(hz);
    if (nearest.key < 0 || nearest.key >= kKeyCount) {
        return lines;
    }
    const std::string_view name = doreme.LongName(nearest.key);
    lines << QStringLiteral("%1 = %2").arg(
        labels.pitch, QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    lines << QStringLiteral("%1 = %2 (%3)")
                 .arg(labels.difference, QString::asprintf("%+d", nearest.cents), labels.cents);
    return lines;
}

CDlgFundamentTone::CDlgFundamentTone(const CDoreme& doreme,
                                     std::function<double()> fundamental,
                                     UiLanguage language,
                                     QWidget* parent)
    : QDialog(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      doreme_(doreme),
      fundamental_(std::move(fundamental)),
      language_(language),
      font_(ToneFont()) {
    setObjectName(QStringLiteral("fundamentalTone"));
    setWindowTitle(tr("Fundamental Frequency (tone)"));
    setModal(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // That size, widened when this system's face needs more room for the first line.
    const QFontMetrics fm(font_);
    const QString widest = FundamentalToneLines(22050.0, doreme_, language_).front();
    const int width = std::max(kClientWidth, fm.horizontalAdvance(widest) + 2 * kLeft);
    setFixedSize(width, kClientHeight);
}

bool CDlgFundamentTone::event(QEvent* event) {
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

void CDlgFundamentTone::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(255, 255, 255));
    painter.setPen(QColor(0, 0, 255));
    painter.setFont(font_);
    const QFontMetrics fm(font_);
    shownLines_ = FundamentalToneLines(fundamental_(), doreme_, language_);
    for (int i = 0; i < shownLines_.size(); ++i) {
        painter.drawText(kLeft, kLineTops[i] + fm.ascent(), shownLines_[i]);
    }
}

void CDlgFundamentTone::closeEvent(QCloseEvent* event) {
    QDialog::closeEvent(event);
    if (event->isAccepted()) {
        emit closedByUser();
    }
}

}  // namespace tonavise::ui
