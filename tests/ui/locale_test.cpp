// The window under a comma locale: the stepped value follows the user's decimal separator while
// its label, like the settings file and the command line, keeps the period.
#include <QLocale>
#include <cstdio>

#include "launch/commandline.h"
#include "ui/systemenvironment.h"
#include "windowtest.h"

namespace kestro::ui {
namespace {

using CommaLocale = WindowTest;

TEST_F(CommaLocale, GammaStepsToACommaTextWhileItsLabelShowsAPeriod) {
  ASSERT_EQ(QLocale::system().decimalPoint(), ",") << "run with LC_ALL=de_DE.UTF-8";
  char printed[8];
  std::snprintf(printed, sizeof printed, "%.1f", 1.5);
  ASSERT_STREQ(printed, "1,5") << "the C library must be in the comma locale too";

  const Environment environment = systemEnvironment(folder.str());
  ASSERT_EQ(environment.decimalSeparator, ',');
  open(environment.trayExists, environment.decimalSeparator);
  EXPECT_EQ(options().gamma, "1,2");
  EXPECT_EQ(label("vidgammal"), " 1.2");
  click("vidgamup");
  EXPECT_EQ(options().gamma, "1,3");
  EXPECT_EQ(label("vidgammal"), " 1.3");
  click("vidgamdn", 9);
  EXPECT_EQ(options().gamma, "0,5");
  EXPECT_EQ(label("vidgammal"), " .5");
}

TEST_F(CommaLocale, ASavedGammaComesBackAsTheSameNumber) {
  open(true, ',');
  click("vidgamup");
  click("saveset");
  click("vidgamup", 3);
  click("mini");
  window->onTrayActivated(QSystemTrayIcon::Trigger);

  // The settings file holds 1.3 with a period, which a comma reader must not take for 13.
  EXPECT_EQ(options().gamma, "1.3");
  EXPECT_EQ(label("vidgammal"), "1.3");
  core::OptionSet line = options();
  line.mame = "MAME.EXE";
  line.RomName = "pacman";
  launch::buildCommandLine(line, ',');
  EXPECT_NE(line.FullMame.find(" -gamma 1.3 "), std::string::npos) << line.FullMame;
  click("vidgamup");
  EXPECT_EQ(options().gamma, "1,4");
}

}  // namespace
}  // namespace kestro::ui
