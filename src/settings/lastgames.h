// The last games run, newest first, kept in a section of their own in the settings file: for
// each, the game's folder and the MAME folder it ran from. The section is read and written one
// value at a time, like the rest of the file, and the other sections never change for it.
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

// The section's entries, newest first. The file may have been edited by hand: an entry that
// lacks a folder, names one by a relative path, repeats an earlier entry or may have been cut
// by the reader is left out.
std::vector<LastGame> loadLastGames(const std::string& iniPath);

// Puts the game at the top of the list, moving it there when the list holds it already, and
// drops the oldest beyond five. A game whose folders would not read back from the file as
// they are (a line break, a final blank, a very long path) is not taken: false.
bool rememberLastGame(std::vector<LastGame>& games, const LastGame& game);

// Writes the list into its section; keys left over from a longer list are emptied. Every key is
// tried; the result is the errno of the first write that failed, 0 when none did.
int saveLastGames(const std::vector<LastGame>& games, const std::string& iniPath);

}  // namespace kestro::settings
