#include "ui/SignalGeneratorDialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <limits>

#include "engine/core/Notifier.h"
#include "ui/DialogControls.h"
#include "ui/DialogUnits.h"
#include "ui/StepButtons.h"

namespace tonavise::ui {

namespace {

// The spins sit this many pixels right of their buddies and are this wide.
constexpr int kSpinGap = 4;
constexpr int kSpinWidth = 10;

struct Place {
    int x, y, w, h;
};

// Per channel (left, right): the frame, the two labels, the two edits, the wave form frame and
// its four buttons, in the template's order.
struct ChannelPlaces {
    Place frame, freqLabel, freqEdit, ampLabel, ampEdit, waveFrame;
    Place waves[4];
    int freqEditId, ampEditId;
    int waveIds[4];
    int freqSpinId, ampSpinId;
};

constexpr ChannelPlaces kChannels[2] = {
    {{8, 7, 145, 122},
     {15, 19, 76, 8},
     {98, 18, 35, 12},
     {15, 32, 71, 9},
     {98, 31, 35, 12},
     {15, 46, 128, 70},
     {{32, 57, 63, 9}, {32, 71, 69, 8}, {32, 84, 70, 8}, {32, 97, 68, 8}},
     IDC_FREQ_LEFT,
     IDC_AMP_LEFT,
     {IDC_SINE_LEFT, IDC_SQUARE_LEFT, IDC_TRIANGLE_LEFT, IDC_SAW_LEFT},
     IDC_SPIN_FREQ_LEFT,
     IDC_SPIN_AMP_LEFT},
    {{162, 7, 145, 122},
     {171, 19, 78, 8},
     {254, 17, 35, 12},
     {171, 32, 76, 9},
     {254, 31, 35, 12},
     {170, 46, 128, 70},
     {{185, 57, 67, 9}, {185, 71, 76, 8}, {185, 84, 83, 8}, {185, 97, 87, 8}},
     IDC_FREQ_RIGHT,
     IDC_AMP_RIGHT,
     {IDC_SINE_RIGHT, IDC_SQUARE_RIGHT, IDC_TRIANGLE_RIGHT, IDC_SAW_RIGHT},
     IDC_SPIN_FREQ_RIGHT,
     IDC_SPIN_AMP_RIGHT},
};

QRect RectOf(const DialogUnits& du, const Place& p) {
    return du.Rect(p.x, p.y, p.w, p.h);
}

bool IsEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

int32_t ToInt32(qlonglong value) {
    return static_cast<int32_t>(std::clamp<qlonglong>(
        value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

int32_t LeadingInteger(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace()) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    qlonglong value = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        // Past the int32 range the value only has to stay out of every range we check.
        value = std::min<qlonglong>(value * 10 + (text[i].unicode() - '0'), 1LL << 40);
    }
    return ToInt32(negative ? -value : value);
}

std::optional<int32_t> WholeInteger(const QString& text) {
    const QString trimmed = text.trimmed();
    bool ok = false;
    const qlonglong value = trimmed.toLongLong(&ok, 10);
    if (!ok || value < std::numeric_limits<int32_t>::min() ||
        value > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(value);
}

SignalGeneratorDialog::SignalGeneratorDialog(AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("signalGeneratorDialog"));
    setWindowTitle(tr("Signal Generator"));
    CreateControls();
    FillControls();
}

SignalGeneratorDialog::~SignalGeneratorDialog() {
    // Unlinks this dialog and ends the generator's thread before the dialog goes; a live update
    // it queued and that did not run yet goes with the dialog.
    context_.engine.CloseGenerator();
}

void SignalGeneratorDialog::CreateControls() {
    const DialogUnits du(font());
    setFixedSize(du.Size(314, 163));

    // In the template's order, which is also the order of the Tab key.
    std::vector<QWidget*> order;
    for (int channel = 0; channel < 2; ++channel) {
        const ChannelPlaces& c = kChannels[channel];
        auto* frame = new QGroupBox(channel == 0 ? tr("Left Channel") : tr("Right Channel"), this);
        frame->setGeometry(RectOf(du, c.frame));
        PlaceLabel(this, tr("Frequency(1-20000Hz)"), RectOf(du, c.freqLabel), Qt::AlignLeft);
        auto edit = [&](int id, const Place& p) {
            auto* e = new QLineEdit(this);
            e->setObjectName(ControlName(id));
            e->setGeometry(RectOf(du, p));
            order.push_back(e);
            return e;
        };
        edits_[2 * channel] = edit(c.freqEditId, c.freqEdit);
        PlaceLabel(this, tr("Amplitude(0-100%)"), RectOf(du, c.ampLabel), Qt::AlignLeft);
        edits_[2 * channel + 1] = edit(c.ampEditId, c.ampEdit);

        auto* waveFrame = new QGroupBox(tr("Wave Form"), this);
        waveFrame->setGeometry(RectOf(du, c.waveFrame));
        const QString names[4] = {tr("Sine"), tr("Square"), tr("Triangle"), tr("Saw")};
        auto* group = new QButtonGroup(this);
        for (int form = 0; form < 4; ++form) {
            auto* button = new TemplateRadioButton(names[form], this);
            button->setObjectName(ControlName(c.waveIds[form]));
            PlaceIndicatorButton(button, RectOf(du, c.waves[form]));
            group->addButton(button, form);
            waveButtons_[4 * channel + form] = button;
            order.push_back(button);
        }
        (channel == 0 ? leftGroup_ : rightGroup_) = group;
    }

    auto button = [&](const QString& text, int id, QRect r) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(ControlName(id));
        b->setGeometry(r);
        b->setAutoDefault(false);
        order.push_back(b);
        return b;
    };
    startButton_ = button(tr("&Start"), IDC_SIGNAL_START, du.Rect(84, 136, 45, 20));
    stopButton_ = button(tr("St&op"), IDC_SIGNAL_STOP, du.Rect(134, 136, 45, 20));
    exitButton_ = button(tr("E&xit"), 1, du.Rect(184, 136, 45, 20));
    exitButton_->setDefault(true);
    connect(startButton_, &QPushButton::clicked, this, &SignalGeneratorDialog::OnStart);
    connect(stopButton_, &QPushButton::clicked, this, &SignalGeneratorDialog::OnStop);
    connect(exitButton_, &QPushButton::clicked, this, &SignalGeneratorDialog::OnExit);

    for (size_t i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }

    // The spins, made at run time right of their edits. They take no focus: the arrow keys in
    // an edit step its spin.
    const int spinIds[4] = {kChannels[0].freqSpinId,
                            kChannels[0].ampSpinId,
                            kChannels[1].freqSpinId,
                            kChannels[1].ampSpinId};
    for (int i = 0; i < 4; ++i) {
        QLineEdit* buddy = edits_[i];
        const QRect edit = buddy->geometry();
        auto* spin = new StepButtons(this);
        spin->setObjectName(ControlName(spinIds[i]));
        spin->setGeometry(edit.right() + 1 + kSpinGap, edit.top(), kSpinWidth, edit.height());
        spin->SetBuddy(buddy);
        connect(spin, &StepButtons::scrolled, buddy, [buddy](int position) {
            buddy->setText(QString::asprintf("%d", position));
        });
        // A spin steps from the number typed into its edit, not from its last step: what the
        // user sees is where the next step starts.
        connect(buddy, &QLineEdit::textEdited, spin, [spin](const QString& text) {
            if (const std::optional<int32_t> value = WholeInteger(text)) {
                if (*value >= spin->minimum() && *value <= spin->maximum()) {
                    spin->SetPos(*value);
                }
            }
        });
        spins_[i] = spin;
    }

    // Every control's key releases and button presses pass the wave form capture first.
    for (QWidget* child : findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
}

void SignalGeneratorDialog::FillControls() {
    context_.engine.OpenGenerator(this);

    const SignalSettings& s = context_.signalSettings;
    ampLeft_ = s.ampLeft;
    freqLeft_ = s.freqLeft;
    waveLeft_ = s.waveLeft;
    ampRight_ = s.ampRight;
    freqRight_ = s.freqRight;
    waveRight_ = s.waveRight;
    UpdateData(false);

    const int32_t positions[4] = {freqLeft_, ampLeft_, freqRight_, ampRight_};
    for (int i = 0; i < 4; ++i) {
        const bool frequency = i % 2 == 0;
        spins_[i]->SetRange(frequency ? kMinSignalFrequency : kMinSignalAmplitude,
                            frequency ? kMaxSignalFrequency : kMaxSignalAmplitude);
        spins_[i]->SetPos(positions[i]);
        edits_[i]->setText(QString::asprintf("%d", spins_[i]->Pos()));
    }
    TabStopOnCheckedButton(leftGroup_);
    TabStopOnCheckedButton(rightGroup_);
}

bool SignalGeneratorDialog::ExchangeInt(QLineEdit* edit, int32_t& field, int minimum, int maximum) {
    QString message;
    const std::optional<int32_t> value = WholeInteger(edit->text());
    if (!value) {
        message = tr("Please enter an integer.");
    } else if (*value < minimum || *value > maximum) {
        message = tr("Please enter an integer between %1 and %2.").arg(minimum).arg(maximum);
    } else {
        field = *value;
        return true;
    }
    // A refused value never reaches the field, so the sound and the remembered values keep
    // the last good one.
    edit->setFocus();
    edit->selectAll();
    context_.notifier.ShowMessage(kAppTitle, message.toStdString(), MessageIcon::Exclamation);
    return false;
}

bool SignalGeneratorDialog::UpdateData(bool saveAndValidate) {
    if (!saveAndValidate) {
        auto check = [](QButtonGroup* group, int32_t form) {
            if (QAbstractButton* button = group->button(form)) {
                button->setChecked(true);
            }
        };
        check(leftGroup_, waveLeft_);
        check(rightGroup_, waveRight_);
        return true;
    }
    if (!ExchangeInt(edits_[1], ampLeft_, kMinSignalAmplitude, kMaxSignalAmplitude) ||
        !ExchangeInt(edits_[0], freqLeft_, kMinSignalFrequency, kMaxSignalFrequency)) {
        return false;
    }
    waveLeft_ = leftGroup_->checkedId();
    waveRight_ = rightGroup_->checkedId();
    return ExchangeInt(edits_[3], ampRight_, kMinSignalAmplitude, kMaxSignalAmplitude) &&
           ExchangeInt(edits_[2], freqRight_, kMinSignalFrequency, kMaxSignalFrequency);
}

void SignalGeneratorDialog::GenerateLeft() {
    signal().GenerateChannel(freqLeft_, ampLeft_, waveLeft_, 0);
}

void SignalGeneratorDialog::GenerateRight() {
    signal().GenerateChannel(freqRight_, ampRight_, waveRight_, 1);
}

void SignalGeneratorDialog::StopSignal() {
    context_.engine.StopSignal();
}

void SignalGeneratorDialog::OnStart() {
    if (!UpdateData(true)) {
        return;
    }
    if (context_.engine.GeneratorOpen()) {
        GenerateLeft();
        GenerateRight();
        context_.engine.StartSignal();
    }
}

void SignalGeneratorDialog::OnStop() {
    StopSignal();
}

void SignalGeneratorDialog::OnExit() {
    context_.signalSettings =
        SignalSettings{ampLeft_, freqLeft_, waveLeft_, ampRight_, freqRight_, waveRight_};
    StopSignal();
    hide();
}

void SignalGeneratorDialog::reject() {
    StopSignal();
    QDialog::reject();
}

void SignalGeneratorDialog::OnLiveUpdate() {
    struct Edit {
        int index;
        int32_t* field;
        int minimum, maximum;
        int channel;
    };
    const Edit edits[4] = {
        {0, &freqLeft_, kMinSignalFrequency, kMaxSignalFrequency, 0},
        {1, &ampLeft_, kMinSignalAmplitude, kMaxSignalAmplitude, 0},
        {2, &freqRight_, kMinSignalFrequency, kMaxSignalFrequency, 1},
        {3, &ampRight_, kMinSignalAmplitude, kMaxSignalAmplitude, 1},
    };
    for (const Edit& e : edits) {
        const int32_t value = LeadingInteger(edits_[e.index]->text());
        if (value >= e.minimum && value <= e.maximum) {
            *e.field = value;
            if (e.channel == 0) {
                GenerateLeft();
            } else {
                GenerateRight();
            }
        }
    }
    ++liveUpdateCount_;
}

void SignalGeneratorDialog::OnSignalBufferDone() {
    // The edits are read on the user-interface thread, later; a channel rewritten then is heard
    // from the point the device has reached, and the generator goes on meanwhile.
    QMetaObject::invokeMethod(
        this, [this] { OnLiveUpdate(); }, Qt::QueuedConnection);
}

void SignalGeneratorDialog::CaptureWaveForm(QObject* watched) {
    for (int i = 0; i < 8; ++i) {
        if (watched == waveButtons_[i]) {
            (i < 4 ? waveLeft_ : waveRight_) = i % 4;
            break;
        }
    }
    GenerateLeft();
    GenerateRight();
}

bool SignalGeneratorDialog::eventFilter(QObject* watched, QEvent* event) {
    // Seen before the control gets them. Only the dialog's controls are watched, not the
    // dialog itself, so an event that a control passes on to the dialog counts once.
    switch (event->type()) {
        case QEvent::KeyPress:
            // Enter neither presses the default button (Exit) nor anything else here.
            if (IsEnter(static_cast<QKeyEvent*>(event))) {
                return true;
            }
            break;
        case QEvent::KeyRelease:
            CaptureWaveForm(watched);
            break;
        case QEvent::MouseButtonPress:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                CaptureWaveForm(watched);
            }
            break;
        default:
            break;
    }
    return QDialog::eventFilter(watched, event);
}

void SignalGeneratorDialog::keyPressEvent(QKeyEvent* event) {
    if (IsEnter(event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace tonavise::ui
