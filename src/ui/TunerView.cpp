#include "ui/TunerView.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QSocketNotifier>
#include <QTimer>
#include <array>
#include <cmath>

#include "engine/dsp/KeyTable.h"
#include "engine/dsp/StringTargets.h"
#include "engine/dsp/Transposition.h"
#include "engine/live/LiveEngine.h"
#include "ui/SettingsStore.h"

namespace tonavise::ui {

namespace {

const std::array<const char*, 12> kPitchNames = {
    "C", "C\u266F", "D", "E\u266D", "E", "F", "F\u266F", "G", "A\u266D", "A", "B\u266D", "B"};

// The settings of the tuner, in the "Setting" section.
const QString kModeKey = QStringLiteral("TunerMode");            // 0 needle, 1 strobe
const QString kInTuneKey = QStringLiteral("TunerInTuneTenths");  // tenths of a cent
const QString kTemperamentKey = QStringLiteral("TunerTemperament");
const QString kTonicKey = QStringLiteral("TunerTonic");  // pitch class, 0 = C
const QString kKeepAKey = QStringLiteral("TunerKeepA");
const QString kInstrumentKey = QStringLiteral("TunerInstrument");  // "C", "Bb", ...
const QString kStringsKey = QStringLiteral("TunerStrings");        // a set's name, "custom", ""
const QString kCustomStringsKey = QStringLiteral("TunerCustomStrings");  // "D2 A2 D3 G3 B3 E4"
const QString kPureFifthsKey = QStringLiteral("TunerPureFifths");
const QString kLockedStringKey = QStringLiteral("TunerLockedString");  // 0-based, -1 none
// Drones sound from C3 to B3: low, under the instrument.
constexpr int kFirstDroneKey = 27;

// The string sets' names, for the translation files (the engine's list holds them in English).
[[maybe_unused]] const char* const kStringSetNames[] = {
    QT_TRANSLATE_NOOP("tonavise::ui::TunerFaceWidget", "Guitar (standard)"),
    QT_TRANSLATE_NOOP("tonavise::ui::TunerFaceWidget", "Guitar (drop D)"),
    QT_TRANSLATE_NOOP("tonavise::ui::TunerFaceWidget", "Guitar (DADGAD)"),
    QT_TRANSLATE_NOOP("tonavise::ui::TunerFaceWidget", "Guitar (open G)"),
    QT_TRANSLATE_NOOP("tonavise::ui::TunerFaceWidget", "Guitar (open D)"),
    QT_TRANSLATE_NOOP("tonavise::ui::TunerFaceWidget", "Bass (4 strings)"),
    QT_TRANSLATE_NOOP("tonavise::ui::TunerFaceWidget", "Bass (5 strings)"),
    QT_TRANSLATE_NOOP("tonavise::ui::TunerFaceWidget", "Violin"),
    QT_TRANSLATE_NOOP("tonavise::ui::TunerFaceWidget", "Viola"),
    QT_TRANSLATE_NOOP("tonavise::ui::TunerFaceWidget", "Cello"),
    QT_TRANSLATE_NOOP("tonavise::ui::TunerFaceWidget", "Double bass"),
    QT_TRANSLATE_NOOP("tonavise::ui::TunerFaceWidget", "Ukulele"),
    QT_TRANSLATE_NOOP("tonavise::ui::TunerFaceWidget", "Mandolin"),
};

// A Scala scale file; nullopt, with the reason in `error` (naming the line at fault), when it
// cannot be read or is not a scale.
std::optional<Temperament> LoadScala(const QString& path, QString* error) {
    constexpr qint64 kMostBytes = 1 << 20;  // a scale of thousands of degrees is still far less
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMostBytes) {
        if (error != nullptr) {
            *error = TunerFaceWidget::tr("The file cannot be read.");
        }
        return std::nullopt;
    }
    const QByteArray text = file.readAll();
    ScalaParse parsed = ParseScala(std::string_view(text.constData(), text.size()));
    if (!parsed.scale && error != nullptr) {
        *error = QString::fromStdString(parsed.error);
    }
    return std::move(parsed.scale);
}

QString NoteName(int key) {
    return QString::fromUtf8(kPitchNames[static_cast<std::size_t>((key + 9) % 12)]) +
           QString::number((key + 9) / 12);
}

// The screen reader reads the tuner as a text that says the note and how far it is off.
class TunerAccessible final : public QAccessibleWidget {
  public:
    explicit TunerAccessible(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::StaticText) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value || t == QAccessible::Description) {
            return static_cast<const TunerFaceWidget*>(widget())->SpokenValue();
        }
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* TunerAccessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("tonavise::ui::TunerFaceWidget") && object != nullptr &&
        object->isWidgetType()) {
        return new TunerAccessible(static_cast<QWidget*>(object));
    }
    return nullptr;
}

}  // namespace

