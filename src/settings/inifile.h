// The read functions of the settings file: values by section and key, without the blanks
// around them, empty when the file, section or key is missing; and the one check of the
// file as a whole, made once at start-up.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestro::settings {

// The whole value: one longer than the 254 characters of a first read is read again with room
// for it, so that a save never writes back a value cut short.
std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& file);

struct IniKey {
  std::string_view section;
  std::string_view key;
};

// The whole values of many keys from one read of the file, in the order asked, each as
// ReadIniValue gives it; a key of no section (an empty name) reads as empty.
std::vector<std::string> ReadIniValues(std::span<const IniKey> keys, const std::string& file);

// Why the settings file at `path` is ignored (it is too large to be a settings file, or it is
// no regular file), in a sentence for the user; nothing when it is fine or missing.
std::optional<std::string> settingsFileProblem(const std::string& path);

}  // namespace kestro::settings
