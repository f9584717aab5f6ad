// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/starter.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/close_range.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "platform/fileio.h"

namespace kestro::platform {
namespace {

// What the started side tells the caller through the pipe when it fails before exec.
struct ChildFailure {
  enum Stage : int { Fork, Files, Folder, Exec } stage;
  int error;
};

[[noreturn]] void failChild(int pipe, ChildFailure::Stage stage) {
  const ChildFailure failure{stage, errno};
  [[maybe_unused]] const ssize_t ignored = ::write(pipe, &failure, sizeof failure);
  ::_exit(127);
}

// Where every descriptor number is tried one by one, none above this is: the limit of open
// files can be set far beyond what a process opens.
constexpr long kHighestDescriptorTried = 1L << 20;

bool closeOnExec(int fd) { return ::fcntl(fd, F_SETFD, FD_CLOEXEC) == 0 || errno == EBADF; }

// Marks every descriptor from 3 on close-on-exec, so the program inherits none of ours while
// the report pipe stays open until exec. Kernels before 5.11 lack close_range's flag and
// older ones the call: then the numbers listed in /proc/self/fd, and without /proc every
// number up to the limit. Only async-signal-safe calls: it runs between fork and exec.
bool markInheritedCloseOnExec(long openLimit) {
  if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0) return true;
  if (errno != ENOSYS && errno != EINVAL) return false;
  const int listing = ::open("/proc/self/fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listing >= 0) {
    alignas(struct dirent64) char buffer[4096];
    ssize_t count = 0;
    bool marked = true;
    while (marked && (count = ::getdents64(listing, buffer, sizeof buffer)) > 0) {
      for (ssize_t offset = 0; offset < count;) {
        const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + offset);
        offset += entry->d_reclen;
        int fd = 0;
        const char* digit = entry->d_name;
        for (; *digit >= '0' && *digit <= '9'; ++digit) fd = fd * 10 + (*digit - '0');
        if (*digit != '\0' || digit == entry->d_name || fd < 3 || fd == listing) continue;
        marked = marked && closeOnExec(fd);
      }
    }
    ::close(listing);
    if (marked && count == 0) return true;
  }
  for (long fd = 3; fd < openLimit && fd <= kHighestDescriptorTried; ++fd) {
    if (!closeOnExec(static_cast<int>(fd))) return false;
  }
  return true;
}

}  // namespace

