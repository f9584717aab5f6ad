// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/gameoptions.h"

#include <algorithm>
#include <cerrno>
#include <string>

#include "core/text.h"
#include "platform/inifile.h"
#include "settings/keytable.h"

namespace kestro::settings {
namespace {

std::vector<std::string> gamesIn(const platform::IniText& ini) {
  std::vector<std::string> games;
  for (const std::string& section : ini.sections()) {
    const std::string_view name(section);
    if (name.size() < kGameSectionPrefix.size() ||
        !core::equalsIgnoringCase(name.substr(0, kGameSectionPrefix.size()), kGameSectionPrefix)) {
      continue;
    }
    std::string game(name.substr(kGameSectionPrefix.size()));
    if (gameSection(game) && !holdsGame(games, game)) games.push_back(std::move(game));
  }
  return games;
}

// The file makes a section with its first key: the key goes again and the header stays.
void makeSection(platform::IniText& ini, std::string_view section) {
  ini.set(section, kKeyTable[0].key, "");
  ini.removeKey(section, kKeyTable[0].key);
}

}  // namespace

std::optional<std::string> gameSection(std::string_view game) {
  const bool fits = !game.empty() && game != "." && game != ".." &&
                    core::trimBlanks(game).size() == game.size() &&
                    std::ranges::none_of(game, [](char c) {
                      const auto byte = static_cast<unsigned char>(c);
                      return c == '/' || byte < 0x20 || byte == 0x7f;
                    });
  if (!fits) return std::nullopt;
  return std::string(kGameSectionPrefix) + std::string(game);
}

std::vector<std::string> gamesWithOwnOptions(const std::string& iniPath) {
  return gamesIn(platform::readIniFile(iniPath));
}

bool holdsGame(const std::vector<std::string>& games, std::string_view game) {
  return std::ranges::any_of(
      games, [&](const std::string& held) { return core::equalsIgnoringCase(held, game); });
}

int giveOwnOptions(const std::string& iniPath, std::string_view game) {
  const std::optional<std::string> section = gameSection(game);
  if (!section) return EINVAL;
  return platform::editIniFile(iniPath, [&](platform::IniText& ini) {
    if (!holdsGame(gamesIn(ini), game)) makeSection(ini, *section);
  });
}

int useCommonOptions(const std::string& iniPath, std::string_view game) {
  const std::optional<std::string> section = gameSection(game);
  if (!section) return EINVAL;
  return platform::editIniFile(iniPath,
                               [&](platform::IniText& ini) { ini.removeSection(*section); });
}

void loadGameOptions(core::OptionSet& options, Remembered& remembered, const std::string& iniPath,
                     char separator, std::string_view game) {
  const std::optional<std::string> section = gameSection(game);
  loadGameSettings(options, remembered, iniPath, separator, section.value_or(""));
}

SaveOutcome saveGameOptions(const core::OptionSet& options, Remembered& remembered,
                            const std::string& iniPath, char separator, std::string_view game) {
  const std::optional<std::string> section = gameSection(game);
  if (!section) return {.saved = false, .error = EINVAL};
  const std::array<std::string, kKeyCount> texts = takeSavedTexts(options, remembered, separator);
  const int error = platform::editIniFile(iniPath, [&](platform::IniText& ini) {
    std::vector<platform::IniKey> keys;
    for (const KeyRow& row : kKeyTable) {
      keys.push_back({kUserProfile[row.section], row.key});
      keys.push_back({kDefaultProfile[row.section], row.key});
    }
    const std::vector<std::optional<std::string>> common = ini.values(keys);
    if (!holdsGame(gamesIn(ini), game)) makeSection(ini, *section);
    for (std::size_t i = 0; i < kKeyCount; ++i) {
      if (kKeyTable[i].section == Section::Exe) continue;
      // The common value as a load gives it: the user text, or the default one for none.
      std::string shared = common[2 * i].value_or("");
      if (shared.empty()) shared = common[2 * i + 1].value_or("");
      if (texts[i] == savedText(i, shared, separator)) {
        ini.removeKey(*section, kKeyTable[i].key);
      } else {
        ini.set(*section, kKeyTable[i].key, texts[i]);
      }
    }
  });
  return {.saved = error == 0, .error = error};
}

}  // namespace kestro::settings
