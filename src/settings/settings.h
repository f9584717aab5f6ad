// Saving the option set into the user sections of the settings file, and loading it back
// from the user sections (at every activation of the window) or from the default sections
// that ship with the file ("Default Settings").
#pragma once

#include <string>

#include "core/optionset.h"

namespace kestro::settings {

struct SaveOutcome {
  bool saved = true;
  int error = 0;  // errno of the first key that could not be written
};

// Takes a value from every control that feeds a key, then writes all 34 keys in order. A
// key that cannot be written does not stop the others; the outcome names the first failure.
SaveOutcome saveUserSettings(core::OptionSet& options, const std::string& iniPath,
                             char decimalSeparator);

// Reads every key of the user sections and the executable's name, then applies them. A
// user key that is empty takes the text of the same key in the default sections.
void loadUserSettings(core::OptionSet& options, const std::string& iniPath, char decimalSeparator);

// Reads the default sections and applies them; the executable's name stays as it is.
void loadDefaultSettings(core::OptionSet& options, const std::string& iniPath,
                         char decimalSeparator);

}  // namespace kestro::settings
