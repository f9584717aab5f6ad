#include "launch/script.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/fileio.h"

namespace kestro::launch {
namespace {

constexpr std::string_view kBlankRecord = "\" \"\r\n";

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
  if (file < 0) return platform::systemReason(errno);
  if (!platform::writeAll(file, bytes)) {
    const int error = errno;
    ::close(file);
    return platform::systemReason(error);
  }
  if (::close(file) != 0) return platform::systemReason(errno);
  return std::nullopt;
}

}  // namespace kestro::launch
