#include "ui/ScreenCapturer.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <chrono>

#include "ui/CapturerSettings.h"
#include "ui/ImageFiles.h"

namespace tonavise::ui {

namespace {

constexpr std::chrono::milliseconds kRequestWait{1000};
constexpr int kMsPerSecond = 1000;

}  // namespace

QString SnapshotFileName(const QDateTime& localTime) {
    const QDate d = localTime.date();
    const QTime t = localTime.time();
    return QString::asprintf("%04d%02d%02d_%02d%02d%02d.jpg",
                             d.year(),
                             d.month(),
                             d.day(),
                             t.hour(),
                             t.minute(),
                             t.second());
}

QString JoinFolder(const QString& folder, const QString& name) {
    if (folder.isEmpty()) {
        return name;
    }
    if (folder.endsWith(QLatin1Char('/'))) {
        return folder + name;
    }
    return folder + QLatin1Char('/') + name;
}

QString SnapshotFolder(const QString& configured, const QStringList& fallbacks) {
    if (!configured.isEmpty() && QFileInfo(configured).isDir()) {
        return configured;
    }
    for (const QString& folder : fallbacks) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir()) {
            return folder;
        }
    }
    if (!configured.isEmpty() || fallbacks.isEmpty()) {
        return configured;
    }
    return fallbacks.back();
}

QStringList SnapshotFallbackFolders() {
    QStringList folders;
    for (const auto location : {QStandardPaths::DesktopLocation,
                                QStandardPaths::PicturesLocation,
                                QStandardPaths::HomeLocation}) {
        const QString folder = QStandardPaths::writableLocation(location);
        if (!folder.isEmpty()) {
            folders << folder;
        }
    }
    return folders;
}

ScreenCapturer::ScreenCapturer(const CapturerSettings& settings, Environment environment)
    : settings_(settings), environment_(std::move(environment)) {
    if (!environment_.localTime) {
        environment_.localTime = [] { return QDateTime::currentDateTime(); };
    }
    if (!environment_.fallbackFolders) {
        environment_.fallbackFolders = SnapshotFallbackFolders;
    }
    if (!environment_.save) {
        environment_.save = WriteImageFile;
    }
}

ScreenCapturer::~ScreenCapturer() {
    StopCapturer();
}

void ScreenCapturer::StartCapturer() {
    if (thread_.joinable()) {
        return;
    }
    requestEvent_ = std::make_unique<AutoResetEvent>();
    runFlag_.store(1, std::memory_order_relaxed);
    thread_ = std::thread([this] { Run(); });
}

void ScreenCapturer::StopCapturer() {
    runFlag_.store(0, std::memory_order_relaxed);
    if (thread_.joinable()) {
        // The thread sees the cleared flag after its current wait (at most a second) or after
        // the file it is writing. It is never cut off: it may hold the view's picture.
        requestEvent_->set();
        thread_.join();
    }
    requestEvent_.reset();
    pendingImage_.store(nullptr, std::memory_order_release);
}

bool ScreenCapturer::RequestImageSave(const QImage* image) {
    if (!requestEvent_ || IsImageSavePending()) {
        return false;
    }
    // Release: the picture's pixels are complete before the thread can see the pointer.
    pendingImage_.store(image, std::memory_order_release);
    requestEvent_->set();
    return true;
}

bool ScreenCapturer::IsImageSavePending() const {
    return pendingImage_.load(std::memory_order_acquire) != nullptr;
}

int ScreenCapturer::FirstShotDelay() {
    shotCounter_ = 1;
    return (settings_.Get().imageStartTime + 1) * kMsPerSecond;
}

int ScreenCapturer::NextShotDelay() {
    const CapturerValues v = settings_.Get();
    const int32_t taken = shotCounter_++;
    if (taken < v.imageNumbers + 1) {
        return (v.imageInterval + 1) * kMsPerSecond;
    }
    return 0;
}

QString ScreenCapturer::lastPath() const {
    std::lock_guard lock(lastPathMutex_);
    return lastPath_;
}

void ScreenCapturer::Run() {
    while (runFlag_.load(std::memory_order_relaxed) != 0) {
        if (!requestEvent_->wait(kRequestWait)) {
            continue;
        }
        SavePending();
    }
    // A picture handed over just before the stop is still written.
    if (IsImageSavePending()) {
        SavePending();
    }
}

void ScreenCapturer::SavePending() {
    const QString folder =
        SnapshotFolder(settings_.Get().imageFolder, environment_.fallbackFolders());
    const QString path = JoinFolder(folder, SnapshotFileName(environment_.localTime()));
    // Acquire: pairs with the release in RequestImageSave.
    const QImage* image = pendingImage_.load(std::memory_order_acquire);
    if (image != nullptr && !image->isNull()) {
        {
            std::lock_guard lock(lastPathMutex_);
            lastPath_ = path;
        }
        // A file that cannot be written is skipped and reported; the schedule goes on.
        if (!environment_.save(*image, path) && environment_.notWritten) {
            environment_.notWritten(path);
        }
    }
    // Release: the view may change the picture again once it sees the pointer cleared.
    pendingImage_.store(nullptr, std::memory_order_release);
}

}  // namespace tonavise::ui