TunerFaceWidget::TunerFaceWidget(LiveEngine& engine, SettingsStore& settings, QWidget* parent)
    : QWidget(parent), engine_(engine), settings_(settings) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(TunerAccessibleFactory);
        return true;
    }();
    (void)factoryInstalled;
    setAccessibleName(tr("Tuner"));
    // The face covers all of itself: the dock under it need not be painted first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    face_.texts.flat = tr("\u266D flat");
    face_.texts.inTune = tr("in tune");
    face_.texts.sharp = tr("sharp \u266F");
    face_.texts.cents = tr("cents");
    face_.strobe = settings_.ReadInt(kSectionSetting, kModeKey, 0) == 1;
    face_.inTuneCents =
        std::clamp(settings_.ReadInt(kSectionSetting, kInTuneKey, 30), 1, 250) / 10.0;
    spoken_ = tr("no pitch");
    // Not the player's and metronome's keys (Space, T, Ctrl+O, [ ] \\) nor the window's F9.
    toneKey_ = AddKey(tr("This Note"), QKeySequence(Qt::Key_F7), &TunerFaceWidget::SoundShownNote);
    droneOnKey_ = AddKey(
        tr("This Note"), QKeySequence(Qt::SHIFT | Qt::Key_F7), &TunerFaceWidget::DroneOnShownNote);
    nextStringKey_ =
        AddKey(tr("Next String"), QKeySequence(Qt::Key_F8), &TunerFaceWidget::LockNextString);
    previousStringKey_ = AddKey(tr("Previous String"),
                                QKeySequence(Qt::SHIFT | Qt::Key_F8),
                                &TunerFaceWidget::LockPreviousString);
    AddKey(tr("Tuner Menu"), QKeySequence(Qt::CTRL | Qt::Key_F9), &TunerFaceWidget::ShowMenuHere);
    ApplyTuning();
}

QAction* TunerFaceWidget::AddKey(const QString& text,
                                 const QKeySequence& key,
                                 void (TunerFaceWidget::*act)()) {
    auto* action = new QAction(text, this);
    action->setShortcut(key);
    // Anywhere in the window, while the face is shown.
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, act);
    addAction(action);
    return action;
}

void TunerFaceWidget::SoundShownNote() {
    if (engine_.Output().tonePlaying || shownKey_ < 0) {
        engine_.StopOutput();
        return;
    }
    const int string = follower_.shownString();
    const double hz = string >= 0 ? stringTargets_[static_cast<std::size_t>(string)]
                                  : tuning_.TargetHz(shownKey_);
    engine_.StartTone(shownKey_, hz);
}

void TunerFaceWidget::DroneOnShownNote() {
    if (droneKey_ >= 0 || shownKey_ < 0) {
        StopDroneHere();
        return;
    }
    StartDroneOn(kFirstDroneKey + ((shownKey_ - kFirstDroneKey) % 12 + 12) % 12);
}

void TunerFaceWidget::StartDroneOn(int key) {
    droneKey_ = key;
    droneHeard_ = false;
    engine_.StartDrone(key, engine_.keyTable.KeyFrequency(key));
    ApplyTuning();
}

void TunerFaceWidget::StopDroneHere() {
    droneKey_ = -1;
    engine_.StopDrone();
    ApplyTuning();
}

void TunerFaceWidget::StepLockedString(int step) {
    const int count = static_cast<int>(stringKeys_.size());
    if (count == 0) {
        return;
    }
    // -1 (the nearest), then the strings low to high: one ring of count + 1 places.
    const int locked = settings_.ReadInt(kSectionSetting, kLockedStringKey, -1);
    const int next = (locked + 1 + step + count + 1) % (count + 1) - 1;
    settings_.WriteInt(kSectionSetting, kLockedStringKey, next);
    ApplyTuning();
}

void TunerFaceWidget::ShowMenuHere() {
    ShowMenu(mapToGlobal(rect().center()));
}

