// The screen capturer's settings as the program holds them: the image folder and the three list
// positions of the start time, the interval and the number of images. The application loads
// them at start-up, the Set Parameters dialog changes them on OK, the scope view and the
// capturer thread read them at each use.
//
// Threads: Set and Get from any thread; a Get sees either all old or all new values.
#pragma once

#include <QString>
#include <cstdint>
#include <mutex>

namespace tonavise::ui {

struct CapturerValues {
    QString imageFolder;         // "ImageFolder"
    int32_t imageStartTime = 4;  // "ImageStartTime": seconds to the first image - 1
    int32_t imageInterval = 1;   // "ImageInterval": seconds between images - 1
    int32_t imageNumbers = 9;    // "ImageNumbers": images - 1
};

class CapturerSettings {
  public:
    // The folder comes as a copy of its own, which shares no text with the stored one: the
    // capturer thread may hold it while the dialog replaces the stored folder.
    CapturerValues Get() const {
        std::lock_guard lock(mutex_);
        CapturerValues copy = values_;
        copy.imageFolder = QString(values_.imageFolder.constData(), values_.imageFolder.size());
        return copy;
    }
    void Set(const CapturerValues& values) {
        std::lock_guard lock(mutex_);
        values_ = values;
    }

  private:
    mutable std::mutex mutex_;
    CapturerValues values_;
};

}  // namespace tonavise::ui
