// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a small file whole and replacing it durably: a rename of a flushed temporary file
// where the folder allows one, else a rewrite in place by a process no kill can stop.
#include "platform/durablefile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "platform/fileio.h"

namespace kestro::platform {
namespace {

constexpr int kMaxLinkHops = 40;
constexpr std::chrono::milliseconds kLockRetryPause{5};

// Closes its descriptor at the end of its scope without disturbing errno, which by then
// names the reason a call failed.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() {
    const int error = errno;
    close();
    errno = error;
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  Descriptor& operator=(int fd) {
    close();
    fd_ = fd;
    return *this;
  }

  explicit operator bool() const { return fd_ >= 0; }
  int get() const { return fd_; }
  bool close() {
    const int fd = std::exchange(fd_, -1);
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Why a file in the settings file's place cannot be one: errno for a folder or another
// object that is not a regular file, 0 for a regular file.
int notARegularFile(const struct stat& info) {
  if (S_ISREG(info.st_mode)) return 0;
  return S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
}

// The whole of a regular file of at most kDurableMaxBytes; nothing when it cannot be read,
// errno telling why.
std::optional<std::string> readWholeFile(const char* path, struct stat& info) {
  // Not blocking keeps a named pipe in the file's place from hanging the program.
  const Descriptor file(::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!file || ::fstat(file.get(), &info) != 0) return std::nullopt;
  if (const int error = notARegularFile(info)) {
    errno = error;
    return std::nullopt;
  }
  if (static_cast<std::uint64_t>(info.st_size) > kDurableMaxBytes) {
    errno = EFBIG;
    return std::nullopt;
  }
  // One byte more than its size, so a file that has not grown is read in one call; one that
  // grows while it is read is read up to the limit and no further. The room after it lets an
  // edit that adds a few lines keep the text where it is.
  std::string text;
  text.reserve(static_cast<std::size_t>(info.st_size) + 4096);
  text.resize(static_cast<std::size_t>(info.st_size) + 1);
  std::size_t used = 0;
  for (;;) {
    if (used == text.size()) {
      if (used > kDurableMaxBytes) {
        errno = EFBIG;
        return std::nullopt;
      }
      text.resize(std::min<std::size_t>(text.size() * 2, kDurableMaxBytes + 1));
    }
    const ssize_t count = ::read(file.get(), text.data() + used, text.size() - used);
    if (count == 0) break;
    if (count < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    used += static_cast<std::size_t>(count);
  }
  text.resize(used);
  return text;
}

// The file that symbolic links starting at `path` end at; it need not exist yet, and where it
// exists it is a regular file.
std::optional<std::string> linkTarget(std::string path) {
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
      if (errno == ENOENT) return path;
      return std::nullopt;
    }
    if (!S_ISLNK(info.st_mode)) {
      if (const int error = notARegularFile(info)) {
        errno = error;
        return std::nullopt;
      }
      return path;
    }
    std::string link(static_cast<std::size_t>(info.st_size) + 1, '\0');
    ssize_t length = 0;
    while ((length = ::readlink(path.c_str(), link.data(), link.size())) >=
           static_cast<ssize_t>(link.size())) {
      link.resize(link.size() * 2);
    }
    if (length <= 0) return std::nullopt;
    link.resize(static_cast<std::size_t>(length));
    const std::size_t slash = path.rfind('/');
    if (link.front() == '/' || slash == std::string::npos) {
      path = std::move(link);
    } else {
      path = path.substr(0, slash + 1) + link;
    }
  }
  errno = ELOOP;
  return std::nullopt;
}

// The writers' lock: an advisory lock on a lock file beside the target. A rename replaces the
// target but never the lock file, so every writer locks the same file.
class WriterLock {
 public:
  bool acquire(const std::string& target) {
    // Neither a link nor a named pipe planted in the lock file's place is followed or waited on.
    lockFile_ = ::open((target + std::string(kLockSuffix)).c_str(),
                       O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (!lockFile_) {
      if (errno != EACCES && errno != EPERM && errno != EROFS) return false;
      // Where no lock file can be made, no temporary file can be either: every writer writes
      // in place, and a lock on the target itself holds.
      lockFile_ = ::open(target.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
      if (!lockFile_) return true;  // nothing to lock; the write itself fails and says why
    }
    struct stat info {};
    if (::fstat(lockFile_.get(), &info) != 0) return false;
    if (!S_ISREG(info.st_mode)) {
      errno = ENOLCK;
      return false;
    }
    // A copy of the program that hangs while holding the lock must not hang this one.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kLockWaitMilliseconds);
    while (::flock(lockFile_.get(), LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) return false;
      if (std::chrono::steady_clock::now() >= deadline) {
        errno = EWOULDBLOCK;
        return false;
      }
      std::this_thread::sleep_for(kLockRetryPause);
    }
    return true;  // closing the descriptor releases the lock
  }

 private:
  Descriptor lockFile_;
};

// Writes all of `bytes` at `offset`; false with errno set when a write fails.
bool writeAllAt(int fd, std::string_view bytes, std::size_t offset) {
  while (!bytes.empty()) {
    const ssize_t written = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
    offset += static_cast<std::size_t>(written);
  }
  return true;
}

// Turns the file's `old` text into `text` where it stands; 0, or the errno of the failure.
// A longer text first writes its part past the old end, which takes the space it needs; when
// that fails the file is cut back to its old size, untouched. Only then are the bytes from
// the first change on overwritten, in space the file has already.
int rewriteInPlace(int fd, std::string_view old, std::string_view text) {
  const std::size_t kept =
      static_cast<std::size_t>(std::ranges::mismatch(old, text).in1 - old.begin());
  if (text.size() > old.size() && !writeAllAt(fd, text.substr(old.size()), old.size())) {
    const int error = errno;
    return ::ftruncate(fd, static_cast<off_t>(old.size())) == 0 ? error : errno;
  }
  const std::size_t overlap = std::min(old.size(), text.size());
  if (kept < overlap && !writeAllAt(fd, text.substr(kept, overlap - kept), kept)) return errno;
  if (text.size() < old.size() && ::ftruncate(fd, static_cast<off_t>(text.size())) != 0) {
    return errno;
  }
  return ::fsync(fd) == 0 ? 0 : errno;
}

// The in-place rewrite runs in a child of its own session, so that neither a kill of the
// program nor a signal to its process group stops it half way: the kernel may end a killed
// process's write part way, and an in-place write has no old file to fall back on. The child
// calls nothing but the system, as a child of a process with threads must.
bool writeInPlace(const std::string& target, std::size_t oldSize, std::string_view text) {
  Descriptor file(
      ::open(target.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666));
  if (!file) return false;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) return false;
  if (const int error = notARegularFile(info)) {
    errno = error;
    return false;
  }
  // The edit took the text it was read as; the bytes in place are read again, to write from
  // the first change on. Under the lock only an editor that takes no lock can have changed the
  // file since the first read; its change is not overwritten blindly.
  struct stat readInfo {};
  const std::optional<std::string> old = readWholeFile(target.c_str(), readInfo);
  if (!old) return false;
  if (static_cast<std::size_t>(info.st_size) != oldSize || old->size() != oldSize) {
    errno = EBUSY;
    return false;
  }
  const pid_t child = ::fork();
  if (child < 0) {  // no process to spare: the rewrite runs here
    const int error = rewriteInPlace(file.get(), *old, text);
    errno = error;
    return error == 0 && file.close();
  }
  if (child == 0) {
    ::setsid();
    // A file-size limit must fail the write, which then puts the old size back.
    ::signal(SIGXFSZ, SIG_IGN);
    _exit(rewriteInPlace(file.get(), *old, text));
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  if (!WIFEXITED(status)) {
    errno = EIO;
    return false;
  }
  errno = WEXITSTATUS(status);
  return errno == 0 && file.close();
}

// Gives the file the target's owner and group where the system allows: only the superuser
// may give a file away, others may still pass on a group they belong to. Failing that, the
// file stays the writer's own.
bool takeOwner(int fd, const struct stat& target) {
  return ::fchown(fd, target.st_uid, target.st_gid) == 0 ||
         ::fchown(fd, static_cast<uid_t>(-1), target.st_gid) == 0;
}

bool cannotReplaceHere(int error) { return error == EACCES || error == EPERM; }

// Flushes the folder that holds `path`, so that a rename into it survives a crash. Where the
// system cannot flush a folder the rename stands all the same.
void flushFolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder =
      slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  const Descriptor handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (handle) ::fsync(handle.get());
}

// Puts `text` in the target's place through a temporary file beside it. `existing` is the
// target's status, null when it does not exist yet.
bool replaceFile(const std::string& target, const struct stat* existing, std::string_view text) {
  // A file made read-only stays unwritten, although its folder would let us replace it.
  if (existing != nullptr && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
    return false;
  }
  const std::string temp = target + std::string(kTempSuffix);
  // Private until it carries the target's bits; a new file gets the usual ones.
  Descriptor file(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                         existing ? 0600 : 0666));
  // EEXIST: a leftover the lock let us try to remove, in a folder that would not let us.
  if (!file) {
    return (cannotReplaceHere(errno) || errno == EEXIST) &&
           writeInPlace(target, existing ? static_cast<std::size_t>(existing->st_size) : 0, text);
  }
  // Changing the owner may clear the set-id bits, so the bits come after it.
  if (existing != nullptr) takeOwner(file.get(), *existing);
  const bool written =
      (existing == nullptr || ::fchmod(file.get(), existing->st_mode & 07777) == 0) &&
      writeAll(file.get(), text) && ::fsync(file.get()) == 0 && file.close();
  if (written && ::rename(temp.c_str(), target.c_str()) == 0) {
    flushFolderOf(target);
    return true;
  }
  const int error = errno;
  ::unlink(temp.c_str());
  // A folder that lets us make files but not replace this one (sticky, owned by another).
  if (written && cannotReplaceHere(error))
    return writeInPlace(target, existing ? static_cast<std::size_t>(existing->st_size) : 0, text);
  errno = error;
  return false;
}
}  // namespace

std::optional<std::string> readWholeFile(const char* path) {
  struct stat info {};
  return readWholeFile(path, info);
}

int rewriteFile(const char* path, const TextEdit& edit) {
  if (path == nullptr) return EINVAL;
  if (*path == '\0') return ENOENT;
  const std::optional<std::string> target = linkTarget(path);
  if (!target) return errno;
  WriterLock lock;
  if (!lock.acquire(*target)) return errno;
  // Holding the lock, no writer is busy: a temporary file now is a killed writer's leftover.
  ::unlink((*target + std::string(kTempSuffix)).c_str());

  struct stat info {};
  std::optional<std::string> text = readWholeFile(target->c_str(), info);
  if (!text && errno != ENOENT) return errno;
  const bool existed = text.has_value();
  if (!text) text.emplace();
  if (!edit(*text)) return 0;
  return replaceFile(*target, existed ? &info : nullptr, *text) ? 0 : errno;
}

}  // namespace kestro::platform
