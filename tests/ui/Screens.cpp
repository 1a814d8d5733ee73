// Screenshots of the program's windows on a real display, for looking at the layouts and the
// translations: the main window, each menu of the menu bar opened, and the dialogs (among them the
// player's open dialog and the recorder's save dialog, showing a folder of a few sound files), the
// Player bar, the file's overview with the loop window, and the Recorder bar while it records.
//
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/tests/ui/ui_screens OUTDIR [en|zh|ja]
//
// The program runs as it does for a user (the application object chooses the translation from
// the locale), with virtual sound devices and a settings file of its own.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QThread>
#include <QToolBar>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

#include "UiTestSupport.h"
#include "engine/audiofile/WavWriter.h"
#include "engine/device/VirtualSound.h"
#include "engine/live/ToneThread.h"
#include "ui/AboutDialog.h"
#include "ui/CommandIds.h"
#include "ui/FileDialogs.h"
#include "ui/LoopDialog.h"
#include "ui/MainWindow.h"
#include "ui/MetronomeDialog.h"
#include "ui/OverviewStrip.h"
#include "ui/PitchMarkingDialog.h"
#include "ui/PlayerBar.h"
#include "ui/PlayerPractice.h"
#include "ui/ScopeView.h"
#include "ui/SettingsDialog.h"
#include "ui/SignalGeneratorDialog.h"
#include "ui/TonaviseApp.h"

