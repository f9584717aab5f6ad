// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/inifile.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <utility>

#include "core/text.h"
#include "platform/durablefile.h"

namespace kestro::platform {

IniText readIniFile(const std::string& path) {
  std::optional<std::string> text = readWholeFile(path.c_str());
  return IniText(text ? std::move(*text) : std::string());
}

int editIniFile(const std::string& path, const std::function<void(IniText&)>& edit) {
  return rewriteFile(path.c_str(), [&](std::string& text) {
    IniText ini(std::move(text));
    edit(ini);
    const bool changed = ini.changed();
    text = std::move(ini).text();
    return changed;
  });
}

unsigned long GetPrivateProfileStringA(const char* section, const char* key,
                                       const char* defaultValue, char* buffer, unsigned long size,
                                       const char* file) {
  if (buffer == nullptr || size == 0) return 0;
  buffer[0] = '\0';
  if (section == nullptr || key == nullptr) {
    errno = EINVAL;
    return 0;
  }
  std::string result(core::trimTrailingBlanks(defaultValue != nullptr ? defaultValue : ""));
  if (file != nullptr) {
    if (std::optional<std::string> value = readIniFile(file).value(section, key)) {
      result = std::move(*value);
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
  int error = 0;
  const int written =
      editIniFile(file, [&](IniText& ini) { error = ini.set(section, key, value); });
  if (error == 0) error = written;
  errno = error;
  return error == 0 ? 1 : 0;
}

}  // namespace kestro::platform
