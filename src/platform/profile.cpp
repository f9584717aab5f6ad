// Reading and writing one value of an INI file. Every call reads the whole file once and walks
// its lines once; a write builds the new text in one piece, changes nothing but the one value
// or the one added line, and puts the text in place with a rename, so nobody ever meets half
// a file.
#include "platform/profile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "core/text.h"
#include "platform/fileio.h"

namespace kestro::platform {
namespace {

using core::trimBlanks;
using core::trimTrailingBlanks;

constexpr std::string_view kLineBreaks = "\r\n";
// Editors that save "UTF-8 with signature" put these bytes before the first section.
constexpr std::string_view kUtf8Signature = "\xEF\xBB\xBF";
constexpr int kMaxLinkHops = 40;
constexpr std::chrono::milliseconds kLockRetryPause{5};

std::string_view withoutQuotes(std::string_view value) {
  const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                      value.back() == value.front();
  return quoted ? value.substr(1, value.size() - 2) : value;
}

// One line of the file: [begin, textEnd) is its text, [textEnd, end) its line end.
struct Line {
  std::size_t begin = 0;
  std::size_t textEnd = 0;
  std::size_t end = 0;
};

// Walks a text line by line at the speed of memchr: LFs are looked up ahead, CRs only within
// the line at hand, so LF, CRLF and CR files alike take one pass.
class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text), nextLf_(find('\n', 0, text.size())) {}

  Line at(std::size_t begin) {
    if (nextLf_ < begin) nextLf_ = find('\n', begin, text_.size());
    const std::size_t textEnd = find('\r', begin, nextLf_);
    if (textEnd == text_.size()) return {begin, textEnd, textEnd};
    std::size_t end = textEnd + 1;
    if (text_[textEnd] == '\r' && end < text_.size() && text_[end] == '\n') ++end;
    return {begin, textEnd, end};
  }

 private:
  // The first `letter` in [from, to), or `to`.
  std::size_t find(char letter, std::size_t from, std::size_t to) const {
    if (from >= to) return to;
    const void* found = std::memchr(text_.data() + from, letter, to - from);
    return found == nullptr
               ? to
               : static_cast<std::size_t>(static_cast<const char*>(found) - text_.data());
  }

  std::string_view text_;
  std::size_t nextLf_;
};

// The line end the file already uses; a file without one gets LF.
std::string_view lineEndOf(std::string_view file) {
  const Line first = Lines(file).at(0);
  return first.textEnd == first.end ? "\n" : file.substr(first.textEnd, first.end - first.textEnd);
}

// The name a section header line opens, up to its last "]" (so any name without a line
// break reads back as written).
std::optional<std::string_view> sectionHeader(std::string_view text) {
  text = trimBlanks(text);
  if (text.empty() || text.front() != '[') return std::nullopt;
  const std::size_t close = text.rfind(']');
  if (close == std::string_view::npos) return std::nullopt;
  return trimBlanks(text.substr(1, close - 1));
}

// Where a key stands in the file, or where a missing one goes.
struct Place {
  bool sectionFound = false;
  bool keyFound = false;
  std::size_t valueBegin = 0;           // just after the key's "="
  std::size_t valueEnd = 0;             // the key line's line end
  std::size_t insertAt = 0;             // just after the section's last non-blank line
  bool insertAfterUnendedLine = false;  // that line ends the file without a line end
};

Place findKey(std::string_view file, std::string_view section, std::string_view key) {
  Place place;
  const auto markInsert = [&place](const Line& line) {
    place.insertAt = line.end;
    place.insertAfterUnendedLine = line.textEnd == line.end;
  };
  Lines lines(file);
  std::size_t next = file.starts_with(kUtf8Signature) ? kUtf8Signature.size() : 0;
  while (next < file.size()) {
    const Line line = lines.at(next);
    next = line.end;
    const std::string_view text = file.substr(line.begin, line.textEnd - line.begin);
    if (const std::optional<std::string_view> name = sectionHeader(text)) {
      if (place.sectionFound) break;  // only the first section of the name counts
      if (core::equalsIgnoringCase(*name, section)) {
        place.sectionFound = true;
        markInsert(line);
      }
      continue;
    }
    if (!place.sectionFound) continue;
    const std::size_t equals = text.find('=');
    if (equals != std::string_view::npos &&
        core::equalsIgnoringCase(trimBlanks(text.substr(0, equals)), key)) {
      place.keyFound = true;
      place.valueBegin = line.begin + equals + 1;
      place.valueEnd = line.textEnd;
      return place;
    }
    if (!trimBlanks(text).empty()) markInsert(line);
  }
  return place;
}

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

