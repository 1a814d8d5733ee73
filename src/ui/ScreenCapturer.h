// The screen capturer: a thread that saves the scope picture as a JPEG file named by the local
// date and time, when the scope view asks for it, so that the drawing never waits for the disk;
// and the shot schedule of the view's timed capture.
//
// The picture is handed over without a lock: RequestImageSave stores a pointer to the view's
// picture and signals the thread; the thread clears the pointer when it has written the file.
// While the pointer is set the view leaves the picture alone and a further request is refused.
//
// Threads: StartCapturer, StopCapturer, RequestImageSave, FirstShotDelay and NextShotDelay on
// the user-interface thread; IsImageSavePending from any thread. The file is written on the
// capturer's own thread.
#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "engine/core/AutoResetEvent.h"

namespace tonavise::ui {

class CapturerSettings;

// "%04d%02d%02d_%02d%02d%02d.jpg" of the local date and time, for example 20240307_141503.jpg.
QString SnapshotFileName(const QDateTime& localTime);

// `folder` and `name` with one separator between them: "/pics" and "/pics/" give the same path.
// An empty folder gives the name alone.
QString JoinFolder(const QString& folder, const QString& name);

// The folder a snapshot goes to: the configured one when it is an existing folder, else the
// first of `fallbacks` that is an existing folder (none is created and the setting is not
// changed). When none exists: the configured text, or without one the last fallback, so that the
// shot fails where the user can see why rather than landing in whatever the current folder is.
QString SnapshotFolder(const QString& configured, const QStringList& fallbacks);

// Where snapshots go without a usable folder setting, in this order: the desktop, the pictures
// folder, the home folder (the ones the system names).
QStringList SnapshotFallbackFolders();

// What the capturer takes from its surroundings; tests replace each part.
struct CapturerEnvironment {
    std::function<QDateTime()> localTime;                     // empty: the local time now
    std::function<QStringList()> fallbackFolders;             // empty: SnapshotFallbackFolders()
    std::function<bool(const QImage&, const QString&)> save;  // empty: WriteImageFile
    // Called on the capturer's thread with the path of a shot that could not be written.
    std::function<void(const QString&)> notWritten;
};

class ScreenCapturer {
  public:
    using Environment = CapturerEnvironment;

    explicit ScreenCapturer(const CapturerSettings& settings, Environment environment = {});
    ~ScreenCapturer();
    ScreenCapturer(const ScreenCapturer&) = delete;
    ScreenCapturer& operator=(const ScreenCapturer&) = delete;

    // Creates the request event and starts the thread. Once per start; a second call while it
    // runs does nothing.
    void StartCapturer();
    // Ends the thread and waits for it: it notices within a second, after the file it may be
    // writing. The request event goes with it. Also done by the destructor.
    void StopCapturer();

    // Hands `image` to the thread. False when the thread is not running or a save is still
    // pending. The image must stay unchanged and alive until IsImageSavePending() is false.
    bool RequestImageSave(const QImage* image);
    bool IsImageSavePending() const;

    // The schedule: the first shot's delay in ms ((imageStartTime + 1) s) with the shot counter
    // set to 1; then, after each shot, the next delay ((imageInterval + 1) s), or 0 after
    // imageNumbers + 1 shots.
    int FirstShotDelay();
    int NextShotDelay();

    // The path of the last file the thread saved or tried to save (tests).
    QString lastPath() const;

  private:
    void Run();
    void SavePending();

    const CapturerSettings& settings_;
    Environment environment_;

    std::unique_ptr<AutoResetEvent> requestEvent_;  // exists while the thread runs
    std::atomic<int32_t> runFlag_{0};
    std::thread thread_;
    std::atomic<const QImage*> pendingImage_{nullptr};
    int32_t shotCounter_ = 0;

    mutable std::mutex lastPathMutex_;
    QString lastPath_;
};

}  // namespace tonavise::ui
