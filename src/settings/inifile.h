// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file as the settings layer uses it: values by section and key, without the
// blanks around them, empty when the file, section or key is missing; a save of many keys in
// one replacement of the file; and the one check of the file as a whole, made once at start-up.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/initext.h"

namespace kestro::settings {

using platform::IniEntry;
using platform::IniKey;

// The whole value, however long.
std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& file);

// The whole values of many keys from one read of the file, in the order asked, each as
// ReadIniValue gives it; a key of no section (an empty name) reads as empty.
std::vector<std::string> ReadIniValues(std::span<const IniKey> keys, const std::string& file);

// Makes every entry hold in the file with one replacement (IniText::set under the writers'
// lock): the file holds all of them or none. 0, or the errno of the failure; an entry that
// would not read back (EINVAL) stops none of the others.
int WriteIniValues(std::span<const IniEntry> entries, const std::string& file);

// Why the settings file at `path` is ignored (it is too large to be a settings file, or it is
// no regular file), in a sentence for the user; nothing when it is fine or missing.
std::optional<std::string> settingsFileProblem(const std::string& path);

}  // namespace kestro::settings
