// The scope view's side of the screen capturer: the timed capture (command "Copy screen", menu
// text "Start Capturing") with its timer 3, the copy of the scope picture after each redraw while
// it runs, and "Save copied screen", which saves the last copied picture through a file dialog
// as JPEG, GIF, BMP, PNG or TIFF. It owns the capturer thread.
//
// Threads: user-interface thread only.
#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

#include "ui/Commands.h"
#include "ui/ScreenCapturer.h"

class QWidget;

namespace tonavise {
class Notifier;
}

namespace tonavise::ui {

class CapturerSettings;

// The timed-snapshot timer: started with a delay, stopped by its owner. The owner calls
// OnSnapshotTimer when it fires. Tests drive a fake one on a clock of their own.
class ShotTimer {
  public:
    virtual ~ShotTimer() = default;
    virtual void Start(int ms) = 0;
    virtual void Stop() = 0;
};

// Where "Save copied screen" saves: the save dialog, or a test's path. nullopt = cancelled.
class ImagePathChooser {
  public:
    virtual ~ImagePathChooser() = default;
    virtual std::optional<QString> ChooseImagePath() = 0;
};

// The save dialog: default ending "jpg", overwrite prompt, the five kinds and all files.
class SaveImageDialog final : public ImagePathChooser {
  public:
    explicit SaveImageDialog(QWidget* parent) : parent_(parent) {}
    std::optional<QString> ChooseImagePath() override;
    // The dialog's filters, in their order.
    static QStringList Filters();

  private:
    QWidget* parent_;
};

// What the view's capture takes from its surroundings; tests replace each part.
struct ScopeCaptureEnvironment {
    CapturerEnvironment capturer;
    ShotTimer* timer = nullptr;           // null: a QTimer
    ImagePathChooser* chooser = nullptr;  // null: the save dialog
};

class ScopeCapture final : public QObject, public CommandTarget {
    Q_OBJECT
  public:
    using Environment = ScopeCaptureEnvironment;

    ScopeCapture(const CapturerSettings& settings,
                 Notifier& notifier,
                 QWidget* dialogParent,
                 Environment environment = {});
    ~ScopeCapture() override;

    // The capturer thread: started when the view is first shown, stopped when it goes. Stop
    // also ends a timed capture and, after the thread, lets the copied picture go.
    void Start();
    void Stop();

    // After each redraw: while the timed capture runs and no save is pending, copies the
    // top-left `size` of the composed picture and enables "Save copied screen".
    void AfterRedraw(const QImage& composed, QSize size);

    // Ends a timed capture at once (the Set Parameters command does it before its dialog).
    void StopTimedCapture();
    // View timer 3 fired: ask for a save, then schedule the next shot or end.
    void OnSnapshotTimer();

    bool timedCapture() const { return timedCapture_; }
    bool snapshotReady() const { return snapshotReady_; }
    const QImage& snapshot() const { return snapshot_; }
    ScreenCapturer& capturer() { return capturer_; }

    // The message shown when "Save copied screen" cannot write its file.
    static QString CannotSaveText(const QString& path);
    // The message shown, once per timed capture, when a timed snapshot cannot be written.
    static QString ShotNotWrittenText(const QString& path);

    // CommandTarget: "Copy screen" (32790) and "Save copied screen" (32791).
    bool HandlesCommand(int id) const override;
    void UpdateCommand(int id, CommandState& state) override;
    void HandleCommand(int id) override;

  private:
    // The capturer's environment with its failures reported back to this object.
    CapturerEnvironment WithFailureReport(CapturerEnvironment environment);
    // On the user-interface thread: a timed snapshot could not be written.
    void OnShotNotWritten(const QString& path);
    void ToggleTimedCapture();
    void SaveCopiedScreen();

    Notifier& notifier_;
    ScreenCapturer capturer_;
    std::unique_ptr<ShotTimer> ownTimer_;
    ShotTimer* timer_;
    std::unique_ptr<ImagePathChooser> ownChooser_;
    ImagePathChooser* chooser_;

    bool timedCapture_ = false;
    // Whether this timed capture has said that its shots cannot be written.
    bool notWrittenShown_ = false;
    bool snapshotReady_ = false;
    // Read by the capturer thread while a save is pending; changed only while none is.
    QImage snapshot_;
};

}  // namespace tonavise::ui
