#include "settings/inifile.h"

#include <filesystem>
#include <system_error>

#include "platform/profile.h"

namespace kestro::settings {

std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& file) {
  // A value that fills the buffer may go on; no value is longer than the file, whose size is
  // bounded, so the doubling ends.
  std::string buffer(255, '\0');
  for (;;) {
    const unsigned long count = platform::GetPrivateProfileStringA(
        section.c_str(), key.c_str(), "", buffer.data(), buffer.size(), file.c_str());
    if (count + 1 < buffer.size()) {
      buffer.resize(count);
      return buffer;
    }
    buffer.assign(buffer.size() * 2, '\0');
  }
}

std::optional<std::string> settingsFileProblem(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error || !fs::exists(status)) return std::nullopt;
  std::string reason;
  if (fs::is_regular_file(status)) {
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || size <= platform::kProfileMaxBytes) return std::nullopt;
    // Rounded up, so a file just over the limit does not read as within it.
    reason = "it holds " + std::to_string((size + (1 << 20) - 1) >> 20) +
             " MiB, and a settings file may hold at most " +
             std::to_string(platform::kProfileMaxBytes >> 20) + " MiB";
  } else {
    reason = fs::is_directory(status) ? "it is a folder" : "it is not a regular file";
  }
  return "Kestro ignored its settings file " + path + ": " + reason +
         ". The options start at their defaults, and Save Settings leaves that file as it is.";
}

}  // namespace kestro::settings
