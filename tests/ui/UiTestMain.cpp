// The UI tests run inside one QApplication on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    // A 1920 x 1080 offscreen screen, so that the frame fits around the widest picture as it does
    // on a desktop (the offscreen platform's own screen is 800 x 600).
    QTemporaryDir configDir;
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen") {
        const QString config = configDir.filePath(QStringLiteral("screen.json"));
        QFile f(config);
        if (f.open(QIODevice::WriteOnly)) {
            f.write(R"({"screens": [{"name": "test", "x": 0, "y": 0, "width": 1920,
                        "height": 1080, "logicalDpi": 96, "dpr": 1}]})");
            f.close();
            qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
        } else {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
    }
    // No test needs a session bus, and a bus the machine happens to offer must not change a
    // run: Qt's D-Bus thread, started with the menus, would otherwise come and go with it.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    // Nothing a test writes may land in the user's own configuration.
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