std::string findProgram(std::string_view name, std::string_view searchPath) {
  if (name.empty()) return {};
  while (true) {
    const std::size_t end = searchPath.find(':');
    const std::string folder(searchPath.substr(0, end));
    // An empty or relative entry stands for a folder below the current one, which is the
    // MAME folder by the time the program starts: a file planted there must never run.
    const std::string candidate = folder + "/" + std::string(name);
    struct stat status {};
    if (folder.starts_with('/') && ::stat(candidate.c_str(), &status) == 0 &&
        S_ISREG(status.st_mode) && ::access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    if (end == std::string_view::npos) return {};
    searchPath.remove_prefix(end + 1);
  }
}

std::optional<std::string> startDetached(const ProcessCommand& command) {
  // Everything the children need is made before fork: after it, in a program with
  // threads, only async-signal-safe calls are allowed.
  std::vector<std::string> words;
  words.push_back(command.program);
  words.insert(words.end(), command.arguments.begin(), command.arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const char* folder = command.workingFolder.empty() ? nullptr : command.workingFolder.c_str();
  const long openLimit = ::sysconf(_SC_OPEN_MAX);

  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return systemReason(errno);
  const pid_t child = ::fork();
  if (child < 0) {
    const int error = errno;
    ::close(report[0]);
    ::close(report[1]);
    return systemReason(error);
  }
  if (child == 0) {
    // The child only forks the program and ends, so that the program is nobody's child
    // here: nothing waits for it and it leaves no zombie behind.
    ::close(report[0]);
    const pid_t program = ::fork();
    if (program < 0) failChild(report[1], ChildFailure::Fork);
    if (program > 0) ::_exit(0);
    ::setsid();
    // An ignored signal stays ignored across exec: the program starts with every signal
    // at its default, as from a shell, whatever this process or its parent ignored. The
    // system call itself, as the C library refuses the two real-time signals it keeps for
    // its threads; an action of all zeros is the default on every layout of the kernel's.
    alignas(8) static constexpr unsigned char kDefaultAction[64] = {};
    for (int number = 1; number < NSIG; ++number) {
      ::syscall(SYS_rt_sigaction, number, kDefaultAction, nullptr, (NSIG - 1) / 8);
    }
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    // The program gets none of our open files but its three standard ones.
    if (!markInheritedCloseOnExec(openLimit)) failChild(report[1], ChildFailure::Files);
    if (folder != nullptr && ::chdir(folder) != 0) failChild(report[1], ChildFailure::Folder);
    ::execv(argv[0], argv.data());
    failChild(report[1], ChildFailure::Exec);
  }
  ::close(report[1]);
  // The pipe closes without a word once exec succeeded (close-on-exec) or both ended.
  ChildFailure failure{};
  ssize_t count = 0;
  do {
    count = ::read(report[0], &failure, sizeof failure);
  } while (count < 0 && errno == EINTR);
  ::close(report[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (count != static_cast<ssize_t>(sizeof failure)) return std::nullopt;
  switch (failure.stage) {
    case ChildFailure::Folder:
      return "the folder \"" + command.workingFolder + "\" cannot be entered (" +
             systemReason(failure.error) + ")";
    case ChildFailure::Files:
      return "the files it would inherit cannot be closed (" + systemReason(failure.error) + ")";
    case ChildFailure::Fork:
    case ChildFailure::Exec:
      break;
  }
  return systemReason(failure.error);
}

ProcessCommand dosboxCommand(const std::string& dosbox, const ScriptLaunch& launch) {
  const std::size_t slash = launch.script.rfind('/');
  const std::string scriptName =
      slash == std::string::npos ? launch.script : launch.script.substr(slash + 1);
  ProcessCommand command{
      .program = dosbox,
      .arguments = {"-noautoexec", "-c", "config -set cpu cycles=max", "-c",
                    "MOUNT C \"" + launch.folder + "\"", "-c", "C:", "-c", "CALL " + scriptName},
      .workingFolder = launch.folder};
  // Kept open, DOSBox stays at its prompt once the script is done.
  if (launch.keepOpen) return command;
  for (const std::string_view line : kDosBoxClosingLines) {
    command.arguments.emplace_back("-c");
    command.arguments.emplace_back(line);
  }
  return command;
}

namespace {
std::string pathVariable() {
  const char* path = std::getenv("PATH");
  return path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
}
}  // namespace

DosBoxStarter::DosBoxStarter() : DosBoxStarter(pathVariable()) {}

DosBoxStarter::DosBoxStarter(std::string searchPath) : searchPath_(std::move(searchPath)) {}

std::optional<std::string> DosBoxStarter::findInterpreter() {
  dosbox_ = findProgram(kDosBoxProgram, searchPath_);
  if (!dosbox_.empty()) return std::nullopt;
  return "DOSBox, which runs the launch script and MAME, is not installed: there is no "
         "program \"" +
         std::string(kDosBoxProgram) + "\" in the search path. Install the Debian package \"" +
         std::string(kDosBoxPackage) + "\".";
}

std::optional<std::string> DosBoxStarter::start(const ScriptLaunch& launch) {
  if (dosbox_.empty()) {
    if (std::optional<std::string> missing = findInterpreter()) return missing;
  }
  const std::optional<std::string> failure = startProcess(dosboxCommand(dosbox_, launch));
  if (!failure) return std::nullopt;
  return "DOSBox (\"" + dosbox_ + "\") cannot be started: " + *failure + ".";
}

std::optional<std::string> DosBoxStarter::startProcess(const ProcessCommand& command) {
  return startDetached(command);
}

}  // namespace kestro::platform
