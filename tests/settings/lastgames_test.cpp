// SPDX-License-Identifier: GPL-3.0-or-later
// The last games in the settings file: what a hand-edited section loads as, one game under any
// spelling of its folders, and a save that changes only its section (a saver killed anywhere:
// settingsfile_test.cpp).
#include "settings/lastgames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/tempfolder.h"

namespace kestro::settings {
namespace {

using test::readFile;
using test::writeFile;

class LastGames : public ::testing::Test {
 protected:
  test::TempFolder folder;
  const std::string file = (folder.path() / "kestro.ini").string();
};

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
