#include "ui/WebPageOpener.h"

#include <QDesktopServices>

namespace tonavise::ui {

void DesktopWebPageOpener::Open(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

}  // namespace tonavise::ui
