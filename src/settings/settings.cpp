#include "settings/settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/controls.h"
#include "core/numbers.h"
#include "platform/profile.h"
#include "settings/inifile.h"
#include "settings/keytable.h"

namespace kestro::settings {
namespace {

using core::OptionSet;

// flipx has no remembered value: its value lives in `held` for one save or load.
std::string& valueOf(OptionSet& options, const KeyRow& row, std::string& held) {
  return row.remembered ? options.*row.remembered : held;
}

void takeFromControl(OptionSet& options, const KeyRow& row, std::string& value) {
  switch (row.kind) {
    case KeyKind::Choice:
      for (const ChoiceValue& choice : row.choices) {
        if (options.*choice.button) {
          value = std::to_string(choice.value);
          break;
        }
      }
      break;  // no button on: the remembered value travels on
    case KeyKind::Pair:
      value = std::to_string(options.*row.choices[0].button ? row.choices[0].value
                                                            : row.choices[1].value);
      break;
    case KeyKind::Check:
      value = std::to_string(options.*row.checkBox);
      break;
    case KeyKind::InvertedCheck:
      value = options.*row.checkBox == 1 ? "0" : "1";
      break;
    case KeyKind::Slider:
    case KeyKind::List:
      value = std::to_string(options.*row.position);
      break;
    case KeyKind::Stepped:
      value = options.*row.text;
      break;
    case KeyKind::CarriedOver:
    case KeyKind::Exe:
      break;
  }
}

template <typename Int>
void setPosition(OptionSet& options, const KeyRow& row, const std::string& text, char separator) {
  const std::optional<Int> position = core::wholeNumber<Int>(text, separator);
  if (position && *position >= row.lowest && *position <= row.highest) {
    options.*row.position = *position;
  }
}

void applyToControl(OptionSet& options, const KeyRow& row, const std::string& text,
                    char separator) {
  const std::optional<double> number = core::readNumber(text, separator);
  switch (row.kind) {
    case KeyKind::Choice:
    case KeyKind::Pair:
      for (const ChoiceValue& choice : row.choices) {
        if (number && *number == choice.value) {
          core::setOptionButton(options, choice.button, true);
          break;
        }
      }
      break;
    case KeyKind::Check:
    case KeyKind::InvertedCheck: {
      const bool inverted = row.kind == KeyKind::InvertedCheck;
      if (number == 1.0) options.*row.checkBox = inverted ? 0 : 1;
      if (number == 0.0) options.*row.checkBox = inverted ? 1 : 0;
      break;
    }
    case KeyKind::Slider:
      setPosition<std::int32_t>(options, row, text, separator);
      break;
    case KeyKind::List:
      setPosition<std::int16_t>(options, row, text, separator);
      break;
    case KeyKind::Stepped:
      // The steppers and the command line need a number: a text that holds none is not taken.
      if (number) {
        options.*row.text = text;
        options.*row.label = text;
      }
      break;
    case KeyKind::CarriedOver:
    case KeyKind::Exe:
      break;
  }
}

void load(OptionSet& options, const std::string& iniPath, char separator, const Profile& profile,
          const Profile* fallback) {
  std::string flipx;
  for (const KeyRow& row : kKeyTable) {
    const std::string_view section = profile[row.section];
    if (section.empty()) continue;
    std::string text = ReadIniValue(std::string(section), std::string(row.key), iniPath);
    if (text.empty() && fallback && !(*fallback)[row.section].empty()) {
      text = ReadIniValue(std::string((*fallback)[row.section]), std::string(row.key), iniPath);
    }
    valueOf(options, row, flipx) = std::move(text);
  }
  for (const KeyRow& row : kKeyTable) {
    if (!profile[row.section].empty()) {
      applyToControl(options, row, valueOf(options, row, flipx), separator);
    }
  }
}

}  // namespace

SaveOutcome saveUserSettings(OptionSet& options, const std::string& iniPath, char separator) {
  std::string flipx;
  for (const KeyRow& row : kKeyTable) takeFromControl(options, row, valueOf(options, row, flipx));

  std::vector<std::string> texts;
  for (const KeyRow& row : kKeyTable) {
    const std::string& value = valueOf(options, row, flipx);
    // A value that holds no number (a key edited by hand) is written as it stands.
    texts.push_back(
        row.kind == KeyKind::Exe ? value : core::numberTextForm(value, separator).value_or(value));
  }
  // One write for every key: the file holds all of this save or none of it.
  std::vector<platform::ProfileEntry> entries;
  for (std::size_t index = 0; index < texts.size(); ++index) {
    entries.push_back({kUserProfile[kKeyTable[index].section], kKeyTable[index].key, texts[index]});
  }
  SaveOutcome outcome;
  for (const int error : platform::WritePrivateProfileStrings(iniPath.c_str(), entries)) {
    if (error != 0 && outcome.saved) outcome = {false, error};
  }
  return outcome;
}

void loadUserSettings(OptionSet& options, const std::string& iniPath, char separator) {
  load(options, iniPath, separator, kUserProfile, &kDefaultProfile);
}

void loadDefaultSettings(OptionSet& options, const std::string& iniPath, char separator) {
  load(options, iniPath, separator, kDefaultProfile, nullptr);
}

}  // namespace kestro::settings
