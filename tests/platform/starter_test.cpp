// Starting programs: the search path, DOSBox's command line, and a detached start that
// runs in its folder, reports what failed and leaves no child behind.
#include "platform/starter.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "support/tempfolder.h"

namespace kestro::platform {
namespace {

namespace fs = std::filesystem;

void makeProgram(const fs::path& path) {
  test::writeFile(path, "#!/bin/sh\n");
  fs::permissions(path, fs::perms::owner_all);
}

TEST(FindProgram, FirstExecutableFileOnTheSearchPath) {
  test::TempFolder root;
  for (const char* folder : {"a", "b", "c"}) fs::create_directory(root.path() / folder);
  test::writeFile(root.path() / "a" / "tool", "not executable");
  fs::permissions(root.path() / "a" / "tool", fs::perms::owner_read);
  fs::create_directory(root.path() / "b" / "tool");  // a folder is no program
  makeProgram(root.path() / "c" / "tool");
  const std::string a = (root.path() / "a").string();
  const std::string b = (root.path() / "b").string();
  const std::string c = (root.path() / "c").string();

  EXPECT_EQ(findProgram("tool", a + ":" + b + ":" + c), c + "/tool");
  EXPECT_EQ(findProgram("tool", a + ":" + b), "");
  EXPECT_EQ(findProgram("tool", ""), "");
  EXPECT_EQ(findProgram("", c), "");
}

TEST(DosBoxCommand, FullSpeedNoAutoexecAndClosingUnlessKeptOpen) {
  const ScriptLaunch launch{.script = "/games/mame/kestro.bat", .folder = "/games/mame"};
  const ProcessCommand closing = dosboxCommand("/usr/bin/dosbox", launch);
  EXPECT_EQ(closing.program, "/usr/bin/dosbox");
  EXPECT_EQ(closing.workingFolder, "/games/mame");
  const std::vector<std::string> closingArguments = {
      "-noautoexec", "-c", "config -set cpu cycles=max", "/games/mame/kestro.bat", "-exit"};
  EXPECT_EQ(closing.arguments, closingArguments);

  ScriptLaunch keepOpen = launch;
  keepOpen.keepOpen = true;
  const std::vector<std::string> openArguments = {"-noautoexec", "-c", "config -set cpu cycles=max",
                                                  "/games/mame/kestro.bat"};
  EXPECT_EQ(dosboxCommand("/usr/bin/dosbox", keepOpen).arguments, openArguments);
}

TEST(DosBoxStarter, MissingDosBoxIsNamedWithItsPackage) {
  test::TempFolder emptyPath;
  DosBoxStarter starter(emptyPath.str());
  const std::string expected =
      "DOSBox, which runs the launch script and MAME, is not installed: there is no program "
      "\"dosbox\" in the search path. Install the Debian package \"dosbox\".";
  EXPECT_EQ(starter.findInterpreter(), expected);
  EXPECT_EQ(starter.start({.script = "/x/kestro.bat", .folder = "/x"}), expected);
}

TEST(DosBoxStarter, FoundOnTheSearchPath) {
  EXPECT_EQ(DosBoxStarter().findInterpreter(), std::nullopt);
}

// Waits, within a bound, for a file that a started program writes in one rename.
bool waitForFile(const fs::path& file) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!fs::exists(file)) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

TEST(StartDetached, RunsInItsFolderWithoutWaitingAndLeavesNoChild) {
  test::TempFolder folder;
  const ProcessCommand command{.program = "/bin/sh",
                               .arguments = {"-c", "pwd > where.tmp && mv where.tmp where"},
                               .workingFolder = folder.str()};
  EXPECT_EQ(startDetached(command), std::nullopt);
  // The program is not ours to wait for: no child of this process is left, not even a
  // zombie.
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  ASSERT_TRUE(waitForFile(folder.path() / "where"));
  EXPECT_EQ(test::readFile(folder.path() / "where"), folder.str() + "\n");
}

TEST(StartDetached, FailuresComeBackWithTheSystemsReason) {
  test::TempFolder folder;
  EXPECT_EQ(startDetached({.program = (folder.path() / "none").string(),
                           .arguments = {},
                           .workingFolder = folder.str()}),
            "No such file or directory");
  const std::string missingFolder = (folder.path() / "gone").string();
  EXPECT_EQ(
      startDetached({.program = "/bin/true", .arguments = {}, .workingFolder = missingFolder}),
      "the folder \"" + missingFolder + "\" cannot be entered (No such file or directory)");
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

}  // namespace
}  // namespace kestro::platform
