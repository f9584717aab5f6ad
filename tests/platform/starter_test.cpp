// Starting the launch script: DOSBox's command line, and a missing DOSBox named before
// anything is started.
#include "platform/starter.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <thread>

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

TEST(StartDetached, RunsInItsFolderAsNobodysChildOrNamesWhyNot) {
  test::TempFolder folder;
  const auto started = folder.path() / "started.txt";
  ASSERT_EQ(startDetached({.program = "/bin/sh",
                           .arguments = {"-c",
                                         "pwd > started.tmp && mv started.tmp started.txt; "
                                         "sleep 1"},
                           .workingFolder = folder.str()}),
            std::nullopt);
  // The program still runs, yet the caller has no child left to wait for: no zombie.
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  for (int i = 0; i < 1000 && !std::filesystem::exists(started); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(test::readFile(started), folder.str() + "\n");

  const std::optional<std::string> failure = startDetached(
      {.program = "/bin/true", .arguments = {}, .workingFolder = folder.str() + "/missing"});
  ASSERT_TRUE(failure);
  EXPECT_NE(failure->find("cannot be entered"), std::string::npos) << *failure;
  EXPECT_TRUE(startDetached(
      {.program = folder.str() + "/no-such-program", .arguments = {}, .workingFolder = {}}));
}

}  // namespace
}  // namespace kestro::platform