// The whole of a regular file; nothing when it cannot be read, errno telling why.
std::optional<std::string> readWholeFile(const char* path, struct stat& info) {
  // Not blocking keeps a named pipe in the file's place from hanging the program.
  const Descriptor file(::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!file || ::fstat(file.get(), &info) != 0) return std::nullopt;
  if (!S_ISREG(info.st_mode)) {
    errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    return std::nullopt;
  }
  // One byte more than its size, so a file that has not grown is read in one call.
  std::string text(static_cast<std::size_t>(info.st_size) + 1, '\0');
  std::size_t used = 0;
  for (;;) {
    if (used == text.size()) text.resize(text.size() * 2);
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

bool holdsLineBreak(std::string_view text) {
  return text.find_first_of(kLineBreaks) != std::string_view::npos;
}

// A section, key or value that would not come back as written: a line break splits its line,
// a key holding "=" would be cut at it, one starting with "[" could read as a section.
bool wouldCorrupt(std::string_view section, std::string_view key, std::string_view value) {
  return holdsLineBreak(section) || holdsLineBreak(key) || holdsLineBreak(value) || key.empty() ||
         key.find('=') != std::string_view::npos || key.front() == '[';
}

// The file's text with key=value holding, or nothing when the key holds that value already.
std::optional<std::string> editedText(std::string_view file, std::string_view section,
                                      std::string_view key, std::string_view value) {
  const Place place = findKey(file, section, key);
  const std::string_view lineEnd = lineEndOf(file);
  std::string edited;
  if (place.keyFound) {
    const std::string_view old = file.substr(place.valueBegin, place.valueEnd - place.valueBegin);
    if (old == value) return std::nullopt;
    edited.reserve(file.size() - old.size() + value.size());
    edited.append(file.substr(0, place.valueBegin))
        .append(value)
        .append(file.substr(place.valueEnd));
    return edited;
  }
  const std::size_t insertAt = place.sectionFound ? place.insertAt : file.size();
  const bool endLineFirst = place.sectionFound
                                ? place.insertAfterUnendedLine
                                : !file.empty() && !holdsLineBreak(file.substr(file.size() - 1));
  edited.reserve(file.size() + section.size() + key.size() + value.size() + 3 * lineEnd.size() + 3);
  edited.append(file.substr(0, insertAt));
  if (endLineFirst) edited.append(lineEnd);
  if (!place.sectionFound) edited.append("[").append(section).append("]").append(lineEnd);
  edited.append(key).append("=").append(value).append(lineEnd).append(file.substr(insertAt));
  return edited;
}

// The file that symbolic links starting at `path` end at; it need not exist yet.
std::optional<std::string> linkTarget(std::string path) {
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
      if (errno == ENOENT) return path;
      return std::nullopt;
    }
    if (S_ISDIR(info.st_mode)) {
      errno = EISDIR;
      return std::nullopt;
    }
    if (!S_ISLNK(info.st_mode)) return path;
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
    lockFile_ = ::open((target + std::string(kProfileLockSuffix)).c_str(),
                       O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    if (!lockFile_) {
      if (errno != EACCES && errno != EPERM && errno != EROFS) return false;
      // Where no lock file can be made, no temporary file can be either: every writer writes
      // in place, and a lock on the target itself holds.
      lockFile_ = ::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
      if (!lockFile_) return true;  // nothing to lock; the write itself fails and says why
    }
    // A copy of the program that hangs while holding the lock must not hang this one.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kProfileLockWaitMilliseconds);
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

bool writeInPlace(const std::string& target, std::string_view text) {
  Descriptor file(::open(target.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
  return file && writeAll(file.get(), text) &&
         ::ftruncate(file.get(), static_cast<off_t>(text.size())) == 0 && file.close();
}

// Gives the file the target's owner and group where the system allows: only the superuser
// may give a file away, others may still pass on a group they belong to. Failing that, the
// file stays the writer's own.
bool takeOwner(int fd, const struct stat& target) {
  return ::fchown(fd, target.st_uid, target.st_gid) == 0 ||
         ::fchown(fd, static_cast<uid_t>(-1), target.st_gid) == 0;
}

bool cannotReplaceHere(int error) { return error == EACCES || error == EPERM; }

// Puts `text` in the target's place through a temporary file beside it. `existing` is the
// target's status, null when it does not exist yet.
bool replaceFile(const std::string& target, const struct stat* existing, std::string_view text) {
  // A file made read-only stays unwritten, although its folder would let us replace it.
  if (existing != nullptr && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
    return false;
  }
  const std::string temp = target + std::string(kProfileTempSuffix);
  // Private until it carries the target's bits; a new file gets the usual ones.
  Descriptor file(
      ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, existing ? 0600 : 0666));
  // EEXIST: a leftover the lock let us try to remove, in a folder that would not let us.
  if (!file) return (cannotReplaceHere(errno) || errno == EEXIST) && writeInPlace(target, text);
  // Changing the owner may clear the set-id bits, so the bits come after it.
  if (existing != nullptr) takeOwner(file.get(), *existing);
  const bool written =
      (existing == nullptr || ::fchmod(file.get(), existing->st_mode & 07777) == 0) &&
      writeAll(file.get(), text) && file.close();
  if (written && ::rename(temp.c_str(), target.c_str()) == 0) return true;
  const int error = errno;
  ::unlink(temp.c_str());
  // A folder that lets us make files but not replace this one (sticky, owned by another).
  if (written && cannotReplaceHere(error)) return writeInPlace(target, text);
  errno = error;
  return false;
}

}  // namespace

unsigned long GetPrivateProfileStringA(const char* section, const char* key,
                                       const char* defaultValue, char* buffer, unsigned long size,
                                       const char* file) {
  if (buffer == nullptr || size == 0) return 0;
  buffer[0] = '\0';
  if (section == nullptr || key == nullptr) {
    errno = EINVAL;
    return 0;
  }
  std::string_view result = trimTrailingBlanks(defaultValue != nullptr ? defaultValue : "");
  struct stat info {};
  const std::optional<std::string> text =
      file != nullptr ? readWholeFile(file, info) : std::nullopt;
  if (text) {
    const Place place = findKey(*text, trimBlanks(section), trimBlanks(key));
    if (place.keyFound) {
      const std::string_view raw{text->data() + place.valueBegin,
                                 place.valueEnd - place.valueBegin};
      result = withoutQuotes(trimBlanks(raw));
    }
  }
  const std::size_t count = result.copy(buffer, std::min<std::size_t>(result.size(), size - 1));
  buffer[count] = '\0';
  return count;
}

int WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                               const char* file) {
  if (section == nullptr || key == nullptr || value == nullptr || file == nullptr) {
    errno = EINVAL;
    return 0;
  }
  if (*file == '\0') {
    errno = ENOENT;
    return 0;
  }
  const std::string_view sectionName = trimBlanks(section);
  const std::string_view keyName = trimBlanks(key);
  if (wouldCorrupt(section, keyName, value)) {
    errno = EINVAL;
    return 0;
  }
  const std::optional<std::string> target = linkTarget(file);
  if (!target) return 0;
  WriterLock lock;
  if (!lock.acquire(*target)) return 0;
  // Holding the lock, no writer is busy: a temporary file now is a killed writer's leftover.
  ::unlink((*target + std::string(kProfileTempSuffix)).c_str());

  struct stat info {};
  const std::optional<std::string> old = readWholeFile(target->c_str(), info);
  if (!old && errno != ENOENT) return 0;
  const std::optional<std::string> edited =
      editedText(old ? *old : std::string_view{}, sectionName, keyName, value);
  if (!edited) return 1;
  return replaceFile(*target, old ? &info : nullptr, *edited) ? 1 : 0;
}

}  // namespace kestro::platform
