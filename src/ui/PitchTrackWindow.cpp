#include "ui/PitchTrackWindow.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>

#include "engine/core/Notifier.h"
#include "engine/dsp/KeyTable.h"

namespace tonavise::ui {

namespace {

int SpanOrDefault(int seconds) {
    return seconds == 5 || seconds == 30 ? seconds : 10;
}

}  // namespace

QString TrackCsv(const std::vector<TrackPoint>& points, const KeyTable& keyTable) {
    QString csv = QStringLiteral("time_s,f0_hz,key,name,cents\n");
    for (const TrackPoint& p : points) {
        PitchReading r;
        if (p.hz > 0) {
            const NearestKeyExactResult nk = keyTable.NearestKeyExact(p.hz);
            r.precise = true;
            r.hasPitch = nk.key >= 0 && nk.key < kKeyCount;
            r.hz = p.hz;
            r.key = nk.key;
            r.cents = nk.cents;
        } else {
            r.precise = true;
        }
        csv += QStringLiteral("%1,").arg(p.timeSeconds, 0, 'f', 1) +
               QString::fromStdString(PitchColumns(r, keyTable)) + QLatin1Char('\n');
    }
    return csv;
}

PitchTrackWindow::PitchTrackWindow(const KeyTable& keyTable,
                                   Notifier& notifier,
                                   int spanSeconds,
                                   QWidget* parent)
    : QDialog(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      keyTable_(keyTable),
      notifier_(notifier),
      spanSeconds_(SpanOrDefault(spanSeconds)) {
    setObjectName(QStringLiteral("pitchTrack"));
    setWindowTitle(tr("Pitch Track"));
    setModal(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(320, 160);
    setFocusPolicy(Qt::StrongFocus);
    points_.reserve(kCapacityBlocks);
    view_.emptyNote = tr("no pitch");
}

void PitchTrackWindow::AddReading(uint64_t sequence, const PitchReading& reading) {
    if (frozen_) {
        return;
    }
    ring_.Push({static_cast<double>(sequence) * 0.1, reading.hasPitch ? reading.hz : 0.0});
    update();
}

void PitchTrackWindow::SetNames(int32_t keyIndex, int32_t notationCounter) {
    view_.keyIndex = keyIndex;
    view_.notationCounter = notationCounter;
}

void PitchTrackWindow::SetSpan(int seconds) {
    spanSeconds_ = SpanOrDefault(seconds);
    update();
}

void PitchTrackWindow::SetFrozen(bool frozen) {
    frozen_ = frozen;
    setWindowTitle(frozen ? tr("Pitch Track (frozen)") : tr("Pitch Track"));
    update();
}

void PitchTrackWindow::Clear() {
    ring_.Clear();
    range_.Reset();
    update();
}

void PitchTrackWindow::Compose() {
    if (picture_.size() != size()) {
        picture_ = QImage(size(), QImage::Format_RGB32);
    }
    // The span ends at the newest block: the picture scrolls as the blocks come.
    const TrackPoint* newest = ring_.Newest();
    const double end = newest != nullptr ? newest->timeSeconds : spanSeconds_;
    view_.toSeconds = std::max(end, static_cast<double>(spanSeconds_));
    view_.fromSeconds = view_.toSeconds - spanSeconds_;
    points_.clear();
    for (std::size_t i = 0; i < ring_.Size(); ++i) {
        if (ring_.At(i).timeSeconds > view_.fromSeconds - 0.15) {
            points_.push_back(ring_.At(i));
        }
    }
    view_.keys = range_.Update(points_, keyTable_.a4Frequency.load(std::memory_order_relaxed));
    DrawPitchTrack(picture_, keyTable_, points_, view_);
}

void PitchTrackWindow::paintEvent(QPaintEvent*) {
    if (!frozen_ || picture_.size() != size()) {
        Compose();
    }
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
    if (!playedMark_.isEmpty()) {
        painter.setPen(QColor(255, 120, 120));
        painter.drawText(rect().adjusted(0, 4, -8, 0), Qt::AlignRight | Qt::AlignTop, playedMark_);
    }
}

void PitchTrackWindow::SetPlayedFileMark(const QString& mark) {
    if (mark != playedMark_) {
        playedMark_ = mark;
        update();
    }
}

void PitchTrackWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        SetFrozen(!frozen_);
        return;
    }
    QDialog::keyPressEvent(event);
}

void PitchTrackWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* spans[3] = {};
    const int seconds[3] = {5, 10, 30};
    for (int i = 0; i < 3; ++i) {
        spans[i] = menu.addAction(tr("Last %1 Seconds").arg(seconds[i]));
        spans[i]->setCheckable(true);
        spans[i]->setChecked(spanSeconds_ == seconds[i]);
    }
    menu.addSeparator();
    QAction* freeze = menu.addAction(tr("Freeze"));
    freeze->setCheckable(true);
    freeze->setChecked(frozen_);
    freeze->setShortcut(Qt::Key_Space);
    QAction* clear = menu.addAction(tr("Clear"));
    QAction* exportAction = menu.addAction(tr("Export..."));
    QAction* chosen = menu.exec(event->globalPos());
    for (int i = 0; i < 3; ++i) {
        if (chosen == spans[i]) {
            SetSpan(seconds[i]);
            emit spanChanged(spanSeconds_);
        }
    }
    if (chosen == freeze) {
        SetFrozen(!frozen_);
    } else if (chosen == clear) {
        Clear();
    } else if (chosen == exportAction) {
        const QString path =
            chooser_ ? chooser_()
                     : QFileDialog::getSaveFileName(this,
                                                    tr("Export"),
                                                    QStringLiteral("pitch-track.csv"),
                                                    tr("CSV rows and a PNG picture (*.csv)"));
        if (!path.isEmpty()) {
            Export(path);
        }
    }
}

bool PitchTrackWindow::Export(const QString& csvPath) {
    const QFileInfo info(csvPath);
    const QString base = info.path() + QLatin1Char('/') + info.completeBaseName();
    const QString csvFile = base + QStringLiteral(".csv");
    const QString pngFile = base + QStringLiteral(".png");
    std::vector<TrackPoint> all;
    ring_.CopyTo(all);
    QFile csv(csvFile);
    const QByteArray text = TrackCsv(all, keyTable_).toUtf8();
    const bool csvWritten = csv.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                            csv.write(text) == text.size() && csv.flush();
    csv.close();
    if (picture_.size() != size()) {
        Compose();
    }
    const bool pngWritten = csvWritten && picture_.save(pngFile, "PNG");
    if (!pngWritten) {
        const QString message = tr("The pitch track could not be written to %1.")
                                    .arg(QDir::toNativeSeparators(csvWritten ? pngFile : csvFile));
        notifier_.ShowMessage(
            tr("Pitch Track").toStdString(), message.toStdString(), MessageIcon::Exclamation);
        return false;
    }
    return true;
}

void PitchTrackWindow::closeEvent(QCloseEvent* event) {
    QDialog::closeEvent(event);
    if (event->isAccepted()) {
        emit closedByUser();
    }
}

}  // namespace tonavise::ui
