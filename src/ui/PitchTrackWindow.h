// The pitch track window: how the named pitch moved over the last 5, 10 or 30 seconds, live
// from the microphone or from a playing file (whatever the scope shows), drawn by the
// pitch-track renderer. The view hands it every analysis (AddReading). Space freezes and
// resumes the picture; the context menu chooses the span, clears the track and exports it (the
// blocks as CSV rows and the picture as PNG, beside each other). Closing it by its close box
// hides it and tells the view (closedByUser).
//
// Memory: a ring of 30 s of blocks, allocated once; drawing reuses one picture of the window's
// size. Threads: user-interface thread only.
#pragma once

#include <QDialog>
#include <QImage>
#include <functional>
#include <optional>
#include <vector>

#include "engine/live/PitchReading.h"
#include "render/PitchTrack.h"

namespace tonavise {
class KeyTable;
class Notifier;
}  // namespace tonavise

namespace tonavise::ui {

// Asks where to export; empty: cancelled. Tests hand a path over instead of the dialog.
using ExportPathChooser = std::function<QString()>;

// The CSV of the blocks, as tonavise-cli analyze writes its columns: time_s,f0_hz,key,name,cents.
QString TrackCsv(const std::vector<TrackPoint>& points, const KeyTable& keyTable);

class PitchTrackWindow : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kCapacityBlocks = 300;  // 30 s of 100 ms blocks

    PitchTrackWindow(const KeyTable& keyTable,
                     Notifier& notifier,
                     int spanSeconds,
                     QWidget* parent);

    // One analysis: its block number (the analysis' sequence; 10 a second) and what it named.
    void AddReading(uint64_t sequence, const PitchReading& reading);
    void SetNames(int32_t keyIndex, int32_t notationCounter);
    void SetSpan(int seconds);
    int span() const { return spanSeconds_; }
    void SetFrozen(bool frozen);
    // The played file's speed and transpose ("70 % · −2"; empty: none), shown in a corner.
    void SetPlayedFileMark(const QString& mark);
    const QString& playedFileMark() const { return playedMark_; }
    bool frozen() const { return frozen_; }
    void Clear();
    // Writes base.csv and base.png; false, with a message naming the file that failed.
    bool Export(const QString& csvPath);
    void SetExportPathChooser(ExportPathChooser chooser) { chooser_ = std::move(chooser); }

    const PitchTrackRing& ring() const { return ring_; }
    // The picture of the last paint (tests).
    const QImage& picture() const { return picture_; }

  signals:
    void closedByUser();
    void spanChanged(int seconds);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void Compose();

    const KeyTable& keyTable_;
    Notifier& notifier_;
    int spanSeconds_;
    bool frozen_ = false;
    PitchTrackRing ring_{kCapacityBlocks};
    std::vector<TrackPoint> points_;  // reused by every drawing
    KeyRangeFollower range_;
    PitchTrackView view_;
    QImage picture_;
    ExportPathChooser chooser_;
    QString playedMark_;
};

}  // namespace tonavise::ui