TunerFaceWidget::~TunerFaceWidget() {
    Stop();
}

void TunerFaceWidget::ApplyTuning() {
    const QString name =
        settings_.ReadString(kSectionSetting, kTemperamentKey, QStringLiteral("equal"));
    // A drone's root is the tonic while it sounds, at its own equal-tempered pitch: what is
    // played over it is measured against the pure intervals from it.
    const bool drone = droneKey_ >= 0;
    const int tonic = drone ? (droneKey_ + 9) % 12
                            : std::clamp(settings_.ReadInt(kSectionSetting, kTonicKey, 0), 0, 11);
    const bool keepA = !drone && settings_.ReadInt(kSectionSetting, kKeepAKey, 0) == 1;
    std::optional<Temperament> temperament = name.endsWith(QLatin1String(".scl"))
                                                 ? LoadScala(name, nullptr)
                                                 : BuiltInTemperament(name.toStdString());
    if (!temperament) {
        temperament = BuiltInTemperament("equal");  // a scale file since moved or spoilt
    }
    tuning_ = Tuning(*temperament,
                     tonic,
                     engine_.keyTable.GetA4(),
                     keepA ? TuningAnchor::A4 : TuningAnchor::Tonic);
    engine_.SetTunerTuning(tuning_);
    const auto instrument = TransposingInstrumentNamed(
        settings_.ReadString(kSectionSetting, kInstrumentKey, QStringLiteral("C")).toStdString());
    writtenSounds_ = instrument ? instrument->sounds : 0;
    writtenMark_ = instrument && instrument->sounds != 0
                       ? QString::fromUtf8(instrument->label.data(),
                                           static_cast<int>(instrument->label.size()))
                       : QString();
    ApplyStrings();
    if (temperament->name != "equal") {
        const QString tuningMark = QString::fromStdString(temperament->name) + QLatin1Char(' ') +
                                   QString::fromUtf8(kPitchNames[static_cast<std::size_t>(tonic)]);
        writtenMark_ =
            writtenMark_.isEmpty() ? tuningMark : writtenMark_ + QStringLiteral(" · ") + tuningMark;
    }
    if (drone) {
        const QString droneMark = tr("Drone %1").arg(NoteName(droneKey_));
        writtenMark_ =
            writtenMark_.isEmpty() ? droneMark : writtenMark_ + QStringLiteral(" · ") + droneMark;
    }
}

void TunerFaceWidget::ApplyStrings() {
    const QString which = settings_.ReadString(kSectionSetting, kStringsKey, QString());
    stringKeys_.clear();
    stringTargets_.clear();
    stringsLabel_.clear();
    bool fifths = false;
    if (which == QLatin1String("custom")) {
        const StringNotesParse parsed = ParseStringNotes(
            settings_.ReadString(kSectionSetting, kCustomStringsKey, QString()).toStdString());
        if (parsed.keys) {
            stringKeys_ = *parsed.keys;
            stringsLabel_ = tr("Custom strings");
        }
    } else if (const StringSet* set = StringSetNamed(which.toStdString())) {
        stringKeys_ = set->keys;
        stringsLabel_ = tr(set->label.data());
        fifths = set->fifths;
    }
    const bool pure = fifths && settings_.ReadInt(kSectionSetting, kPureFifthsKey, 0) == 1;
    int locked = settings_.ReadInt(kSectionSetting, kLockedStringKey, -1);
    if (locked >= static_cast<int>(stringKeys_.size())) {
        locked = -1;
    }
    stringTargets_ = StringTargetsHz(stringKeys_, engine_.keyTable.GetA4(), pure);
    follower_.SetStrings(stringKeys_, stringTargets_, locked);
    engine_.SetTunerStrings(stringTargets_, locked);
    if (pure) {
        stringsLabel_ += QStringLiteral(", ") + tr("pure fifths");
    }
}

void TunerFaceWidget::Start() {
    if (wake_ != nullptr || !engine_.StartTuner()) {
        return;
    }
    ApplyTuning();  // A4 may have changed while hidden
    wake_ = new QSocketNotifier(engine_.Tuner()->wake.fd(), QSocketNotifier::Read, this);
    connect(wake_, &QSocketNotifier::activated, this, &TunerFaceWidget::OnWake);
}

void TunerFaceWidget::Stop() {
    if (wake_ == nullptr) {
        return;
    }
    delete wake_;
    wake_ = nullptr;
    engine_.StopTuner();
}

void TunerFaceWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Start();
}

void TunerFaceWidget::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    Stop();
}

void TunerFaceWidget::OnWake() {
    const TunerAnalysis* tuner = engine_.Tuner();
    if (tuner == nullptr) {
        return;
    }
    tuner->wake.Drain();
    // A drone this view started and something else stopped (the Tool menu's Stop, a lost
    // output) no longer sets the tonic; looked at about once a second.
    bool retune = std::abs(tuning_.a4() - engine_.keyTable.GetA4()) > 1e-9;
    if (droneKey_ >= 0 && ++droneChecks_ % 50 == 0) {
        const bool sounding = engine_.Output().dronePlaying;
        if (droneHeard_ && !sounding) {
            droneKey_ = -1;
            retune = true;
        }
        droneHeard_ = sounding;
    }
    if (retune) {
        ApplyTuning();
    }
    Show(follower_.Follow(tuner->Latest(), tuning_, writtenSounds_));
}

void TunerFaceWidget::Show(const TunerFollower::Shown& shown) {
    face_.hasPitch = shown.hasPitch;
    face_.held = shown.held;
    face_.strobeBands = shown.strobeBands;
    face_.mark = writtenMark_;
    if (!playedMark_.isEmpty()) {
        face_.mark = face_.mark.isEmpty() ? playedMark_
                                          : playedMark_ + QStringLiteral(" \u00B7 ") + face_.mark;
    }
    if (shown.hasPitch && follower_.shownString() >= 0) {
        // "Guitar (standard) · string 6": strings are counted from the highest, as players do.
        const int number = static_cast<int>(stringKeys_.size()) - follower_.shownString();
        const QString string =
            stringsLabel_ + QStringLiteral(" \u00B7 ") + tr("string %1").arg(number);
        face_.mark =
            face_.mark.isEmpty() ? string : string + QStringLiteral(" \u00B7 ") + face_.mark;
    }
    QString spoken = tr("no pitch");
    shownKey_ = shown.hasPitch && !shown.held ? shown.reading.key + writtenSounds_ : -1;
    if (shown.hasPitch) {
        const int key = shown.reading.key;
        face_.note = QString::fromUtf8(kPitchNames[static_cast<std::size_t>((key + 9) % 12)]);
        face_.octave = QString::number((key + 9) / 12);
        face_.cents = shown.reading.cents;
        face_.hz = shown.reading.hz;
        const QString note = face_.note + face_.octave;
        const double tenths = std::round(std::abs(face_.cents) * 10.0) / 10.0;
        if (tenths == 0.0) {
            spoken = tr("%1, in tune").arg(note);
        } else {
            spoken = (face_.cents > 0 ? tr("%1, %2 cents sharp") : tr("%1, %2 cents flat"))
                         .arg(note, QString::number(tenths, 'f', 1));
        }
    }
    // A picture only when something shown changes: the number to a tenth, the frequency to a
    // hundredth, the needle to a pixel, the strobe's bands to a pixel.
    const int width = std::max(1, this->width());
    const QString drawn =
        QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8")
            .arg(face_.hasPitch)
            .arg(face_.held)
            .arg(face_.note + face_.octave + face_.mark)
            .arg(std::lround(face_.cents * 10.0))
            .arg(std::lround(face_.hz * 100.0))
            .arg(std::lround(face_.cents / 100.0 * width))
            .arg(face_.strobe ? std::lround(std::fmod(face_.strobeBands, 2.0) * width / 8.0) : 0)
            .arg(face_.inTuneCents);
    if (drawn != drawnKey_) {
        // While the note stays, only what is under it changes: the window system is handed that
        // part alone.
        const QString note = drawn.section(QLatin1Char('|'), 0, 2);
        const bool sameNote = note == drawnKey_.section(QLatin1Char('|'), 0, 2);
        drawnKey_ = drawn;
        const int below = std::max(4, height() / 40) + TunerNoteSize(size()) * 5 / 4;
        dirty_ =
            dirty_.united(sameNote ? QRect(0, below, this->width(), height() - below) : rect());
        // At most one picture every 40 ms (25 a second, smooth to the eye for a needle): a change
        // that comes sooner is drawn then, with whatever came after it.
        const qint64 since = sincePaint_.isValid() ? sincePaint_.elapsed() : kMinPaintMs;
        if (since >= kMinPaintMs) {
            update(dirty_);
            dirty_ = QRect();
            sincePaint_.start();
        } else if (!paintPending_) {
            paintPending_ = true;
            QTimer::singleShot(kMinPaintMs - since, this, [this] {
                paintPending_ = false;
                update(dirty_);
                dirty_ = QRect();
                sincePaint_.start();
            });
        }
    }
    if (spoken != spoken_) {
        spoken_ = spoken;
        // Said as the value and as the description (where a screen reader looks for it).
        QAccessibleValueChangeEvent value(this, spoken_);
        QAccessible::updateAccessibility(&value);
        QAccessibleEvent described(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&described);
    }
}

