// SPDX-License-Identifier: GPL-3.0-or-later
// The last games run, newest first, kept in a section of their own in the settings file: for
// each, the game's folder and the MAME folder it ran from. A save writes the whole section in
// one replacement of the file, and the other sections never change for it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestro::settings {

inline constexpr std::string_view kLastGamesSection = "LastGames";
inline constexpr std::size_t kLastGamesKept = 5;

struct LastGame {
  std::string romFolder;
  std::string mameFolder;
  bool operator==(const LastGame&) const = default;
};

// The section's entries, newest first, their folders in normal form ("/a/x/../pacman/" is
// "/a/pacman"). The file may have been edited by hand: an entry that lacks a folder, names one
// by a relative path or repeats an earlier entry is left out.
std::vector<LastGame> loadLastGames(const std::string& iniPath);

// Puts the game at the top of the list, moving it there when the list holds it already under
// any spelling of its folders, and drops the oldest beyond five. A game whose folder the file
// cannot keep (a relative path, a line break) is not taken: false.
bool rememberLastGame(std::vector<LastGame>& games, const LastGame& game);

// Writes the list into its section with one replacement of the file; keys left over from a
// longer list are emptied. 0, or the errno of the failure.
int saveLastGames(const std::vector<LastGame>& games, const std::string& iniPath);

}  // namespace kestro::settings
