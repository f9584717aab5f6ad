// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/lastgames.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <utility>

#include "platform/inifile.h"

namespace kestro::settings {
namespace {

std::string gameKey(std::size_t entry) { return "game" + std::to_string(entry + 1); }
std::string mameKey(std::size_t entry) { return "mamedir" + std::to_string(entry + 1); }

// One spelling per folder, so that "/a/pacman/", "/a/pacman" and "/a/x/../pacman" are one
// game: "." and ".." are taken out as text, doubled and final slashes go. Links are not
// followed, so the entry names the folder as the user opened it. Nothing for a folder the
// file cannot keep: none, a relative path, or one that holds a line break.
std::optional<std::string> normalFolder(std::string_view folder) {
  if (folder.empty() || folder.front() != '/' ||
      folder.find_first_of("\r\n") != std::string_view::npos) {
    return std::nullopt;
  }
  std::string normal = std::filesystem::path(folder).lexically_normal().string();
  if (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal;
}

std::optional<LastGame> normalGame(std::string_view romFolder, std::string_view mameFolder) {
  std::optional<std::string> rom = normalFolder(romFolder), mame = normalFolder(mameFolder);
  if (!rom || !mame) return std::nullopt;
  return LastGame{.romFolder = std::move(*rom), .mameFolder = std::move(*mame)};
}

// A folder as the file keeps it: the read drops the blanks at a value's end, so a folder
// ending in one is quoted, and the read takes the quotes off.
std::string stored(const std::string& folder) {
  return folder.back() == ' ' || folder.back() == '\t' ? '"' + folder + '"' : folder;
}

}  // namespace

std::vector<LastGame> loadLastGames(const std::string& iniPath) {
  std::vector<std::string> names;
  for (std::size_t entry = 0; entry < kLastGamesKept; ++entry) {
    names.push_back(gameKey(entry));
    names.push_back(mameKey(entry));
  }
  std::vector<platform::IniKey> keys;
  for (const std::string& name : names) keys.push_back({kLastGamesSection, name});
  const std::vector<std::optional<std::string>> values =
      platform::readIniFile(iniPath).values(keys);
  std::vector<LastGame> games;
  for (std::size_t entry = 0; entry < kLastGamesKept; ++entry) {
    const std::optional<LastGame> game =
        normalGame(values[2 * entry].value_or(""), values[2 * entry + 1].value_or(""));
    if (game && std::ranges::find(games, *game) == games.end()) games.push_back(*game);
  }
  return games;
}

bool rememberLastGame(std::vector<LastGame>& games, const LastGame& game) {
  std::optional<LastGame> normal = normalGame(game.romFolder, game.mameFolder);
  if (!normal) return false;
  std::erase(games, *normal);
  games.insert(games.begin(), std::move(*normal));
  if (games.size() > kLastGamesKept) games.resize(kLastGamesKept);
  return true;
}

int saveLastGames(const std::vector<LastGame>& games, const std::string& iniPath) {
  int refused = 0;
  const int error = platform::editIniFile(iniPath, [&](platform::IniText& ini) {
    std::vector<std::pair<std::string, std::string>> values;
    for (std::size_t entry = 0; entry < kLastGamesKept; ++entry) {
      if (entry < games.size()) {
        values.emplace_back(gameKey(entry), stored(games[entry].romFolder));
        values.emplace_back(mameKey(entry), stored(games[entry].mameFolder));
        continue;
      }
      // Keys the list no longer fills are emptied, and only where they hold something, so a
      // short list adds no empty keys.
      for (std::string key : {gameKey(entry), mameKey(entry)}) {
        if (!ini.value(kLastGamesSection, key).value_or("").empty()) {
          values.emplace_back(std::move(key), "");
        }
      }
    }
    std::vector<platform::IniEntry> entries;
    for (const auto& [key, value] : values) entries.push_back({kLastGamesSection, key, value});
    for (const int entryError : ini.set(entries)) {
      if (refused == 0) refused = entryError;
    }
  });
  return error != 0 ? error : refused;
}

}  // namespace kestro::settings
