// SPDX-License-Identifier: GPL-3.0-or-later
// The command line: Kestro itself knows only --help and --version; everything else on it is
// Qt's (-platform, -style, ...), which the application object takes for itself.
#pragma once

#include <string>
#include <vector>

#include "platform/settingslocation.h"

namespace kestro::app {

enum class Request { Run, Help, Version };

// Looks for the help and version options before any window or display is opened, so they work
// without one. The first of them on the line wins.
Request requestOf(const std::vector<std::string>& arguments);

std::string versionText();
// Names the settings file Kestro reads, and says when it cannot save.
std::string helpText(const platform::SettingsLocation& settings);

// What is left once Qt has taken its options: empty when nothing, else the message for the
// first argument Kestro does not know.
std::string unknownArgumentMessage(const std::vector<std::string>& leftOver);

}  // namespace kestro::app
