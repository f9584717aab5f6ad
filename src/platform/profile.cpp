// Reading and writing values of an INI file. Every call reads the whole file once and walks
// its lines once; a write builds the new text in one piece, changes nothing but the values it
// sets and the lines it adds, and puts the text in place with a rename, so nobody ever meets
// half a file.
#include "platform/profile.h"

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
#include <cstring>
#include <memory>
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

// The name a section header line opens, up to its last "]" (so any name without a line
// break reads back as written).
std::optional<std::string_view> sectionHeader(std::string_view text) {
  text = trimBlanks(text);
  if (text.empty() || text.front() != '[') return std::nullopt;
  const std::size_t close = text.rfind(']');
  if (close == std::string_view::npos) return std::nullopt;
  return trimBlanks(text.substr(1, close - 1));
}

// A value as the read hands it over.
std::string_view asRead(std::string_view raw) { return withoutQuotes(trimBlanks(raw)); }

// One key a write asks for, and where it stands in the file.
struct KeyWork {
  std::string_view key;
  std::string_view value;  // the last entry's for this key
  bool found = false;
  bool hasEquals = true;       // false: a line with the key's name alone
  std::size_t valueBegin = 0;  // just after the key's "=", or the line's end without one
  std::size_t valueEnd = 0;    // the key line's line end
};

// One section a write asks for, and where its missing keys go.
struct SectionWork {
  std::string_view name;
  std::vector<KeyWork> keys;
  bool found = false;
  std::size_t insertAt = 0;             // just after the section's last non-blank line
  bool insertAfterUnendedLine = false;  // that line ends the file without a line end
  std::string_view lineEnd;             // the line end of that line, or of one before it
};

// The name a line inside a section gives a key: the text before its first "=", or the whole
// line where there is no "=". Empty for a blank line.
std::string_view keyName(std::string_view text, std::size_t equals) {
  return trimBlanks(equals == std::string_view::npos ? text : text.substr(0, equals));
}

