#include "app/singleinstance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

namespace kestro::app {
namespace {

QString keyOf(const QString& settingsFile) {
  // The file may not exist yet; its folder's real path still names it.
  const QFileInfo file(settingsFile);
  const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
  const QString path = (folder.isEmpty() ? file.absolutePath() : folder) + '/' + file.fileName();
  const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256);
  return QStringLiteral("kestro-%1-%2")
      .arg(::getuid())
      .arg(QString::fromLatin1(hash.toHex().left(24)));
}

}  // namespace

SingleInstance::SingleInstance(const QString& settingsFile, QObject* parent)
    : QObject(parent),
      key_(keyOf(settingsFile)),
      lock_(std::make_unique<QLockFile>(QDir::temp().filePath(key_ + ".lock"))) {
  // Only a dead holder makes the lock stale, never its age: a Kestro may run for days.
  lock_->setStaleLockTime(0);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      socket->disconnectFromServer();
      emit comeForward();
    }
  });
}

SingleInstance::~SingleInstance() {
  server_.close();
  lock_->unlock();
}

SingleInstance::Claim SingleInstance::claim(int patienceMs) {
  const QDeadlineTimer deadline(patienceMs);
  while (true) {
    if (lock_->tryLock(0)) {
      listen();
      return Claim::First;
    }
    if (lock_->error() != QLockFile::LockFailedError) {
      // No lock can be made here (an unwritable temporary folder): run unguarded rather than
      // not at all.
      return Claim::First;
    }
    QLocalSocket socket;
    socket.connectToServer(key_);
    if (socket.waitForConnected(250)) {
      // The first instance answers a connection by coming forward; nothing needs to be said.
      socket.waitForDisconnected(1000);
      return Claim::Forwarded;
    }
    // The holder may still be starting and not listening yet.
    if (deadline.hasExpired()) return Claim::NoAnswer;
    QThread::msleep(50);
  }
}

void SingleInstance::listen() {
  // A socket left by a holder that died is in the way of the new one.
  QLocalServer::removeServer(key_);
  server_.listen(key_);
}

}  // namespace kestro::app
