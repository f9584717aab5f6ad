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
          const Profile& profile, const Profile* fallback) {
  // Each key the profile holds and its fallback key, read from the file at once.
  std::vector<IniKey> keys;
  for (const KeyRow& row : kKeyTable) {
    keys.push_back({profile[row.section], row.key});
    keys.push_back({fallback ? (*fallback)[row.section] : std::string_view{}, row.key});
  }
  std::vector<std::string> texts = ReadIniValues(keys, iniPath);
  for (std::size_t i = 0; i < kKeyCount; ++i) {
    if (keys[2 * i].section.empty()) continue;
    const bool fallsBack = texts[2 * i].empty() && !keys[2 * i + 1].section.empty();
    remembered.values[i] = std::move(texts[2 * i + (fallsBack ? 1 : 0)]);
  }
  for (std::size_t i = 0; i < kKeyCount; ++i) {
    if (!profile[kKeyTable[i].section].empty()) {
      applyToControl(options, *kKeyTable[i].option, remembered.values[i], separator);
    }
  }
}

}  // namespace

SaveOutcome saveUserSettings(const OptionSet& options, Remembered& remembered,
                             const std::string& iniPath, char separator) {
  for (std::size_t i = 0; i < kKeyCount; ++i) {
    takeFromControl(options, *kKeyTable[i].option, remembered.values[i]);
  }
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < kKeyCount; ++i) {
    const std::string& value = remembered.values[i];
    // What no control feeds goes back as it was loaded, and a value that holds no number (a
    // key edited by hand) is written as it stands.
    texts.push_back(storesNumber(*kKeyTable[i].option)
                        ? core::numberTextForm(value, separator).value_or(value)
                        : value);
  }
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

void loadDefaultSettings(OptionSet& options, Remembered& remembered, const std::string& iniPath,
                         char separator) {
  load(options, remembered, iniPath, separator, kDefaultProfile, nullptr);
}

}  // namespace kestro::settings
