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

std::vector<std::string> ReadIniValues(std::span<const IniKey> keys, const std::string& file) {
  // A key without a section is not asked for: it reads as empty.
  std::vector<platform::ProfileKey> asked;
  std::vector<std::size_t> askedIndex;
  for (std::size_t index = 0; index < keys.size(); ++index) {
    if (keys[index].section.empty()) continue;
    asked.push_back({keys[index].section, keys[index].key});
    askedIndex.push_back(index);
  }
  std::vector<std::string> values(keys.size());
  std::vector<std::optional<std::string>> read =
      platform::GetPrivateProfileStrings(file.c_str(), asked);
  for (std::size_t index = 0; index < read.size(); ++index) {
    if (read[index]) values[askedIndex[index]] = std::move(*read[index]);
  }
  return values;
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
         ". The options start at their initial state (every check box clear, no option button "
         "chosen), not at the shipped defaults, and Save Settings leaves that file as it is.";
}

}  // namespace kestro::settings
