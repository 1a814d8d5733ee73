#include "ui/QtNotifier.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QMetaObject>

namespace tonavise::ui {

namespace {

constexpr const char* kMessageTexts[] = {
    QT_TRANSLATE_NOOP("Message", "Can not open this MP3 file."),
    QT_TRANSLATE_NOOP("Message", "Can not read this MP3 File."),
    QT_TRANSLATE_NOOP("Message", "Can not convert this MP3 file to WAV file."),
    QT_TRANSLATE_NOOP("Message", "Can not open this file."),
    QT_TRANSLATE_NOOP("Message", "This file is not the WAV file"),
    QT_TRANSLATE_NOOP("Message", "This file is not the PCM format file."),
    QT_TRANSLATE_NOOP("Message", "The memory is not enough!"),
    QT_TRANSLATE_NOOP("Message", "This file holds no sound."),
};

}  // namespace

QString TranslatedMessageText(const QString& text) {
    return QCoreApplication::translate("Message", text.toUtf8().constData());
}

QStringList TranslatableMessageTexts() {
    QStringList texts;
    for (const char* text : kMessageTexts) {
        texts << QString::fromLatin1(text);
    }
    return texts;
}

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
    message.text = TranslatedMessageText(message.text);
    present_(message);
    while (!pending_.empty()) {
        ShownMessage next = std::move(pending_.front());
        pending_.pop_front();
        next.text = TranslatedMessageText(next.text);
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