QString TunerFaceWidget::SpokenValue() const {
    return spoken_;
}

void TunerFaceWidget::SetStrobe(bool on) {
    face_.strobe = on;
    settings_.WriteInt(kSectionSetting, kModeKey, on ? 1 : 0);
    update();
}

void TunerFaceWidget::SetPlayedFileMark(const QString& mark) {
    playedMark_ = mark;  // shown with the next reading, at most 20 ms away while sound comes
}

void TunerFaceWidget::paintEvent(QPaintEvent* event) {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    // Only the part asked for is drawn and handed on (while the note stays, what lies under it).
    QRect part = event->rect();
    if (surface_.size() != pixels) {
        surface_ = QImage(pixels, QImage::Format_RGB32);
        part = rect();
    }
    const QRect pixelPart =
        QRectF(QPointF(part.topLeft()) * ratio, QSizeF(part.size()) * ratio).toAlignedRect();
    DrawTunerFace(face_, surface_, &cache_, pixelPart);
    ++paints_;
    QPainter painter(this);
    painter.drawImage(part, surface_, pixelPart);
}

void TunerFaceWidget::contextMenuEvent(QContextMenuEvent* event) {
    ShowMenu(event->globalPos());
}

void TunerFaceWidget::ShowMenu(const QPoint& globalPos) {
    QMenu menu(this);
    auto* modes = new QActionGroup(&menu);
    for (const bool strobe : {false, true}) {
        QAction* a = menu.addAction(strobe ? tr("Stro&be") : tr("&Needle"));
        a->setCheckable(true);
        a->setChecked(face_.strobe == strobe);
        a->setActionGroup(modes);
        connect(a, &QAction::triggered, this, [this, strobe] { SetStrobe(strobe); });
    }
    menu.addSeparator();
    QMenu* zone = menu.addMenu(tr("In Tune &Within"));
    for (const int tenths : {10, 20, 30, 50, 100}) {
        QAction* a = zone->addAction(tr("\u00B1%1 cents").arg(tenths / 10));
        a->setCheckable(true);
        a->setChecked(std::lround(face_.inTuneCents * 10) == tenths);
        connect(a, &QAction::triggered, this, [this, tenths] {
            face_.inTuneCents = tenths / 10.0;
            settings_.WriteInt(kSectionSetting, kInTuneKey, tenths);
            update();
        });
    }
    QMenu* temperaments = menu.addMenu(tr("&Temperament"));
    const QString current =
        settings_.ReadString(kSectionSetting, kTemperamentKey, QStringLiteral("equal"));
    for (std::string_view name : BuiltInTemperamentNames()) {
        const QString text = QString::fromUtf8(name.data(), static_cast<int>(name.size()));
        QAction* a = temperaments->addAction(text);
        a->setCheckable(true);
        a->setChecked(text == current);
        connect(a, &QAction::triggered, this, [this, text] {
            settings_.WriteString(kSectionSetting, kTemperamentKey, text);
            ApplyTuning();
        });
    }
    temperaments->addSeparator();
    const bool scala = current.endsWith(QLatin1String(".scl"));
    QAction* scalaFile = temperaments->addAction(
        scala ? tr("Scala File (%1)...").arg(QFileInfo(current).fileName()) : tr("Scala File..."));
    scalaFile->setCheckable(true);
    scalaFile->setChecked(scala);
    connect(scalaFile, &QAction::triggered, this, [this, current, scala] {
        const QString path =
            QFileDialog::getOpenFileName(this,
                                         tr("Scala Scale"),
                                         scala ? QFileInfo(current).absolutePath() : QString(),
                                         tr("Scala scales (*.scl)"));
        if (path.isEmpty()) {
            return;
        }
        QString error;
        if (!LoadScala(path, &error)) {
            QMessageBox::warning(
                this, tr("Tuner"), QStringLiteral("%1\n%2").arg(QFileInfo(path).fileName(), error));
            return;
        }
        settings_.WriteString(kSectionSetting, kTemperamentKey, path);
        ApplyTuning();
    });
    QMenu* tonics = menu.addMenu(tr("T&onic"));
    const int tonic = settings_.ReadInt(kSectionSetting, kTonicKey, 0);
    for (int pc = 0; pc < 12; ++pc) {
        QAction* a =
            tonics->addAction(QString::fromUtf8(kPitchNames[static_cast<std::size_t>(pc)]));
        a->setCheckable(true);
        a->setChecked(pc == tonic);
        connect(a, &QAction::triggered, this, [this, pc] {
            settings_.WriteInt(kSectionSetting, kTonicKey, pc);
            ApplyTuning();
        });
    }
    QAction* keepA = tonics->addAction(tr("Keep A4 at Its Frequency"));
    keepA->setCheckable(true);
    keepA->setChecked(settings_.ReadInt(kSectionSetting, kKeepAKey, 0) == 1);
    tonics->insertSeparator(keepA);
    connect(keepA, &QAction::toggled, this, [this](bool on) {
        settings_.WriteInt(kSectionSetting, kKeepAKey, on ? 1 : 0);
        ApplyTuning();
    });
    AddStringsMenu(menu);
    AddReferenceToneMenu(menu);
    AddDroneMenu(menu);
    QMenu* instruments = menu.addMenu(tr("Transposing &Instrument"));
    const QString instrument =
        settings_.ReadString(kSectionSetting, kInstrumentKey, QStringLiteral("C"));
    for (const TransposingInstrument& i : TransposingInstruments()) {
        const QString name = QString::fromUtf8(i.name.data(), static_cast<int>(i.name.size()));
        QAction* a = instruments->addAction(
            QString::fromUtf8(i.label.data(), static_cast<int>(i.label.size())));
        a->setCheckable(true);
        a->setChecked(name == instrument);
        connect(a, &QAction::triggered, this, [this, name] {
            settings_.WriteString(kSectionSetting, kInstrumentKey, name);
            ApplyTuning();
        });
    }
    menu.exec(globalPos);
}

