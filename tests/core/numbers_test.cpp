// The four number conversions, with a period and with a comma as the user's separator.
#include "core/numbers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

namespace kestro::core {
namespace {

struct ReadCase {
  const char* text;
  char separator;
  std::optional<double> expected;
};

TEST(ReadNumber, AcceptsWhatTheOptionValuesCanHold) {
  const ReadCase cases[] = {
      {"1.2", '.', 1.2},   {"01.2", '.', 1.2},  {" 1.2", '.', 1.2},    {"1.2 ", '.', 1.2},
      {".8", '.', 0.8},    {" 16", '.', 16},    {"-1", '.', -1},       {"-12", '.', -12},
      {"01", '.', 1},      {"\t3\t", '.', 3},   {"+4", '.', 4},        {"1.", '.', 1},
      {"1,3", ',', 1.3},   {",5", ',', 0.5},    {" -0,5", ',', -0.5},
      // The settings file writes a period whatever the user's separator.
      {" 1.3", ',', 1.3},  {".8", ',', 0.8},
  };
  for (const ReadCase& c : cases) {
    EXPECT_EQ(readNumber(c.text, c.separator), c.expected) << '"' << c.text << '"';
  }
}

TEST(ReadNumber, RejectsWhatNoOptionValueCanBe) {
  const ReadCase cases[] = {
      {"", '.', {}},      {" ", '.', {}},     {"-", '.', {}},       {".", '.', {}},
      {"abc", '.', {}},   {"1.2.3", '.', {}}, {"1,2", '.', {}},     {"1e3", '.', {}},
      {"1E3", '.', {}},   {"0x10", '.', {}},  {"inf", '.', {}},     {"nan", '.', {}},
      {"Infinity", '.', {}}, {"1 2", '.', {}}, {"--1", '.', {}},    {"1,000", '.', {}},
      {"1.2,3", ',', {}}, {"12a", '.', {}},
  };
  for (const ReadCase& c : cases) {
    EXPECT_EQ(readNumber(c.text, c.separator), std::nullopt) << '"' << c.text << '"';
  }
}

TEST(ValueText, FifteenDigitsNoTrailingZerosUsersSeparator) {
  EXPECT_EQ(valueText(1.2 - 0.1, '.'), "1.1");
  EXPECT_EQ(valueText(0.5, '.'), "0.5");
  EXPECT_EQ(valueText(2, '.'), "2");
  EXPECT_EQ(valueText(-12, '.'), "-12");
  EXPECT_EQ(valueText(100, '.'), "100");
  EXPECT_EQ(valueText(0, '.'), "0");
  EXPECT_EQ(valueText(-0.0, '.'), "0");
  EXPECT_EQ(valueText(44100, '.'), "44100");
  EXPECT_EQ(valueText(0.0625, '.'), "0.0625");
  EXPECT_EQ(valueText(1.3, ','), "1,3");
  EXPECT_EQ(valueText(-0.5, ','), "-0,5");
  EXPECT_EQ(valueText(123456789012345678.0, '.'), "123456789012346000");
  EXPECT_EQ(valueText(1.0 / 3.0, '.'), "0.333333333333333");
}

TEST(NumberTextForm, BlankOrMinusPeriodNoLeadingZero) {
  EXPECT_EQ(numberTextForm(1.2), " 1.2");
  EXPECT_EQ(numberTextForm(0.8), " .8");
  EXPECT_EQ(numberTextForm(0), " 0");
  EXPECT_EQ(numberTextForm(16), " 16");
  EXPECT_EQ(numberTextForm(44100), " 44100");
  EXPECT_EQ(numberTextForm(-1), "-1");
  EXPECT_EQ(numberTextForm(-0.5), "-.5");
  EXPECT_EQ(numberTextForm("1.1", '.'), " 1.1");
  EXPECT_EQ(numberTextForm("0.5", '.'), " .5");
  EXPECT_EQ(numberTextForm("-5", '.'), "-5");
  EXPECT_EQ(numberTextForm("1,3", ','), " 1.3");
  EXPECT_EQ(numberTextForm("", '.'), std::nullopt);
}

TEST(WholeNumber, RoundsHalfToEvenAndChecksTheRange) {
  EXPECT_EQ(wholeNumber<std::int16_t>("2.5", '.'), 2);
  EXPECT_EQ(wholeNumber<std::int16_t>("3.5", '.'), 4);
  EXPECT_EQ(wholeNumber<std::int16_t>("-2.5", '.'), -2);
  EXPECT_EQ(wholeNumber<std::int16_t>("-1", '.'), -1);
  EXPECT_EQ(wholeNumber<std::int16_t>("2.6", '.'), 3);
  EXPECT_EQ(wholeNumber<std::int16_t>("2,5", ','), 2);
  EXPECT_EQ(wholeNumber<std::int16_t>("32767", '.'), 32767);
  EXPECT_EQ(wholeNumber<std::int16_t>("32768", '.'), std::nullopt);
  EXPECT_EQ(wholeNumber<std::int16_t>("-32769", '.'), std::nullopt);
  EXPECT_EQ(wholeNumber<std::int32_t>("99999999999", '.'), std::nullopt);
  EXPECT_EQ(wholeNumber<std::int32_t>("x", '.'), std::nullopt);
}

TEST(NumberTexts, RoundTripStaysOnTheGridOfTenths) {
  for (char separator : {'.', ','}) {
    double value = 0.5;
    for (int i = 0; i < 15; ++i) {
      const std::string text = valueText(value + 0.1, separator);
      value = *readNumber(text, separator);
      EXPECT_LE(text.size(), 3u) << text;
    }
    EXPECT_EQ(value, 2.0);
  }
}

}  // namespace
}  // namespace kestro::core
