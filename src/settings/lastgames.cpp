#include "settings/lastgames.h"

#include <algorithm>
#include <cerrno>

#include "platform/profile.h"
#include "settings/inifile.h"

namespace kestro::settings {
namespace {

// The reader hands back at most 254 characters; a value of that length may have been longer.
constexpr std::size_t kLongestKeptValue = 253;

std::string gameKey(std::size_t entry) { return "game" + std::to_string(entry + 1); }
std::string mameKey(std::size_t entry) { return "mamedir" + std::to_string(entry + 1); }

// A folder the file gives back exactly: the reader drops the blanks around a value, stops at
// a line break and cuts long values.
bool keepsInFile(std::string_view folder) {
  return !folder.empty() && folder.front() == '/' && folder.size() <= kLongestKeptValue &&
         folder.find_first_of("\r\n") == std::string_view::npos && folder.back() != ' ' &&
         folder.back() != '\t';
}

int write(const std::string& key, const std::string& value, const std::string& iniPath) {
  errno = 0;
  if (platform::WritePrivateProfileStringA(std::string(kLastGamesSection).c_str(), key.c_str(),
                                           value.c_str(), iniPath.c_str()) != 0) {
    return 0;
  }
  return errno != 0 ? errno : EIO;
}

}  // namespace

std::vector<LastGame> loadLastGames(const std::string& iniPath) {
  std::vector<std::string> names;
  for (std::size_t entry = 0; entry < kLastGamesKept; ++entry) {
    names.push_back(gameKey(entry));
    names.push_back(mameKey(entry));
  }
  std::vector<IniKey> keys;
  for (const std::string& name : names) keys.push_back({kLastGamesSection, name});
  std::vector<std::string> values = ReadIniValues(keys, iniPath);
  std::vector<LastGame> games;
  for (std::size_t entry = 0; entry < kLastGamesKept; ++entry) {
    LastGame game{.romFolder = std::move(values[2 * entry]),
                  .mameFolder = std::move(values[2 * entry + 1])};
    if (!keepsInFile(game.romFolder) || !keepsInFile(game.mameFolder)) continue;
    if (std::ranges::find(games, game) == games.end()) games.push_back(std::move(game));
  }
  return games;
}

bool rememberLastGame(std::vector<LastGame>& games, const LastGame& game) {
  if (!keepsInFile(game.romFolder) || !keepsInFile(game.mameFolder)) return false;
  std::erase(games, game);
  games.insert(games.begin(), game);
  if (games.size() > kLastGamesKept) games.resize(kLastGamesKept);
  return true;
}

int saveLastGames(const std::vector<LastGame>& games, const std::string& iniPath) {
  const std::string section(kLastGamesSection);
  int firstError = 0;
  const auto keep = [&](const std::string& key, const std::string& value) {
    const int error = write(key, value, iniPath);
    if (firstError == 0) firstError = error;
  };
  for (std::size_t entry = 0; entry < kLastGamesKept; ++entry) {
    if (entry < games.size()) {
      keep(gameKey(entry), games[entry].romFolder);
      keep(mameKey(entry), games[entry].mameFolder);
      continue;
    }
    // Keys the list no longer fills are emptied, and only where they hold something, so a
    // short list adds no empty keys.
    for (const std::string& key : {gameKey(entry), mameKey(entry)}) {
      if (!ReadIniValue(section, key, iniPath).empty()) keep(key, "");
    }
  }
  return firstError;
}

}  // namespace kestro::settings
