// SPDX-License-Identifier: GPL-3.0-or-later
// Saving the option set into the user sections of the settings file, and loading it back
// from the user sections (at every activation of the window) or from the default sections
// that ship with the file ("Default Settings").
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/optionset.h"
#include "settings/keytable.h"

namespace kestro::settings {

struct SaveOutcome {
  bool saved = true;
  int error = 0;  // errno of the first key that could not be written
};

// The text last loaded or the value last saved for each key, in key table order, carried from
// a load to the next save: a group with no button on and the keys no control feeds write it
// back.
struct Remembered {
  std::array<std::string, kKeyCount> values;
};

// Takes a value from every control that feeds a key into `remembered`, and gives the text a
// save writes for each key, in key table order.
std::array<std::string, kKeyCount> takeSavedTexts(const core::OptionSet& options,
                                                  Remembered& remembered, char decimalSeparator);
// The text a save writes for the key of row `row` of the key table holding `value`.
std::string savedText(std::size_t row, const std::string& value, char decimalSeparator);

// Takes a value from every control that feeds a key, then writes every key in order. A
// key that cannot be written does not stop the others; the outcome names the first failure.
SaveOutcome saveUserSettings(const core::OptionSet& options, Remembered& remembered,
                             const std::string& iniPath, char decimalSeparator);

// Reads every key of the user sections and the executable's name, then applies them. A
// user key that is empty takes the text of the same key in the default sections.
void loadUserSettings(core::OptionSet& options, Remembered& remembered, const std::string& iniPath,
                      char decimalSeparator);

// The start-up load with the keys of a game's own section (settings/gameoptions.h) over the
// user sections: a key the section holds with a text replaces the user text, and every other
// key, the executable's name included, loads as the start-up load loads it.
void loadGameSettings(core::OptionSet& options, Remembered& remembered, const std::string& iniPath,
                      char decimalSeparator, std::string_view gameSection);

// Reads the default sections and applies them; the executable's name stays as it is.
void loadDefaultSettings(core::OptionSet& options, Remembered& remembered,
                         const std::string& iniPath, char decimalSeparator);

}  // namespace kestro::settings
