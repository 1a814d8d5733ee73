// The recorder's readout on the Recorder bar: while recording, the time recorded ("● 0:12.3")
// and the input's peak on a level meter with a clip mark; after Stop, the take's length and
// peak ("0:12.3, peak -3.2 dB"). The main window hands it the store's levels on its update
// timer.
//
// Threads: user-interface thread only.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include "engine/live/RecordingStore.h"

class QLabel;

namespace tonavise::ui {

class LevelMeterWidget;

class RecorderReadout : public QWidget {
    Q_OBJECT

  public:
    explicit RecorderReadout(QWidget* parent = nullptr);
    void Show(const RecordingStore::TakeLevels& levels, bool recording);
    QString text() const;

  private:
    QLabel* time_;
    LevelMeterWidget* meter_;
};

}  // namespace tonavise::ui
