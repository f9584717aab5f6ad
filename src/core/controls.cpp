#include "core/controls.h"

namespace kestro::core {

const OptionGroup* groupOf(OptionButton OptionSet::*button) {
  for (const OptionGroup& group : kOptionGroups) {
    for (const OptionButtonField& member : group.members) {
      if (member.member == button) return &group;
    }
  }
  return nullptr;
}

const OptionButtonField* optionButtonNamed(std::string_view name) {
  for (const OptionGroup& group : kOptionGroups) {
    for (const OptionButtonField& member : group.members) {
      if (member.name == name) return &member;
    }
  }
  return nullptr;
}

void setOptionButton(OptionSet& options, OptionButton OptionSet::*button, bool on) {
  if (on) {
    if (const OptionGroup* group = groupOf(button)) {
      for (const OptionButtonField& member : group->members) options.*member.member = false;
    }
  }
  options.*button = on;
}

}  // namespace kestro::core
