// The launch script's bytes: exactly the command line, the blank record's tail after a
// line shorter than five characters, and nothing of an older, longer script.
#include "launch/script.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/tempfolder.h"

namespace kestro::launch {
namespace {

TEST(LaunchScript, BytesAreTheLineOverTheBlankRecord) {
  const std::pair<std::string, std::string> cases[] = {
      {"mame.exe mygame -noscanlines ", "mame.exe mygame -noscanlines "},
      {"abcde", "abcde"},
      {"abcd", "abcd\n"},
      {"abc", "abc\r\n"},
      {"ab", "ab\"\r\n"},
      {"", "\" \"\r\n"},
  };
  for (const auto& [line, bytes] : cases) EXPECT_EQ(launchScriptBytes(line), bytes) << line;
}

TEST(LaunchScript, PathJoinsTheFolderAndTheName) {
  EXPECT_EQ(launchScriptPath("/games/mame"), "/games/mame/kestro.bat");
  EXPECT_EQ(launchScriptPath("/"), "//kestro.bat");
}

TEST(LaunchScript, WrittenWholeOverALongerOldScript) {
  test::TempFolder folder;
  const std::string path = launchScriptPath(folder.str());
  test::writeFile(path, std::string(300, 'x'));
  const std::string line =
      "mame.exe mygame -vesamode vesa2l -depth 16 -gamma 1.4 -frameskip 2 -soundcard 1 "
      "-sr 44100 -sb 16 -stereo -joy standard -log ";
  EXPECT_EQ(writeLaunchScript(path, line), std::nullopt);
  EXPECT_EQ(test::readFile(path), line);
  EXPECT_EQ(writeLaunchScript(path, "abc"), std::nullopt);
  EXPECT_EQ(test::readFile(path), "abc\r\n");
}

TEST(LaunchScript, AFailureGivesTheSystemsReason) {
  test::TempFolder folder;
  std::filesystem::create_directory(folder.path() / "kestro.bat");
  EXPECT_EQ(writeLaunchScript(launchScriptPath(folder.str()), "x"), "Is a directory");
  EXPECT_EQ(writeLaunchScript((folder.path() / "none" / "kestro.bat").string(), "x"),
            "No such file or directory");
}

}  // namespace
}  // namespace kestro::launch
