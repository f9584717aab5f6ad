// SPDX-License-Identifier: GPL-3.0-or-later
// The folder that holds the program's own executable: a portable copy keeps its settings file
// there, and an installed program finds its shipped settings from it.
#pragma once

#include <string>

namespace kestro::platform {

// Empty when the system cannot tell.
std::string programFolder();

}  // namespace kestro::platform
