#include "ui/BrowseFolderDialog.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace tonavise::ui {

BrowseFolderDialog::BrowseFolderDialog(uint32_t flags,
                                       const QString& title,
                                       int rootFolderId,
                                       QWidget* owner)
    : owner_(owner), rootFolderId_(rootFolderId), flags_(flags), title_(title) {
    Reset();
}

void BrowseFolderDialog::SetOptions(uint32_t flags, const QString* title, int rootFolderId) {
    flags_ = flags;
    if (title != nullptr) {
        title_ = *title;
    }
    rootFolderId_ = rootFolderId;
}

int BrowseFolderDialog::CopyResult(char16_t* buffer, int count, int which) const {
    if (buffer == nullptr || count <= 0) {
        return 0;
    }
    const QString text = GetResult(which);
    const int n = std::min(static_cast<int>(text.size()), count - 1);
    std::copy_n(reinterpret_cast<const char16_t*>(text.utf16()), n, buffer);
    buffer[n] = u'\0';
    return n;
}

QString BrowseFolderDialog::GetResult(int which) const {
    return which == kPath ? path_ : displayName_;
}

int BrowseFolderDialog::Run() {
    Reset();
    return Browse();
}

int BrowseFolderDialog::Run(int selectionFolderId) {
    Reset();
    selectionFolderId_ = selectionFolderId;
    return Browse();
}

int BrowseFolderDialog::Run(const QString& initialPath) {
    Reset();
    initialPath_ = initialPath;
    return Browse();
}

void BrowseFolderDialog::Reset() {
    selectionFolderId_ = 0;
    initialPath_.clear();
    path_.clear();
    displayName_.clear();
}

bool BrowseFolderDialog::FolderIdToPath(int id, QString& path) {
    path.clear();
    if (id == 0) {
        return true;
    }
    if (id < 1 || id > QStandardPaths::AppConfigLocation + 1) {
        return false;
    }
    path = QStandardPaths::writableLocation(static_cast<QStandardPaths::StandardLocation>(id - 1));
    return !path.isEmpty();
}

int BrowseFolderDialog::Browse() {
    QString root;
    QString selection;
    if (!FolderIdToPath(rootFolderId_, root) || !FolderIdToPath(selectionFolderId_, selection)) {
        return kNoSuchFolder;
    }
    QWidget* owner = owner_ != nullptr ? owner_ : QApplication::activeWindow();
    QFileDialog chooser(owner);
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setOptions(QFileDialog::Options(static_cast<int>(flags_)) | QFileDialog::ShowDirsOnly);
    if (!title_.isEmpty()) {
        chooser.setWindowTitle(title_);
    }
    // The first selection: the initial path before the selection folder; the root otherwise.
    QString start = !initialPath_.isEmpty() ? initialPath_
                    : !selection.isEmpty()  ? selection
                                            : root;
    if (!start.isEmpty()) {
        chooser.setDirectory(start);
    }
    QObject::connect(&chooser, &QFileDialog::currentChanged, &chooser, [&](const QString& f) {
        OnSelectionChanged(&chooser, f);
    });
    QObject::connect(&chooser, &QFileDialog::directoryEntered, &chooser, [&](const QString& f) {
        OnSelectionChanged(&chooser, f);
    });
    OnInitialized(&chooser);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) {
        return kCancelled;
    }
    const QString chosen = chooser.selectedFiles().front();
    if (!QFileInfo(chosen).isDir()) {
        OnValidateFailed(QFileInfo(chosen).fileName());
        return kCancelled;
    }
    path_ = QDir::toNativeSeparators(QDir::cleanPath(chosen));
    displayName_ = QFileInfo(path_).fileName().isEmpty() ? path_ : QFileInfo(path_).fileName();
    return kOk;
}

void BrowseFolderDialog::OnInitialized(QFileDialog*) {}

void BrowseFolderDialog::OnSelectionChanged(QFileDialog*, const QString&) {}

void BrowseFolderDialog::OnValidateFailed(const QString&) {}

}  // namespace tonavise::ui
