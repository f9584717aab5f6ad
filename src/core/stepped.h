// The four stepped values: gamma, volume, beam width and flicker, each held as text and
// moved up or down by a pair of arrow buttons within its limits.
#pragma once

#include <string>
#include <string_view>

#include "core/optionset.h"

namespace kestro::core {

struct SteppedValue {
  std::string_view name;
  std::string OptionSet::*value;
  std::string OptionSet::*label;
  std::string_view downButton;
  std::string_view upButton;
  double step;
  double lower;
  double upper;
  double start;
};

inline constexpr SteppedValue kSteppedValues[] = {
    {"gamma", &OptionSet::gamma, &OptionSet::vidgammal, "vidgamdn", "vidgamup", 0.1, 0.5, 2, 1.2},
    {"volume", &OptionSet::volume, &OptionSet::sndvoltxt, "sndvoldn", "sndvolup", 1, -12, 0, 0},
    {"beam", &OptionSet::beam, &OptionSet::beaml, "bdown", "bup", 1, 1, 16, 1},
    {"flicker", &OptionSet::flicker, &OptionSet::flickerl, "fldown", "flup", 1, 0, 100, 0},
};

enum class StepDirection { Down, Up };

// One click of an arrow button. The limit is tested on the text written back, read
// again, so the value stays on its grid; a text that is no number leaves value and
// label as they were.
void stepValue(OptionSet& options, const SteppedValue& stepped, StepDirection direction,
               char decimalSeparator);

// Start-up: each value gets the value text of its start and its label the number text
// form of that.
void resetSteppedValues(OptionSet& options, char decimalSeparator);

}  // namespace kestro::core
