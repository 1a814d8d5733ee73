#include "QtNotifier.h"

#include <QMessageBox>
#include <QMetaObject>

namespace tonavise::ui {

QtNotifier::QtNotifier(Presenter present, QObject* parent)
    : QObject(parent), present_(present ? std::move(present) : Presenter(&ShowMessageBox)) {}

void QtNotifier::ShowMessage(std::string_view caption, std::string_view text, MessageIcon icon) {
    ShownMessage m{QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
                   QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                   icon};
    // Queued even on the user-interface thread: the caller finishes what it was doing first.
    QMetaObject::invokeMethod(
        this, [this, m = std::move(m)] { Present(m); }, Qt::QueuedConnection);
}

void QtNotifier::Present(ShownMessage message) {
    // A box runs its own event loop; a report arriving meanwhile waits for it to close.
    if (showing_) {
        pending_.push_back(std::move(message));
        return;
    }
    showing_ = true;
    present_(message);
    while (!pending_.empty()) {
        const ShownMessage next = std::move(pending_.front());
        pending_.pop_front();
        present_(next);
    }
    showing_ = false;
}

void QtNotifier::ShowMessageBox(const ShownMessage& message) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (message.icon) {
        case MessageIcon::Information:
            icon = QMessageBox::Information;
            break;
        case MessageIcon::Exclamation:
            icon = QMessageBox::Warning;
            break;
        case MessageIcon::Error:
            icon = QMessageBox::Critical;
            break;
        default:  // a plain box with its text only
            break;
    }
    QMessageBox box(icon, message.caption, message.text, QMessageBox::Ok);
    box.exec();
}

}  // namespace tonavise::ui
