#include "app/singleinstance.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

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

// The address of the socket file; nothing when the path is too long for one.
std::optional<sockaddr_un> addressOf(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof(address.sun_path)) return std::nullopt;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return address;
}

// Closes its descriptor at the end of its scope.
class Socket {
 public:
  explicit Socket(int flags = 0) : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | flags, 0)) {}
  ~Socket() {
    if (fd_ >= 0) ::close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

// Whether a first instance listens at the address; it answers by closing the connection,
// which is waited for at most `patienceMs`.
bool askToComeForward(const sockaddr_un& address, int patienceMs) {
  const Socket socket;
  if (socket.get() < 0) return false;
  int result;
  do {
    result = ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
  } while (result != 0 && errno == EINTR);
  if (result != 0) return false;
  pollfd closed{socket.get(), POLLIN, 0};
  while (::poll(&closed, 1, patienceMs) < 0 && errno == EINTR) {
  }
  return true;
}

}  // namespace

SingleInstance::SingleInstance(const QString& settingsFile, QObject* parent)
    : QObject(parent),
      key_(keyOf(settingsFile)),
      lock_(std::make_unique<QLockFile>(QDir::temp().filePath(key_ + ".lock"))),
      socketPath_(QDir::temp().filePath(key_).toStdString()) {
  // Only a dead holder makes the lock stale, never its age: a Kestro may run for days.
  lock_->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
  if (listener_ >= 0) {
    notifier_.reset();
    ::close(listener_);
    ::unlink(socketPath_.c_str());
  }
  lock_->unlock();
}

SingleInstance::Claim SingleInstance::claim(int patienceMs) {
  const QDeadlineTimer deadline(patienceMs);
  const std::optional<sockaddr_un> address = addressOf(socketPath_);
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
    // The first instance answers a connection by coming forward; nothing needs to be said.
    if (address && askToComeForward(*address, 1000)) return Claim::Forwarded;
    // The holder may still be starting and not listening yet.
    if (deadline.hasExpired()) return Claim::NoAnswer;
    QThread::msleep(50);
  }
}

void SingleInstance::listen() {
  const std::optional<sockaddr_un> address = addressOf(socketPath_);
  if (!address) return;
  // A socket left by a holder that died is in the way of the new one.
  ::unlink(socketPath_.c_str());
  // Not blocking: a caller that gave up before its connection was taken leaves nothing to
  // accept, and the window must not wait for one.
  Socket socket(SOCK_NONBLOCK);
  if (socket.get() < 0 ||
      ::bind(socket.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
    return;
  }
  // Only the user may connect: the mode is set before anyone can.
  if (::chmod(socketPath_.c_str(), S_IRUSR | S_IWUSR) != 0 || ::listen(socket.get(), 8) != 0) {
    ::unlink(socketPath_.c_str());
    return;
  }
  listener_ = socket.release();
  notifier_ = std::make_unique<QSocketNotifier>(listener_, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { answer(); });
}

void SingleInstance::answer() {
  const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (connection < 0) return;
  ::close(connection);
  emit comeForward();
}

}  // namespace kestro::app
