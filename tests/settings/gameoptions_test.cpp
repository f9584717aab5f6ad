// SPDX-License-Identifier: GPL-3.0-or-later
// Options of a game's own through a real settings file: the game's keys over the common ones,
// the save of its differences, and the section made and removed with every other byte kept.
#include "settings/gameoptions.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "support/tempfolder.h"

namespace kestro::settings {
namespace {

using core::OptionSet;
using test::readFile;
using test::writeFile;

class GameOptions : public ::testing::Test {
 protected:
  OptionSet load(std::string_view game) {
    OptionSet options;
    loadGameOptions(options, remembered, ini, '.', game);
    return options;
  }
  test::TempFolder folder;
  const std::string ini = (folder.path() / "kestro.ini").string();
  Remembered remembered;
};

TEST_F(GameOptions, NamesAGameFolderCannotHaveHaveNoSection) {
  for (const std::string_view bad : {"", ".", "..", "a/b", "a\nb", "a\x7f", " a", "a\t"}) {
    EXPECT_EQ(gameSection(bad), std::nullopt) << bad;
    EXPECT_EQ(giveOwnOptions(ini, bad), EINVAL) << bad;
  }
  EXPECT_EQ(gameSection("Ms. Pac-Man [a]"), "Game:Ms. Pac-Man [a]");
}

// The common options reach every key a game does not hold; what it holds with a value its
// control takes wins; the rest is read as the start-up load reads it.
TEST_F(GameOptions, AGameLoadsItsKeysOverTheCommonOnes) {
  const std::string common =
      "[UserSettingsVid]\nscanlines=0\ngamma=1.2\nframeskip=0\nresx=640\n"
      "[UserSettingsAud]\nsndcard=0\n[EXE]\nexe=MAME.EXE\n[DefaultAud]\nsndrate=22050\n";
  const std::string games =
      "[game:PACMAN]\nscanlines= 1\ngamma=.8\nframeskip=12\nsndcard=2\nexe=EVIL.EXE\n"
      "resx=800\ncolour=red\n[Game:galaga]\n[Game:a/b]\n[Game: c]\n[Game:]\n[Game:Galaga]\n";
  writeFile(ini, common + games);
  EXPECT_EQ(gamesWithOwnOptions(ini), (std::vector<std::string>{"PACMAN", "galaga"}));
  EXPECT_TRUE(holdsGame(gamesWithOwnOptions(ini), "Pacman"));

  OptionSet pacman = load("Pacman");
  EXPECT_EQ(std::vector<int>({pacman.vidscanlines, pacman.fsslid, pacman.snd1, pacman.sndr2}),
            std::vector<int>({1, 0, 1, 1}));
  EXPECT_EQ(pacman.gamma + " " + pacman.vidgammal + " " + pacman.mame, ".8 .8 MAME.EXE");
  EXPECT_EQ(remembered.values[9], "800") << "resx, which no control shows, travels on";

  // A common change reaches the game where it holds nothing; its own scan lines stay.
  writeFile(ini,
            "[UserSettingsVid]\nscanlines=0\nframeskip=3\n[UserSettingsAud]\nsndcard=3\n" + games);
  pacman = load("pacman");
  EXPECT_EQ(std::vector<int>({pacman.vidscanlines, pacman.fsslid, pacman.snd3}),
            std::vector<int>({1, 3, 1}));
  EXPECT_EQ(pacman.mame, "");
  const OptionSet galaga = load("galaga");
  EXPECT_EQ(std::vector<int>({galaga.vidscanlines, galaga.fsslid, galaga.snd3}),
            std::vector<int>({0, 3, 1}));
  EXPECT_EQ(galaga.gamma, "") << "as the start-up load gives it";
}

// Each step edits the file as the user would; the file's bytes after it.
TEST_F(GameOptions, TheSectionHoldsTheDifferencesAndNothingElseChanges) {
  const std::string head =
      "; mine\r\n[UserSettingsVid]\r\nscanlines = 1 \r\ngamma=1.2\r\n[DefaultVid]\r\n"
      "vsync=1\r\n\r\n";
  const std::string other = "[Game:galaga]\r\nror=1\r\n";
  writeFile(ini, head + "[Game:pacman]\r\n; note\r\nscanlines=0\r\n" + other);

  OptionSet options = load("PACMAN");
  ASSERT_EQ(options.vidscanlines, 0);
  options.vidscanlines = 1;  // now the common value: the key leaves
  options.gamma = "1.20";    // the same number, written alike
  options.vidvsync = 0;      // differs from the default the common options fall back on
  options.vidror = 1;
  ASSERT_TRUE(saveGameOptions(options, remembered, ini, '.', "PACMAN").saved);
  const std::string text = readFile(ini);
  const std::string pacman = text.substr(head.size(), text.size() - head.size() - other.size());
  EXPECT_EQ(text.substr(0, head.size()) + text.substr(text.size() - other.size()), head + other);
  EXPECT_TRUE(pacman.starts_with("[Game:pacman]\r\n; note\r\n"))
      << "the header and the comment stay";
  // Every key but those equal to the common ones; none of the executable.
  for (const std::string_view key : {"scanlines=", "gamma=", "exe=", "\nvsync= 0", "ror= 1"}) {
    EXPECT_EQ(pacman.find(key) != std::string::npos, key == "\nvsync= 0" || key == "ror= 1")
        << key << " in " << pacman;
  }
  ASSERT_TRUE(saveGameOptions(options, remembered, ini, '.', "pacman").saved);
  EXPECT_EQ(readFile(ini), text) << "a second save changes nothing";
  const OptionSet back = load("pacman");
  EXPECT_EQ(std::vector<int>({back.vidscanlines, back.vidvsync, back.vidror}),
            std::vector<int>({1, 0, 1}));

  // Made empty at the end, kept when it is there under any case, removed whole.
  EXPECT_EQ(giveOwnOptions(ini, "dkong"), 0);
  EXPECT_EQ(readFile(ini), text + "[Game:dkong]\r\n");
  EXPECT_EQ(giveOwnOptions(ini, "DKONG"), 0);
  EXPECT_EQ(useCommonOptions(ini, "Pacman"), 0);
  EXPECT_EQ(readFile(ini), head + other + "[Game:dkong]\r\n");
  const OptionSet dkong = load("dkong");
  EXPECT_EQ(dkong.vidscanlines, 1) << "an empty section is the common options";
}

}  // namespace
}  // namespace kestro::settings
