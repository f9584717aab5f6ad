// The one read function of the settings file: one value by section and key, without the
// blanks around it, empty when the file, section or key is missing; and the one check of the
// file as a whole, made once at start-up.
#pragma once

#include <optional>
#include <string>

namespace kestro::settings {

// The whole value: one longer than the 254 characters of a first read is read again with room
// for it, so that a save never writes back a value cut short.
std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& file);

// Why the settings file at `path` is ignored (it is too large to be a settings file, or it is
// no regular file), in a sentence for the user; nothing when it is fine or missing.
std::optional<std::string> settingsFileProblem(const std::string& path);

}  // namespace kestro::settings
