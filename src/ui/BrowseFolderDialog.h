// A small reusable folder browser: the system's folder chooser started at a given folder, which
// returns the chosen folder's path and display name. Its options are kept between runs; each run
// starts from an empty result.
//
// Folder ids name the user's standard folders: 0 is none, any other id is a
// QStandardPaths::StandardLocation plus one (FolderId()).
//
// Threads: user-interface thread only.
#pragma once

#include <QFileDialog>
#include <QStandardPaths>
#include <QString>
#include <cstdint>

namespace tonavise::ui {

class BrowseFolderDialog {
  public:
    enum Result : int { kOk = 1, kCancelled = 2, kNoSuchFolder = -1 };
    enum Which : int { kDisplayName = 0, kPath = 1 };

    static int FolderId(QStandardPaths::StandardLocation location) {
        return static_cast<int>(location) + 1;
    }

    // `flags` are QFileDialog options; an empty title leaves the chooser's own caption; `owner`
    // null gives the application's active window.
    explicit BrowseFolderDialog(uint32_t flags = 0,
                                const QString& title = QString(),
                                int rootFolderId = 0,
                                QWidget* owner = nullptr);
    virtual ~BrowseFolderDialog() = default;
    BrowseFolderDialog(const BrowseFolderDialog&) = delete;
    BrowseFolderDialog& operator=(const BrowseFolderDialog&) = delete;

    virtual void SetOptions(uint32_t flags, const QString* title, int rootFolderId);
    // Copies the path (kPath) or the display name into `buffer` of `count` characters, cut to
    // fit and terminated; returns the characters copied, 0 for an empty result.
    virtual int CopyResult(char16_t* buffer, int count, int which) const;
    virtual QString GetResult(int which) const;

    int Run();
    int Run(int selectionFolderId);
    int Run(const QString& initialPath);

    virtual void Reset();
    // Shows the chooser; kOk with a result, kCancelled, or kNoSuchFolder when a folder id names
    // no folder on this system.
    virtual int Browse();

  protected:
    // Hooks, called while the chooser is open; they do nothing here.
    virtual void OnInitialized(QFileDialog* chooser);
    virtual void OnSelectionChanged(QFileDialog* chooser, const QString& folder);
    virtual void OnValidateFailed(const QString& name);

  private:
    // The folder of an id: empty for 0, nullopt-like failure (false) for an unknown one.
    static bool FolderIdToPath(int id, QString& path);

    QWidget* owner_;
    int rootFolderId_ = 0;
    int selectionFolderId_ = 0;
    QString initialPath_;
    QString path_;
    QString displayName_;
    uint32_t flags_ = 0;
    QString title_;
};

}  // namespace tonavise::ui
