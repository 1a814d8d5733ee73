// The beat flash: a large window for the music stand that shows the number of the beat being
// heard and flashes at each beat, brightest on the bar's first beat, lighter on a group's first
// beat, dim on the others and not at all on a muted one. It reads the same heard beat as the
// beat lights, every kBeatPollMs while it is shown, and can be resized to any size; the number
// fills most of its height.
//
// Threads: user-interface thread.
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "engine/dsp/Metronome.h"
#include "engine/live/LiveState.h"

namespace tonavise::ui {

// How long a beat's flash lasts.
inline constexpr int kBeatFlashMs = 120;

class BeatFlash : public QWidget {
    Q_OBJECT
  public:
    using Source = std::function<HeardBeat()>;
    using MeterSource = std::function<Meter()>;

    BeatFlash(Source source, MeterSource meter, QWidget* parent = nullptr);

    HeardBeat shown() const { return shown_; }
    // Whether the flash of the shown beat is still lit.
    bool flashing() const { return flashing_; }
    // Reads the source once; a new beat starts a flash (the timer calls it).
    void Poll();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    Source source_;
    MeterSource meter_;
    QTimer timer_;
    QElapsedTimer sinceBeat_;
    HeardBeat shown_;
    Accent accent_ = Accent::Weak;
    bool flashing_ = false;
};

}  // namespace tonavise::ui