// Walks the file once and marks, for every section and key asked for, the first place of its
// name. The first section of a name counts, and the first key of a name inside it.
void locate(std::string_view file, std::vector<SectionWork>& sections, std::string_view& lastEnd) {
  Lines lines(file);
  SectionWork* current = nullptr;
  std::size_t next = file.starts_with(kUtf8Signature) ? kUtf8Signature.size() : 0;
  while (next < file.size()) {
    const Line line = lines.at(next);
    next = line.end;
    const std::string_view text = file.substr(line.begin, line.textEnd - line.begin);
    const std::string_view ending = file.substr(line.textEnd, line.end - line.textEnd);
    if (!ending.empty()) lastEnd = ending;
    const auto markInsert = [&] {
      current->insertAt = line.end;
      current->insertAfterUnendedLine = ending.empty();
      if (!ending.empty()) current->lineEnd = ending;
    };
    if (const std::optional<std::string_view> name = sectionHeader(text)) {
      current = nullptr;
      for (SectionWork& section : sections) {
        if (!section.found && core::equalsIgnoringCase(*name, section.name)) {
          section.found = true;
          current = &section;
          if (current->lineEnd.empty()) current->lineEnd = lastEnd;
          markInsert();
          break;
        }
      }
      continue;
    }
    if (current == nullptr) continue;
    const std::size_t equals = text.find('=');
    const std::string_view name = keyName(text, equals);
    if (name.empty() && equals == std::string_view::npos) continue;  // a blank line
    markInsert();
    for (KeyWork& key : current->keys) {
      if (!key.found && core::equalsIgnoringCase(name, key.key)) {
        key.found = true;
        key.hasEquals = equals != std::string_view::npos;
        key.valueBegin = key.hasEquals ? line.begin + equals + 1 : line.textEnd;
        key.valueEnd = line.textEnd;
        break;
      }
    }
  }
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

// Why a file in the settings file's place cannot be one: errno for a folder or another
// object that is not a regular file, 0 for a regular file.
int notARegularFile(const struct stat& info) {
  if (S_ISREG(info.st_mode)) return 0;
  return S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
}

// The whole of a regular file of at most kProfileMaxBytes; nothing when it cannot be read,
// errno telling why.
std::optional<std::string> readWholeFile(const char* path, struct stat& info) {
  // Not blocking keeps a named pipe in the file's place from hanging the program.
  const Descriptor file(::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!file || ::fstat(file.get(), &info) != 0) return std::nullopt;
  if (const int error = notARegularFile(info)) {
    errno = error;
    return std::nullopt;
  }
  if (static_cast<std::uint64_t>(info.st_size) > kProfileMaxBytes) {
    errno = EFBIG;
    return std::nullopt;
  }
  // One byte more than its size, so a file that has not grown is read in one call; one that
  // grows while it is read is read up to the limit and no further.
  std::string text(static_cast<std::size_t>(info.st_size) + 1, '\0');
  std::size_t used = 0;
  for (;;) {
    if (used == text.size()) {
      if (used > kProfileMaxBytes) {
        errno = EFBIG;
        return std::nullopt;
      }
      text.resize(std::min<std::size_t>(text.size() * 2, kProfileMaxBytes + 1));
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

bool holdsLineBreak(std::string_view text) {
  return text.find_first_of(kLineBreaks) != std::string_view::npos;
}

// A section, key or value that would not come back as written: a line break splits its line,
// a key holding "=" would be cut at it, one starting with "[" could read as a section.
bool wouldCorrupt(std::string_view section, std::string_view key, std::string_view value) {
  return holdsLineBreak(section) || holdsLineBreak(key) || holdsLineBreak(value) || key.empty() ||
         key.find('=') != std::string_view::npos || key.front() == '[';
}

// The entries grouped by section and key, in the order of their first entry; a later entry
// for a key replaces an earlier one's value.
std::vector<SectionWork> groupEntries(std::span<const ProfileEntry> entries) {
  std::vector<SectionWork> sections;
  for (const ProfileEntry& entry : entries) {
    auto section = std::ranges::find_if(sections, [&](const SectionWork& known) {
      return core::equalsIgnoringCase(known.name, entry.section);
    });
    if (section == sections.end()) {
      section = sections.emplace(sections.end());
      section->name = entry.section;
    }
    auto key = std::ranges::find_if(section->keys, [&](const KeyWork& known) {
      return core::equalsIgnoringCase(known.key, entry.key);
    });
    if (key == section->keys.end()) {
      key = section->keys.emplace(section->keys.end());
      key->key = entry.key;
    }
    key->value = entry.value;
  }
  return sections;
}

// Where each key asked for stands, in the order asked: its value, or nothing when it is
// missing or has none. One walk of the file finds them all.
std::vector<std::optional<std::string_view>> findValues(std::string_view file,
                                                        std::span<const ProfileEntry> asked) {
  std::vector<SectionWork> sections = groupEntries(asked);
  std::string_view lastEnd;
  locate(file, sections, lastEnd);
  std::vector<std::optional<std::string_view>> values;
  values.reserve(asked.size());
  for (const ProfileEntry& entry : asked) {
    const auto section = std::ranges::find_if(sections, [&](const SectionWork& known) {
      return core::equalsIgnoringCase(known.name, entry.section);
    });
    const auto key = std::ranges::find_if(section->keys, [&](const KeyWork& known) {
      return core::equalsIgnoringCase(known.key, entry.key);
    });
    if (!key->found || !key->hasEquals) {
      values.emplace_back();
      continue;
    }
    values.emplace_back(file.substr(key->valueBegin, key->valueEnd - key->valueBegin));
  }
  return values;
}

// One change of the old text: `text` replaces its bytes [at, end).
struct Change {
  std::size_t at;
  std::size_t end;
  std::string text;
};

// The new text in pieces: the old text's unchanged parts and the changes between them. The
// pieces go to the file as they are, so a large file is not copied once more to be written.
class EditedText {
 public:
  EditedText(std::string_view old, std::vector<Change> changes) : changes_(std::move(changes)) {
    std::size_t copied = 0;
    for (const Change& change : changes_) {
      pieces_.push_back(old.substr(copied, change.at - copied));
      pieces_.push_back(change.text);
      copied = change.end;
    }
    pieces_.push_back(old.substr(copied));
  }
  EditedText(const EditedText&) = delete;
  EditedText& operator=(const EditedText&) = delete;

  bool writeTo(int fd) const {
    return std::ranges::all_of(pieces_,
                               [fd](std::string_view piece) { return writeAll(fd, piece); });
  }
  std::string joined() const {
    std::string text;
    for (const std::string_view piece : pieces_) text.append(piece);
    return text;
  }

 private:
  std::vector<Change> changes_;  // the pieces point into their texts
  std::vector<std::string_view> pieces_;
};

// The file's text with every entry holding, or nothing when every key reads as asked already.
std::unique_ptr<EditedText> editedText(std::string_view file,
                                       std::span<const ProfileEntry> entries) {
  std::vector<SectionWork> sections = groupEntries(entries);
  std::string_view lastEnd;
  locate(file, sections, lastEnd);
  if (lastEnd.empty()) lastEnd = "\n";

  // Changes at one place keep their order.
  std::vector<Change> changes;
  const auto keyLines = [](const SectionWork& section, std::string_view lineEnd) {
    std::string text;
    for (const KeyWork& key : section.keys) {
      if (!key.found) text.append(key.key).append("=").append(key.value).append(lineEnd);
    }
    return text;
  };
  std::string newSections;
  for (const SectionWork& section : sections) {
    for (const KeyWork& key : section.keys) {
      if (!key.found) continue;
      const std::string_view old = file.substr(key.valueBegin, key.valueEnd - key.valueBegin);
      if (key.hasEquals && asRead(old) == asRead(key.value)) continue;
      changes.push_back(
          {key.valueBegin, key.valueEnd, (key.hasEquals ? "" : "=") + std::string(key.value)});
    }
    if (section.found) {
      const std::string_view lineEnd = section.lineEnd.empty() ? lastEnd : section.lineEnd;
      std::string added = keyLines(section, lineEnd);
      if (added.empty()) continue;
      if (section.insertAfterUnendedLine) added.insert(0, lineEnd);
      changes.push_back({section.insertAt, section.insertAt, std::move(added)});
    } else {
      newSections.append("[").append(section.name).append("]").append(lastEnd);
      newSections.append(keyLines(section, lastEnd));
    }
  }
  if (!newSections.empty()) {
    if (!file.empty() && !holdsLineBreak(file.substr(file.size() - 1))) {
      newSections.insert(0, lastEnd);
    }
    changes.push_back({file.size(), file.size(), std::move(newSections)});
  }
  if (changes.empty()) return nullptr;
  std::ranges::stable_sort(changes, {}, &Change::at);
  return std::make_unique<EditedText>(file, std::move(changes));
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
    lockFile_ = ::open((target + std::string(kProfileLockSuffix)).c_str(),
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
bool writeInPlace(const std::string& target, std::string_view old, const EditedText& edited) {
  const std::string text = edited.joined();
  Descriptor file(
      ::open(target.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666));
  if (!file) return false;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) return false;
  if (const int error = notARegularFile(info)) {
    errno = error;
    return false;
  }
  // Under the lock only an editor that takes no lock can have changed the file since it was
  // read; its change is not overwritten blindly.
  if (static_cast<std::size_t>(info.st_size) != old.size()) {
    errno = EBUSY;
    return false;
  }
  const pid_t child = ::fork();
  if (child < 0) {  // no process to spare: the rewrite runs here
    const int error = rewriteInPlace(file.get(), old, text);
    errno = error;
    return error == 0 && file.close();
  }
  if (child == 0) {
    ::setsid();
    // A file-size limit must fail the write, which then puts the old size back.
    ::signal(SIGXFSZ, SIG_IGN);
    _exit(rewriteInPlace(file.get(), old, text));
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
// target's status and `old` its text; `existing` is null when it does not exist yet.
bool replaceFile(const std::string& target, const struct stat* existing, std::string_view old,
                 const EditedText& text) {
  // A file made read-only stays unwritten, although its folder would let us replace it.
  if (existing != nullptr && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
    return false;
  }
  const std::string temp = target + std::string(kProfileTempSuffix);
  // Private until it carries the target's bits; a new file gets the usual ones.
  Descriptor file(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                         existing ? 0600 : 0666));
  // EEXIST: a leftover the lock let us try to remove, in a folder that would not let us.
  if (!file) {
    return (cannotReplaceHere(errno) || errno == EEXIST) && writeInPlace(target, old, text);
  }
  // Changing the owner may clear the set-id bits, so the bits come after it.
  if (existing != nullptr) takeOwner(file.get(), *existing);
  const bool written =
      (existing == nullptr || ::fchmod(file.get(), existing->st_mode & 07777) == 0) &&
      text.writeTo(file.get()) && ::fsync(file.get()) == 0 && file.close();
  if (written && ::rename(temp.c_str(), target.c_str()) == 0) {
    flushFolderOf(target);
    return true;
  }
  const int error = errno;
  ::unlink(temp.c_str());
  // A folder that lets us make files but not replace this one (sticky, owned by another).
  if (written && cannotReplaceHere(error)) return writeInPlace(target, old, text);
  errno = error;
  return false;
}

// Applies the entries to the file with one replacement; 0, or the errno of the failure.
int writeEntries(const char* file, std::span<const ProfileEntry> entries) {
  if (*file == '\0') return ENOENT;
  const std::optional<std::string> target = linkTarget(file);
  if (!target) return errno;
  WriterLock lock;
  if (!lock.acquire(*target)) return errno;
  // Holding the lock, no writer is busy: a temporary file now is a killed writer's leftover.
  ::unlink((*target + std::string(kProfileTempSuffix)).c_str());

  struct stat info {};
  const std::optional<std::string> old = readWholeFile(target->c_str(), info);
  if (!old && errno != ENOENT) return errno;
  const std::string_view oldText = old ? std::string_view(*old) : std::string_view{};
  const std::unique_ptr<EditedText> edited = editedText(oldText, entries);
  if (!edited) return 0;
  return replaceFile(*target, old ? &info : nullptr, oldText, *edited) ? 0 : errno;
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
    const ProfileEntry asked{trimBlanks(section), trimBlanks(key), {}};
    if (const std::optional<std::string_view> raw = findValues(*text, {&asked, 1}).front()) {
      result = asRead(*raw);
    }
  }
  const std::size_t count = result.copy(buffer, std::min<std::size_t>(result.size(), size - 1));
  buffer[count] = '\0';
  return count;
}

std::vector<std::optional<std::string>> GetPrivateProfileStrings(const char* file,
                                                                 std::span<const ProfileKey> keys) {
  std::vector<std::optional<std::string>> values(keys.size());
  struct stat info {};
  const std::optional<std::string> text =
      file != nullptr ? readWholeFile(file, info) : std::nullopt;
  if (!text) return values;
  std::vector<ProfileEntry> asked;
  asked.reserve(keys.size());
  for (const ProfileKey& key : keys) {
    asked.push_back({trimBlanks(key.section), trimBlanks(key.key), {}});
  }
  const std::vector<std::optional<std::string_view>> raw = findValues(*text, asked);
  for (std::size_t index = 0; index < keys.size(); ++index) {
    if (raw[index]) values[index] = std::string(asRead(*raw[index]));
  }
  return values;
}

std::vector<int> WritePrivateProfileStrings(const char* file,
                                            std::span<const ProfileEntry> entries) {
  std::vector<int> errors(entries.size(), 0);
  std::vector<ProfileEntry> accepted;
  std::vector<std::size_t> acceptedIndex;
  for (std::size_t index = 0; index < entries.size(); ++index) {
    const ProfileEntry& entry = entries[index];
    const std::string_view key = trimBlanks(entry.key);
    if (wouldCorrupt(entry.section, key, entry.value)) {
      errors[index] = EINVAL;
      continue;
    }
    accepted.push_back({trimBlanks(entry.section), key, entry.value});
    acceptedIndex.push_back(index);
  }
  if (accepted.empty()) return errors;
  const int error = file == nullptr ? EINVAL : writeEntries(file, accepted);
  for (const std::size_t index : acceptedIndex) errors[index] = error;
  return errors;
}

int WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                               const char* file) {
  if (section == nullptr || key == nullptr || value == nullptr || file == nullptr) {
    errno = EINVAL;
    return 0;
  }
  const ProfileEntry entry{section, key, value};
  const int error = WritePrivateProfileStrings(file, {&entry, 1}).front();
  if (error == 0) return 1;
  errno = error;
  return 0;
}

}  // namespace kestro::platform
