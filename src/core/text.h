// SPDX-License-Identifier: GPL-3.0-or-later
// Small text rules shared by every layer: blanks are spaces and tabs, and letter case is
// folded for ASCII letters only, so that no locale (a Turkish dotless i, say) changes a
// name, a key or a message.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace kestro::core {

inline constexpr std::string_view kBlanks = " \t";

constexpr std::string_view trimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

constexpr std::string_view trimTrailingBlanks(std::string_view text) {
  const std::size_t last = text.find_last_not_of(kBlanks);
  return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

constexpr char lowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string lowerAscii(std::string_view text) {
  std::string lower(text);
  std::ranges::transform(lower, lower.begin(), [](char c) { return lowerAscii(c); });
  return lower;
}

constexpr bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

}  // namespace kestro::core
