// The file dialogs of the player and the recorder: the open dialog for a sound file to play and
// the save dialog for the recording, each behind a small interface so that tests hand over a
// path instead of showing a dialog.
//
// Threads: user-interface thread only.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>

#include "engine/live/RecordingStore.h"

class QFileDialog;
class QWidget;

namespace tonavise::ui {

// The filters as one string: pairs of "text|patterns", ended by "||". The open dialog's
// "Sound files (*.wav *.mp3)" and "All Files (*.*)" are translated.
QString OpenFileFilter();
inline constexpr char kSaveRecordingFilter[] = "WAV(*.wav) File|*.wav||";

// Qt's name filters for a "text|patterns||" filter, same entries in the same order. An entry whose
// text already ends with its patterns in parentheses is kept as it is; any other gets them
// appended, since Qt reads the patterns from the parentheses at the end.
QStringList QtNameFilters(const QString& pairedFilter);

// Where the player's "Open File" command finds its file. nullopt = cancelled.
class OpenPathChooser {
  public:
    virtual ~OpenPathChooser() = default;
    virtual std::optional<QString> ChooseOpenPath() = 0;
};

// The open dialog ("Open"): an existing file, default ending "mp3", the sound-files, MP3, WAV and
// all-files filters.
std::unique_ptr<QFileDialog> MakeOpenFileDialog(QWidget* parent);
// The recording's save dialog ("Save As"): default ending "wav", no file name, the overwrite
// prompt, the WAV filter, no parent window.
std::unique_ptr<QFileDialog> MakeSaveRecordingDialog();

class OpenFileDialog final : public OpenPathChooser {
  public:
    explicit OpenFileDialog(QWidget* parent) : parent_(parent) {}
    std::optional<QString> ChooseOpenPath() override;

  private:
    QWidget* parent_;
};

class SaveRecordingDialog final : public SavePathChooser {
  public:
    // The path in the file system's encoding.
    std::optional<std::string> ChooseSavePath() override;
};

}  // namespace tonavise::ui
