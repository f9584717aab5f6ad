// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/stepped.h"

#include <optional>

#include "core/numbers.h"

namespace kestro::core {
namespace {

void showInLabel(OptionSet& options, const SteppedValue& stepped, char decimalSeparator) {
  if (auto form = numberTextForm(options.*stepped.value, decimalSeparator)) {
    options.*stepped.label = *form;
  }
}

}  // namespace

void stepValue(OptionSet& options, const SteppedValue& stepped, StepDirection direction,
               char decimalSeparator) {
  const std::optional<double> current = readNumber(options.*stepped.value, decimalSeparator);
  if (!current) return;
  const Stepping& limits = stepped.stepping;
  const bool up = direction == StepDirection::Up;
  std::string& text = options.*stepped.value;
  text = valueText(up ? *current + limits.step : *current - limits.step, decimalSeparator);
  const double written = readNumber(text, decimalSeparator).value_or(*current);
  if (up && written > limits.upper) text = valueText(limits.upper, decimalSeparator);
  if (!up && written < limits.lower) text = valueText(limits.lower, decimalSeparator);
  showInLabel(options, stepped, decimalSeparator);
}

void resetSteppedValues(OptionSet& options, char decimalSeparator) {
  for (const Option& row : kOptions) {
    const auto* stepped = std::get_if<SteppedValue>(&row);
    if (stepped == nullptr) continue;
    options.*stepped->value = valueText(stepped->stepping.start, decimalSeparator);
    showInLabel(options, *stepped, decimalSeparator);
  }
}

}  // namespace kestro::core
