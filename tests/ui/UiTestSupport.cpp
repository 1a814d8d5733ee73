#include "UiTestSupport.h"

#include <QAbstractEventDispatcher>
#include <QSettings>
#include <QThread>

namespace tonavise::ui::test {

bool WaitFor(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

void DrainEvents() {
    // Posted events may post more (a queued signal that queues a redraw): until a round finds
    // nothing left.
    for (int round = 0; round < 100; ++round) {
        QCoreApplication::sendPostedEvents();
        if (!QCoreApplication::instance()->eventDispatcher()->processEvents(
                QEventLoop::AllEvents)) {
            return;
        }
    }
}

TempSettings::TempSettings() = default;

void TempSettings::Put(const char* section, const QString& key, const QString& value) {
    QSettings s(path(), QSettings::IniFormat);
    s.setValue(QString::fromLatin1(section) + QLatin1Char('/') + key, value);
}

Engine::Engine(const QString& settingsPath)
    : settings(settingsPath),
      context{live,
              captureStore,
              controls,
              keyTable,
              fft,
              recordingStore,
              notifier,
              settings,
              UiLanguage::English,
              &sound,
              &deviceLists} {
    captureStore.Create();
}

Engine::~Engine() {
    captureStore.Close();
}

}  // namespace tonavise::ui::test
