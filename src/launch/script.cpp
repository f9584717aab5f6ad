// SPDX-License-Identifier: GPL-3.0-or-later
#include "launch/script.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/fileio.h"

namespace kestro::launch {
namespace {

constexpr std::string_view kBlankRecord = "\" \"\r\n";
constexpr std::string_view kSymbolicLink =
    "it is a symbolic link, and the launch script is only written as a file of its own";

std::optional<std::string> notPlainFile(const struct stat& status) {
  if (S_ISLNK(status.st_mode)) return std::string(kSymbolicLink);
  if (S_ISDIR(status.st_mode)) return platform::systemReason(EISDIR);
  if (!S_ISREG(status.st_mode)) {
    return "it is not a plain file (a FIFO, a socket or a device), and the launch script is "
           "only written as a file of its own";
  }
  if (status.st_nlink > 1) {
    return "it has other names (hard links), whose file the line would overwrite as well";
  }
  return std::nullopt;
}

}  // namespace

std::string launchScriptPath(std::string_view mameFolder) {
  return std::string(mameFolder) + "/" + std::string(kLaunchScriptName);
}

std::string launchScriptBytes(std::string_view line) {
  std::string bytes(line);
  if (bytes.size() < kBlankRecord.size()) bytes += kBlankRecord.substr(bytes.size());
  return bytes;
}

std::optional<std::string> writeLaunchScript(const std::string& path, std::string_view line) {
  // Only a plain file of its own is rewritten: through a planted symbolic or hard link the
  // line would land in another file, and a FIFO or device would take it or block the window.
  struct stat status {};
  if (::lstat(path.c_str(), &status) == 0) {
    if (std::optional<std::string> odd = notPlainFile(status)) return odd;
  } else if (errno != ENOENT) {
    return platform::systemReason(errno);
  }
  // The checks again on what was opened, in case the name changed in between.
  const int file = ::open(
      path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
  if (file < 0) {
    if (errno == ELOOP) return std::string(kSymbolicLink);
    return platform::systemReason(errno);
  }
  std::optional<std::string> failure;
  if (::fstat(file, &status) != 0) failure = platform::systemReason(errno);
  if (!failure) failure = notPlainFile(status);
  if (!failure &&
      (::ftruncate(file, 0) != 0 || !platform::writeAll(file, launchScriptBytes(line)))) {
    failure = platform::systemReason(errno);
  }
  if (::close(file) != 0 && !failure) failure = platform::systemReason(errno);
  return failure;
}

}  // namespace kestro::launch