void TunerFaceWidget::AddStringsMenu(QMenu& menu) {
    QMenu* strings = menu.addMenu(tr("&Strings"));
    const QString current = settings_.ReadString(kSectionSetting, kStringsKey, QString());
    const auto choose = [this](const QString& which) {
        settings_.WriteString(kSectionSetting, kStringsKey, which);
        settings_.WriteInt(kSectionSetting, kLockedStringKey, -1);
        ApplyTuning();
    };
    QAction* none = strings->addAction(tr("None: the Nearest Key"));
    none->setCheckable(true);
    none->setChecked(current.isEmpty());
    connect(none, &QAction::triggered, this, [choose] { choose(QString()); });
    strings->addSeparator();
    bool fifthsOffered = false;
    for (const StringSet& set : StringSets()) {
        const QString name = QString::fromUtf8(set.name.data(), static_cast<int>(set.name.size()));
        QString notes;
        for (int key : set.keys) {
            notes += (notes.isEmpty() ? QString() : QStringLiteral(" ")) + NoteName(key);
        }
        QAction* a = strings->addAction(tr(set.label.data()) + QStringLiteral("\t") + notes);
        a->setCheckable(true);
        a->setChecked(name == current);
        fifthsOffered = fifthsOffered || (name == current && set.fifths);
        connect(a, &QAction::triggered, this, [choose, name] { choose(name); });
    }
    QAction* custom = strings->addAction(tr("Custom Strings..."));
    custom->setCheckable(true);
    custom->setChecked(current == QLatin1String("custom"));
    connect(custom, &QAction::triggered, this, [this, choose] {
        QString text = settings_.ReadString(
            kSectionSetting, kCustomStringsKey, QStringLiteral("D2 A2 D3 G3 B3 E4"));
        for (;;) {
            bool ok = false;
            text = QInputDialog::getText(this,
                                         tr("Custom Strings"),
                                         tr("The open strings as notes, low string first:"),
                                         QLineEdit::Normal,
                                         text,
                                         &ok);
            if (!ok) {
                return;
            }
            const StringNotesParse parsed = ParseStringNotes(text.toStdString());
            if (parsed.keys) {
                break;
            }
            QMessageBox::warning(this, tr("Custom Strings"), QString::fromStdString(parsed.error));
        }
        settings_.WriteString(kSectionSetting, kCustomStringsKey, text);
        choose(QStringLiteral("custom"));
    });
    strings->addSeparator();
    QAction* fifths = strings->addAction(tr("Pure Fifths"));
    fifths->setCheckable(true);
    fifths->setEnabled(fifthsOffered);
    fifths->setChecked(settings_.ReadInt(kSectionSetting, kPureFifthsKey, 0) == 1);
    connect(fifths, &QAction::toggled, this, [this](bool on) {
        settings_.WriteInt(kSectionSetting, kPureFifthsKey, on ? 1 : 0);
        ApplyTuning();
    });
    QMenu* lock = strings->addMenu(tr("&Lock to String"));
    lock->setEnabled(!stringKeys_.empty());
    lock->addAction(nextStringKey_);
    lock->addAction(previousStringKey_);
    lock->addSeparator();
    const int locked = settings_.ReadInt(kSectionSetting, kLockedStringKey, -1);
    for (int s = -1; s < static_cast<int>(stringKeys_.size()); ++s) {
        const QString text = s < 0 ? tr("The Nearest String")
                                   : tr("String %1 (%2)")
                                         .arg(static_cast<int>(stringKeys_.size()) - s)
                                         .arg(NoteName(stringKeys_[static_cast<std::size_t>(s)]));
        QAction* a = lock->addAction(text);
        a->setCheckable(true);
        a->setChecked(s == locked);
        connect(a, &QAction::triggered, this, [this, s] {
            settings_.WriteInt(kSectionSetting, kLockedStringKey, s);
            ApplyTuning();
        });
    }
}

