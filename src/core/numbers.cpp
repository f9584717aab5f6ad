// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/numbers.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "core/text.h"

namespace kestro::core {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The decimal digits of |value| rounded to 15 significant digits, without trailing
// zeros, and the power of ten of the first digit: 0.0625 gives {"625", -2}.
struct Digits {
  std::string digits;
  int exponent = 0;
};

Digits significantDigits(double magnitude) {
  std::array<char, 64> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                    std::chars_format::scientific, 14);
  const std::string_view text(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data()));
  const std::size_t e = text.find('e');
  Digits out;
  for (char c : text.substr(0, e)) {
    if (isDigit(c)) out.digits.push_back(c);
  }
  while (out.digits.size() > 1 && out.digits.back() == '0') out.digits.pop_back();
  std::string_view exponentText = text.substr(e + 1);
  if (!exponentText.empty() && exponentText.front() == '+') exponentText.remove_prefix(1);
  std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), out.exponent);
  return out;
}

// Plain decimal notation of a finite, non-negative value with the given separator.
std::string plainDecimal(double magnitude, char decimalSeparator) {
  if (magnitude == 0 || !std::isfinite(magnitude)) return "0";
  const Digits d = significantDigits(magnitude);
  const int count = static_cast<int>(d.digits.size());
  if (d.exponent < 0) {
    return "0" + std::string(1, decimalSeparator) +
           std::string(static_cast<std::size_t>(-d.exponent - 1), '0') + d.digits;
  }
  if (count <= d.exponent + 1) {
    return d.digits + std::string(static_cast<std::size_t>(d.exponent + 1 - count), '0');
  }
  const auto integerDigits = static_cast<std::size_t>(d.exponent + 1);
  return d.digits.substr(0, integerDigits) + decimalSeparator + d.digits.substr(integerDigits);
}

}  // namespace

std::optional<double> readNumber(std::string_view text, char decimalSeparator) {
  text = trimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // Only digits and at most one decimal point; from_chars then gives the nearest double.
  std::string plain;
  plain.reserve(text.size() + 1);
  bool seenPoint = false;
  bool seenDigit = false;
  for (char c : text) {
    if (isDigit(c)) {
      plain.push_back(c);
      seenDigit = true;
    } else if ((c == decimalSeparator || c == '.') && !seenPoint) {
      plain.push_back('.');
      seenPoint = true;
    } else {
      return std::nullopt;
    }
  }
  if (!seenDigit) return std::nullopt;
  if (plain.front() == '.') plain.insert(plain.begin(), '0');
  double value = 0;
  const auto result =
      std::from_chars(plain.data(), plain.data() + plain.size(), value, std::chars_format::fixed);
  if (result.ec != std::errc{} || result.ptr != plain.data() + plain.size() ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

std::string valueText(double value, char decimalSeparator) {
  const std::string magnitude = plainDecimal(std::fabs(value), decimalSeparator);
  return value < 0 && magnitude != "0" ? "-" + magnitude : magnitude;
}

std::string numberTextForm(double value) {
  std::string magnitude = plainDecimal(std::fabs(value), '.');
  if (magnitude.size() > 1 && magnitude.starts_with("0.")) magnitude.erase(0, 1);
  const bool negative = value < 0 && magnitude != "0";
  return (negative ? "-" : " ") + magnitude;
}

std::optional<std::string> numberTextForm(std::string_view text, char decimalSeparator) {
  const std::optional<double> value = readNumber(text, decimalSeparator);
  if (!value) return std::nullopt;
  return numberTextForm(*value);
}

std::optional<double> roundHalfEven(std::string_view text, char decimalSeparator) {
  const std::optional<double> value = readNumber(text, decimalSeparator);
  if (!value) return std::nullopt;
  const double lower = std::floor(*value);
  const double fraction = *value - lower;
  if (fraction > 0.5) return lower + 1;
  if (fraction < 0.5) return lower;
  return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

}  // namespace kestro::core
