// SPDX-License-Identifier: GPL-3.0-or-later
// What the program learns of the desktop at start: the user's decimal separator and whether
// there is a system tray to hide the window to.
#pragma once

#include <string>

#include "ui/form.h"

namespace kestro::ui {

// The decimal separator of the user's number conventions; a period where the convention's
// separator is not a single character that a text of the settings file can hold.
char userDecimalSeparator();

Environment systemEnvironment(std::string programFolder);

}  // namespace kestro::ui
