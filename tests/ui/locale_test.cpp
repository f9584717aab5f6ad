// SPDX-License-Identifier: GPL-3.0-or-later
// The window under a comma locale: the stepped value follows the user's decimal separator, the
// settings file keeps the period, and a saved value comes back the same.
#include <string>

#include "ui/systemenvironment.h"
#include "windowtest.h"

namespace kestro::ui {
namespace {

using CommaLocale = WindowTest;

TEST_F(CommaLocale, GammaStepsInCommasShowsAndSavesPeriodsAndComesBackTheSame) {
  ASSERT_EQ(std::to_string(1.5), "1,500000") << "run with LC_ALL=de_DE.UTF-8";
  const Environment environment = systemEnvironment(folder.str());
  ASSERT_EQ(environment.decimalSeparator, ',');
  open(environment.trayExists, environment.decimalSeparator);
  EXPECT_EQ(options().gamma, "1,2");
  click("vidgamup");
  EXPECT_EQ(options().gamma, "1,3");
  click("saveset");
  click("vidgamup", 3);
  backFromTray();
  // The settings file holds 1.3 with a period, which a comma reader must not take for 13.
  EXPECT_EQ(options().gamma, "1.3");
  EXPECT_EQ(label("vidgammal"), "1.3");
}

}  // namespace
}  // namespace kestro::ui
