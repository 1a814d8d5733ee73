#include "ui/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

namespace tonavise::ui {

namespace {

constexpr char kRaiseRequest[] = "raise\n";
constexpr int kAnswerMs = 2000;

}  // namespace

SingleInstance::SingleInstance(QString key, QString folder, QObject* parent)
    : QObject(parent), key_(std::move(key)), folder_(std::move(folder)) {
    if (folder_.isEmpty()) {
        folder_ = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    }
    if (folder_.isEmpty()) {
        folder_ = QDir::tempPath();
    }
}

SingleInstance::~SingleInstance() {
    Release();
}

QString SingleInstance::ServerName() const {
    return QDir(folder_).filePath(key_);
}

bool SingleInstance::Acquire() {
    if (IsHeld()) {
        return true;
    }
    QDir().mkpath(folder_);
    lock_ = std::make_unique<QLockFile>(ServerName() + QStringLiteral(".lock"));
    if (!lock_->tryLock(0)) {
        lock_.reset();
        AskFirstToRaise();
        return false;
    }
    // A socket file left by a process that ended without cleaning up would block listen().
    QLocalServer::removeServer(ServerName());
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
    if (!server_->listen(ServerName())) {
        // Still the only instance (the lock says so); later starts just cannot raise this one.
        qWarning("single instance: cannot listen on %s", qPrintable(ServerName()));
    }
    return true;
}

void SingleInstance::Release() {
    if (server_) {
        server_->close();
        server_.reset();
    }
    if (lock_) {
        lock_->unlock();
        lock_.reset();
    }
}

void SingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains("raise")) {
                emit raiseRequested();
            }
        });
    }
}

bool SingleInstance::AskFirstToRaise() const {
    // The first instance may hold the lock but not listen yet: try for a short while.
    QDeadlineTimer deadline(kAnswerMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(ServerName());
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
            socket.write(kRaiseRequest);
            const bool sent =
                socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()));
            socket.disconnectFromServer();
            return sent;
        }
        QThread::msleep(50);
    }
    return false;
}

}  // namespace tonavise::ui
