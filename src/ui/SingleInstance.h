// The single-instance rule. The first start holds a lock file named after the program's GUID and
// listens on a local socket of the same name; a later start finds the lock taken, asks the first
// through the socket to bring its window to the front, and ends. A lock left by a process that
// no longer runs is taken over.
//
// Threads: user-interface thread only (the socket is served by its event loop).
#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLockFile;

namespace tonavise::ui {

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    // `folder` empty: the user's runtime folder (private to the user).
    explicit SingleInstance(QString key, QString folder = {}, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the first instance; it now serves later starts. False when another
    // instance holds the lock: that one has been asked to come to the front (when it answers
    // within about two seconds).
    bool Acquire();
    // Gives the lock and the socket up. Also done by the destructor.
    void Release();
    bool IsHeld() const { return server_ != nullptr; }

    QString ServerName() const;

  signals:
    // A later start asked for the window to come to the front.
    void raiseRequested();

  private:
    void OnNewConnection();
    bool AskFirstToRaise() const;

    QString key_;
    QString folder_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<QLocalServer> server_;
};

}  // namespace tonavise::ui
