#include "launch/script.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace kestro::launch {
namespace {

constexpr std::string_view kBlankRecord = "\" \"\r\n";

std::string systemReason(int error) { return std::generic_category().message(error); }

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
  const std::string bytes = launchScriptBytes(line);
  const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (file < 0) return systemReason(errno);
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t count = ::write(file, bytes.data() + written, bytes.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      const int error = errno;
      ::close(file);
      return systemReason(error);
    }
    written += static_cast<std::size_t>(count);
  }
  if (::close(file) != 0) return systemReason(errno);
  return std::nullopt;
}

}  // namespace kestro::launch
