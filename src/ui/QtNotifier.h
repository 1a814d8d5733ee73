// Shows the engine's messages as message boxes on the user-interface thread, whichever thread
// reports them. The box is shown after the report returns (the reporting thread never waits for
// the user), one box at a time, in the order reported.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

#include "engine/core/Notifier.h"

namespace tonavise::ui {

struct ShownMessage {
    QString caption;
    QString text;
    MessageIcon icon = MessageIcon::Information;
};

// The engine's fixed message texts (its string table and the memory message) in the language of
// the installed translation. Texts the engine already gives in the user's language, texts with
// parts of their own (a file name, a device's error) and untranslated ones stay as they are.
QString TranslatedMessageText(const QString& text);
// The fixed texts that are translated (tests check the list against the engine's).
QStringList TranslatableMessageTexts();

class QtNotifier final : public QObject, public Notifier {
    Q_OBJECT
  public:
    // `present` shows one message and returns when the user has closed it; empty: a
    // QMessageBox without owner window. Tests give a function that records.
    using Presenter = std::function<void(const ShownMessage&)>;

    explicit QtNotifier(Presenter present = {}, QObject* parent = nullptr);

    // Any thread.
    void ShowMessage(std::string_view caption, std::string_view text, MessageIcon icon) override;

    static void ShowMessageBox(const ShownMessage& message);

  private:
    void Present(ShownMessage message);

    Presenter present_;
    std::deque<ShownMessage> pending_;  // reported while a box is open
    bool showing_ = false;
};

}  // namespace tonavise::ui
