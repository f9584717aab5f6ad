// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/numbers.h"
#include "settings/inifile.h"

namespace kestro::settings {
namespace {

using core::Option;
using core::OptionSet;

// The value the row's key gets from its control; a row no control feeds leaves it as it was.
void takeFromControl(const OptionSet& options, const Option& row, std::string& value) {
  std::visit(
      [&]<typename Kind>(const Kind& kind) {
        if constexpr (core::Kept<Kind>) kind.take(options, value);
      },
      row);
}

void applyToControl(OptionSet& options, const Option& row, const std::string& text,
                    char separator) {
  std::visit(
      [&]<typename Kind>(const Kind& kind) {
        if constexpr (core::Kept<Kind>) kind.apply(options, text, separator);
      },
      row);
}

// Whether the row's text goes through the number text form on its way to the file.
bool storesNumber(const Option& row) {
  return std::visit(
      []<typename Kind>(const Kind&) {
        if constexpr (core::Kept<Kind>) {
          return Kind::kStoresNumber;
        } else {
          return false;
        }
      },
      row);
}

void load(OptionSet& options, Remembered& remembered, const std::string& iniPath, char separator,
          const Profile& profile, const Profile* fallback, std::string_view gameSection = {}) {
  // Each key the profile holds, its fallback key and the game's own key, read from the file at
  // once. The game's section holds the keys of every user section but the executable's.
  std::vector<IniKey> keys;
  for (const KeyRow& row : kKeyTable) {
    keys.push_back({profile[row.section], row.key});
    keys.push_back({fallback ? (*fallback)[row.section] : std::string_view{}, row.key});
    keys.push_back({row.section == Section::Exe ? std::string_view{} : gameSection, row.key});
  }
  std::vector<std::string> texts = ReadIniValues(keys, iniPath);
  const auto common = [&](std::size_t i) -> std::string& {
    const bool fallsBack = texts[3 * i].empty() && !keys[3 * i + 1].section.empty();
    return texts[3 * i + (fallsBack ? 1 : 0)];
  };
  // The common texts first, then the game's over them: a game's text that its control does not
  // take leaves the control as the common text set it. An empty text counts as missing.
  for (std::size_t i = 0; i < kKeyCount; ++i) {
    if (profile[kKeyTable[i].section].empty()) continue;
    applyToControl(options, *kKeyTable[i].option, common(i), separator);
  }
  for (std::size_t i = 0; i < kKeyCount; ++i) {
    if (profile[kKeyTable[i].section].empty()) continue;
    std::string& own = texts[3 * i + 2];
    if (!own.empty()) applyToControl(options, *kKeyTable[i].option, own, separator);
    remembered.values[i] = std::move(own.empty() ? common(i) : own);
  }
}

}  // namespace

std::array<std::string, kKeyCount> takeSavedTexts(const OptionSet& options, Remembered& remembered,
                                                  char separator) {
  for (std::size_t i = 0; i < kKeyCount; ++i) {
    takeFromControl(options, *kKeyTable[i].option, remembered.values[i]);
  }
  std::array<std::string, kKeyCount> texts;
  for (std::size_t i = 0; i < kKeyCount; ++i) {
    texts[i] = savedText(i, remembered.values[i], separator);
  }
  return texts;
}

std::string savedText(std::size_t row, const std::string& value, char separator) {
  // What no control feeds goes back as it was loaded, and a value that holds no number (a
  // key edited by hand) is written as it stands.
  return storesNumber(*kKeyTable[row].option)
             ? core::numberTextForm(value, separator).value_or(value)
             : value;
}

SaveOutcome saveUserSettings(const OptionSet& options, Remembered& remembered,
                             const std::string& iniPath, char separator) {
  const std::array<std::string, kKeyCount> texts = takeSavedTexts(options, remembered, separator);
  // One write for every key: the file holds all of this save or none of it.
  std::vector<IniEntry> entries;
  for (std::size_t i = 0; i < kKeyCount; ++i) {
    entries.push_back({kUserProfile[kKeyTable[i].section], kKeyTable[i].key, texts[i]});
  }
  const int error = WriteIniValues(entries, iniPath);
  return {.saved = error == 0, .error = error};
}

void loadUserSettings(OptionSet& options, Remembered& remembered, const std::string& iniPath,
                      char separator) {
  load(options, remembered, iniPath, separator, kUserProfile, &kDefaultProfile);
}

void loadGameSettings(OptionSet& options, Remembered& remembered, const std::string& iniPath,
                      char separator, std::string_view gameSection) {
  load(options, remembered, iniPath, separator, kUserProfile, &kDefaultProfile, gameSection);
}

void loadDefaultSettings(OptionSet& options, Remembered& remembered, const std::string& iniPath,
                         char separator) {
  load(options, remembered, iniPath, separator, kDefaultProfile, nullptr);
}

}  // namespace kestro::settings
