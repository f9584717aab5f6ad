// The number texts with a period and with a comma as the user's separator, the option groups,
// and the arrow buttons at every limit and on the grid of tenths.
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

TEST(ReadNumber, AcceptsPlainDecimalsOnly) {
  // A period reads under a comma separator too: the settings file writes one.
  const std::tuple<const char*, char, double> numbers[] = {
      {" 1.2\t", '.', 1.2}, {".8", '.', 0.8}, {"-12", '.', -12}, {"+4", '.', 4},
      {"01", '.', 1},       {"1.", '.', 1},   {"1,3", ',', 1.3}, {" -0,5", ',', -0.5},
      {" 1.3", ',', 1.3},   {".8", ',', 0.8}};
  for (const auto& [text, separator, value] : numbers) {
    EXPECT_EQ(readNumber(text, separator), value) << text;
  }
  for (const char* text : {"", "-", ".", "1,2", "1.2.3", "1 2", "--1", "12a", "1e3", "1E3", "0x10",
                           "inf", "nan", "Infinity"}) {
    EXPECT_EQ(readNumber(text, '.'), std::nullopt) << text;
  }
  EXPECT_EQ(readNumber("1.2,3", ','), std::nullopt);
}

TEST(NumberTexts, ValueTextNumberTextFormAndWholeNumbers) {
  EXPECT_EQ(valueText(1.2 - 0.1, '.'), "1.1");  // 15 significant digits
  EXPECT_EQ(valueText(1.0 / 3.0, '.'), "0.333333333333333");
  EXPECT_EQ(valueText(123456789012345678.0, '.'), "123456789012346000");
  EXPECT_EQ(valueText(-0.0, '.'), "0");
  EXPECT_EQ(valueText(-0.5, ','), "-0,5");
  EXPECT_EQ(numberTextForm(0), " 0");
  EXPECT_EQ(numberTextForm(-0.5), "-.5");
  EXPECT_EQ(numberTextForm("1,3", ','), " 1.3");
  EXPECT_EQ(numberTextForm("", '.'), std::nullopt);
  EXPECT_EQ(wholeNumber<std::int16_t>("2.5", '.'), 2);
  EXPECT_EQ(wholeNumber<std::int16_t>("3.5", '.'), 4);
  EXPECT_EQ(wholeNumber<std::int16_t>("-2.5", '.'), -2);
  EXPECT_EQ(wholeNumber<std::int16_t>("2,6", ','), 3);
  EXPECT_EQ(wholeNumber<std::int16_t>("32767", '.'), 32767);
  EXPECT_EQ(wholeNumber<std::int16_t>("32768", '.'), std::nullopt);
  EXPECT_EQ(wholeNumber<std::int16_t>("-32769", '.'), std::nullopt);
}

TEST(OptionGroups, OneOnTurnsTheRestOfItsGroupOffAndLeavesOtherGroups) {
  OptionSet options;
  const std::span<const Choice> monitors = groupOf(&OptionSet::vidmon3)->choices;
  ASSERT_EQ(monitors.size(), 4u);
  setOptionButton(options, &OptionSet::vidvesa2, true);
  for (const Choice& member : monitors) setOptionButton(options, member.button, true);
  setOptionButton(options, &OptionSet::vidmon2, true);
  for (const Choice& member : monitors) {
    EXPECT_EQ(options.*member.button, member.button == &OptionSet::vidmon2) << member.stored;
  }
  setOptionButton(options, &OptionSet::vidmon2, false);  // a group may be left with none on
  for (const Choice& member : monitors) EXPECT_FALSE(options.*member.button);
  EXPECT_TRUE(options.vidvesa2);
}

using Texts = std::vector<std::string>;
using enum StepDirection;

// Clicks one value's button `times` times and collects the value after each click.
Texts click(OptionSet& options, std::string_view name, StepDirection direction, int times,
            char separator = '.') {
  const Option& stepped = *std::ranges::find(kOptions, name, [](const Option& row) {
    return row.kind == OptionKind::Stepped ? row.key.name : "";
  });
  Texts seen;
  for (int i = 0; i < times; ++i) {
    stepValue(options, stepped, direction, separator);
    seen.push_back(options.*stepped.text);
  }
  return seen;
}

TEST(SteppedValues, GammaWalksTheGridOfTenthsBetweenHalfAndTwo) {
  for (const char separator : {'.', ','}) {
    Texts down = {"1.9", "1.8", "1.7", "1.6", "1.5", "1.4", "1.3", "1.2",
                  "1.1", "1",   "0.9", "0.8", "0.7", "0.6", "0.5", "0.5"};
    Texts up(down.rbegin() + 2, down.rend());
    up.insert(up.end(), {"2", "2"});
    for (Texts* texts : {&down, &up}) {
      for (std::string& text : *texts) std::ranges::replace(text, '.', separator);
    }
    OptionSet options;
    resetSteppedValues(options, separator);
    EXPECT_EQ(options.vidgammal, " 1.2");
    EXPECT_EQ(click(options, "gamma", Up, 9, separator).back(), "2");
    EXPECT_EQ(click(options, "gamma", Down, 16, separator), down);
    EXPECT_EQ(options.vidgammal, " .5");
    EXPECT_EQ(click(options, "gamma", Up, 16, separator), up);
  }
  // A value loaded from the settings file holds a period; a click writes the user's comma.
  OptionSet options;
  options.gamma = "1.3";
  EXPECT_EQ(click(options, "gamma", Up, 1, ','), Texts{"1,4"});
}

TEST(SteppedValues, VolumeBeamAndFlickerStopAtTheirLimits) {
  OptionSet options;
  resetSteppedValues(options, '.');
  EXPECT_EQ(click(options, "volume", Up, 1), Texts{"0"});
  EXPECT_EQ(click(options, "volume", Down, 13).back(), "-12");
  EXPECT_EQ(options.sndvoltxt, "-12");
  EXPECT_EQ(click(options, "beam", Down, 1), Texts{"1"});
  EXPECT_EQ(click(options, "beam", Up, 16).back(), "16");
  EXPECT_EQ(options.beaml, " 16");
  EXPECT_EQ(click(options, "flicker", Down, 1), Texts{"0"});
  EXPECT_EQ(click(options, "flicker", Up, 101).back(), "100");
  EXPECT_EQ(options.flickerl, " 100");
}

TEST(SteppedValues, OutOfRangeIsPulledBackOnlyTowardsItsSideAndNoNumberStays) {
  OptionSet options;
  options.beam = "20";
  EXPECT_EQ(click(options, "beam", Down, 1), Texts{"19"});
  EXPECT_EQ(click(options, "beam", Up, 1), Texts{"16"});
  options.gamma = "0.3";
  EXPECT_EQ(click(options, "gamma", Up, 1), Texts{"0.4"});
  options.volume = "loud";
  options.sndvoltxt = "old";
  EXPECT_EQ(click(options, "volume", Down, 1), Texts{"loud"});
  EXPECT_EQ(options.sndvoltxt, "old");
}

}  // namespace
}  // namespace kestro::core
