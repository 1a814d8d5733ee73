#include "ui/SettingsStore.h"

#include <QSettings>
#include <algorithm>
#include <cmath>

#include "engine/live/PracticeControls.h"

namespace tonavise::ui {

namespace {

QString Path(const char* section, const QString& key) {
    return QString::fromLatin1(section) + QLatin1Char('/') + key;
}

QString ColorKey(int k) {
    return QStringLiteral("Color%1").arg(k);
}

}  // namespace

SettingsStore::SettingsStore()
    : settings_(std::make_unique<QSettings>(
          QSettings::IniFormat, QSettings::UserScope, kOrganisation, kApplication)) {}

SettingsStore::SettingsStore(const QString& iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

SettingsStore::~SettingsStore() = default;

int32_t SettingsStore::ReadInt(const char* section,
                               const QString& key,
                               int32_t defaultValue) const {
    const QVariant v = settings_->value(Path(section, key));
    if (!v.isValid()) {
        return defaultValue;
    }
    bool ok = false;
    const qlonglong n = v.toString().trimmed().toLongLong(&ok);
    if (!ok || n < INT32_MIN || n > INT32_MAX) {
        return defaultValue;
    }
    return static_cast<int32_t>(n);
}

QString SettingsStore::ReadString(const char* section,
                                  const QString& key,
                                  const QString& defaultValue) const {
    const QVariant v = settings_->value(Path(section, key));
    return v.isValid() ? v.toString() : defaultValue;
}

void SettingsStore::WriteInt(const char* section, const QString& key, int32_t value) {
    settings_->setValue(Path(section, key), value);
}

void SettingsStore::WriteString(const char* section, const QString& key, const QString& value) {
    settings_->setValue(Path(section, key), value);
}

QStringList SettingsStore::Keys(const char* section) const {
    settings_->beginGroup(QString::fromLatin1(section));
    QStringList keys = settings_->childKeys();
    settings_->endGroup();
    return keys;
}

void SettingsStore::Remove(const char* section, const QString& key) {
    settings_->remove(Path(section, key));
}

void SettingsStore::Flush() {
    settings_->sync();
}

QString SettingsStore::FileName() const {
    return settings_->fileName();
}

namespace {

// A meter that does not read as one is no meter: the rhythm's preset sounds.
MetronomeSettings LoadMetronomeSettings(const SettingsStore& store) {
    MetronomeSettings m;
    const int beats = store.ReadInt(kSectionSetting, "MeterBeats", 0);
    if (beats > 0) {
        const QString written =
            QStringLiteral("%1/%2").arg(beats).arg(store.ReadInt(kSectionSetting, "MeterUnit", 4));
        const QString accents = store.ReadString(kSectionSetting, "MeterAccents", QString());
        if (const auto meter =
                ParseMeter(written.toStdString(), "", accents.toStdString(), nullptr)) {
            m.meter = meter->Pack();
        }
    }
    m.dotted = store.ReadInt(kSectionSetting, "MeterDotted", 0) != 0 ? 1 : 0;
    m.swing = std::clamp(store.ReadInt(kSectionSetting, "Swing", 50), kMinSwing, kMaxSwing);
    m.voice = std::clamp(store.ReadInt(kSectionSetting, "ClickSound", 0), 0, kClickVoiceCount - 1);
    m.volume = std::clamp(store.ReadInt(kSectionSetting, "ClickVolume", 100), 0, 100);
    const QString trainer = QStringLiteral("%1,%2,%3")
                                .arg(store.ReadInt(kSectionSetting, "TrainerStep", 0))
                                .arg(store.ReadInt(kSectionSetting, "TrainerBars", 0))
                                .arg(store.ReadInt(kSectionSetting, "TrainerTarget", 0));
    if (const auto plan = ParseBarPlan(trainer.toStdString(), "", kMinTempo - 1, nullptr)) {
        m.trainerStep = plan->trainerStep;
        m.trainerBars = plan->trainerBars;
        m.trainerTarget = plan->trainerTarget;
    }
    const QString mute = QStringLiteral("%1,%2")
                             .arg(store.ReadInt(kSectionSetting, "MutePlay", 0))
                             .arg(store.ReadInt(kSectionSetting, "MuteBars", 0));
    if (const auto plan = ParseBarPlan("", mute.toStdString(), 0, nullptr)) {
        m.mutePlay = plan->play;
        m.muteBars = plan->mute;
    }
    return m;
}

void SaveMetronomeSettings(SettingsStore& store, const MetronomeSettings& m) {
    const std::optional<Meter> meter = Meter::Unpack(m.meter);
    store.WriteInt(kSectionSetting, "MeterBeats", meter ? meter->beats : 0);
    store.WriteInt(kSectionSetting, "MeterUnit", meter ? meter->unit : 4);
    QStringList accents;
    for (int b = 0; meter && b < meter->beats; ++b) {
        accents << QString::number(static_cast<int>(meter->accents[static_cast<std::size_t>(b)]));
    }
    store.WriteString(kSectionSetting, "MeterAccents", accents.join(QLatin1Char(',')));
    store.WriteInt(kSectionSetting, "MeterDotted", m.dotted);
    store.WriteInt(kSectionSetting, "Swing", m.swing);
    store.WriteInt(kSectionSetting, "ClickSound", m.voice);
    store.WriteInt(kSectionSetting, "ClickVolume", m.volume);
    store.WriteInt(kSectionSetting, "TrainerStep", m.trainerStep);
    store.WriteInt(kSectionSetting, "TrainerBars", m.trainerBars);
    store.WriteInt(kSectionSetting, "TrainerTarget", m.trainerTarget);
    store.WriteInt(kSectionSetting, "MutePlay", m.mutePlay);
    store.WriteInt(kSectionSetting, "MuteBars", m.muteBars);
}

}  // namespace

StartupSettings LoadStartupSettings(const SettingsStore& store) {
    StartupSettings s;
    s.imageFolder = store.ReadString(kSectionSetting, "ImageFolder", QString());
    s.imageStartTime = store.ReadInt(kSectionSetting, "ImageStartTime", 4);
    s.imageInterval = store.ReadInt(kSectionSetting, "ImageInterval", 1);
    s.imageNumbers = store.ReadInt(kSectionSetting, "ImageNumbers", 9);
    s.tempo = std::clamp(store.ReadInt(kSectionSetting, "Tempo", 120), kMinTempo, kMaxTempo);
    s.rhythm = std::clamp(store.ReadInt(kSectionSetting, "Rhythm", 0), 0, kMaxRhythm);
    s.recTimeIndex = store.ReadInt(kSectionSetting, "RecTimeIndex", 1);
    s.recRepeating = store.ReadInt(kSectionSetting, "RecRepeating", 1);
    s.subdivision = std::clamp(store.ReadInt(kSectionSetting, "Subdivision", 1), 1, 4);
    s.countIn = store.ReadInt(kSectionSetting, "CountIn", 0) != 0 ? 1 : 0;
    s.metronome = LoadMetronomeSettings(store);
    for (int k = 0; k < kKeyCount; ++k) {
        s.pitchLineColors[k] = store.ReadInt(kSectionPitchLineColor, ColorKey(k), kColorUnmarked);
    }
    return s;
}

void ApplyStartupSettings(const StartupSettings& s,
                          PracticeControls& controls,
                          KeyTable& keyTable) {
    controls.tempo.store(s.tempo, std::memory_order_relaxed);
    controls.rhythm.store(s.rhythm, std::memory_order_relaxed);
    controls.recTimeIndex.store(s.recTimeIndex, std::memory_order_relaxed);
    controls.recRepeating.store(s.recRepeating, std::memory_order_relaxed);
    controls.subdivision.store(s.subdivision, std::memory_order_relaxed);
    controls.countIn.store(s.countIn, std::memory_order_relaxed);
    const MetronomeSettings& m = s.metronome;
    controls.meter.store(m.meter, std::memory_order_relaxed);
    controls.dotted.store(m.dotted, std::memory_order_relaxed);
    controls.swing.store(m.swing, std::memory_order_relaxed);
    controls.voice.store(m.voice, std::memory_order_relaxed);
    controls.volume.store(m.volume, std::memory_order_relaxed);
    controls.trainerStep.store(m.trainerStep, std::memory_order_relaxed);
    controls.trainerBars.store(m.trainerBars, std::memory_order_relaxed);
    controls.trainerTarget.store(m.trainerTarget, std::memory_order_relaxed);
    controls.mutePlay.store(m.mutePlay, std::memory_order_relaxed);
    controls.muteBars.store(m.muteBars, std::memory_order_relaxed);
    for (int k = 0; k < kKeyCount; ++k) {
        keyTable.pitchLineColors[k].store(s.pitchLineColors[k], std::memory_order_relaxed);
    }
}

void SaveExitSettings(SettingsStore& store,
                      const PracticeControls& controls,
                      const KeyTable& keyTable) {
    SaveToolSettings(store, CurrentToolSettings(controls, keyTable));
}

ToolSettings CurrentToolSettings(const PracticeControls& controls, const KeyTable& keyTable) {
    ToolSettings v;
    v.tempo = controls.tempo.load(std::memory_order_relaxed);
    v.rhythm = controls.rhythm.load(std::memory_order_relaxed);
    v.recTimeIndex = controls.recTimeIndex.load(std::memory_order_relaxed);
    v.recRepeating = controls.recRepeating.load(std::memory_order_relaxed);
    v.subdivision = controls.subdivision.load(std::memory_order_relaxed);
    v.countIn = controls.countIn.load(std::memory_order_relaxed);
    MetronomeSettings& m = v.metronome;
    m.meter = controls.meter.load(std::memory_order_relaxed);
    m.dotted = controls.dotted.load(std::memory_order_relaxed);
    m.swing = controls.swing.load(std::memory_order_relaxed);
    m.voice = controls.voice.load(std::memory_order_relaxed);
    m.volume = controls.volume.load(std::memory_order_relaxed);
    m.trainerStep = controls.trainerStep.load(std::memory_order_relaxed);
    m.trainerBars = controls.trainerBars.load(std::memory_order_relaxed);
    m.trainerTarget = controls.trainerTarget.load(std::memory_order_relaxed);
    m.mutePlay = controls.mutePlay.load(std::memory_order_relaxed);
    m.muteBars = controls.muteBars.load(std::memory_order_relaxed);
    for (int k = 0; k < kKeyCount; ++k) {
        v.pitchLineColors[k] = keyTable.pitchLineColors[k].load(std::memory_order_relaxed);
    }
    return v;
}

ToolSettings ToolSettingsOf(const StartupSettings& s) {
    return {s.tempo,
            s.rhythm,
            s.recTimeIndex,
            s.recRepeating,
            s.pitchLineColors,
            s.subdivision,
            s.countIn,
            s.metronome};
}

void SaveToolSettings(SettingsStore& store, const ToolSettings& v) {
    for (int k = 0; k < kKeyCount; ++k) {
        store.WriteInt(kSectionPitchLineColor, ColorKey(k), v.pitchLineColors[k]);
    }
    store.WriteInt(kSectionSetting, "Tempo", v.tempo);
    store.WriteInt(kSectionSetting, "Rhythm", v.rhythm);
    store.WriteInt(kSectionSetting, "RecTimeIndex", v.recTimeIndex);
    store.WriteInt(kSectionSetting, "RecRepeating", v.recRepeating);
    store.WriteInt(kSectionSetting, "Subdivision", v.subdivision);
    store.WriteInt(kSectionSetting, "CountIn", v.countIn);
    SaveMetronomeSettings(store, v.metronome);
    store.Flush();
}

ViewSettings LoadViewSettings(const SettingsStore& store) {
    ViewSettings v;
    v.a4 = std::clamp(store.ReadInt(kSectionSetting, "FreqOfA4", 4400) * 0.1, kMinA4, kMaxA4);
    v.keyIndex = std::clamp(store.ReadInt(kSectionSetting, "Key", 0), 0, kMaxKeyIndex);
    v.logarithm = store.ReadInt(kSectionSetting, "Logarithm", 0);
    v.pitchMethod = store.ReadInt(kSectionSetting, "PitchMethod", 0) == 1 ? 1 : 0;
    v.tunerSmoothing = store.ReadInt(kSectionSetting, "TunerSmoothing", 1) != 0;
    v.pitchTrackShown = store.ReadInt(kSectionSetting, "PitchTrackShown", 0) != 0;
    v.pitchTrackWidth =
        std::clamp(store.ReadInt(kSectionSetting, "PitchTrackWidth", 720), 320, 4000);
    v.pitchTrackHeight =
        std::clamp(store.ReadInt(kSectionSetting, "PitchTrackHeight", 360), 160, 3000);
    const int32_t span = store.ReadInt(kSectionSetting, "PitchTrackSpan", 10);
    v.pitchTrackSpan = span == 5 || span == 30 ? span : 10;
    v.fitPicture = store.ReadInt(kSectionSetting, "FitPicture", 0) != 0;
    v.keepAspect = store.ReadInt(kSectionSetting, "KeepAspect", 1) != 0;
    return v;
}

void SaveKey(SettingsStore& store, int32_t keyIndex) {
    store.WriteInt(kSectionSetting, "Key", keyIndex);
    store.Flush();
}

void SaveLogarithm(SettingsStore& store, int32_t logarithm) {
    store.WriteInt(kSectionSetting, "Logarithm", logarithm);
    store.Flush();
}

void SaveViewInt(SettingsStore& store, const char* key, int32_t value) {
    store.WriteInt(kSectionSetting, QString::fromLatin1(key), value);
    store.Flush();
}

void SaveA4(SettingsStore& store, double a4) {
    store.WriteInt(kSectionSetting, "FreqOfA4", static_cast<int32_t>(std::lround(a4 * 10.0)));
    store.Flush();
}

QString DailyDateText(const QDate& date) {
    return QString::asprintf("%04d/%02d/%02d", date.year(), date.month(), date.day());
}

SoundDeviceChoice LoadSoundDevices(const SettingsStore& store) {
    return {store.ReadString(kSectionSetting, QStringLiteral("InputDevice"), QString()),
            store.ReadString(kSectionSetting, QStringLiteral("OutputDevice"), QString())};
}

void SaveSoundDevices(SettingsStore& store, const SoundDeviceChoice& choice) {
    store.WriteString(kSectionSetting, QStringLiteral("InputDevice"), choice.input);
    store.WriteString(kSectionSetting, QStringLiteral("OutputDevice"), choice.output);
    store.Flush();
}

}  // namespace tonavise::ui
