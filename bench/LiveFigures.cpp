// Figures of the running program with live capture (scripts/live-figures.sh runs it on Xvfb with
// the private sound server, while another process plays A4 into the server):
//   - start-up: from the start of the process to the window (threads started) and to the first
//     drawn spectrum;
//   - the share of one core the whole process uses in each mode over a stretch of seconds
//     (every thread: interface, capture, analysis, the idle worker threads), and each named
//     thread's part of it (the interface thread under the program's name);
//   - pictures drawn per second, and the peak memory of the process.
//
//   tonavise_live_figures [SECONDS per mode, default 30; 0: the start-up figures only] [MODE]
//   (MODE: only the modes whose name contains it, e.g. "3-D", for a profile of one mode)
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <string>

#include "engine/live/LiveEngine.h"
#include "engine/live/TunerAnalysis.h"
#include "ui/CommandIds.h"
#include "ui/MainWindow.h"
#include "ui/ScopeView.h"
#include "ui/TonaviseApp.h"
#include "ui/TunerView.h"
#include "ui/WebPageOpener.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace tonavise;
using namespace tonavise::ui;

class NoBrowser final : public WebPageOpener {
  public:
    bool Open(const QUrl&) override { return true; }
};

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// CPU seconds of the process's threads by name, from the kernel's accounts (in ticks of 10 ms:
// enough over seconds).
std::map<std::string, double> ThreadCpuSeconds() {
    std::map<std::string, double> seconds;
    const double tick = 1.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + QStringLiteral("/comm")));
        QFile stat(tasks.filePath(task + QStringLiteral("/stat")));
        if (!comm.open(QIODevice::ReadOnly) || !stat.open(QIODevice::ReadOnly)) {
            continue;  // the thread ended meanwhile
        }
        const QByteArray line = stat.readAll();
        // After the name in parentheses: state, then 10 fields, then utime and stime.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() < 13) {
            continue;
        }
        seconds[comm.readAll().trimmed().toStdString()] +=
            static_cast<double>(fields[11].toLongLong() + fields[12].toLongLong()) * tick;
    }
    return seconds;
}

long PeakKilobytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').front().toLong();
        }
    }
    return -1;
}

