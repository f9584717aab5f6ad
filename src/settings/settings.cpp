#include "settings/settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/numbers.h"
#include "settings/inifile.h"

namespace kestro::settings {
namespace {

using core::Option;
using core::OptionKind;
using core::OptionSet;

void takeFromControl(const OptionSet& options, const Option& row, std::string& value) {
  switch (row.kind) {
    case OptionKind::Group:
      if (row.choices.size() == 2) {
        // A pair stores its first button's number when that is on, else the second's.
        value = std::to_string(row.choices[options.*row.choices[0].button ? 0 : 1].stored);
        break;
      }
      for (const core::Choice& choice : row.choices) {
        if (options.*choice.button) {
          value = std::to_string(choice.stored);
          break;
        }
      }
      break;  // no button on: the remembered value travels on
    case OptionKind::Box:
      if (row.stored == core::Stored::Inverted) {
        value = options.*row.box == 1 ? "0" : "1";
      } else {
        value = std::to_string(options.*row.box);
      }
      break;
    case OptionKind::Slider:
    case OptionKind::List:
      value = std::to_string(options.*row.position);
      break;
    case OptionKind::Stepped:
    case OptionKind::Exe:
      value = options.*row.text;
      break;
    case OptionKind::Resolution:
    case OptionKind::CarriedOver:
      break;
  }
}

template <typename Int>
void setPosition(OptionSet& options, const Option& row, const std::string& text, char separator) {
  const std::optional<Int> position = core::wholeNumber<Int>(text, separator);
  if (position && *position >= row.lowest && *position <= row.highest) {
    options.*row.position = *position;
  }
}

void applyToControl(OptionSet& options, const Option& row, const std::string& text,
                    char separator) {
  const std::optional<double> number = core::readNumber(text, separator);
  switch (row.kind) {
    case OptionKind::Group:
      for (const core::Choice& choice : row.choices) {
        if (number && *number == choice.stored) {
          core::setOptionButton(options, choice.button, true);
          break;
        }
      }
      break;
    case OptionKind::Box: {
      const bool inverted = row.stored == core::Stored::Inverted;
      if (number == 1.0) options.*row.box = inverted ? 0 : 1;
      if (number == 0.0) options.*row.box = inverted ? 1 : 0;
      break;
    }
    case OptionKind::Slider:
      setPosition<std::int32_t>(options, row, text, separator);
      break;
    case OptionKind::List:
      setPosition<std::int16_t>(options, row, text, separator);
      break;
    case OptionKind::Stepped:
      // The steppers and the command line need a number: a text that holds none is not taken.
      if (number) {
        options.*row.text = text;
        options.*row.other = text;
      }
      break;
    case OptionKind::Exe:
      options.*row.text = text;
      break;
    case OptionKind::Resolution:
    case OptionKind::CarriedOver:
      break;
  }
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
    const OptionKind kind = kKeyTable[i].option->kind;
    texts.push_back(kind == OptionKind::Exe || kind == OptionKind::CarriedOver
                        ? value
                        : core::numberTextForm(value, separator).value_or(value));
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
