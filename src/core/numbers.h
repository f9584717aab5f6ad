// SPDX-License-Identifier: GPL-3.0-or-later
// Number texts: every number in Kestro is kept as text. The stepped values follow the
// user's decimal separator; labels, the settings file and the command line always use
// a period. Everything here works on the separator passed in and never on the C
// library's locale, which follows the desktop once the window toolkit has started.
#pragma once

#include <concepts>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace kestro::core {

// Reads a decimal number: blanks around it, an optional sign, digits with the user's
// separator (or a period, which is how the settings file writes every number), a
// leading zero may be missing. Infinity, NaN, hexadecimal and exponent forms and
// thousands separators are not numbers here.
std::optional<double> readNumber(std::string_view text, char decimalSeparator);

// The text a stepped value holds: at most 15 significant digits, no trailing zeros,
// the user's separator, a zero before it below 1, no exponent ("0.5", "2", "-12").
std::string valueText(double value, char decimalSeparator);

// The form of labels, the settings file and the command line: a blank before a number
// that is not negative, a period, no zero before it below 1 (" 1.2", " .8", "-5").
std::string numberTextForm(double value);
std::optional<std::string> numberTextForm(std::string_view text, char decimalSeparator);

// Rounds half to even (2.5 gives 2, 3.5 gives 4); nothing when the text is no number
// or the result does not fit Int.
std::optional<double> roundHalfEven(std::string_view text, char decimalSeparator);

template <std::integral Int>
std::optional<Int> wholeNumber(std::string_view text, char decimalSeparator) {
  const std::optional<double> rounded = roundHalfEven(text, decimalSeparator);
  if (!rounded || *rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
      *rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
    return std::nullopt;
  }
  return static_cast<Int>(*rounded);
}

}  // namespace kestro::core
