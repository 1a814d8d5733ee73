#include "ui/ScopeCapture.h"

#include <QCoreApplication>
#include <QFileDialog>

#include "engine/core/Notifier.h"
#include "ui/CommandIds.h"
#include "ui/ImageFiles.h"

namespace tonavise::ui {

namespace {

class QtShotTimer final : public ShotTimer {
  public:
    explicit QtShotTimer(ScopeCapture* owner) {
        QObject::connect(&timer_, &QTimer::timeout, owner, &ScopeCapture::OnSnapshotTimer);
    }
    void Start(int ms) override { timer_.start(ms); }
    void Stop() override { timer_.stop(); }

  private:
    QTimer timer_;
};

}  // namespace

QStringList SaveImageDialog::Filters() {
    return {QStringLiteral("JPEG (*.jpg *.jpeg)"),
            QStringLiteral("GIF (*.gif)"),
            QStringLiteral("BITMAP (*.bmp)"),
            QStringLiteral("PNG (*.png)"),
            QStringLiteral("TIFF (*.tif *.tiff)"),
            QCoreApplication::translate("ScopeCapture", "All Files (*)")};
}

std::optional<QString> SaveImageDialog::ChooseImagePath() {
    QFileDialog dialog(parent_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(Filters());
    dialog.setDefaultSuffix(QStringLiteral("jpg"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front();
}

ScopeCapture::ScopeCapture(const CapturerSettings& settings,
                           Notifier& notifier,
                           QWidget* dialogParent,
                           Environment environment)
    : notifier_(notifier),
      capturer_(settings, WithFailureReport(std::move(environment.capturer))),
      timer_(environment.timer),
      chooser_(environment.chooser) {
    if (timer_ == nullptr) {
        ownTimer_ = std::make_unique<QtShotTimer>(this);
        timer_ = ownTimer_.get();
    }
    if (chooser_ == nullptr) {
        ownChooser_ = std::make_unique<SaveImageDialog>(dialogParent);
        chooser_ = ownChooser_.get();
    }
}

CapturerEnvironment ScopeCapture::WithFailureReport(CapturerEnvironment environment) {
    if (!environment.notWritten) {
        // Queued to this object: the capturer thread never waits for the interface, and a
        // report still queued when this object goes is dropped with it.
        environment.notWritten = [this](const QString& path) {
            QMetaObject::invokeMethod(
                this, [this, path] { OnShotNotWritten(path); }, Qt::QueuedConnection);
        };
    }
    return environment;
}

void ScopeCapture::OnShotNotWritten(const QString& path) {
    // Once: a shot every second or two would otherwise bury the window in boxes.
    if (notWrittenShown_) {
        return;
    }
    notWrittenShown_ = true;
    notifier_.ShowMessage(
        kAppTitle, ShotNotWrittenText(path).toStdString(), MessageIcon::Exclamation);
}

ScopeCapture::~ScopeCapture() {
    Stop();
}

void ScopeCapture::Start() {
    capturer_.StartCapturer();
}

void ScopeCapture::Stop() {
    StopTimedCapture();
    // The thread may still be writing the picture: it ends first, then the picture goes.
    capturer_.StopCapturer();
    snapshot_ = QImage();
    snapshotReady_ = false;
}

void ScopeCapture::AfterRedraw(const QImage& composed, QSize size) {
    if (!timedCapture_ || capturer_.IsImageSavePending()) {
        return;
    }
    QImage copy = composed.copy(QRect(QPoint(0, 0), size));
    if (copy.isNull()) {
        return;
    }
    snapshot_ = std::move(copy);
    snapshotReady_ = true;
}

void ScopeCapture::StopTimedCapture() {
    timer_->Stop();
    timedCapture_ = false;
}

void ScopeCapture::ToggleTimedCapture() {
    if (timedCapture_) {
        StopTimedCapture();
        return;
    }
    timer_->Start(capturer_.FirstShotDelay());
    timedCapture_ = true;
    notWrittenShown_ = false;
}

void ScopeCapture::OnSnapshotTimer() {
    // A shot that finds the previous picture still being written is lost, but it counts.
    capturer_.RequestImageSave(&snapshot_);
    timer_->Stop();
    const int delay = capturer_.NextShotDelay();
    if (delay > 0) {
        timer_->Start(delay);
    } else {
        timedCapture_ = false;
    }
}

QString ScopeCapture::CannotSaveText(const QString& path) {
    return QCoreApplication::translate("ScopeCapture", "The picture could not be saved as\n%1")
        .arg(path);
}

QString ScopeCapture::ShotNotWrittenText(const QString& path) {
    return QCoreApplication::translate(
               "ScopeCapture", "The timed snapshots could not be saved, the first one as\n%1")
        .arg(path);
}

void ScopeCapture::SaveCopiedScreen() {
    if (snapshot_.isNull()) {
        return;
    }
    const std::optional<QString> path = chooser_->ChooseImagePath();
    if (!path) {
        return;
    }
    if (!WriteImageFile(snapshot_, *path)) {
        // The picture stays ready, so that it can be saved elsewhere.
        notifier_.ShowMessage(
            kAppTitle, CannotSaveText(*path).toStdString(), MessageIcon::Exclamation);
        return;
    }
    snapshotReady_ = false;
}

bool ScopeCapture::HandlesCommand(int id) const {
    return id == ID_CAPTURE_SCREEN || id == ID_SAVE_COPIED_SCREEN;
}

void ScopeCapture::UpdateCommand(int id, CommandState& state) {
    if (id == ID_CAPTURE_SCREEN) {
        state.checked = timedCapture_;
    } else if (id == ID_SAVE_COPIED_SCREEN) {
        state.enabled = snapshotReady_;
    }
}

void ScopeCapture::HandleCommand(int id) {
    if (id == ID_CAPTURE_SCREEN) {
        ToggleTimedCapture();
    } else if (id == ID_SAVE_COPIED_SCREEN) {
        SaveCopiedScreen();
    }
}

}  // namespace tonavise::ui
