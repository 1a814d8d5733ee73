#include "ui/WebPageOpener.h"

#include <QDesktopServices>

namespace tonavise::ui {

bool DesktopWebPageOpener::Open(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

}  // namespace tonavise::ui
