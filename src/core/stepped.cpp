#include "core/stepped.h"

#include <optional>

#include "core/numbers.h"

namespace kestro::core {
namespace {

void showInLabel(OptionSet& options, const Option& stepped, char decimalSeparator) {
  if (auto form = numberTextForm(options.*stepped.text, decimalSeparator)) {
    options.*stepped.other = *form;
  }
}

}  // namespace

void stepValue(OptionSet& options, const Option& stepped, StepDirection direction,
               char decimalSeparator) {
  const std::optional<double> current = readNumber(options.*stepped.text, decimalSeparator);
  if (!current) return;
  const Stepping& limits = stepped.stepping;
  const bool up = direction == StepDirection::Up;
  std::string& text = options.*stepped.text;
  text = valueText(up ? *current + limits.step : *current - limits.step, decimalSeparator);
  const double written = readNumber(text, decimalSeparator).value_or(*current);
  if (up && written > limits.upper) text = valueText(limits.upper, decimalSeparator);
  if (!up && written < limits.lower) text = valueText(limits.lower, decimalSeparator);
  showInLabel(options, stepped, decimalSeparator);
}

void resetSteppedValues(OptionSet& options, char decimalSeparator) {
  for (const Option& row : kOptions) {
    if (row.kind != OptionKind::Stepped) continue;
    options.*row.text = valueText(row.stepping.start, decimalSeparator);
    showInLabel(options, row, decimalSeparator);
  }
}

}  // namespace kestro::core
