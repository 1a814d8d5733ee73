// tonavise: the live scope and practice tool.
#include <QApplication>

#include "TonaviseApp.h"

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Osmarek"));
    QApplication::setApplicationName(QStringLiteral("Tonavise"));

    tonavise::ui::CTonaviseApp app;
    int code = 0;
    if (app.InitInstance()) {
        code = QApplication::exec();
    }
    const int exitCode = app.ExitInstance();
    return code != 0 ? code : exitCode;
}
