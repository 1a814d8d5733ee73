// The process-wide objects and services the windows share: the live engine and its single
// objects, the settings, the way messages reach the user and the user-interface language. The
// application owns them; the windows hold this by reference.
#pragma once

#include <QString>

#include "engine/core/UiLanguage.h"
#include "ui/CapturerSettings.h"
#include "ui/SignalSettings.h"

namespace tonavise {
class CaptureStore;
struct PracticeControls;
class DeviceFactory;
class DeviceListReader;
class KeyTable;
class Fft;
class LiveEngine;
class Notifier;
class RecordingStore;
}  // namespace tonavise

namespace tonavise::ui {

class SettingsStore;
class WebPageOpener;

struct AppContext {
    // The sound threads; the references below are its objects.
    LiveEngine& engine;
    CaptureStore& captureStore;
    PracticeControls& controls;
    KeyTable& keyTable;
    Fft& fft;
    RecordingStore& recordingStore;
    Notifier& notifier;
    SettingsStore& settings;
    UiLanguage language = UiLanguage::English;
    // The sound devices of the engine's threads; null starts no worker thread.
    DeviceFactory* devices = nullptr;
    // Reads the devices' lists off the interface thread; null: the windows read them at once.
    DeviceListReader* deviceLists = nullptr;
    // The screen capturer's folder and schedule: loaded at start-up, changed by the Set
    // Parameters dialog, read by the view and the capturer thread.
    CapturerSettings capturerSettings{};
    // Opens the manual and web pages; null: the desktop's own handler.
    WebPageOpener* opener = nullptr;
    // Where the program's own files (the manual) are looked for from; empty: the executable's
    // folder.
    QString programFolder{};
    // The signal generator's values for the program's run.
    SignalSettings signalSettings{};
};

}  // namespace tonavise::ui