void TunerFaceWidget::AddReferenceToneMenu(QMenu& menu) {
    // The target pitches of the tuning (or the strings) to tune by ear against: each string's,
    // or the twelve keys from C4.
    QMenu* tones = menu.addMenu(tr("&Reference Tone"));
    tones->addAction(toneKey_);
    tones->addSeparator();
    std::vector<std::pair<int, double>> targets;
    if (!stringKeys_.empty()) {
        for (std::size_t i = 0; i < stringKeys_.size(); ++i) {
            targets.emplace_back(stringKeys_[i], stringTargets_[i]);
        }
    } else {
        for (int key = 39; key < 51; ++key) {  // C4 to B4
            targets.emplace_back(key, tuning_.TargetHz(key));
        }
    }
    for (const auto& [key, hz] : targets) {
        QAction* a = tones->addAction(
            QStringLiteral("%1\t%2 Hz").arg(NoteName(key), QString::number(hz, 'f', 2)));
        connect(a, &QAction::triggered, this, [this, key = key, hz = hz] {
            engine_.StartTone(key, hz);
        });
    }
    tones->addSeparator();
    connect(
        tones->addAction(tr("Stop")), &QAction::triggered, this, [this] { engine_.StopOutput(); });
}

void TunerFaceWidget::AddDroneMenu(QMenu& menu) {
    QMenu* drones = menu.addMenu(tr("&Drone"));
    drones->addAction(droneOnKey_);
    drones->addSeparator();
    for (int key = kFirstDroneKey; key < kFirstDroneKey + 12; ++key) {
        QAction* a =
            drones->addAction(QStringLiteral("%1 + %2").arg(NoteName(key), NoteName(key + 7)));
        a->setCheckable(true);
        a->setChecked(key == droneKey_);
        connect(a, &QAction::triggered, this, [this, key] { StartDroneOn(key); });
    }
    drones->addSeparator();
    connect(drones->addAction(tr("Stop Drone")),
            &QAction::triggered,
            this,
            &TunerFaceWidget::StopDroneHere);
}

TunerDock::TunerDock(LiveEngine& engine, SettingsStore& settings, QWidget* parent)
    : QDockWidget(tr("Tuner"), parent), face_(new TunerFaceWidget(engine, settings, this)) {
    setObjectName(QStringLiteral("tunerDock"));
    setWidget(face_);
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
}

void TunerDock::closeEvent(QCloseEvent* event) {
    QDockWidget::closeEvent(event);
    emit closedByUser();
}

}  // namespace tonavise::ui
