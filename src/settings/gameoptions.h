// SPDX-License-Identifier: GPL-3.0-or-later
// Options of a game's own: a section "[Game:NAME]" of the settings file, NAME being the game
// folder's name, holding only the keys whose values differ from the common options of the user
// sections, under the same names (never the executable's). A game with such a section loads the
// common options with its keys over them and saves its differences there; an empty section
// means the game has options of its own that all equal the common ones.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/optionset.h"
#include "settings/settings.h"

namespace kestro::settings {

inline constexpr std::string_view kGameSectionPrefix = "Game:";

// "Game:NAME", or nothing for a name that no game folder can have or that the file could not
// give back: empty, "." or "..", with a "/" or a control character, or with blanks at either end
// (the file drops them from a section's name).
std::optional<std::string> gameSection(std::string_view game);

// The names of the games that have options of their own, in file order; sections whose name no
// game folder can have are left out.
std::vector<std::string> gamesWithOwnOptions(const std::string& iniPath);

// Whether `game` is one of `games`, names compared without regard to ASCII case as the file
// compares them.
bool holdsGame(const std::vector<std::string>& games, std::string_view game);

// Makes the game's empty section (a section it has already is left as it is), or removes the
// section; each with one replacement of the file, every byte outside the section kept. 0, or the
// errno of the failure; EINVAL for a name that cannot have a section.
int giveOwnOptions(const std::string& iniPath, std::string_view game);
int useCommonOptions(const std::string& iniPath, std::string_view game);

// The start-up load with the game's own keys over the common texts.
void loadGameOptions(core::OptionSet& options, Remembered& remembered, const std::string& iniPath,
                     char decimalSeparator, std::string_view game);

// Takes the controls as "Save Settings" does, then makes the game's section hold exactly the keys
// whose text the save would write differs from the text it would write for the common value
// (the user sections', or the default sections' where those hold none); the other keys leave
// the section. One replacement of the file; the common sections do not change.
SaveOutcome saveGameOptions(const core::OptionSet& options, Remembered& remembered,
                            const std::string& iniPath, char decimalSeparator,
                            std::string_view game);

}  // namespace kestro::settings
