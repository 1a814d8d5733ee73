#include "ui/FileDialogs.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>

namespace tonavise::ui {

QString OpenFileFilter() {
    // Every file the player can open first, so that one list shows them all.
    return QCoreApplication::translate("FileDialogs", "Sound files (*.wav *.mp3)") +
           QStringLiteral("|*.wav;*.mp3|MP3(*.mp3)|*.mp3|WAV(*.wav)|*.wav|") +
           QCoreApplication::translate("FileDialogs", "All Files (*.*)") + QStringLiteral("|*.*||");
}

QStringList QtNameFilters(const QString& pairedFilter) {
    QStringList filters;
    const QStringList parts = pairedFilter.split(QLatin1Char('|'));
    // An empty text ends the list (the "||" at the end).
    for (qsizetype i = 0; i + 1 < parts.size() && !parts[i].isEmpty(); i += 2) {
        const QString& text = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString tail = QLatin1Char('(') + patterns + QLatin1Char(')');
        filters << (text.endsWith(tail) ? text : text + QLatin1Char(' ') + tail);
    }
    return filters;
}

std::unique_ptr<QFileDialog> MakeOpenFileDialog(QWidget* parent) {
    auto dialog = std::make_unique<QFileDialog>(parent);
    dialog->setWindowTitle(QCoreApplication::translate("FileDialogs", "Open"));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilters(QtNameFilters(OpenFileFilter()));
    dialog->setDefaultSuffix(QStringLiteral("mp3"));
    return dialog;
}

std::unique_ptr<QFileDialog> MakeSaveRecordingDialog() {
    auto dialog = std::make_unique<QFileDialog>();
    dialog->setWindowTitle(QCoreApplication::translate("FileDialogs", "Save As"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters(QtNameFilters(QString::fromLatin1(kSaveRecordingFilter)));
    // The filter reads "WAV(*.wav) File", as written, without the patterns Qt needs at its end.
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setDefaultSuffix(QStringLiteral("wav"));
    return dialog;
}

std::optional<QString> OpenFileDialog::ChooseOpenPath() {
    const std::unique_ptr<QFileDialog> dialog = MakeOpenFileDialog(parent_);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog->selectedFiles().front();
}

std::optional<std::string> SaveRecordingDialog::ChooseSavePath() {
    const std::unique_ptr<QFileDialog> dialog = MakeSaveRecordingDialog();
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return QFile::encodeName(dialog->selectedFiles().front()).toStdString();
}

}  // namespace tonavise::ui
