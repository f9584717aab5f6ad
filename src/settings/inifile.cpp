#include "settings/inifile.h"

#include <array>

#include "platform/profile.h"

namespace kestro::settings {

std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& file) {
  std::array<char, 255> buffer{};
  const unsigned long count = platform::GetPrivateProfileStringA(
      section.c_str(), key.c_str(), "", buffer.data(), buffer.size(), file.c_str());
  return std::string(buffer.data(), count);
}

}  // namespace kestro::settings