namespace {

void Settle(int ms = 300) {
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

void Shot(const QDir& out, const QString& name, const QRect& area = QRect()) {
    Settle();
    QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
    if (!area.isEmpty()) {
        // The grab is in device pixels: twice the window's at a scale of 2.
        const qreal scale = screen.devicePixelRatio();
        const QRect r = area.adjusted(-8, -8, 8, 8);
        screen = screen.copy(
            QRectF(QPointF(r.topLeft()) * scale, QSizeF(r.size()) * scale).toAlignedRect());
    }
    const QString path = out.filePath(name + QStringLiteral(".png"));
    screen.save(path);
    std::printf("%s\n", qPrintable(path));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: ui_screens OUTDIR [en|zh|ja]\n");
        return 2;
    }
    QDir out(QString::fromLocal8Bit(argv[1]));
    out.mkpath(QStringLiteral("."));
    const QString lang = argc > 2 ? QString::fromLatin1(argv[2]) : QStringLiteral("en");
    const QLocale locale(lang == QLatin1String("zh")   ? QLocale(QLocale::Chinese, QLocale::China)
                         : lang == QLatin1String("ja") ? QLocale(QLocale::Japanese, QLocale::Japan)
                                                       : QLocale(QLocale::English));
    QTemporaryDir dir;
    tonavise::VirtualSoundSystem sound;
    // A desktop's devices, for the Set Parameters dialog's lists.
    sound.SetDevices(tonavise::DeviceDirection::Input,
                     {{"alsa_input.usb-mic", "USB Microphone Analog Stereo", false},
                      {"alsa_output.pci.analog-stereo.monitor",
                       "Monitor of Built-in Audio Analog Stereo",
                       true}});
    sound.SetDevices(tonavise::DeviceDirection::Output,
                     {{"alsa_output.pci.analog-stereo", "Built-in Audio Analog Stereo", true}});
    tonavise::ui::test::RecordingOpener opener;
    tonavise::ui::AppEnvironment env;
    env.settingsFile = dir.filePath(QStringLiteral("settings.ini"));
    env.opener = &opener;
    env.locale = locale;
    env.instanceFolder = dir.path();
    env.devices = &sound;
    // The translations are made beside the program in the build folder.
    env.programFolder =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../../src/app"));
    tonavise::ui::TonaviseApp app(env);
    if (!app.InitInstance()) {
        return 1;
    }
    tonavise::ui::MainWindow* frame = app.mainFrame();
    Shot(out, lang + QStringLiteral("-main"));

    int index = 0;
    for (QAction* top : frame->menuBar()->actions()) {
        QMenu* menu = top->menu();
        if (menu == nullptr) {
            continue;
        }
        const QRect r = frame->menuBar()->actionGeometry(top);
        menu->popup(frame->menuBar()->mapToGlobal(r.bottomLeft()));
        Settle();
        // The Function menu's submenus open as well, one after the other.
        Shot(out, QStringLiteral("%1-menu%2").arg(lang).arg(index++));
        menu->hide();
    }

    {
        tonavise::ui::SettingsDialog dialog(app.context(), frame);
        dialog.show();
        Shot(out, lang + QStringLiteral("-set-parameters"), dialog.frameGeometry());
    }
    {
        tonavise::ui::AboutDialog about(opener, frame);
        about.show();
        Shot(out, lang + QStringLiteral("-about"), about.frameGeometry());
    }
    {
        QTemporaryDir music;
        for (const char* name : {"a4-violin.wav", "scale.mp3", "etude.mp3", "take-1.wav"}) {
            QFile f(music.filePath(QLatin1String(name)));
            f.open(QIODevice::WriteOnly);
        }
        const auto open = tonavise::ui::MakeOpenFileDialog(frame);
        open->setDirectory(music.path());
        open->show();
        Shot(out, lang + QStringLiteral("-open-file"), open->frameGeometry());
        // The list of file types, opened.
        if (auto* types = open->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
            types->showPopup();
            Settle();
            const QRect popup = types->view()->window()->frameGeometry();
            Shot(out,
                 lang + QStringLiteral("-open-file-types"),
                 open->frameGeometry().united(popup));
            types->hidePopup();
        }
        open->hide();
        const auto save = tonavise::ui::MakeSaveRecordingDialog();
        save->setDirectory(music.path());
        save->show();
        Shot(out, lang + QStringLiteral("-save-recording"), save->frameGeometry());
    }
    {
        // Opened as the command opens it, then with the guitar's marks; cancelled, so the
        // program's marks stay as they were.
        tonavise::ui::PitchMarkingDialog marking(app.context().keyTable, frame);
        marking.show();
        Shot(out, lang + QStringLiteral("-pitch-marking"), marking.frameGeometry());
        marking.OnGuitar();
        Shot(out, lang + QStringLiteral("-pitch-marking-guitar"), marking.frameGeometry());
        marking.reject();
    }
    {
        // The metronome as its command opens it (the program's first tempo and meter), and the
        // signal generator as its command shows it.
        tonavise::ui::ScopeView& view = frame->view();
        tonavise::ui::MetronomeDialog metronome(app.context().controls, &view.engine(), frame);
        // The beat lights as on the first beat of a bar of four.
        metronome.SetBeatSource([] { return tonavise::HeardBeat{0, 4}; });
        metronome.show();
        Shot(out, lang + QStringLiteral("-metronome"), metronome.frameGeometry());
        metronome.reject();
        frame->ExecuteCommand(tonavise::ui::ID_SIGNAL_GENERATOR);
        if (tonavise::ui::SignalGeneratorDialog* signal = view.signalDialog()) {
            Shot(out, lang + QStringLiteral("-signal-generator"), signal->frameGeometry());
            signal->reject();
        }
    }
    {
        // The practice player: a file loaded, a loop from 0:03.0 to 0:07.0, slowed to 75 % and
        // transposed down a whole tone, the thumb inside the loop.
        QTemporaryDir music;
        const QString path = music.filePath(QStringLiteral("etude.wav"));
        std::vector<uint8_t> silence(44100 * 2 * 10, 0);
        tonavise::WriteWavFile(path.toStdString(), tonavise::PcmFormat(1), silence);
        frame->view().OpenFile(path);
        QSlider* slider = frame->positionSlider();
        for (int i = 0; i < 100 && slider->maximum() != 44100 * 2 * 10; ++i) {
            Settle(20);
        }
        tonavise::ui::PlayerBar* bar = frame->playerBar();
        bar->speedBox()->setValue(75);
        bar->transposeBox()->setValue(-2);
        slider->setValue(44100 * 2 * 3);
        frame->ExecuteCommand(tonavise::ui::ID_PLAYER_LOOP_A);
        slider->setValue(44100 * 2 * 7);
        frame->ExecuteCommand(tonavise::ui::ID_PLAYER_LOOP_B);
        slider->setValue(44100 * 2 * 42 / 10);
        // The bar up to its last box (it stretches across the window), once laid out anew.
        Settle();
        const int right = bar->transposeBox()->geometry().right() + 4;
        const QRect area(bar->mapToGlobal(QPoint(0, 0)), QSize(right, bar->height()));
        Shot(out, lang + QStringLiteral("-player"), area);
        bar->speedBox()->setValue(100);
        bar->transposeBox()->setValue(0);
    }
    {
        // The file's overview and the loop window: a piece of decaying notes, a loop from
        // 0:04.50 to 0:09.25 and two saved loops.
        QTemporaryDir music;
        const QString path = music.filePath(QStringLiteral("etude.wav"));
        constexpr int kRate = 44100;
        constexpr int kSeconds = 16;
        std::vector<int16_t> samples(static_cast<std::size_t>(kRate) * kSeconds);
        const double notes[] = {262, 330, 392, 523, 440, 349, 294, 247};
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const double t = static_cast<double>(i) / kRate;
            const int note = static_cast<int>(t / 0.5);
            const double since = t - note * 0.5;
            const double level = (note % 4 == 0 ? 0.9 : 0.55) * std::exp(-since * 5.0);
            samples[i] = static_cast<int16_t>(
                20000.0 * level * std::sin(2.0 * std::numbers::pi * notes[note % 8] * t) +
                1200.0 * std::sin(2.0 * std::numbers::pi * 55.0 * t));
        }
        std::vector<uint8_t> bytes(samples.size() * 2);
        std::memcpy(bytes.data(), samples.data(), bytes.size());
        tonavise::WriteWavFile(path.toStdString(), tonavise::PcmFormat(1), bytes);
        frame->view().OpenFile(path);
        QSlider* slider = frame->positionSlider();
        for (int i = 0; i < 100 && slider->maximum() != kRate * 2 * kSeconds; ++i) {
            Settle(20);
        }
        frame->ExecuteCommand(tonavise::ui::ID_PLAYER_LOOP_EDIT);
        tonavise::ui::LoopDialog* loops = frame->practice()->loopDialog();
        const auto type = [&](const char* name, const QString& text) {
            auto* edit = loops->findChild<QLineEdit*>(QLatin1String(name));
            edit->setText(text);
            emit edit->returnPressed();
        };
        type("loopA", QStringLiteral("0:01.00"));
        type("loopB", QStringLiteral("0:03.00"));
        type("loopName", QStringLiteral("Opening"));
        type("loopA", QStringLiteral("0:12.00"));
        type("loopB", QStringLiteral("0:14.50"));
        type("loopName", QStringLiteral("Ending"));
        type("loopA", QStringLiteral("0:04.50"));
        type("loopB", QStringLiteral("0:09.25"));
        slider->setValue(kRate * 2 * 6);
        const QRect frameWas = frame->geometry();
        frame->setGeometry(frameWas.left(), frameWas.top(), 1100, 620);
        loops->move(frame->geometry().left() + 560, frame->geometry().top() + 150);
        Settle();
        Shot(out,
             lang + QStringLiteral("-player-overview"),
             QRect(frame->mapToGlobal(QPoint(0, 0)), QSize(1100, 620)));
        loops->close();
        frame->setGeometry(frameWas);
    }
    {
        // The recorder while it records: the time so far and the input's peak (a tone at
        // -8 dBFS into the virtual microphone).
        sound.SetInputSignal([](int64_t at, int) {
            return 13000.0 *
                   std::sin(2.0 * std::numbers::pi * 330.0 * static_cast<double>(at) / 44100.0);
        });
        sound.StartClock();
        frame->ExecuteCommand(tonavise::ui::ID_RECORDER_RECORD);
        Settle(2300);
        QToolBar* bar = frame->recorderBar();
        Shot(out,
             lang + QStringLiteral("-recorder"),
             QRect(bar->mapToGlobal(QPoint(0, 0)),
                   QSize(std::min(bar->width(), 520), bar->height())));
        frame->ExecuteCommand(tonavise::ui::ID_RECORDER_STOP);
        Settle();
        sound.StopClock();
    }
    app.ExitInstance();
    return 0;
}
