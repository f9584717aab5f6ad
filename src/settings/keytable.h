// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file's keys in the order the save writes them and the loads read them: the
// rows of the option table that the file keeps, gathered at compile time, and the section
// names of the user and the default profile.
#pragma once

#include <array>
#include <string_view>

#include "core/options.h"

namespace kestro::settings {

using core::Section;

struct KeyRow {
  Section section;
  std::string_view key;
  const core::Option* option;
};

inline constexpr std::size_t kKeyCount = static_cast<std::size_t>(std::ranges::count_if(
    core::kOptions, [](const core::Option& row) { return !core::keyOf(row).name.empty(); }));

inline constexpr std::array<KeyRow, kKeyCount> kKeyTable = [] {
  std::array<KeyRow, kKeyCount> table{};
  std::size_t next = 0;
  for (const core::Option& row : core::kOptions) {
    const core::Key key = core::keyOf(row);
    if (!key.name.empty()) table[next++] = {key.section, key.name, &row};
  }
  return table;
}();

// The section names of one profile; the default profile has no executable section.
struct Profile {
  std::string_view video;
  std::string_view audio;
  std::string_view misc;
  std::string_view exe;  // empty: the profile does not hold the executable

  std::string_view operator[](Section section) const {
    switch (section) {
      case Section::Video:
        return video;
      case Section::Audio:
        return audio;
      case Section::Misc:
        return misc;
      case Section::Exe:
        return exe;
      case Section::None:
        break;
    }
    return {};
  }
};

inline constexpr Profile kUserProfile{"UserSettingsVid", "UserSettingsAud", "UserSettingsMisc",
                                      "EXE"};
inline constexpr Profile kDefaultProfile{"DefaultVid", "DefaultAud", "DefaultMisc", ""};

}  // namespace kestro::settings
