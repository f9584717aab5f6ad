#include "core/options.h"

namespace kestro::core {

const Option* groupOf(OptionButton OptionSet::*button) {
  for (const Option& row : kOptions) {
    if (std::ranges::find(row.choices, button, &Choice::button) != row.choices.end()) return &row;
  }
  return nullptr;
}

const Option* optionAt(int OptionSet::*position) {
  const auto* found = std::ranges::find(kOptions, position, &Option::position);
  return found == std::end(kOptions) ? nullptr : found;
}

const Option* optionAt(std::string OptionSet::*text) {
  const auto* found = std::ranges::find(kOptions, text, &Option::text);
  return found == std::end(kOptions) ? nullptr : found;
}

void setOptionButton(OptionSet& options, OptionButton OptionSet::*button, bool on) {
  if (on) {
    if (const Option* group = groupOf(button)) {
      for (const Choice& member : group->choices) options.*member.button = false;
    }
  }
  options.*button = on;
}

}  // namespace kestro::core
