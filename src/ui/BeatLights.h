// The visual beat: one light a beat of the bar, the beat being heard lit (the bar's first beat
// in its own colour). Each light's height shows its beat's accent (strong, medium, weak; a
// muted beat is an empty ring), from the meter set, which also gives the lights while nothing
// sounds; a click on a light asks for the next accent of its beat. The lights follow the tone and
// metronome thread's heard position, read every kBeatPollMs while the widget is visible and a beat
// sounds (kSilentPollMs otherwise), so they change when the click reaches the output rather than
// when it was handed to the sound system. The lights run along the longer side, so the widget fits
// a horizontal dialog row and a vertical tool bar alike.
//
// Threads: user-interface thread; the source is called there.
#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>

#include "engine/dsp/Metronome.h"
#include "engine/live/LiveState.h"

namespace tonavise::ui {

inline constexpr int kBeatPollMs = 15;
inline constexpr int kSilentPollMs = 100;

class BeatLights : public QWidget {
    Q_OBJECT
  public:
    using Source = std::function<HeardBeat()>;

    explicit BeatLights(Source source, QWidget* parent = nullptr);

    // The beat shown now (beat -1: none lit).
    HeardBeat shown() const { return shown_; }
    // Reads the source once and repaints when the beat changed (the timer calls it).
    void Poll();

    // Lights in a column (a vertical tool bar) instead of a row.
    void SetVertical(bool vertical);
    // The chosen meter: its beats' accents, and the lights shown while silent.
    void SetMeter(const Meter& meter);
    // Where each poll reads the chosen meter (for lights that no window keeps up to date).
    void SetMeterSource(std::function<Meter()> source) { meterSource_ = std::move(source); }
    const Meter& meter() const { return meter_; }
    // The beat whose light is at `point`, or -1.
    int BeatAt(QPoint point) const;

    QSize sizeHint() const override;

  signals:
    void beatClicked(int beat);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    Source source_;
    std::function<Meter()> meterSource_;
    QTimer timer_;
    HeardBeat shown_;
    Meter meter_ = MeterOfRhythm(3);  // "4"
    bool vertical_ = false;
};

}  // namespace tonavise::ui
