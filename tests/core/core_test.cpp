// SPDX-License-Identifier: GPL-3.0-or-later
// Number texts under either decimal separator, and the arrow buttons of the stepped values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "core/numbers.h"
#include "core/options.h"
#include "core/stepped.h"

namespace kestro::core {
namespace {

TEST(Numbers, ReadWrittenAndRounded) {
  // A period reads under a comma separator too: the settings file writes one.
  const std::tuple<const char*, char, std::optional<double>> read[] = {
      {" 1.2\t", '.', 1.2}, {".8", '.', 0.8}, {"-12", '.', -12},  {"+4", '.', 4},
      {"01", '.', 1},       {"1.", '.', 1},   {"1,3", ',', 1.3},  {" -0,5", ',', -0.5},
      {" 1.3", ',', 1.3},   {"1,2", '.', {}}, {"1.2,3", ',', {}}, {"", '.', {}},
      {"-", '.', {}},       {".", '.', {}},   {"1.2.3", '.', {}}, {"--1", '.', {}},
      {"12a", '.', {}},     {"1e3", '.', {}}, {"0x10", '.', {}},  {"1 2", '.', {}}};
  for (const auto& [text, separator, value] : read) {
    EXPECT_EQ(readNumber(text, separator), value) << text;
  }
  const std::pair<std::optional<std::string>, std::optional<std::string>> texts[] = {
      {valueText(1.0 / 3.0, '.'), "0.333333333333333"},  // 15 significant digits
      {valueText(123456789012345678.0, '.'), "123456789012346000"},
      {valueText(-0.0, '.'), "0"},
      {numberTextForm(0), " 0"},
      {numberTextForm(-0.5), "-.5"}};
  for (const auto& [text, expected] : texts) EXPECT_EQ(text, expected);
  const std::tuple<const char*, char, std::optional<std::int16_t>> whole[] = {
      {"2.5", '.', 2},       {"3.5", '.', 4},    {"-2.5", '.', -2},  {"2,6", ',', 3},
      {"32767", '.', 32767}, {"32768", '.', {}}, {"-32769", '.', {}}};
  for (const auto& [text, separator, value] : whole) {
    EXPECT_EQ(wholeNumber<std::int16_t>(text, separator), value) << text;
  }
}

using Texts = std::vector<std::string>;
using enum StepDirection;

// Each row clicks one value's arrow from its start (loaded from the settings file, with a
// period; the default when empty) and gives the last values and the label after the clicks.
TEST(SteppedValues, ClicksWalkTheGridAndStopAtTheLimits) {
  const Texts walk = {"0.5", "0.5", "0.6", "0.7", "0.8", "0.9", "1",   "1.1", "1.2",
                      "1.3", "1.4", "1.5", "1.6", "1.7", "1.8", "1.9", "2",   "2"};
  using rows::kGammaSteps, rows::kVolumeSteps, rows::kBeamSteps, rows::kFlickerSteps;
  const std::tuple<const SteppedValue*, const char*, StepDirection, int, Texts, const char*>
      clicks[] = {
          {&kGammaSteps, "2", Down, 16, Texts(walk.rbegin() + 2, walk.rend()), " .5"},
          {&kGammaSteps, "0.5", Up, 16, Texts(walk.begin() + 2, walk.end()), " 2"},
          {&kGammaSteps, "0.3", Up, 1, {"0.4"}, " .4"},  // pulled back only towards its side
          {&kVolumeSteps, "", Down, 13, {"-11", "-12", "-12"}, "-12"},
          {&kBeamSteps, "", Down, 1, {"1"}, " 1"},
          {&kBeamSteps, "20", Down, 1, {"19"}, " 19"},
          {&kBeamSteps, "20", Up, 1, {"16"}, " 16"},
          {&kFlickerSteps, "", Up, 101, {"100", "100"}, " 100"},
          {&kVolumeSteps, "loud", Down, 1, {"loud"}, "old"},  // no number: nothing changes
      };
  for (const char separator : {'.', ','}) {
    for (const auto& [steps, start, direction, times, lastValues, label] : clicks) {
      SCOPED_TRACE(std::string(steps->key.name) + " from '" + start + "' " + separator);
      OptionSet options;
      resetSteppedValues(options, separator);
      if (*start) {
        options.*steps->value = start;
        options.*steps->label = "old";
      }
      Texts seen;
      for (int i = 0; i < times; ++i) {
        stepValue(options, *steps, direction, separator);
        seen.push_back(options.*steps->value);
      }
      Texts last = lastValues;
      for (std::string& text : last) std::ranges::replace(text, '.', separator);
      seen.erase(seen.begin(), seen.end() - static_cast<std::ptrdiff_t>(last.size()));
      EXPECT_EQ(seen, last);
      EXPECT_EQ(options.*steps->label, label);
    }
  }
}

}  // namespace
}  // namespace kestro::core
