// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file as a whole: a save (of the options or of the last games) is all of it or
// none of it even when the saver is killed, and a file that cannot be a settings file is named;
// the last games' section, loaded from hand edits and saved.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/optionset.h"
#include "platform/durablefile.h"
#include "settings/inifile.h"
#include "settings/lastgames.h"
#include "settings/settings.h"
#include "support/tempfolder.h"

namespace kestro::settings {
namespace {

namespace fs = std::filesystem;
using core::OptionSet;
using test::readFile;
using test::writeFile;

class SettingsFile : public ::testing::Test {
 protected:
  test::TempFolder folder;
  const std::string file = (folder.path() / "kestro.ini").string();
};
using LastGames = SettingsFile;

// "Save Settings" and the last games each write with one replacement: a saver killed at any
// moment leaves whole saves only, never one run's game beside another run's MAME folder.
TEST_F(SettingsFile, ASaverKilledAnywhereLeavesWholeSavesOnly) {
  // Defaults after the user sections and a long tail make every save move much of the file.
  std::string padding;
  for (int line = 0; line < 20000; ++line) padding += "; the packager's notes, kept\n";
  writeFile(file, readFile(KESTRO_SHIPPED_INI) + padding);
  OptionSet saves[2];
  Remembered remembered[2];
  saves[1].vidscanlines = 1;
  saves[1].fsslid = 7;
  saves[1].mame = "MAME37B.EXE";
  saves[1].gamma = "0.8";
  const std::vector<LastGame> lists[2] = {{{"/r/ROMS/a", "/one"}, {"/r/ROMS/b", "/one"}},
                                          {{"/s/ROMS/aa", "/two"}}};
  // After rounds 0, 1, 2, 3 the file holds the settings and the list of saves 1 and 0, 1 and 1,
  // 0 and 1, 0 and 0: four whole states, one of which a kill must leave.
  const auto save = [&](int round) {
    const int which = round % 4 < 2 ? 1 : 0;
    return round % 2 == 0 ? saveUserSettings(saves[which], remembered[which], file, '.').saved
                          : saveLastGames(lists[which], file) == 0;
  };
  ASSERT_TRUE(saveUserSettings(saves[0], remembered[0], file, '.').saved);
  ASSERT_EQ(saveLastGames(lists[0], file), 0);
  std::vector<std::string> whole = {readFile(file)};
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(save(round));
    whole.push_back(readFile(file));
  }
  std::mt19937 random(3);
  for (int kill = 0; kill < 12; ++kill) {
    writeFile(file, whole[0]);
    const auto delay = std::chrono::microseconds(std::uniform_int_distribution(0, 20000)(random));
    ASSERT_EQ(test::killedWhileRunning(save, delay), "");
    ASSERT_NE(std::ranges::find(whole, readFile(file)), whole.end())
        << "half a save, kill " << kill;
  }
}

TEST_F(SettingsFile, AFileThatCannotBeASettingsFileIsNamed) {
  // The file's size (-1: no file, -2: a folder) and the text naming it (empty: none).
  const std::pair<std::int64_t, std::string> cases[] = {
      {-1, ""},  // the usual first start
      {platform::kDurableMaxBytes, ""},
      {platform::kDurableMaxBytes + 1,
       "17 MiB, and a settings file may hold at most 16 MiB. The options start at their initial "
       "state (every check box clear, no option button chosen)"},
      {std::int64_t{1} << 40,  // sparse: no disk space taken
       file + ": it holds 1048576 MiB, and a settings file may hold at most 16 MiB."},
      {-2, file + ": it is a folder."},
  };
  for (const auto& [size, named] : cases) {
    fs::remove(file);
    if (size == -2) fs::create_directory(file);
    if (size >= 0) {
      writeFile(file, "[EXE]\nexe=MAME.EXE\n");
      fs::resize_file(file, static_cast<std::uintmax_t>(size));
    }
    const std::optional<std::string> problem = settingsFileProblem(file);
    EXPECT_EQ(problem.has_value(), !named.empty()) << size;
    EXPECT_NE(problem.value_or("").find(named), std::string::npos) << problem.value_or("");
  }
}

std::string entry(const std::string& game, const std::string& mame, int number) {
  const std::string n = std::to_string(number);
  return "game" + n + "=" + game + "\r\nmamedir" + n + "=" + mame + "\r\n";
}

// "rom (mame); " for each game, in order.
std::string listed(const std::vector<LastGame>& games) {
  std::string text;
  for (const LastGame& game : games) text += game.romFolder + " (" + game.mameFolder + "); ";
  return text;
}

TEST_F(LastGames, AHandEditedSectionLoadsInNormalFormWithoutBrokenOrRepeatedEntries) {
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
    writeFile(file, "[EXE]\nexe=MAME.EXE\n[LastGames]\r\n" + section + "[[[\n= ]\n");
    EXPECT_EQ(listed(loadLastGames(file)), loaded) << section;
  }
}

TEST_F(LastGames, OneGameUnderAnySpellingMovesToTheTopAndPushesNoEntryOut) {
  std::vector<LastGame> games;
  for (const char* game : {"/p", "/a", "/b", "/c", "/d"}) games.insert(games.begin(), {game, "/m"});
  const std::tuple<LastGame, const char*> runs[] = {
      {{"/p/", "/m/"}, "/p (/m); /d (/m); /c (/m); /b (/m); /a (/m); "},
      {{"/x/../d", "/m"}, "/d (/m); /p (/m); /c (/m); /b (/m); /a (/m); "},
      {{"/p", "/other"}, "/p (/other); /d (/m); /p (/m); /c (/m); /b (/m); "},
      {{"ROMS/e", "/m"}, nullptr},  // not taken: a relative path, a line break
      {{"/e\n", "/m"}, nullptr},
  };
  for (const auto& [run, after] : runs) {
    const std::string before = listed(games);
    EXPECT_EQ(rememberLastGame(games, run), after != nullptr) << run.romFolder;
    EXPECT_EQ(listed(games), after ? after : before) << run.romFolder;
  }
}

TEST_F(LastGames, ASaveChangesOnlyItsSectionAndReadsBackWhole) {
  const std::string user = "; mine\r\n[UserSettingsVid]\r\nscanlines = 1 \r\n";
  const std::string defaults = "\r\n[DefaultVid]\r\nframeskip= 2\r\n; keep this\r\n";
  writeFile(file, user + "[LastGames]\r\n" + entry("/r/a", "/m", 1) + entry("/r/b", "/m", 2) +
                      entry("/r/c", "/m", 3) + defaults);
  // A folder ending in a blank is quoted, so the read gives it back.
  const std::vector<LastGame> games = {{"/r/b", "/m"}, {"/r/new ", "/m two"}};
  ASSERT_EQ(saveLastGames(games, file), 0);
  EXPECT_EQ(readFile(file), user + "[LastGames]\r\n" + entry("/r/b", "/m", 1) +
                                entry("\"/r/new \"", "/m two", 2) + "game3=\r\nmamedir3=\r\n" +
                                defaults);
  EXPECT_EQ(listed(loadLastGames(file)), listed(games));
}

}  // namespace
}  // namespace kestro::settings
