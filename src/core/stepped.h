// SPDX-License-Identifier: GPL-3.0-or-later
// The stepped values, each held as text and moved up or down by a pair of arrow buttons within
// the limits of its row in the option table.
#pragma once

#include <string>

#include "core/options.h"

namespace kestro::core {

enum class StepDirection { Down, Up };

// One click of an arrow button. The limit is tested on the text written back, read again, so
// the value stays on its grid; a text that is no number leaves value and label as they were.
void stepValue(OptionSet& options, const SteppedValue& stepped, StepDirection direction,
               char decimalSeparator);

// Start-up: each value gets the value text of its start and its label the number text form of
// that.
void resetSteppedValues(OptionSet& options, char decimalSeparator);

}  // namespace kestro::core
