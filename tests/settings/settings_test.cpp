// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file, real in a fresh folder: the option set, a game's own options, the last games.
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/numbers.h"
#include "core/options.h"
#include "platform/durablefile.h"
#include "settings/gameoptions.h"
#include "settings/inifile.h"
#include "settings/lastgames.h"
#include "support/tempfolder.h"

namespace kestro::settings {
namespace {

namespace fs = std::filesystem;
using core::OptionSet;
using test::readFile;
using test::writeFile;
using Ints = std::vector<int>;

// Option set i of seven: member i of every group the file keeps (its last when it has fewer),
// boxes all ticked (0), all clear (1) or every other one, and values across their ranges.
OptionSet sample(int i) {
  OptionSet options;
  std::size_t box = 0;
  for (const core::Option& row : core::kOptions) {
    if (const auto* group = std::get_if<core::Group>(&row)) {
      const std::size_t member = std::min<std::size_t>(i, group->choices.size() - 1);
      core::setOptionButton(options, group->choices[member].button, true);
    }
    const auto* plain = std::get_if<core::Box>(&row);
    const auto* inverted = std::get_if<core::InvertedBox>(&row);
    if (plain != nullptr || inverted != nullptr) {
      options.*(plain ? plain->box : inverted->box) = i == 0 || (i > 1 && (++box + i) % 2 == 0);
    }
  }
  options.fsslid = 11 - i * 11 / 6;
  options.JoyList = 24 - i * 25 / 6;
  options.gamma = core::valueText(0.5 + i * 0.25, '.');
  options.beam = std::to_string(16 - i * 15 / 6);
  options.flicker = std::to_string(100 - i * 100 / 6);
  options.volume = std::to_string(2 * i - 12);
  options.mame = "MAME" + std::to_string(i) + ".EXE";
  return options;
}

class Settings : public ::testing::Test {
 protected:
  // What a save of `options` writes (every key, so the file holds the last save only).
  std::string saved(const OptionSet& options) const {
    Remembered copy = remembered;
    const fs::path other = folder.path() / "saved.ini";
    EXPECT_TRUE(saveUserSettings(options, copy, other.string(), '.').saved);
    return readFile(other);
  }
  OptionSet load(std::string_view game) {
    OptionSet options;
    loadGameOptions(options, remembered, ini, '.', game);
    return options;
  }

