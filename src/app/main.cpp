// tonavise: the live scope and practice tool.
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>

#include "ui/MainFrame.h"
#include "ui/TonaviseApp.h"

namespace {

int g_signalPipe[2] = {-1, -1};

void OnTerminate(int) {
    const char byte = 1;
    // Only this is safe in a signal handler; the event loop does the rest.
    [[maybe_unused]] const ssize_t written = write(g_signalPipe[0], &byte, 1);
}

// SIGTERM and SIGINT (the session ending, Ctrl+C in a terminal) close the window as the user
// would, so the threads are joined and the settings written.
void CloseOnTerminate(tonavise::ui::CTonaviseApp& app, QObject* parent) {
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, parent, [&app] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = read(g_signalPipe[1], &byte, 1);
        if (app.mainFrame() != nullptr) {
            app.mainFrame()->close();
        } else {
            QCoreApplication::quit();
        }
    });
    struct sigaction action {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Osmarek"));
    QApplication::setApplicationName(QStringLiteral("Tonavise"));
    // The desktop entry the window belongs to (its icon and name in docks and task bars).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.tonavise"));

    tonavise::ui::CTonaviseApp app;
    int code = 0;
    if (app.InitInstance()) {
        CloseOnTerminate(app, &qapp);
        code = QApplication::exec();
    }
    const int exitCode = app.ExitInstance();
    return code != 0 ? code : exitCode;
}
