// The one read function of the settings file: one value by section and key, without the
// blanks around it, at most 254 characters, empty when the file, section or key is missing.
#pragma once

#include <string>

namespace kestro::settings {

std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& file);

}  // namespace kestro::settings