// The program's own event loop for a while: idle waits block as they do in the program.
void RunEvents(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

bool WaitFor(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const auto processStart = Clock::now();
    QStandardPaths::setTestModeEnabled(true);
    QApplication qapp(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 30.0;
    const std::string only = argc > 2 ? argv[2] : "";

    QTemporaryDir work;
    NoBrowser browser;
    TonaviseApp app(AppEnvironment{work.filePath(QStringLiteral("settings.ini")),
                                   &browser,
                                   {},
                                   QLocale(QLocale::English),
                                   QStringLiteral("live-figures"),
                                   work.path(),
                                   work.path(),
                                   nullptr,
                                   nullptr});
    if (!app.InitInstance()) {
        std::fprintf(stderr, "the program did not start\n");
        return 1;
    }
    const double shown = std::chrono::duration<double>(Clock::now() - processStart).count();
    MainWindow* frame = app.mainFrame();
    ScopeView& view = frame->view();
    const SpectrumExchange& spectrum = app.context().captureStore.spectrum;
    if (!WaitFor([&] { return spectrum.latest().sequence > 0 && view.redrawCount() > 1; }, 15000)) {
        std::fprintf(stderr, "no spectrum was drawn within 15 s (is a sound server running?)\n");
        return 1;
    }
    const double startup = std::chrono::duration<double>(Clock::now() - processStart).count();
    std::printf("start-up to the window shown with its threads started: %.2f s\n", shown);
    std::printf("start-up to the first drawn spectrum: %.2f s\n", startup);
    if (seconds <= 0) {  // start-up only
        frame->close();
        app.ExitInstance();
        return 0;
    }
    std::printf("share of one core over %.0f s per mode, live capture of A4:\n", seconds);

    struct Mode {
        const char* name;
        int command;
        bool threeD;
        bool precise;        // the precise estimate on (and the tone window shown)
        bool track;          // the pitch track window shown
        QSize fit;           // the picture fitted to a window of this size (empty: pixel view)
        bool tuner = false;  // the tuner view shown (its readings every 10 and 20 ms)
    };
    const Mode modes[] = {
        {"pitch scale", ID_PITCH_SCALE, false, false, false, {}},
        {"frequency scale", ID_FREQUENCY_SCALE, false, false, false, {}},
        {"waveform", ID_WAVE_SHAPE, false, false, false, {}},
        {"pitch scale, 3-D", ID_PITCH_SCALE, true, false, false, {}},
        {"pitch, precise", ID_PITCH_SCALE, false, true, false, {}},
        {"pitch, precise+track", ID_PITCH_SCALE, false, true, true, {}},
        {"pitch, tuner", ID_PITCH_SCALE, false, false, false, {}, true},
        {"pitch, precise+tuner", ID_PITCH_SCALE, false, true, false, {}, true},
        {"pitch, fit 1280x720", ID_PITCH_SCALE, false, false, false, {1280, 720}},
        {"pitch, fit 1920x1080", ID_PITCH_SCALE, false, false, false, {1920, 1080}}};
    for (const Mode& mode : modes) {
        if (std::string(mode.name).find(only) == std::string::npos) {
            continue;
        }
        frame->ExecuteCommand(mode.command);
        if (mode.threeD != view.threeD()) {
            frame->ExecuteCommand(ID_THREE_D);
        }
        const bool precise = frame->CommandStateOf(ID_PRECISE_PITCH).checked;
        if (mode.precise != precise) {
            frame->ExecuteCommand(ID_PRECISE_PITCH);
            frame->ExecuteCommand(ID_FUNDAMENTAL_TONE);
        }
        if (mode.track != view.pitchTrackShown()) {
            frame->ExecuteCommand(ID_PITCH_TRACK);
        }
        if (mode.fit.isEmpty() == view.fitPicture()) {
            frame->ExecuteCommand(ID_FIT_PICTURE);
        }
        if (!mode.fit.isEmpty()) {
            frame->resize(mode.fit);
        }
        if (mode.tuner != frame->tunerDock()->isVisible()) {
            frame->ExecuteCommand(ID_TUNER);
        }
        RunEvents(2.0);
        const TunerAnalysis* tuner = frame->view().engine().Tuner();
        const uint64_t readings0 = tuner != nullptr ? tuner->steadyCount() : 0;
        const int64_t tunerPaints0 = frame->tunerDock()->face()->paintCount();
        const double cpu0 = CpuSeconds();
        const auto threads0 = ThreadCpuSeconds();
        const int64_t drawn0 = view.redrawCount();
        const auto wall0 = Clock::now();
        RunEvents(seconds);
        const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
        const double cpu = CpuSeconds() - cpu0;
        std::printf("  %-22s %5.2f %%   (%.1f pictures per second",
                    mode.name,
                    100.0 * cpu / wall,
                    static_cast<double>(view.redrawCount() - drawn0) / wall);
        if (mode.tuner && tuner != nullptr) {
            std::printf(
                "; tuner: %.1f steady readings and %.1f repaints per second",
                static_cast<double>(tuner->steadyCount() - readings0) / wall,
                static_cast<double>(frame->tunerDock()->face()->paintCount() - tunerPaints0) /
                    wall);
        }
        std::printf(")\n    by thread:");
        for (const auto& [name, cpuSeconds] : ThreadCpuSeconds()) {
            const auto before = threads0.find(name);
            const double share =
                100.0 * (cpuSeconds - (before != threads0.end() ? before->second : 0.0)) / wall;
            if (share >= 0.05) {
                std::printf(" %s %.2f %%", name.c_str(), share);
            }
        }
        std::printf("\n");
    }
    std::printf("peak memory (VmHWM): %.1f MiB\n", static_cast<double>(PeakKilobytes()) / 1024.0);

    const auto closing = Clock::now();
    frame->close();
    app.ExitInstance();
    std::printf("window closed to threads joined and settings written: %.3f s\n",
                std::chrono::duration<double>(Clock::now() - closing).count());
    return 0;
}
