// SIGTERM, SIGINT and SIGHUP (the session ending, Ctrl+C in a terminal, the terminal or the
// display's connection going away) end the program the way closing its window does: the handler
// only wakes the event loop, which then calls the given function, so the threads are joined and
// the settings written as at any other end.
//
// Threads: created and destroyed on the user-interface thread; the signals may arrive on any.
#pragma once

#include <QObject>
#include <array>
#include <csignal>
#include <functional>

class QSocketNotifier;

namespace tonavise::ui {

inline constexpr std::array<int, 3> kTerminationSignals{SIGTERM, SIGINT, SIGHUP};

class TerminationSignals : public QObject {
    Q_OBJECT
  public:
    // Installs the handlers; `onSignal` runs on this object's thread, once per signal received.
    // One instance at a time.
    explicit TerminationSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    // Puts the handlers back as they were.
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when the handlers could not be installed (no socket pair).
    bool installed() const { return installed_; }

  private:
    std::function<void()> onSignal_;
    std::array<struct sigaction, kTerminationSignals.size()> previous_{};
    QSocketNotifier* notifier_ = nullptr;
    bool installed_ = false;
};

}  // namespace tonavise::ui
