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
  const bool up = direction == StepDirection::Up;
  std::string& text = options.*stepped.value;
  text = valueText(up ? *current + stepped.step : *current - stepped.step, decimalSeparator);
  const double written = readNumber(text, decimalSeparator).value_or(*current);
  if (up && written > stepped.upper) text = valueText(stepped.upper, decimalSeparator);
  if (!up && written < stepped.lower) text = valueText(stepped.lower, decimalSeparator);
  showInLabel(options, stepped, decimalSeparator);
}

void resetSteppedValues(OptionSet& options, char decimalSeparator) {
  for (const SteppedValue& stepped : kSteppedValues) {
    options.*stepped.value = valueText(stepped.start, decimalSeparator);
    showInLabel(options, stepped, decimalSeparator);
  }
}

}  // namespace kestro::core
