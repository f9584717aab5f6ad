// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/inifile.h"

#include <filesystem>
#include <system_error>

#include "platform/durablefile.h"
#include "platform/inifile.h"

namespace kestro::settings {

std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& file) {
  return platform::readIniFile(file).value(section, key).value_or("");
}

std::vector<std::string> ReadIniValues(std::span<const IniKey> keys, const std::string& file) {
  // A key without a section is not asked for: it reads as empty.
  std::vector<IniKey> asked;
  std::vector<std::size_t> askedIndex;
  for (std::size_t index = 0; index < keys.size(); ++index) {
    if (keys[index].section.empty()) continue;
    asked.push_back(keys[index]);
    askedIndex.push_back(index);
  }
  std::vector<std::string> values(keys.size());
  std::vector<std::optional<std::string>> read = platform::readIniFile(file).values(asked);
  for (std::size_t index = 0; index < read.size(); ++index) {
    if (read[index]) values[askedIndex[index]] = std::move(*read[index]);
  }
  return values;
}

int WriteIniValues(std::span<const IniEntry> entries, const std::string& file) {
  int refused = 0;
  const int error = platform::editIniFile(file, [&](platform::IniText& ini) {
    for (const int entryError : ini.set(entries)) {
      if (refused == 0) refused = entryError;
    }
  });
  return error != 0 ? error : refused;
}

std::optional<std::string> settingsFileProblem(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error || !fs::exists(status)) return std::nullopt;
  std::string reason;
  if (fs::is_regular_file(status)) {
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || size <= platform::kDurableMaxBytes) return std::nullopt;
    // Rounded up, so a file just over the limit does not read as within it.
    reason = "it holds " + std::to_string((size + (1 << 20) - 1) >> 20) +
             " MiB, and a settings file may hold at most " +
             std::to_string(platform::kDurableMaxBytes >> 20) + " MiB";
  } else {
    reason = fs::is_directory(status) ? "it is a folder" : "it is not a regular file";
  }
  return "Kestro ignored its settings file " + path + ": " + reason +
         ". The options start at their initial state (every check box clear, no option button "
         "chosen), not at the shipped defaults, and Save Settings leaves that file as it is.";
}

}  // namespace kestro::settings
