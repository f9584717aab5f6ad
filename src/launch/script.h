// SPDX-License-Identifier: GPL-3.0-or-later
// The launch script: one batch file in the MAME folder whose only content is MAME's
// command line, rewritten on every run and left on disk afterwards.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestro::launch {

inline constexpr std::string_view kLaunchScriptName = "kestro.bat";

// The MAME folder and the script's name, joined as they are.
std::string launchScriptPath(std::string_view mameFolder);

// The script's bytes for a command line: the file is first made to hold a one-field
// record of one blank (22 20 22 0D 0A), then the line is written over it from its first
// byte, so a line shorter than five characters keeps the record's tail. One byte per
// character, no line end.
std::string launchScriptBytes(std::string_view line);

// Writes the script, replacing what the file held, into a plain file of its own only
// (never through a link, into a FIFO or a device, and never waiting on one); on failure
// the reason, as a clause or the system's words.
std::optional<std::string> writeLaunchScript(const std::string& path, std::string_view line);

}  // namespace kestro::launch
