// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/singleinstance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QThread>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

namespace kestro::app {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

bool absolute(const std::string& path) { return !path.empty() && path.front() == '/'; }

// The folder at `path`, open, when it is a folder itself (not a link), the user's own and closed
// to everyone else; else -1.
int openPrivateFolder(const std::string& path) {
  if (!absolute(path)) return -1;
  const int folder = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folder < 0) return -1;
  struct stat info {};
  if (::fstat(folder, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
      (info.st_mode & 0777) == 0700) {
    return folder;
  }
  ::close(folder);
  return -1;
}

// Names the lock and the socket: a hash of the settings file's real path, links resolved, so
// that every way to the one file meets the one instance. The file need not exist yet.
std::string keyOf(const std::string& settingsFile) {
  std::error_code error;
  fs::path path = fs::weakly_canonical(fs::absolute(settingsFile, error), error);
  if (error) path = fs::path(settingsFile).lexically_normal();
  const QByteArray hash = QCryptographicHash::hash(QByteArray::fromStdString(path.string()),
                                                   QCryptographicHash::Sha256);
  return "kestro-" + hash.toHex().left(24).toStdString();
}

// Closes its descriptor at the end of its scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

int newSocket() { return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0); }

// False when the path does not fit (it always does: see socketPath()).
bool addressOf(const std::string& path, sockaddr_un& address) {
  address = {};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof(address.sun_path)) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

// Waits until `fd` is ready for `events` or the deadline passes.
bool ready(int fd, short events, Clock::time_point deadline) {
  pollfd wanted{fd, events, 0};
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    const int result = ::poll(&wanted, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
    if (result > 0) return true;
    if (result == 0 || errno != EINTR) return false;
  }
}

// Whether a first instance listens at `path` and answers, before the deadline, that it came
// forward. Neither the connection nor the answer can make the caller wait longer: a stopped
// first instance takes connections into its queue without ever answering, and a full queue
// refuses them at once.
bool askToComeForward(const std::string& path, Clock::time_point deadline) {
  sockaddr_un address;
  const Descriptor socket(newSocket());
  if (socket.get() < 0 || !addressOf(path, address)) return false;
  if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    int error = errno;
    socklen_t size = sizeof error;
    if (error != EINPROGRESS || !ready(socket.get(), POLLOUT, deadline) ||
        ::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
      return false;
    }
  }
  char answer = 0;
  return ready(socket.get(), POLLIN, deadline) && ::read(socket.get(), &answer, 1) == 1;
}

}  // namespace

int openInstanceFolder(const std::string& runtime, const std::string& cache) {
  if (const int folder = openPrivateFolder(runtime); folder >= 0) return folder;
  if (!absolute(cache)) return -1;
  std::error_code ignored;
  fs::create_directories(cache, ignored);
  const std::string own = cache + "/kestro";
  ::mkdir(own.c_str(), 0700);
  return openPrivateFolder(own);
}

int openInstanceFolder() {
  const auto variable = [](const char* name) -> std::string {
    const char* value = std::getenv(name);
    return value ? value : "";
  };
  std::string cache = variable("XDG_CACHE_HOME");
  if (!absolute(cache) && absolute(variable("HOME"))) cache = variable("HOME") + "/.cache";
  return openInstanceFolder(variable("XDG_RUNTIME_DIR"), cache);
}

SingleInstance::SingleInstance(const std::string& settingsFile, int folder, QObject* parent)
    : QObject(parent), key_(keyOf(settingsFile)), folder_(folder) {}

SingleInstance::~SingleInstance() {
  notifier_.reset();
  if (listener_ >= 0) {
    ::close(listener_);
    ::unlinkat(folder_, (key_ + ".socket").c_str(), 0);
  }
  // Removed while still held, so that the next start makes a new lock file.
  if (lock_ >= 0) {
    ::unlinkat(folder_, (key_ + ".lock").c_str(), 0);
    ::close(lock_);
  }
  if (folder_ >= 0) ::close(folder_);
}

std::string SingleInstance::socketPath() const {
  return "/proc/self/fd/" + std::to_string(folder_) + "/" + key_ + ".socket";
}

bool SingleInstance::tryLock() {
  const std::string name = key_ + ".lock";
  for (;;) {
    Descriptor lock(::openat(folder_, name.c_str(),
                             O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600));
    if (lock.get() < 0) return true;  // no lock to be had: run unguarded rather than not at all
    if (::flock(lock.get(), LOCK_EX | LOCK_NB) != 0) return errno != EWOULDBLOCK;
    // The holder may have removed the file as it ended, after this start opened it: the lock
    // counts only on the file that still has the name.
    struct stat held {};
    struct stat named {};
    if (::fstat(lock.get(), &held) == 0 &&
        ::fstatat(folder_, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
      lock_ = lock.release();
      return true;
    }
  }
}

SingleInstance::Claim SingleInstance::claim(std::chrono::milliseconds patience) {
  if (folder_ < 0) return Claim::First;
  const Clock::time_point deadline = Clock::now() + patience;
  for (;;) {
    if (tryLock()) {
      if (lock_ >= 0) listen();
      return Claim::First;
    }
    if (askToComeForward(socketPath(), deadline)) return Claim::Forwarded;
    // The holder may still be starting and not listening yet.
    if (Clock::now() >= deadline) return Claim::NoAnswer;
    QThread::msleep(50);
  }
}

void SingleInstance::listen() {
  sockaddr_un address;
  // A socket left by a holder that died is in the way of the new one.
  ::unlinkat(folder_, (key_ + ".socket").c_str(), 0);
  // Not blocking: a caller that gave up before its connection was taken leaves nothing to
  // accept, and the window must not wait for one.
  Descriptor socket(newSocket());
  if (socket.get() < 0 || !addressOf(socketPath(), address) ||
      ::bind(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(socket.get(), 8) != 0) {
    return;
  }
  listener_ = socket.release();
  notifier_ = std::make_unique<QSocketNotifier>(listener_, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { answer(); });
}

void SingleInstance::answer() {
  const Descriptor connection(::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
  if (connection.get() < 0) return;
  // A start that gave up waiting (this process was stopped or busy) has closed its end: its
  // request is over, and the window stays where it is.
  char ignored = 0;
  if (::recv(connection.get(), &ignored, 1, MSG_PEEK | MSG_DONTWAIT) == 0) return;
  emit comeForward();
  // The answer says the window came forward; a caller that gave up is not waited for.
  ::send(connection.get(), "!", 1, MSG_NOSIGNAL);
}

}  // namespace kestro::app
