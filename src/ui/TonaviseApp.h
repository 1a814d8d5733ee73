// The application: chooses the language, loads the settings, refuses to run twice, owns the
// engine's process-wide objects, builds the main frame, and at exit writes the settings back and,
// once a day, opens the product's web page. While it runs it writes the sound tools' values and
// the pitch marks when they change, and all settings when the session manager asks, so that a
// logout or a lost display loses nothing.
//
// Threads: user-interface thread only.
#pragma once

#include <QDate>
#include <QLocale>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

#include "engine/device/DeviceListReader.h"
#include "engine/live/LiveEngine.h"
#include "ui/AppContext.h"
#include "ui/Commands.h"
#include "ui/SettingsStore.h"

class QTranslator;

namespace tonavise {
class DeviceFactory;
}  // namespace tonavise

namespace tonavise::ui {

class MainWindow;
class QtNotifier;
class SingleInstance;
class WebPageOpener;

// What the application takes from its surroundings. Tests replace each part.
struct AppEnvironment {
    QString settingsFile;             // empty: the user's own settings
    WebPageOpener* opener = nullptr;  // null: the desktop's browser
    std::function<QDate()> today;     // empty: today's local date
    QLocale locale = QLocale::system();
    QString instanceKey;               // empty: the program's GUID
    QString instanceFolder;            // empty: the user's runtime folder
    QString programFolder;             // empty: the executable's folder
    Notifier* notifier = nullptr;      // null: message boxes
    DeviceFactory* devices = nullptr;  // null: the system's sound devices (OpenSoundSystem)
};

// How often the application looks for changed sound-tool values and pitch marks. A change is
// written once the values have stayed the same for one look, so a spin held down or a run of
// clicks in the pitch marking list is written once, when it ends.
inline constexpr int kToolSettingsCheckMs = 500;

// The daily web page: when the stored date differs from today's, store today's and open the
// page. True when it was opened.
bool OpenDailyPage(SettingsStore& settings, const QDate& today, WebPageOpener& opener);

class TonaviseApp : public QObject, public CommandTarget {
    Q_OBJECT
  public:
    explicit TonaviseApp(AppEnvironment environment = {});
    ~TonaviseApp() override;

    // Start-up; false when the program must end (another instance runs).
    bool InitInstance();
    // Shutdown: the frame and its threads go first, then the settings are written. Also after
    // a refused start-up. Once only; returns the exit code.
    int ExitInstance();

    MainWindow* mainFrame() const { return frame_.get(); }
    AppContext& context() { return context_; }
    UiLanguage language() const { return language_; }
    bool translationLoaded() const { return translator_ != nullptr; }

    // Settings of the screen capturer, loaded at start-up.
    QString imageFolder() const { return context_.capturerSettings.Get().imageFolder; }
    int32_t imageStartTime() const { return context_.capturerSettings.Get().imageStartTime; }
    int32_t imageInterval() const { return context_.capturerSettings.Get().imageInterval; }
    int32_t imageNumbers() const { return context_.capturerSettings.Get().imageNumbers; }

    // Writes every setting the program holds now and flushes (the session manager's "commit
    // data" and "save state" requests, before a logout).
    void SaveSettingsNow();

    // CommandTarget: the About command comes here.
    bool HandlesCommand(int id) const override;
    void UpdateCommand(int id, CommandState& state) override;
    void HandleCommand(int id) override;

  private:
    AppEnvironment environment_;
    UiLanguage language_ = UiLanguage::English;
    std::unique_ptr<QTranslator> translator_;
    std::unique_ptr<QTranslator> qtTranslator_;  // Qt's own dialogs and buttons
    std::unique_ptr<SettingsStore> settings_;
    std::unique_ptr<WebPageOpener> ownOpener_;
    std::unique_ptr<QtNotifier> ownNotifier_;
    std::unique_ptr<SingleInstance> instance_;
    std::unique_ptr<DeviceFactory> soundSystem_;
    std::unique_ptr<DeviceListReader> deviceLists_;  // reads soundSystem_'s lists

    LiveEngine engine_;
    AppContext context_;

    std::unique_ptr<MainWindow> frame_;
    bool exited_ = false;

    // Writes the sound tools' values and the pitch marks once they have changed and settled.
    void WriteSettledToolSettings();
    QTimer toolSettingsCheck_;
    ToolSettings writtenTools_;  // as in the file
    ToolSettings seenTools_;     // as at the last look
};

}  // namespace tonavise::ui
