// The per-user settings: sections "Setting", "PitchLineColor" and "User" of named integer and
// string values in an INI file of the user's configuration folder (organisation "Osmarek",
// application "Tonavise"). Every read names its default, which applies when the key is missing
// or its value is not a number. The Save functions below flush, so a value written when it
// changes is on disk at once.
//
// The keys and what the program keeps of them: StartupSettings (read when the program starts,
// written when it ends), and the view's "FreqOfA4", "Key" and "Logarithm" (ViewSettings).
//
// Threads: user-interface thread only.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>

#include "engine/dsp/KeyTable.h"
#include "engine/dsp/Metronome.h"

class QSettings;

namespace tonavise {
struct PracticeControls;
}

namespace tonavise::ui {

inline constexpr char kOrganisation[] = "Osmarek";
inline constexpr char kApplication[] = "Tonavise";

inline constexpr char kSectionSetting[] = "Setting";
inline constexpr char kSectionPitchLineColor[] = "PitchLineColor";
inline constexpr char kSectionUser[] = "User";

class SettingsStore {
  public:
    // The user's own store.
    SettingsStore();
    // A store in the given INI file (tests).
    explicit SettingsStore(const QString& iniPath);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    int32_t ReadInt(const char* section, const QString& key, int32_t defaultValue) const;
    QString ReadString(const char* section, const QString& key, const QString& defaultValue) const;
    void WriteInt(const char* section, const QString& key, int32_t value);
    void WriteString(const char* section, const QString& key, const QString& value);
    // The keys a section holds, and the removal of one.
    QStringList Keys(const char* section) const;
    void Remove(const char* section, const QString& key);
    // Writes pending values to the file now (otherwise at the latest when the store goes).
    void Flush();

    QString FileName() const;

  private:
    std::unique_ptr<QSettings> settings_;
};

// The metronome beyond tempo, rhythm and subdivision. Any meter is "MeterBeats" (0: none, the
// rhythm's preset sounds), "MeterUnit" and "MeterAccents" ("3,1,2,1,2,1,1"); "Rhythm" keeps the
// last preset, so that a file read by an earlier version still has a meter it knows.
struct MetronomeSettings {
    uint64_t meter = 0;       // Meter::Pack(), 0: none
    int32_t dotted = 0;       // "MeterDotted"
    int32_t swing = 50;       // "Swing", 50..75
    int32_t voice = 0;        // "ClickSound": 0 click, 1 wood, 2 beep
    int32_t volume = 100;     // "ClickVolume", 0..100
    int32_t trainerStep = 0;  // "TrainerStep", "TrainerBars", "TrainerTarget"
    int32_t trainerBars = 0;
    int32_t trainerTarget = 0;
    int32_t mutePlay = 0;  // "MutePlay", "MuteBars"
    int32_t muteBars = 0;
    bool operator==(const MetronomeSettings&) const = default;
};

// What the application loads at start-up and writes back at exit.
struct StartupSettings {
    QString imageFolder;                               // "ImageFolder", empty
    int32_t imageStartTime = 4;                        // "ImageStartTime", taken as stored
    int32_t imageInterval = 1;                         // "ImageInterval", taken as stored
    int32_t imageNumbers = 9;                          // "ImageNumbers", taken as stored
    int32_t tempo = 120;                               // "Tempo", clamped to 20..400
    int32_t rhythm = 0;                                // "Rhythm", clamped to 0..6
    int32_t recTimeIndex = 1;                          // "RecTimeIndex", taken as stored
    int32_t recRepeating = 1;                          // "RecRepeating", taken as stored
    std::array<int32_t, kKeyCount> pitchLineColors{};  // "Color0".."Color87", default 7
    int32_t subdivision = 1;                           // "Subdivision", clamped to 1..4
    int32_t countIn = 0;                               // "CountIn": 1 a bar before recording
    MetronomeSettings metronome;
};

inline constexpr int32_t kMaxRhythm = 6;

// Reads the start-up keys, clamping "Tempo" and "Rhythm" to what the metronome can play.
StartupSettings LoadStartupSettings(const SettingsStore& store);
// Puts tempo, rhythm and the recording options into the capture store and the colours into the
// pitch model.
void ApplyStartupSettings(const StartupSettings& s, PracticeControls& controls, KeyTable& keyTable);
// At exit: the 88 colours, then "Tempo", "Rhythm", "RecTimeIndex", "RecRepeating",
// "Subdivision", "CountIn".
void SaveExitSettings(SettingsStore& store,
                      const PracticeControls& controls,
                      const KeyTable& keyTable);

// The values of the sound tools and the pitch marks as the program holds them now: what
// SaveExitSettings writes. The program also writes them while it runs, when they change.
struct ToolSettings {
    int32_t tempo = 0;
    int32_t rhythm = 0;
    int32_t recTimeIndex = 0;
    int32_t recRepeating = 0;
    std::array<int32_t, kKeyCount> pitchLineColors{};
    int32_t subdivision = 1;
    int32_t countIn = 0;
    MetronomeSettings metronome;
    bool operator==(const ToolSettings&) const = default;
};

ToolSettings CurrentToolSettings(const PracticeControls& controls, const KeyTable& keyTable);
ToolSettings ToolSettingsOf(const StartupSettings& s);
// Writes them and flushes.
void SaveToolSettings(SettingsStore& store, const ToolSettings& values);

// The view's own settings, read when the view starts.
struct ViewSettings {
    double a4 = 440.0;           // "FreqOfA4" / 10, clamped to kMinA4..kMaxA4 (390..480)
    int32_t keyIndex = 0;        // "Key", clamped to 0..12
    int32_t logarithm = 0;       // "Logarithm", taken as stored
    int32_t pitchMethod = 0;     // "PitchMethod": 0 the standard estimate, 1 the precise one
    bool tunerSmoothing = true;  // "TunerSmoothing": the tuner bar averages the last blocks
    // The pitch track window: "PitchTrackShown", "PitchTrackWidth", "PitchTrackHeight" and
    // "PitchTrackSpan" (seconds shown: 5, 10 or 30).
    bool pitchTrackShown = false;
    int32_t pitchTrackWidth = 720;
    int32_t pitchTrackHeight = 360;
    int32_t pitchTrackSpan = 10;
    // "FitPicture": the picture scaled to the window; "KeepAspect": without distortion.
    bool fitPicture = false;
    bool keepAspect = true;
};

inline constexpr int32_t kMaxKeyIndex = 12;

ViewSettings LoadViewSettings(const SettingsStore& store);
void SaveKey(SettingsStore& store, int32_t keyIndex);
void SaveLogarithm(SettingsStore& store, int32_t logarithm);
// One integer of group "Setting", written at once (the tuner's and the pitch track's choices).
void SaveViewInt(SettingsStore& store, const char* key, int32_t value);
// A4 in tenths of a hertz, rounded to nearest: 441.5 is stored as 4415.
void SaveA4(SettingsStore& store, double a4);

// The sound devices chosen in Set Parameters, by the sound server's names: "InputDevice" and
// "OutputDevice"; empty: the system's default.
struct SoundDeviceChoice {
    QString input;
    QString output;
};
SoundDeviceChoice LoadSoundDevices(const SettingsStore& store);
// Writes both and flushes.
void SaveSoundDevices(SettingsStore& store, const SoundDeviceChoice& choice);

// The date of the last daily page, "%04d/%02d/%02d"; the default never equals a date.
inline constexpr char kNoDate[] = "----/--/--";
QString DailyDateText(const QDate& date);

}  // namespace tonavise::ui