  test::TempFolder folder;
  const std::string ini = (folder.path() / "kestro.ini").string();
  // What the loads and saves carry between them; a save of another file goes through a copy.
  Remembered remembered;
};
using LastGames = Settings;

// Set 0 as bytes: every box ticked, so stretch, antialias and transparent store 0, rotate 1.
TEST_F(Settings, ANewFileHoldsTheKeysInOrderAndALoadRestoresEveryStoredControl) {
  EXPECT_EQ(saved(sample(0)),
            "[UserSettingsVid]\ntweak= 1\nvesa= 1\nscanlines= 1\nvsync= 1\nror= 1\nrol= 1\n"
            "depth= 8\nntsc= 1\nmonitor= 1\nresx=\nresy=\ngamma= .5\nvgafreq=\nstretch= 0\n"
            "triplebuf= 1\nflipx= 1\nflipy= 1\nrotate= 1\nantialias= 0\ntransparent= 0\n"
            "frameskip= 11\nsynced= 1\nwaitil= 1\nbeam= 16\nflicker= 100\n"
            "[UserSettingsAud]\nsndcard= 0\nsndrate= 11025\nsndbit= 8\nstereo= 1\nym3812= 1\n"
            "volume=-12\n[UserSettingsMisc]\njoy= 24\nnomouse= 1\n[EXE]\nexe=MAME0.EXE\n");
  for (int i = 0; i < 7; ++i) {
    ASSERT_TRUE(saveUserSettings(sample(i), remembered, ini, '.').saved);
    OptionSet loaded;
    loadUserSettings(loaded, remembered, ini, '.');
    EXPECT_EQ(saved(loaded), readFile(ini)) << i;
  }
  // The shipped defaults, loaded over two option sets that differ in every control, leave them
  // alike: every key holds a value its control takes. Keys no control feeds take theirs.
  fs::copy_file(KESTRO_SHIPPED_INI, ini, fs::copy_options::overwrite_existing);
  OptionSet overAll = sample(0), overNone = sample(1);
  loadDefaultSettings(overAll, remembered, ini, '.');
  loadDefaultSettings(overNone, remembered, ini, '.');
  EXPECT_EQ(overAll.mame, "MAME0.EXE") << "the default load keeps the executable";
  overAll.mame = overNone.mame = "";  // the executable has no default
  EXPECT_EQ(saved(overNone), saved(overAll));
  EXPECT_NE(saved(overAll).find("\nresx=640\nresy=480\ngamma= 1.2\nvgafreq=0\n"),
            std::string::npos);
}

// Values that hold a trick set their controls, bad ones leave them; keys no control feeds write
// back what was last loaded.
TEST_F(Settings, StoredValuesSetTheirControlsAndKeysNoControlFeedsWriteBackWhatWasLoaded) {
  writeFile(ini,
            "[UserSettingsVid]\nscanlines=yes\nvsync=2\ngamma=bright\nframeskip=12\nbeam=\n"
            "[UserSettingsAud]\nsndcard=2\n[UserSettingsMisc]\njoy=1e9\n[EXE]\nexe=MAME4.EXE\n");
  OptionSet options = sample(4);
  const std::string before = saved(options);
  loadUserSettings(options, remembered, ini, '.');
  EXPECT_EQ(saved(options), before);

  writeFile(ini,
            "[UserSettingsVid]\ntweak=01\nvesa=0\nresx=wide\nresy= 400\ngamma=.8\nvgafreq=\"2\"\n"
            "stretch=1\nrotate=1\nantialias=0\ntransparent=0\nframeskip=3.5\n"
            "[UserSettingsAud]\nsndcard=3\nsndrate=44100\n[UserSettingsMisc]\njoy=2.5\n");
  options = {};
  loadUserSettings(options, remembered, ini, '.');
  EXPECT_EQ(options.gamma + " " + options.vidgammal, ".8 .8");
  // With the round trip, this pins both ways of the values that hold a trick.
  EXPECT_EQ(Ints({options.vidtweakon, options.stretche, options.orrof, options.antid,
                  options.transd, options.fsslid, options.JoyList, options.snd3, options.sndr3}),
            Ints({1, 0, 1, 1, 1, 4, 2, 1, 1}));
  options.vidreson = 1;  // the resolution boxes feed the command line, not the file
  options.vidresx = options.vidresy = "1024";
  ASSERT_TRUE(saveUserSettings(options, remembered, ini, '.').saved);
  // Written back, and as the user wrote them where they read as the save writes them.
  EXPECT_NE(readFile(ini).find("\nvesa=0\nresx=wide\nresy= 400\ngamma=.8\nvgafreq=\"2\"\n"),
            std::string::npos);
  // A group of two with neither button on counts as its second button.
  EXPECT_NE(readFile(ini).find("\nsndbit= 16\nstereo= 0\nym3812= 0\n"), std::string::npos);
}

// Names a game folder cannot have have no section. The common options reach every key a game
// does not hold; what it holds with a value its control takes wins; the rest is read as the
// start-up load reads it.
TEST_F(Settings, AGameLoadsItsKeysOverTheCommonOnes) {
  for (const std::string_view bad : {"", ".", "..", "a/b", "a\nb", "a\x7f", " a", "a\t"}) {
    EXPECT_EQ(gameSection(bad), std::nullopt) << bad;
    EXPECT_EQ(giveOwnOptions(ini, bad), EINVAL) << bad;
  }
  EXPECT_EQ(gameSection("Ms. Pac-Man [a]"), "Game:Ms. Pac-Man [a]");
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
  EXPECT_EQ(Ints({pacman.vidscanlines, pacman.fsslid, pacman.snd1, pacman.sndr2}),
            Ints({1, 0, 1, 1}));
  EXPECT_EQ(pacman.gamma + " " + pacman.vidgammal + " " + pacman.mame, ".8 .8 MAME.EXE");
  EXPECT_EQ(remembered.values[9], "800") << "resx, which no control shows, travels on";
}

// Each step edits the file as the user would; the file's bytes after it.
TEST_F(Settings, AGameSectionHoldsTheDifferencesAndNothingElseChanges) {
  const std::string head = readFile(KESTRO_SHIPPED_INI) +
                           "; mine\r\n[UserSettingsVid]\r\nscanlines = 1 \r\ngamma=1.2\r\n";
  const std::string other = "[Game:galaga]\r\nror=1\r\n";
  writeFile(ini, head + "[Game:pacman]\r\n; note\r\nscanlines=0\r\n" + other);

  OptionSet options = load("PACMAN");
  options.vidscanlines = 1;  // now the common value: the key leaves
  options.gamma = "1.20";    // the same number, written alike
  options.vidvsync = 1;      // differs from the default the common options fall back on
  options.vidror = 1;
  ASSERT_TRUE(saveGameOptions(options, remembered, ini, '.', "PACMAN").saved);
  // Only the keys that differ from the common ones (a default where the user holds none), never
  // the executable's; the header and the comment stay.
  EXPECT_EQ(readFile(ini), head + "[Game:pacman]\r\n; note\r\nvsync= 1\r\nror= 1\r\n" + other);

  // Made empty at the end, kept when it is there under any case, removed whole.
  EXPECT_EQ(giveOwnOptions(ini, "dkong"), 0);
  EXPECT_EQ(giveOwnOptions(ini, "DKONG"), 0);
  EXPECT_EQ(useCommonOptions(ini, "Pacman"), 0);
  EXPECT_EQ(readFile(ini), head + other + "[Game:dkong]\r\n");
  EXPECT_EQ(load("dkong").vidscanlines, 1) << "an empty section is the common options";
}

// "Save Settings" and the last games each write with one replacement: a saver killed at any
// moment leaves whole saves only, never one run's game beside another run's MAME folder.
TEST_F(Settings, ASaverKilledAnywhereLeavesWholeSavesOnly) {
  // Defaults after the user sections and a long tail make every save move much of the file.
  writeFile(ini, readFile(KESTRO_SHIPPED_INI) + "; notes" + std::string(600000, '.') + "\n");
  const OptionSet saves[2] = {sample(0), sample(1)};  // they differ in every key
  const std::vector<LastGame> lists[2] = {{{"/r/ROMS/a", "/one"}, {"/r/ROMS/b", "/one"}},
                                          {{"/s/ROMS/aa", "/two"}}};
  // After rounds 0, 1, 2, 3 the file holds the settings and the list of saves 1 and 0, 1 and 1,
  // 0 and 1, 0 and 0: four whole states, one of which a kill must leave.
  const auto save = [&](int round) {
    const int which = round % 4 < 2 ? 1 : 0;
    return round % 2 == 0 ? saveUserSettings(saves[which], remembered, ini, '.').saved
                          : saveLastGames(lists[which], ini) == 0;
  };
  ASSERT_TRUE(save(2));
  std::vector<std::string> whole;
  for (const int round : {3, 0, 1, 2}) {
    ASSERT_TRUE(save(round));
    whole.push_back(readFile(ini));
  }
  std::mt19937 random(3);
  for (int kill = 0; kill < 12; ++kill) {
    writeFile(ini, whole[0]);
    const auto delay = std::chrono::microseconds(std::uniform_int_distribution(0, 20000)(random));
    ASSERT_EQ(test::killedWhileRunning(save, delay), "");
    ASSERT_NE(std::ranges::find(whole, readFile(ini)), whole.end()) << "half a save, kill " << kill;
  }
}

TEST_F(Settings, AFileThatCannotBeASettingsFileIsNamed) {
  writeFile(ini, "[EXE]\nexe=MAME.EXE\n");
  fs::resize_file(ini, platform::kDurableMaxBytes);
  EXPECT_EQ(settingsFileProblem(ini), std::nullopt);
  fs::resize_file(ini, platform::kDurableMaxBytes + 1);
  EXPECT_NE(settingsFileProblem(ini).value_or("").find(
                "17 MiB, and a settings file may hold at most 16 MiB. The options start at their "
                "initial state (every check box clear, no option button chosen)"),
            std::string::npos);
  fs::remove(ini);
  fs::create_directory(ini);
  EXPECT_NE(settingsFileProblem(ini).value_or("").find(ini + ": it is a folder."),
            std::string::npos);
}

std::string entry(const std::string& game, const std::string& mame, int number) {
  const std::string n = std::to_string(number);
  return "game" + n + "=" + game + "\r\nmamedir" + n + "=" + mame + "\r\n";
}

std::string listed(const std::vector<LastGame>& games) {
  std::string text;
  for (const LastGame& game : games) text += game.romFolder + " (" + game.mameFolder + "); ";
  return text;
}

TEST_F(LastGames, OneGameUnderAnySpellingLoadsAndMovesToTheTopBrokenEntriesGo) {
  const std::string longPath = "/" + std::string(300, 'l') + "/" + std::string(300, 'm');
  const std::pair<std::string, std::string> cases[] = {
      {entry("/p/", "/m/", 1) + entry("/r//x/../../p", "/m/.", 2) + entry("/./p", "/m", 3),
       "/p (/m); "},
      {"game1=#\x01;==noise\nmamedir1=%%\n" + entry("ROMS/relative", "/m", 2) + entry("/a", "", 3) +
           "game4=/b\r\n" + entry(longPath, "/m", 5),
       longPath + " (/m); "},
      {entry("\"/a \"", " /m ", 1) + entry("/b", "/m", 9), "/a  (/m); "},
  };
  for (const auto& [section, loaded] : cases) {
    writeFile(ini, "[EXE]\nexe=MAME.EXE\n[LastGames]\r\n" + section + "[[[\n= ]\n");
    EXPECT_EQ(listed(loadLastGames(ini)), loaded) << section;
  }
  // A game run moves to the top under any spelling of its folders and pushes no entry out.
  std::vector<LastGame> games;
  for (const char* game : {"/p", "/a", "/b", "/c", "/d"}) games.insert(games.begin(), {game, "/m"});
  EXPECT_TRUE(rememberLastGame(games, {"/p/", "/m/"}));
  EXPECT_EQ(listed(games), "/p (/m); /d (/m); /c (/m); /b (/m); /a (/m); ");
  EXPECT_FALSE(rememberLastGame(games, {"/e\n", "/m"})) << "a line break";
  EXPECT_TRUE(rememberLastGame(games, {"/p", "/other"}));
  EXPECT_EQ(listed(games), "/p (/other); /p (/m); /d (/m); /c (/m); /b (/m); ");
}

TEST_F(LastGames, ASaveChangesOnlyItsSectionAndQuotesAFolderEndingInABlank) {
  const std::string user = "; mine\r\n[UserSettingsVid]\r\nscanlines = 1 \r\n";
  const std::string defaults = "\r\n[DefaultVid]\r\nframeskip= 2\r\n; keep this\r\n";
  writeFile(ini, user + "[LastGames]\r\n" + entry("/r/a", "/m", 1) + entry("/r/b", "/m", 2) +
                     entry("/r/c", "/m", 3) + defaults);
  // A folder ending in a blank is quoted: a read drops the blanks at a value's end.
  const std::vector<LastGame> games = {{"/r/b", "/m"}, {"/r/new ", "/m two"}};
  ASSERT_EQ(saveLastGames(games, ini), 0);
  EXPECT_EQ(readFile(ini), user + "[LastGames]\r\n" + entry("/r/b", "/m", 1) +
                               entry("\"/r/new \"", "/m two", 2) + "game3=\r\nmamedir3=\r\n" +
                               defaults);
}

}  // namespace
}  // namespace kestro::settings
