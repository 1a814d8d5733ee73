// What the player remembers of each file practised: its speed, its transpose and its saved
// loops, so that a file reopens as it was left and a new one starts at 100 % and 0. A file is
// known by its full path and its size in bytes (a file replaced under the same name is a new
// file). Kept in the settings, one record a file in the "PlayerFiles" section, the files used
// longest ago dropped beyond kRememberedFiles.
//
// Threads: user-interface thread only.
#pragma once

#include <QString>
#include <vector>

namespace tonavise::ui {

class SettingsStore;

inline constexpr char kSectionPlayerFiles[] = "PlayerFiles";

struct SavedLoop {
    QString name;
    double a = 0.0;  // seconds into the file
    double b = 0.0;
    bool operator==(const SavedLoop&) const = default;
};

struct FilePractice {
    int speed = 100;    // percent
    int transpose = 0;  // semitones
    std::vector<SavedLoop> loops;
    bool operator==(const FilePractice&) const = default;
};

class PlayerFileMemory {
  public:
    static constexpr int kRememberedFiles = 200;

    explicit PlayerFileMemory(SettingsStore& settings) : settings_(settings) {}

    // The file's record; the defaults (100 %, 0, no loops) for a file never seen, or one whose
    // record cannot be read.
    FilePractice Recall(const QString& path, qint64 size) const;
    // Stores the record now (and drops the oldest records beyond the limit).
    void Remember(const QString& path, qint64 size, const FilePractice& practice);

  private:
    SettingsStore& settings_;
};

}  // namespace tonavise::ui
