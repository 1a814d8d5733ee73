// Build tool: writes the application icon, as the program draws it, as PNG files of the sizes
// desktops look for, in the icon theme's layout: OUTDIR/<n>x<n>/apps/NAME.png.
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <cstdio>

#include "ui/ToolIcons.h"

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-icons OUTDIR NAME\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    const QIcon icon = tonavise::ui::MakeAppIcon();
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(out).arg(size);
        QDir().mkpath(folder);
        const QPixmap pixmap = icon.pixmap(QSize(size, size));
        if (pixmap.size() != QSize(size, size) ||
            !pixmap.save(QStringLiteral("%1/%2.png").arg(folder, name))) {
            std::fprintf(stderr, "make-icons: cannot write the %dx%d icon\n", size, size);
            return 1;
        }
    }
    return 0;
}
