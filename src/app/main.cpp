// tonavise: the live scope and practice tool.
#include <QApplication>

#include "ui/MainWindow.h"
#include "ui/TerminationSignals.h"
#include "ui/TonaviseApp.h"

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Osmarek"));
    QApplication::setApplicationName(QStringLiteral("Tonavise"));
    // The desktop entry the window belongs to (its icon and name in docks and task bars).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.tonavise"));

    tonavise::ui::TonaviseApp app;
    // Ended from outside: the window closes as the user would close it. The handlers stay
    // until the settings are written, so a second signal cannot cut the exit short.
    const tonavise::ui::TerminationSignals endFromOutside([&app] {
        if (app.mainFrame() != nullptr) {
            app.mainFrame()->close();
        } else {
            QCoreApplication::quit();
        }
    });
    int code = 0;
    if (app.InitInstance()) {
        code = QApplication::exec();
    }
    const int exitCode = app.ExitInstance();
    return code != 0 ? code : exitCode;
}
