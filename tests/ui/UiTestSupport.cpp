#include "UiTestSupport.h"

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

TempSettings::TempSettings() = default;

void TempSettings::Put(const char* section, const QString& key, const QString& value) {
    QSettings s(path(), QSettings::IniFormat);
    s.setValue(QString::fromLatin1(section) + QLatin1Char('/') + key, value);
}

Engine::Engine(const QString& settingsPath)
    : settings(settingsPath),
      context{live,
              captureStore,
              doreme,
              fft,
              recordingStore,
              notifier,
              settings,
              UiLanguage::English,
              &sound} {
    captureStore.Create();
}

Engine::~Engine() {
    captureStore.Close();
}

}  // namespace tonavise::ui::test
