#include "ui/TonaviseApp.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTranslator>

#include "engine/device/SoundSystem.h"
#include "ui/AboutDialog.h"
#include "ui/CommandIds.h"
#include "ui/Language.h"
#include "ui/MainWindow.h"
#include "ui/ProductInfo.h"
#include "ui/ProgramFiles.h"
#include "ui/QtNotifier.h"
#include "ui/SingleInstance.h"
#include "ui/WebPageOpener.h"

namespace tonavise::ui {

namespace {

SettingsStore& OpenSettings(std::unique_ptr<SettingsStore>& holder, const QString& file) {
    holder =
        file.isEmpty() ? std::make_unique<SettingsStore>() : std::make_unique<SettingsStore>(file);
    return *holder;
}

Notifier& ChooseNotifier(Notifier* given, std::unique_ptr<QtNotifier>& holder) {
    if (given != nullptr) {
        return *given;
    }
    holder = std::make_unique<QtNotifier>();
    return *holder;
}

}  // namespace

bool OpenDailyPage(SettingsStore& settings, const QDate& today, WebPageOpener& opener) {
    const QString todayText = DailyDateText(today);
    const QString stored = settings.ReadString(kSectionUser, "today", QString::fromLatin1(kNoDate));
    if (stored == todayText) {
        return false;
    }
    settings.WriteString(kSectionUser, "today", todayText);
    settings.Flush();
    opener.Open(QUrl(QString::fromLatin1(kProductWebPage)));
    return true;
}

TonaviseApp::TonaviseApp(AppEnvironment environment)
    : environment_(std::move(environment)),
      engine_(ChooseNotifier(environment_.notifier, ownNotifier_)),
      context_{engine_,
               engine_.captureStore,
               engine_.controls,
               engine_.keyTable,
               engine_.fft,
               engine_.recordingStore,
               environment_.notifier != nullptr ? *environment_.notifier : *ownNotifier_,
               OpenSettings(settings_, environment_.settingsFile),
               UiLanguage::English} {
    if (environment_.opener == nullptr) {
        ownOpener_ = std::make_unique<DesktopWebPageOpener>();
        environment_.opener = ownOpener_.get();
    }
    context_.opener = environment_.opener;
    context_.programFolder = environment_.programFolder;
}

TonaviseApp::~TonaviseApp() {
    ExitInstance();
}

bool TonaviseApp::InitInstance() {
    // Language: Chinese and Japanese systems get their translation when it is there.
    const QString folder = environment_.programFolder.isEmpty()
                               ? QCoreApplication::applicationDirPath()
                               : environment_.programFolder;
    language_ = LanguageOf(environment_.locale);
    context_.language = language_;
    translator_ = LoadTranslation(language_, TranslationFolders(folder));
    qtTranslator_ = LoadQtTranslation(language_);

    // Settings of the application and the sound tools.
    const StartupSettings s = LoadStartupSettings(*settings_);
    context_.capturerSettings.Set(
        {s.imageFolder, s.imageStartTime, s.imageInterval, s.imageNumbers});
    ApplyStartupSettings(s, engine_.controls, engine_.keyTable);

    // One instance: a second start brings the first one's window to the front and ends.
    instance_ = std::make_unique<SingleInstance>(environment_.instanceKey.isEmpty()
                                                     ? QString::fromLatin1(kInstanceGuid)
                                                     : environment_.instanceKey,
                                                 environment_.instanceFolder);
    if (!instance_->Acquire()) {
        instance_.reset();
        return false;
    }

    if (environment_.devices != nullptr) {
        context_.devices = environment_.devices;
    } else {
        soundSystem_ = OpenSoundSystem(SoundBackendFromEnvironment());
        context_.devices = soundSystem_.get();
    }
    // The devices chosen in Set Parameters; one that is gone is replaced by the default when
    // it opens, and the status bar says so.
    const SoundDeviceChoice chosen = LoadSoundDevices(*settings_);
    context_.devices->ChooseDevice(DeviceDirection::Input, chosen.input.toStdString());
    context_.devices->ChooseDevice(DeviceDirection::Output, chosen.output.toStdString());
    deviceLists_ = std::make_unique<DeviceListReader>(*context_.devices);
    context_.deviceLists = deviceLists_.get();

    frame_ = std::make_unique<MainWindow>(context_, this);
    connect(
        instance_.get(), &SingleInstance::raiseRequested, frame_.get(), &MainWindow::BringToFront);
    frame_->show();
    frame_->StartLive();

    writtenTools_ = CurrentToolSettings(engine_.controls, engine_.keyTable);
    seenTools_ = writtenTools_;
    connect(&toolSettingsCheck_, &QTimer::timeout, this, &TonaviseApp::WriteSettledToolSettings);
    toolSettingsCheck_.start(kToolSettingsCheckMs);
#if QT_CONFIG(sessionmanager)
    // A logout may end the program without closing its window; the desktop asks first.
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(
            gui,
            &QGuiApplication::commitDataRequest,
            this,
            [this](QSessionManager&) { SaveSettingsNow(); },
            Qt::DirectConnection);
        connect(
            gui,
            &QGuiApplication::saveStateRequest,
            this,
            [this](QSessionManager&) { SaveSettingsNow(); },
            Qt::DirectConnection);
    }
#endif
    return true;
}

void TonaviseApp::WriteSettledToolSettings() {
    const ToolSettings now = CurrentToolSettings(engine_.controls, engine_.keyTable);
    const bool settled = now == seenTools_;
    seenTools_ = now;
    if (settled && now != writtenTools_) {
        SaveToolSettings(*settings_, now);
        writtenTools_ = now;
    }
}

void TonaviseApp::SaveSettingsNow() {
    // The view's own values ("Key", "Logarithm", "FreqOfA4") are written when they change.
    writtenTools_ = CurrentToolSettings(engine_.controls, engine_.keyTable);
    seenTools_ = writtenTools_;
    SaveToolSettings(*settings_, writtenTools_);
}

int TonaviseApp::ExitInstance() {
    if (exited_) {
        return 0;
    }
    exited_ = true;
    toolSettingsCheck_.stop();
    // The frame's view stops the engine's threads when it goes; Stop() again is harmless and
    // makes sure they have ended before the store and the sound system close.
    frame_.reset();
    engine_.Stop();
    context_.deviceLists = nullptr;
    deviceLists_.reset();  // after a list being read, if any
    context_.devices = nullptr;
    soundSystem_.reset();

    SaveExitSettings(*settings_, engine_.controls, engine_.keyTable);
    for (auto* t : {&translator_, &qtTranslator_}) {
        if (*t) {
            QCoreApplication::removeTranslator(t->get());
            t->reset();
        }
    }
    if (instance_) {
        instance_->Release();
        instance_.reset();
    }
    const QDate today = environment_.today ? environment_.today() : QDate::currentDate();
    OpenDailyPage(*settings_, today, *environment_.opener);
    return 0;
}

bool TonaviseApp::HandlesCommand(int id) const {
    return id == ID_APP_ABOUT;
}

void TonaviseApp::UpdateCommand(int, CommandState&) {}

void TonaviseApp::HandleCommand(int id) {
    if (id == ID_APP_ABOUT) {
        AboutDialog about(*environment_.opener, frame_.get());
        about.exec();
    }
}

}  // namespace tonavise::ui
