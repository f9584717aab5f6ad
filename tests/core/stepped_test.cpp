// The arrow buttons at every limit, on the grid of tenths, and with a comma.
#include "core/stepped.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestro::core {
namespace {

const SteppedValue& stepped(std::string_view name) {
  for (const SteppedValue& value : kSteppedValues) {
    if (value.name == name) return value;
  }
  throw std::logic_error("no such stepped value");
}

// Clicks one button `times` times and collects the value after each click.
std::vector<std::string> click(OptionSet& options, std::string_view name, StepDirection direction,
                               int times, char separator = '.') {
  std::vector<std::string> seen;
  for (int i = 0; i < times; ++i) {
    stepValue(options, stepped(name), direction, separator);
    seen.push_back(options.*stepped(name).value);
  }
  return seen;
}

using Texts = std::vector<std::string>;

TEST(SteppedValues, StartUpTextsAndLabels) {
  OptionSet options;
  resetSteppedValues(options, '.');
  EXPECT_EQ(options.gamma, "1.2");
  EXPECT_EQ(options.volume, "0");
  EXPECT_EQ(options.beam, "1");
  EXPECT_EQ(options.flicker, "0");
  EXPECT_EQ(options.vidgammal, " 1.2");
  EXPECT_EQ(options.sndvoltxt, " 0");
  EXPECT_EQ(options.beaml, " 1");
  EXPECT_EQ(options.flickerl, " 0");
}

TEST(SteppedValues, GammaUpToTwoAndDownToHalf) {
  OptionSet options;
  resetSteppedValues(options, '.');
  EXPECT_EQ(click(options, "gamma", StepDirection::Up, 9),
            (Texts{"1.3", "1.4", "1.5", "1.6", "1.7", "1.8", "1.9", "2", "2"}));
  EXPECT_EQ(options.vidgammal, " 2");

  options.gamma = "1.2";
  EXPECT_EQ(click(options, "gamma", StepDirection::Down, 8),
            (Texts{"1.1", "1", "0.9", "0.8", "0.7", "0.6", "0.5", "0.5"}));
  EXPECT_EQ(options.vidgammal, " .5");

  const Texts up = click(options, "gamma", StepDirection::Up, 15);
  EXPECT_EQ(up.front(), "0.6");
  EXPECT_EQ(up.back(), "2");
  for (const std::string& text : up) EXPECT_LE(text.size(), 3u) << text;
}

TEST(SteppedValues, VolumeBeamAndFlickerAtTheirLimits) {
  OptionSet options;
  resetSteppedValues(options, '.');
  EXPECT_EQ(click(options, "volume", StepDirection::Up, 1), Texts{"0"});
  EXPECT_EQ(options.sndvoltxt, " 0");
  const Texts down = click(options, "volume", StepDirection::Down, 13);
  EXPECT_EQ(down[0], "-1");
  EXPECT_EQ(down[11], "-12");
  EXPECT_EQ(down[12], "-12");
  EXPECT_EQ(options.sndvoltxt, "-12");

  EXPECT_EQ(click(options, "beam", StepDirection::Down, 1), Texts{"1"});
  EXPECT_EQ(click(options, "beam", StepDirection::Up, 16).back(), "16");
  EXPECT_EQ(options.beaml, " 16");

  EXPECT_EQ(click(options, "flicker", StepDirection::Down, 1), Texts{"0"});
  EXPECT_EQ(click(options, "flicker", StepDirection::Up, 101).back(), "100");
  EXPECT_EQ(options.flickerl, " 100");
}

TEST(SteppedValues, OutOfRangeTextsArePulledBackOnlyTowardsTheirSide) {
  OptionSet options;
  options.beam = "20";
  EXPECT_EQ(click(options, "beam", StepDirection::Down, 1), Texts{"19"});
  EXPECT_EQ(click(options, "beam", StepDirection::Up, 1), Texts{"16"});
  options.gamma = "0.3";
  EXPECT_EQ(click(options, "gamma", StepDirection::Up, 1), Texts{"0.4"});
  options.gamma = " 1.2";
  EXPECT_EQ(click(options, "gamma", StepDirection::Up, 1), Texts{"1.3"});
}

TEST(SteppedValues, CommaSeparatorInTheValueAndPeriodInTheLabel) {
  OptionSet options;
  resetSteppedValues(options, ',');
  EXPECT_EQ(options.gamma, "1,2");
  EXPECT_EQ(click(options, "gamma", StepDirection::Up, 1, ','), Texts{"1,3"});
  EXPECT_EQ(options.vidgammal, " 1.3");
  EXPECT_EQ(click(options, "gamma", StepDirection::Down, 9, ',').back(), "0,5");
  // A value loaded from the settings file is written with a period.
  options.gamma = "1.3";
  EXPECT_EQ(click(options, "gamma", StepDirection::Up, 1, ','), Texts{"1,4"});
}

TEST(SteppedValues, ATextThatIsNoNumberLeavesValueAndLabel) {
  OptionSet options;
  options.gamma = "";
  options.vidgammal = "old";
  stepValue(options, stepped("gamma"), StepDirection::Up, '.');
  EXPECT_EQ(options.gamma, "");
  EXPECT_EQ(options.vidgammal, "old");
  options.volume = "loud";
  stepValue(options, stepped("volume"), StepDirection::Down, '.');
  EXPECT_EQ(options.volume, "loud");
}

}  // namespace
}  // namespace kestro::core
