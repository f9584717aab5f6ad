// Starting the launch script: DOSBox's command line, and a missing DOSBox named before
// anything is started.
#include "platform/starter.h"

#include <gtest/gtest.h>

#include "support/tempfolder.h"

namespace kestro::platform {
namespace {

TEST(DosBoxCommand, FullSpeedNoAutoexecAndClosingUnlessKeptOpen) {
  ScriptLaunch launch{.script = "/games/mame/kestro.bat", .folder = "/games/mame"};
  const ProcessCommand closing = dosboxCommand("/usr/bin/dosbox", launch);
  EXPECT_EQ(closing.program, "/usr/bin/dosbox");
  EXPECT_EQ(closing.workingFolder, "/games/mame");
  std::vector<std::string> arguments = {"-noautoexec", "-c", "config -set cpu cycles=max",
                                        "/games/mame/kestro.bat", "-exit"};
  EXPECT_EQ(closing.arguments, arguments);
  launch.keepOpen = true;
  arguments.pop_back();
  EXPECT_EQ(dosboxCommand("/usr/bin/dosbox", launch).arguments, arguments);
}

TEST(DosBoxStarter, AMissingDosBoxIsNamedWithItsPackage) {
  test::TempFolder emptyPath;
  DosBoxStarter starter(emptyPath.str());
  const std::string expected =
      "DOSBox, which runs the launch script and MAME, is not installed: there is no program "
      "\"dosbox\" in the search path. Install the Debian package \"dosbox\".";
  EXPECT_EQ(starter.findInterpreter(), expected);
  EXPECT_EQ(starter.start({.script = "/x/kestro.bat", .folder = "/x"}), expected);
}

}  // namespace
}  // namespace kestro::platform
